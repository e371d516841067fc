#include <QApplication>
#include <QDir>

#include <iostream>

#include "shell/CommandLine.h"
#include "shell/HomePage.h"
#include "shell/LaunchArguments.h"
#include "shell/SingleInstance.h"
#include "shell/Startup.h"
#include "shell/WindowPlacement.h"
#include "window/Dialogs.h"
#include "window/Form1.h"
#include "window/Translations.h"
#include "workflows/Pause.h"

int main(int argc, char* argv[]) {
    using lumeward::shell::SingleInstance;
    // Help and version print in a terminal without a display too.
    if (lumeward::shell::asksForTextOnly(argc, argv) && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    // Before the first text is made, --help's included.
    const lumeward::window::Translations translations(QLocale::system());
    QApplication::setApplicationName(QStringLiteral("Lumeward"));
    QApplication::setApplicationVersion(QStringLiteral(LUMEWARD_VERSION));
    // Wayland finds the name and icon through the desktop file.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.lumeward.Lumeward"));
    const QStringList arguments = lumeward::shell::parseCommandLine(application);

    // A Lumeward already running takes the arguments; no second window opens.
    SingleInstance instance(lumeward::shell::instanceSocketPath());
    switch (instance.start(QDir::currentPath(), arguments)) {
        case SingleInstance::Outcome::HandedOver:
            return 0;
        case SingleInstance::Outcome::NoAnswer:
            std::cerr << "lumeward: " << instance.errorString().toStdString() << '\n';
            return 1;
        case SingleInstance::Outcome::Alone:
            std::cerr << "lumeward: " << instance.errorString().toStdString()
                      << QCoreApplication::translate(
                             "main", "; a second Lumeward will open a window of its own")
                             .toStdString()
                      << '\n';
            break;
        case SingleInstance::Outcome::First:
            break;
    }

    lumeward::window::QtDialogs dialogs;
    lumeward::window::Form1 form(dialogs);
    lumeward::shell::StandardRandomSource random;
    lumeward::shell::DesktopUrlOpener opener;
    lumeward::shell::Startup startup(random, opener, [](double seconds) {
        lumeward::workflows::Pause(seconds, [] { QCoreApplication::processEvents(); });
    });
    // Waits for the window to show, so requests during the start-up are kept.
    auto* launchArguments = new lumeward::shell::LaunchArguments(form, dialogs);
    QObject::connect(&instance, &SingleInstance::requested, &form,
                     [&form, launchArguments](const QString& folder, const QStringList& given) {
                         lumeward::shell::bringToFront(form);
                         launchArguments->open(folder, given);
                     });
    startup.load(form);
    form.show();
    launchArguments->open(QDir::currentPath(), arguments);
    return QApplication::exec();
}

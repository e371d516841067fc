#include <QApplication>

#include "shell/HomePage.h"
#include "shell/Startup.h"
#include "window/Dialogs.h"
#include "window/Form1.h"
#include "workflows/Pause.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumeward"));
    QApplication::setApplicationVersion(QStringLiteral(LUMEWARD_VERSION));
    // Wayland finds the name and icon through the desktop file.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.lumeward.Lumeward"));

    lumeward::window::QtDialogs dialogs;
    lumeward::window::Form1 form(dialogs);
    lumeward::shell::StandardRandomSource random;
    lumeward::shell::DesktopUrlOpener opener;
    lumeward::shell::Startup startup(random, opener, [](double seconds) {
        lumeward::workflows::Pause(seconds, [] { QCoreApplication::processEvents(); });
    });
    startup.load(form);
    form.show();
    return QApplication::exec();
}

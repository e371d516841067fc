// What `lumeward FILE|ADDRESS...` does: each form of argument, the wait for the
// window, and the hand-over from a later instance to the running one.
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "shell/LaunchArguments.h"
#include "shell/SingleInstance.h"
#include "shell/WindowPlacement.h"
#include "support/LoopbackServer.h"
#include "support/ScopedHome.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "window/Form1.h"
#include "window/ListView.h"

namespace lumeward::shell {
namespace {

QString qs(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

QStringList listed(const window::Form1& form) {
    QStringList addresses;
    for (qsizetype i = 1; i <= form.ListView1()->count(); ++i) {
        addresses << form.ListView1()->text(i);
    }
    return addresses;
}

// The socket a crashed instance leaves: bound, then closed without removing it.
void leaveStaleSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

TEST(LaunchArguments, EachFormAddsAnAddressLoadsAFileOrIsNamedInAMessage) {
    const test::ScopedHome home;
    const test::TempDir folder;
    folder.write("list.txt", "http://a.example/1\r\nhttp://a.example/2\r\n");
    folder.write("my list.txt", "http://b.example/1\n");
    const auto opml = folder.write(
        "subs.opml", R"(<opml version="2.0"><body><outline xmlUrl="http://o.example/1"/>)"
                     R"(<outline text="folder"><outline xmlUrl="http://o.example/2"/></outline>)"
                     "</body></opml>");
    std::filesystem::create_directory(folder.path() / "sub");
    const QString neither = "\"%1\" is neither a file nor a feed address (http, https or feed).";
    const struct {
        QString argument;
        QStringList added;
        QString message;  // what the one message shown says, or contains for a file's
    } table[] = {
        {"list.txt", {"http://a.example/1", "http://a.example/2"}, {}},
        {qs(opml), {"http://o.example/1", "http://o.example/2"}, {}},
        {"file://" + qs(folder.path()) + "/my%20list.txt", {"http://b.example/1"}, {}},
        {"http://x.example/feed.xml", {"http://x.example/feed.xml"}, {}},
        {"HTTPS://x.example/atom?a=1", {"HTTPS://x.example/atom?a=1"}, {}},
        {"feed://x.example/rss", {"http://x.example/rss"}, {}},
        {"FEED://x.example/rss", {"http://x.example/rss"}, {}},
        {"feed:https://x.example/rss", {"https://x.example/rss"}, {}},
        {"feed:http://x.example/rss", {"http://x.example/rss"}, {}},
        {"missing.opml", {}, neither.arg("missing.opml")},
        {"ftp://x.example/rss", {}, neither.arg("ftp://x.example/rss")},
        {"feed:ftp://x.example/rss", {}, neither.arg("feed:ftp://x.example/rss")},
        {"https://", {}, neither.arg("https://")},
        {"  http://x.example/padded\t", {"http://x.example/padded"}, {}},
        {"", {}, {}},
        {" \t", {}, {}},
        {"#http://x.example/", {}, neither.arg("#http://x.example/")},
        {"sub", {}, qs(folder.path() / "sub")},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.argument.toStdString());
        test::ScriptedDialogs dialogs;
        window::Form1 form(dialogs);
        form.show();
        LaunchArguments launch(form, dialogs);
        launch.open(qs(folder.path()), {row.argument});
        EXPECT_EQ(listed(form), row.added);
        if (row.message.isEmpty()) {
            EXPECT_TRUE(dialogs.shown.empty());
        } else {
            ASSERT_EQ(dialogs.shown.size(), 1u);
            EXPECT_TRUE(dialogs.shown[0].text.contains(row.message))
                << dialogs.shown[0].text.toStdString();
        }
    }
}

TEST(LaunchArguments, WaitForTheWindowToShowAndForItsRunToEndThenKeepTheirOrder) {
    const test::ScopedHome home;
    test::LoopbackServer server;
    server.handle("/slow", [](auto&, auto& response) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        response.set_content("<rss><channel/></rss>", "application/xml");
    });
    test::ScriptedDialogs dialogs;
    window::Form1 form(dialogs);
    form.setPause([](double) {});
    form.Form_Load();
    LaunchArguments launch(form, dialogs);
    const QString slow = QString::fromStdString(server.url("/slow"));

    launch.open("/", {slow});
    EXPECT_TRUE(listed(form).isEmpty()) << "not before the window shows";
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return listed(form) == QStringList{slow}; }, 2000));

    form.PushButton2_Click();
    ASSERT_TRUE(form.isBusy());
    launch.open("/", {"http://b.example/"});
    launch.open("/", {"http://c.example/"});
    EXPECT_EQ(listed(form), QStringList{slow}) << "not while the run is under way";
    ASSERT_TRUE(QTest::qWaitFor([&] { return listed(form).size() == 3; }, 5000));
    EXPECT_FALSE(form.isBusy());
    EXPECT_EQ(listed(form), (QStringList{slow, "http://b.example/", "http://c.example/"}));
}

TEST(SingleInstance, TheProgramHandsItsArgumentsToTheRunningOneWhateverACrashLeftBehind) {
    const test::TempDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path().string()));
    const QString path = instanceSocketPath();
    QProcess program;
    program.setWorkingDirectory(qs(runtime.path()));
    const auto run = [&program](const QStringList& arguments) {
        program.start(LUMEWARD_PROGRAM, arguments);
        EXPECT_TRUE(QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 9000));
        return QString::number(program.exitCode()) + ' ' + program.readAll() +
               program.readAllStandardError();
    };
    // Printed, never handed over: with nobody listening, a window would open instead.
    // Help and version need no display.
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        noDisplay.remove(variable);
    }
    program.setProcessEnvironment(noDisplay);
    EXPECT_TRUE(run({"--version"}).startsWith("0 Lumeward " LUMEWARD_VERSION "\n"));
    EXPECT_TRUE(run({"--help"}).contains("[FILE|ADDRESS]..."));
    program.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    EXPECT_TRUE(run({"--no-such-option"})
                    .contains(QRegularExpression("^1 .*Unknown option 'no-such-option'")));

    const struct {
        const char* left;
        std::function<void()> leave;
        QStringList arguments;  // none: the running one only comes to the front
    } table[] = {
        {"nothing", [] {}, {}},
        {"the socket of a crashed instance",
         [&] { leaveStaleSocket(path.toStdString()); },
         {"feed://x.example/", "", "m\u00fcll.opml", "two\nlines"}},
        {"a file", [&] { runtime.write(path.toStdString(), "x"); }, {"list.txt"}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.left);
        row.leave();
        SingleInstance running(path);
        ASSERT_EQ(running.start("/", {}), SingleInstance::Outcome::First)
            << running.errorString().toStdString();
        QStringList received;
        QObject::connect(&running, &SingleInstance::requested,
                         [&](const QString& folder, const QStringList& given) {
                             received = QStringList{folder} + given;
                         });
        EXPECT_EQ(run(row.arguments), "0 ");
        EXPECT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 5000));
        EXPECT_EQ(received, QStringList{program.workingDirectory()} + row.arguments);
    }
    qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(WindowPlacement, BringsAShownWindowToTheFrontButShowsNoHiddenOne) {
    test::ScriptedDialogs dialogs;
    window::Form1 form(dialogs);
    bringToFront(form);
    EXPECT_FALSE(form.isVisible());
    form.showMinimized();
    bringToFront(form);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isMinimized());
}

}  // namespace
}  // namespace lumeward::shell

#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>

namespace lumeward::window {
class Dialogs;
class Form1;
}  // namespace lumeward::window

namespace lumeward::shell {

// What one argument of `lumeward` asks for: an address to add (http and https;
// the feed: forms browsers hand over are turned into those), an address file
// to load (a path, relative ones from the working folder, or a file: URL),
// nothing at all (an argument of blanks only), or nothing usable.
struct LaunchArgument {
    enum class Kind { Address, File, Nothing, Unusable };
    Kind kind;
    QString value;  // the address, or the file's absolute path
};

LaunchArgument interpretArgument(const QString& argument, const QString& workingFolder);

// Applies the arguments of this and of later instances to the window, in the
// order they came: addresses are added, files loaded as "Load RSS URLs From
// File" loads them, anything else gets one message naming it. Nothing is
// applied before the window shows, nor while it is busy: the rest waits.
class LaunchArguments : public QObject {
    Q_OBJECT

public:
    // Lives as long as the window; dialogs must outlive it.
    LaunchArguments(window::Form1& form, window::Dialogs& dialogs);

    void open(const QString& workingFolder, const QStringList& arguments);

private:
    struct Pending {
        QString argument;
        QString workingFolder;
    };
    void applyPending();
    void apply(const Pending& pending);

    window::Form1& m_form;
    window::Dialogs& m_dialogs;
    std::deque<Pending> m_pending;
    QTimer m_retry;
    // A file load or a message lets events in, and with them further requests.
    bool m_applying = false;
};

}  // namespace lumeward::shell

#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalSocket;

namespace lumeward::shell {

// One window per user. The first instance listens on a local socket; a later
// one hands its working folder and arguments to it and ends. A socket left
// behind by an instance that crashed is replaced, never in the way.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        First,       // no instance runs: this one listens now
        HandedOver,  // the running instance took the arguments
        NoAnswer,    // an instance runs but did not take them
        Alone,       // cannot listen: this one runs on its own
    };

    // socketPath: where the instance listens; instanceSocketPath() for the program.
    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);

    Outcome start(const QString& workingFolder, const QStringList& arguments);
    // What went wrong, after NoAnswer or Alone.
    const QString& errorString() const { return m_error; }

signals:
    // A later instance was started with these arguments in this folder.
    void requested(const QString& workingFolder, const QStringList& arguments);

private:
    // Sends the request and waits until the running instance says it has it.
    static bool handOver(QLocalSocket& socket, const QString& workingFolder,
                         const QStringList& arguments);
    void receive();

    QString m_socketPath;
    QLocalServer m_server;
    QString m_error;
};

// The user's socket: in the runtime folder ($XDG_RUNTIME_DIR), which only the
// user can enter.
QString instanceSocketPath();

}  // namespace lumeward::shell

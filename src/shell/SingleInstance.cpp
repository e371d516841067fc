#include "shell/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

#include <memory>
#include <optional>

namespace lumeward::shell {

namespace {

// Connecting to a local socket takes no time unless its listener is gone.
constexpr int kConnectMilliseconds = 1000;
// The running instance answers from its event loop, which never waits long.
constexpr int kAnswerMilliseconds = 10000;
// Only one instance at a time checks for a running one and starts listening.
constexpr int kLockMilliseconds = 10000;
// Far more than an argument list can hold (the kernel takes 2 MiB at most).
constexpr qsizetype kMostRequestBytes = 8 << 20;
constexpr char kTaken = '\1';

// A request: the number of fields, then each field, each followed by a NUL
// (which no argument can hold).
QByteArray encodeRequest(const QStringList& fields) {
    QByteArray bytes = QByteArray::number(fields.size()) + '\0';
    for (const QString& field : fields) {
        bytes += field.toUtf8() + '\0';
    }
    return bytes;
}

// The fields, once every one has come; nothing before.
std::optional<QStringList> decodeRequest(const QByteArray& bytes) {
    const QList<QByteArray> pieces = bytes.split('\0');
    bool valid = false;
    const qsizetype count = pieces.front().toLongLong(&valid);
    // The piece after the last NUL is still open.
    if (!valid || count < 1 || count > kMostRequestBytes || pieces.size() < count + 2) {
        return std::nullopt;
    }
    QStringList fields;
    for (qsizetype i = 1; i <= count; ++i) {
        fields << QString::fromUtf8(pieces[i]);
    }
    return fields;
}

}  // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)) {
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::receive);
}

SingleInstance::Outcome SingleInstance::start(const QString& workingFolder,
                                              const QStringList& arguments) {
    QLockFile lock(m_socketPath + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockMilliseconds)) {
        m_error = tr("cannot lock %1.lock").arg(m_socketPath);
        return Outcome::Alone;
    }
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (socket.waitForConnected(kConnectMilliseconds)) {
        lock.unlock();
        if (!handOver(socket, workingFolder, arguments)) {
            m_error = tr("the Lumeward already running at %1 did not answer: %2")
                          .arg(m_socketPath, socket.errorString());
            return Outcome::NoAnswer;
        }
        return Outcome::HandedOver;
    }
    // Nobody listens: whatever is left at the path is a crashed instance's.
    QLocalServer::removeServer(m_socketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_socketPath)) {
        m_error = tr("cannot listen at %1: %2").arg(m_socketPath, m_server.errorString());
        return Outcome::Alone;
    }
    return Outcome::First;
}

bool SingleInstance::handOver(QLocalSocket& socket, const QString& workingFolder,
                              const QStringList& arguments) {
    const QDeadlineTimer deadline(kAnswerMilliseconds);
    socket.write(encodeRequest(QStringList{workingFolder} + arguments));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
    }
    char answer = 0;
    return socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())) &&
           socket.getChar(&answer) && answer == kTaken;
}

void SingleInstance::receive() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto received = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
            *received += socket->readAll();
            const auto fields = decodeRequest(*received);
            if (!fields && received->size() <= kMostRequestBytes) {
                return;
            }
            if (fields) {
                socket->putChar(kTaken);
                socket->flush();
            }
            socket->disconnectFromServer();
            if (fields) {
                // Queued: what the request sets off may run event loops of its own.
                QMetaObject::invokeMethod(
                    this, [this, fields] { emit requested(fields->front(), fields->mid(1)); },
                    Qt::QueuedConnection);
            }
        });
    }
}

QString instanceSocketPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return QStringLiteral("%1/lumeward-%2.socket").arg(folder).arg(::getuid());
}

}  // namespace lumeward::shell

#include "SingleInstance.h"

#include "CommandLine.h"
#include "Log.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QTimer>
#include <unistd.h>

namespace {
const QByteArray endOfMessage = QByteArrayLiteral("\n\n");
const QByteArray acknowledgement = QByteArrayLiteral("ok\n");

// How long a start waits for a live server to answer before calling its socket stale.
constexpr int probeTimeoutMs = 500;
// Two instances starting together take turns at the socket.
constexpr int lockTimeoutMs = 5'000;
} // namespace

SingleInstance::SingleInstance(QString serverName, std::chrono::milliseconds clientTimeout, QObject* parent)
    : QObject(parent), m_serverName(std::move(serverName)), m_clientTimeout(clientTimeout)
{}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultServerName()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("tabbywatch.socket"));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("tabbywatch-%1.socket").arg(::getuid()));
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

bool SingleInstance::listen()
{
    if (isListening())
        return true;
    QLockFile lock(m_serverName + QStringLiteral(".lock"));
    if (!lock.tryLock(lockTimeoutMs)) {
        logLine(QStringLiteral("⚠️ Could not lock ") + lock.fileName());
        return false;
    }

    if (!m_server) {
        m_server = new QLocalServer(this);
        // Other users may not talk to us, even where the socket sits in the shared temp folder.
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = m_server->nextPendingConnection())
                accept(socket);
        });
    }
    // Asked before listening: QLocalServer would replace the socket of a live instance without a word.
    if (QFileInfo::exists(m_serverName)) {
        QLocalSocket probe;
        probe.connectToServer(m_serverName);
        if (probe.waitForConnected(probeTimeoutMs)) {
            probe.abort();
            return false;
        }
        // A socket that refuses connections has nobody behind it, as after a crash. Anything else (a
        // server too busy to accept, no permission) may still be alive and is left alone.
        if (probe.error() != QLocalSocket::ConnectionRefusedError)
            return false;
        logLine(QStringLiteral("🗑️ Removing stale instance socket ") + m_serverName);
        QLocalServer::removeServer(m_serverName);
    }
    return m_server->listen(m_serverName);
}

void SingleInstance::accept(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A client that says nothing, or never finishes, is dropped.
    QTimer::singleShot(m_clientTimeout, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer = QByteArray()]() mutable {
        buffer += socket->read(maxMessageBytes + 1 - buffer.size());
        const qsizetype end = buffer.indexOf(endOfMessage);
        if (end < 0) {
            if (buffer.size() > maxMessageBytes)
                socket->abort();
            return;
        }
        // Only exactly the known words, all of them, or nothing.
        const QString text = QString::fromUtf8(buffer.left(end));
        const QStringList commands = text.split(u'\n');
        for (const QString& command : commands) {
            if (!CommandLine::isCommand(command)) {
                socket->abort();
                return;
            }
        }
        // Answered before the commands run: a command may open a window, and the client is waiting.
        disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
        socket->write(acknowledgement);
        socket->disconnectFromServer();
        const QPointer<SingleInstance> self(this);
        for (const QString& command : commands) {
            emit commandReceived(command);
            if (!self)
                return;
        }
    });
}

bool SingleInstance::sendToRunning(const QStringList& commands, int timeoutMs)
{
    if (commands.isEmpty())
        return false;
    for (const QString& command : commands)
        if (!CommandLine::isCommand(command))
            return false;

    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(commands.join(u'\n').toUtf8() + endOfMessage);
    QByteArray answer;
    while (!answer.contains(acknowledgement) && answer.size() < acknowledgement.size() * 2) {
        // Also writes what is still queued.
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        answer += socket.readAll();
    }
    return answer.startsWith(acknowledgement);
}

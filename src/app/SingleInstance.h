#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>

class QLocalServer;
class QLocalSocket;

// One Tabbywatch per user session: the first instance listens on a local socket, later starts hand
// their commands (CommandLine::isCommand words) to it and exit.
//
// Protocol: the client sends each command on a line of its own and an empty line; the server
// answers "ok\n" once it has taken the whole message. A message with an unknown command, too long
// or not finished in time is dropped as a whole.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds defaultClientTimeout{2'000};
    static constexpr qsizetype maxMessageBytes = 4096;

    // serverName: a socket path (tests pass their own); clientTimeout: how long a connected client
    // may take to send its message. Nothing is opened until listen() or sendToRunning().
    explicit SingleInstance(QString serverName = defaultServerName(),
                            std::chrono::milliseconds clientTimeout = defaultClientTimeout,
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // $XDG_RUNTIME_DIR/tabbywatch.socket, or without it tabbywatch-<uid>.socket in the temp folder.
    static QString defaultServerName();

    QString serverName() const { return m_serverName; }
    bool isListening() const;

    // Becomes the primary instance. Takes over a socket left by a crashed instance, never a live one.
    // Needs the application object (the server runs on the event loop).
    bool listen();

    // Blocks until the running instance acknowledged the commands or timeoutMs ran out. Works before
    // the application object exists. False for an empty list or a word that is no command.
    bool sendToRunning(const QStringList& commands, int timeoutMs = 2000);

signals:
    // The primary's commands, in the order the client sent them.
    void commandReceived(const QString& command);

private:
    void accept(QLocalSocket* socket);

    const QString m_serverName;
    const std::chrono::milliseconds m_clientTimeout;
    QLocalServer* m_server = nullptr;
};

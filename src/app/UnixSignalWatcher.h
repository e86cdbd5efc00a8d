#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

// Turns SIGINT and SIGTERM into a Qt signal on the event loop (a handler may only write to a pipe).
class UnixSignalWatcher : public QObject
{
    Q_OBJECT
public:
    explicit UnixSignalWatcher(QObject* parent = nullptr);
    ~UnixSignalWatcher() override;

signals:
    void terminationRequested(int signalNumber);

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

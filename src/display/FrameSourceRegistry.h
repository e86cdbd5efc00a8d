#pragma once

#include "FrameSource.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <chrono>
#include <memory>

class FramePacer;

// Hands out one shared FrameSource per (clip, size). A source whose last holder lets go is paused and
// closed after the delay unless someone takes it again; closing runs on the registry's workers, which
// then give the freed memory back to the system. Acquire and release on the registry's thread.
class FrameSourceRegistry : public QObject
{
    Q_OBJECT
public:
    // Every frame of every source wakes the pacer, when there is one.
    explicit FrameSourceRegistry(std::chrono::milliseconds closeDelay = std::chrono::seconds(2),
                                 FramePacer* pacer = nullptr, QObject* parent = nullptr);
    // Closes every source and waits for the workers; sources still held are closed but stay valid.
    ~FrameSourceRegistry() override;

    // The registry of the GUI thread, which wakes FramePacer::shared() on every frame; it lives as
    // long as the application object.
    static FrameSourceRegistry& shared();

    // Started and active; an empty path or size gives a source that fails.
    std::shared_ptr<FrameSource> acquire(const QString& path, QSize size);
    // Sources held, waiting for their delay or being closed.
    int sourceCount() const;

signals:
    void sourceClosed(const QString& path, QSize size);

private:
    struct Core;
    void release(FrameSource* source);
    void closeIfUnused(FrameSource* source, quint64 generation);
    void finishClose(FrameSource* source);

    std::unique_ptr<Core> m_core;
};

#include "SmoothProgressTracker.h"

#include <algorithm>

SmoothProgressTracker::SmoothProgressTracker(ProgressHandler handler, QObject* parent)
    : QObject(parent), m_progressHandler(std::move(handler))
{
    m_timer.setInterval(tickIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &SmoothProgressTracker::tick);
}

void SmoothProgressTracker::start()
{
    m_currentProgress = 0;
    m_targetProgress = 0;
    m_currentStage = ProcessingStage::validating;
    report();
    m_timer.start();
}

void SmoothProgressTracker::setTarget(double target, ProcessingStage stage)
{
    m_targetProgress = target;
    m_currentStage = stage;
}

void SmoothProgressTracker::stop()
{
    m_timer.stop();
    m_currentProgress = 1.0;
    report();
}

void SmoothProgressTracker::tick()
{
    if (m_currentProgress >= m_targetProgress)
        return;
    m_currentProgress = nextProgress(m_currentProgress, m_targetProgress);
    report();
}

double SmoothProgressTracker::nextProgress(double current, double target)
{
    if (current >= target)
        return current;
    const double step = std::max(0.15 * (target - current), 0.005);
    return std::min(current + step, target);
}

void SmoothProgressTracker::report()
{
    // Queued on this object: a tracker destroyed with reports pending drops them with it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_progressHandler)
                m_progressHandler(m_currentProgress, processingStageText(m_currentStage));
        },
        Qt::QueuedConnection);
}

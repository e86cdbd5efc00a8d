#pragma once

#include "ProcessingStage.h"

#include <QObject>
#include <QTimer>
#include <functional>

// Turns the jumpy progress of a pipeline into a steadily rising value: every tick closes 15 % of the
// gap to the target, at least 0.005, never past it. Reports are queued and read the fields when they
// run, so a burst of changes shows its latest state.
class SmoothProgressTracker : public QObject
{
    Q_OBJECT
public:
    using ProgressHandler = std::function<void(double progress, const QString& stageText)>;
    static constexpr int tickIntervalMs = 100;

    explicit SmoothProgressTracker(ProgressHandler handler, QObject* parent = nullptr);

    void start();
    void setTarget(double target, ProcessingStage stage);
    // Ends the run at exactly 1.0.
    void stop();
    // One step of the timer.
    void tick();
    // Where one step goes from current towards target; never back.
    static double nextProgress(double current, double target);

    double currentProgress() const { return m_currentProgress; }
    double targetProgress() const { return m_targetProgress; }
    ProcessingStage currentStage() const { return m_currentStage; }
    bool isRunning() const { return m_timer.isActive(); }

private:
    void report();

    QTimer m_timer;
    double m_currentProgress = 0;
    double m_targetProgress = 0;
    ProcessingStage m_currentStage = ProcessingStage::validating;
    ProgressHandler m_progressHandler;
};

#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

// Seconds a completed state lasts before falling back to idle; 0 or less means until acknowledged.
// Read each time a celebration starts, so the application hands in its preferences here.
using CelebrationDurationSource = std::function<double()>;

// The fall-back of one cat from completed to idle. Its owner says when a celebration starts and when the
// state moved on; the timer or an acknowledgement ends it, and ended() tells the owner to show idle.
class Celebration : public QObject
{
    Q_OBJECT
public:
    // sessionId names the cat in the log lines, empty for the single cat. isCompleted says whether the
    // cat still shows completed: the end of a celebration whose cat moved on is silent.
    Celebration(CelebrationDurationSource duration, QString sessionId, std::function<bool()> isCompleted,
                QObject* parent = nullptr);

    bool isPending() const { return m_timer.isActive(); }
    // Starts the timer anew, or only logs when the duration asks for an acknowledgement. elapsedSeconds
    // is how long the cat has been completed already (read back after a restart): a celebration that
    // would be over by now ends at once instead of being shown again.
    void start(double elapsedSeconds = 0);
    void cancel();
    // Ends the celebration now, as the timer does when it runs out.
    void finish();

signals:
    void ended();

private:
    // " for <short id>", or nothing for the single cat.
    QString forWhom() const;

    QTimer m_timer;
    CelebrationDurationSource m_duration;
    const QString m_sessionId;
    std::function<bool()> m_isCompleted;
};

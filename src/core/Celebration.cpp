#include "Celebration.h"

#include "Log.h"
#include "TextFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
int timerMilliseconds(double seconds)
{
    // QTimer counts in int milliseconds; anything longer is "a very long time" all the same.
    return int(std::ceil(std::min(seconds * 1000.0, double(std::numeric_limits<int>::max()))));
}
} // namespace

Celebration::Celebration(CelebrationDurationSource duration, QString sessionId,
                         std::function<bool()> isCompleted, QObject* parent)
    : QObject(parent), m_duration(std::move(duration)), m_sessionId(std::move(sessionId)),
      m_isCompleted(std::move(isCompleted))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Celebration::finish);
}

QString Celebration::forWhom() const
{
    return m_sessionId.isEmpty() ? QString()
                                 : QStringLiteral(" for ") + TextFormat::shortSessionId(m_sessionId);
}

void Celebration::start(double elapsedSeconds)
{
    cancel();
    const double duration = m_duration ? m_duration() : 0.0;
    if (!(duration > 0)) {
        logLine(QStringLiteral("⏱️ Celebration auto-transition disabled") +
                (m_sessionId.isEmpty() ? QStringLiteral(" (manual only)") : forWhom()));
        return;
    }
    const double seconds = duration - std::max(0.0, elapsedSeconds);
    if (!(seconds > 0)) {
        finish();
        return;
    }
    logLine(QStringLiteral("⏱️ Starting celebration timer") + forWhom() + QStringLiteral(" (") +
            TextFormat::secondsText(seconds) + QStringLiteral("s)"));
    m_timer.start(timerMilliseconds(seconds));
}

void Celebration::cancel()
{
    if (!m_timer.isActive())
        return;
    logLine(QStringLiteral("⏱️ Cancelling celebration timer") + forWhom());
    m_timer.stop();
}

void Celebration::finish()
{
    cancel();
    if (m_isCompleted && !m_isCompleted())
        return;
    logLine(QStringLiteral("🎉 Celebration complete") + forWhom() + QStringLiteral(", returning to idle"));
    emit ended();
}

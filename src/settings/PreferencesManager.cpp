#include "PreferencesManager.h"

#include "AppNotifications.h"
#include "Log.h"
#include "PreferenceValue.h"

#include <QFileInfo>

namespace {
using ChangeSignal = void (PreferencesManager::*)();
using Notification = void (AppNotifications::*)();

struct Definition
{
    const char* key;
    PreferenceKind kind;
    QVariant fallback;
    ChangeSignal changed;
    Notification notification = nullptr; // posted after the value is stored
};

using P = PreferencesManager;

const std::array<Definition, P::preferenceCount>& table()
{
    static const std::array<Definition, P::preferenceCount> rows{{
        {"windowOpacity", PreferenceKind::number, 1.0, &P::windowOpacityChanged},
        {"windowSize", PreferenceKind::number, 200.0, &P::windowSizeChanged},
        {"showOverlay", PreferenceKind::boolean, true, &P::showOverlayChanged},
        {"launchAtLogin", PreferenceKind::boolean, false, &P::launchAtLoginChanged},
        {"celebrationDuration", PreferenceKind::number, 5.0, &P::celebrationDurationChanged},
        {"isCompactMode", PreferenceKind::boolean, false, &P::isCompactModeChanged,
         &AppNotifications::compactModeChanged},
        {"selectedSkinID", PreferenceKind::uuid, QVariant::fromValue(QUuid()), &P::selectedSkinIDChanged},
        {"layoutMode", PreferenceKind::layoutMode, QVariant::fromValue(LayoutMode::horizontalBar),
         &P::layoutModeChanged, &AppNotifications::layoutModeChanged},
        {"multiInstanceEnabled", PreferenceKind::boolean, true, &P::multiInstanceEnabledChanged},
        {"staleSessionTimeout", PreferenceKind::number, 1800.0, &P::staleSessionTimeoutChanged},
        {"skipOnboardingWindow", PreferenceKind::boolean, false, &P::skipOnboardingWindowChanged},
        {"notifyWhenNeedsInput", PreferenceKind::boolean, true, &P::notifyWhenNeedsInputChanged},
        {"notifyWhenCompleted", PreferenceKind::boolean, false, &P::notifyWhenCompletedChanged},
        {"analyticsEnabled", PreferenceKind::boolean, true, &P::analyticsEnabledChanged},
        {"analyticsDeviceId", PreferenceKind::text, QString(), &P::analyticsDeviceIdChanged},
    }};
    return rows;
}

const Definition& definition(P::Preference preference)
{
    return table()[size_t(preference)];
}

const QString windowPositionX = QStringLiteral("windowPositionX");
const QString windowPositionY = QStringLiteral("windowPositionY");
} // namespace

PreferencesManager::PreferencesManager(std::unique_ptr<QSettings> settings, AppNotifications* notifications,
                                       AutostartEntry autostart, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_notifications(notifications),
      m_autostart(std::move(autostart))
{
    const QString file = m_settings->fileName();
    if (m_settings->status() != QSettings::NoError ||
        (QFileInfo::exists(file) && !QFileInfo(file).isReadable())) {
        m_persistent = false;
        logLine(QStringLiteral("⚠️ Could not read settings, using defaults and not saving changes: ") +
                file);
    }
    for (size_t i = 0; i < table().size(); ++i) {
        const Definition& row = table()[i];
        m_values[i] =
            readPreference(row.kind, m_settings->value(QLatin1String(row.key))).value_or(row.fallback);
    }
    if (launchAtLogin())
        if (const auto result = m_autostart.refresh(); !result)
            logLine(QStringLiteral("Failed to update launch at login: ") + result.error());
}

PreferencesManager::~PreferencesManager() = default;

std::unique_ptr<QSettings> PreferencesManager::defaultSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Tabbywatch"), QStringLiteral("Tabbywatch"));
}

QString PreferencesManager::key(Preference preference)
{
    return QLatin1String(definition(preference).key);
}

void PreferencesManager::assign(Preference preference, const QVariant& value)
{
    const Definition& row = definition(preference);
    m_values[size_t(preference)] = value;
    emit(this->*row.changed)();
    store(QLatin1String(row.key), storedPreference(row.kind, value));
    if (row.notification && m_notifications)
        emit(m_notifications->*row.notification)();
}

void PreferencesManager::store(const QString& key, const QVariant& value)
{
    if (!m_persistent)
        return;
    if (value.isValid())
        m_settings->setValue(key, value);
    else
        m_settings->remove(key);
    m_settings->sync();
}

std::optional<QUuid> PreferencesManager::selectedSkinID() const
{
    const QUuid id = m_values[int(Preference::selectedSkinID)].value<QUuid>();
    return id.isNull() ? std::nullopt : std::optional(id);
}

void PreferencesManager::setSelectedSkinID(std::optional<QUuid> value)
{
    assign(Preference::selectedSkinID, QVariant::fromValue(value.value_or(QUuid())));
}

void PreferencesManager::setLaunchAtLogin(bool value)
{
    assign(Preference::launchAtLogin, value);
    if (const auto result = m_autostart.setEnabled(value); !result)
        logLine(QStringLiteral("Failed to update launch at login: ") + result.error());
}

void PreferencesManager::chooseWindowSize(double side)
{
    setWindowSize(side);
    if (m_notifications)
        emit m_notifications->windowSizeChanged();
}

void PreferencesManager::chooseLayoutMode(LayoutMode mode)
{
    setLayoutMode(mode);
    if (m_notifications)
        emit m_notifications->layoutModeChanged();
}

std::optional<QPointF> PreferencesManager::savedWindowPosition() const
{
    const auto x = readPreference(PreferenceKind::number, m_settings->value(windowPositionX));
    const auto y = readPreference(PreferenceKind::number, m_settings->value(windowPositionY));
    if (!x || !y)
        return std::nullopt;
    return QPointF(x->toDouble(), y->toDouble());
}

void PreferencesManager::saveWindowPosition(QPointF position)
{
    store(windowPositionX, position.x());
    store(windowPositionY, position.y());
}

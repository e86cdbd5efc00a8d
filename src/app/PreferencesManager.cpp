#include "PreferencesManager.h"

#include "AppNotifications.h"
#include "Log.h"

#include <QFileInfo>
#include <cmath>

namespace Key {
const QString windowOpacity = QStringLiteral("windowOpacity");
const QString windowSize = QStringLiteral("windowSize");
const QString showOverlay = QStringLiteral("showOverlay");
const QString launchAtLogin = QStringLiteral("launchAtLogin");
const QString celebrationDuration = QStringLiteral("celebrationDuration");
const QString isCompactMode = QStringLiteral("isCompactMode");
const QString selectedSkinID = QStringLiteral("selectedSkinID");
const QString layoutMode = QStringLiteral("layoutMode");
const QString multiInstanceEnabled = QStringLiteral("multiInstanceEnabled");
const QString staleSessionTimeout = QStringLiteral("staleSessionTimeout");
const QString skipOnboardingWindow = QStringLiteral("skipOnboardingWindow");
const QString windowPositionX = QStringLiteral("windowPositionX");
const QString windowPositionY = QStringLiteral("windowPositionY");
} // namespace Key

namespace {
// An INI file hands every value back as text; only text that reads cleanly as a finite number counts.
std::optional<double> numberValue(const QVariant& value)
{
    bool ok = false;
    double number = 0;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        number = value.toDouble(&ok);
        break;
    case QMetaType::QString:
        number = value.toString().trimmed().toDouble(&ok);
        break;
    default:
        break;
    }
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

std::optional<bool> boolValue(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == u"true")
            return true;
        if (text == u"false")
            return false;
    }
    return std::nullopt;
}
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

    m_windowOpacity = loadDouble(Key::windowOpacity, 1.0);
    m_windowSize = loadDouble(Key::windowSize, 200.0);
    m_showOverlay = loadBool(Key::showOverlay, true);
    m_launchAtLogin = loadBool(Key::launchAtLogin, false);
    m_celebrationDuration = loadDouble(Key::celebrationDuration, 5.0);
    m_isCompactMode = loadBool(Key::isCompactMode, false);
    const QUuid skin = QUuid::fromString(m_settings->value(Key::selectedSkinID).toString());
    m_selectedSkinID = skin.isNull() ? std::nullopt : std::optional(skin);
    m_layoutMode = layoutModeFromRawValue(m_settings->value(Key::layoutMode).toString())
                       .value_or(LayoutMode::horizontalBar);
    m_multiInstanceEnabled = loadBool(Key::multiInstanceEnabled, true);
    m_staleSessionTimeout = loadDouble(Key::staleSessionTimeout, 1800.0);
    m_skipOnboardingWindow = loadBool(Key::skipOnboardingWindow, false);
}

PreferencesManager::~PreferencesManager() = default;

std::unique_ptr<QSettings> PreferencesManager::defaultSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Tabbywatch"), QStringLiteral("Tabbywatch"));
}

double PreferencesManager::loadDouble(const QString& key, double fallback) const
{
    return numberValue(m_settings->value(key)).value_or(fallback);
}

bool PreferencesManager::loadBool(const QString& key, bool fallback) const
{
    return boolValue(m_settings->value(key)).value_or(fallback);
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

void PreferencesManager::setWindowOpacity(double value)
{
    m_windowOpacity = value;
    emit windowOpacityChanged();
    store(Key::windowOpacity, value);
}

void PreferencesManager::setWindowSize(double value)
{
    m_windowSize = value;
    emit windowSizeChanged();
    store(Key::windowSize, value);
}

void PreferencesManager::setShowOverlay(bool value)
{
    m_showOverlay = value;
    emit showOverlayChanged();
    store(Key::showOverlay, value);
}

void PreferencesManager::setLaunchAtLogin(bool value)
{
    m_launchAtLogin = value;
    emit launchAtLoginChanged();
    store(Key::launchAtLogin, value);
    if (const auto result = m_autostart.setEnabled(value); !result)
        logLine(QStringLiteral("Failed to update launch at login: ") + result.error());
}

void PreferencesManager::setCelebrationDuration(double value)
{
    m_celebrationDuration = value;
    emit celebrationDurationChanged();
    store(Key::celebrationDuration, value);
}

void PreferencesManager::setCompactMode(bool value)
{
    m_isCompactMode = value;
    emit isCompactModeChanged();
    store(Key::isCompactMode, value);
    if (m_notifications)
        emit m_notifications->compactModeChanged();
}

void PreferencesManager::setSelectedSkinID(std::optional<QUuid> value)
{
    if (value && value->isNull())
        value.reset();
    m_selectedSkinID = value;
    emit selectedSkinIDChanged();
    store(Key::selectedSkinID,
          value ? QVariant(value->toString(QUuid::WithoutBraces).toUpper()) : QVariant());
}

void PreferencesManager::setLayoutMode(LayoutMode value)
{
    m_layoutMode = value;
    emit layoutModeChanged();
    store(Key::layoutMode, layoutModeRawValue(value));
    if (m_notifications)
        emit m_notifications->layoutModeChanged();
}

void PreferencesManager::setMultiInstanceEnabled(bool value)
{
    m_multiInstanceEnabled = value;
    store(Key::multiInstanceEnabled, value);
    emit multiInstanceEnabledChanged(value);
}

void PreferencesManager::setStaleSessionTimeout(double value)
{
    m_staleSessionTimeout = value;
    store(Key::staleSessionTimeout, value);
    emit staleSessionTimeoutChanged(value);
}

void PreferencesManager::setSkipOnboardingWindow(bool value)
{
    m_skipOnboardingWindow = value;
    emit skipOnboardingWindowChanged();
    store(Key::skipOnboardingWindow, value);
}

std::optional<QPointF> PreferencesManager::savedWindowPosition() const
{
    const auto x = numberValue(m_settings->value(Key::windowPositionX));
    const auto y = numberValue(m_settings->value(Key::windowPositionY));
    if (!x || !y)
        return std::nullopt;
    return QPointF(*x, *y);
}

void PreferencesManager::saveWindowPosition(QPointF position)
{
    store(Key::windowPositionX, position.x());
    store(Key::windowPositionY, position.y());
}

#pragma once

#include "SessionListModel.h"
#include "SkinCatalog.h"
#include "StatusViewModel.h"

class MultiSessionManager;
class QQmlEngine;
class SkinManager;
class StatusManager;
class ViewPreferences;

// The services as the cat views see them. While it lives, its objects are the instances behind the
// QML singletons Status, Sessions, Skins and Preferences.
class DisplayServices
{
public:
    DisplayServices(StatusManager& statusManager, MultiSessionManager& sessionManager,
                    SkinManager& skinManager, ViewPreferences& preferences);
    ~DisplayServices();
    DisplayServices(const DisplayServices&) = delete;
    DisplayServices& operator=(const DisplayServices&) = delete;

    StatusViewModel& status() { return m_status; }
    SessionListModel& sessions() { return m_sessions; }
    SkinCatalog& skins() { return m_skins; }

    // What an engine needs to show the views: the module's import path and the icons.
    static void prepareEngine(QQmlEngine& engine);

private:
    StatusViewModel m_status;
    SessionListModel m_sessions;
    SkinCatalog m_skins;
};

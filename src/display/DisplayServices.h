#pragma once

#include "MultiSessionManager.h"
#include "SessionListModel.h"
#include "SkinCatalog.h"
#include "SkinManager.h"
#include "StatusManager.h"
#include "StatusViewModel.h"
#include "UsageEventSink.h"

#include <memory>

class PreferencesManager;
class QQmlEngine;

// The services the cat views show, put together over the preferences: the status and session
// managers, the skins, and their faces for QML. While it lives, its objects and the preferences are
// the instances behind the QML singletons Status, Sessions, Skins and Preferences.
class DisplayServices
{
public:
    struct Options
    {
        QString home; // where .tabbywatch lives
        QString customSkinsDirectory;
        QString bundledSkinsDirectory = SkinManager::defaultBundledSkinsDirectory();
        QString temporaryDirectory = VideoProcessor::defaultTemporaryDirectory();
        MultiSessionTiming sessionTiming = {};
        // Claude Code's configuration folder ($CLAUDE_CONFIG_DIR); empty means home's .claude.
        QString claudeConfigDirectory = {};
    };

    DisplayServices(PreferencesManager& preferences, Options options, UsageEventSink track);
    ~DisplayServices();
    DisplayServices(const DisplayServices&) = delete;
    DisplayServices& operator=(const DisplayServices&) = delete;

    StatusManager& statusManager() { return *m_statusManager; }
    SkinManager& skinManager() { return *m_skinManager; }
    MultiSessionManager& multiSessionManager() { return *m_multiSessionManager; }
    StatusViewModel& status() { return *m_status; }
    SessionListModel& sessions() { return *m_sessions; }
    SkinCatalog& skins() { return *m_skins; }

    // What an engine needs to show the views: the module's import path and the icons.
    static void prepareEngine(QQmlEngine& engine);

private:
    std::unique_ptr<StatusManager> m_statusManager;
    std::unique_ptr<SkinManager> m_skinManager;
    std::unique_ptr<MultiSessionManager> m_multiSessionManager;
    std::unique_ptr<StatusViewModel> m_status;
    std::unique_ptr<SessionListModel> m_sessions;
    std::unique_ptr<SkinCatalog> m_skins;
};

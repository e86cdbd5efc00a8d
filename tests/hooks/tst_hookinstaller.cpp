#include "HookInstaller.h"
#include "LogCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Our six entries exactly as installed, in Claude Code's layout; %HOME% stands for the home. Only the
// first three events carry a matcher.
QString ourEntries()
{
    QStringList entries;
    for (const char* event :
         {"PreToolUse", "PostToolUse", "Notification", "Stop", "SessionStart", "SessionEnd"}) {
        QString entry = QStringLiteral(R"json(    "%1": [
      {
        "matcher": "*",
        "hooks": [
          {
            "type": "command",
            "command": "python3 %HOME%/.claude/hooks/status_writer.py %1",
            "timeout": 5
          }
        ]
      }
    ])json")
                            .arg(QLatin1String(event));
        if (entries.size() >= 3)
            entry.remove(QStringLiteral("        \"matcher\": \"*\",\n"));
        entries.append(entry);
    }
    return entries.join(QStringLiteral(",\n"));
}

const QString sixEntries = "{\n  \"hooks\": {\n" + ourEntries() + "\n  }\n}";

// A user's settings as Claude Code writes them, with members of their own, a foreign hook event, escapes
// and a number spelled their way, and no final line break; %1 stands for the hook events that follow
// their UserPromptSubmit.
const QString userSettingsLayout = QStringLiteral(R"json({
  "apiKeyHelper": "~/bin/api-key.sh",
  "model": "opus",
  "permissions": {
    "allow": [
      "Bash(npm run lint)",
      "Read(~/.zshrc)"
    ],
    "deny": []
  },
  "hooks": {
    "UserPromptSubmit": [
      {
        "hooks": [
          {
            "type": "command",
            "command": "~/bin/log-prompt.sh"
          }
        ]
      }
    ]%1
  },
  "env": {
    "GREETING": "gr\u00fc\u00df dich \ud83d\ude00",
    "TOOLS": "C:\\tools\/bin"
  },
  "cleanupPeriodDays": 1E+2,
  "includeCoAuthoredBy": false,
  "statusLine": null
})json");

// As the user has it: with their own PreToolUse hook.
const QByteArray userSettings = userSettingsLayout
                                    .arg(QStringLiteral(R"json(,
    "PreToolUse": [
      {
        "matcher": "Bash",
        "hooks": [
          {
            "type": "command",
            "command": "~/bin/guard.sh",
            "timeout": 30
          }
        ]
      }
    ])json"))
                                    .toUtf8();
// After installing: their PreToolUse entry replaced where it stood, our other five appended.
const QString userSettingsInstalled = userSettingsLayout.arg(",\n" + ourEntries());
// After uninstalling: only their own event is left under hooks.
const QByteArray userSettingsUninstalled = userSettingsLayout.arg(QString()).toUtf8();

QString realScript()
{
    return QStringLiteral(TABBYWATCH_SOURCE_DIR "/resources/status_writer.py");
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

mode_t modeOf(const QString& path)
{
    struct stat info
    {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? mode_t(info.st_mode & 07777) : mode_t(0);
}

// Lowers the largest file this process may write, as a full disk or a quota would stop it: writes past
// the limit fail with EFBIG. Root is bound by it too. SIGXFSZ, which would end the process, is ignored.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

template <typename Step> auto underFileSizeLimit(rlim_t bytes, Step step)
{
    FileSizeLimit limit(bytes);
    return step();
}

struct UsageEvent
{
    QString event;
    std::optional<QVariantMap> properties;
};
} // namespace

class TestHookInstaller : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void freshHomeGetsExactlyTheSixEntries();
    void usersSettingsKeepTheirMembersAndOrder();
    void installingTwiceChangesNothing();
    void olderInstallationIsUpdated();
    void symlinkedSettingsStayLinked();
    void installationStatus_data();
    void installationStatus();
    void unusableSettingsAreRefusedAndLeftUntouched_data();
    void unusableSettingsAreRefusedAndLeftUntouched();
    void pathComponentThatIsAFile();
    void readOnlyFolder();
    void failedScriptCopyKeepsTheOldScript();
    void failedSettingsWriteKeepsTheOldSettings();
    void failedUninstallKeepsTheScript();
    void missingScriptResource();
    void uninstallRemovesOnlyOurEntries();
    void uninstallRemovesHooksWhenOnlyOursWereThere();
    void uninstallWithoutFiles();
    void manualConfiguration();
    void registeredCommandRunsUnderTheShell();

private:
    std::unique_ptr<HookInstaller> makeInstaller(const QString& scriptSource = realScript());
    QString path(const QString& relative) const { return m_home->filePath(relative); }
    QString settingsPath() const { return path(".claude/settings.json"); }
    QString scriptPath() const { return path(".claude/hooks/status_writer.py"); }
    QString expected(const QString& text) const
    {
        return QString(text).replace(QStringLiteral("%HOME%"), m_home->path());
    }
    // Leftover temporary files would pile up in the user's folders.
    void verifyNoTemporaryFiles();
    // Settings too large to be written again under a 4 KiB file size limit, and an installer whose
    // script fits under it.
    std::unique_ptr<HookInstaller> withLargeSettingsAndSmallScript()
    {
        const QString smallScript = path("source/status_writer.py");
        writeFile(smallScript, "# idle_prompt\n");
        writeFile(settingsPath(), "{\n  \"notes\": \"" + QByteArray(8000, 'x') + "\"\n}\n");
        return makeInstaller(smallScript);
    }

    std::unique_ptr<QTemporaryDir> m_home;
    QList<UsageEvent> m_events;
};

void TestHookInstaller::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    m_events.clear();
}

std::unique_ptr<HookInstaller> TestHookInstaller::makeInstaller(const QString& scriptSource)
{
    return std::make_unique<HookInstaller>(
        m_home->path(), scriptSource,
        [this](const QString& event, const std::optional<QVariantMap>& properties) {
            m_events.append({event, properties});
        });
}

void TestHookInstaller::verifyNoTemporaryFiles()
{
    for (const QString& folder : {path(".claude"), path(".claude/hooks")}) {
        const QStringList hidden = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& name : hidden)
            QVERIFY2(!name.startsWith(u'.'), qPrintable(folder + "/" + name));
    }
}

void TestHookInstaller::freshHomeGetsExactlyTheSixEntries()
{
    auto installer = makeInstaller();
    QList<InstallationStatus> statuses;
    connect(installer.get(), &HookInstaller::installationStatusChanged, this,
            [&] { statuses.append(installer->installationStatus()); });
    QSignalSpy statusChanged(installer.get(), &HookInstaller::hookStatusChanged);

    QVERIFY(installer->installHooks().has_value());

    QCOMPARE(QString::fromUtf8(readAll(settingsPath())), expected(sixEntries) + u'\n');
    QCOMPARE(readAll(scriptPath()), readAll(realScript()));
    QCOMPARE(modeOf(scriptPath()), mode_t(0755));
    QVERIFY(readAll(scriptPath()).contains("idle_prompt"));
    QVERIFY(QFileInfo(path(".tabbywatch/sessions")).isDir());
    QCOMPARE(modeOf(path(".tabbywatch/sessions")), mode_t(0700));
    verifyNoTemporaryFiles();

    QCOMPARE(statuses,
             (QList<InstallationStatus>{InstallationStatus::installing, InstallationStatus::installed}));
    QCOMPARE(installer->statusMessage(), QStringLiteral("✅ Successfully installed hooks!"));
    QCOMPARE(statusChanged.count(), 1);
    QCOMPARE(m_events.size(), 2);
    QCOMPARE(m_events[0].event, QStringLiteral("hook_installation_attempted"));
    QVERIFY(!m_events[0].properties);
    QCOMPARE(m_events[1].event, QStringLiteral("hook_installation_completed"));
    QCOMPARE(m_events[1].properties, (QVariantMap{{"had_existing_hooks", false}}));
    // The compatibility waits for the next check.
    QCOMPARE(installer->hookCompatibility(), HookCompatibility::notInstalled);

    installer->checkInstallationStatus();
    QCOMPARE(installer->installationStatus(), InstallationStatus::installed);
    QCOMPARE(installer->hookCompatibility(), HookCompatibility::compatible);
    QCOMPARE(installer->statusMessage(), QStringLiteral("✅ Hooks are installed and configured"));
}

void TestHookInstaller::usersSettingsKeepTheirMembersAndOrder()
{
    QVERIFY(writeFile(settingsPath(), userSettings));
    QVERIFY(::chmod(QFile::encodeName(settingsPath()).constData(), 0600) == 0);
    auto installer = makeInstaller();

    QVERIFY(installer->installHooks().has_value());

    QCOMPARE(QString::fromUtf8(readAll(settingsPath())), expected(userSettingsInstalled));
    QCOMPARE(modeOf(settingsPath()), mode_t(0600));
    QCOMPARE(m_events.last().properties, (QVariantMap{{"had_existing_hooks", true}}));
    installer->checkInstallationStatus();
    QCOMPARE(installer->installationStatus(), InstallationStatus::installed);
}

void TestHookInstaller::installingTwiceChangesNothing()
{
    auto installer = makeInstaller();
    QVERIFY(installer->installHooks().has_value());
    const QByteArray first = readAll(settingsPath());
    QVERIFY(installer->installHooks().has_value());
    QCOMPARE(readAll(settingsPath()), first);
    QCOMPARE(m_events.last().properties, (QVariantMap{{"had_existing_hooks", true}}));
}

void TestHookInstaller::olderInstallationIsUpdated()
{
    // Before v0.4.2 only the tool events were registered, and the script did not know the idle prompt.
    const QByteArray older = QStringLiteral(R"json({
  "hooks": {
    "PreToolUse": [
      {
        "matcher": "*",
        "hooks": [
          {
            "type": "command",
            "command": "python3 %1 PreToolUse",
            "timeout": 5
          }
        ]
      }
    ]
  }
}
)json")
                                 .arg(scriptPath())
                                 .toUtf8();
    QVERIFY(writeFile(settingsPath(), older));
    QVERIFY(writeFile(scriptPath(), "import sys\n"));
    auto installer = makeInstaller();

    installer->checkInstallationStatus();
    QCOMPARE(installer->installationStatus(), InstallationStatus::partiallyInstalled);
    QCOMPARE(installer->hookCompatibility(), HookCompatibility::incompatible);
    QCOMPARE(installer->statusMessage(),
             QStringLiteral("⚠️ Hooks need updating for v0.4.2+ compatibility"));

    QVERIFY(installer->installHooks().has_value());
    QCOMPARE(m_events.last().properties, (QVariantMap{{"had_existing_hooks", true}}));
    QCOMPARE(QString::fromUtf8(readAll(settingsPath())), expected(sixEntries) + u'\n');
    installer->checkInstallationStatus();
    QCOMPARE(installer->installationStatus(), InstallationStatus::installed);
    QCOMPARE(installer->hookCompatibility(), HookCompatibility::compatible);
}

void TestHookInstaller::symlinkedSettingsStayLinked()
{
    // Settings kept in a dotfiles repository and linked into ~/.claude.
    const QString kept = path("dotfiles/claude-settings.json");
    QVERIFY(writeFile(kept, "{\n  \"model\": \"opus\"\n}\n"));
    QVERIFY(QDir().mkpath(path(".claude")));
    QVERIFY(QFile::link(kept, settingsPath()));

    QVERIFY(makeInstaller()->installHooks().has_value());

    QVERIFY(QFileInfo(settingsPath()).isSymLink());
    const QJsonObject settings = QJsonDocument::fromJson(readAll(kept)).object();
    QCOMPARE(settings.value("model").toString(), QStringLiteral("opus"));
    QCOMPARE(settings.value("hooks").toObject().keys().size(), 6);
}

void TestHookInstaller::installationStatus_data()
{
    QTest::addColumn<QByteArray>("script");   // empty: no script file
    QTest::addColumn<QByteArray>("settings"); // empty: no settings file
    QTest::addColumn<InstallationStatus>("status");
    QTest::addColumn<HookCompatibility>("compatibility");
    QTest::addColumn<QString>("message");

    const QByteArray script = "# handles idle_prompt\n";
    const QString needsUpdate = QStringLiteral("⚠️ Hooks need updating for v0.4.2+ compatibility");
    const auto partial = InstallationStatus::partiallyInstalled;

    QTest::newRow("nothing") << QByteArray() << QByteArray() << InstallationStatus::notInstalled
                             << HookCompatibility::notInstalled << QStringLiteral("❌ Hooks not installed");
    QTest::newRow("settings without script")
        << QByteArray() << QByteArray(R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "*"}]}})")
        << InstallationStatus::notInstalled << HookCompatibility::notInstalled
        << QStringLiteral("❌ Hooks not installed");
    QTest::newRow("script without settings")
        << script << QByteArray() << partial << HookCompatibility::notInstalled
        << QStringLiteral("⚠️ Script exists but settings.json not configured");
    const QString needsSettings = QStringLiteral("⚠️ Script exists but settings need update");
    QTest::newRow("no hooks") << script << QByteArray(R"({"model": "opus"})") << partial
                              << HookCompatibility::notInstalled << needsSettings;
    QTest::newRow("hooks not an object") << script << QByteArray(R"({"hooks": [{"PreToolUse": []}]})")
                                         << partial << HookCompatibility::notInstalled << needsSettings;
    QTest::newRow("only other events")
        << script << QByteArray(R"({"hooks": {"Notification": [{"matcher": "*"}]}})") << partial
        << HookCompatibility::notInstalled << needsSettings;
    QTest::newRow("garbage") << script << QByteArray("{\"hooks\": {\"PreToolUse\": []") << partial
                             << HookCompatibility::notInstalled << needsSettings;
    QTest::newRow("PostToolUse alone counts") << script << QByteArray(R"({"hooks": {"PostToolUse": null}})")
                                              << partial << HookCompatibility::incompatible << needsUpdate;
    QTest::newRow("Notification matcher not *")
        << script
        << QByteArray(R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "permission_prompt"}]}})")
        << partial << HookCompatibility::incompatible << needsUpdate;
    QTest::newRow("Notification not an array of objects")
        << script << QByteArray(R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "*"}, "x"]}})")
        << partial << HookCompatibility::incompatible << needsUpdate;
    QTest::newRow("script without idle_prompt")
        << QByteArray("import sys\n")
        << QByteArray(R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "*"}]}})") << partial
        << HookCompatibility::incompatible << needsUpdate;
    QTest::newRow("script not UTF-8")
        << QByteArray("idle_prompt \xff\xfe\n")
        << QByteArray(R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "*"}]}})") << partial
        << HookCompatibility::incompatible << needsUpdate;
    QTest::newRow("* further down the array")
        << script
        << QByteArray(
               R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "auth_success"}, {"matcher": "*"}]}})")
        << InstallationStatus::installed << HookCompatibility::compatible
        << QStringLiteral("✅ Hooks are installed and configured");
}

void TestHookInstaller::installationStatus()
{
    QFETCH(QByteArray, script);
    QFETCH(QByteArray, settings);
    if (!script.isEmpty())
        QVERIFY(writeFile(scriptPath(), script));
    if (!settings.isEmpty())
        QVERIFY(writeFile(settingsPath(), settings));
    auto installer = makeInstaller();
    QSignalSpy compatibilityChanged(installer.get(), &HookInstaller::hookCompatibilityChanged);

    installer->checkInstallationStatus();

    QTEST(installer->installationStatus(), "status");
    QTEST(installer->hookCompatibility(), "compatibility");
    QTEST(installer->statusMessage(), "message");
    QCOMPARE(compatibilityChanged.count(), 1);
    QVERIFY(m_events.isEmpty());
}

void TestHookInstaller::unusableSettingsAreRefusedAndLeftUntouched_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::newRow("truncated") << QByteArray("{\n  \"model\": \"opus\",\n  \"hooks\": {");
    QTest::newRow("trailing comma") << QByteArray("{\n  \"model\": \"opus\",\n}\n");
    QTest::newRow("comment") << QByteArray("{\n  // my settings\n  \"model\": \"opus\"\n}\n");
    QTest::newRow("empty file") << QByteArray("");
    QTest::newRow("not UTF-8") << QByteArray("{\"model\": \"op\xe9s\"}");
    QTest::newRow("array") << QByteArray("[\n  {\n    \"hooks\": {}\n  }\n]\n");
    QTest::newRow("string") << QByteArray("\"hooks\"");
    QTest::newRow("null") << QByteArray("null");
}

void TestHookInstaller::unusableSettingsAreRefusedAndLeftUntouched()
{
    QFETCH(QByteArray, settings);
    QVERIFY(writeFile(settingsPath(), settings));
    auto installer = makeInstaller();
    QSignalSpy statusChanged(installer.get(), &HookInstaller::hookStatusChanged);

    const auto installed = installer->installHooks();
    QVERIFY(!installed);
    QVERIFY(!installed.error().error);
    QVERIFY2(installed.error().description.contains(settingsPath()),
             qPrintable(installed.error().description));
    QCOMPARE(readAll(settingsPath()), settings);
    QCOMPARE(installer->installationStatus(), InstallationStatus::error);
    QCOMPARE(installer->statusMessage(), "❌ Installation failed: " + installed.error().description);
    QCOMPARE(m_events.last().event, QStringLiteral("hook_installation_failed"));
    QCOMPARE(m_events.last().properties, (QVariantMap{{"error_type", "file_system_error"}}));
    QCOMPARE(statusChanged.count(), 0);
    // The script was copied before the settings were read, as the steps go.
    QVERIFY(QFileInfo::exists(scriptPath()));

    const auto uninstalled = installer->uninstallHooks();
    QVERIFY(!uninstalled);
    QCOMPARE(readAll(settingsPath()), settings);
    QCOMPARE(installer->installationStatus(), InstallationStatus::error);
    QCOMPARE(installer->statusMessage(), "❌ Uninstall failed: " + uninstalled.error().description);
    QCOMPARE(statusChanged.count(), 0);
    QVERIFY(QFileInfo::exists(scriptPath()));
    verifyNoTemporaryFiles();
}

void TestHookInstaller::pathComponentThatIsAFile()
{
    // A plain file where a folder must go stops root too.
    QVERIFY(writeFile(path(".claude"), "not a folder"));
    auto installer = makeInstaller();
    auto result = installer->installHooks();
    QVERIFY(!result);
    QVERIFY2(result.error().description.contains(path(".claude")), qPrintable(result.error().description));
    QCOMPARE(result.error().errorType(), QStringLiteral("file_system_error"));
    QCOMPARE(readAll(path(".claude")), QByteArray("not a folder"));
    QCOMPARE(installer->installationStatus(), InstallationStatus::error);

    QVERIFY(QFile::remove(path(".claude")));
    QVERIFY(writeFile(path(".tabbywatch"), "not a folder"));
    result = installer->installHooks();
    QVERIFY(!result);
    QVERIFY2(result.error().description.contains(path(".tabbywatch")),
             qPrintable(result.error().description));
    QVERIFY(!QFileInfo::exists(settingsPath()));
}

void TestHookInstaller::readOnlyFolder()
{
    QVERIFY(writeFile(scriptPath(), "# old script, idle_prompt\n"));
    QVERIFY(writeFile(settingsPath(), userSettings));
    const QString claude = path(".claude");
    const QString hooks = path(".claude/hooks");
    if (::geteuid() == 0)
        QSKIP("Folder permissions do not stop root; the other failure tests cover this path");
    QVERIFY(::chmod(QFile::encodeName(hooks).constData(), 0555) == 0);
    QVERIFY(::chmod(QFile::encodeName(claude).constData(), 0555) == 0);
    auto installer = makeInstaller();
    const auto installed = installer->installHooks();
    const auto uninstalled = installer->uninstallHooks();
    ::chmod(QFile::encodeName(claude).constData(), 0755);
    ::chmod(QFile::encodeName(hooks).constData(), 0755);

    QVERIFY(!installed);
    QVERIFY(!uninstalled);
    QCOMPARE(readAll(scriptPath()), QByteArray("# old script, idle_prompt\n"));
    QCOMPARE(readAll(settingsPath()), userSettings);
    verifyNoTemporaryFiles();
}

void TestHookInstaller::failedScriptCopyKeepsTheOldScript()
{
    // An installed hook whose script copy then fails half-way (disk full): the settings still name the
    // script, so the old one must stay whole, or every tool call would be blocked.
    auto installer = makeInstaller();
    QVERIFY(installer->installHooks().has_value());
    const QByteArray oldScript = "# old script, idle_prompt\n";
    QVERIFY(writeFile(scriptPath(), oldScript));
    const QByteArray settings = readAll(settingsPath());
    QVERIFY(QFileInfo(realScript()).size() > 1024);

    const auto result = underFileSizeLimit(1024, [&] { return installer->installHooks(); });
    QVERIFY(!result);
    QVERIFY2(result.error().description.contains(scriptPath()), qPrintable(result.error().description));
    QCOMPARE(readAll(scriptPath()), oldScript);
    QCOMPARE(readAll(settingsPath()), settings);
    QCOMPARE(m_events.last().properties, (QVariantMap{{"error_type", "file_system_error"}}));
    verifyNoTemporaryFiles();
}

void TestHookInstaller::failedSettingsWriteKeepsTheOldSettings()
{
    auto installer = withLargeSettingsAndSmallScript();
    const QByteArray settings = readAll(settingsPath());
    QVERIFY(settings.size() > 8000);

    const auto result = underFileSizeLimit(4096, [&] { return installer->installHooks(); });
    QVERIFY(!result);
    QVERIFY2(result.error().description.contains(settingsPath()), qPrintable(result.error().description));
    QCOMPARE(readAll(settingsPath()), settings);
    QCOMPARE(installer->installationStatus(), InstallationStatus::error);
    verifyNoTemporaryFiles();
}

void TestHookInstaller::failedUninstallKeepsTheScript()
{
    // Removing the entries fails (disk full): the settings still name the script, so it must stay.
    auto installer = withLargeSettingsAndSmallScript();
    QVERIFY(installer->installHooks().has_value());
    const QByteArray settings = readAll(settingsPath());
    QSignalSpy statusChanged(installer.get(), &HookInstaller::hookStatusChanged);

    const auto result = underFileSizeLimit(4096, [&] { return installer->uninstallHooks(); });
    QVERIFY(!result);
    QCOMPARE(readAll(settingsPath()), settings);
    QCOMPARE(readAll(scriptPath()), QByteArray("# idle_prompt\n"));
    QCOMPARE(installer->installationStatus(), InstallationStatus::error);
    QVERIFY(installer->statusMessage().startsWith(QStringLiteral("❌ Uninstall failed: ")));
    QCOMPARE(statusChanged.count(), 0);
    verifyNoTemporaryFiles();
}

void TestHookInstaller::missingScriptResource()
{
    const QByteArray oldScript = "# old script, idle_prompt\n";
    QVERIFY(writeFile(scriptPath(), oldScript));
    QVERIFY(QDir().mkpath(path("data/status_writer.py"))); // a folder by that name is no script either
    for (const QString& source : {path("data/missing.py"), path("data/status_writer.py")}) {
        auto installer = makeInstaller(source);
        const auto result = installer->installHooks();
        QVERIFY(!result);
        QCOMPARE(result.error().error, std::optional(HookInstallerError::scriptNotFoundInBundle));
        QCOMPARE(m_events.last().properties, (QVariantMap{{"error_type", "scriptNotFoundInBundle"}}));
        QCOMPARE(installer->statusMessage(),
                 "❌ Installation failed: " +
                     hookInstallerErrorDescription(HookInstallerError::scriptNotFoundInBundle));
        QCOMPARE(readAll(scriptPath()), oldScript);
        QVERIFY(!QFileInfo::exists(settingsPath()));
    }
}

void TestHookInstaller::uninstallRemovesOnlyOurEntries()
{
    QVERIFY(writeFile(settingsPath(), userSettings));
    auto installer = makeInstaller();
    QVERIFY(installer->installHooks().has_value());
    QSignalSpy statusChanged(installer.get(), &HookInstaller::hookStatusChanged);

    QVERIFY(installer->uninstallHooks().has_value());

    // Their own PreToolUse entry went with ours when we installed; everything else is as it was.
    QCOMPARE(readAll(settingsPath()), userSettingsUninstalled);
    QVERIFY(!QFileInfo::exists(scriptPath()));
    QCOMPARE(installer->installationStatus(), InstallationStatus::notInstalled);
    QCOMPARE(installer->statusMessage(), QStringLiteral("🗑️ Hooks uninstalled"));
    QCOMPARE(statusChanged.count(), 1);
    installer->checkInstallationStatus();
    QCOMPARE(installer->installationStatus(), InstallationStatus::notInstalled);
}

void TestHookInstaller::uninstallRemovesHooksWhenOnlyOursWereThere()
{
    QVERIFY(writeFile(settingsPath(), "{\n  \"model\": \"opus\"\n}\n"));
    auto installer = makeInstaller();
    QVERIFY(installer->installHooks().has_value());
    QVERIFY(installer->uninstallHooks().has_value());
    QCOMPARE(readAll(settingsPath()), QByteArray("{\n  \"model\": \"opus\"\n}\n"));
}

void TestHookInstaller::uninstallWithoutFiles()
{
    auto installer = makeInstaller();
    QSignalSpy statusChanged(installer.get(), &HookInstaller::hookStatusChanged);
    QVERIFY(installer->uninstallHooks().has_value());
    QCOMPARE(installer->statusMessage(), QStringLiteral("🗑️ Hooks uninstalled"));
    QCOMPARE(statusChanged.count(), 1);
    QVERIFY(!QFileInfo::exists(path(".claude")));

    // Settings without our events are not rewritten, whatever their layout; with one of them they are,
    // in Claude Code's layout.
    const QByteArray foreign = "{\"model\":\"opus\",    \"hooks\": {\"UserPromptSubmit\": []}}";
    QVERIFY(writeFile(settingsPath(), foreign));
    QVERIFY(installer->uninstallHooks().has_value());
    QCOMPARE(readAll(settingsPath()), foreign);
    QVERIFY(writeFile(settingsPath(), "{\"model\":\"opus\",    \"hooks\": {\"Stop\": []}}"));
    QVERIFY(installer->uninstallHooks().has_value());
    QCOMPARE(readAll(settingsPath()), QByteArray("{\n  \"model\": \"opus\"\n}"));
    QVERIFY(m_events.isEmpty());
}

void TestHookInstaller::manualConfiguration()
{
    QCOMPARE(makeInstaller()->manualConfiguration(),
             QString(sixEntries).replace(QStringLiteral("%HOME%"), QStringLiteral("~")));
}

void TestHookInstaller::registeredCommandRunsUnderTheShell()
{
    // Claude Code runs the command through /bin/sh; a home with a blank and a quote must still work.
    m_home = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Jane O'Doe XXXXXX"));
    QVERIFY(m_home->isValid());
    auto installer = makeInstaller();
    QVERIFY(installer->installHooks().has_value());
    const QJsonObject hooks =
        QJsonDocument::fromJson(readAll(settingsPath())).object().value("hooks").toObject();
    const QString command = hooks.value("PreToolUse")[0]["hooks"][0]["command"].toString();

    QProcess shell;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_home->path());
    shell.setProcessEnvironment(environment);
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    QVERIFY(shell.waitForStarted());
    shell.write(
        readAll(QStringLiteral(TABBYWATCH_SOURCE_DIR "/tests/data/hook-samples/PreToolUse.Bash.json")));
    shell.closeWriteChannel();
    QVERIFY(shell.waitForFinished(30000));
    QCOMPARE(shell.exitCode(), 0);
    const QJsonObject status = QJsonDocument::fromJson(readAll(path(".tabbywatch/status.json"))).object();
    QCOMPARE(status.value("status").toString(), QStringLiteral("working"));
}

QTEST_GUILESS_MAIN(TestHookInstaller)
#include "tst_hookinstaller.moc"

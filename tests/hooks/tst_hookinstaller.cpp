#include "HookInstaller.h"

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
        entries.append(
            QStringLiteral(R"json(    "%1": [
      {
%2        "hooks": [
          {
            "type": "command",
            "command": "python3 %HOME%/.claude/hooks/status_writer.py %1",
            "timeout": 5
          }
        ]
      }
    ])json")
                .arg(QLatin1String(event), entries.size() < 3 ? "        \"matcher\": \"*\",\n" : ""));
    }
    return entries.join(QStringLiteral(",\n"));
}

const QString sixEntries = "{\n  \"hooks\": {\n" + ourEntries() + "\n  }\n}";
const QByteArray modelOnly = "{\n  \"model\": \"opus\"\n}\n";

// A user's settings as Claude Code writes them, with members of their own in their order, a foreign
// hook event, escapes, numbers of every kind and no final line break; %1 stands for the hook events
// that follow their UserPromptSubmit.
const QString userSettingsLayout = QStringLiteral(R"json({
  "model": "opus",
  "permissions": {
    "allow": [
      "Bash(npm run lint)"
    ],
    "deny": []
  },
  "hooks": {
    "UserPromptSubmit": [
      {
        "hooks": []
      }
    ]%1
  },
  "env": {
    "GREETING": "grüß dich 😀",
    "TOOLS": "C:\\tools/bin\t\u0001"
  },
  "cleanupPeriodDays": 100,
  "limits": [
    12345678901234567890,
    -0.5,
    1e+21
  ],
  "statusLine": null
})json");

// As the user has it: with their own PreToolUse hook, which ours replaces.
const QByteArray userSettings = userSettingsLayout
                                    .arg(QStringLiteral(R"json(,
    "PreToolUse": [{"matcher": "Bash", "hooks": [{"type": "command", "command": "~/bin/guard.sh"}]}])json"))
                                    .toUtf8();

const QString realScript = QStringLiteral(TABBYWATCH_SOURCE_DIR "/resources/status_writer.py");
using Result = std::expected<void, HookInstallerFailure>;

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

bool setMode(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

mode_t modeOf(const QString& path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? mode_t(info.st_mode & 07777) : mode_t(0);
}

// Runs step with the largest file this process may write lowered, as a full disk would stop it: writes
// past the limit fail with EFBIG, root's too. SIGXFSZ, which would end the process, is ignored meanwhile.
template <typename Step> Result underFileSizeLimit(rlim_t bytes, Step step)
{
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const Result result = step();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    return result;
}
} // namespace

class TestHookInstaller : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        m_events.clear();
    }
    void installUpdateAndUninstall_data();
    void installUpdateAndUninstall();
    void uninstallLeavesSettingsWithoutOurEntries();
    void installationStatus_data();
    void installationStatus();
    void unusableSettingsAreRefusedAndLeftUntouched_data();
    void unusableSettingsAreRefusedAndLeftUntouched();
    void blockedPaths();
    void fullDiskKeepsTheOldFiles();
    void registeredCommandRunsUnderTheShell();

private:
    std::unique_ptr<HookInstaller> makeInstaller(const QString& scriptSource = realScript)
    {
        return std::make_unique<HookInstaller>(
            m_home->path(), scriptSource,
            [this](const QString& event, const std::optional<QVariantMap>& properties) {
                m_events.append(properties ? event + u' ' +
                                                 QJsonDocument(QJsonObject::fromVariantMap(*properties))
                                                     .toJson(QJsonDocument::Compact)
                                           : event);
            });
    }
    QString path(const QString& relative) const { return m_home->filePath(relative); }
    QString settingsPath() const { return path(".claude/settings.json"); }
    QString scriptPath() const { return path(".claude/hooks/status_writer.py"); }
    QString expected(QString text) const { return text.replace(QStringLiteral("%HOME%"), m_home->path()); }
    // A failed install (with errorType) or uninstall (without): the status message gives the reason,
    // which names what stood in the way; an install failure is also reported as a usage event. Leftover
    // temporary files would pile up in the user's folders.
    void verifyFailed(const HookInstaller& installer, const Result& result, const QString& named,
                      const QString& errorType = QStringLiteral("file_system_error"))
    {
        QVERIFY(!result);
        const QString reason = result.error().description;
        QVERIFY2(reason.contains(named), qPrintable(reason));
        QCOMPARE(installer.installationStatus(), InstallationStatus::error);
        const bool installing = !errorType.isEmpty();
        QCOMPARE(installer.statusMessage(),
                 (installing ? "❌ Installation failed: " : "❌ Uninstall failed: ") + reason);
        if (installing)
            QCOMPARE(m_events.last(), "hook_installation_failed {\"error_type\":\"" + errorType + "\"}");
        for (const QString& folder : {path(".claude"), path(".claude/hooks")}) {
            for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
                QVERIFY2(!name.startsWith(u'.'), qPrintable(folder + "/" + name));
        }
    }

    std::unique_ptr<QTemporaryDir> m_home;
    QStringList m_events; // each event with its properties, if any, as compact JSON
};

void TestHookInstaller::installUpdateAndUninstall_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no settings file; %HOME% stands for the home
    QTest::addColumn<bool>("linked");       // kept in a dotfiles repository and linked into ~/.claude
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QByteArray>("uninstalled");
    QTest::addColumn<bool>("hadHooks");

    const QString modelInstalled =
        "{\n  \"model\": \"opus\",\n  \"hooks\": {\n" + ourEntries() + "\n  }\n}\n";
    QTest::newRow("fresh home") << QByteArray() << false << sixEntries + u'\n' << QByteArray("{}\n") << false;
    // Their own PreToolUse entry is replaced where it stood, our other five appended; everything else
    // comes back byte for byte, and uninstalling leaves only their own event under hooks.
    QTest::newRow("user's settings") << userSettings << false << userSettingsLayout.arg(",\n" + ourEntries())
                                     << userSettingsLayout.arg(QString()).toUtf8() << true;
    QTest::newRow("no hooks") << modelOnly << false << modelInstalled << modelOnly << false;
    QTest::newRow("symlinked") << modelOnly << true << modelInstalled << modelOnly << false;
    // Before v0.4.2 only the tool events were registered, and the script did not know the idle prompt.
    // Written by hand: no final line break, which it keeps, and spellings JSON.stringify would not use.
    const QString respelled = "\n  \"n\": 100.0,\n  \"s\": \"é/\"\n}";
    QTest::newRow("older installation")
        << QByteArray(R"json({"hooks": {"PreToolUse": [{"matcher": "*", "hooks": [{"type": "command",
           "command": "python3 %HOME%/.claude/hooks/status_writer.py PreToolUse", "timeout": 5}]}]},
           "n": 1E+2, "s": "\u00e9\/"})json")
        << false << sixEntries.chopped(2) + ',' + respelled << ('{' + respelled).toUtf8() << true;
}

void TestHookInstaller::installUpdateAndUninstall()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, linked);
    QFETCH(QString, installed);
    QFETCH(QByteArray, uninstalled);
    QFETCH(bool, hadHooks);
    const QString file = linked ? path("dotfiles/claude-settings.json") : settingsPath();
    if (!before.isNull()) {
        QVERIFY(writeFile(file, expected(before).toUtf8()) && setMode(file, 0600));
        QVERIFY(writeFile(scriptPath(), "import sys\n"));
        QVERIFY(!linked || QFile::link(file, settingsPath()));
    }
    auto installer = makeInstaller();
    QList<InstallationStatus> statuses;
    connect(installer.get(), &HookInstaller::installationStatusChanged, this,
            [&] { statuses.append(installer->installationStatus()); });
    QSignalSpy statusChanged(installer.get(), &HookInstaller::hookStatusChanged);

    QVERIFY(installer->installHooks().has_value());

    QCOMPARE(QString::fromUtf8(readAll(settingsPath())), expected(installed));
    QCOMPARE(QFileInfo(settingsPath()).isSymLink(), linked);
    if (!before.isNull())
        QCOMPARE(modeOf(file), mode_t(0600));
    QCOMPARE(readAll(scriptPath()), readAll(realScript));
    QCOMPARE(modeOf(scriptPath()), mode_t(0755));
    QCOMPARE(modeOf(path(".tabbywatch/sessions")), mode_t(0700));
    QCOMPARE(statuses,
             (QList<InstallationStatus>{InstallationStatus::installing, InstallationStatus::installed}));
    QCOMPARE(installer->statusMessage(), QStringLiteral("✅ Successfully installed hooks!"));
    QCOMPARE(statusChanged.count(), 1);
    QCOMPARE(m_events, (QStringList{"hook_installation_attempted",
                                    QStringLiteral(R"(hook_installation_completed {"had_existing_hooks":%1})")
                                        .arg(hadHooks ? "true" : "false")}));
    // The compatibility waits for the next check.
    QCOMPARE(installer->hookCompatibility(), HookCompatibility::notInstalled);
    installer->checkInstallationStatus();
    QCOMPARE(installer->hookCompatibility(), HookCompatibility::compatible);
    QCOMPARE(installer->statusMessage(), QStringLiteral("✅ Hooks are installed and configured"));

    // Installing twice changes nothing.
    const QByteArray first = readAll(settingsPath());
    QVERIFY(installer->installHooks().has_value());
    QCOMPARE(readAll(settingsPath()), first);

    statusChanged.clear();
    QVERIFY(installer->uninstallHooks().has_value());
    QCOMPARE(readAll(settingsPath()), uninstalled);
    QCOMPARE(QFileInfo(settingsPath()).isSymLink(), linked);
    QVERIFY(!QFileInfo::exists(scriptPath()));
    QCOMPARE(installer->installationStatus(), InstallationStatus::notInstalled);
    QCOMPARE(installer->statusMessage(), QStringLiteral("🗑️ Hooks uninstalled"));
    QCOMPARE(statusChanged.count(), 1);

    QCOMPARE(installer->manualConfiguration(),
             QString(sixEntries).replace(QStringLiteral("%HOME%"), QStringLiteral("~")));
}

void TestHookInstaller::uninstallLeavesSettingsWithoutOurEntries()
{
    auto installer = makeInstaller();
    QVERIFY(installer->uninstallHooks().has_value());
    QCOMPARE(installer->statusMessage(), QStringLiteral("🗑️ Hooks uninstalled"));
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

void TestHookInstaller::installationStatus_data()
{
    QTest::addColumn<QByteArray>("script");   // empty: no script file
    QTest::addColumn<QByteArray>("settings"); // empty: no settings file
    QTest::addColumn<InstallationStatus>("status");
    QTest::addColumn<HookCompatibility>("compatibility");
    QTest::addColumn<QString>("message");

    using Outcome = std::tuple<InstallationStatus, HookCompatibility, const char*>;
    const auto partial = InstallationStatus::partiallyInstalled;
    const auto none = HookCompatibility::notInstalled;
    const Outcome notInstalled{InstallationStatus::notInstalled, none, "❌ Hooks not installed"};
    const Outcome needsSettings{partial, none, "⚠️ Script exists but settings need update"};
    const Outcome needsUpdate{partial, HookCompatibility::incompatible,
                              "⚠️ Hooks need updating for v0.4.2+ compatibility"};
    const auto row = [](const char* name, const char* script, const char* settings, const Outcome& outcome) {
        QTest::newRow(name) << QByteArray(script) << QByteArray(settings) << std::get<0>(outcome)
                            << std::get<1>(outcome) << QString::fromUtf8(std::get<2>(outcome));
    };
    const char* script = "# handles idle_prompt\n";
    const char* ours = R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "*"}]}})";

    row("nothing", nullptr, nullptr, notInstalled);
    row("settings without script", nullptr, ours, notInstalled);
    row("script without settings", script, nullptr,
        {partial, none, "⚠️ Script exists but settings.json not configured"});
    row("no hooks", script, R"({"model": "opus"})", needsSettings);
    row("hooks not an object", script, R"({"hooks": [{"PreToolUse": []}]})", needsSettings);
    row("only other events", script, R"({"hooks": {"Notification": [{"matcher": "*"}]}})", needsSettings);
    row("garbage", script, "{\"hooks\": {\"PreToolUse\": []", needsSettings);
    row("PreToolUse alone (older installation)", script, R"({"hooks": {"PreToolUse": []}})", needsUpdate);
    row("PostToolUse alone counts", script, R"({"hooks": {"PostToolUse": null}})", needsUpdate);
    row("Notification matcher not *", script,
        R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "permission_prompt"}]}})", needsUpdate);
    row("Notification not an array of objects", script,
        R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "*"}, "x"]}})", needsUpdate);
    row("script without idle_prompt", "import sys\n", ours, needsUpdate);
    row("script not UTF-8", "idle_prompt \xff\xfe\n", ours, needsUpdate);
    row("* further down the array", script,
        R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "auth_success"}, {"matcher": "*"}]}})",
        {InstallationStatus::installed, HookCompatibility::compatible,
         "✅ Hooks are installed and configured"});
}

void TestHookInstaller::installationStatus()
{
    QFETCH(QByteArray, script);
    QFETCH(QByteArray, settings);
    QVERIFY(script.isEmpty() || writeFile(scriptPath(), script));
    QVERIFY(settings.isEmpty() || writeFile(settingsPath(), settings));
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
    QTest::addColumn<QString>("reason"); // after the path
    const QString invalid = QStringLiteral(" is not valid JSON (parse error at line ");
    const QString notObject = QStringLiteral(" does not hold a JSON object at its top level.");
    QTest::newRow("truncated") << QByteArray("{\n  \"model\": \"opus\",\n  \"hooks\": {") << invalid + "3";
    QTest::newRow("trailing comma") << QByteArray("{\n  \"model\": \"opus\",\n}\n") << invalid + "3";
    QTest::newRow("comment") << QByteArray("{\n  // my settings\n  \"model\": \"opus\"\n}\n")
                             << invalid + "2";
    QTest::newRow("empty file") << QByteArray("") << invalid + "1";
    QTest::newRow("Latin-1") << QByteArray("{\"model\": \"op\xe9s\"}") << invalid + "1";
    QTest::newRow("overlong UTF-8") << QByteArray("{\"model\": \"\xC0\xAF\"}") << invalid + "1";
    QTest::newRow("lone surrogate") << QByteArray("{\"model\": \"\\ud800\"}") << invalid + "1";
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF{}") << " is not valid JSON (The text starts";
    QTest::newRow("NUL, then more") << QByteArray("{}\0{\"a\": 1}", 11)
                                    << " is not valid JSON (The text contains";
    QTest::newRow("hostile nesting") << QByteArray(100000, '[') + QByteArray(100000, ']')
                                     << " is not valid JSON (Too deeply nested)";
    QTest::newRow("array") << QByteArray("[\n  {\n    \"hooks\": {}\n  }\n]\n") << notObject;
    QTest::newRow("string") << QByteArray("\"hooks\"") << notObject;
    QTest::newRow("null") << QByteArray("null") << notObject;
}

void TestHookInstaller::unusableSettingsAreRefusedAndLeftUntouched()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, reason);
    QVERIFY(writeFile(settingsPath(), settings));
    auto installer = makeInstaller();
    QSignalSpy statusChanged(installer.get(), &HookInstaller::hookStatusChanged);

    verifyFailed(*installer, installer->installHooks(), settingsPath() + reason);
    QCOMPARE(readAll(settingsPath()), settings);
    verifyFailed(*installer, installer->uninstallHooks(), settingsPath() + reason, {});
    QCOMPARE(readAll(settingsPath()), settings);
    QVERIFY(QFileInfo::exists(scriptPath())); // installed before the settings were read, and still named
    QCOMPARE(statusChanged.count(), 0);
}

void TestHookInstaller::blockedPaths()
{
    // A plain file where a folder must go stops root too.
    auto installer = makeInstaller();
    for (const QString& folder : {path(".claude"), path(".tabbywatch")}) {
        QVERIFY(writeFile(folder, "not a folder"));
        verifyFailed(*installer, installer->installHooks(), folder);
        QCOMPARE(readAll(folder), QByteArray("not a folder"));
        QVERIFY(!QFileInfo::exists(settingsPath()));
        QVERIFY(QFile::remove(folder));
    }

    const QByteArray oldScript = "# old script, idle_prompt\n";
    QVERIFY(writeFile(scriptPath(), oldScript));
    QVERIFY(QDir().mkpath(path("data/status_writer.py"))); // a folder by that name is no script either
    for (const QString& source : {path("data/missing.py"), path("data/status_writer.py")}) {
        installer = makeInstaller(source);
        verifyFailed(*installer, installer->installHooks(),
                     hookInstallerErrorDescription(HookInstallerError::scriptNotFoundInBundle),
                     QStringLiteral("scriptNotFoundInBundle"));
        QCOMPARE(readAll(scriptPath()), oldScript);
        QVERIFY(!QFileInfo::exists(settingsPath()));
    }

    if (::geteuid() == 0)
        QSKIP("Folder permissions do not stop root; the other failure tests cover this path");
    QVERIFY(writeFile(settingsPath(), userSettings));
    QVERIFY(setMode(path(".claude/hooks"), 0555) && setMode(path(".claude"), 0555));
    installer = makeInstaller();
    const Result installed = installer->installHooks();
    const Result uninstalled = installer->uninstallHooks();
    setMode(path(".claude"), 0755);
    setMode(path(".claude/hooks"), 0755);
    QVERIFY(!installed);
    verifyFailed(*installer, uninstalled, path(".claude"), {});
    QCOMPARE(readAll(scriptPath()), oldScript);
    QCOMPARE(readAll(settingsPath()), userSettings);
}

void TestHookInstaller::fullDiskKeepsTheOldFiles()
{
    // Settings too large to be written again under a 4 KiB file size limit, and a script that fits.
    const QString smallScript = path("source/status_writer.py");
    QVERIFY(writeFile(smallScript, "# idle_prompt\n"));
    QVERIFY(writeFile(settingsPath(), "{\n  \"notes\": \"" + QByteArray(8000, 'x') + "\"\n}\n"));
    auto installer = makeInstaller(smallScript);
    QByteArray settings = readAll(settingsPath());
    verifyFailed(*installer, underFileSizeLimit(4096, [&] { return installer->installHooks(); }),
                 settingsPath());
    QCOMPARE(readAll(settingsPath()), settings);

    // Removing the entries fails: the settings still name the script, so it must stay.
    QVERIFY(installer->installHooks().has_value());
    settings = readAll(settingsPath());
    verifyFailed(*installer, underFileSizeLimit(4096, [&] { return installer->uninstallHooks(); }),
                 settingsPath(), {});
    QCOMPARE(readAll(settingsPath()), settings);
    QCOMPARE(readAll(scriptPath()), QByteArray("# idle_prompt\n"));

    // Copying the script fails half-way: the installed hook's old script must stay whole, or every tool
    // call would be blocked.
    QVERIFY(QFileInfo(realScript).size() > 1024);
    installer = makeInstaller();
    verifyFailed(*installer, underFileSizeLimit(1024, [&] { return installer->installHooks(); }),
                 scriptPath());
    QCOMPARE(readAll(scriptPath()), QByteArray("# idle_prompt\n"));
    QCOMPARE(readAll(settingsPath()), settings);
}

void TestHookInstaller::registeredCommandRunsUnderTheShell()
{
    // Claude Code runs the command through /bin/sh; a home with a blank and a quote must still work.
    m_home = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Jane O'Doe XXXXXX"));
    QVERIFY(m_home->isValid());
    QVERIFY(makeInstaller()->installHooks().has_value());
    const QString command =
        QJsonDocument::fromJson(readAll(settingsPath()))["hooks"]["PreToolUse"][0]["hooks"][0]["command"]
            .toString();

    QProcess shell;
    shell.setStandardInputFile(TABBYWATCH_SOURCE_DIR "/tests/data/hook-samples/PreToolUse.Bash.json");
    shell.start(QStringLiteral("/usr/bin/env"), {"HOME=" + m_home->path(), "/bin/sh", "-c", command});
    QVERIFY(shell.waitForFinished(30000));
    QCOMPARE(shell.exitCode(), 0);
    QCOMPARE(QJsonDocument::fromJson(readAll(path(".tabbywatch/status.json")))["status"].toString(),
             QStringLiteral("working"));
}

QTEST_GUILESS_MAIN(TestHookInstaller)
#include "tst_hookinstaller.moc"

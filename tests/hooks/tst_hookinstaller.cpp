#include "HookInstaller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {
// Our entries as installed, in Claude Code's layout; the six of earlier versions (first) or the others.
QString ourEntries(bool older = true)
{
    const QStringList events =
        older ? QStringList{"PreToolUse", "PostToolUse", "Notification", "Stop", "SessionStart", "SessionEnd"}
              : QStringList{"UserPromptSubmit", "PermissionRequest", "PostToolUseFailure",
                            "PreCompact",       "PostCompact",       "StopFailure"};
    QStringList entries;
    for (const QString& event : events)
        entries.append(QStringLiteral(R"json(    "%1": [
      {
%2        "hooks": [
          {
            "type": "command",
            "command": "python3 %SCRIPT% %1",
            "timeout": 5
          }
        ]
      }
    ])json")
                           .arg(event, (older ? entries.size() < 3 : entries.size() > 0)
                                           ? "        \"matcher\": \"*\",\n"
                                           : ""));
    return entries.join(QStringLiteral(",\n"));
}

const QString allEntries = ourEntries() + ",\n" + ourEntries(false);
const QString twelveEntries = "{\n  \"hooks\": {\n" + allEntries + "\n  }\n}";

// A user's settings as Claude Code writes them, no final line break; %1 stands for the hook events that
// follow their own SubagentStart.
const QString userSettingsLayout = QStringLiteral(R"json({
  "model": "opus",
  "hooks": {
    "SubagentStart": []%1
  },
  "greeting": "grüß dich 😀 C:\\tools/bin\t\u0001",
  "numbers": [
    100,
    12345678901234567890,
    -0.5,
    1e+21,
    {}
  ]
})json");

// As the user has it: with their own PreToolUse hook, which ours replaces.
const QByteArray userSettings =
    userSettingsLayout.arg(",\n    \"PreToolUse\": [{\"matcher\": \"Bash\", \"hooks\": []}]").toUtf8();

const QString realScript = QStringLiteral(TABBYWATCH_SOURCE_DIR "/resources/status_writer.py");
const QString realModule = QStringLiteral(TABBYWATCH_SOURCE_DIR "/resources/tabbywatch_hook.py");
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
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Runs step as on a full disk: writes past the limit fail with EFBIG, root's too; SIGXFSZ is ignored.
template <typename Step> Result underFileSizeLimit(rlim_t bytes, Step step)
{
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, previous.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const Result result = step();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);
    return result;
}
} // namespace

class TestHookInstaller : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        // Claude Code runs the hook through /bin/sh: a home with a blank and a quote must be quoted.
        m_home = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Jane O'Doe XXXXXX"));
        QVERIFY(m_home->isValid());
    }
    void checkInstallAndUninstall_data();
    void checkInstallAndUninstall();
    void failuresKeepTheOldFiles();

private:
    std::unique_ptr<HookInstaller> makeInstaller(const QString& source = realScript)
    {
        return std::make_unique<HookInstaller>(m_home->path(), source);
    }
    QString path(const QString& relative) const { return m_home->filePath(relative); }
    QString settingsPath() const { return path(".claude/settings.json"); }
    QString scriptPath() const { return path(".claude/hooks/status_writer.py"); }
    QString modulePath() const { return path(".claude/hooks/tabbywatch_hook.py"); }
    // The status message gives the reason, which names what stood in the way; no temporary file is left.
    void verifyFailed(const HookInstaller& installer, const Result& result, const QString& named,
                      bool installing = true)
    {
        QVERIFY(!result);
        const QString reason = result.error().description;
        QVERIFY2(reason.contains(named), qPrintable(reason));
        QCOMPARE(installer.installationStatus(), InstallationStatus::error);
        QCOMPARE(installer.statusMessage(),
                 (installing ? "❌ Installation failed: " : "❌ Uninstall failed: ") + reason);
        QCOMPARE(QDir(path(".claude")).entryList({".*"}, QDir::Files | QDir::Hidden) +
                     QDir(path(".claude/hooks")).entryList({".*"}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    std::unique_ptr<QTemporaryDir> m_home;
};

void TestHookInstaller::checkInstallAndUninstall_data()
{
    QTest::addColumn<QByteArray>("before");      // null: no settings file; %HOME% stands for the home
    QTest::addColumn<bool>("linked");            // kept in a dotfiles repository and linked into ~/.claude
    QTest::addColumn<QByteArray>("script");      // the installed script and its module; null: none
    QTest::addColumn<bool>("scriptAlone");       // an earlier version's script, which had no module
    QTest::addColumn<QString>("check");          // the status message of a check before anything else
    QTest::addColumn<QString>("installed");      // null: nothing more is done
    QTest::addColumn<QByteArray>("uninstalled"); // null: both refused, installed holds the reason

    const char* notInstalled = "❌ Hooks not installed";
    const char* needsSettings = "⚠️ Script exists but settings need update";
    const char* needsUpdate = "⚠️ Hooks need updating for v0.4.2+ compatibility";
    const auto row = [](const char* name, const QByteArray& before, const char* script, const char* check,
                        const QString& installed = {}, const QByteArray& uninstalled = {},
                        bool linked = false, bool scriptAlone = false) {
        QTest::newRow(name) << before << linked << QByteArray(script) << scriptAlone
                            << QString::fromUtf8(check) << installed << uninstalled;
    };
    const char* idle = "# handles idle_prompt\n";
    const char* ours = R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "*"}]}})";

    row("fresh home", {}, nullptr, notInstalled, twelveEntries + u'\n', "{}\n");
    // Their PreToolUse is replaced where it stood, our others appended; all else comes back as it was.
    row("user's settings", userSettings, "import sys\n", needsUpdate,
        userSettingsLayout.arg(",\n" + allEntries), userSettingsLayout.arg(QString()).toUtf8());
    // The previous version's six stay where they are, the others follow the user's own event.
    const QString previous = "{\n  \"hooks\": {\n" + ourEntries() + ",\n    \"SubagentStop\": []";
    row("six events of the previous version", (previous + "\n  }\n}").toUtf8(), idle, needsUpdate,
        previous + ",\n" + ourEntries(false) + "\n  }\n}",
        "{\n  \"hooks\": {\n    \"SubagentStop\": []\n  }\n}");
    // Compact, as written by hand, with a hook event of its own; its final line break stays.
    const QString theirs = "{\n  \"model\": \"opus\",\n  \"hooks\": {\n    \"SubagentStop\": []";
    row("symlinked, not ours", "{\"model\":\"opus\",\"hooks\":{\"SubagentStop\":[]}}\n", idle, needsSettings,
        theirs + ",\n" + allEntries + "\n  }\n}\n", (theirs + "\n  }\n}\n").toUtf8(), true);
    // Before v0.4.2 only the tool events were registered, and the script did not know the idle prompt.
    row("older installation", R"json({"hooks": {"PreToolUse": [{"matcher": "*", "hooks": [{"type": "command",
           "command": "python3 %HOME%/.claude/hooks/status_writer.py PreToolUse", "timeout": 5}]}]}})json",
        "import sys\n", needsUpdate, twelveEntries, "{}");

    row("PostToolUse alone counts", R"({"hooks": {"PostToolUse": null}})", idle, needsUpdate);
    row("Notification matcher not *", R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "x"}]}})",
        idle, needsUpdate);
    row("Notification not all objects",
        R"({"hooks": {"PreToolUse": [], "Notification": [{"matcher": "*"}, 1]}})", idle, needsUpdate);
    row("script without idle_prompt", ours, "import sys\n", needsUpdate);
    // Compatible only with all twelve events, in any order; "*" may come further down.
    QString all = QStringLiteral(R"({"hooks": {"Notification": [{}, {"matcher": "*"}])");
    for (const char* event :
         {"PreToolUse", "PostToolUse", "Stop", "SessionStart", "SessionEnd", "StopFailure",
          "UserPromptSubmit", "PermissionRequest", "PostToolUseFailure", "PreCompact"})
        all += QStringLiteral(R"(, "%1": [])").arg(event);
    row("one event missing", (all + "}}").toUtf8(), idle, needsUpdate);
    row("all events, * further down", (all + R"(, "PostCompact": null}})").toUtf8(), idle,
        "✅ Hooks are installed and configured");
    // Earlier versions installed the whole hook as one script: it works, but at twice the cost.
    row("all events, script alone",
        QString(twelveEntries).replace("%SCRIPT%", "%HOME%/.claude/hooks/status_writer.py").toUtf8(), idle,
        needsUpdate, twelveEntries, "{}", false, true);

    // Unusable settings are refused and left as they were, byte for byte; to a check they are no settings.
    const QString invalid = QStringLiteral(" is not valid JSON (parse error at line ");
    row("truncated", "{\n  \"model\": \"opus\",\n  \"hooks\": {", idle, needsSettings, invalid + "3");
    row("comment", "{\n  // my settings\n  \"model\": \"opus\"\n}\n", idle, needsSettings, invalid + "2");
    row("Latin-1", "{\"model\": \"op\xe9s\"}", idle, needsSettings, invalid + "1");
    row("lone surrogate", "{\"model\": \"\\ud800\"}", idle, needsSettings, invalid + "1");
    row("byte order mark", "\xEF\xBB\xBF{}", idle, needsSettings, " is not valid JSON (The text starts");
    row("NUL, then more", QByteArray("{}\0{\"a\": 1}", 11), idle, needsSettings,
        " is not valid JSON (The text contains");
    row("hostile nesting", "{\"a\": " + QByteArray(100000, '[') + QByteArray(100000, ']') + '}', idle,
        needsSettings, " is not valid JSON (Too deeply nested)");
    row("number overflow", "{\"n\": 1e9999}", idle, needsSettings, " is not valid JSON (number overflow");
    row("array", "[\n  {\n    \"hooks\": {}\n  }\n]\n", idle, needsSettings, " does not hold a JSON object");
}

void TestHookInstaller::checkInstallAndUninstall()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, linked);
    QFETCH(QByteArray, script);
    QFETCH(bool, scriptAlone);
    QFETCH(QString, installed);
    QFETCH(QByteArray, uninstalled);
    const QString file = linked ? path("dotfiles/claude-settings.json") : settingsPath();
    if (!before.isNull()) {
        before.replace("%HOME%", QFile::encodeName(m_home->path()));
        QVERIFY(writeFile(file, before) &&
                QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(!linked || (QDir().mkpath(path(".claude")) && QFile::link(file, settingsPath())));
    }
    QVERIFY(script.isNull() || writeFile(scriptPath(), script));
    QVERIFY(script.isNull() || scriptAlone || writeFile(modulePath(), script));
    auto installer = makeInstaller();
    QSignalSpy statusChanged(installer.get(), &HookInstaller::hookStatusChanged);

    installer->checkInstallationStatus();
    const QString message = installer->statusMessage();
    QTEST(message, "check");
    // Of the rows that install, exactly those the check finds outdated have hooks configured already.
    const bool hadHooks = message.contains("v0.4.2");
    if (installed.isNull())
        return;

    if (uninstalled.isNull()) {
        verifyFailed(*installer, installer->installHooks(), settingsPath() + installed);
        QCOMPARE(readAll(settingsPath()), before);
        verifyFailed(*installer, installer->uninstallHooks(), settingsPath() + installed, false);
        QCOMPARE(readAll(settingsPath()), before);
        QVERIFY(QFileInfo::exists(scriptPath())); // installed before the settings were read, and still named
        QCOMPARE(statusChanged.count(), 0);
        return;
    }
    if (!hadHooks) {
        // Settings without our entries are not touched at all, not even their layout, nor created.
        QVERIFY(installer->uninstallHooks().has_value());
        QCOMPARE(readAll(file), before);
        QCOMPARE(QFileInfo::exists(path(".claude")), !before.isNull());
        statusChanged.clear();
    }

    QVERIFY(installer->installHooks().has_value());
    // The script's path is quoted for the shell, then escaped for JSON.
    const QString quoted = u'\'' + QString(scriptPath()).replace(u'\'', QStringLiteral(R"('\\'')")) + u'\'';
    QCOMPARE(QString::fromUtf8(readAll(settingsPath())), QString(installed).replace("%SCRIPT%", quoted));
    QVERIFY(before.isNull() || QFile::permissions(file).testFlag(QFile::ReadGroup)); // the user's mode
    QCOMPARE(readAll(scriptPath()), readAll(realScript));
    QCOMPARE(installer->statusMessage(), QStringLiteral("✅ Successfully installed hooks!"));
    QCOMPARE(statusChanged.count(), 1);
    installer->checkInstallationStatus();
    QCOMPARE(installer->hookCompatibility(), HookCompatibility::compatible);

    QVERIFY(writeFile(path(".claude/hooks/__pycache__/tabbywatch_hook.cpython-311.pyc"), "")); // goes too
    QVERIFY(installer->uninstallHooks().has_value());
    QCOMPARE(readAll(settingsPath()), uninstalled);
    QCOMPARE(QFileInfo(settingsPath()).isSymLink(), linked);
    QVERIFY(QDir(path(".claude/hooks")).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    QCOMPARE(installer->statusMessage(), QStringLiteral("🗑️ Hooks uninstalled"));
    QCOMPARE(statusChanged.count(), 2);
    QCOMPARE(installer->manualConfiguration(),
             QString(twelveEntries).replace("%SCRIPT%", "~/.claude/hooks/status_writer.py"));
}

void TestHookInstaller::failuresKeepTheOldFiles()
{
    // A full disk: settings too large to be written again under a 4 KiB file size limit.
    const QString smallScript = path("source/status_writer.py");
    QVERIFY(writeFile(smallScript, "# idle_prompt\n"));
    // Without its module the script would do nothing: it is not installed alone.
    auto installer = makeInstaller(smallScript);
    verifyFailed(*installer, installer->installHooks(), "tabbywatch_hook.py");
    QVERIFY(!QFileInfo::exists(scriptPath()) &&
            writeFile(path("source/tabbywatch_hook.py"), "# idle_prompt\n"));
    QVERIFY(writeFile(settingsPath(), "{\n  \"notes\": \"" + QByteArray(8000, 'x') + "\"\n}\n"));
    QByteArray settings = readAll(settingsPath());
    verifyFailed(*installer, underFileSizeLimit(4096, [&] { return installer->installHooks(); }),
                 settingsPath());
    QCOMPARE(readAll(settingsPath()), settings);

    // Removing the entries fails: the settings still name the script, so it must stay.
    QVERIFY(installer->installHooks().has_value());
    settings = readAll(settingsPath());
    verifyFailed(*installer, underFileSizeLimit(4096, [&] { return installer->uninstallHooks(); }),
                 settingsPath(), false);
    QCOMPARE(readAll(settingsPath()), settings);
    QCOMPARE(readAll(scriptPath()), QByteArray("# idle_prompt\n"));

    // Copying a new script fails half-way: the old one must stay whole, or every tool call would be blocked.
    QVERIFY(QFileInfo(realModule).size() > 1024);
    installer = makeInstaller();
    verifyFailed(*installer, underFileSizeLimit(1024, [&] { return installer->installHooks(); }),
                 modulePath());
    QCOMPARE(readAll(scriptPath()) + readAll(modulePath()), QByteArray("# idle_prompt\n# idle_prompt\n"));
    QCOMPARE(readAll(settingsPath()), settings);
}

QTEST_GUILESS_MAIN(TestHookInstaller)
#include "tst_hookinstaller.moc"

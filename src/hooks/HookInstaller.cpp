#include "HookInstaller.h"

#include "DataDirectory.h"
#include "FileOperations.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <nlohmann/json.hpp>
#include <pwd.h>
#include <unistd.h>

namespace {
using Json = nlohmann::ordered_json;

const QString hooksKey = QStringLiteral("hooks");
const QString preToolUse = QStringLiteral("PreToolUse");
const QString postToolUse = QStringLiteral("PostToolUse");
const QString notification = QStringLiteral("Notification");

constexpr mode_t scriptMode = 0755;
constexpr mode_t moduleMode = 0644;
constexpr int hookTimeoutSeconds = 5;
const QString moduleName = QStringLiteral("tabbywatch_hook");

// Python's cached bytecode of our module (one per interpreter version), as the script's runs leave it.
void removeCachedModule(const QString& hooksFolder)
{
    QDir cache(hooksFolder + QStringLiteral("/__pycache__"));
    for (const QString& name : cache.entryList({moduleName + QStringLiteral(".*.pyc")}, QDir::Files))
        cache.remove(name);
    QDir(hooksFolder).rmdir(QStringLiteral("__pycache__")); // only when nothing else is cached there
}

// Claude Code runs the command through /bin/sh: a path with blanks or shell characters in it (a home
// like "/home/Jane Doe") must be quoted, or the hook would run a different command. Ordinary paths
// stay as they are.
QString shellWord(const QString& path)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    if (plain.match(path).hasMatch())
        return path;
    QString quoted = path;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

// The value under hooks.<event>: one matcher object with one command.
Json hookEntry(const QString& event, const QString& scriptPath)
{
    // Tool, notification, compaction and failure events are filtered by a matcher; "*" takes them all.
    // Stop, SessionStart, SessionEnd and UserPromptSubmit are written without one, as ever.
    static const QStringList withMatcher{preToolUse,
                                         postToolUse,
                                         notification,
                                         QStringLiteral("PermissionRequest"),
                                         QStringLiteral("PostToolUseFailure"),
                                         QStringLiteral("PreCompact"),
                                         QStringLiteral("PostCompact"),
                                         QStringLiteral("StopFailure")};
    Json matcher = Json::object();
    if (withMatcher.contains(event))
        matcher["matcher"] = "*";
    matcher[hooksKey.toStdString()] =
        Json::array({Json{{"type", "command"},
                          {"command", ("python3 " + scriptPath + u' ' + event).toStdString()},
                          {"timeout", hookTimeoutSeconds}}});
    return Json::array({std::move(matcher)});
}

Json hookEntries(const QString& scriptPath)
{
    Json hooks = Json::object();
    for (const QString& event : HookInstaller::hookEvents())
        hooks[event.toStdString()] = hookEntry(event, scriptPath);
    return hooks;
}

// The member's value; nullptr when value is no object or has no such member.
const Json* member(const Json& value, const QString& key)
{
    if (!value.is_object())
        return nullptr;
    const auto found = value.find(key.toStdString());
    return found == value.end() ? nullptr : &*found;
}

// Deep enough for any settings file, shallow enough that writing one back cannot exhaust the stack.
constexpr int maxDepth = 512;

// Strict JSON, as Claude Code reads it; the error says what was wrong and where.
std::expected<Json, QString> parseJson(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return std::unexpected(QStringLiteral("The text starts with a byte order mark"));
    // The parser takes a NUL byte for the end of the text and would drop whatever follows it.
    if (bytes.contains('\0'))
        return std::unexpected(QStringLiteral("The text contains a NUL byte"));
    bool tooDeep = false;
    const auto keepShallow = [&](int depth, Json::parse_event_t, Json&) {
        tooDeep |= depth > maxDepth;
        return depth <= maxDepth;
    };
    try {
        Json root = Json::parse(bytes.begin(), bytes.end(), keepShallow);
        if (tooDeep)
            return std::unexpected(QStringLiteral("Too deeply nested"));
        return root;
    } catch (const Json::exception& error) {
        // "[json.exception.parse_error.101] parse error at line 3, column 1: syntax error ...", or a
        // number too large for a double: "[json.exception.out_of_range.406] number overflow parsing ..."
        const QString what = QString::fromUtf8(error.what());
        return std::unexpected(what.mid(what.indexOf(QLatin1String("] ")) + 2));
    }
}

// Claude Code's layout: JSON.stringify(value, null, 2), no final line break. Strings are ours or were
// read as valid UTF-8, so the replacing error handler never has anything to replace.
QByteArray serialize(const Json& value)
{
    return QByteArray::fromStdString(value.dump(2, ' ', false, Json::error_handler_t::replace));
}

std::optional<Json> readSettingsObject(const QString& path)
{
    const auto bytes = FileOperations::readFile(path);
    if (!bytes)
        return std::nullopt;
    auto root = parseJson(*bytes);
    if (!root || !root->is_object())
        return std::nullopt;
    return std::move(*root);
}
} // namespace

struct HookInstaller::SettingsFile
{
    Json root = Json::object();
    QByteArray originalBytes; // empty when there was no file
    bool existed = false;
};

const QStringList& HookInstaller::hookEvents()
{
    // The first six are those of earlier versions; the others tell thinking, dialogs and compaction.
    static const QStringList events{preToolUse,
                                    postToolUse,
                                    notification,
                                    QStringLiteral("Stop"),
                                    QStringLiteral("SessionStart"),
                                    QStringLiteral("SessionEnd"),
                                    QStringLiteral("UserPromptSubmit"),
                                    QStringLiteral("PermissionRequest"),
                                    QStringLiteral("PostToolUseFailure"),
                                    QStringLiteral("PreCompact"),
                                    QStringLiteral("PostCompact"),
                                    QStringLiteral("StopFailure")};
    return events;
}

HookInstaller::HookInstaller(QString home, QString scriptSourcePath, UsageEventSink track, QObject* parent)
    : QObject(parent),
      m_hookScriptPath(QDir(home).filePath(QStringLiteral(".claude/hooks/status_writer.py"))),
      m_hookModulePath(QDir(home).filePath(QStringLiteral(".claude/hooks/") + moduleName + ".py")),
      m_settingsPath(QDir(home).filePath(QStringLiteral(".claude/settings.json"))),
      m_sessionsDirectoryPath(QDir(home).filePath(QStringLiteral(".tabbywatch/sessions"))),
      m_scriptSourcePath(std::move(scriptSourcePath)),
      m_moduleSourcePath(QFileInfo(m_scriptSourcePath).dir().filePath(moduleName + ".py")),
      m_track(std::move(track))
{}

HookInstaller::~HookInstaller() = default;

QString HookInstaller::defaultHomeDirectory()
{
    // The password database's home, whatever $HOME says: Claude Code reads the user's own settings.
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir)
        return QFile::decodeName(entry->pw_dir);
    return QDir::homePath();
}

QString HookInstaller::defaultScriptSourcePath()
{
    return dataDirectory() + QStringLiteral("/status_writer.py");
}

// ---------------------------------------------------------------------------------------------------
// Checks

bool HookInstaller::hooksConfigured() const
{
    const auto settings = readSettingsObject(m_settingsPath);
    if (!settings)
        return false;
    const Json* hooks = member(*settings, hooksKey);
    return hooks && (member(*hooks, preToolUse) || member(*hooks, postToolUse));
}

bool HookInstaller::scriptHandlesIdlePrompt() const
{
    const auto bytes = FileOperations::readFile(m_hookModulePath);
    if (!bytes)
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(*bytes);
    return !decoder.hasError() && text.contains(QLatin1String("idle_prompt"));
}

HookCompatibility HookInstaller::checkCompatibility() const
{
    const auto settings = readSettingsObject(m_settingsPath);
    if (!settings)
        return HookCompatibility::notInstalled;
    const Json* hooks = member(*settings, hooksKey);
    if (!hooks || !hooks->is_object())
        return HookCompatibility::notInstalled;

    const Json* entries = member(*hooks, notification);
    if (entries && entries->is_array() &&
        std::all_of(entries->begin(), entries->end(), [](const Json& entry) { return entry.is_object(); })) {
        // An installation by an earlier version lacks some of the events: it needs the update too.
        const bool allEvents = std::ranges::all_of(
            hookEvents(), [&](const QString& event) { return member(*hooks, event) != nullptr; });
        for (const Json& entry : *entries) {
            if (const Json* matcher = member(entry, QStringLiteral("matcher")); matcher && *matcher == "*")
                return allEvents && scriptHandlesIdlePrompt() ? HookCompatibility::compatible
                                                              : HookCompatibility::incompatible;
        }
        return HookCompatibility::incompatible;
    }
    return member(*hooks, preToolUse) || member(*hooks, postToolUse) ? HookCompatibility::incompatible
                                                                     : HookCompatibility::notInstalled;
}

void HookInstaller::checkInstallationStatus()
{
    if (!QFileInfo::exists(m_hookScriptPath)) {
        setInstallationStatus(InstallationStatus::notInstalled);
        setHookCompatibility(HookCompatibility::notInstalled);
        setStatusMessage(QStringLiteral("❌ Hooks not installed"));
        return;
    }
    if (!QFileInfo::exists(m_settingsPath)) {
        setInstallationStatus(InstallationStatus::partiallyInstalled);
        setHookCompatibility(HookCompatibility::notInstalled);
        setStatusMessage(QStringLiteral("⚠️ Script exists but settings.json not configured"));
        return;
    }
    if (!hooksConfigured()) {
        setInstallationStatus(InstallationStatus::partiallyInstalled);
        setHookCompatibility(HookCompatibility::notInstalled);
        setStatusMessage(QStringLiteral("⚠️ Script exists but settings need update"));
        return;
    }
    const HookCompatibility compatibility = checkCompatibility();
    if (compatibility != HookCompatibility::compatible) {
        setInstallationStatus(InstallationStatus::partiallyInstalled);
        setHookCompatibility(compatibility);
        setStatusMessage(QStringLiteral("⚠️ Hooks need updating for v0.4.2+ compatibility"));
        return;
    }
    setInstallationStatus(InstallationStatus::installed);
    setHookCompatibility(HookCompatibility::compatible);
    setStatusMessage(QStringLiteral("✅ Hooks are installed and configured"));
}

// ---------------------------------------------------------------------------------------------------
// Install

std::expected<void, HookInstallerFailure> HookInstaller::installHooks()
{
    track(QStringLiteral("hook_installation_attempted"));
    const bool hadExistingHooks = hooksConfigured();
    setInstallationStatus(InstallationStatus::installing);
    setStatusMessage(QStringLiteral("Installing hooks..."));

    if (auto result = installFiles(); !result) {
        // Nothing done before the failure is undone: every step leaves the files consistent on its own.
        setInstallationStatus(InstallationStatus::error);
        setStatusMessage(QStringLiteral("❌ Installation failed: ") + result.error().description);
        track(QStringLiteral("hook_installation_failed"),
              QVariantMap{{QStringLiteral("error_type"), result.error().errorType()}});
        return result;
    }

    setInstallationStatus(InstallationStatus::installed);
    setStatusMessage(QStringLiteral("✅ Successfully installed hooks!"));
    track(QStringLiteral("hook_installation_completed"),
          QVariantMap{{QStringLiteral("had_existing_hooks"), hadExistingHooks}});
    emit hookStatusChanged();
    return {};
}

std::expected<void, HookInstallerFailure> HookInstaller::installFiles()
{
    if (auto made = FileOperations::makePath(QFileInfo(m_hookScriptPath).path()); !made)
        return std::unexpected(HookInstallerFailure::fileSystem(made.error()));
    // Private, as the hook script makes it: only the user's own program reads the status files.
    if (auto made = FileOperations::makePath(m_sessionsDirectoryPath, 0700); !made)
        return std::unexpected(HookInstallerFailure::fileSystem(made.error()));
    if (auto installed = installScript(); !installed)
        return installed;
    if (auto merged = mergeHookEntries(); !merged)
        return merged;
    if (!hooksConfigured())
        return std::unexpected(HookInstallerFailure::of(HookInstallerError::settingsVerificationFailed));
    return {};
}

std::expected<void, HookInstallerFailure> HookInstaller::installScript()
{
    if (!QFileInfo(m_scriptSourcePath).isFile() || !QFileInfo(m_moduleSourcePath).isFile())
        return std::unexpected(HookInstallerFailure::of(HookInstallerError::scriptNotFoundInBundle));
    const auto script = FileOperations::readFile(m_scriptSourcePath);
    if (!script)
        return std::unexpected(HookInstallerFailure::fileSystem(script.error()));
    const auto module = FileOperations::readFile(m_moduleSourcePath);
    if (!module)
        return std::unexpected(HookInstallerFailure::fileSystem(module.error()));

    // While the settings name the script, Claude Code runs "python3 <script>" on every tool call, and a
    // missing script makes python3 exit 2, which Claude Code takes as a blocking error. So the old
    // files are never deleted first: the new ones are renamed over them, the module before the script
    // that needs it (a script of an earlier version needs none).
    if (auto replaced = FileOperations::replaceFile(m_hookModulePath, *module, moduleMode); !replaced)
        return std::unexpected(HookInstallerFailure::fileSystem(replaced.error()));
    // Python trusts a cache whose source has the same size and modification second: a reinstall within
    // the second must not leave the old module's code in use.
    removeCachedModule(QFileInfo(m_hookModulePath).path());
    if (auto replaced = FileOperations::replaceFile(m_hookScriptPath, *script, scriptMode); !replaced)
        return std::unexpected(HookInstallerFailure::fileSystem(replaced.error()));
    if (!QFileInfo(m_hookScriptPath).isExecutable())
        return std::unexpected(HookInstallerFailure::of(HookInstallerError::scriptNotExecutable));
    return {};
}

std::expected<HookInstaller::SettingsFile, HookInstallerFailure> HookInstaller::readSettingsForUpdate() const
{
    SettingsFile settings;
    if (!QFileInfo::exists(m_settingsPath))
        return settings;
    auto bytes = FileOperations::readFile(m_settingsPath);
    if (!bytes)
        return std::unexpected(HookInstallerFailure::fileSystem(bytes.error()));
    auto root = parseJson(*bytes);
    if (!root) {
        return std::unexpected(HookInstallerFailure::fileSystem(
            QStringLiteral(
                "%1 is not valid JSON (%2). It was left unchanged; fix or remove it and try again.")
                .arg(QDir::toNativeSeparators(m_settingsPath), root.error())));
    }
    // Refused rather than replaced: whatever the user keeps there must not be lost.
    if (!root->is_object()) {
        return std::unexpected(HookInstallerFailure::fileSystem(
            QStringLiteral("%1 does not hold a JSON object at its top level. It was left unchanged; fix or "
                           "remove it and try again.")
                .arg(QDir::toNativeSeparators(m_settingsPath))));
    }
    settings.root = std::move(*root);
    settings.originalBytes = std::move(*bytes);
    settings.existed = true;
    return settings;
}

std::expected<void, HookInstallerFailure> HookInstaller::writeSettings(const SettingsFile& settings) const
{
    QByteArray bytes = serialize(settings.root);
    // Keep the file's own ending; a new file ends with a line break like any text file.
    if (!settings.existed || settings.originalBytes.endsWith('\n'))
        bytes.append('\n');
    if (settings.existed && bytes == settings.originalBytes)
        return {};

    // A settings file kept elsewhere and linked here (dotfiles) stays linked: the link's target is replaced.
    QString target = m_settingsPath;
    mode_t mode = FileOperations::newFileMode();
    if (settings.existed) {
        const QFileInfo info(m_settingsPath);
        if (info.isSymLink() && !info.canonicalFilePath().isEmpty())
            target = info.canonicalFilePath();
        const auto existingMode = FileOperations::fileMode(target);
        if (!existingMode)
            return std::unexpected(HookInstallerFailure::fileSystem(existingMode.error()));
        mode = *existingMode;
    }
    if (auto written = FileOperations::replaceFile(target, bytes, mode); !written)
        return std::unexpected(HookInstallerFailure::fileSystem(written.error()));
    return {};
}

std::expected<void, HookInstallerFailure> HookInstaller::mergeHookEntries()
{
    auto settings = readSettingsForUpdate();
    if (!settings)
        return std::unexpected(settings.error());

    Json entries = hookEntries(shellWord(m_hookScriptPath));
    Json& hooks = settings->root[hooksKey.toStdString()];
    if (hooks.is_object()) {
        // Our events are replaced where they stand, missing ones appended; the user's other events stay as
        // they are.
        for (auto& [event, entry] : entries.items())
            hooks[event] = std::move(entry);
    } else {
        hooks = std::move(entries);
    }
    return writeSettings(*settings);
}

// ---------------------------------------------------------------------------------------------------
// Uninstall

std::expected<void, HookInstallerFailure> HookInstaller::uninstallHooks()
{
    // The settings go first: if removing the entries fails, the script they name is still there, so
    // Claude Code never runs a hook whose script is missing (python3 would exit 2 and block every tool).
    auto result = removeHookEntries();
    for (const QString& file : {m_hookScriptPath, m_hookModulePath}) {
        if (!result)
            break;
        if (auto removed = FileOperations::removeFile(file); !removed)
            result = std::unexpected(HookInstallerFailure::fileSystem(removed.error()));
    }
    if (result)
        removeCachedModule(QFileInfo(m_hookModulePath).path());
    if (!result) {
        setInstallationStatus(InstallationStatus::error);
        setStatusMessage(QStringLiteral("❌ Uninstall failed: ") + result.error().description);
        return result;
    }
    setInstallationStatus(InstallationStatus::notInstalled);
    setStatusMessage(QStringLiteral("🗑️ Hooks uninstalled"));
    emit hookStatusChanged();
    return {};
}

std::expected<void, HookInstallerFailure> HookInstaller::removeHookEntries()
{
    if (!QFileInfo::exists(m_settingsPath))
        return {};
    auto settings = readSettingsForUpdate();
    if (!settings)
        return std::unexpected(settings.error());

    const auto hooks = settings->root.find(hooksKey.toStdString());
    if (hooks == settings->root.end() || !hooks->is_object())
        return {};
    bool changed = false;
    for (const QString& event : hookEvents())
        changed |= hooks->erase(event.toStdString()) > 0;
    if (hooks->empty()) {
        settings->root.erase(hooks);
        changed = true;
    }
    // Settings without our entries are the user's business alone: not even their layout is touched.
    if (!changed)
        return {};
    return writeSettings(*settings);
}

// ---------------------------------------------------------------------------------------------------

QString HookInstaller::manualConfiguration() const
{
    const Json configuration{
        {hooksKey.toStdString(), hookEntries(QStringLiteral("~/.claude/hooks/status_writer.py"))}};
    return QString::fromUtf8(serialize(configuration));
}

void HookInstaller::setInstallationStatus(InstallationStatus status)
{
    m_installationStatus = status;
    emit installationStatusChanged();
}

void HookInstaller::setStatusMessage(const QString& message)
{
    m_statusMessage = message;
    emit statusMessageChanged();
}

void HookInstaller::setHookCompatibility(HookCompatibility compatibility)
{
    m_hookCompatibility = compatibility;
    emit hookCompatibilityChanged();
}

void HookInstaller::track(const QString& event, const std::optional<QVariantMap>& properties)
{
    if (m_track)
        m_track(event, properties);
}

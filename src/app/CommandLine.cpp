#include "CommandLine.h"

#include "BuildInfo.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {
const QString preferencesOption = QStringLiteral("preferences");

CommandLine::Result failure(const QString& program, const QString& message)
{
    return {CommandLine::Kind::error,
            {},
            QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(program, message),
            CommandLine::usageExitCode};
}
} // namespace

QString CommandLine::versionText()
{
    return QStringLiteral("Tabbywatch %1 (build %2)")
        .arg(QLatin1String(BuildInfo::version), QLatin1String(BuildInfo::build));
}

QStringList CommandLine::preferencesTabs()
{
    return {QStringLiteral("installation"), QStringLiteral("skins"), QStringLiteral("history"),
            QStringLiteral("about")};
}

bool CommandLine::isCommand(QStringView word)
{
    static const QStringList plain{QStringLiteral("activate"), QStringLiteral("toggle"),
                                   QStringLiteral("preferences"), QStringLiteral("onboarding"),
                                   QStringLiteral("quit")};
    if (plain.contains(word))
        return true;
    const QLatin1String prefix("preferences=");
    return word.startsWith(prefix) && preferencesTabs().contains(word.mid(prefix.size()));
}

CommandLine::Result CommandLine::parse(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return parse(arguments);
}

CommandLine::Result CommandLine::parse(const QStringList& arguments)
{
    const QString program =
        arguments.isEmpty() ? QStringLiteral("tabbywatch") : QFileInfo(arguments.first()).fileName();

    // QCommandLineParser knows no optional values: a --preferences followed by nothing or by another
    // option means the default tab.
    QStringList normalized = arguments.isEmpty() ? QStringList{program} : arguments;
    for (qsizetype i = 1; i < normalized.size() && normalized[i] != QLatin1String("--"); ++i)
        if (normalized[i] == QLatin1String("--preferences") &&
            (i + 1 == normalized.size() || normalized[i + 1].startsWith(u'-')))
            normalized[i] = QLatin1String("--preferences=") + preferencesTabs().first();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows what Claude Code is doing as an animated cat. A second start hands its "
                       "options to the running Tabbywatch."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    parser.addOptions({
        help,
        version,
        {QStringLiteral("toggle"), QStringLiteral("Shows or hides the cat window.")},
        {preferencesOption,
         QStringLiteral("Opens the preferences, on <tab> if given: installation (the default), skins, "
                        "history or about."),
         QStringLiteral("tab")},
        {QStringLiteral("onboarding"), QStringLiteral("Opens the welcome window.")},
        {QStringLiteral("quit"), QStringLiteral("Quits the running Tabbywatch.")},
    });
    const QCommandLineOption check(QStringLiteral("check-installation"),
                                   QStringLiteral("Tells where the hook script and the bundled skins were "
                                                  "found, then exits; fails when one is missing."));
    parser.addOption(check);

    if (!parser.parse(normalized))
        return failure(program, parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return failure(program,
                       QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    if (parser.isSet(help)) {
        // Before the application object exists the parser does not know the program's name.
        QString text = parser.helpText();
        text.replace(0, text.indexOf(u'\n'), QStringLiteral("Usage: %1 [options]").arg(program));
        return {Kind::help, {}, text, 0};
    }
    if (parser.isSet(version))
        return {Kind::version, {}, versionText() + u'\n', 0};
    if (parser.isSet(check))
        return {Kind::check, {}, {}, 0};

    // In the order given.
    QStringList commands;
    const QStringList tabs = parser.values(preferencesOption);
    qsizetype nextTab = 0;
    for (const QString& name : parser.optionNames()) {
        if (name != preferencesOption) {
            commands.append(name);
            continue;
        }
        const QString tab = tabs.value(nextTab++);
        if (!preferencesTabs().contains(tab))
            return failure(program, QStringLiteral("Unknown preferences tab '%1'; choose one of %2.")
                                        .arg(tab, preferencesTabs().join(QLatin1String(", "))));
        commands.append(preferencesOption + u'=' + tab);
    }
    if (commands.isEmpty())
        commands.append(QStringLiteral("activate"));
    return {Kind::run, commands, {}, 0};
}

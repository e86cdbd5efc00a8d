#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The program's arguments. Parsing needs no application object, so --help and --version answer
// without a display. How main() uses it:
//
//     const CommandLine::Result commandLine = CommandLine::parse(argc, argv); // before QApplication
//     if (commandLine.kind != CommandLine::Kind::run) {
//         // help and version on standard output, errors on standard error
//         std::fputs(qPrintable(commandLine.output), commandLine.exitCode == 0 ? stdout : stderr);
//         return commandLine.exitCode;
//     }
//     SingleInstance instance; // the name for this user and session
//     if (instance.sendToRunning(commandLine.commands))
//         return 0; // the running instance took over
//     if (commandLine.commands.contains(QStringLiteral("quit")))
//         return 0; // nothing runs, nothing to quit
//     QApplication app(argc, argv);
//     if (!instance.listen() && instance.sendToRunning(commandLine.commands))
//         return 0; // lost a start-up race to another instance
//     // Neither: a socket we may not take or an instance that does not answer; run on unguarded.
//     // ... connect instance.commandReceived to the delegate, then run commandLine.commands (except
//     // "activate") on this instance as if they had been received.
//
// The commands are the words of the instance protocol: "activate", "toggle", "preferences=<tab>",
// "onboarding", "quit".
class CommandLine
{
public:
    enum class Kind
    {
        run,     // commands holds what to do, never empty
        help,    // output holds the help text, exitCode 0
        version, // output holds the version line, exitCode 0
        error,   // output holds the message, exitCode usageExitCode
        check,   // report where the data folder's pieces were found (InstallationCheck), then exit
    };

    struct Result
    {
        Kind kind = Kind::run;
        QStringList commands;
        QString output; // ends with a newline
        int exitCode = 0;
    };

    static constexpr int usageExitCode = 2;

    // arguments[0] is the program, as in argv.
    static Result parse(const QStringList& arguments);
    static Result parse(int argc, char** argv);

    // "Tabbywatch <version> (build <build>)"
    static QString versionText();
    // The preferences tabs that --preferences=<tab> names, the default first.
    static QStringList preferencesTabs();
    // True for exactly the words a command may be; everything else from a client is refused.
    static bool isCommand(QStringView word);
};

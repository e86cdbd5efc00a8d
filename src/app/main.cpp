#include "AppController.h"
#include "ApplicationServices.h"
#include "BuildInfo.h"
#include "CommandLine.h"
#include "DataDirectory.h"
#include "FloatingPanel.h"
#include "InstallationCheck.h"
#include "Log.h"
#include "RenderingBackend.h"
#include "SingleInstance.h"
#include "UnixSignalWatcher.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[])
{
    // --help, --version and mistakes answer here, without a display and without starting anything.
    const CommandLine::Result commandLine = CommandLine::parse(argc, argv);
    if (commandLine.kind == CommandLine::Kind::check) {
        const QCoreApplication app(argc, argv);
        const QTemporaryDir scratch;
        const InstallationCheck::Result check = InstallationCheck::run(dataDirectory(), scratch.path());
        std::fputs(qPrintable(check.report), stdout);
        return check.complete ? 0 : 1;
    }
    if (commandLine.kind != CommandLine::Kind::run) {
        std::fputs(qPrintable(commandLine.output), commandLine.exitCode == 0 ? stdout : stderr);
        return commandLine.exitCode;
    }
    SingleInstance instance;
    if (instance.sendToRunning(commandLine.commands))
        return 0;
    if (commandLine.commands.contains(QStringLiteral("quit")))
        return 0;

    if (const QByteArray platform = FloatingPanel::platformOverride(QProcessEnvironment::systemEnvironment());
        !platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tabbywatch"));
    QApplication::setApplicationName(QStringLiteral("Tabbywatch"));
    QApplication::setApplicationVersion(QString::fromLatin1(BuildInfo::version));
    QApplication::setQuitOnLastWindowClosed(false);
    if (!instance.listen()) {
        if (instance.sendToRunning(commandLine.commands))
            return 0; // another start won the race
        logLine(QStringLiteral("⚠️ Could not claim ") + instance.serverName() +
                QStringLiteral("; a second start will not find this one"));
    }
    RenderingBackend::chooseForThisMachine(QProcessEnvironment::systemEnvironment());

    ApplicationServices services(ApplicationServices::defaultPaths(), PreferencesManager::defaultSettings());
    AppController controller(services, {.updateFeedURL = QString::fromLatin1(BuildInfo::updateFeedURL)});

    UnixSignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &UnixSignalWatcher::terminationRequested, &controller,
                     &AppController::quit);
    QObject::connect(&app, &QApplication::aboutToQuit, &controller, &AppController::applicationWillTerminate);
    QObject::connect(&instance, &SingleInstance::commandReceived, &controller, &AppController::handleCommand);

    controller.applicationDidFinishLaunching();
    for (const QString& command : commandLine.commands)
        if (command != u"activate")
            controller.handleCommand(command);
    return QApplication::exec();
}

#include "ApplicationServices.h"
#include "UnixSignalWatcher.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tabbywatch"));
    QApplication::setApplicationName(QStringLiteral("Tabbywatch"));
    QApplication::setQuitOnLastWindowClosed(false);

    ApplicationServices services(ApplicationServices::defaultPaths(), PreferencesManager::defaultSettings());

    UnixSignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &UnixSignalWatcher::terminationRequested, &app,
                     [] { QApplication::quit(); });
    QObject::connect(&app, &QApplication::aboutToQuit, &services,
                     [&services] { services.statusManager().stopMonitoring(); });

    services.statusManager().startMonitoring();
    services.multiSessionManager().startMonitoring();
    return QApplication::exec();
}

#include "ApplicationServices.h"
#include "FloatingPanel.h"
#include "FloatingPanelController.h"
#include "RenderingBackend.h"
#include "UnixSignalWatcher.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (const QByteArray platform = FloatingPanel::platformOverride(QProcessEnvironment::systemEnvironment());
        !platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tabbywatch"));
    QApplication::setApplicationName(QStringLiteral("Tabbywatch"));
    QApplication::setQuitOnLastWindowClosed(false);
    RenderingBackend::chooseForThisMachine(QProcessEnvironment::systemEnvironment());

    ApplicationServices services(ApplicationServices::defaultPaths(), PreferencesManager::defaultSettings());

    UnixSignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &UnixSignalWatcher::terminationRequested, &app,
                     [] { QApplication::quit(); });
    QObject::connect(&app, &QApplication::aboutToQuit, &services,
                     [&services] { services.statusManager().stopMonitoring(); });

    // The panel's views start the status and session monitors when they appear.
    FloatingPanelController panel(services);
    panel.setupFloatingPanel();
    return QApplication::exec();
}

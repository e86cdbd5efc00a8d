#include "DisplayServices.h"
#include "QmlFixture.h"

#include <QQmlEngine>
#include <QtQml/QQmlExtensionPlugin>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(TabbywatchPlugin)

// One fixture for the whole run: each test file's engine reaches the same services.
class Setup : public QObject
{
    Q_OBJECT
public slots:
    void applicationAvailable()
    {
        m_fixture = std::make_unique<QmlFixture>(QStringLiteral(TABBYWATCH_BUNDLED_SKINS));
        qmlRegisterSingletonInstance("TabbywatchTest", 1, 0, "Fixture", m_fixture.get());
    }
    void qmlEngineAvailable(QQmlEngine* engine) { DisplayServices::prepareEngine(*engine); }
    void cleanupTestCase() { m_fixture.reset(); }

private:
    std::unique_ptr<QmlFixture> m_fixture;
};

QUICK_TEST_MAIN_WITH_SETUP(tabbywatch_views, Setup)
#include "tst_views.moc"

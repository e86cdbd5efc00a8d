#include "DisplayServices.h"
#include "HookInstaller.h"
#include "OnboardingWindow.h"
#include "PreferencesWindow.h"
#include "QmlFixture.h"
#include "QmlShared.h"
#include "SkinManager.h"
#include "TestClips.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QtQml/QQmlExtensionPlugin>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(TabbywatchPlugin)

// The two windows as the application makes them, over the views' real services and a temporary home.
// Each test file closes them in its cleanupTestCase, while its engine still lives.
class Windows : public QObject
{
    Q_OBJECT
public:
    explicit Windows(QmlFixture& fixture) : m_fixture(fixture) {}

    void setEngine(QQmlEngine* engine) { m_engine = engine; }

    Q_INVOKABLE QObject* openPreferences(int tab)
    {
        if (!m_preferences)
            m_preferences = std::make_unique<PreferencesWindow>(*m_engine, context());
        m_preferences->open(tab);
        return m_preferences->window();
    }
    Q_INVOKABLE QObject* showOnboarding()
    {
        if (!m_onboarding)
            m_onboarding = std::make_unique<OnboardingWindow>(*m_engine, context());
        m_onboarding->show();
        return m_onboarding->window();
    }
    Q_INVOKABLE void closeWindows()
    {
        m_preferences.reset();
        m_onboarding.reset();
    }

    // Claude Code's settings file in the temporary home; an empty text removes it.
    Q_INVOKABLE QString settingsText() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    Q_INVOKABLE void writeSettings(const QString& text) const
    {
        QFile::remove(settingsPath());
        QFile file(settingsPath());
        if (!text.isEmpty() && file.open(QIODevice::WriteOnly))
            file.write(text.toUtf8());
    }
    Q_INVOKABLE QString clipboardText() const { return QGuiApplication::clipboard()->text(); }

    // A short clip of that test pattern, or a text file posing as one when the pattern is empty.
    Q_INVOKABLE QUrl makeClip(const QString& pattern, const QString& name) const
    {
        const QString directory = m_fixture.home() + QStringLiteral("/clips/") + pattern;
        QDir().mkpath(directory);
        const QString path = directory + u'/' + name;
        if (pattern.isEmpty()) {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write("not a video");
        } else {
            QFile::rename(TestClips::make(directory, pattern), path);
        }
        return QUrl::fromLocalFile(path);
    }
    Q_INVOKABLE QString thumbnailFile(const QString& skinId) const
    {
        const Skin* skin = QmlShared<SkinManager>::get()->findSkin(*Skin::parseId(skinId));
        return skin ? QmlShared<SkinManager>::get()->thumbnailPath(*skin).value_or(QString()) : QString();
    }
    Q_INVOKABLE bool fileExists(const QString& path) const { return QFile::exists(path); }
    Q_INVOKABLE bool removeFile(const QString& path) const { return QFile::remove(path); }

private:
    QString settingsPath() const { return m_fixture.home() + QStringLiteral("/.claude/settings.json"); }
    WindowContext context()
    {
        return {m_fixture.statusManager(),
                [this] {
                    return std::make_unique<HookInstaller>(
                        m_fixture.home(), QStringLiteral(TABBYWATCH_HOOK_SCRIPT), m_fixture.usageEventSink());
                },
                m_fixture.usageEventSink()};
    }

    QmlFixture& m_fixture;
    QQmlEngine* m_engine = nullptr;
    std::unique_ptr<PreferencesWindow> m_preferences;
    std::unique_ptr<OnboardingWindow> m_onboarding;
};

class Setup : public QObject
{
    Q_OBJECT
public slots:
    void applicationAvailable()
    {
        m_fixture = std::make_unique<QmlFixture>(QStringLiteral(TABBYWATCH_BUNDLED_SKINS));
        m_windows = std::make_unique<Windows>(*m_fixture);
        QDir().mkpath(m_fixture->home() + QStringLiteral("/.claude"));
        qmlRegisterSingletonInstance("TabbywatchTest", 1, 0, "Fixture", m_fixture.get());
        qmlRegisterSingletonInstance("TabbywatchTest", 1, 0, "Windows", m_windows.get());
    }
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        DisplayServices::prepareEngine(*engine);
        m_windows->setEngine(engine);
    }
    void cleanupTestCase()
    {
        m_windows.reset();
        m_fixture.reset();
    }

private:
    std::unique_ptr<QmlFixture> m_fixture;
    std::unique_ptr<Windows> m_windows;
};

QUICK_TEST_MAIN_WITH_SETUP(tabbywatch_windows, Setup)
#include "tst_windows.moc"

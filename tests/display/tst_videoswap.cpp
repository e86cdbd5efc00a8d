#include "DisplayServices.h"
#include "TestClips.h"
#include "VideoPlayerManager.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(TabbywatchPlugin)

// On a real X server (Xvfb): what the window shows while one video replaces another.
class TestVideoSwap : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void noBlankFrameAcrossASwap();

private:
    enum class Picture
    {
        blank,
        red,
        blue,
        other,
    };
    Picture grab();

    QTemporaryDir m_dir;
    QString m_red, m_blue;
    QQmlEngine m_engine;
    QQuickWindow m_window;
    QQuickItem* m_cat = nullptr;
};

void TestVideoSwap::initTestCase()
{
    m_red = TestClips::make(m_dir.path(), QStringLiteral("red"), 64, 30);
    m_blue = TestClips::make(m_dir.path(), QStringLiteral("blue"), 64, 30);
    QVERIFY(!m_red.isEmpty() && !m_blue.isEmpty());

    DisplayServices::prepareEngine(m_engine);
    QQmlComponent component(&m_engine);
    component.setData("import QtQuick\nimport Tabbywatch\nCatVideo { width: 64; height: 64 }\n", QUrl());
    m_cat = qobject_cast<QQuickItem*>(component.create());
    QVERIFY2(m_cat, qPrintable(component.errorString()));
    m_cat->setParentItem(m_window.contentItem());
    m_window.resize(64, 64);
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
}

TestVideoSwap::Picture TestVideoSwap::grab()
{
    const QColor centre = m_window.grabWindow().pixelColor(32, 32);
    auto near = [&](int r, int g, int b) {
        return std::abs(centre.red() - r) < 40 && std::abs(centre.green() - g) < 40 &&
               std::abs(centre.blue() - b) < 40;
    };
    if (near(255, 255, 255) || near(0, 0, 0))
        return Picture::blank;
    if (near(255, 0, 0))
        return Picture::red;
    if (near(0, 0, 255))
        return Picture::blue;
    return Picture::other;
}

void TestVideoSwap::noBlankFrameAcrossASwap()
{
    auto* player = m_cat->property("player").value<VideoPlayerManager*>();
    QVERIFY(player);
    // Before any video the cat is white.
    QCOMPARE(grab(), Picture::blank);

    QMetaObject::invokeMethod(m_cat, "loadVideo", Q_ARG(QVariant, TestClips::url(m_red)));
    QTRY_COMPARE_WITH_TIMEOUT(player->currentVideoURL(), TestClips::url(m_red), 10000);
    QTRY_COMPARE(grab(), Picture::red);

    for (int round = 0; round < 3; ++round) {
        const QString next = round % 2 ? m_red : m_blue;
        const Picture from = round % 2 ? Picture::blue : Picture::red;
        const Picture to = round % 2 ? Picture::red : Picture::blue;
        QMetaObject::invokeMethod(m_cat, "loadVideo", Q_ARG(QVariant, TestClips::url(next)));
        QList<Picture> seen;
        QElapsedTimer clock;
        clock.start();
        int afterSwap = 0;
        while (afterSwap < 10 && clock.elapsed() < 10000) {
            seen << grab();
            if (player->currentVideoURL() == TestClips::url(next))
                ++afterSwap;
            QTest::qWait(1);
        }
        QVERIFY2(!seen.contains(Picture::blank), qPrintable(QStringLiteral("round %1").arg(round)));
        QVERIFY(!seen.contains(Picture::other));
        QCOMPARE(seen.first(), from);
        QCOMPARE(seen.last(), to);
        // The old picture up to the swap, the new one after it, never back and forth.
        const auto firstNew = seen.indexOf(to);
        QVERIFY(std::all_of(seen.begin() + firstNew, seen.end(), [&](Picture p) { return p == to; }));
    }
}

QTEST_MAIN(TestVideoSwap)
#include "tst_videoswap.moc"

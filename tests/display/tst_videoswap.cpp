#include "DisplayServices.h"
#include "TestClips.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(TabbywatchPlugin)

// On a real X server (Xvfb): what the window shows while one video replaces another.
class TestVideoSwap : public QObject
{
    Q_OBJECT
private slots:
    void noBlankFrameAcrossASwap()
    {
        QTemporaryDir dir;
        const QUrl clips[] = {TestClips::url(TestClips::make(dir.path(), QStringLiteral("red"), 64, 30)),
                              TestClips::url(TestClips::make(dir.path(), QStringLiteral("blue"), 64, 30))};
        QVERIFY(!clips[0].isEmpty() && !clips[1].isEmpty());
        QQmlEngine engine;
        DisplayServices::prepareEngine(engine);
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport Tabbywatch\nCatVideo { width: 64; height: 64 }\n", QUrl());
        QQuickWindow window;
        std::unique_ptr<QQuickItem> cat(qobject_cast<QQuickItem*>(component.create()));
        QVERIFY2(cat, qPrintable(component.errorString()));
        cat->setParentItem(window.contentItem());
        window.resize(64, 64);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // The middle of the window: 'r'ed, 'b'lue, or '-' for anything else (white, black, a blend).
        auto grab = [&window] {
            const QColor c = window.grabWindow().pixelColor(32, 32);
            const bool red = c.red() > 215 && c.green() < 40 && c.blue() < 40;
            return red ? 'r' : c.blue() > 215 && c.red() < 40 && c.green() < 40 ? 'b' : '-';
        };
        QCOMPARE(window.grabWindow().pixelColor(32, 32), QColor(Qt::white));
        QMetaObject::invokeMethod(cat.get(), "loadVideo", Q_ARG(QVariant, clips[0]));
        QTRY_COMPARE_WITH_TIMEOUT(grab(), 'r', 10000);
        for (int round = 1; round <= 3; ++round) {
            QMetaObject::invokeMethod(cat.get(), "loadVideo", Q_ARG(QVariant, clips[round % 2]));
            const char to = round % 2 ? 'b' : 'r';
            QByteArray seen;
            for (int afterSwap = 0; afterSwap < 10 && seen.size() < 10000; QTest::qWait(1)) {
                seen += grab();
                afterSwap += seen.back() == to;
            }
            // The old picture up to the swap, the new one after it: never blank, never back and forth.
            const QString once = to == 'b' ? QStringLiteral("^r+b+$") : QStringLiteral("^b+r+$");
            QVERIFY2(QRegularExpression(once).match(QString::fromLatin1(seen)).hasMatch(), seen.constData());
        }
    }
};

QTEST_MAIN(TestVideoSwap)
#include "tst_videoswap.moc"

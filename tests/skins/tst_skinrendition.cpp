#include "SkinRendition.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSkinRendition : public QObject
{
    Q_OBJECT
private slots:
    void fileToDecode_data()
    {
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<bool>("smallExists");
        QTest::addColumn<bool>("small");
        QTest::newRow("small picture") << QSize(200, 200) << true << true;
        QTest::newRow("exactly the small side") << QSize(240, 240) << true << true;
        QTest::newRow("larger: never upscaled") << QSize(241, 100) << true << false;
        QTest::newRow("hidpi cat") << QSize(400, 400) << true << false;
        QTest::newRow("no size yet") << QSize() << true << false;
        QTest::newRow("no small copy") << QSize(100, 100) << false << false;
    }

    void fileToDecode()
    {
        QFETCH(QSize, shown);
        QFETCH(bool, smallExists);
        QFETCH(bool, small);
        QTemporaryDir dir;
        const QString clip = dir.filePath("needs_input.mp4");
        QCOMPARE(SkinRendition::smallPath(clip), dir.filePath("needs_input@240.mp4"));
        if (smallExists)
            QVERIFY(QFile(SkinRendition::smallPath(clip)).open(QIODevice::WriteOnly));
        QCOMPARE(SkinRendition::pathFor(clip, shown), small ? SkinRendition::smallPath(clip) : clip);
    }
};

QTEST_GUILESS_MAIN(TestSkinRendition)
#include "tst_skinrendition.moc"

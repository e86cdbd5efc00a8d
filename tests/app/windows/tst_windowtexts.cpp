#include "SkinCreator.h"
#include "StatusHistoryModel.h"
#include "WindowTexts.h"

#include <QTest>

// The rules behind the windows' texts that are not reached through the views' tests.
class TestWindowTexts : public QObject
{
    Q_OBJECT
private slots:
    void importProgress_data()
    {
        QTest::addColumn<std::optional<ImportProgress>>("progress");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("before the first value")
            << std::optional<ImportProgress>() << QStringList{"", "", "Creating..."};
        QTest::newRow("cropping") << std::optional(ImportProgress{2, 4, "Cropping to square", 42, 2})
                                  << QStringList{"42%", "2/4 Videos", "Cropping to square"};
        QTest::newRow("finalizing") << std::optional(ImportProgress{4, 4, "Finalizing", 100, 4})
                                    << QStringList{"100%", "4/4 Videos", "Finalizing"};
    }
    void importProgress()
    {
        QFETCH(std::optional<ImportProgress>, progress);
        QFETCH(QStringList, lines);
        QCOMPARE(SkinCreator::progressTexts(progress),
                 (SkinCreator::ProgressTexts{lines[0], lines[1], lines[2]}));
    }

    void mailto_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("url");
        QTest::newRow("words") << "Bug Report"
                               << "mailto:help@example.org?subject=Bug%20Report";
        // A subject must not add query items or end the query.
        QTest::newRow("separators") << "a&cc=x+y#z?"
                                    << "mailto:help@example.org?subject=a%26cc%3Dx%2By%23z%3F";
        QTest::newRow("non-ASCII") << "Grüße"
                                   << "mailto:help@example.org?subject=Gr%C3%BC%C3%9Fe";
    }
    void mailto()
    {
        QFETCH(QString, subject);
        QFETCH(QString, url);
        QCOMPARE(
            WindowTexts::mailtoURL(QStringLiteral("help@example.org"), subject).toString(QUrl::FullyEncoded),
            url);
    }

    void historyTime_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("time");
        QTest::newRow("12-hour") << "en_US"
                                 << "3:04:05 PM";
        QTest::newRow("24-hour") << "de_DE"
                                 << "15:04:05";
        QTest::newRow("dot separator") << "fi_FI"
                                       << "15.04.05";
    }
    void historyTime()
    {
        QFETCH(QString, locale);
        QFETCH(QString, time);
        const QLocale l(locale);
        QCOMPARE(l.toString(QTime(15, 4, 5), StatusHistoryModel::timeFormat(l)), time);
    }
};

QTEST_GUILESS_MAIN(TestWindowTexts)
#include "tst_windowtexts.moc"

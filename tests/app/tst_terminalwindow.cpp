#include "TerminalWindow.h"

#include <QTest>

using Windows = QList<TerminalWindow::Window>;
Q_DECLARE_METATYPE(Windows)

class TestTerminalWindow : public QObject
{
    Q_OBJECT
private slots:
    void find_data()
    {
        QTest::addColumn<qint64>("pid");
        QTest::addColumn<Windows>("windows");
        QTest::addColumn<quint32>("found"); // 0: none, for the reason
        QTest::addColumn<QString>("reason");
        QTest::newRow("terminal three up") << 50ll << Windows{{7, 31}, {9, 30}} << 9u << "";
        QTest::newRow("nearest owner wins") << 50ll << Windows{{5, 20}, {9, 30}} << 9u << "";
        QTest::newRow("multiplexer: no owner") << 50ll << Windows{{7, 31}} << 0u << "No terminal window";
        QTest::newRow("process gone") << 60ll << Windows{{9, 30}} << 0u << "no longer running";
        QTest::newRow("not X11") << 50ll << Windows{} << 0u << "X11";
        QTest::newRow("loop") << 70ll << Windows{{7, 31}} << 0u << "No terminal window";
    }

    void find()
    {
        QFETCH(qint64, pid);
        QFETCH(Windows, windows);
        QFETCH(quint32, found);
        QFETCH(QString, reason);
        // claude 50 <- shell 40 <- xterm 30 <- session 20 <- init 1; another xterm 31; a loop 70 <-> 71.
        const QMap<qint64, qint64> tree{{50, 40}, {40, 30}, {30, 20}, {20, 1}, {31, 20}, {70, 71}, {71, 70}};
        const auto parentOf = [&](qint64 p) {
            return tree.contains(p) ? std::optional(tree[p]) : std::nullopt;
        };
        const auto window = TerminalWindow::find(pid, parentOf, windows);
        QCOMPARE(window.value_or(0), found);
        if (!window)
            QVERIFY2(window.error().contains(reason), qPrintable(window.error()));
    }
};

QTEST_GUILESS_MAIN(TestTerminalWindow)
#include "tst_terminalwindow.moc"

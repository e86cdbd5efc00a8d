#include "TerminalWindow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Tree = QMap<qint64, qint64>; // pid -> parent
using Windows = QList<TerminalWindow::Window>;
Q_DECLARE_METATYPE(Tree)
Q_DECLARE_METATYPE(Windows)

class TestTerminalWindow : public QObject
{
    Q_OBJECT
private slots:
    void find_data()
    {
        QTest::addColumn<Tree>("tree");
        QTest::addColumn<Windows>("windows");
        QTest::addColumn<quint32>("found"); // 0: none
        QTest::addColumn<QString>("reason");
        // claude 50 <- shell 40 <- xterm 30 <- session 20 <- init 1; an unrelated xterm 31.
        const Tree tree{{50, 40}, {40, 30}, {30, 20}, {20, 1}, {31, 20}};
        QTest::newRow("terminal three up") << tree << Windows{{7, 31}, {9, 30}} << 9u << "";
        QTest::newRow("nearest owner wins") << tree << Windows{{5, 20}, {9, 30}} << 9u << "";
        QTest::newRow("multiplexer: no owner") << tree << Windows{{7, 31}} << 0u << "No terminal window";
        QTest::newRow("process gone") << tree << Windows{{9, 30}} << 0u << "no longer running";
        QTest::newRow("not X11") << tree << Windows{} << 0u << "X11";
        QTest::newRow("loop") << Tree{{50, 40}, {40, 50}} << Windows{{7, 31}} << 0u << "No terminal window";
    }

    void find()
    {
        QFETCH(Tree, tree);
        QFETCH(Windows, windows);
        QFETCH(quint32, found);
        QFETCH(QString, reason);
        const qint64 pid = QByteArray(QTest::currentDataTag()) == "process gone" ? 60 : 50;
        const auto parentOf = [&](qint64 p) {
            return tree.contains(p) ? std::optional(tree[p]) : std::nullopt;
        };
        const auto window = TerminalWindow::find(pid, parentOf, windows);
        QCOMPARE(window.value_or(0), found);
        if (!window)
            QVERIFY2(window.error().contains(reason), qPrintable(window.error()));
    }

    void parentFromProc()
    {
        QTemporaryDir proc;
        QVERIFY(QDir(proc.path()).mkpath("42"));
        QFile stat(proc.filePath("42/stat"));
        QVERIFY(stat.open(QIODevice::WriteOnly));
        stat.write("42 (odd) name (x) S 17 42 42 0 -1 4194560\n");
        stat.close();
        QCOMPARE(TerminalWindow::parentFromProc(42, proc.path()), 17);
        QCOMPARE(TerminalWindow::parentFromProc(43, proc.path()), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestTerminalWindow)
#include "tst_terminalwindow.moc"

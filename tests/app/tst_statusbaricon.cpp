#include "StatusBarIcon.h"

#include <QPainter>
#include <QTest>

class TestStatusBarIcon : public QObject
{
    Q_OBJECT
private slots:
    void dotShowsTheStatus_data();
    void dotShowsTheStatus();
    void catStandsOutOnLightAndDarkPanels_data();
    void catStandsOutOnLightAndDarkPanels();
};

namespace {
double luminance(QColor c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
} // namespace

void TestStatusBarIcon::dotShowsTheStatus_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<InstallationStatus>("status");
    QTest::addColumn<QColor>("colour");
    const QList<std::pair<InstallationStatus, QColor>> statuses{
        {InstallationStatus::notInstalled, QColor(0xFF, 0x3B, 0x30)},
        {InstallationStatus::error, QColor(0xFF, 0x3B, 0x30)},
        {InstallationStatus::partiallyInstalled, QColor(0xFF, 0xCC, 0x00)},
        {InstallationStatus::installing, QColor(0x00, 0x7A, 0xFF)},
        {InstallationStatus::installed, QColor(0x34, 0xC7, 0x59)}};
    for (int side : {16, 22, 24, 64})
        for (const auto& [status, colour] : statuses)
            QTest::addRow("%d px, status %d", side, int(status)) << side << status << colour;
}

void TestStatusBarIcon::dotShowsTheStatus()
{
    QFETCH(int, side);
    QFETCH(InstallationStatus, status);
    QFETCH(QColor, colour);
    const QImage image = StatusBarIcon::render(side, status);
    QCOMPARE(image.size(), QSize(side, side));
    // The dot sits in the bottom-right corner, wholly inside the image, and shows its colour solidly.
    const QRectF dot = StatusBarIcon::dotRect(side);
    QVERIFY(QRectF(0, 0, side, side).contains(dot));
    QVERIFY(dot.center().x() > side * 0.7 && dot.center().y() > side * 0.7);
    QVERIFY2(dot.width() >= 6, "smaller than six pixels the colour cannot be told");
    QCOMPARE(image.pixelColor(dot.center().toPoint()), colour);
    // Nothing is drawn in the other corners: the ears leave the top corners free, the chin the left one.
    for (QPoint corner : {QPoint(0, side - 1), QPoint(side / 2, 0)})
        QCOMPARE(image.pixelColor(corner).alpha(), 0);
}

void TestStatusBarIcon::catStandsOutOnLightAndDarkPanels_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<QColor>("panel");
    for (int side : {16, 22, 24})
        for (const char* panel : {"#ffffff", "#dedede", "#303030", "#000000"})
            QTest::addRow("%d px on %s", side, panel) << side << QColor(panel);
}

void TestStatusBarIcon::catStandsOutOnLightAndDarkPanels()
{
    QFETCH(int, side);
    QFETCH(QColor, panel);
    QImage shown(side, side, QImage::Format_RGB32);
    shown.fill(panel);
    QPainter(&shown).drawImage(0, 0, StatusBarIcon::render(side, InstallationStatus::installed));
    // Outside the dot, a good part of the head differs clearly from the panel: its outline on light
    // panels, its face on dark ones.
    const QRectF dot = StatusBarIcon::dotRect(side).adjusted(-1, -1, 1, 1);
    int distinct = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if (!dot.contains(QPointF(x + 0.5, y + 0.5)) && contrast(shown.pixelColor(x, y), panel) >= 3.0)
                ++distinct;
    QVERIFY2(distinct >= side * side / 5, qPrintable(QString::number(distinct)));
}

QTEST_MAIN(TestStatusBarIcon)
#include "tst_statusbaricon.moc"

#include "display/statschart.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>
#include <QtTest>

static QImage paint(const std::vector<float> &seconds, std::vector<qint32> penalties = {}, std::size_t earlier = 0)
{
    const qint64 day = QDateTime(QDate(2024, 5, 5), QTime(12, 0)).toSecsSinceEpoch();
    std::vector<float> times;
    std::vector<qint64> dates; // the first `earlier` solves the day before, the others on one day
    for (float s : seconds)
        times.push_back(s * 1000), dates.push_back(day - (dates.size() < earlier ? 86400 : 0));
    penalties.resize(times.size());
    QImage img(400, 160, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    statschart::paint(p, times, penalties, dates, statschart::Dots::Stamped);
    return img;
}

class StatsChartTest : public QObject
{
    Q_OBJECT
private slots:
    void rowsColoursAndValues()
    {
        QCOMPARE(paint({10, 12, 30, 48}), paint({})); // fewer than five solves draw nothing
        const int tops[3] = {10, 60, 110}; // (h - 10) / 3 apart
        const QColor colours[3] = {Qt::black, QColor("#60a0f0"), QColor("#f0a060")}, boxes[3] = {Qt::lightGray, colours[1], colours[2]};
        QImage img = paint({10, 12, 30, 48, 50}); // three boxes x(12)..x(48), x(t) = 7.8 t + 5: probe x(20)
        for (int r = 0; r < 3; ++r)
            QVERIFY2(qAbs(qRed(img.pixel(161, tops[r] + 24)) - boxes[r].red()) < 9 && qAbs(qBlue(img.pixel(161, tops[r] + 24)) - boxes[r].blue()) < 9, qPrintable(QString::number(r)));
        QCOMPARE(img.pixel(161, tops[0] - 2), qRgb(255, 255, 255)); // above the first box
        QCOMPARE(paint({10, 12, 30, 48, 50}, {-1}), paint({10, 12, 30, 48, 50}, {-1})); // dots keep their places

        // The average or "DNF", right-aligned in the row's last 30 pixels (more for a wider text), the caption's colour.
        const QFont font("Montserrat", 9, 75);
        const struct { std::vector<float> seconds; std::size_t earlier; int row; const char *text; } values[] = {
            {{3.2f, 3.4f, 3.6f, 3.0f, 3.1f}, 4, 2, "DNF"}, {{3.2f, 3.4f, 3.6f, 3.0f, 3.1f}, 4, 1, "3.23"}, // today holds one
            {{12, 13, 14, 15, 15.2f}, 0, 0, "14.00"}};
        for (const auto &v : values) {
            img = paint(v.seconds, {}, v.earlier);
            const int tw = std::max(30, QFontMetrics(font).horizontalAdvance(v.text) + 1);
            const QRect area(400 - tw, tops[v.row], tw, QFontMetrics(font).height());
            QImage ref = img.copy();
            QPainter p(&ref);
            p.setFont(font);
            p.setPen(colours[v.row]);
            p.fillRect(area, Qt::white);
            p.drawText(area, Qt::AlignRight | Qt::AlignHCenter | Qt::AlignVCenter, v.text);
            p.end();
            QVERIFY2(img.copy(area) == ref.copy(area) && img.copy(area) != paint({}).copy(area), v.text);
        }
    }
};

QTEST_MAIN(StatsChartTest)
#include "test_statschart.moc"

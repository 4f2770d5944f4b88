#include "display/statschart.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>
#include "testsupport.h"

static QImage paint(const std::vector<float> &seconds, std::vector<qint32> penalties = {}, std::size_t earlier = 0)
{
    const qint64 day = QDateTime(QDate(2024, 5, 5), QTime(12, 0)).toSecsSinceEpoch();
    std::vector<float> times;
    std::vector<qint64> dates; // the first `earlier` solves the day before, the others on one day
    for (float s : seconds)
        times.push_back(s * 1000), dates.push_back(day - (dates.size() < earlier ? 86400 : 0));
    penalties.resize(times.size());
    return drawnOnWhite(400, 160, [&](QPainter &p) { statschart::paint(p, times, penalties, dates, statschart::Dots::Stamped); });
}

class StatsChartTest : public QObject
{
    Q_OBJECT
private slots:
    void rowsColoursAndValues()
    {
        QCOMPARE(paint({10, 12, 30, 48}), paint({})); // fewer than five solves draw nothing
        const int s = chartaxis::axisShift(QFont("Montserrat", 7, 75)), h = 160 - s; // the rows below the axis labels
        const int tops[3] = {s + 10, s + (h - 10) / 3 + 10, s + 2 * (h - 10) / 3 + 10}; // (h - 10) / 3 apart
        const QColor colours[3] = {Qt::black, QColor("#60a0f0"), QColor("#f0a060")}, boxes[3] = {Qt::lightGray, colours[1], colours[2]};
        QImage img = paint({10, 12, 30, 48, 50}); // three boxes x(12)..x(48), x(t) = 7.8 t + 5: probe x(20)
        for (int r = 0; r < 3; ++r)
            QVERIFY2(qAbs(qRed(img.pixel(161, tops[r] + 24)) - boxes[r].red()) < 9 && qAbs(qBlue(img.pixel(161, tops[r] + 24)) - boxes[r].blue()) < 9, qPrintable(QString::number(r)));
        QCOMPARE(img.pixel(161, tops[0] - 2), qRgb(255, 255, 255)); // above the first box
        QCOMPARE(paint({10, 12, 30, 48, 50}, {-1}), paint({10, 12, 30, 48, 50}, {-1})); // dots keep their places
        QVERIFY(!anyPixel(paint({10, 12, 30, 48, 50}, {-1}), {0, s, 12, h}, qRgb(255, 0, 0))); // a DNF has no dot (at 0 s)

        // The average or "DNF", right-aligned in the row's last 30 pixels (more for a wider text), the caption's colour.
        const QFont font("Montserrat", 9, 75);
        // A row of one or two solves has no average yet: "-"; "DNF" only when the solves are there and the average is one.
        const struct { std::vector<float> seconds; std::vector<qint32> penalties; std::size_t earlier; int row; const char *text; } values[] = {
            {{3.2f, 3.4f, 3.6f, 3.0f, 3.1f}, {}, 4, 2, "-"}, {{3.2f, 3.4f, 3.6f, 3.0f, 3.1f}, {}, 4, 1, "3.23"}, // today holds one
            {{3.2f, 3.4f, 3.6f, 3.0f, 3.1f}, {}, 3, 2, "-"}, {{3.2f, 3.4f, 3.6f, 3.0f, 3.1f}, {0, 0, -1, -1, 0}, 2, 2, "DNF"},
            {{12, 13, 14, 15, 15.2f}, {}, 0, 0, "14.00"}};
        for (const auto &v : values) {
            img = paint(v.seconds, v.penalties, v.earlier);
            const int tw = std::max(30, QFontMetrics(font).horizontalAdvance(v.text) + 1);
            const QRect area(400 - tw, tops[v.row], tw, QFontMetrics(font).height());
            const QImage ref = drawnOnWhite(tw, area.height(), [&](QPainter &p) {
                p.setFont(font), p.setPen(colours[v.row]);
                p.drawText(QRect(0, 0, tw, area.height()), Qt::AlignRight | Qt::AlignHCenter | Qt::AlignVCenter, v.text);
            });
            QVERIFY2(img.copy(area) == ref && img.copy(area) != paint({}).copy(area), v.text);
        }
    }

    void periodBoundaries() // local days in Berlin; the week is the newest solve's day and the seven before it
    {
        qputenv("TZ", "Europe/Berlin");
        tzset();
        const auto at = [](int m, int d, int h, int min, int s = 0) { return QDateTime(QDate(2024, m, d), QTime(h, min, s)).toSecsSinceEpoch(); };
        // The newest solve (the last) sets the day, not the clock; one dated after it counts as today. 31 March has 23 hours.
        const std::vector<qint64> dates = {at(3, 28, 23, 59, 59), at(3, 29, 0, 0), at(4, 4, 23, 59, 59), at(4, 5, 0, 0), at(4, 6, 9, 0), at(4, 5, 8, 0)};
        const std::vector<float> times = {1000, 2000, 3000, 4000, 5000, 6000};
        const statschart::PeriodLists lists = statschart::periodLists(times, {0, 0, 1, -1, 0, 0}, dates);
        QCOMPARE(lists.all, (std::vector<float>{1, 2, 5, 0, 5, 6}));
        QCOMPARE(lists.week, (std::vector<float>{2, 5, 0, 5, 6}));
        QCOMPARE(lists.today, (std::vector<float>{0, 5, 6}));
    }

    void anyStoredValuePaints() // built with the undefined-behaviour sanitizer: an overflow aborts the test
    {
        const float most = std::numeric_limits<float>::max();
        for (const std::vector<float> &ms : {std::vector<float>{1e9f}, {1e12f}, {1e15f}, {most}, {-most, 3e12f}, {-1e12f}}) {
            std::vector<float> times = {1000, 2000, 3000, 4000};
            times.insert(times.end(), ms.begin(), ms.end());
            const std::vector<qint64> dates(times.size(), 1700000000);
            const QImage img = drawnOnWhite(400, 160, [&](QPainter &p) { statschart::paint(p, times, std::vector<qint32>(times.size(), 0), dates); });
            // The largest time's dot sits near the right end of the axis (the 4 s one when the others are negative).
            QVERIFY2(anyPixel(img, {300, 53, 100, 107}, qRgb(255, 0, 0)), qPrintable(QString::number(double(ms.back()))));
        }
    }
};

QTEST_MAIN(StatsChartTest)
#include "test_statschart.moc"

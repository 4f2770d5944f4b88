#include "display/algchart.h"
#include "display/audiograph.h"
#include "display/boxplot.h"
#include "display/statschart.h"
#include "display/timeline.h"
#include "stats/stats.h"
#include "testsupport.h"

#include <QDateTime>
#include <random>

// The statistics chart of solves of the given seconds.
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

// The timeline's bounded painting, or its painting of every sample, w x h pixels at dpr device pixels each.
static QImage render(const timeline::Input &in, int w, int h, bool everySample = false, QColor bg = Qt::transparent, qreal dpr = 1)
{
    QImage img(int(w * dpr), int(h * dpr), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(bg);
    QPainter p(&img);
    p.setViewport(0, 0, w, h), p.setWindow(0, 0, w, h); // w x h in pixels, as a widget's painter has it: an image's counts device pixels
    everySample ? timeline::paintEverySample(p, in) : timeline::paint(p, in);
    return img;
}

// The audio graph's colours.
static bool blue(QRgb c) { return qBlue(c) - qRed(c) > 50 && qBlue(c) - qGreen(c) > 50; }
static bool red(QRgb c) { return qRed(c) - qGreen(c) > 50 && qRed(c) - qBlue(c) > 50; }
static bool green(QRgb c) { return qGreen(c) - qRed(c) > 50 && qGreen(c) - qBlue(c) > 50; }
static bool gray(QRgb c) { return qRed(c) < 235 && qRed(c) > 90 && qAbs(qRed(c) - qGreen(c)) < 8 && qAbs(qBlue(c) - qRed(c)) < 12; }

class StatsTest : public QObject
{
    Q_OBJECT
private slots:
    void averages()
    {
        const auto fifty = [](std::vector<float> v) { v.insert(v.end(), 50 - v.size(), 10000.0f); return v; };
        const struct { std::vector<float> values; bool dnfRule; float average; } trimmed[] = {
            {{14000, 10000, 13000, 11000, 12000}, true, 12000}, {fifty({1000, 99000, 20000}), false, (47 * 10000.0f + 20000) / 48},
            {{10000, 11000, 12000, 13000, 0}, true, 12000}, {{10000, 11000, 0, 13000, 0}, true, 0}, {{}, true, 0},
            {fifty({0, 0, 16000}), false, (46 * 10000.0f + 16000) / 47}, {{12000, 13000}, false, 0}, {{0, 0, 12000, 0, 0}, false, 0},
            {{0, 12000, 13000, 0, 0}, false, 13000}, {{0, 12000, 13000, 0, 0}, true, 0}};
        for (const auto &c : trimmed) {
            QCOMPARE(::trimmedAverage(c.values, c.dnfRule), c.average);
            QVERIFY(!std::signbit(::trimmedAverage(c.values, c.dnfRule))); // never "-0.00" on screen
        }

        const auto dnfs = [](int n, int from) { std::vector<qint32> p(std::size_t(n), 0); std::fill(p.begin() + from, p.end(), -1); return p; };
        const struct { std::vector<float> times; std::vector<qint32> pen; SessionStats want; } sessions[] = {
            {{10e3, 11e3, 12e3, 13e3}, dnfs(4, 4), {}}, {{10e3, 11e3, 12e3, 13e3, 14e3}, {0, 7, 1, 0, 0}, {38e3f / 3, 0, 0, 0, 0, 38e3f / 3, 0, 0, 0}},
            {{20e3, 19e3, 18e3, 17e3, 16e3, 15e3, 10e3, 11e3, 12e3, 13e3, 14e3, 30e3}, dnfs(12, 12), {13e3, 15500, 0, 0, 0, 12e3, 15500, 0, 0}},
            {{10e3, 11e3, 12e3, 13e3, 14e3, 15e3}, {0, 0, 0, -1, 0, -1}, {0, 0, 0, 0, 0, 37e3f / 3, 0, 0, 0}}, // 0 is never best
            {std::vector<float>(50, 10000), dnfs(50, 48), {0, 0, 10000, 0, 0, 10000, 10000, 10000, 0}},
            {std::vector<float>(100, 10000), dnfs(100, 51), {0, 0, 0, 10000, 0, 10000, 10000, 10000, 10000}}};
        for (const auto &c : sessions)
            QCOMPARE(computeSessionStats(c.times, c.pen), c.want);
    }

    void phaseAverages() // free splits: as many phases as the oldest solve has; CFOP: four; a phase no solve reaches has none
    {
        SessionData s;
        s.append(9000, {}, {1000, 2000, 3000}, "", 0, PenaltyNone);
        s.append(9000, {}, {500, 700}, "", 0, PenaltyDnf); // a DNF's splits count too
        s.append(9000, {}, {100, 200, 300, 400}, "", 0, PenaltyNone);
        using P = std::vector<std::optional<float>>;
        QCOMPARE(computeSessionFigures(s.view(), 2).phaseAverages, (P{1600 / 3.0f, 2900 / 3.0f, 1650.0f}));
        QCOMPARE(computeSessionFigures(s.view(), 1).phaseAverages, (P{1600 / 3.0f, 2900 / 3.0f, 1650.0f, 400.0f}));
        QCOMPARE(computeSessionFigures(s.view(), 0).phaseAverages, P{});
        SessionData none;
        none.append(9000, {}, {}, "", 0, PenaltyNone);
        none.append(9000, {}, {100, 200}, "", 0, PenaltyNone);
        QCOMPARE(computeSessionFigures(none.view(), 2).phaseAverages, P{});
        QCOMPARE(computeSessionFigures(none.view(), 1).phaseAverages, (P{100.0f, 200.0f, std::nullopt, std::nullopt}));
    }

    void matchesBruteForceOnRandomSessions()
    {
        std::mt19937 rng(20240607);
        const float damage[] = {INFINITY, -INFINITY, NAN, -5000.0f, -0.0f, 3.4e38f, 1e-3f, 0.0f};
        const unsigned dnfPercent[] = {0, 2, 10, 40, 95, 100};
        for (unsigned n : std::initializer_list<unsigned>{0, 1, 4, 5, 6, 11, 12, 13, 49, 50, 51, 99, 100, 101, 257, 999, 1000, 1003, 2500})
            for (int s = 0; s < (n > 900 ? 6 : 24); ++s) { // every DNF rate; damaged files' values in s 6 to 11
                std::vector<float> times(n);
                std::vector<qint32> pen(n);
                for (std::size_t i = 0; i < n; ++i) {
                    times[i] = rng() % 50 ? float(3000 + rng() % 40000) + (rng() % 4 ? 0 : float(rng() % 997) / 997) : damage[s / 6 == 1 ? rng() % 8 : 7];
                    const unsigned r = rng() % 100;
                    pen[i] = r < dnfPercent[s % 6] ? -1 : r < dnfPercent[s % 6] + 10 ? 1 : r == 99 ? 5 : 0;
                }
                const SessionStats fast = computeSessionStats(times, pen), plain = computeSessionStatsReference(times, pen);
                for (std::size_t k = 0; k < fast.size(); ++k) // bit for bit; any two NaNs count as the same
                    QVERIFY2(std::isnan(fast[k]) ? std::isnan(plain[k]) : fast[k] == plain[k] && std::signbit(fast[k]) == std::signbit(plain[k]),
                             qPrintable(QStringLiteral("n=%1 s=%2 figure %3").arg(n).arg(s).arg(k)));
            }
    }

    void boxStatistics()
    {
        const auto box = [](const std::vector<float> &v, bool skipZeros, std::size_t n) { auto s = ::boxStatistics(v, skipZeros); s.resize(n); return s; };
        QCOMPARE(box({7, 1, 4, 2, 6, 3, 5}, false, 7), (std::vector<float>{7, 5, 4, 2, 1, 4, 2}));
        QCOMPARE(box({1, 2, 3, 4, 5, 6, 7, 8}, false, 6), (std::vector<float>{8, 6.5f, 4.5f, 2.5f, 1, 4.5f}));
        QCOMPARE(box({1, 1, 1, 1, 1000}, false, 5), (std::vector<float>{1000, 1, 1, 1, 1})); // five keep even a far outlier
        QCOMPARE(box(std::vector<float>(6, 2.0f), false, 7), (std::vector<float>{2, 2, 2, 2, 2, 2, 0})); // nothing out
        QCOMPARE(box({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 12}, false, 6), (std::vector<float>{1, 1, 1, 1, 1, 2})); // out but in the mean
        QCOMPARE(box({12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 1}, false, 5), (std::vector<float>{12, 12, 12, 12, 1})); // low stays
        QCOMPARE(box({0, 2, NAN, 4, 0, 6}, true, 6), (std::vector<float>{6, 6, 4, 2, 2, 4}));
        QCOMPARE(box({}, false, 7), std::vector<float>(7, 0.0f));
    }

    void timeAxes() // rows of the alg chart (0) and the statistics chart (1), in seconds; long axes get 1-2-5 steps
    {
        const float nan = std::numeric_limits<float>::quiet_NaN(), most = std::numeric_limits<float>::max() / 1000;
        const struct { int stats; float largest; double max; int divisions, decimals; } rows[] = {
            {0, 9.2f, 10, 10, 1}, {0, 10.4f, 15, 15, 1}, {0, 4.6f, 5, 10, 1}, {0, 2.3f, 3, 15, 1}, {0, 3.5f, 4, 20, 1},
            {0, 0.8f, 1, 10, 1},  {0, 10.0f, 10, 10, 1}, {0, 21.0f, 25, 25, 1}, {0, 50.0f, 50, 50, 1}, {0, 51.0f, 52, 26, 1},
            {0, 0.0f, 0, 0, 0}, {0, nan, 0, 0, 0}, {0, 2e6f, 2e6, 40, 1},
            {1, 14.9f, 15, 15, 0}, {1, 15.2f, 20, 10, 0}, {1, 7.9f, 8, 8, 0}, {1, 6.5f, 7, 14, 1}, {1, 24.0f, 25, 12, 0},
            {1, 65.0f, 65, 13, 0}, {1, 250.0f, 250, 50, 0}, {1, 251.0f, 260, 26, 0}, {1, 1e6f, 1e6, 50, 0},
            {1, 1e9f, 1e9, 50, 0}, {1, 2.2e9f, 2.2e9, 44, 0}, {1, most, 3.5e35, 35, 0}, {1, -3.0f, 0, 0, 0}};
        for (const auto &r : rows) {
            const chartaxis::TimeAxis a = r.stats ? statschart::timeAxis(r.largest) : algchart::timeAxis(r.largest);
            QVERIFY2(qFuzzyCompare(1 + a.max, 1 + r.max) && a.divisions == r.divisions && a.decimals == r.decimals,
                     qPrintable(QString("%1: %2 %3 %4").arg(double(r.largest)).arg(a.max).arg(a.divisions).arg(a.decimals)));
        }
    }

    void axisLabelsWhole() // inside the chart and the label band, a space apart, as many as fit that way; the first 0, the last the end
    {
        const QFont font("Montserrat", 7, 75);
        const QFontMetrics metrics(font);
        const int gap = metrics.horizontalAdvance(' ');
        for (const int width : {1280, 300, 200})
            for (const chartaxis::TimeAxis &axis : {statschart::timeAxis(34.0f), algchart::timeAxis(2.3f), statschart::timeAxis(1e9f), chartaxis::TimeAxis{}}) {
                const std::vector<chartaxis::AxisLabel> labels = chartaxis::axisLabels(axis, width, font);
                const QString end = QString::number(axis.max, 'f', axis.decimals), where = QString("%1 to %2").arg(width).arg(end);
                QVERIFY2(axis.divisions == 0 ? labels.empty() : labels.front().text.toDouble() == 0 && labels.back().text == end, qPrintable(where));
                int widest = 0;
                for (std::size_t i = 0; i < labels.size(); ++i) {
                    widest = std::max(widest, labels[i].rect.width());
                    QVERIFY2(QRect(0, 0, width, metrics.height()).contains(labels[i].rect) && labels[i].rect.width() >= metrics.horizontalAdvance(labels[i].text)
                             && (i == 0 || labels[i].rect.left() > labels[i - 1].rect.right() + gap), qPrintable(where));
                }
                QVERIFY2(axis.divisions == 0 || int(labels.size()) >= std::min(axis.divisions + 1, width / (2 * (widest + gap) + 1)), qPrintable(where));
            }
        QCOMPARE(chartaxis::axisLabels(statschart::timeAxis(34.0f), 1280, font).size(), std::size_t(18)); // room for every one
    }

    void boxPlotFormsByCount() // x(t) = 19 t + 5; probes: median, box, box edge, whiskers, end dot, above a whisker
    {
        const QPoint probes[] = {{100, 20}, {80, 20}, {62, 15}, {150, 20}, {40, 20}, {176, 18}, {150, 15}};
        const struct { int count; float hi; const char *want; } forms[] = {{0, 10, "......."}, {7, 0, "......."},
            {2, 10, "p......"}, {3, 10, "pfp...."}, {4, 10, "pfp...."}, {5, 10, "pfpppf."}};
        for (const auto &f : forms) {
            const QImage img = drawnOnWhite(200, 40, [&](QPainter &p) {
                drawBoxPlot(p, {9, 7, 5, 3, 1, 5, 2}, 0.0f, f.hi, f.count, 10, 20, 5, Qt::blue, QColor(0, 200, 0));
            });
            QString got;
            for (QPoint pt : probes)
                got += qRed(img.pixel(pt)) > 200 ? '.' : qBlue(img.pixel(pt)) > 150 ? 'p' : qGreen(img.pixel(pt)) > 120 ? 'f' : '?';
            QCOMPARE(got, QString(f.want));
        }
    }

    void paintsBandDotsRowsAndLabels() // axis 0..3 s: x(t) = 290 t / 3 + 5; minimum 0.5 s: band to x = 53
    {
        const auto chart = [](std::vector<float> current, std::vector<std::vector<float>> stored, QStringList labels, double minMs) {
            return drawnOnWhite(300, 61 + 16 * int(stored.size()), [&](QPainter &p) { algchart::paint(p, current, stored, labels, minMs); });
        };
        const std::vector<float> current = {1.0f, 1.2f, 1.4f, 1.6f, 1.8f};
        const QImage img = chart(current, {{2.0f, 2.5f, 3.0f}}, {"R U R' U'"}, 500);
        const int s = chartaxis::axisShift(QFont("Montserrat", 7, 75)); // everything below the axis labels moves down
        const auto red = [](const QImage &im, QRect r) { return anyPixel(im, r, qRgb(255, 0, 0)); };
        QCOMPARE(QColor(img.pixel(30, 62 + s)), QColor(255, 204, 204)); // the band: the brush at 20 % over the whole height
        QCOMPARE(img.pixel(60, 62 + s), qRgb(255, 255, 255));
        QCOMPARE(QColor(img.pixel(130, 14 + s)), QColor(Qt::lightGray)); // the current box, x(1.2)..x(1.6)
        QCOMPARE(QColor(img.pixel(205, 68 + s)), QColor(Qt::darkGray)); // the stored box, x(2)..x(3)
        QVERIFY(red(img, {96, 23 + s, 88, 31}) && !red(img, {190, 23 + s, 110, 31})); // dots between x(1) and x(1.8), none beyond
        // The label, right-aligned in the row's last 100 pixels; the rest of the picture does not change.
        const QImage bare = chart(current, {{2.0f, 2.5f, 3.0f}}, {}, 500);
        QVERIFY(img.copy(200, 56 + s, 100, 16) != bare.copy(200, 56 + s, 100, 16));
        QImage outside = img.copy();
        QPainter(&outside).drawImage(200, 56 + s, bare.copy(200, 56 + s, 100, 16));
        QCOMPARE(outside, bare);
        // No current durations: no dots and no current box, the stored row still drawn; nothing at all: a blank chart.
        const QImage storedOnly = chart({}, {{2.0f, 2.5f, 3.0f}}, {}, 0);
        QVERIFY(storedOnly.pixel(130, 14 + s) == qRgb(255, 255, 255) && storedOnly.pixel(205, 68 + s) == QColor(Qt::darkGray).rgb() && !red(storedOnly, storedOnly.rect()));
        const QImage blank = drawnOnWhite(300, 61, [](QPainter &) {});
        QCOMPARE(chart({}, {}, {"x"}, 500), blank);
        QVERIFY(chart({1.0f, 2e9f, -3e38f}, {{3e38f, NAN, -1.0f}}, {"x"}, 500).copy(0, 0, 300, 61) != blank); // sanitized: no overflow
    }

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

    void shortGapsBarsAndTicks()
    {
        // s sound, . silence, t exactly the threshold: silence; a run at the end stays silent however short
        for (auto [levels, want] : {std::pair{"sss.........sss", "111111111111111"}, {"sss..........sss", "1110000000000111"},
                                    {"sss..", "11100"}, {"..sss", "11111"}, {"st", "10"}}) {
            std::vector<float> l;
            for (const char *c = levels; *c; ++c)
                l.push_back(*c == 's' ? 5.0f : *c == 't' ? 0.4f : 0.1f);
            QByteArray got;
            for (unsigned char f : timeline::soundFlags(l, 0.4f, 0, l.size()))
                got += char('0' + f);
            QCOMPARE(got, QByteArray(want));
        }
        std::vector<float> levels(40, 5.0f);
        timeline::Input in;
        in.levels = &levels, in.threshold = 0.4f, in.splitsIndex = 2, in.onsets = {5, 10, 15, 20, 25, 30};
        in.elapsedMs = 2500; // 40 samples over 200 px; ticks at 0, 0.4 W and 0.8 W on the bottom rows
        const QImage img = render(in, 200, 30);
        const char *cycle[] = {"#FFC95E", "#EFEA6A", "#8AC926", "#49A2C4", "#6A4C93", "#FFC95E", "#EFEA6A"};
        for (int k = 0; k < 7; ++k) // inside phase k (samples 5k..5k+5), bars on y 1..4
            QCOMPARE(QColor(img.pixel(25 * k + 12, 2)), QColor(cycle[k]));
        QVERIFY(qGray(img.pixel(80, 28)) < 80 && qAlpha(img.pixel(80, 28)) > 100 && qAlpha(img.pixel(160, 28)) > 100);
        QCOMPARE(qAlpha(img.pixel(120, 28)), 0);
        in.elapsedMs = std::numeric_limits<qint32>::max(); // 24 days: two million ticks, a bounded number drawn per column
        for (qreal dpr : {1.0, 1.5})
            QVERIFY(qAlpha(render(in, 200, 30, false, Qt::transparent, dpr).pixel(int(101 * dpr), int(28 * dpr))) > 200);
    }

    // One line per pixel column against one per sample: identical up to one sample per column, longer
    // records within 3 of 255 in any channel (antialiased lines blend into the neighbouring column),
    // at 1 and 1.5 device pixels per pixel (QT_SCALE_FACTOR=1.5).
    void boundedMatchesEverySample()
    {
        for (auto [width, samples] : {std::pair{300, 299}, {300, 300}, {300, 450}, {317, 1270}, {640, 180000}}) {
            std::mt19937 gen{std::uint32_t(samples)};
            std::vector<float> levels;
            for (bool sound = true; int(levels.size()) < samples; sound = !sound)
                levels.insert(levels.end(), std::size_t(sound ? gen() % 120 + 3 : gen() % 20 + 1), sound ? 2.0f + float(gen() % 5) : 0.05f);
            levels.resize(std::size_t(samples));
            timeline::Input in;
            in.levels = &levels, in.threshold = 0.4f, in.splitsIndex = 1, in.onsets = {samples / 3, samples / 2}, in.elapsedMs = samples * 10;
            for (QColor bg : {QColor(Qt::transparent), QColor(239, 239, 239)})
                for (qreal dpr : {1.0, 1.5}) {
                    const QImage a = render(in, width, 40, false, bg, dpr), b = render(in, width, 40, true, bg, dpr);
                    int worst = 0;
                    for (int i = 0; i < a.width() * a.height(); ++i)
                        for (int s : {0, 8, 16, 24})
                            worst = std::max(worst, std::abs(int(a.pixel(i % a.width(), i / a.width()) >> s & 255) - int(b.pixel(i % a.width(), i / a.width()) >> s & 255)));
                    QVERIFY2(worst <= (samples <= width ? 0 : 3), qPrintable(QString("%1 samples at %2: %3").arg(samples).arg(dpr).arg(worst)));
                }
        }
    }

    void audioGraph()
    {
        auto paint = [](float ring, double current, bool boost = false, bool disabled = false, bool sink = true) {
            QImage img(200, 120, QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter p(&img);
            audiograph::draw(p, {200, 120, sink, std::vector<float>(100, ring), current, 2.0f, 8.0f, boost, disabled});
            return img;
        };
        // min to max pixels of a colour on a level's rows (10 px margins, 100 / 6 fills the plot), none elsewhere above the baseline
        auto onRow = [](const QImage &img, bool (*is)(QRgb), double level, int min, int max = 999) {
            int on = 0, off = 0;
            for (int i = 0; i < 76 * 107; ++i)
                if (is(img.pixel(15 + i % 76, i / 76))) ++(qAbs(i / 76 - int(110 - level * 6)) <= 1 ? on : off);
            return off == 0 && on >= min && on <= max;
        };
        auto lines = [&](const QImage &img) { return onRow(img, red, 2, 20, 60) && onRow(img, green, 8, 20, 60); }; // dotted
        QVERIFY(onRow(paint(50.0f, 0.0), blue, 100.0 / 6, 70)); // the curve is clamped at the top of the plot
        QVERIFY(onRow(paint(2.5f, 0.0, true), blue, 10, 70) && lines(paint(2.5f, 0.0, true))); // boost: 4 x the curve only
        const QImage img = paint(10.0f, 50.0, false, false, false); // no sink: baseline and lines only
        QVERIFY(qGray(img.pixel(100, 110)) < 90 && qGray(img.pixel(100, 109)) < 90 && qGray(img.pixel(100, 106)) > 90 && qGray(img.pixel(5, 110)) > 90);
        QVERIFY(lines(img) && onRow(img, blue, 0, 0, 0) && onRow(img, gray, 0, 0, 0));
        const QImage above = paint(0.01f, 2.5), at = paint(0.01f, 2.0), disabled = paint(10.0f, 50.0, false, true);
        QVERIFY(blue(above.pixel(1, 60)) && blue(above.pixel(100, 1)) && !blue(above.pixel(8, 60))); // frame strictly above silence
        QVERIFY(onRow(at, blue, 0, 0, 0) && onRow(disabled, blue, 0, 0, 0) && onRow(disabled, gray, 10, 70)); // disabled: gray, no frame
    }
};

QTEST_MAIN(StatsTest)
#include "test_stats.moc"

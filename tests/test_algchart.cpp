#include "display/algchart.h"
#include "display/boxplot.h"
#include "display/statschart.h"

#include "testsupport.h"

class AlgChartTest : public QObject
{
    Q_OBJECT
private slots:
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
};

QTEST_MAIN(AlgChartTest)
#include "test_algchart.moc"

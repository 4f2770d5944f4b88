#include "display/algchart.h"
#include "display/boxplot.h"
#include "display/statschart.h"

#include <QPainter>
#include <QtTest>

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

    void boxPlotFormsByCount() // x(t) = 19 t + 5; probes: median, box, box edge, whiskers, end dot, above a whisker
    {
        const QPoint probes[] = {{100, 20}, {80, 20}, {62, 15}, {150, 20}, {40, 20}, {176, 18}, {150, 15}};
        const struct { int count; float hi; const char *want; } forms[] = {{0, 10, "......."}, {7, 0, "......."},
            {2, 10, "p......"}, {3, 10, "pfp...."}, {4, 10, "pfp...."}, {5, 10, "pfpppf."}};
        for (const auto &f : forms) {
            QImage img(200, 40, QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter p(&img);
            drawBoxPlot(p, {9, 7, 5, 3, 1, 5, 2}, 0.0f, f.hi, f.count, 10, 20, 5, Qt::blue, QColor(0, 200, 0));
            QString got;
            for (QPoint pt : probes)
                got += qRed(img.pixel(pt)) > 200 ? '.' : qBlue(img.pixel(pt)) > 150 ? 'p' : qGreen(img.pixel(pt)) > 120 ? 'f' : '?';
            QCOMPARE(got, QString(f.want));
        }
    }
};

QTEST_MAIN(AlgChartTest)
#include "test_algchart.moc"

#include "display/algchart.h"
#include "display/boxplot.h"
#include "display/chartrandom.h"
#include "stats/stats.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {

QImage blank(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    return img;
}

bool near(QRgb pixel, QColor colour, int tolerance = 8)
{
    return std::abs(qRed(pixel) - colour.red()) <= tolerance && std::abs(qGreen(pixel) - colour.green()) <= tolerance
           && std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

// Pixels in a rectangle that differ from white.
int inked(const QImage &img, QRect r)
{
    int count = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            count += img.pixel(x, y) != qRgb(255, 255, 255);
    return count;
}

} // namespace

class AlgChartTest : public QObject
{
    Q_OBJECT
private slots:
    void generatorRangeAndRepeat()
    {
        ChartRandom r(0);
        std::vector<int> first;
        int lo = 1 << 30, hi = -1;
        for (int i = 0; i < 200000; ++i) {
            const int v = r.next();
            lo = std::min(lo, v);
            hi = std::max(hi, v);
            if (i < 50)
                first.push_back(v);
        }
        QCOMPARE(lo, 0);
        QCOMPARE(hi, ChartRandom::RandMax);
        r.seed(0);
        for (int v : first)
            QCOMPARE(r.next(), v);
    }

    // Axis 0..10 s over a 200 px row with 5 px margins: x(t) = 19 t + 5.
    void boxPlotFormsByCount()
    {
        const std::vector<float> s = {9, 7, 5, 3, 1, 5, 2};
        const QColor pen = Qt::blue;
        const QColor fill = QColor(0, 200, 0);
        auto draw = [&](int count) {
            QImage img = blank(200, 40);
            QPainter p(&img);
            p.setPen(QPen(Qt::magenta));
            drawBoxPlot(p, s, 0.0f, 10.0f, count, 10, 20, 5, pen, fill);
            if (count == 0)
                [&] { QCOMPARE(p.pen().color(), QColor(Qt::magenta)); }();
            return img;
        };
        const int mid = 20;
        QCOMPARE(draw(0), blank(200, 40));
        for (int count : {1, 2}) {
            QImage img = draw(count);
            QVERIFY(near(img.pixel(100, mid), pen));         // median at x(5)
            QVERIFY(near(img.pixel(80, mid), Qt::white));    // no box
        }
        for (int count : {3, 4}) {
            QImage img = draw(count);
            QVERIFY(near(img.pixel(80, mid), fill));          // inside the box, x(3) = 62 .. x(7) = 138
            QVERIFY(near(img.pixel(62, mid - 5), pen));       // its left edge
            QVERIFY(near(img.pixel(150, mid), Qt::white));    // no whisker
            QVERIFY(near(img.pixel(176, mid), Qt::white));    // no end dot
        }
        QImage full = draw(7);
        QVERIFY(near(full.pixel(80, mid), fill));
        QVERIFY(near(full.pixel(150, mid), pen));             // upper whisker
        QVERIFY(near(full.pixel(40, mid), pen));              // lower whisker
        QVERIFY(near(full.pixel(150, mid - 5), Qt::white));
        QVERIFY(near(full.pixel(176, mid - 2), fill, 60));    // dots at x(9) and x(1)
        QVERIFY(near(full.pixel(24, mid - 2), fill, 60));
        // A degenerate axis draws nothing.
        QImage img = blank(200, 40);
        QPainter p(&img);
        drawBoxPlot(p, s, 3.0f, 3.0f, 7, 10, 20, 5, pen, fill);
        p.end();
        QCOMPARE(img, blank(200, 40));
    }

    void axisMaximumAndDivisions_data()
    {
        QTest::addColumn<float>("largest");
        QTest::addColumn<int>("axis");
        QTest::addColumn<int>("divisions");
        QTest::newRow("9.2") << 9.2f << 10 << 10;
        QTest::newRow("10.4") << 10.4f << 15 << 15;
        QTest::newRow("4.6") << 4.6f << 5 << 10;
        QTest::newRow("2.3") << 2.3f << 3 << 15;
        QTest::newRow("3.5") << 3.5f << 4 << 20;
        QTest::newRow("0.8") << 0.8f << 1 << 10;
        QTest::newRow("10") << 10.0f << 10 << 10;
        QTest::newRow("21") << 21.0f << 25 << 25;
    }
    void axisMaximumAndDivisions()
    {
        QFETCH(float, largest);
        QFETCH(int, axis);
        QFETCH(int, divisions);
        QCOMPARE(algchart::axisMaximum(largest), axis);
        QCOMPARE(algchart::divisions(axis), divisions);
    }

    void chartParts()
    {
        const int w = 410, h = 120;
        auto paint = [&](const std::vector<float> &current, const std::vector<std::vector<float>> &stored,
                         double minAlg) {
            QImage img = blank(w, h);
            QPainter p(&img);
            algchart::paint(p, current, stored, QStringList({"first", "second"}), minAlg);
            return img;
        };
        QCOMPARE(paint({}, {}, 500), blank(w, h));

        // Stored rows only; largest 4.0 gives an axis of 4 s: x(t) = 100 t + 5.
        const std::vector<std::vector<float>> stored = {{1.0f, 1.5f, 2.0f, 2.5f, 3.0f}, {3.0f, 3.5f, 4.0f}};
        QImage img = paint({}, stored, 500);
        // The antialiased axis line at y = 6 half covers rows 5 and 6.
        QVERIFY(qGray(img.pixel(300, 5)) < 160 && qGray(img.pixel(300, 6)) < 160);
        QVERIFY(inked(img, QRect(0, 0, w, 4)) > 0);       // tick labels
        // The band up to x(0.5) = 55, red at opacity 0.2 over white.
        QVERIFY(near(img.pixel(30, 40), QColor(255, 204, 204), 3));
        QVERIFY(near(img.pixel(70, 40), Qt::white, 0));
        // No dots and no current row.
        QCOMPARE(inked(img, QRect(60, 9, w - 60, 46)), 0);
        // Row 0 box from x(1.5) to x(2.5) in dark gray; row 1 from x(3) to x(4).
        QVERIFY(near(img.pixel(200, 56 + 7), Qt::darkGray));
        QVERIFY(near(img.pixel(350, 72 + 7), Qt::darkGray));
        QVERIFY(near(img.pixel(350, 56 + 7), Qt::white, 0));
        // Labels at the right edge of their rows, over a plain part of row 0.
        QVERIFY(inked(img, QRect(w - 30, 56, 30, 16)) > 0);
        QVERIFY(paint({}, stored, 0).pixel(30, 40) == qRgb(255, 255, 255)); // no band at 0

        // Current repetitions: dots at their x, heights from the generator
        // reseeded with 0, and the light gray row above them.
        const std::vector<float> current = {1.0f, 2.0f, 3.0f};
        img = paint(current, stored, 0);
        ChartRandom r(0);
        for (float t : current) {
            const int y = int(float(r.next()) / 32767.0f * 20.0f + 28.0f);
            QVERIFY(near(img.pixel(int(t * 100 + 5), y), Qt::red));
        }
        QVERIFY(near(img.pixel(150, 17), Qt::lightGray));
        QCOMPARE(paint(current, stored, 0), img); // same dots every paint

        // Only zero durations: the axis has no length, so no band, no dots
        // and no boxes, only the scale and the labels.
        img = paint({0.0f, 0.0f}, {{0.0f}}, 500);
        QCOMPARE(inked(img, QRect(0, 8, w - 100, h - 8)), 0);
    }
};

QTEST_MAIN(AlgChartTest)
#include "test_algchart.moc"

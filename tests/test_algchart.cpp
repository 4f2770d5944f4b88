#include "display/algchart.h"
#include "display/boxplot.h"
#include "display/chartrandom.h"

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
        std::vector<int> seq(200000);
        for (int &v : seq)
            v = r.next();
        QCOMPARE(*std::min_element(seq.begin(), seq.end()), 0);
        QCOMPARE(*std::max_element(seq.begin(), seq.end()), ChartRandom::RandMax);
        r.seed(0);
        for (int i = 0; i < 50; ++i)
            QCOMPARE(r.next(), seq[std::size_t(i)]);
    }

    void boxPlotFormsByCount()
    {
        // Axis 0..10 s over 200 px with 5 px margins: x(t) = 19 t + 5; the row's middle at y = 20.
        const std::vector<float> s = {9, 7, 5, 3, 1, 5, 2};
        const QColor pen = Qt::blue, fill(0, 200, 0), W = Qt::white;
        auto draw = [&](int count, float hi = 10.0f) {
            QImage img = blank(200, 40);
            QPainter p(&img);
            drawBoxPlot(p, s, 0.0f, hi, count, 10, 20, 5, pen, fill);
            return img;
        };
        QCOMPARE(draw(0), blank(200, 40));
        QCOMPARE(draw(7, 0.0f), blank(200, 40)); // a degenerate axis
        // Probes: median x(5); inside the box x(3)..x(7); its left edge; the whiskers; the end dot at x(9).
        const QPoint probes[] = {{100, 20}, {80, 20}, {62, 15}, {150, 20}, {40, 20}, {176, 18}};
        const struct { int count; QColor want[6]; } forms[] = {
            {1, {pen, W, W, W, W, W}},          {2, {pen, W, W, W, W, W}},
            {3, {pen, fill, pen, W, W, W}},     {4, {pen, fill, pen, W, W, W}},
            {5, {pen, fill, pen, pen, pen, fill}}, {7, {pen, fill, pen, pen, pen, fill}},
        };
        for (const auto &f : forms) {
            const QImage img = draw(f.count);
            for (int k = 0; k < 6; ++k)
                QVERIFY2(near(img.pixel(probes[k]), f.want[k], k == 5 ? 60 : 8),
                         qPrintable(QString("count %1 probe %2").arg(f.count).arg(k)));
        }
        QVERIFY(near(draw(7).pixel(150, 15), W)); // a whisker is a line, not a box
    }

    void axisMaximumAndDivisions()
    {
        const struct { float largest; int axis, divisions; } rows[] = {
            {9.2f, 10, 10}, {10.4f, 15, 15}, {4.6f, 5, 10}, {2.3f, 3, 15},
            {3.5f, 4, 20},  {0.8f, 1, 10},   {10.0f, 10, 10}, {21.0f, 25, 25},
        };
        for (const auto &r : rows) {
            QCOMPARE(algchart::axisMaximum(r.largest), r.axis);
            QCOMPARE(algchart::divisions(r.axis), r.divisions);
        }
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
        QVERIFY(qGray(img.pixel(300, 5)) < 160 && qGray(img.pixel(300, 6)) < 160); // axis line at y = 6
        QVERIFY(inked(img, QRect(0, 0, w, 4)) > 0);                                // tick labels
        // The band up to x(0.5) = 55: red at opacity 0.2 over white.
        QVERIFY(near(img.pixel(30, 40), QColor(255, 204, 204), 3));
        QVERIFY(near(img.pixel(70, 40), Qt::white, 0));
        QCOMPARE(inked(img, QRect(60, 9, w - 60, 46)), 0); // no dots, no current row
        // Row 0 box x(1.5)..x(2.5), row 1 x(3)..x(4), dark gray; labels at the right of their rows.
        QVERIFY(near(img.pixel(200, 63), Qt::darkGray));
        QVERIFY(near(img.pixel(350, 79), Qt::darkGray));
        QVERIFY(near(img.pixel(350, 63), Qt::white, 0));
        QVERIFY(inked(img, QRect(w - 30, 56, 30, 16)) > 0);
        QVERIFY(paint({}, stored, 0).pixel(30, 40) == qRgb(255, 255, 255)); // no band at 0

        // Current repetitions: dots at their x with heights from the generator reseeded with 0, and
        // the light gray row above them.
        const std::vector<float> current = {1.0f, 2.0f, 3.0f};
        img = paint(current, stored, 0);
        ChartRandom r(0);
        for (float t : current)
            QVERIFY(near(img.pixel(int(t * 100 + 5), int(float(r.next()) / 32767.0f * 20.0f + 28.0f)), Qt::red));
        QVERIFY(near(img.pixel(150, 17), Qt::lightGray));
        QCOMPARE(paint(current, stored, 0), img); // same dots every paint

        // Only zero durations: an axis of no length, so no band, dots or boxes.
        QCOMPARE(inked(paint({0.0f, 0.0f}, {{0.0f}}, 500), QRect(0, 8, w - 100, h - 8)), 0);
    }
};

QTEST_MAIN(AlgChartTest)
#include "test_algchart.moc"

#include "display/audiograph.h"

#include <QPainter>
#include <QtTest>

bool blue(QRgb c) { return qBlue(c) - qRed(c) > 50 && qBlue(c) - qGreen(c) > 50; }
bool red(QRgb c) { return qRed(c) - qGreen(c) > 50 && qRed(c) - qBlue(c) > 50; }
bool green(QRgb c) { return qGreen(c) - qRed(c) > 50 && qGreen(c) - qBlue(c) > 50; }
bool gray(QRgb c) { return qRed(c) < 235 && qRed(c) > 90 && qAbs(qRed(c) - qGreen(c)) < 8 && qAbs(qBlue(c) - qRed(c)) < 12; }

class AudioGraphTest : public QObject
{
    Q_OBJECT
private slots:
    void graph()
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

QTEST_MAIN(AudioGraphTest)
#include "test_audiograph.moc"

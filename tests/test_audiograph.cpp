#include "app/cadenza.h"
#include "audio/audiolevelsiodevice.h"
#include "display/audiograph.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

// The audio level graph, drawn on an image and probed at the rows the level
// scale puts things on.
class AudioGraphTest : public QObject
{
    Q_OBJECT

    static constexpr int W = 200, H = 120;
    using Is = bool (*)(QRgb);
    static bool blue(QRgb c) { return qBlue(c) - qRed(c) > 50 && qBlue(c) - qGreen(c) > 50; }
    static bool red(QRgb c) { return qRed(c) - qGreen(c) > 50 && qRed(c) - qBlue(c) > 50; }
    static bool green(QRgb c) { return qGreen(c) - qRed(c) > 50 && qGreen(c) - qBlue(c) > 50; }
    static bool black(QRgb c) { return qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90; }
    static bool gray(QRgb c) { return qRed(c) < 235 && qRed(c) > 90 && qAbs(qRed(c) - qGreen(c)) < 8 && qAbs(qBlue(c) - qRed(c)) < 12; }

    static QImage paint(float ring, double current, bool boost = false, bool disabled = false, bool hasSink = true)
    {
        const AudioGraphInput in{W, H, hasSink, std::vector<float>(100, ring), current, 2.0f, 8.0f, boost, disabled};
        QImage img(W, H, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        audiograph::draw(p, in);
        p.end();
        return img;
    }
    static QImage grab(Cadenza &w) { return w.ui->audioGraph->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    static int countIn(const QImage &img, Is is, const QRect &r)
    {
        int count = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                count += is(img.pixel(x, y)) ? 1 : 0;
        return count;
    }
    // Rows holding at least minCount pixels of a colour between x0 and x1.
    static QList<int> rowsWith(const QImage &img, Is is, int x0, int x1, int minCount)
    {
        QList<int> rows;
        for (int y = 0; y < img.height(); ++y)
            if (countIn(img, is, QRect(x0, y, x1 - x0 + 1, 1)) >= minCount)
                rows << y;
        return rows;
    }
    // The row of a level: 10 px margins, 100 / 6 fills the plot.
    static double rowOf(double level, int h = H) { return (h - 10) - level / 100.0 * 6.0 * (h - 20); }
    static bool near(const QList<int> &rows, double y)
    {
        return !rows.isEmpty() && std::all_of(rows.begin(), rows.end(), [y](int r) { return qAbs(r - int(y)) <= 1; });
    }
    static bool curveAt(const QImage &img, Is is, double level) { return near(rowsWith(img, is, 15, 90, 40), rowOf(level)); }
    // A dotted line: the colour along the row, with gaps in it.
    static bool dottedRow(const QImage &img, Is is, double y)
    {
        const QList<int> rows = rowsWith(img, is, 10, img.width() - 10, 20);
        if (!near(rows, y))
            return false;
        int gaps = 0;
        for (int x = 12; x < img.width() - 12; ++x)
            gaps += countIn(img, is, QRect(x, rows.first(), 1, rows.last() - rows.first() + 1)) == 0 ? 1 : 0;
        return gaps > 20;
    }
    static bool thresholdLines(const QImage &img, int h = H)
    {
        return dottedRow(img, red, rowOf(2.0, h)) && dottedRow(img, green, rowOf(8.0, h));
    }

private slots:
    void initTestCase() { requireIsolation(); }

    void baselineAndThresholdLines()
    {
        QImage img = paint(50.0f, 0.01); // a loud ring keeps the curve off the baseline
        QVERIFY(black(img.pixel(W / 2, H - 10)) && black(img.pixel(W / 2, H - 11)));
        QVERIFY(!black(img.pixel(W / 2, H - 14)));
        QVERIFY(!black(img.pixel(5, H - 10))); // stops at the margin
        QVERIFY(thresholdLines(img));
        // Without a sink: baseline and the two lines only.
        img = paint(10.0f, 50.0, false, false, false);
        QVERIFY(black(img.pixel(W / 2, H - 10)) && thresholdLines(img));
        QCOMPARE(countIn(img, blue, img.rect()), 0);
        QCOMPARE(countIn(img, gray, QRect(0, 0, W, H - 14)), 0);
    }

    void curve()
    {
        QImage img = paint(0.01f, 0.01); // silence runs along the baseline
        QCOMPARE(countIn(img, blue, QRect(10, 0, 80, H - 14)), 0);
        QVERIFY(countIn(img, blue, QRect(10, H - 13, 80, 4)) > 40);
        img = paint(10.0f, 0.0);
        QVERIFY(curveAt(img, blue, 10.0));
        // The curve ends short of the right margin: 99 of 100 steps.
        QVERIFY(blue(img.pixel(186, 50)) || blue(img.pixel(186, 49)));
        QVERIFY(!blue(img.pixel(190, 50)) && !blue(img.pixel(190, 49)));
        // Anything at or above 100 / 6 sits on the top of the plot, never above.
        img = paint(50.0f, 0.0);
        QVERIFY(near(rowsWith(img, blue, 15, 90, 40), 10.0));
        QCOMPARE(countIn(img, blue, QRect(0, 0, W, 8)), 0);
        // Boost quadruples the curve, not the lines.
        QVERIFY(curveAt(paint(2.5f, 0.0), blue, 2.5));
        img = paint(2.5f, 0.0, true);
        QVERIFY(curveAt(img, blue, 10.0) && thresholdLines(img));
    }

    void levelTextAndFrame()
    {
        QImage img = paint(0.01f, 12.34);
        QVERIFY(countIn(img, blue, QRect(W / 2, 10, W / 2 - 10, 25)) > 10); // text in the top right
        QCOMPARE(countIn(img, blue, QRect(10, 10, W / 2 - 50, 25)), 0);
        // The frame only strictly above the silence threshold.
        img = paint(0.01f, 2.5);
        for (const QPoint p : {QPoint(1, H / 2), QPoint(W - 2, H / 2), QPoint(W / 2, 1), QPoint(W / 2, H - 2)})
            QVERIFY(blue(img.pixel(p)));
        QVERIFY(!blue(img.pixel(8, H / 2)));
        img = paint(0.01f, double(2.0f));
        QVERIFY(!blue(img.pixel(1, H / 2)) && !blue(img.pixel(W / 2, 1)));
        // Disabled: gray curve and text, no frame.
        img = paint(10.0f, 50.0, false, true);
        QCOMPARE(countIn(img, blue, img.rect()), 0);
        QVERIFY(curveAt(img, gray, 10.0));
        QVERIFY(countIn(img, gray, QRect(W / 2, 10, W / 2 - 10, 25)) > 10);
    }

    // The window's graph reads the sink when there is one and draws without it.
    void windowGraph()
    {
        Cadenza w;
        if (w.audioInput || w.audioDevice) {
            w.dropCapture();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QVERIFY(!w.audioDevice);
        w.ui->silenceSpin->setValue(2.0);
        w.ui->voiceSpin->setValue(8.0);
        w.ui->boostAudioCheck->setChecked(false);
        w.ui->disableAudioCheck->setChecked(false);
        QImage img = grab(w);
        const int gw = img.width(), gh = img.height();
        QVERIFY(gw > 40 && gh > 40);
        QVERIFY(black(img.pixel(gw / 2, gh - 10)) && thresholdLines(img, gh));
        QCOMPARE(countIn(img, blue, img.rect()), 0);

        w.audioDevice = new AudioLevelsIODevice(&w);
        w.audioDevice->recentLevels.assign(100, 10.0f);
        w.audioDevice->currentLevel = 1.0;
        img = grab(w);
        QVERIFY(near(rowsWith(img, blue, 15, gw / 2 - 20, 20), rowOf(10.0, gh)));
        QVERIFY(!blue(img.pixel(1, gh / 2)));
        w.audioDevice->currentLevel = 3.0;
        QVERIFY(blue(grab(w).pixel(1, gh / 2)));
    }
};

QTEST_MAIN(AudioGraphTest)
#include "test_audiograph.moc"

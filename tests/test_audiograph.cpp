#include "app/cadenza.h"
#include "audio/audiolevelsiodevice.h"
#include "display/audiograph.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QImage>
#include <QPainter>
#include <functional>

// The audio level graph, drawn on an image and probed pixel by pixel at the
// rows the level scale puts things on.
class AudioGraphTest : public QObject
{
    Q_OBJECT

    static constexpr int W = 200;
    static constexpr int H = 120;

    using Is = std::function<bool(QRgb)>;
    static bool blue(QRgb c) { return qBlue(c) - qRed(c) > 50 && qBlue(c) - qGreen(c) > 50; }
    static bool red(QRgb c) { return qRed(c) - qGreen(c) > 50 && qRed(c) - qBlue(c) > 50; }
    static bool green(QRgb c) { return qGreen(c) - qRed(c) > 50 && qGreen(c) - qBlue(c) > 50; }
    static bool black(QRgb c) { return qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90; }
    static bool gray(QRgb c)
    {
        return qRed(c) < 235 && qRed(c) > 90 && qAbs(qRed(c) - qGreen(c)) < 8 && qAbs(qBlue(c) - qRed(c)) < 12;
    }

    static QImage paint(const AudioGraphInput &in)
    {
        QImage img(in.width, in.height, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        audiograph::draw(p, in);
        p.end();
        return img;
    }

    static AudioGraphInput input(float ringLevel, double current)
    {
        AudioGraphInput in;
        in.width = W;
        in.height = H;
        in.hasSink = true;
        in.recentLevels.assign(100, ringLevel);
        in.currentLevel = current;
        in.silenceThreshold = 2.0f;
        in.voiceThreshold = 8.0f;
        return in;
    }

    // Rows (within the x range) holding at least minCount pixels of a colour.
    static QList<int> rowsWith(const QImage &img, const Is &is, int x0, int x1, int minCount)
    {
        QList<int> rows;
        for (int y = 0; y < img.height(); ++y) {
            int count = 0;
            for (int x = x0; x <= x1; ++x)
                count += is(img.pixel(x, y)) ? 1 : 0;
            if (count >= minCount)
                rows << y;
        }
        return rows;
    }
    static int countIn(const QImage &img, const Is &is, const QRect &r)
    {
        int count = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                count += is(img.pixel(x, y)) ? 1 : 0;
        return count;
    }
    // The row of a level in a graph of height H: 10 px margins, 100 / 6 fills it.
    static double rowOf(double level, int h = H) { return (h - 10) - level / 100.0 * 6.0 * (h - 20); }
    static bool near(const QList<int> &rows, double y)
    {
        if (rows.isEmpty())
            return false;
        for (int r : rows)
            if (r < int(y) - 1 || r > int(y) + 1)
                return false;
        return true;
    }
    // A dotted line: the colour along the row, with gaps in it.
    static bool dottedRow(const QImage &img, const Is &is, double y)
    {
        const int w = img.width();
        const QList<int> rows = rowsWith(img, is, 10, w - 10, 20);
        if (!near(rows, y))
            return false;
        int gaps = 0;
        for (int x = 12; x < w - 12; ++x) {
            bool any = false;
            for (int r : rows)
                any = any || is(img.pixel(x, r));
            gaps += any ? 0 : 1;
        }
        return gaps > 20;
    }

private slots:
    void initTestCase() { requireIsolation(); }

    void baselineAndThresholdLines()
    {
        // A loud ring keeps the curve away from the baseline.
        QImage img = paint(input(50.0f, 0.01));
        QVERIFY(black(img.pixel(W / 2, H - 10)));
        QVERIFY(black(img.pixel(W / 2, H - 11)));
        QVERIFY(!black(img.pixel(W / 2, H - 14)));
        QVERIFY(!black(img.pixel(5, H - 10))); // stops at the margin
        QVERIFY(dottedRow(img, red, rowOf(2.0)));
        QVERIFY(dottedRow(img, green, rowOf(8.0)));
        // Silence: the curve runs along the baseline, no frame.
        img = paint(input(0.01f, 0.01));
        QVERIFY(countIn(img, blue, QRect(10, 0, 80, H - 14)) == 0);
        QVERIFY(countIn(img, blue, QRect(10, H - 13, 80, 4)) > 40);
    }

    void curveHeightAndClamp()
    {
        QImage img = paint(input(10.0f, 0.0));
        QVERIFY(near(rowsWith(img, blue, 15, 90, 40), rowOf(10.0)));
        // Anything at or above 100 / 6 sits on the top of the plot, never above.
        img = paint(input(50.0f, 0.0));
        const QList<int> rows = rowsWith(img, blue, 15, 90, 40);
        QVERIFY(near(rows, 10.0));
        QCOMPARE(countIn(img, blue, QRect(0, 0, W, 8)), 0);
        // The curve ends short of the right margin: 99 of 100 steps.
        img = paint(input(10.0f, 0.0));
        QVERIFY(blue(img.pixel(186, 50)) || blue(img.pixel(186, 49)));
        QVERIFY(!blue(img.pixel(190, 50)) && !blue(img.pixel(190, 49)));
    }

    void levelTextInTheTopRight()
    {
        const QImage img = paint(input(0.01f, 12.34));
        QVERIFY(countIn(img, blue, QRect(W / 2, 10, W / 2 - 10, 25)) > 10);
        QCOMPARE(countIn(img, blue, QRect(10, 10, W / 2 - 50, 25)), 0);
    }

    void boostQuadruplesTheCurveOnly()
    {
        AudioGraphInput in = input(2.5f, 0.0);
        QImage img = paint(in);
        QVERIFY(near(rowsWith(img, blue, 15, 90, 40), rowOf(2.5)));
        in.boost = true;
        img = paint(in);
        QVERIFY(near(rowsWith(img, blue, 15, 90, 40), rowOf(10.0)));
        QVERIFY(dottedRow(img, red, rowOf(2.0)));
        QVERIFY(dottedRow(img, green, rowOf(8.0)));
    }

    void frameOnlyStrictlyAboveSilence()
    {
        QImage img = paint(input(0.01f, 2.5));
        for (const QPoint p : {QPoint(1, H / 2), QPoint(W - 2, H / 2), QPoint(W / 2, 1), QPoint(W / 2, H - 2)})
            QVERIFY(blue(img.pixel(p)));
        QVERIFY(!blue(img.pixel(8, H / 2)));
        img = paint(input(0.01f, double(2.0f)));
        QVERIFY(!blue(img.pixel(1, H / 2)));
        QVERIFY(!blue(img.pixel(W / 2, 1)));
    }

    void disabledIsGrayWithoutFrame()
    {
        AudioGraphInput in = input(10.0f, 50.0);
        in.disabled = true;
        const QImage img = paint(in);
        QCOMPARE(countIn(img, blue, QRect(0, 0, W, H)), 0);
        QVERIFY(near(rowsWith(img, gray, 15, 90, 40), rowOf(10.0)));
        QVERIFY(countIn(img, gray, QRect(W / 2, 10, W / 2 - 10, 25)) > 10);
    }

    void withoutSinkOnlyBaselineAndThresholds()
    {
        AudioGraphInput in = input(10.0f, 50.0);
        in.hasSink = false;
        const QImage img = paint(in);
        QVERIFY(black(img.pixel(W / 2, H - 10)));
        QVERIFY(dottedRow(img, red, rowOf(2.0)));
        QVERIFY(dottedRow(img, green, rowOf(8.0)));
        QCOMPARE(countIn(img, blue, QRect(0, 0, W, H)), 0);
        QCOMPARE(countIn(img, gray, QRect(0, 0, W, H - 14)), 0);
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
        QImage img = w.ui->audioGraph->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int gw = img.width(), gh = img.height();
        QVERIFY(gw > 40 && gh > 40);
        QVERIFY(black(img.pixel(gw / 2, gh - 10)));
        QVERIFY(dottedRow(img, red, rowOf(2.0, gh)));
        QCOMPARE(countIn(img, blue, img.rect()), 0);

        w.audioDevice = new AudioLevelsIODevice(&w);
        w.audioDevice->recentLevels.assign(100, 10.0f);
        w.audioDevice->currentLevel = 1.0;
        img = w.ui->audioGraph->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(near(rowsWith(img, blue, 15, gw / 2 - 20, 20), rowOf(10.0, gh)));
        QVERIFY(!blue(img.pixel(1, gh / 2)));
        w.audioDevice->currentLevel = 3.0;
        img = w.ui->audioGraph->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(blue(img.pixel(1, gh / 2)));
    }
};

QTEST_MAIN(AudioGraphTest)
#include "test_audiograph.moc"

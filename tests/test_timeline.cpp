#include "display/timeline.h"

#include <QPainter>
#include <QtTest>
#include <random>

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

class TimelineTest : public QObject
{
    Q_OBJECT
private slots:
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
};

QTEST_MAIN(TimelineTest)
#include "test_timeline.moc"

#include "display/timeline.h"

#include <QImage>
#include <QPainter>
#include <QtTest>
#include <random>

namespace {

// The gap filling as a plain walk from the start of the record: the reference for the windowed one.
std::vector<unsigned char> walkFlags(const std::vector<float> &levels, float threshold)
{
    const std::size_t n = levels.size();
    std::vector<unsigned char> f(n);
    for (std::size_t i = 0; i < n; ++i)
        f[i] = levels[i] > threshold;
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i;
        while (j < n && !f[j])
            ++j;
        if (j < n && j - i < 10)
            std::fill(f.begin() + long(i), f.begin() + long(j), 1);
        i = j + 1;
    }
    return f;
}

// Alternating runs of sound (level 5) and silence (level 0.1), sound first.
std::vector<float> runs(std::initializer_list<int> lengths)
{
    std::vector<float> v;
    int k = 0;
    for (int len : lengths)
        v.insert(v.end(), std::size_t(len), k++ % 2 ? 0.1f : 5.0f);
    return v;
}

QImage render(const timeline::Input &in, int w, int h, bool everySample = false, QColor bg = Qt::transparent)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(bg);
    QPainter p(&img);
    everySample ? timeline::paintEverySample(p, in) : timeline::paint(p, in);
    return img;
}

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                     std::abs(qAlpha(a) - qAlpha(b))});
}

// The colour of a half-covered pixel of a transparent image, its coverage taken out.
bool sameHue(QRgb premultiplied, QColor colour)
{
    const QRgb p = qUnpremultiply(premultiplied);
    return qAlpha(p) > 0 && channelDistance(qRgba(qRed(p), qGreen(p), qBlue(p), 255), colour.rgba()) <= 3;
}

} // namespace

class TimelineTest : public QObject
{
    Q_OBJECT
private slots:
    void shortGapsAreFilled()
    {
        using V = std::vector<unsigned char>;
        auto flags = [](const std::vector<float> &l) { return timeline::soundFlags(l, 0.4f, 0, l.size()); };
        QCOMPARE(flags(runs({3, 9, 3})), V(15, 1));
        QCOMPARE(flags(runs({3, 10, 3})), V({1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1}));
        QCOMPARE(flags(runs({3, 2})), V({1, 1, 1, 0, 0})); // a run at the end stays silent however short
        QCOMPARE(flags(runs({0, 4, 2})), V(6, 1));         // one at the start is filled
        QCOMPARE(timeline::soundFlags({0.41f, 0.4f}, 0.4f, 0, 2), V({1, 0})); // the threshold itself is silence
    }

    void windowedFlagsMatchTheWalk()
    {
        std::mt19937 gen(7);
        std::uniform_int_distribution<int> len(1, 14);
        for (int rec = 0; rec < 20; ++rec) {
            std::vector<float> levels;
            for (bool sound = gen() % 2; levels.size() < 400; sound = !sound)
                levels.insert(levels.end(), std::size_t(len(gen)), sound ? 3.0f : 0.2f);
            const auto whole = walkFlags(levels, 0.4f);
            QCOMPARE(timeline::soundFlags(levels, 0.4f, 0, levels.size()), whole);
            for (int k = 0; k < 30; ++k) {
                const std::size_t a = gen() % levels.size(), b = std::min(a + gen() % 40, levels.size());
                QCOMPARE(timeline::soundFlags(levels, 0.4f, a, b),
                         std::vector<unsigned char>(whole.begin() + long(a), whole.begin() + long(b)));
            }
        }
    }

    void stripColoursBarsAndTicks()
    {
        const int w = 200, h = 30;
        std::vector<float> levels = runs({20, 12, 8}); // sound, long silence, sound
        timeline::Input in;
        in.levels = &levels;
        in.threshold = 0.4f;
        // 40 samples over 200 px: sample i on x = 5 i; probe the right half of each line, column 5 i.
        QImage img = render(in, w, h);
        QVERIFY(sameHue(img.pixel(5 * 10, 15), Qt::darkGray) && sameHue(img.pixel(5 * 25, 15), Qt::red));
        QCOMPARE(qAlpha(img.pixel(5 * 25 + 2, 15)), 0); // between two lines
        QVERIFY(qAlpha(img.pixel(50, 5)) > 0);           // strip from y = 5 without splits
        QCOMPARE(qAlpha(img.pixel(50, 3)), 0);
        QCOMPARE(qAlpha(img.pixel(50, h - 2)), 0); // no ticks without elapsed time
        in.lightSilence = true;
        QVERIFY(sameHue(render(in, w, h).pixel(5 * 25, 15), Qt::lightGray));

        // Splits on: bars on y 1..4 in the colour cycle, strip from y = 9.
        in.splitsIndex = 2;
        in.onsets = {5, 10, 15, 20, 25, 30};
        img = render(in, w, h);
        const char *cycle[] = {"#FFC95E", "#EFEA6A", "#8AC926", "#49A2C4", "#6A4C93", "#FFC95E", "#EFEA6A"};
        for (int k = 0; k < 7; ++k)
            QCOMPARE(QColor(img.pixel(25 * k + 12, 2)), QColor(cycle[k])); // inside phase k (samples 5k..5k+5)
        QCOMPARE(qAlpha(img.pixel(25, 2)), 0); // the pixel at a boundary is left free
        QCOMPARE(qAlpha(img.pixel(60, 7)), 0);
        QVERIFY(qAlpha(img.pixel(60, 9)) > 0);
        in.onsets.clear();
        img = render(in, w, h);
        QVERIFY(QColor(img.pixel(1, 2)) == QColor("#FFC95E") && QColor(img.pixel(w - 2, 2)) == QColor("#FFC95E"));

        // 2.5 s: ticks at 0, 0.4 W and 0.8 W, on the bottom four rows.
        in.elapsedMs = 2500;
        img = render(in, w, h);
        for (int x : {80, 160})
            QVERIFY(qGray(img.pixel(x, h - 2)) < 80 && qAlpha(img.pixel(x, h - 2)) > 100);
        QCOMPARE(qAlpha(img.pixel(120, h - 2)), 0);

        // An empty record draws nothing, bars included.
        levels.clear();
        in.elapsedMs = 0;
        in.onsets = {3};
        img.fill(Qt::transparent);
        QCOMPARE(render(in, w, h), img);
    }

    // The composed strip against one line per sample: identical up to one sample per column, longer
    // records within 3 of 255 in any channel (blend rounding), on a transparent and an opaque background.
    void composedStripMatchesEverySample_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("samples");
        QTest::newRow("shorter") << 300 << 299;
        QTest::newRow("equal") << 300 << 300;
        QTest::newRow("1.5x") << 300 << 450;
        QTest::newRow("4x") << 317 << 1270;
        QTest::newRow("37x") << 400 << 14800;
        QTest::newRow("30 minutes") << 640 << 180000;
    }
    void composedStripMatchesEverySample()
    {
        QFETCH(int, width);
        QFETCH(int, samples);
        std::mt19937 gen{std::uint32_t(samples)};
        std::uniform_int_distribution<int> len(1, 40);
        std::vector<float> levels;
        for (bool sound = true; int(levels.size()) < samples; sound = !sound)
            for (int i = 0, l = sound ? len(gen) * 3 : len(gen) / 2 + 1; i < l; ++i)
                levels.push_back(sound ? 2.0f + float(gen() % 5) : 0.05f);
        levels.resize(std::size_t(samples));
        timeline::Input in;
        in.levels = &levels;
        in.threshold = 0.4f;
        in.splitsIndex = 1;
        in.onsets = {samples / 3, samples / 2};
        in.elapsedMs = samples * 10;
        for (QColor bg : {QColor(Qt::transparent), QColor(239, 239, 239)}) {
            const QImage bounded = render(in, width, 40, false, bg), plain = render(in, width, 40, true, bg);
            int worst = 0;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < width; ++x)
                    worst = std::max(worst, channelDistance(bounded.pixel(x, y), plain.pixel(x, y)));
            qInfo("%d samples over %d px: largest channel difference %d", samples, width, worst);
            QVERIFY2(worst <= (samples <= width ? 0 : 3), qPrintable(QString("largest difference %1").arg(worst)));
        }
    }
};

QTEST_MAIN(TimelineTest)
#include "test_timeline.moc"

#include "audio/analysis.h"

#include <QtTest>

class AnalysisTest : public QObject
{
    Q_OBJECT
private slots:
    void pausesOnsetsAndSplits()
    {
        auto runs = [](const QString &text) { // a level record written as "count:value ...", e.g. "1:3 11:0"
            std::vector<float> v;
            for (const QString &run : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                v.insert(v.end(), std::size_t(run.section(QLatin1Char(':'), 0, 0).toInt()), run.section(QLatin1Char(':'), 1).toFloat());
            return v;
        };
        const struct { const char *record; int count; float idle; std::vector<qint32> onsets; } rows[] = {
            {"1:3 11:0 1:3", 1, 11 / 13.0f, {}}, {"1:3 10:0 1:3", 0, 0, {}}, {"11:0", 1, 1, {}}, {"", 0, 0, {}},
            {"15:0 1:0.4 11:0", 2, 26 / 27.0f, {}}, {"15:0 1:nan 11:0", 2, 26 / 27.0f, {}}, {"1:0 9:6 2:0", 0, 0, {1}},
            {"1:0 8:6 1:0", 0, 0, {}}, {"1:0 20:6", 0, 0, {}}, {"5:6 1:5 5:6 2:0", 0, 0, {0}}};
        for (const auto &r : rows)
            QVERIFY2(analysis::pauseStats(runs(r.record), 0.4f, false) == (PauseStats{r.idle, r.count}) && analysis::voiceOnsets(runs(r.record), 5.0f, 0) == r.onsets, r.record);
        QVERIFY(analysis::pauseStats(runs("11:0"), 0.4f, true) == PauseStats{}); // disabled
        QCOMPARE(analysis::voiceOnsets(runs("1:0 9:8 21:0 9:8 21:0 9:8 21:0 9:8 2:0"), 5, analysis::cfopMaxOnsets), std::vector<qint32>({1, 31, 61}));
        const struct { const char *record; std::vector<qint32> onsets; } words[] = { // threshold 5: loud above 5, voice above 2.5
            {"5:0 5:8 1:0 5:8 5:0", {5}}, {"5:0 5:8 1:nan 5:8 5:0", {5}}, {"5:0 5:8 2:0 5:8 5:0", {}}, // one quiet level inside a word
            {"5:0 4:8 6:3 5:0", {5}}, {"5:0 2:8 7:3 5:0", {}}, {"5:0 8:3 3:8 6:3 2:0", {13}}, {"5:0 8:3 3:8 1:3 2:0", {}}, // still speaking; onset at the first loud
            {"5:0 2:8 1:3 1:8 6:3 5:0", {5}}, {"5:0 2:8 2:3 1:8 6:3 5:0", {}}, // a core: 3 loud in 4 levels
            {"5:0 2:8 1:0 2:8 1:0 2:8 1:0 2:8 1:2.5 2:8 9:0", {5}}, {"5:0 1:9 1:4 1:1 1:9 1:4 1:1 1:9 1:4 1:1 1:9 1:4 1:1 9:0", {}}, // dips; a click train
            {"5:0 9:8 19:0 9:8 5:0", {5}}, {"5:0 9:8 20:0 9:8 5:0", {5, 34}}, {"5:0 9:8 40:4 9:8 5:0", {5, 54}}, // the rest of a word; steady noise
            {"5:0 4:8 19:0 9:8 5:0", {5}}, {"5:0 3:8 19:0 9:8 5:0", {27}}, {"5:0 4:8 20:0 9:8 5:0", {29}}, {"5:0 2:8 2:4 19:0 9:8 5:0", {28}}, // a short beginning
            {"5:0 9:8 10:0 4:8 15:0 9:8 5:0", {5, 43}}, // ... but not the tail of the word before
            {"5:0 3:8 10:4 3:8 5:0", {5}}, {"5:0 2:8 10:4 9:8 5:0", {17}}, {"9:8 2:0 9:8 1:0", {0}}, {"9:8 1:0 3:8", {}}};
        for (const auto &w : words)
            QVERIFY2(analysis::voiceOnsets(runs(w.record), 5.0f, 0) == w.onsets, w.record);
        QCOMPARE(analysis::voiceOnsets(runs("1:0 9:2 2:0"), analysis::effectiveThreshold(5.0, true), 0), std::vector<qint32>{1});
        QCOMPARE(analysis::splitTimes({250, 500, 1000, 1750, 2000}, {1, 9, 3}), std::vector<qint32>({500, 0, 1250, 250})); // 9: outside
        QVERIFY(analysis::splitTimes({}, {}).empty());

        const float values[] = {0.01f, 0.3f, 0.4f, 2.0f, 2.5f, 5.0f, 7.0f, float(qQNaN())}; QRandomGenerator rng(7);
        for (int trial = 0; trial < 2000; ++trial) { // the walks go eight at a time: compare with a one-by-one walk
            std::vector<float> r;
            for (const std::size_t target = rng() % 300; r.size() < target;)
                r.insert(r.end(), std::size_t(1 + rng() % (trial % 2 ? 4 : 25)), values[rng() % 8]);
            int pauses = 0, idle = 0, run = 0, n = int(r.size());
            for (int i = 0; i <= n; ++i) {
                const float x = i < n ? r[std::size_t(i)] : 1.0f; // the end closes a pause
                if (0.4f > x) ++run; else { pauses += run >= 11; idle += run >= 11 ? run : 0; run = 0; }
            }
            std::vector<qint32> onsets; // words: per level, loud / voice / quiet; lastVoice of the last counted word
            int start = -1, voice = 0, core = 0, quiet = 0, notLoud = 0, last = 0, lastVoice = -1000, leadStart = -1, leadEnd = -1000;
            for (int i = 0; i < n; ++i) {
                const float x = r[std::size_t(i)];
                const bool loud = x > 5.0f, voiced = x > 2.5f;
                if (start < 0 && !loud) continue;
                if (start < 0) { start = i; voice = core = quiet = notLoud = 0; }
                int loudInFour = 0;
                for (int j = std::max(start, i - 3); j <= i; ++j) loudInFour += r[std::size_t(j)] > 5.0f;
                core = std::max(core, loudInFour);
                notLoud = loud ? 0 : notLoud + 1; quiet = voiced ? 0 : quiet + 1;
                if (voiced) { ++voice; last = i; }
                if (quiet < 2 && notLoud < 10) continue;
                if (voice >= 9 && core >= 3) {
                    if (start - lastVoice > 20) onsets.push_back(leadStart >= 0 && start - leadEnd <= 20 ? leadStart : start);
                    lastVoice = last; leadStart = -1;
                } else if (voice >= 4 && core >= 3 && start - lastVoice > 20) { leadStart = start; leadEnd = last; }
                start = -1;
            }
            QVERIFY(analysis::pauseStats(r, 0.4f, false) == (PauseStats{n ? float(idle) / float(n) : 0.0f, pauses}));
            QCOMPARE(analysis::voiceOnsets(r, 5.0f, 0), onsets);
            const std::vector<qint32> cfop(onsets.begin(), onsets.begin() + std::min<std::ptrdiff_t>(3, std::ptrdiff_t(onsets.size())));
            QCOMPARE(analysis::voiceOnsets(r, 5.0f, analysis::cfopMaxOnsets), cfop);
        }
    }
};

QTEST_GUILESS_MAIN(AnalysisTest)
#include "test_analysis.moc"

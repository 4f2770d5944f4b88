#include "audio/analysis.h"

#include <QtTest>

class AnalysisTest : public QObject
{
    Q_OBJECT
private slots:
    void pausesOnsetsAndSplits()
    {
        auto runs = [](const QString &spec) { // a level record written as "count:value ...", e.g. "1:3 11:0"
            std::vector<float> v;
            for (const QString &run : spec.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                v.insert(v.end(), std::size_t(run.section(QLatin1Char(':'), 0, 0).toInt()), run.section(QLatin1Char(':'), 1).toFloat());
            return v;
        };
        const struct { const char *record; int count; float idle; std::vector<qint32> onsets; } rows[] = {
            {"1:3 11:0 1:3", 1, 11 / 13.0f, {}}, {"1:3 10:0 1:3", 0, 0, {}}, {"11:0", 1, 1, {}}, {"", 0, 0, {}},
            {"15:0 1:0.4 11:0", 2, 26 / 27.0f, {}}, {"15:0 1:nan 11:0", 2, 26 / 27.0f, {}}, {"1:0 9:6 1:0", 0, 0, {1}},
            {"1:0 8:6 1:0", 0, 0, {}}, {"1:0 20:6", 0, 0, {}}, {"5:6 1:5 5:6 1:0", 0, 0, {}}};
        for (const auto &r : rows)
            QVERIFY2(analysis::pauseStats(runs(r.record), 0.4f, false) == (PauseStats{r.idle, r.count}) && analysis::voiceOnsets(runs(r.record), 5.0f, 0) == r.onsets, r.record);
        QVERIFY(analysis::pauseStats(runs("11:0"), 0.4f, true) == PauseStats{}); // disabled
        QCOMPARE(analysis::voiceOnsets(runs("1:0 9:8 1:0 9:8 1:0 9:8 1:0 9:8 1:0"), 5, analysis::cfopMaxOnsets), std::vector<qint32>({1, 11, 21}));
        QCOMPARE(analysis::voiceOnsets(runs("1:0 9:2 1:0"), analysis::effectiveThreshold(5.0, true), 0), std::vector<qint32>{1});
        QCOMPARE(analysis::splitTimes({250, 500, 1000, 1750, 2000}, {1, 9, 3}), std::vector<qint32>({500, 0, 1250, 250})); // 9: outside
        QVERIFY(analysis::splitTimes({}, {}).empty());

        const float values[] = {0.01f, 0.3f, 0.4f, 2.0f, 5.0f, 7.0f, float(qQNaN())}; QRandomGenerator rng(7);
        for (int trial = 0; trial < 400; ++trial) { // the walks go eight at a time: compare with a one-by-one walk
            std::vector<float> r;
            for (const std::size_t target = rng() % 300; r.size() < target;)
                r.insert(r.end(), std::size_t(1 + rng() % 25), values[rng() % 7]);
            int pauses = 0, idle = 0, run = 0, start = -1, n = int(r.size());
            std::vector<qint32> onsets;
            for (int i = 0; i <= n; ++i) {
                const float x = i < n ? r[std::size_t(i)] : 1.0f; // the end closes a pause, not a word
                if (0.4f > x) ++run; else { pauses += run >= 11; idle += run >= 11 ? run : 0; run = 0; }
                if (!(x > 5.0f) && start >= 0 && i - start >= 9 && i < n) onsets.push_back(start);
                start = x > 5.0f ? (start < 0 ? i : start) : -1;
            }
            QVERIFY(analysis::pauseStats(r, 0.4f, false) == (PauseStats{n ? float(idle) / float(n) : 0.0f, pauses}));
            QCOMPARE(analysis::voiceOnsets(r, 5.0f, 0), onsets);
        }
    }
};

QTEST_GUILESS_MAIN(AnalysisTest)
#include "test_analysis.moc"

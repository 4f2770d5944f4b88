#include "app/cadenza.h"
#include "audio/analysis.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <cmath>
#include <limits>
#include <random>

// Pauses, voice onsets and split times over level records.
class AnalysisTest : public QObject
{
    Q_OBJECT

    // n samples at base with samples [from, from + count) at value.
    static std::vector<float> record(int n, float base, int from, int count, float value)
    {
        std::vector<float> v(std::size_t(n), base);
        for (int i = from; i < from + count; ++i)
            v[std::size_t(i)] = value;
        return v;
    }
    static std::vector<float> concat(std::initializer_list<std::pair<int, float>> parts)
    {
        std::vector<float> v;
        for (const auto &p : parts)
            v.insert(v.end(), std::size_t(p.first), p.second);
        return v;
    }

private slots:
    void initTestCase() { requireIsolation(); }

    void pauses()
    {
        using analysis::pauseStats;
        // 11 silent samples in 100: one pause, 0.11 idle.
        PauseStats p = pauseStats(record(100, 3.0f, 20, 11, 0.1f), 0.4f, false);
        QCOMPARE(p.pauseCount, 1);
        QCOMPARE(p.idleFraction, 11.0f / 100.0f);
        // 10 are too few.
        p = pauseStats(record(100, 3.0f, 20, 10, 0.1f), 0.4f, false);
        QCOMPARE(p.pauseCount, 0);
        QCOMPARE(p.idleFraction, 0.0f);
        // All silent.
        p = pauseStats(std::vector<float>(50, 0.01f), 0.4f, false);
        QCOMPARE(p.pauseCount, 1);
        QCOMPARE(p.idleFraction, 1.0f);
        p = pauseStats(std::vector<float>(10, 0.01f), 0.4f, false);
        QCOMPARE(p.pauseCount, 0);
        // A sample at the threshold (or NaN) breaks the run.
        std::vector<float> r = record(40, 0.01f, 0, 40, 0.01f);
        r[15] = 0.4f;
        p = pauseStats(r, 0.4f, false);
        QCOMPARE(p.pauseCount, 2); // 15 and 24 samples
        QCOMPARE(p.idleFraction, 39.0f / 40.0f);
        r[15] = std::numeric_limits<float>::quiet_NaN();
        QCOMPARE(pauseStats(r, 0.4f, false).pauseCount, 2);
        // A pause still open at the end counts.
        p = pauseStats(record(60, 2.0f, 49, 11, 0.0f), 0.4f, false);
        QCOMPARE(p.pauseCount, 1);
        // Several pauses, each with its full length.
        p = pauseStats(concat({{12, 0.1f}, {5, 9.0f}, {30, 0.1f}, {3, 9.0f}}), 0.4f, false);
        QCOMPARE(p.pauseCount, 2);
        QCOMPARE(p.idleFraction, 42.0f / 50.0f);
        // Disabled, or empty.
        p = pauseStats(std::vector<float>(50, 0.01f), 0.4f, true);
        QCOMPARE(p.pauseCount, 0);
        QCOMPARE(p.idleFraction, 0.0f);
        QCOMPARE(pauseStats({}, 0.4f, false).pauseCount, 0);
    }

    void thresholds()
    {
        QCOMPARE(analysis::effectiveThreshold(0.4, false), 0.4f);
        QCOMPARE(analysis::effectiveThreshold(0.4, true), float(double(0.4f) / 5.0));
        QCOMPARE(analysis::effectiveThreshold(5.0, true), 1.0f);
        // 0.1 is sound with boost (threshold 0.08) and silent without.
        const std::vector<float> r(20, 0.1f);
        QCOMPARE(analysis::pauseStats(r, analysis::effectiveThreshold(0.4, true), false).pauseCount, 0);
        QCOMPARE(analysis::pauseStats(r, analysis::effectiveThreshold(0.4, false), false).pauseCount, 1);
    }

    void onsets()
    {
        using analysis::voiceOnsets;
        // 9 loud samples after 100 quiet ones: one onset at 100.
        auto o = voiceOnsets(concat({{100, 0.0f}, {9, 6.0f}, {50, 0.0f}}), 5.0f, 0);
        QCOMPARE(o, std::vector<qint32>({100}));
        QVERIFY(voiceOnsets(concat({{100, 0.0f}, {8, 6.0f}, {50, 0.0f}}), 5.0f, 0).empty());
        // Unfinished at the end: not yet a word.
        QVERIFY(voiceOnsets(concat({{100, 0.0f}, {20, 6.0f}}), 5.0f, 0).empty());
        // A sample at the threshold ends a burst: 5 + 5 is not 9.
        QVERIFY(voiceOnsets(concat({{5, 6.0f}, {1, 5.0f}, {5, 6.0f}, {5, 0.0f}}), 5.0f, 0).empty());
        // Five bursts: CFOP keeps the first three, free keeps all.
        std::vector<float> five;
        for (int k = 0; k < 5; ++k) {
            five.insert(five.end(), 20, 0.01f);
            five.insert(five.end(), 12, 8.0f);
        }
        five.push_back(0.01f);
        QCOMPARE(voiceOnsets(five, 5.0f, analysis::cfopMaxOnsets), std::vector<qint32>({20, 52, 84}));
        QCOMPARE(voiceOnsets(five, 5.0f, 0), std::vector<qint32>({20, 52, 84, 116, 148}));
        // Boost: 5.0 becomes 1.0.
        const auto soft = concat({{10, 0.0f}, {10, 2.0f}, {10, 0.0f}});
        QVERIFY(voiceOnsets(soft, analysis::effectiveThreshold(5.0, false), 0).empty());
        QCOMPARE(voiceOnsets(soft, analysis::effectiveThreshold(5.0, true), 0), std::vector<qint32>({10}));
        QVERIFY(voiceOnsets({}, 5.0f, 0).empty());
    }

    void splits()
    {
        std::vector<qint32> times;
        for (int t = 10; t <= 5000; t += 10)
            times.push_back(t);
        QCOMPARE(analysis::splitTimes(times, {99, 249, 399}), std::vector<qint32>({1000, 1500, 1500, 1000}));
        QCOMPARE(analysis::splitTimes(times, {}), std::vector<qint32>({4990}));
        QVERIFY(analysis::splitTimes({}, {}).empty());
        // An onset outside the record gives 0 and does not move the base.
        QCOMPARE(analysis::splitTimes(times, {99, 900, 249}), std::vector<qint32>({1000, 0, 1500, 2500}));
        // With onsets, the splits add up to the last time stamp.
        const auto s = analysis::splitTimes(times, {10, 20, 30, 490});
        qint64 sum = 0;
        for (qint32 v : s)
            sum += v;
        QCOMPARE(sum, qint64(5000));
    }

    // The walks take the record eight samples at a time; runs that start,
    // end or sit inside a group must come out as a plain sample-by-sample
    // walk finds them.
    void groupedWalksMatchASampleBySampleWalk()
    {
        std::mt19937 rng(7);
        const float values[] = {0.01f, 0.3f, 0.4f, 2.0f, 5.0f, 7.0f, std::numeric_limits<float>::quiet_NaN()};
        for (int trial = 0; trial < 400; ++trial) {
            std::vector<float> r;
            const int target = int(rng() % 300);
            while (int(r.size()) < target)
                r.insert(r.end(), std::size_t(1 + rng() % 25), values[rng() % 7]);

            int pauses = 0, idle = 0, run = 0;
            std::vector<qint32> onsets;
            int start = -1, len = 0;
            for (int i = 0; i < int(r.size()); ++i) {
                if (0.4f > r[std::size_t(i)]) {
                    ++run;
                } else {
                    if (run >= 11) { ++pauses; idle += run; }
                    run = 0;
                }
                if (r[std::size_t(i)] > 5.0f) {
                    if (start < 0) start = i;
                    ++len;
                } else {
                    if (start >= 0 && len >= 9) onsets.push_back(start);
                    start = -1;
                    len = 0;
                }
            }
            if (run >= 11) { ++pauses; idle += run; }

            const PauseStats p = analysis::pauseStats(r, 0.4f, false);
            QCOMPARE(p.pauseCount, pauses);
            QCOMPARE(p.idleFraction, r.empty() ? 0.0f : float(idle) / float(r.size()));
            QCOMPARE(analysis::voiceOnsets(r, 5.0f, 0), onsets);
            if (onsets.size() > 3)
                onsets.resize(3);
            QCOMPARE(analysis::voiceOnsets(r, 5.0f, analysis::cfopMaxOnsets), onsets);
        }
    }

    // The window's operations read the record and the settings afresh.
    void windowOperationsReadTheControls()
    {
        Cadenza w;
        QVERIFY(w.computeSplitTimes().empty());
        for (int k = 0; k < 4; ++k) {
            w.levels.insert(w.levels.end(), 30, 0.01f);
            w.levels.insert(w.levels.end(), 12, 2.0f);
        }
        w.levels.push_back(0.01f);
        for (std::size_t i = 0; i < w.levels.size(); ++i)
            w.levelTimes.push_back(qint32(10 * (i + 1)));

        w.ui->silenceSpin->setValue(0.4);
        w.ui->voiceSpin->setValue(5.0);
        w.ui->boostAudioCheck->setChecked(false);
        w.ui->disableAudioCheck->setChecked(false);
        PauseStats p = w.computePauseStats();
        QCOMPARE(p.pauseCount, 4);
        QCOMPARE(p.idleFraction, 120.0f / 169.0f);
        QVERIFY(w.findVoiceOnsets().empty());
        QCOMPARE(w.computeSplitTimes(), std::vector<qint32>({1680}));

        w.ui->boostAudioCheck->setChecked(true); // voice threshold 1.0
        w.ui->splitsCombo->setCurrentIndex(2);
        QCOMPARE(w.findVoiceOnsets(), std::vector<qint32>({30, 72, 114, 156}));
        QCOMPARE(w.computeSplitTimes(), std::vector<qint32>({310, 420, 420, 420, 120}));
        w.ui->splitsCombo->setCurrentIndex(1);
        QCOMPARE(w.findVoiceOnsets(), std::vector<qint32>({30, 72, 114}));

        w.ui->disableAudioCheck->setChecked(true);
        p = w.computePauseStats();
        QCOMPARE(p.pauseCount, 0);
        QCOMPARE(w.findVoiceOnsets().size(), std::size_t(3)); // splits ignore "disable"
    }
};

QTEST_MAIN(AnalysisTest)
#include "test_analysis.moc"

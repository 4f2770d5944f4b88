#include "stats/stats.h"

#include <QtTest>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

std::vector<float> seconds(std::initializer_list<double> s)
{
    std::vector<float> ms;
    for (double v : s)
        ms.push_back(float(v * 1000.0));
    return ms;
}

// Same float, bit for bit; any two NaNs count as the same.
bool sameFloat(float a, float b)
{
    if (std::isnan(a) && std::isnan(b))
        return true;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QString describe(const SessionStats &s)
{
    QStringList parts;
    for (float v : s)
        parts << QString::number(double(v), 'g', 9);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class StatsTest : public QObject
{
    Q_OBJECT
private slots:
    void trimmedAverageLeavesOutOneBestAndOneWorst()
    {
        QCOMPARE(trimmedAverage(seconds({10, 11, 12, 13, 14}), true), 12000.0f);
        // Order does not matter, and a big window still drops only two values.
        QCOMPARE(trimmedAverage(seconds({14, 10, 13, 11, 12}), true), 12000.0f);
        std::vector<float> fifty(50, 10000.0f);
        fifty[7] = 1000.0f;
        fifty[20] = 99000.0f;
        fifty[30] = 20000.0f; // a second slow value stays in
        QCOMPARE(trimmedAverage(fifty, false), (47 * 10000.0f + 20000.0f) / 48.0f);
    }

    void trimmedAverageDnfRule()
    {
        // One DNF is the left-out worst.
        QCOMPARE(trimmedAverage(seconds({10, 11, 12, 13, 0}), true), 12000.0f);
        // Two DNFs: a DNF average with the rule on...
        QCOMPARE(trimmedAverage(seconds({10, 11, 0, 13, 0}), true), 0.0f);
        // ...and with it off, the mean of the rest without the best one.
        std::vector<float> fifty;
        for (int i = 0; i < 50; ++i)
            fifty.push_back(float(10000 + 100 * i));
        fifty[3] = 0.0f;
        fifty[40] = 0.0f;
        float sum = 0.0f;
        for (float v : fifty)
            sum += v;
        QCOMPARE(trimmedAverage(fifty, false), (sum - 10000.0f) / 47.0f);
    }

    void trimmedAverageWithNothingLeftIsZero()
    {
        QCOMPARE(trimmedAverage({}, true), 0.0f);
        QCOMPARE(trimmedAverage({12000.0f}, false), 0.0f);
        QCOMPARE(trimmedAverage({12000.0f, 13000.0f}, false), 0.0f);
        QCOMPARE(trimmedAverage({12000.0f, 0.0f}, true), 0.0f);
        std::vector<float> fifty(50, 0.0f);
        QCOMPARE(trimmedAverage(fifty, false), 0.0f);
        fifty[10] = 12000.0f; // one value that is not DNF: still nothing left
        QCOMPARE(trimmedAverage(fifty, false), 0.0f);
        fifty[11] = 13000.0f; // two values: the slower one remains
        QCOMPARE(trimmedAverage(fifty, false), 13000.0f);
        // Never a negative zero or a non-number.
        const float r = trimmedAverage(fifty, true);
        QVERIFY(!std::signbit(r) && r == 0.0f);
    }

    void currentAveragesNeedEnoughSolves()
    {
        const std::vector<float> four = seconds({10, 11, 12, 13});
        const SessionStats s = computeSessionStats(four, std::vector<qint32>(4, 0));
        for (float v : s)
            QCOMPARE(v, 0.0f);

        // Twelve solves: the 5 and 12 columns exist, the others do not.
        std::vector<float> twelve = seconds({20, 19, 18, 17, 16, 15, 10, 11, 12, 13, 14, 30});
        const SessionStats t = computeSessionStats(twelve, std::vector<qint32>(12, 0));
        QCOMPARE(t[CurrentAo5], 13000.0f); // 12 13 14 (11 and 30 out)
        QCOMPARE(t[CurrentAo12], (20 + 19 + 18 + 17 + 16 + 15 + 11 + 12 + 13 + 14) * 100.0f);
        QCOMPARE(t[CurrentAo50], 0.0f);
        QCOMPARE(t[CurrentAo100], 0.0f);
        QCOMPARE(t[CurrentAo1000], 0.0f);
        QCOMPARE(t[BestAo5], 12000.0f); // 15 10 11 12 13 -> 11 12 13
        QCOMPARE(t[BestAo12], t[CurrentAo12]);
        QCOMPARE(t[BestAo50], 0.0f);
    }

    void plusTwoCountsInAveragesAndDnfsPerWindowSize()
    {
        // +2 on the 12.0: it becomes 14.0 in the average.
        const SessionStats p = computeSessionStats(seconds({10, 11, 12, 13, 14}), {0, 0, 1, 0, 0});
        QCOMPARE(p[CurrentAo5], (11 + 13 + 14) * 1000.0f / 3);

        // Two DNFs in the newest five: Ao5 is a DNF and that window is never best.
        const std::vector<float> six = seconds({10, 11, 12, 13, 14, 15});
        const SessionStats d = computeSessionStats(six, {0, 0, 0, -1, 0, -1});
        QCOMPARE(d[CurrentAo5], 0.0f);
        QCOMPARE(d[BestAo5], (47000.0f - 10000.0f) / 3.0f); // 10 11 12 DNF 14 -> 11 12 14

        // Fifty solves with two DNFs: Ao50 ignores the DNF rule.
        std::vector<float> fifty(50, 10000.0f);
        std::vector<qint32> pen(50, 0);
        pen[5] = -1;
        pen[6] = -1;
        fifty[9] = 8000.0f;
        const SessionStats f = computeSessionStats(fifty, pen);
        QCOMPARE(f[CurrentAo50], 10000.0f);
        QCOMPARE(f[BestAo50], 10000.0f);
        QCOMPARE(f[CurrentAo12], 10000.0f); // the newest 12 have no DNF
        QCOMPARE(f[BestAo5], 10000.0f);

        // Any other penalty code counts as none.
        const SessionStats o = computeSessionStats(seconds({10, 11, 12, 13, 14}), {0, 7, -3, 0, 0});
        QCOMPARE(o[CurrentAo5], 12000.0f);
    }

    void bestAverageIsTheBestWindow()
    {
        // Six solves: the older window (10 11 12 13 30) beats the newer one.
        const SessionStats s = computeSessionStats(seconds({10, 11, 12, 13, 30, 40}), std::vector<qint32>(6, 0));
        QCOMPARE(s[BestAo5], 12000.0f);
        QCOMPARE(s[CurrentAo5], (12 + 13 + 30) * 1000.0f / 3);

        // A window of 50 with 49 DNFs has nothing to average; it must not
        // wipe out the real best Ao50 of the older windows.
        std::vector<float> times(100, 10000.0f);
        std::vector<qint32> pen(100, 0);
        for (int i = 51; i < 100; ++i)
            pen[std::size_t(i)] = -1;
        const SessionStats w = computeSessionStats(times, pen);
        QCOMPARE(w[CurrentAo50], 0.0f);
        QCOMPARE(w[BestAo50], 10000.0f);
        QCOMPARE(w[BestAo100], 10000.0f);
    }

    void currentAo1000()
    {
        std::vector<float> times;
        for (int i = 0; i < 1001; ++i)
            times.push_back(float(5000 + (i * 7919) % 10000));
        std::vector<qint32> pen(times.size(), 0);
        pen[0] = -1; // outside the newest 1000
        pen[500] = -1;
        pen[600] = -1;
        const std::vector<float> newest(times.end() - 1000, times.end());
        std::vector<float> penalised = newest;
        penalised[499] = 0.0f;
        penalised[599] = 0.0f;
        const SessionStats s = computeSessionStats(times, pen);
        QCOMPARE(s[CurrentAo1000], trimmedAverage(penalised, false));
        QVERIFY(s[CurrentAo1000] > 5000.0f && s[CurrentAo1000] < 15000.0f);
    }

    // The side-by-side computation must give the bits of the plain definition:
    // every window on its own through trimmedAverage.
    void matchesBruteForceOnRandomSessions()
    {
        std::mt19937 rng(20240607);
        const int lengths[] = {0, 1, 4, 5, 6, 11, 12, 13, 49, 50, 51, 99, 100, 101, 257, 999, 1000, 1003, 2500};
        const double dnfRates[] = {0.0, 0.02, 0.1, 0.4, 0.95, 1.0};
        int sessions = 0;
        for (int n : lengths) {
            for (double dnfRate : dnfRates) {
                for (int repeat = 0; repeat < (n > 900 ? 1 : 4); ++repeat) {
                    std::uniform_real_distribution<float> fraction(0.0f, 1.0f);
                    std::vector<float> times(static_cast<std::size_t>(n));
                    std::vector<qint32> pen(static_cast<std::size_t>(n));
                    for (int i = 0; i < n; ++i) {
                        // Whole milliseconds mostly, with fractions as an import gives.
                        float t = float(3000 + int(rng() % 40000));
                        if (rng() % 4 == 0)
                            t += fraction(rng);
                        if (rng() % 50 == 0)
                            t = 0.0f; // a recorded 0 counts as DNF unless it is a +2
                        times[std::size_t(i)] = t;
                        const float r = fraction(rng);
                        pen[std::size_t(i)] = r < dnfRate ? -1 : (r < dnfRate + 0.1 ? 1 : (rng() % 100 == 0 ? 5 : 0));
                    }
                    const SessionStats fast = computeSessionStats(times, pen);
                    const SessionStats plain = computeSessionStatsReference(times, pen);
                    for (int k = 0; k < 9; ++k)
                        QVERIFY2(sameFloat(fast[std::size_t(k)], plain[std::size_t(k)]),
                                 qPrintable(QStringLiteral("n=%1 dnf=%2 figure %3: %4 / %5")
                                                .arg(n).arg(dnfRate).arg(k)
                                                .arg(describe(fast), describe(plain))));
                    ++sessions;
                }
            }
        }
        QVERIFY(sessions > 300);
    }

    void matchesBruteForceWithOddValues()
    {
        // Values a damaged file could hold: infinities, NaN, negative times.
        const float inf = std::numeric_limits<float>::infinity();
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float odd[] = {inf, -inf, nan, -5000.0f, -0.0f, FLT_MAX, 1e-3f};
        std::mt19937 rng(7);
        for (int repeat = 0; repeat < 200; ++repeat) {
            const int n = int(rng() % 130);
            std::vector<float> times(static_cast<std::size_t>(n));
            std::vector<qint32> pen(static_cast<std::size_t>(n));
            for (int i = 0; i < n; ++i) {
                times[std::size_t(i)] = rng() % 10 == 0 ? odd[rng() % 7] : float(8000 + int(rng() % 9000));
                pen[std::size_t(i)] = rng() % 8 == 0 ? -1 : 0;
            }
            const SessionStats fast = computeSessionStats(times, pen);
            const SessionStats plain = computeSessionStatsReference(times, pen);
            for (int k = 0; k < 9; ++k)
                QVERIFY2(sameFloat(fast[std::size_t(k)], plain[std::size_t(k)]),
                         qPrintable(describe(fast) + QStringLiteral(" / ") + describe(plain)));
        }
    }

    void sessionFigures()
    {
        SessionData d;
        d.append(12000.0f, {0.10f, 2}, {1000, 2000, 3000, 4000}, QString(), 0, 1); // +2: 12.00 counts as recorded
        d.append(9000.0f, {0.30f, 4}, {1500, 2500}, QString(), 0, -1);             // DNF: out of the means
        d.append(15000.0f, {0.20f, 3}, {2000, 3000, 4000, 5000, 6000}, QString(), 0, 0);
        const SessionFigures f = computeSessionFigures(d.view(), 1);
        QCOMPARE(f.counted, 2);
        QCOMPARE(f.bestSingle, 12000.0f);
        QCOMPARE(f.meanTime, 13500.0f);
        QCOMPARE(f.meanIdleFraction, float((double(0.10f) + double(0.20f)) / 2));
        QCOMPARE(f.meanPauseCount, 2.5f);
        // CFOP: four phases over every solve, DNF included; a fifth split is not a phase.
        QCOMPARE(int(f.phaseAverages.size()), 4);
        QCOMPARE(*f.phaseAverages[0], 1500.0f);
        QCOMPARE(*f.phaseAverages[1], 2500.0f);
        QCOMPARE(*f.phaseAverages[2], 3500.0f); // only two solves reach phase 3
        QCOMPARE(*f.phaseAverages[3], 4500.0f);

        // Free splits: as many phases as the oldest solve has splits.
        SessionData free;
        free.append(10000.0f, {}, {1000, 2000}, QString(), 0, 0);
        free.append(10000.0f, {}, {3000, 4000, 5000}, QString(), 0, 0);
        const SessionFigures g = computeSessionFigures(free.view(), 2);
        QCOMPARE(int(g.phaseAverages.size()), 2);
        QCOMPARE(*g.phaseAverages[1], 3000.0f);

        // A phase that no solve reaches has no average; no splits mode has no phases.
        SessionData none;
        none.append(10000.0f, {}, {}, QString(), 0, 0);
        none.append(11000.0f, {}, {800}, QString(), 0, 0);
        const SessionFigures h = computeSessionFigures(none.view(), 1);
        QCOMPARE(int(h.phaseAverages.size()), 4);
        QCOMPARE(*h.phaseAverages[0], 800.0f);
        QVERIFY(!h.phaseAverages[1] && !h.phaseAverages[3]);
        QVERIFY(computeSessionFigures(d.view(), 0).phaseAverages.empty());
        QVERIFY(computeSessionFigures(none.view(), 2).phaseAverages.empty()); // oldest has none
    }

    void sessionFiguresAllDnfAndLargeSums()
    {
        SessionData d;
        d.append(12000.0f, {0.5f, 2}, {}, QString(), 0, -1);
        d.append(13000.0f, {0.5f, 2}, {}, QString(), 0, -1);
        QCOMPARE(computeSessionFigures(d.view(), 0).counted, 0);

        // 100,000 solves of 30,000 ms splits: the sums pass 2^31 ms.
        SessionData big;
        for (int i = 0; i < 100000; ++i)
            big.append(60000.0f, {}, {30000, 30000, 30000, 30000}, QString(), 0, 0);
        const SessionFigures f = computeSessionFigures(big.view(), 1);
        QCOMPARE(*f.phaseAverages[3], 30000.0f);
        QCOMPARE(f.meanTime, 60000.0f);
    }

    void boxStatisticsOrderFigures()
    {
        QCOMPARE(boxStatistics({}, false), std::vector<float>(7, 0.0f));
        QCOMPARE(boxStatistics({0.0f, 0.0f}, true), std::vector<float>(7, 0.0f));

        // Seven sorted values a0..a6: quartiles at a1 and a4.
        const std::vector<float> seven = {7, 1, 4, 2, 6, 3, 5};
        const std::vector<float> s7 = boxStatistics(seven, false);
        QCOMPARE(std::vector<float>(s7.begin(), s7.begin() + 6), (std::vector<float>{7, 5, 4, 2, 1, 4}));
        QCOMPARE(s7[6], std::sqrt(4.0f));
        QCOMPARE(seven[0], 7.0f); // the input is left as it was

        // Eight: quartiles and median between two values.
        const std::vector<float> s8 = boxStatistics({1, 2, 3, 4, 5, 6, 7, 8}, false);
        QCOMPARE(std::vector<float>(s8.begin(), s8.begin() + 6), (std::vector<float>{8, 6.5f, 4.5f, 2.5f, 1, 4.5f}));

        // Five values keep everything, even a far outlier.
        const std::vector<float> s5 = boxStatistics({1, 1, 1, 1, 1000}, false);
        QCOMPARE(std::vector<float>(s5.begin(), s5.begin() + 5), (std::vector<float>{1000, 1, 1, 1, 1}));

        // One value; six equal values (deviation 0: nothing dropped).
        QCOMPARE(boxStatistics({3.5f}, false), (std::vector<float>{3.5f, 3.5f, 3.5f, 3.5f, 3.5f, 3.5f, 0.0f}));
        QCOMPARE(boxStatistics(std::vector<float>(6, 2.0f), false),
                 (std::vector<float>{2, 2, 2, 2, 2, 2, 0}));

        // Zeros skipped on request, NaN always.
        const std::vector<float> z = boxStatistics({0, 2, std::nanf(""), 4, 0, 6}, true);
        QCOMPARE(std::vector<float>(z.begin(), z.begin() + 6), (std::vector<float>{6, 6, 4, 2, 2, 4}));
    }

    void boxStatisticsDropsHighOutliersOnly()
    {
        // Nineteen values of 10 and one of 100: mean 14.5, deviation about 19.6,
        // 100 - 14.5 is over three deviations, so 100 leaves the order figures;
        // the mean and deviation still include it.
        std::vector<float> v(19, 10.0f);
        v.push_back(100.0f);
        const std::vector<float> s = boxStatistics(v, false);
        QCOMPARE(s[0], 10.0f);
        QCOMPARE(s[4], 10.0f);
        QCOMPARE(s[5], 14.5f);
        QVERIFY(std::fabs(s[6] - std::sqrt((19 * 4.5f * 4.5f + 85.5f * 85.5f) / 20)) < 1e-4f);
        // A low outlier stays.
        std::vector<float> low(19, 100.0f);
        low.push_back(1.0f);
        QCOMPARE(boxStatistics(low, false)[4], 1.0f);
    }
};

QTEST_APPLESS_MAIN(StatsTest)
#include "test_stats.moc"

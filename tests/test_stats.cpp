#include "stats/stats.h"

#include <QtTest>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

Q_DECLARE_METATYPE(std::vector<float>)

namespace {

std::vector<float> seconds(std::initializer_list<double> s)
{
    std::vector<float> ms;
    for (double v : s)
        ms.push_back(float(v * 1000.0));
    return ms;
}

// fifty values of `base` with some changed.
std::vector<float> fifty(float base, std::initializer_list<std::pair<int, float>> set)
{
    std::vector<float> v(50, base);
    for (const auto &p : set)
        v[std::size_t(p.first)] = p.second;
    return v;
}

// Phase averages, -1 for a phase no solve reaches.
std::vector<float> phases(const SessionFigures &f)
{
    std::vector<float> v;
    for (const auto &p : f.phaseAverages)
        v.push_back(p ? *p : -1.0f);
    return v;
}

// The fast computation gives the bits of the plain definition (any two NaNs count as the same).
void compareWithReference(const std::vector<float> &times, const std::vector<qint32> &pen)
{
    const SessionStats fast = computeSessionStats(times, pen), plain = computeSessionStatsReference(times, pen);
    for (std::size_t k = 0; k < fast.size(); ++k)
        QVERIFY2((std::isnan(fast[k]) && std::isnan(plain[k])) || std::memcmp(&fast[k], &plain[k], 4) == 0,
                 qPrintable(QStringLiteral("n=%1 figure %2: %3 / %4").arg(times.size()).arg(k)
                                .arg(double(fast[k]), 0, 'g', 9).arg(double(plain[k]), 0, 'g', 9)));
}

} // namespace

class StatsTest : public QObject
{
    Q_OBJECT
private slots:
    void trimmedAverage_data()
    {
        QTest::addColumn<std::vector<float>>("values");
        QTest::addColumn<bool>("dnfRule");
        QTest::addColumn<float>("average");
        QTest::newRow("one best, one worst") << seconds({10, 11, 12, 13, 14}) << true << 12000.0f;
        QTest::newRow("any order") << seconds({14, 10, 13, 11, 12}) << true << 12000.0f;
        QTest::newRow("50: still only two out")
            << fifty(10000, {{7, 1000}, {20, 99000}, {30, 20000}}) << false << (47 * 10000.0f + 20000.0f) / 48.0f;
        QTest::newRow("one DNF is the worst") << seconds({10, 11, 12, 13, 0}) << true << 12000.0f;
        QTest::newRow("two DNFs, rule on") << seconds({10, 11, 0, 13, 0}) << true << 0.0f;
        QTest::newRow("two DNFs, rule off") << fifty(10000, {{3, 0}, {40, 0}, {10, 16000}}) << false
                                            << (46 * 10000.0f + 16000.0f) / 47.0f;
        QTest::newRow("empty") << std::vector<float>{} << true << 0.0f;
        QTest::newRow("one value") << std::vector<float>{12000} << false << 0.0f;
        QTest::newRow("two values") << std::vector<float>{12000, 13000} << false << 0.0f;
        QTest::newRow("value and DNF") << std::vector<float>{12000, 0} << true << 0.0f;
        QTest::newRow("all DNF") << fifty(0, {}) << false << 0.0f;
        QTest::newRow("one not DNF") << fifty(0, {{10, 12000}}) << false << 0.0f;
        QTest::newRow("two not DNF: the slower") << fifty(0, {{10, 12000}, {11, 13000}}) << false << 13000.0f;
        QTest::newRow("two not DNF, rule on") << fifty(0, {{10, 12000}, {11, 13000}}) << true << 0.0f;
    }
    void trimmedAverage()
    {
        QFETCH(std::vector<float>, values);
        QFETCH(bool, dnfRule);
        const float got = ::trimmedAverage(values, dnfRule);
        QTEST(got, "average");
        QVERIFY(!std::signbit(got) && std::isfinite(got)); // never "-0.00", inf or nan on screen
    }

    void sessionAverages()
    {
        QCOMPARE(computeSessionStats(seconds({10, 11, 12, 13}), std::vector<qint32>(4, 0)), SessionStats{});

        // Twelve solves: the 5 and 12 columns exist, the others do not.
        const SessionStats t = computeSessionStats(seconds({20, 19, 18, 17, 16, 15, 10, 11, 12, 13, 14, 30}),
                                                   std::vector<qint32>(12, 0));
        QCOMPARE(t[CurrentAo5], 13000.0f); // 12 13 14 (11 and 30 out)
        QCOMPARE(t[CurrentAo12], (20 + 19 + 18 + 17 + 16 + 15 + 11 + 12 + 13 + 14) * 100.0f);
        QCOMPARE(t[BestAo5], 12000.0f); // 15 10 11 12 13 -> 11 12 13
        QCOMPARE(t[BestAo12], t[CurrentAo12]);
        QVERIFY(t[CurrentAo50] == 0 && t[CurrentAo100] == 0 && t[CurrentAo1000] == 0 && t[BestAo50] == 0);

        // +2 counts in an average; any other code than +2 and DNF is none.
        QCOMPARE(computeSessionStats(seconds({10, 11, 12, 13, 14}), {0, 0, 1, 0, 0})[CurrentAo5], 38000.0f / 3);
        QCOMPARE(computeSessionStats(seconds({10, 11, 12, 13, 14}), {0, 7, -3, 0, 0})[CurrentAo5], 12000.0f);

        // Two DNFs in the newest five: a DNF Ao5, and that window is never best.
        const SessionStats d = computeSessionStats(seconds({10, 11, 12, 13, 14, 15}), {0, 0, 0, -1, 0, -1});
        QCOMPARE(d[CurrentAo5], 0.0f);
        QCOMPARE(d[BestAo5], 37000.0f / 3); // 10 11 12 DNF 14 -> 11 12 14
        // The older window (10 11 12 13 30) beats the newer one.
        const SessionStats s = computeSessionStats(seconds({10, 11, 12, 13, 30, 40}), std::vector<qint32>(6, 0));
        QCOMPARE(s[BestAo5], 12000.0f);
        QCOMPARE(s[CurrentAo5], 55000.0f / 3);

        // Fifty solves with two DNFs: Ao50 ignores the DNF rule.
        std::vector<qint32> pen(50, 0);
        pen[5] = pen[6] = -1;
        const SessionStats f = computeSessionStats(fifty(10000, {{9, 8000}}), pen);
        QVERIFY(f[CurrentAo50] == 10000 && f[BestAo50] == 10000 && f[CurrentAo12] == 10000 && f[BestAo5] == 10000);

        // A window of 50 with 49 DNFs has nothing to average; it must not wipe
        // out the best Ao50 of the older windows.
        std::vector<qint32> pen100(100, 0);
        std::fill(pen100.begin() + 51, pen100.end(), -1);
        const SessionStats w = computeSessionStats(std::vector<float>(100, 10000.0f), pen100);
        QCOMPARE(w[CurrentAo50], 0.0f);
        QVERIFY(w[BestAo50] == 10000 && w[BestAo100] == 10000);

        // Ao1000 looks at the newest 1000 only, without the DNF rule.
        std::vector<float> times;
        for (int i = 0; i < 1001; ++i)
            times.push_back(float(5000 + (i * 7919) % 10000));
        std::vector<qint32> pen1001(times.size(), 0);
        pen1001[0] = pen1001[500] = pen1001[600] = -1;
        std::vector<float> newest(times.end() - 1000, times.end());
        newest[499] = newest[599] = 0.0f;
        const float ao1000 = computeSessionStats(times, pen1001)[CurrentAo1000];
        QCOMPARE(ao1000, ::trimmedAverage(newest, false));
        QVERIFY(ao1000 > 5000.0f && ao1000 < 15000.0f);
    }

    void matchesBruteForceOnRandomSessions()
    {
        std::mt19937 rng(20240607);
        std::uniform_real_distribution<float> fraction(0.0f, 1.0f);
        for (int n : {0, 1, 4, 5, 6, 11, 12, 13, 49, 50, 51, 99, 100, 101, 257, 999, 1000, 1003, 2500}) {
            for (double dnfRate : {0.0, 0.02, 0.1, 0.4, 0.95, 1.0}) {
                for (int repeat = 0; repeat < (n > 900 ? 1 : 4); ++repeat) {
                    std::vector<float> times(std::size_t(n), 0.0f);
                    std::vector<qint32> pen(std::size_t(n), 0);
                    for (std::size_t i = 0; i < times.size(); ++i) {
                        // Whole milliseconds mostly, fractions as an import gives, a recorded 0 now and then.
                        times[i] = rng() % 50 == 0 ? 0.0f : float(3000 + int(rng() % 40000)) + (rng() % 4 ? 0.0f : fraction(rng));
                        const float r = fraction(rng);
                        pen[i] = r < dnfRate ? -1 : (r < dnfRate + 0.1 ? 1 : (rng() % 100 == 0 ? 5 : 0));
                    }
                    compareWithReference(times, pen);
                    if (QTest::currentTestFailed())
                        return;
                }
            }
        }
        // Values a damaged file could hold: infinities, NaN, negative times.
        const float inf = std::numeric_limits<float>::infinity();
        const float odd[] = {inf, -inf, std::nanf(""), -5000.0f, -0.0f, FLT_MAX, 1e-3f};
        for (int repeat = 0; repeat < 200; ++repeat) {
            std::vector<float> times(rng() % 130);
            std::vector<qint32> pen(times.size());
            for (std::size_t i = 0; i < times.size(); ++i) {
                times[i] = rng() % 10 == 0 ? odd[rng() % 7] : float(8000 + int(rng() % 9000));
                pen[i] = rng() % 8 == 0 ? -1 : 0;
            }
            compareWithReference(times, pen);
        }
    }

    void sessionFigures()
    {
        SessionData d;
        d.append(12000.0f, {0.10f, 2}, {1000, 2000, 3000, 4000}, QString(), 0, 1); // +2: 12.00 as recorded
        d.append(9000.0f, {0.30f, 4}, {1500, 2500}, QString(), 0, -1);             // DNF: out of the means
        d.append(15000.0f, {0.20f, 3}, {2000, 3000, 4000, 5000, 6000}, QString(), 0, 0);
        const SessionFigures f = computeSessionFigures(d.view(), 1);
        QCOMPARE(f.counted, 2);
        QCOMPARE(f.bestSingle, 12000.0f);
        QCOMPARE(f.meanTime, 13500.0f);
        QCOMPARE(f.meanIdleFraction, float((double(0.10f) + double(0.20f)) / 2));
        QCOMPARE(f.meanPauseCount, 2.5f);
        // CFOP: four phases over every solve, DNF included; phase 3 over the two that reach it; a fifth split is not a phase.
        QCOMPARE(phases(f), (std::vector<float>{1500, 2500, 3500, 4500}));
        QVERIFY(computeSessionFigures(d.view(), 0).phaseAverages.empty());

        // Free splits: as many phases as the oldest solve has splits.
        SessionData free;
        free.append(10000.0f, {}, {1000, 2000}, QString(), 0, 0);
        free.append(10000.0f, {}, {3000, 4000, 5000}, QString(), 0, 0);
        QCOMPARE(phases(computeSessionFigures(free.view(), 2)), (std::vector<float>{2000, 3000}));

        // A phase that no solve reaches has no average.
        SessionData none;
        none.append(10000.0f, {}, {}, QString(), 0, 0);
        none.append(11000.0f, {}, {800}, QString(), 0, 0);
        QCOMPARE(phases(computeSessionFigures(none.view(), 1)), (std::vector<float>{800, -1, -1, -1}));
        QVERIFY(computeSessionFigures(none.view(), 2).phaseAverages.empty()); // oldest has none

        SessionData dnfs;
        dnfs.append(12000.0f, {0.5f, 2}, {}, QString(), 0, -1);
        QCOMPARE(computeSessionFigures(dnfs.view(), 0).counted, 0);

        // 100,000 solves of 30,000 ms splits: the sums pass 2^31 ms.
        SessionData big;
        for (int i = 0; i < 100000; ++i)
            big.append(60000.0f, {}, {30000, 30000, 30000, 30000}, QString(), 0, 0);
        const SessionFigures b = computeSessionFigures(big.view(), 1);
        QVERIFY(*b.phaseAverages[3] == 30000 && b.meanTime == 60000);
    }

    void boxStatistics()
    {
        const auto box = [](const std::vector<float> &v, bool skipZeros, int n = 7) {
            const std::vector<float> s = ::boxStatistics(v, skipZeros);
            return std::vector<float>(s.begin(), s.begin() + n);
        };
        QCOMPARE(box({}, false), std::vector<float>(7, 0.0f));
        QCOMPARE(box({0.0f, 0.0f}, true), std::vector<float>(7, 0.0f));
        // Seven sorted values a0..a6: quartiles at a1 and a4; the input is left as it was.
        const std::vector<float> seven = {7, 1, 4, 2, 6, 3, 5};
        QCOMPARE(box(seven, false), (std::vector<float>{7, 5, 4, 2, 1, 4, 2}));
        QCOMPARE(seven[0], 7.0f);
        // Eight: quartiles and median between two values.
        QCOMPARE(box({1, 2, 3, 4, 5, 6, 7, 8}, false, 6), (std::vector<float>{8, 6.5f, 4.5f, 2.5f, 1, 4.5f}));
        // Five values keep everything, even a far outlier.
        QCOMPARE(box({1, 1, 1, 1, 1000}, false, 5), (std::vector<float>{1000, 1, 1, 1, 1}));
        QCOMPARE(box({3.5f}, false), (std::vector<float>{3.5f, 3.5f, 3.5f, 3.5f, 3.5f, 3.5f, 0.0f}));
        // A deviation of 0 drops nothing.
        QCOMPARE(box(std::vector<float>(6, 2.0f), false), (std::vector<float>{2, 2, 2, 2, 2, 2, 0}));
        // Zeros skipped on request, NaN always.
        QCOMPARE(box({0, 2, std::nanf(""), 4, 0, 6}, true, 6), (std::vector<float>{6, 6, 4, 2, 2, 4}));

        // 19 x 10 and one 100: mean 14.5, deviation about 19.6; 100 is over three
        // deviations above, so it leaves the order figures but not the mean.
        std::vector<float> v(19, 10.0f);
        v.push_back(100.0f);
        const std::vector<float> s = box(v, false);
        QVERIFY(s[0] == 10 && s[4] == 10 && s[5] == 14.5f);
        QVERIFY(std::fabs(s[6] - std::sqrt((19 * 4.5f * 4.5f + 85.5f * 85.5f) / 20)) < 1e-4f);
        // A low outlier stays.
        std::vector<float> low(19, 100.0f);
        low.push_back(1.0f);
        QCOMPARE(box(low, false)[4], 1.0f);
    }
};

QTEST_APPLESS_MAIN(StatsTest)
#include "test_stats.moc"

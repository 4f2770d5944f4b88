#include "stats/stats.h"

#include <QtTest>
#include <cmath>
#include <random>

class StatsTest : public QObject
{
    Q_OBJECT
private slots:
    void averages()
    {
        const auto fifty = [](std::vector<float> v) { v.insert(v.end(), 50 - v.size(), 10000.0f); return v; };
        const struct { std::vector<float> values; bool dnfRule; float average; } trimmed[] = {
            {{14000, 10000, 13000, 11000, 12000}, true, 12000}, {fifty({1000, 99000, 20000}), false, (47 * 10000.0f + 20000) / 48},
            {{10000, 11000, 12000, 13000, 0}, true, 12000}, {{10000, 11000, 0, 13000, 0}, true, 0}, {{}, true, 0},
            {fifty({0, 0, 16000}), false, (46 * 10000.0f + 16000) / 47}, {{12000, 13000}, false, 0}, {{0, 0, 12000, 0, 0}, false, 0},
            {{0, 12000, 13000, 0, 0}, false, 13000}, {{0, 12000, 13000, 0, 0}, true, 0}};
        for (const auto &c : trimmed) {
            QCOMPARE(::trimmedAverage(c.values, c.dnfRule), c.average);
            QVERIFY(!std::signbit(::trimmedAverage(c.values, c.dnfRule))); // never "-0.00" on screen
        }

        const auto dnfs = [](int n, int from) { std::vector<qint32> p(std::size_t(n), 0); std::fill(p.begin() + from, p.end(), -1); return p; };
        const struct { std::vector<float> times; std::vector<qint32> pen; SessionStats want; } sessions[] = {
            {{10e3, 11e3, 12e3, 13e3}, dnfs(4, 4), {}}, {{10e3, 11e3, 12e3, 13e3, 14e3}, {0, 7, 1, 0, 0}, {38e3f / 3, 0, 0, 0, 0, 38e3f / 3, 0, 0, 0}},
            {{20e3, 19e3, 18e3, 17e3, 16e3, 15e3, 10e3, 11e3, 12e3, 13e3, 14e3, 30e3}, dnfs(12, 12), {13e3, 15500, 0, 0, 0, 12e3, 15500, 0, 0}},
            {{10e3, 11e3, 12e3, 13e3, 14e3, 15e3}, {0, 0, 0, -1, 0, -1}, {0, 0, 0, 0, 0, 37e3f / 3, 0, 0, 0}}, // 0 is never best
            {std::vector<float>(50, 10000), dnfs(50, 48), {0, 0, 10000, 0, 0, 10000, 10000, 10000, 0}},
            {std::vector<float>(100, 10000), dnfs(100, 51), {0, 0, 0, 10000, 0, 10000, 10000, 10000, 10000}}};
        for (const auto &c : sessions)
            QCOMPARE(computeSessionStats(c.times, c.pen), c.want);
    }

    void phaseAverages() // free splits: as many phases as the oldest solve has; CFOP: four; a phase no solve reaches has none
    {
        SessionData s;
        s.append(9000, {}, {1000, 2000, 3000}, "", 0, PenaltyNone);
        s.append(9000, {}, {500, 700}, "", 0, PenaltyDnf); // a DNF's splits count too
        s.append(9000, {}, {100, 200, 300, 400}, "", 0, PenaltyNone);
        using P = std::vector<std::optional<float>>;
        QCOMPARE(computeSessionFigures(s.view(), 2).phaseAverages, (P{1600 / 3.0f, 2900 / 3.0f, 1650.0f}));
        QCOMPARE(computeSessionFigures(s.view(), 1).phaseAverages, (P{1600 / 3.0f, 2900 / 3.0f, 1650.0f, 400.0f}));
        QCOMPARE(computeSessionFigures(s.view(), 0).phaseAverages, P{});
        SessionData none;
        none.append(9000, {}, {}, "", 0, PenaltyNone);
        none.append(9000, {}, {100, 200}, "", 0, PenaltyNone);
        QCOMPARE(computeSessionFigures(none.view(), 2).phaseAverages, P{});
        QCOMPARE(computeSessionFigures(none.view(), 1).phaseAverages, (P{100.0f, 200.0f, std::nullopt, std::nullopt}));
    }

    void matchesBruteForceOnRandomSessions()
    {
        std::mt19937 rng(20240607);
        const float damage[] = {INFINITY, -INFINITY, NAN, -5000.0f, -0.0f, 3.4e38f, 1e-3f, 0.0f};
        const unsigned dnfPercent[] = {0, 2, 10, 40, 95, 100};
        for (unsigned n : std::initializer_list<unsigned>{0, 1, 4, 5, 6, 11, 12, 13, 49, 50, 51, 99, 100, 101, 257, 999, 1000, 1003, 2500})
            for (int s = 0; s < (n > 900 ? 6 : 24); ++s) { // every DNF rate; damaged files' values in s 6 to 11
                std::vector<float> times(n);
                std::vector<qint32> pen(n);
                for (std::size_t i = 0; i < n; ++i) {
                    times[i] = rng() % 50 ? float(3000 + rng() % 40000) + (rng() % 4 ? 0 : float(rng() % 997) / 997) : damage[s / 6 == 1 ? rng() % 8 : 7];
                    const unsigned r = rng() % 100;
                    pen[i] = r < dnfPercent[s % 6] ? -1 : r < dnfPercent[s % 6] + 10 ? 1 : r == 99 ? 5 : 0;
                }
                const SessionStats fast = computeSessionStats(times, pen), plain = computeSessionStatsReference(times, pen);
                for (std::size_t k = 0; k < fast.size(); ++k) // bit for bit; any two NaNs count as the same
                    QVERIFY2(std::isnan(fast[k]) ? std::isnan(plain[k]) : fast[k] == plain[k] && std::signbit(fast[k]) == std::signbit(plain[k]),
                             qPrintable(QStringLiteral("n=%1 s=%2 figure %3").arg(n).arg(s).arg(k)));
            }
    }

    void boxStatistics()
    {
        const auto box = [](const std::vector<float> &v, bool skipZeros, std::size_t n) { auto s = ::boxStatistics(v, skipZeros); s.resize(n); return s; };
        QCOMPARE(box({7, 1, 4, 2, 6, 3, 5}, false, 7), (std::vector<float>{7, 5, 4, 2, 1, 4, 2}));
        QCOMPARE(box({1, 2, 3, 4, 5, 6, 7, 8}, false, 6), (std::vector<float>{8, 6.5f, 4.5f, 2.5f, 1, 4.5f}));
        QCOMPARE(box({1, 1, 1, 1, 1000}, false, 5), (std::vector<float>{1000, 1, 1, 1, 1})); // five keep even a far outlier
        QCOMPARE(box(std::vector<float>(6, 2.0f), false, 7), (std::vector<float>{2, 2, 2, 2, 2, 2, 0})); // nothing out
        QCOMPARE(box({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 12}, false, 6), (std::vector<float>{1, 1, 1, 1, 1, 2})); // out but in the mean
        QCOMPARE(box({12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 1}, false, 5), (std::vector<float>{12, 12, 12, 12, 1})); // low stays
        QCOMPARE(box({0, 2, NAN, 4, 0, 6}, true, 6), (std::vector<float>{6, 6, 4, 2, 2, 4}));
        QCOMPARE(box({}, false, 7), std::vector<float>(7, 0.0f));
    }
};

QTEST_APPLESS_MAIN(StatsTest)
#include "test_stats.moc"

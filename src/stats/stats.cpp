#include "stats/stats.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace {

const int currentSizes[5] = {5, 12, 50, 100, 1000};
const int bestSizes[4] = {5, 12, 50, 100};

// The two small averages (5 and 12) are DNF averages with two DNFs; the large
// ones only leave the DNFs out.
bool dnfRuleFor(int windowSize)
{
    return windowSize <= 12;
}

// The last step of every trimmed average, shared by the plain walk over one
// window and the side-by-side computation of all windows, so that both give
// the same bits from the same sum, best, worst and DNF count.
inline float finishAverage(int n, int dnfs, float sum, float best, float worst, bool dnfRule)
{
    if (dnfRule && dnfs >= 2)
        return 0.0f;
    const int divisor = n - std::max(dnfs, 1) - 1;
    if (divisor <= 0)
        return 0.0f;
    const float w = dnfs == 0 ? worst : 0.0f;
    return (sum - best - w) / float(divisor);
}

std::vector<float> penalisedValues(const std::vector<float> &times, const std::vector<qint32> &penalties)
{
    const std::size_t n = std::min(times.size(), penalties.size());
    std::vector<float> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = penalisedMs(times[i], penalties[i]);
    return v;
}

float currentAverage(const std::vector<float> &values, int size)
{
    if (int(values.size()) < size)
        return 0.0f;
    return trimmedAverage(std::vector<float>(values.end() - size, values.end()), dnfRuleFor(size));
}

// Running extremes for the smallest and the largest value of every window of
// `size` values, in O(n) without branches: within blocks of `size` values, the
// running minimum and maximum from the block's start (minFromStart,
// maxFromStart) and from its end (minFromEnd, maxFromEnd). A window spans at
// most two blocks, so its extreme is the extreme of the run from its first
// value to the end of that block and the run from the next block's start to
// its last value. DNFs and NaNs take no part (they become infinities that
// never win), so no NaN is compared and the result does not depend on the
// order of the comparisons.
struct Runs
{
    float *minFromStart, *minFromEnd, *maxFromStart, *maxFromEnd;
};

void windowRuns(const float *v, int n, int size, const Runs &r)
{
    const float inf = std::numeric_limits<float>::infinity();
    auto low = [inf](float x) { return (x == 0.0f || x != x) ? inf : x; };
    auto high = [inf](float x) { return (x == 0.0f || x != x) ? -inf : x; };
    for (int b = 0; b < n; b += size) {
        const int last = std::min(b + size, n) - 1;
        r.minFromStart[b] = low(v[b]);
        r.maxFromStart[b] = high(v[b]);
        for (int i = b + 1; i <= last; ++i) {
            const float lo = low(v[i]), hi = high(v[i]);
            r.minFromStart[i] = lo < r.minFromStart[i - 1] ? lo : r.minFromStart[i - 1];
            r.maxFromStart[i] = hi > r.maxFromStart[i - 1] ? hi : r.maxFromStart[i - 1];
        }
        r.minFromEnd[last] = low(v[last]);
        r.maxFromEnd[last] = high(v[last]);
        for (int i = last - 1; i >= b; --i) {
            const float lo = low(v[i]), hi = high(v[i]);
            r.minFromEnd[i] = lo < r.minFromEnd[i + 1] ? lo : r.minFromEnd[i + 1];
            r.maxFromEnd[i] = hi > r.maxFromEnd[i + 1] ? hi : r.maxFromEnd[i + 1];
        }
    }
}

// Windows' sums side by side: lane l of the accumulators holds window j + l.
// The vector type adds lane by lane in plain IEEE single precision, so each
// window still sums its values one after the other from the oldest to the
// newest, exactly as trimmedAverage does.
#if defined(__GNUC__)
typedef float Float4 __attribute__((vector_size(16)));

inline Float4 load4(const float *p)
{
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
#endif

const int sumBlock = 32;

// sums[j] = values[j] + values[j + 1] + ... + values[j + size - 1], added in
// that order. `padded` holds the values followed by at least sumBlock zeros,
// and `sums` has room for n rounded up to a multiple of sumBlock.
void windowSums(const float *padded, int n, int size, float *sums)
{
    const int windows = n - size + 1;
    const int rounded = (windows + sumBlock - 1) / sumBlock * sumBlock;
    for (int j = 0; j < rounded; j += sumBlock) {
        const float *src = padded + j;
#if defined(__GNUC__)
        // 32 windows in registers while every offset of the window is added.
        Float4 a0 = {}, a1 = {}, a2 = {}, a3 = {}, a4 = {}, a5 = {}, a6 = {}, a7 = {};
        for (int k = 0; k < size; ++k) {
            const float *p = src + k;
            a0 += load4(p);
            a1 += load4(p + 4);
            a2 += load4(p + 8);
            a3 += load4(p + 12);
            a4 += load4(p + 16);
            a5 += load4(p + 20);
            a6 += load4(p + 24);
            a7 += load4(p + 28);
        }
        const Float4 a[8] = {a0, a1, a2, a3, a4, a5, a6, a7};
        std::memcpy(sums + j, a, sizeof a);
#else
        for (int l = 0; l < sumBlock; ++l) {
            float acc = 0.0f;
            for (int k = 0; k < size; ++k)
                acc += src[k + l];
            sums[j + l] = acc;
        }
#endif
    }
}

} // namespace

float trimmedAverage(const std::vector<float> &values, bool dnfRule)
{
    int dnfs = 0;
    float sum = 0.0f;
    float best = FLT_MAX;
    float worst = -FLT_MAX;
    for (float v : values) {
        if (v == 0.0f) {
            ++dnfs;
            continue;
        }
        sum += v;
        best = std::min(best, v);
        worst = std::max(worst, v);
    }
    return finishAverage(int(values.size()), dnfs, sum, best, worst, dnfRule);
}

SessionStats computeSessionStats(const std::vector<float> &times, const std::vector<qint32> &penalties)
{
    SessionStats stats{};
    const int n = int(std::min(times.size(), penalties.size()));
    if (n == 0)
        return stats;

    // One uninitialised block for the penalised values (padded with zeros for
    // the side-by-side sums), the window sums and the four runs of extremes.
    const std::size_t N = std::size_t(n);
    const std::size_t padded = N + sumBlock;
    std::unique_ptr<float[]> scratch(new float[2 * padded + 4 * N]);
    float *values = scratch.get();
    float *sums = values + padded;
    const Runs runs = {sums + padded, sums + padded + N, sums + padded + 2 * N, sums + padded + 3 * N};
    // DNF counts from prefix counts: dnfsBefore[i] DNFs among the first i values.
    std::unique_ptr<int[]> dnfsBefore(new int[N + 1]);
    dnfsBefore[0] = 0;
    for (std::size_t i = 0; i < N; ++i) {
        values[i] = penalisedMs(times[i], penalties[i]);
        dnfsBefore[i + 1] = dnfsBefore[i] + (values[i] == 0.0f ? 1 : 0);
    }
    std::fill(values + N, values + padded, 0.0f);

    for (int s = 0; s < 5; ++s) {
        const int size = currentSizes[s];
        if (n >= size)
            stats[std::size_t(CurrentAo5 + s)] =
                trimmedAverage(std::vector<float>(values + (n - size), values + n), dnfRuleFor(size));
    }

    for (int s = 0; s < 4; ++s) {
        const int size = bestSizes[s];
        if (n < size)
            break;
        const bool rule = dnfRuleFor(size);
        windowSums(values, n, size, sums);
        windowRuns(values, n, size, runs);
        float best = FLT_MAX;
        // Newest window first; only a strictly lower average replaces the best.
        for (int j = n - size; j >= 0; --j) {
            const int end = j + size - 1;
            const int dnfs = dnfsBefore[std::size_t(end) + 1] - dnfsBefore[std::size_t(j)];
            const float lo = std::min(runs.minFromEnd[j], runs.minFromStart[end]);
            const float hi = std::max(runs.maxFromEnd[j], runs.maxFromStart[end]);
            // The plain walk starts its best and worst at the largest finite
            // values, which a window of infinities or DNFs never passes.
            const float average = finishAverage(size, dnfs, sums[j], std::min(FLT_MAX, lo), std::max(-FLT_MAX, hi), rule);
            if (average != 0.0f && average < best)
                best = average;
        }
        stats[std::size_t(BestAo5 + s)] = best == FLT_MAX ? 0.0f : best;
    }
    return stats;
}

SessionStats computeSessionStatsReference(const std::vector<float> &times, const std::vector<qint32> &penalties)
{
    SessionStats stats{};
    const std::vector<float> values = penalisedValues(times, penalties);
    const int n = int(values.size());
    for (int s = 0; s < 5; ++s)
        stats[std::size_t(CurrentAo5 + s)] = currentAverage(values, currentSizes[s]);
    for (int s = 0; s < 4; ++s) {
        const int size = bestSizes[s];
        float best = FLT_MAX;
        for (int end = n; end >= size; --end) {
            const std::vector<float> window(values.begin() + (end - size), values.begin() + end);
            const float average = trimmedAverage(window, dnfRuleFor(size));
            if (average != 0.0f && average < best)
                best = average;
        }
        stats[std::size_t(BestAo5 + s)] = best == FLT_MAX ? 0.0f : best;
    }
    return stats;
}

SessionFigures computeSessionFigures(const SessionView &session, int splitsMode)
{
    SessionFigures f;
    const int n = session.size();
    // Sums in double: a float sum of 100,000 times loses whole milliseconds.
    double timeSum = 0.0, idleSum = 0.0, pauseSum = 0.0;
    float best = std::numeric_limits<float>::infinity();
    for (int i = 0; i < n; ++i) {
        const std::size_t I = std::size_t(i);
        if (session.penalties[I] == PenaltyDnf)
            continue;
        ++f.counted;
        const float t = session.times[I];
        if (t < best)
            best = t;
        timeSum += double(t);
        idleSum += double(session.pauseStats[I].idleFraction);
        pauseSum += double(session.pauseStats[I].pauseCount);
    }
    if (f.counted > 0) {
        f.bestSingle = best;
        f.meanTime = float(timeSum / f.counted);
        f.meanIdleFraction = float(idleSum / f.counted);
        f.meanPauseCount = float(pauseSum / f.counted);
    }

    if (splitsMode == 0 || n == 0)
        return f;
    const std::size_t phases = splitsMode == 1 ? 4 : session.splits[0].size();
    std::vector<qint64> sums(phases, 0);
    std::vector<int> counts(phases, 0);
    for (const std::vector<qint32> &s : session.splits) {
        const std::size_t m = std::min(phases, s.size());
        for (std::size_t j = 0; j < m; ++j) {
            sums[j] += s[j];
            ++counts[j];
        }
    }
    f.phaseAverages.resize(phases);
    for (std::size_t j = 0; j < phases; ++j)
        if (counts[j] > 0)
            f.phaseAverages[j] = float(double(sums[j]) / counts[j]);
    return f;
}

std::vector<float> boxStatistics(const std::vector<float> &values, bool skipZeros)
{
    std::vector<float> v;
    v.reserve(values.size());
    for (float x : values) {
        if (std::isnan(x) || (skipZeros && x == 0.0f))
            continue;
        v.push_back(x);
    }
    if (v.empty())
        return std::vector<float>(7, 0.0f);

    std::sort(v.begin(), v.end());
    const int m = int(v.size());
    float sum = 0.0f;
    for (float x : v)
        sum += x;
    const float mean = sum / float(m);
    float sq = 0.0f;
    for (float x : v)
        sq += (x - mean) * (x - mean);
    const float dev = std::sqrt(sq / float(m));

    if (m == 5)
        return {v[4], v[3], v[2], v[1], v[0], mean, dev};
    if (m == 1)
        return {v[0], v[0], v[0], v[0], v[0], mean, 0.0f};

    std::vector<float> kept;
    if (dev != 0.0f) {
        for (float x : v)
            if (x - mean < 3.0f * dev)
                kept.push_back(x);
    } else {
        kept = v;
    }
    if (kept.empty())
        return std::vector<float>(7, 0.0f);

    const int k = int(kept.size());
    const int h = k / 2;
    const float smallest = kept.front();
    const float largest = kept.back();
    const float median = (k % 2) ? kept[h] : (kept[h - 1] + kept[h]) * 0.5f;
    float lower = smallest;
    float upper = largest;
    if (k >= 4) {
        const int i1 = h / 2;
        const int i3 = (3 * h) / 2;
        if (h % 2 == 0) {
            lower = (kept[i1 - 1] + kept[i1]) * 0.5f;
            upper = (kept[i3 - 1] + kept[i3]) * 0.5f;
        } else {
            lower = kept[i1];
            upper = kept[i3];
        }
    }
    return {largest, upper, median, lower, smallest, mean, dev};
}

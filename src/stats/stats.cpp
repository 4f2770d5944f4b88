#include "stats/stats.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

float trimmedAverage(const std::vector<float> &values, bool dnfRule)
{
    const int n = int(values.size());
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
    if (dnfRule && dnfs >= 2)
        return 0.0f;
    const int divisor = n - std::max(dnfs, 1) - 1;
    if (divisor <= 0)
        return 0.0f;
    const float w = dnfs == 0 ? worst : 0.0f;
    return (sum - best - w) / float(divisor);
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

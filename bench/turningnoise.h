#ifndef CADENZA_TURNINGNOISE_H
#define CADENZA_TURNINGNOISE_H

// A model of fast turning for the word benchmarks and the microphone tests:
// samples at 8000 Hz, -1..1.

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace turningnoise {

constexpr int turningRate = 8000;

// Gaussian noise of standard deviation sigma reads as a block level of about
// 0.674 * sigma * 100 (the median distance from the midpoint, in percent).
inline float sigmaForLevel(float level) { return level / 67.45f; }

// Fast turning: a click per turn, noise under an exponentially decaying
// envelope lasting 5-40 ms, scaled so that the click's first 10 ms (or all of
// it, when shorter) read as a level of 0.5 to 2.5 times the threshold, at 8-20
// turns a second (the pace changes every second; other paces can be asked
// for), over a hiss of level 0.3 (or another).
inline std::vector<float> fastTurning(int seconds, unsigned seed, float voice, float minPace = 8.0f, float maxPace = 20.0f,
                                      float hiss = 0.3f)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    std::normal_distribution<float> g(0.0f, 1.0f);
    const int n = seconds * turningRate;
    std::vector<float> x(static_cast<std::size_t>(n));
    for (float &s : x)
        s = sigmaForLevel(hiss) * g(rng);
    double at = 0.0;
    int second = -1;
    float pace = 12.0f;
    std::vector<float> click, head;
    while (at < n) {
        if (int(at) / turningRate != second) {
            second = int(at) / turningRate;
            pace = minPace + (maxPace - minPace) * u(rng);
        }
        const int length = int((0.005f + 0.035f * u(rng)) * turningRate);
        const float tau = float(length) / 3.0f;
        click.resize(std::size_t(length));
        for (int k = 0; k < length; ++k)
            click[std::size_t(k)] = std::exp(-float(k) / tau) * g(rng);
        head.clear();
        for (int k = 0; k < std::min(length, turningRate / 100); ++k)
            head.push_back(std::fabs(click[std::size_t(k)]));
        std::nth_element(head.begin(), head.begin() + std::ptrdiff_t(head.size() / 2), head.end());
        const float scale = voice * (0.5f + 2.0f * u(rng)) / 100.0f / head[head.size() / 2];
        for (int k = 0; k < length && int(at) + k < n; ++k)
            x[std::size_t(int(at) + k)] += scale * click[std::size_t(k)];
        at += double(turningRate) / double(pace) * (0.7 + 0.6 * double(u(rng)));
    }
    return x;
}

} // namespace turningnoise

#endif

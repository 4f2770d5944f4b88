// Cost of the sound analyses that every 10 ms tick runs over the whole level
// record of the running solve: pause detection, voice onsets and split times
// (the CFOP mode, as the live status lines use them). Prints, for records of
// 1, 10 and 60 minutes, the median and the worst of many repetitions.
//
//   bench_analysis [repetitions]

#include "audio/analysis.h"
#include "benchutil.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

// A record that looks like a solve: turning noise (levels 0.8 to 3), a pause
// every few seconds and a word (levels 10 to 40 for 250 ms) now and then.
void makeRecord(int samples, std::vector<float> &levels, std::vector<qint32> &times)
{
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> noise(0.8f, 3.0f), voice(10.0f, 40.0f);
    levels.resize(std::size_t(samples));
    times.resize(std::size_t(samples));
    for (int i = 0; i < samples; ++i) {
        const int phase = i % 700;
        float v;
        if (phase >= 300 && phase < 340)
            v = 0.01f; // 400 ms pause
        else if (phase >= 500 && phase < 525)
            v = voice(rng); // a word
        else
            v = noise(rng);
        levels[std::size_t(i)] = v;
        times[std::size_t(i)] = 10 * (i + 1) + int(rng() % 3);
    }
}

volatile qint64 sink;

// One tick's analyses over the whole record, `reps` times.
bench::Samples tickCost(int reps, const std::vector<float> &levels, const std::vector<qint32> &times, int maxOnsets)
{
    const float silence = analysis::effectiveThreshold(0.4, false);
    const float voice = analysis::effectiveThreshold(5.0, false);
    return bench::measure(reps, [&] {
        const PauseStats p = analysis::pauseStats(levels, silence, false);
        const std::vector<qint32> onsets = analysis::voiceOnsets(levels, voice, maxOnsets);
        sink = p.pauseCount + qint64(analysis::splitTimes(times, onsets).size());
    });
}

} // namespace

int main(int argc, char **argv)
{
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::printf("per-tick analysis cost (pause stats + voice onsets + split times over the whole record)\n");
    std::printf("%-10s %10s %12s %12s\n", "record", "samples", "median ms", "max ms");
    for (const int minutes : {1, 10, 60}) {
        const int samples = minutes * 60 * 100;
        std::vector<float> levels;
        std::vector<qint32> times;
        makeRecord(samples, levels, times);
        const std::vector<double> ms = tickCost(reps, levels, times, analysis::cfopMaxOnsets).wallMs;
        std::printf("%3d min    %10d %12.4f %12.4f\n", minutes, samples, bench::percentile(ms, 0.5),
                    bench::percentile(ms, 1.0));
        if (minutes == 60) {
            // The free splits mode walks the whole record for onsets (no early stop).
            const std::vector<double> free = tickCost(reps, levels, times, 0).wallMs;
            std::printf("60 min, free splits mode: median %.4f ms, max %.4f ms\n", bench::percentile(free, 0.5),
                        bench::percentile(free, 1.0));
        }
    }
    return 0;
}

// Cost of the sound analyses that every 10 ms tick runs over the whole level
// record of the running solve: pause detection, voice onsets and split times
// (the CFOP mode, as the live status lines use them). Prints, for records of
// 1, 10 and 60 minutes, the median and the worst of many repetitions.
//
//   bench_analysis [repetitions]

#include "audio/analysis.h"

#include <QElapsedTimer>
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

} // namespace

int main(int argc, char **argv)
{
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::printf("per-tick analysis cost (pause stats + voice onsets + split times over the whole record)\n");
    std::printf("%-10s %10s %12s %12s %12s\n", "record", "samples", "median ms", "mean ms", "max ms");
    for (const int minutes : {1, 10, 60}) {
        const int samples = minutes * 60 * 100;
        std::vector<float> levels;
        std::vector<qint32> times;
        makeRecord(samples, levels, times);
        const float silence = analysis::effectiveThreshold(0.4, false);
        const float voice = analysis::effectiveThreshold(5.0, false);

        std::vector<double> ms;
        ms.reserve(std::size_t(reps));
        for (int r = 0; r < reps; ++r) {
            QElapsedTimer t;
            t.start();
            const PauseStats p = analysis::pauseStats(levels, silence, false);
            const std::vector<qint32> onsets = analysis::voiceOnsets(levels, voice, analysis::cfopMaxOnsets);
            const std::vector<qint32> splits = analysis::splitTimes(times, onsets);
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
            sink = p.pauseCount + qint64(splits.size());
        }
        std::sort(ms.begin(), ms.end());
        double sum = 0;
        for (double v : ms)
            sum += v;
        std::printf("%3d min    %10d %12.4f %12.4f %12.4f\n", minutes, samples, ms[ms.size() / 2],
                    sum / double(ms.size()), ms.back());
    }
    // The free splits mode walks the whole record for onsets (no early stop).
    {
        const int samples = 60 * 60 * 100;
        std::vector<float> levels;
        std::vector<qint32> times;
        makeRecord(samples, levels, times);
        std::vector<double> ms;
        for (int r = 0; r < reps; ++r) {
            QElapsedTimer t;
            t.start();
            const PauseStats p = analysis::pauseStats(levels, 0.4f, false);
            const std::vector<qint32> onsets = analysis::voiceOnsets(levels, 5.0f, 0);
            const std::vector<qint32> splits = analysis::splitTimes(times, onsets);
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
            sink = p.pauseCount + qint64(splits.size());
        }
        std::sort(ms.begin(), ms.end());
        std::printf("60 min, free splits mode: median %.4f ms, max %.4f ms\n", ms[ms.size() / 2], ms.back());
    }
    return 0;
}

#ifndef CADENZA_BENCHUTIL_H
#define CADENZA_BENCHUTIL_H

// What the benchmark programs share: clocks, order statistics and the guard
// that keeps a benchmark which builds the window inside run-isolated.sh.

#include <QByteArray>
#include <QElapsedTimer>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <time.h>
#include <vector>

namespace bench {

// CPU time of this thread in milliseconds, which a busy machine does not inflate.
inline double threadCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// The value below which a share p (0..1) of the samples lies; 0.5 is the median.
inline double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

struct Samples
{
    std::vector<double> wallMs, cpuMs;
};

// Runs `work` `runs` times, recording wall-clock and thread CPU time of each run.
template <typename F>
Samples measure(int runs, F work)
{
    Samples s;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer clock;
        const double cpu0 = threadCpuMs();
        clock.start();
        work();
        s.wallMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        s.cpuMs.push_back(threadCpuMs() - cpu0);
    }
    return s;
}

// The window reads and writes the session in the data folder and the settings.
inline bool isolated()
{
    if (qgetenv("CADENZA_ISOLATED") == "1")
        return true;
    std::fprintf(stderr, "run through tests/run-isolated.sh: the window uses the session in the data folder and the settings\n");
    return false;
}

} // namespace bench

#endif

// Square-1 scrambles: how long the search tables take to build, how long a
// random-state scramble takes (draw a state, search a solution), how many
// slices and layer turns they have, and how often the search gives up and a
// random-move scramble stands in.

#include "puzzle/square1.h"
#include "benchutil.h"

#include <cstdio>
#include <cstdlib>
#include <map>

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 1000;

    std::shared_ptr<const square1::Tables> tables;
    const bench::Samples build = bench::measure(3, [&] { tables = square1::buildTables(); });
    std::printf("table build:   median %.0f ms wall, %.0f ms CPU (of 3 builds; max %.0f ms wall)\n",
                bench::percentile(build.wallMs, 0.5), bench::percentile(build.cpuMs, 0.5),
                bench::percentile(build.wallMs, 1.0));

    std::mt19937_64 rng(20261207);
    std::map<int, int> slices, turns;
    int fallbacks = 0;
    const bench::Samples s = bench::measure(runs, [&] {
        const square1::RandomScramble r = square1::randomStateScramble(*tables, rng);
        fallbacks += !r.randomState;
        const int n = square1::sliceCount(r.moves);
        ++slices[n];
        int layerTurns = n; // each nonzero top or bottom amount and each slice
        for (const square1::Move &m : r.moves)
            layerTurns += m.slice ? 0 : (m.top != 0) + (m.bottom != 0);
        ++turns[layerTurns];
    });
    std::printf("scramble (%d): median %.1f ms, p99 %.1f ms, max %.1f ms wall; CPU median %.1f ms, p99 %.1f ms, max %.1f ms\n",
                runs, bench::percentile(s.wallMs, 0.5), bench::percentile(s.wallMs, 0.99),
                bench::percentile(s.wallMs, 1.0), bench::percentile(s.cpuMs, 0.5), bench::percentile(s.cpuMs, 0.99),
                bench::percentile(s.cpuMs, 1.0));
    std::printf("random-move stand-ins: %d of %d\n", fallbacks, runs);
    std::printf("slices:");
    for (const auto &[n, count] : slices)
        std::printf(" %d:%d", n, count);
    std::printf("\nlayer turns (nonzero top, nonzero bottom, slices):");
    for (const auto &[n, count] : turns)
        std::printf(" %d:%d", n, count);
    std::printf("\n");
    return 0;
}

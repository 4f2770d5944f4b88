// Random-state scrambles: how long the search tables take to build, and how
// long one scramble takes (draw a state, solve it in at most 21 moves).

#include "puzzle/twophase.h"
#include "benchutil.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 1000;

    std::shared_ptr<const twophase::Tables> tables;
    const bench::Samples build = bench::measure(3, [&] { tables = twophase::buildTables(); });
    std::printf("table build:   median %.0f ms wall, %.0f ms CPU (of 3 builds; max %.0f ms wall)\n",
                bench::percentile(build.wallMs, 0.5), bench::percentile(build.cpuMs, 0.5),
                bench::percentile(build.wallMs, 1.0));

    std::mt19937_64 rng(20261206);
    int longest = 0;
    long total = 0;
    const bench::Samples s = bench::measure(runs, [&] {
        const twophase::RandomScramble r = twophase::randomStateScramble(*tables, rng);
        longest = std::max(longest, int(r.moves.size()));
        total += long(r.moves.size());
    });
    std::printf("scramble (%d): median %.1f ms, p99 %.1f ms, max %.1f ms wall; CPU median %.1f ms, p99 %.1f ms\n", runs,
                bench::percentile(s.wallMs, 0.5), bench::percentile(s.wallMs, 0.99), bench::percentile(s.wallMs, 1.0),
                bench::percentile(s.cpuMs, 0.5), bench::percentile(s.cpuMs, 0.99));
    double wallSum = 0, cpuSum = 0;
    for (std::size_t i = 0; i < s.wallMs.size(); ++i) {
        wallSum += s.wallMs[i];
        cpuSum += s.cpuMs[i];
    }
    std::printf("scramble mean: %.1f ms wall, %.1f ms CPU\n", wallSum / runs, cpuSum / runs);
    std::printf("lengths: mean %.2f moves, longest %d\n", double(total) / runs, longest);
    return 0;
}

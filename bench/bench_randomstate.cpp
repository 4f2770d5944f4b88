// Random-state scrambles of every event that has them: how long each
// event's tables take to build, and how long one scramble takes (median, 99th
// percentile, worst). Then the window's side: `takes` scrambles taken from
// the background scrambler back to back, as if every solve took no time at
// all, which is when a stop waits longest for the next 3x3x3 scramble.
//
//   bench_randomstate [runs per event, default 1000] [takes, default 1000]

#include "benchutil.h"
#include "puzzle/clock.h"
#include "puzzle/eventscramble.h"
#include "puzzle/randomscrambler.h"
#include "puzzle/twophase.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

void report(const char *what, const bench::Samples &s)
{
    std::printf("%-9s scramble (%zu): median %.3f ms, p99 %.3f ms, worst %.3f ms wall; CPU median %.3f, p99 %.3f, worst %.3f ms\n",
                what, s.wallMs.size(), bench::percentile(s.wallMs, 0.5), bench::percentile(s.wallMs, 0.99),
                bench::percentile(s.wallMs, 1.0), bench::percentile(s.cpuMs, 0.5), bench::percentile(s.cpuMs, 0.99),
                bench::percentile(s.cpuMs, 1.0));
}

void reportBuild(const char *what, const bench::Samples &b)
{
    std::printf("%-9s tables: %.0f ms wall, %.0f ms CPU\n", what, bench::percentile(b.wallMs, 1.0),
                bench::percentile(b.cpuMs, 1.0));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int takes = argc > 2 ? std::atoi(argv[2]) : 1000;
    std::mt19937_64 rng(20261206);

    // 3x3x3: two-phase tables, and the search with its node budget.
    std::shared_ptr<const twophase::Tables> tables;
    reportBuild("3x3x3", bench::measure(1, [&] { tables = twophase::buildTables(); }));
    int fallbacks = 0, longest = 0;
    report("3x3x3", bench::measure(runs, [&] {
        const twophase::RandomScramble r = twophase::randomStateScramble(*tables, rng);
        fallbacks += !r.randomState;
        longest = std::max(longest, int(r.moves.size()));
    }));
    std::printf("          %d of %d searches ran out of their %llu nodes; longest scramble %d moves\n", fallbacks, runs,
                static_cast<unsigned long long>(twophase::scrambleNodeBudget), longest);

    for (const events::Event e : {events::Event::Cube222, events::Event::Pyraminx, events::Event::Skewb}) {
        const QByteArray name = eventName(e).toUtf8();
        std::shared_ptr<const statetables::Tables> t;
        reportBuild(name.constData(), bench::measure(1, [&] { t = eventscramble::buildStateTables(e); }));
        int words = 0;
        report(name.constData(), bench::measure(runs, [&] {
            words = std::max(words, int(eventscramble::randomStateScramble(e, *t, rng).text.split(' ').size()));
        }));
        std::printf("          longest scramble %d moves\n", words);
    }
    report("Clock", bench::measure(runs, [&] { clockpuzzle::randomStateScramble(rng); }));

    // The window's side: the scrambler waits at most RandomStateScrambler::maxWaitMs for a scramble.
    RandomStateScrambler scrambler;
    QEventLoop loop;
    QObject::connect(&scrambler, &RandomStateScrambler::tablesReady, &loop, &QEventLoop::quit);
    scrambler.start(events::Event::Cube333);
    loop.exec();
    int served = 0;
    const bench::Samples waits = bench::measure(takes, [&] {
        scrambler.next(events::Event::Cube333, true);
        served += scrambler.lastWasRandomState();
    });
    const long over = std::count_if(waits.wallMs.begin(), waits.wallMs.end(), [](double ms) { return ms > 50; });
    std::printf("3x3x3 taken back to back (%d): median wait %.2f ms, p99 %.2f ms, worst %.2f ms wall (%ld over 50 ms), "
                "worst %.2f ms CPU; %d random-state, %d from the move generator while the search ran on\n",
                takes, bench::percentile(waits.wallMs, 0.5), bench::percentile(waits.wallMs, 0.99),
                bench::percentile(waits.wallMs, 1.0), over, bench::percentile(waits.cpuMs, 1.0), served, takes - served);
    return 0;
}

// Timing of the statistics: computeSessionStats alone, and a whole
// updateHistory (figure labels, statistics line, history rows, repaint) on a
// shown window, at 1,000, 10,000 and 100,000 solves with DNFs, +2s, splits
// and pauses. Prints the median of several runs for each, as wall-clock time
// and as the process's CPU time (which other programs sharing the machine
// disturb less). The repaint of the whole window, which updateHistory ends
// with, is also timed on its own: it is the painted charts' share.
//
// Constructing the window reads and writes the session in the data folder and
// the settings store, so run this only through the isolating wrapper, which
// gives it a private /tmp, data and settings folder:
//   QT_QPA_PLATFORM=offscreen sh tests/run-isolated.sh ./build-NAME/bench/bench_stats
#include "benchutil.h"
#include "app/cadenza.h"
#include "stats/stats.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QDateTime>
#include <algorithm>
#include <cstdio>
#include <random>

namespace {

void fillSession(Cadenza &w, int n)
{
    std::mt19937 rng(12345);
    w.times.clear();
    w.dates.clear();
    w.pauseStats.clear();
    w.splits.clear();
    w.scrambles.clear();
    w.penalties.clear();
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    // One solve every few minutes, going back in time: the older ones span
    // many days and weeks.
    qint64 date = now - qint64(n) * 300;
    for (int i = 0; i < n; ++i) {
        date += 60 + qint64(rng() % 480);
        const float t = float(8000 + int(rng() % 12000));
        w.times.push_back(t);
        w.dates.push_back(date);
        PauseStats p;
        if (rng() % 3 != 0) {
            p.idleFraction = float(rng() % 40) / 100.0f;
            p.pauseCount = int(rng() % 6);
        }
        w.pauseStats.push_back(p);
        std::vector<qint32> s;
        if (rng() % 2 == 0)
            s = {qint32(1000 + rng() % 2000), qint32(3000 + rng() % 4000), qint32(1500 + rng() % 2000),
                 qint32(800 + rng() % 1500)};
        w.splits.push_back(s);
        w.scrambles.append(QStringLiteral("R U R' U' F2 D L2 B' R2 U2 F"));
        const unsigned r = rng() % 100;
        w.penalties.push_back(r < 3 ? -1 : (r < 8 ? 1 : 0));
    }
}

struct Timing
{
    double wall;
    double cpu;
};

template <typename F>
Timing median(int runs, F f)
{
    const bench::Samples s = bench::measure(runs, f);
    return {bench::percentile(s.wallMs, 0.5), bench::percentile(s.cpuMs, 0.5)};
}

} // namespace

int main(int argc, char **argv)
{
    if (!bench::isolated())
        return 2;
    QApplication app(argc, argv);
    Cadenza w;
    w.resize(1200, 900);
    w.show();
    app.processEvents();
    w.ui->splitsCombo->setCurrentIndex(1);

    const int sizes[] = {1000, 10000, 100000};
    Timing stats[3], history[3], windowRepaint[3];
    for (int s = 0; s < 3; ++s) {
        fillSession(w, sizes[s]);
        volatile float sink = 0.0f;
        stats[s] = median(21, [&] { sink = sink + computeSessionStats(w.times, w.penalties)[BestAo100]; });
        w.updateHistory(); // first fill of the list
        app.processEvents();
        w.ui->historyList->setCurrentRow(3);
        history[s] = median(9, [&] { w.updateHistory(); });
        windowRepaint[s] = median(9, [&] { w.repaint(); });
        app.processEvents();
    }
    std::printf("%-36s %10s %10s %10s\n", "median ms (wall / cpu)", "1000", "10000", "100000");
    auto row = [](const char *what, const Timing *t) {
        std::printf("%-36s", what);
        for (int s = 0; s < 3; ++s)
            std::printf(" %5.1f/%4.1f", t[s].wall, t[s].cpu);
        std::printf("\n");
    };
    row("computeSessionStats", stats);
    row("updateHistory (whole)", history);
    row("  of which window repaint (charts)", windowRepaint);
    return 0;
}

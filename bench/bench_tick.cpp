// One whole Solves-mode refresh tick at 1, 10 and 30 minutes of level record:
// the sample appended to the record, the status lines (pause and split
// analyses over the whole record, label texts) and the immediate repaints of
// the clock and pause labels, the solve timeline and the level graph.
//
// It constructs the window, which reads and writes the session in the data folder:
// run it only through the isolated runner, which gives it a private one:
//
//     QT_QPA_PLATFORM=offscreen sh tests/run-isolated.sh build/bench/bench_tick
//
// The tick's body is the one of the window's timer event, given the elapsed
// time a solve of that length has (the solve clock of a benchmark cannot be
// started half an hour ago).
#include "benchutil.h"
#include "app/cadenza.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <random>
#include <time.h>

namespace {

void fillRecord(Cadenza &w, int samples)
{
    std::mt19937 gen(1);
    std::uniform_int_distribution<int> soundRun(20, 300), silentRun(3, 120);
    std::uniform_real_distribution<float> loud(0.6f, 12.0f);
    w.levels.clear();
    w.levelTimes.clear();
    bool sound = true;
    while (int(w.levels.size()) < samples) {
        const int run = sound ? soundRun(gen) : silentRun(gen);
        for (int i = 0; i < run && int(w.levels.size()) < samples; ++i) {
            w.levels.push_back(sound ? loud(gen) : 0.05f);
            w.levelTimes.push_back(10 * int(w.levels.size()));
        }
        sound = !sound;
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (!bench::isolated())
        return 2;
    QApplication app(argc, argv);
    Cadenza w;
    w.resize(1000, 800);
    w.show();
    QApplication::processEvents();
    std::printf("timeline %dx%d px, graph %dx%d px\n", w.ui->timerDisplay->width(), w.ui->timerDisplay->height(),
                w.ui->audioGraph->width(), w.ui->audioGraph->height());

    const int ticks = 400;
    for (int splits : {0, 1}) {
        w.ui->splitsCombo->setCurrentIndex(splits);
        for (int minutes : {1, 10, 30}) {
            fillRecord(w, minutes * 60 * 100);
            w.running = true;
            std::vector<double> us, cpu;
            for (int k = 0; k < ticks + 20; ++k) {
                QElapsedTimer clock;
                clock.start();
                const double cpu0 = bench::threadCpuMs();
                const qint32 t = w.levelTimes.back() + 10;
                w.levels.push_back(0.3f);
                w.levelTimes.push_back(t);
                w.updateStatusLines(t);
                w.ui->audioGraph->repaint();
                if (k >= 20) {
                    us.push_back(double(clock.nsecsElapsed()) / 1000.0);
                    cpu.push_back((bench::threadCpuMs() - cpu0) * 1000.0);
                }
            }
            w.running = false;
            std::printf("%s, %2d min (%6zu samples): wall median %7.1f us, p99 %7.1f us, max %7.1f us;"
                        " cpu median %7.1f us, p99 %7.1f us\n",
                        splits ? "CFOP splits" : "no splits  ", minutes, w.levels.size(), bench::percentile(us, 0.5),
                        bench::percentile(us, 0.99), bench::percentile(us, 1.0), bench::percentile(cpu, 0.5), bench::percentile(cpu, 0.99));
        }
    }
    w.levels.clear();
    w.levelTimes.clear();
    return 0;
}

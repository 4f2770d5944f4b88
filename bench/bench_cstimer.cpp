// Import and export speed of csTimer files.
//
// This benchmark constructs the main window (which reads and writes the fixed
// autosave path), so run it through the isolated runner from the source tree:
//
//   sh tests/run-isolated.sh build/bench/bench_cstimer [csTimer-file]
//
// The default file is the 21,782-solve real export of the shared data. Printed
// figures: the import of all its sessions into an empty session (read, parse,
// merge, date sort, history refresh) and the export of 100,000 solves, each the
// median of several runs.
#include "benchutil.h"
#include "app/cadenza.h"
#include "exchange/cstimer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void report(const char *what, const std::vector<double> &ms)
{
    std::printf("%-58s median %8.1f ms  min %8.1f  max %8.1f  (%zu runs)\n", what, bench::percentile(ms, 0.5),
                bench::percentile(ms, 0.0), bench::percentile(ms, 1.0), ms.size());
}

} // namespace

int main(int argc, char **argv)
{
    if (!bench::isolated())
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
                                        "/../../shared/data/cstimer/cstimer_116sessions_21782solves_virtualcube_moves.txt";
    if (!QFile::exists(path)) {
        std::fprintf(stderr, "no csTimer file at %s\n", qPrintable(path));
        return 1;
    }

    Cadenza w;
    const int runs = 9;
    std::vector<double> importMs, parseMs, refreshMs, autosaveMs;
    int imported = 0;
    for (int r = 0; r < runs; ++r) {
        w.replaceSession(SessionData{});
        QElapsedTimer clock;
        clock.start();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const std::optional<CSTimerFile> parsed = parseCSTimerFile(file.readAll());
        if (!parsed)
            return 1;
        const SessionData chosen = cstimerChosenSolves(*parsed, 0);
        parseMs.push_back(clock.nsecsElapsed() / 1e6);
        w.replaceSession(mergeInDateOrder(w.sessionView(), chosen));
        const qint64 beforeRefresh = clock.nsecsElapsed();
        w.updateHistory();
        importMs.push_back(clock.nsecsElapsed() / 1e6);
        refreshMs.push_back((clock.nsecsElapsed() - beforeRefresh) / 1e6);
        // The import then saves the session, as every session change does.
        const qint64 beforeSave = clock.nsecsElapsed();
        w.autosave();
        autosaveMs.push_back((clock.nsecsElapsed() - beforeSave) / 1e6);
        imported = int(w.times.size());
    }
    std::printf("file %s: %d solves imported\n", qPrintable(QFileInfo(path).fileName()), imported);
    report("import, all sessions (read+parse+merge+sort+refresh)", importMs);
    report("  of which read and parse", parseMs);
    report("  of which updateHistory", refreshMs);
    report("then autosave (not in the import figure)", autosaveMs);

    SessionData big;
    for (int i = 0; i < 100000; ++i) {
        std::vector<qint32> parts;
        if (i % 3 == 0)
            parts = {1500 + i % 700, 4000, 3000, 2500};
        big.append(9000 + (i * 7919) % 20000, {}, std::move(parts),
                   QStringLiteral("R U R' U' F2 D L2 B' R2 U2 F' L D2 R' B U' L2 F D' B2"), 1600000000 + i,
                   i % 50 == 0 ? PenaltyDnf : i % 37 == 0 ? PenaltyPlusTwo : PenaltyNone);
    }
    std::vector<double> exportMs;
    qint64 bytes = 0;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer clock;
        clock.start();
        const QByteArray text = formatCSTimerFile(big.view());
        exportMs.push_back(clock.nsecsElapsed() / 1e6);
        bytes = text.size();
    }
    std::printf("export of 100000 solves: %lld bytes\n", static_cast<long long>(bytes));
    report("export of 100000 solves (text build)", exportMs);
    return 0;
}

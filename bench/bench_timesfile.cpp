// Times file figures for a session of 100,000 solves: formatting, parsing,
// the atomic write, a backup copy, and the window's load, save and the stop of
// a solve with its session write. Prints medians in milliseconds.
//
// The window part reads and writes the session in the data folder (put in a
// folder under the working folder, on disk), so it runs only inside the
// isolated runner (private /tmp, home and settings):
//   QT_QPA_PLATFORM=offscreen sh tests/run-isolated.sh BUILD/bench/bench_timesfile
// Outside it only the pure functions and the file writes are measured.

#include "benchutil.h"
#include "app/cadenza.h"
#include "puzzle/scramble.h"
#include "session/sessionstore.h"
#include "session/timesfile.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int solves = 100000;
constexpr int rounds = 11;

double medianMs(const std::function<void()> &work, int n = rounds)
{
    return bench::percentile(bench::measure(n, work).wallMs, 0.5);
}

SessionData makeSession()
{
    std::mt19937 rng(1);
    SessionData s;
    for (int i = 0; i < solves; ++i) {
        std::vector<qint32> sp;
        if (i % 3 == 0)
            sp = {int(rng() % 5000), int(rng() % 9000), int(rng() % 5000), int(rng() % 3000)};
        s.append(float(5000 + rng() % 40000), {float(rng() % 1000) / 1000.0f, int(rng() % 12)}, sp,
                 makeScramble([&] { return int(rng() >> 1); }), 1700000000 + i * 60, i % 50 == 0 ? 1 : 0);
    }
    return s;
}

void line(const char *what, double ms)
{
    std::printf("%-58s %9.2f ms\n", what, ms);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const SessionData session = makeSession();
    QByteArray text;
    std::printf("times file with %d solves, median of %d runs\n", solves, rounds);

    line("format (pure)", medianMs([&] { text = formatTimesFile(session.view()); }));
    std::printf("%-58s %9.2f MB\n", "file size", double(text.size()) / 1e6);
    line("parse (pure)", medianMs([&] { parseTimesFile(text, 0); }));

    QTemporaryDir disk(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    QTemporaryDir tmp;
    for (const QTemporaryDir *dir : {&disk, &tmp}) {
        const QString path = dir->filePath(QStringLiteral("bench.times"));
        const QByteArray where = dir == &disk ? "working folder" : "temp folder";
        line(("atomic write, " + where).constData(), medianMs([&] { writeFileAtomically(path, text); }));
        line(("atomic write replacing a link, " + where).constData(),
             medianMs([&] { writeFileAtomically(path, text, true); }));
        // A backup as the window makes it: the session's own bytes, read and
        // written atomically into the backups folder (then pruned).
        QDateTime when = QDateTime::currentDateTime();
        line(("backup copy, " + where).constData(), medianMs([&] {
                 backupSessionFile(path, dir->filePath(QStringLiteral("backups")), when = when.addSecs(1));
             }));
        line(("read + parse, " + where).constData(), medianMs([&] {
                 QFile f(path);
                 f.open(QIODevice::ReadOnly);
                 parseTimesFile(f.readAll(), 0);
             }));
    }

    if (qgetenv("CADENZA_ISOLATED") != "1") {
        std::printf("(window figures skipped: run through tests/run-isolated.sh)\n");
        return 0;
    }

    qputenv("XDG_DATA_HOME", QFile::encodeName(disk.filePath(QStringLiteral("data"))));
    Cadenza w;
    std::printf("session file: %s\n", qPrintable(Cadenza::sessionFilePath()));
    const QString file = tmp.filePath(QStringLiteral("session.times"));
    writeFileAtomically(file, text);
    // The load includes the refresh of the history list and statistics.
    line("window: loadTimes (with updateHistory)", medianMs([&] { w.loadTimes(file); }, 5));
    line("window: saveTimes", medianMs([&] { w.saveTimes(file); }));
    line("window: session write (autosave)", medianMs([&] { w.autosave(); }));
    // The check whether a write leaves out solves of the file: the keys of
    // 100,000 solves, compared in the common case (solves added) and in the
    // worst (an edit in the middle: both sorted).
    const SessionView view = w.sessionView();
    line("solve keys of the session", medianMs([&] { solveKeys(view); }));
    std::vector<quint64> keys = solveKeys(view), before = keys, fewer = keys;
    before.pop_back();
    fewer.erase(fewer.begin() + long(fewer.size() / 2));
    line("keepsEverySolve, a solve added", medianMs([&] { keepsEverySolve(before, keys); }));
    line("keepsEverySolve, one removed (sorted compare)", medianMs([&] { keepsEverySolve(keys, fewer); }));

    // The stop of a solve with 100,000 solves in the session: everything the
    // stop does (status, pause figures, history refresh, autosave).
    std::vector<double> stops;
    for (int i = 0; i < 5; ++i) {
        w.on_startButton_clicked();
        QElapsedTimer t;
        t.start();
        w.on_startButton_clicked();
        stops.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(stops.begin(), stops.end());
    line("window: stop of a solve, total (incl. session write)", stops[stops.size() / 2]);
    return 0;
}

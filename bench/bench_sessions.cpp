// Several sessions: the start-up with 100 sessions against one, switching to
// a session of 100,000 solves, importing the real 116-session csTimer file as
// separate sessions, and exporting all sessions at 100,000 solves in total.
// Prints medians (wall clock) in milliseconds. It builds the window, which
// reads and writes the data folder (put on disk under the working folder), so
// it runs inside the isolated runner:
//   QT_QPA_PLATFORM=offscreen sh tests/run-isolated.sh BUILD/bench/bench_sessions [shared-data-folder]

#include "benchutil.h"
#include "app/cadenza.h"
#include "exchange/cstimer.h"
#include "puzzle/scramble.h"
#include "session/sessionindex.h"
#include "session/sessionstore.h"
#include "session/timesfile.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <random>

namespace {

SessionData makeSession(int n, unsigned seed)
{
    std::mt19937 rng(seed);
    SessionData s;
    for (int i = 0; i < n; ++i)
        s.append(float(5000 + rng() % 40000), {float(rng() % 1000) / 1000.0f, int(rng() % 12)}, {},
                 makeScramble([&] { return int(rng() >> 1); }), 1700000000 + i * 60, 0);
    return s;
}

void writeSession(const QString &file, const SessionData &s)
{
    writeFileAtomically(sessionFolder() + QLatin1Char('/') + file, formatTimesFile(s.view()));
}

// A data folder of `count` sessions of `each` solves, the first one current.
void makeProfile(int count, const SessionData &each)
{
    QDir(sessionFolder()).removeRecursively();
    ensurePrivateFolder(sessionFolder());
    sessionindex::Index index;
    for (int i = 0; i < count; ++i) {
        sessionindex::Entry e;
        e.file = i == 0 ? sessionindex::firstFile : QStringLiteral("session-%1.times").arg(i + 1);
        e.name = QStringLiteral("Session %1").arg(i + 1);
        index.sessions.push_back(e);
        writeSession(e.file, each);
    }
    writeFileAtomically(sessionFolder() + QLatin1Char('/') + sessionindex::indexFile, sessionindex::format(index));
}

double median(const std::vector<double> &v)
{
    return bench::percentile(v, 0.5);
}

void line(const char *what, double ms, double limit)
{
    std::printf("%-64s %9.1f ms   (aim: %g ms or less)\n", what, ms, limit);
}

} // namespace

int main(int argc, char **argv)
{
    if (!bench::isolated())
        return 1;
    QApplication app(argc, argv);
    // The data folder on disk (the runner's /tmp is in memory): in a folder
    // made under the working folder.
    QTemporaryDir disk(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(disk.filePath(QStringLiteral("data"))));
    std::printf("data folder: %s\n", qPrintable(sessionFolder()));
    const QString shared = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(CADENZA_SHARED_DATA);

    // Start-up: only the current session is read, whatever the others hold.
    const SessionData thousand = makeSession(1000, 1);
    std::vector<double> one, hundred;
    for (int round = 0; round < 5; ++round) {
        for (const int count : {1, 100}) {
            makeProfile(count, thousand);
            QElapsedTimer t;
            t.start();
            {
                Cadenza w;
                (count == 1 ? one : hundred).push_back(double(t.nsecsElapsed()) / 1e6);
            }
        }
    }
    std::printf("start-up, current session of 1,000 solves: 1 session %.1f ms, 100 sessions %.1f ms (ratio %.2f, aim 1.2 or less)\n",
                median(one), median(hundred), median(hundred) / median(one));

    // Switching from a small session to one of 100,000 solves and back.
    makeProfile(1, SessionData());
    {
        Cadenza w;
        const SessionData big = makeSession(100000, 2);
        w.createSession(QStringLiteral("big"), events::Event::Cube333);
        w.replaceSession(SessionData(big));
        w.autosave();
        w.switchSession(0);
        std::vector<double> toBig;
        for (int i = 0; i < 11; ++i) {
            QElapsedTimer t;
            t.start();
            w.switchSession(1);
            toBig.push_back(double(t.nsecsElapsed()) / 1e6);
            w.switchSession(0);
        }
        line("switch to a session of 100,000 solves (median of 11)", median(toBig), 150);

        // Exporting all sessions, 100,000 solves in all (ten of 10,000).
        makeProfile(10, makeSession(10000, 3));
    }
    {
        Cadenza w;
        std::vector<double> exports;
        for (int i = 0; i < 7; ++i) {
            QElapsedTimer t;
            t.start();
            w.exportAllSessionsTo(QDir::temp().filePath(QStringLiteral("all.txt")));
            exports.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        line("export all sessions, 100,000 solves in 10 sessions (median of 7)", median(exports), 300);
    }

    // The real 116-session file, read, parsed and imported as separate sessions.
    QFile real(shared + QStringLiteral("/cstimer/cstimer_116sessions_21782solves_virtualcube_moves.txt"));
    if (!real.open(QIODevice::ReadOnly)) {
        std::printf("(no shared csTimer data at %s: import not measured)\n", qPrintable(shared));
        return 0;
    }
    const QByteArray text = real.readAll();
    std::vector<double> imports;
    int sessions = 0;
    for (int i = 0; i < 5; ++i) {
        makeProfile(1, SessionData());
        Cadenza w;
        QElapsedTimer t;
        t.start();
        w.importCSTimerSeparately(*parseCSTimerFile(text));
        imports.push_back(double(t.nsecsElapsed()) / 1e6);
        sessions = int(w.sessionIndex.sessions.size());
    }
    line("import the 116-session csTimer file as separate sessions (median of 5)", median(imports), 1000);
    std::printf("  (%d sessions after the import into an empty profile)\n", sessions);
    return 0;
}

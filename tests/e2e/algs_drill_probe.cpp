// In-process driver for the Algs drill under a real X server and audio
// server, and for the documentation screenshots.
//
//   algs_drill_probe drill
//       Shows the window and runs the event loop; the script sends real keys
//       and clicks. Prints to stdout, one line each:
//         READY store=X,Y remove=X,Y     screen centres of Store and Remove
//         STARTED                         when a run starts
//         STOPPED <pause line>|<durations in s, comma-separated>
//         EDGEGAP <ms>   longest tick interval across a sound/silence edge
//         LABELS <count>|<labels joined by |>      after every change
//   algs_drill_probe screenshots SOLVES.png ALGS.png
//       Fills the window with a made-up session and drill and saves two
//       pictures of it.
//
// It constructs the window (fixed autosave path): run it inside the
// isolated runner, as the end-to-end tests are.
#include "app/cadenza.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QDateTime>
#include <QTimer>
#include <cstdio>
#include <random>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QString centreOf(QWidget *widget)
{
    const QPoint c = widget->mapToGlobal(widget->rect().center());
    return QStringLiteral("%1,%2").arg(c.x()).arg(c.y());
}

// The longest time between two ticks across which the level crossed the
// silence threshold: how far the tick's timing alone may have moved an edge
// of a repetition (a busy machine can hold the tick back).
int largestEdgeGap(const Cadenza &w)
{
    const float threshold = float(w.ui->silenceSpin->value());
    int largest = 0;
    for (std::size_t i = 1; i < w.levels.size(); ++i) {
        const bool crossed = (w.levels[i] >= threshold) != (w.levels[i - 1] >= threshold);
        const int gap = w.levelTimes[i] - w.levelTimes[i - 1];
        if (crossed && gap > largest)
            largest = gap;
    }
    return largest;
}

int drill(QApplication &app)
{
    Cadenza w;
    w.show();
    bool wasRunning = false;
    QStringList lastLabels;
    bool ready = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!ready && w.isVisible() && w.ui->algStoreButton->isVisible()) {
            ready = true;
            say(QStringLiteral("READY store=%1 remove=%2").arg(centreOf(w.ui->algStoreButton), centreOf(w.ui->algRemoveButton)));
        }
        if (!wasRunning && w.running)
            say(QStringLiteral("STARTED"));
        if (wasRunning && !w.running) {
            QStringList reps;
            for (float d : w.findAlgRepetitions())
                reps << QString::number(double(d), 'f', 3);
            say(QStringLiteral("STOPPED %1|%2").arg(w.ui->pauseLabel->text(), reps.join(QLatin1Char(','))));
            say(QStringLiteral("EDGEGAP %1").arg(largestEdgeGap(w)));
        }
        wasRunning = w.running;
        if (w.algLabels != lastLabels) {
            lastLabels = w.algLabels;
            say(QStringLiteral("LABELS %1|%2").arg(lastLabels.size()).arg(lastLabels.join(QLatin1Char('|'))));
        }
    });
    poll.start(20);
    return app.exec();
}

// A level record: runs of (milliseconds, level), one sample per 10 ms.
void record(Cadenza &w, const std::vector<std::pair<int, float>> &runs, std::mt19937 &gen)
{
    std::uniform_real_distribution<float> jitter(0.7f, 1.3f);
    w.levels.clear();
    w.levelTimes.clear();
    int t = 0;
    for (const auto &run : runs)
        for (int ms = 0; ms < run.first; ms += 10) {
            t += 10;
            w.levels.push_back(run.second > 0.2f ? run.second * jitter(gen) : 0.05f);
            w.levelTimes.push_back(t);
        }
}

int screenshots(QApplication &app, const QString &solvesPath, const QString &algsPath)
{
    Cadenza w;
    w.resize(1000, 760);
    w.show();
    std::mt19937 gen(11);
    std::normal_distribution<float> solve(24000.0f, 3500.0f);
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (int i = 0; i < 60; ++i) {
        const int daysAgo = i < 20 ? 9 - i / 4 : (i < 42 ? 3 - (i - 20) / 8 : 0);
        w.times.push_back(std::max(14000.0f, solve(gen)));
        w.dates.push_back(now - qint64(daysAgo) * 86400 - qint64(60 - i) * 120);
        w.pauseStats.push_back({0.1f + float(gen() % 20) / 100.0f, int(gen() % 6)});
        w.splits.push_back({2500, 11000, 4500, 5000});
        w.scrambles << w.generateScramble();
        w.penalties.push_back(i == 17 ? -1 : (i == 33 || i == 51 ? 1 : 0));
    }
    w.ui->splitsCombo->setCurrentIndex(1);
    // One solve of 23.4 s: turning noise, pauses, and three spoken words.
    record(w, {{900, 0.05f}, {1600, 2.5f}, {300, 9.0f}, {2400, 2.0f}, {700, 0.05f}, {4800, 2.2f}, {300, 9.0f},
               {3100, 2.4f}, {500, 0.05f}, {2600, 1.8f}, {300, 9.0f}, {3900, 2.6f}, {1200, 0.05f}, {800, 2.0f}},
           gen);
    w.updateStatusLines(w.levelTimes.back());
    w.updateHistory();
    QApplication::processEvents();
    w.grab().save(solvesPath);

    w.ui->modeSlider->setValue(1);
    w.algSequences = {{1.92f, 1.75f, 1.81f, 2.05f, 1.70f, 1.88f, 1.79f, 1.66f},
                      {2.61f, 2.40f, 2.72f, 2.35f, 2.50f, 2.46f}};
    w.algLabels = QStringList({QStringLiteral("T perm"), QStringLiteral("Y perm")});
    std::vector<std::pair<int, float>> reps;
    for (int ms : {1450, 1390, 1520, 1330, 1410, 1600, 1370, 1350, 1480})
        reps.insert(reps.end(), {{700, 0.05f}, {ms, 2.5f}});
    reps.push_back({700, 0.05f});
    record(w, reps, gen);
    w.updateAlgDisplayHeight();
    w.updateStatusLines(0);
    w.updateHistory();
    QApplication::processEvents();
    w.grab().save(algsPath);
    w.times.clear();
    w.dates.clear();
    w.pauseStats.clear();
    w.splits.clear();
    w.scrambles.clear();
    w.penalties.clear();
    Q_UNUSED(app);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qgetenv("CADENZA_ISOLATED") != "1") {
        std::fprintf(stderr, "run inside tests/run-isolated.sh: the window uses the fixed autosave path\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "drill")
        return drill(app);
    if (mode == "screenshots" && argc == 4)
        return screenshots(app, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    std::fprintf(stderr, "usage: algs_drill_probe drill | screenshots SOLVES.png ALGS.png\n");
    return 2;
}

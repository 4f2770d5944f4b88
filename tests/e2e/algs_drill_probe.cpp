// Shows the window for test_algs_drill.sh, which sends real keys and clicks, and
// prints one line per event:
//   STARTED                        a run started
//   STOPPED <pause line>|<durations in s, comma-separated>
//   READY store=X,Y remove=X,Y     screen centres of Store and Remove, after a stop
//   EDGEGAP <ms>                   longest tick interval across a sound/silence edge
//   LABELS <count>|<labels joined by |>   after every change
// It constructs the window (the session in the data folder): run it inside the isolated runner.
#include "app/cadenza.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

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

// How far a busy machine holding the tick back may alone have moved an edge.
int largestEdgeGap(const Cadenza &w)
{
    const float threshold = float(w.ui->silenceSpin->value());
    int largest = 0;
    for (std::size_t i = 1; i < w.levels.size(); ++i)
        if ((w.levels[i] >= threshold) != (w.levels[i - 1] >= threshold))
            largest = std::max(largest, w.levelTimes[i] - w.levelTimes[i - 1]);
    return largest;
}

} // namespace

int main(int argc, char **argv)
{
    requireIsolation(); // the window reads and writes the session and the settings
    QApplication app(argc, argv);
    Cadenza w;
    w.show();
    bool wasRunning = false;
    QStringList lastLabels;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!wasRunning && w.running)
            say(QStringLiteral("STARTED"));
        if (wasRunning && !w.running) {
            QStringList reps;
            for (float d : w.findAlgRepetitions())
                reps << QString::number(double(d), 'f', 3);
            say(QStringLiteral("STOPPED %1|%2").arg(w.ui->pauseLabel->text(), reps.join(QLatin1Char(','))));
            // The button centres are read once the run is over: at first show the
            // window manager may still move and resize the window.
            say(QStringLiteral("READY store=%1 remove=%2").arg(centreOf(w.ui->algStoreButton), centreOf(w.ui->algRemoveButton)));
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

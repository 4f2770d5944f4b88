// Starts as the program does (the session lock, then the window) for the end-to-end scripts, which send
// real keys and clicks, and prints one line per event:
//   READY solves=N start=X,Y plus2=X,Y remove=X,Y row=X,Y file=X,Y   screen points to click, once shown
//   STATUS <text>                        every status-bar message
//   SOLVES <count>                       after every change
//   MESSAGE <title>|<text>               every message box the window shows
//   FOCUS <object name>                  the widget that has the keyboard focus, on every change
//   MODE <value>                         the mode slider moved
//   STARTED                              a run started
//   STOPPED <pause line>|<durations in s, comma-separated>   a run stopped, then:
//   ALGS store=X,Y remove=X,Y            screen centres of Store and Remove (read once the run is over: at
//                                        first show the window manager may still move the window)
//   EDGEGAP <ms>                         the longest tick interval across a sound/silence edge: how far a
//                                        busy machine holding the tick back may alone have moved an edge
//   LABELS <count>|<labels joined by |>  after every change
// It reads and writes the session in the data folder: run it inside the isolated runner (only the runner's
// mark is checked: the safety test moves the data folder off /tmp, onto a private tmpfs, so that it can
// empty /tmp as a reboot would).
#include "app/cadenza.h"
#include "session/sessionstore.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QLockFile>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <cstdio>

static void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

static QString point(QWidget *widget, QPoint at)
{
    const QPoint c = widget->mapToGlobal(at);
    return QStringLiteral("%1,%2").arg(c.x()).arg(c.y());
}
static QString centre(QWidget *widget) { return point(widget, widget->rect().center()); }

int main(int argc, char **argv)
{
    if (qgetenv("CADENZA_ISOLATED") != "1") {
        std::fprintf(stderr, "run inside tests/run-isolated.sh: the window uses the session in the data folder\n");
        return 2;
    }
    QApplication app(argc, argv);
    QLockFile lock(sessionLockPath());
    if (!claimSession(lock))
        return 1;
    Cadenza w;
    QObject::connect(w.ui->statusBar, &QStatusBar::messageChanged, [](const QString &m) {
        if (!m.isEmpty())
            say(QStringLiteral("STATUS ") + m);
    });
    QObject::connect(&app, &QApplication::focusChanged, [](QWidget *, QWidget *now) {
        say(QStringLiteral("FOCUS %1").arg(now ? now->objectName() : QStringLiteral("-")));
    });
    QObject::connect(w.ui->modeSlider, &QSlider::valueChanged, [](int v) { say(QStringLiteral("MODE %1").arg(v)); });
    w.show();
    bool ready = false, wasRunning = false;
    std::size_t solves = w.times.size() + 1;
    QStringList labels;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!ready && w.windowHandle() && w.windowHandle()->isExposed() && w.ui->removeButton->isVisible()) {
            ready = true;
            QWidget *rows = w.ui->historyList->viewport();
            say(QStringLiteral("READY solves=%1 start=%2 plus2=%3 remove=%4 row=%5 file=%6")
                    .arg(w.times.size())
                    .arg(centre(w.ui->startButton), centre(w.ui->plusTwoButton), centre(w.ui->removeButton),
                         point(rows, QPoint(rows->width() / 2, 4)),
                         point(w.ui->menuBar, w.ui->menuBar->actionGeometry(w.ui->menuFile->menuAction()).center())));
        }
        for (QMessageBox *box : w.findChildren<QMessageBox *>()) {
            if (box->isVisible() && !box->property("reported").toBool()) {
                box->setProperty("reported", true);
                say(QStringLiteral("MESSAGE ") + box->windowTitle() + QLatin1Char('|') + box->text());
            }
        }
        if (w.times.size() != solves)
            say(QStringLiteral("SOLVES %1").arg(solves = w.times.size()));
        if (!wasRunning && w.running)
            say(QStringLiteral("STARTED"));
        if (wasRunning && !w.running) {
            QStringList reps;
            for (float d : w.findAlgRepetitions())
                reps << QString::number(double(d), 'f', 3);
            say(QStringLiteral("STOPPED %1|%2").arg(w.ui->pauseLabel->text(), reps.join(QLatin1Char(','))));
            say(QStringLiteral("ALGS store=%1 remove=%2").arg(centre(w.ui->algStoreButton), centre(w.ui->algRemoveButton)));
            int gap = 0;
            for (std::size_t i = 1; i < w.levels.size(); ++i)
                if ((w.levels[i] >= float(w.ui->silenceSpin->value())) != (w.levels[i - 1] >= float(w.ui->silenceSpin->value())))
                    gap = std::max(gap, w.levelTimes[i] - w.levelTimes[i - 1]);
            say(QStringLiteral("EDGEGAP %1").arg(gap));
        }
        wasRunning = w.running;
        if (w.algLabels != labels)
            say(QStringLiteral("LABELS %1|%2").arg((labels = w.algLabels).size()).arg(labels.join(QLatin1Char('|'))));
    });
    poll.start(10);
    return app.exec();
}

// Starts as the program does (the session lock, then the window) for the
// session scripts, which send real clicks, and prints one line per event:
//   READY solves=N start=X,Y plus2=X,Y remove=X,Y row=X,Y file=X,Y   screen points to click
//   STATUS <text>                                          every status-bar message
//   SOLVES <count>                                         after every change
//   MESSAGE <title>|<text>                                 every message box the window shows
// It reads and writes the session in the data folder: run it inside the isolated runner.
#include "app/cadenza.h"
#include "session/sessionstore.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QLockFile>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <cstdio>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QString point(QWidget *widget, QPoint at)
{
    const QPoint c = widget->mapToGlobal(at);
    return QStringLiteral("%1,%2").arg(c.x()).arg(c.y());
}

} // namespace

int main(int argc, char **argv)
{
    // Only the runner's mark: the safety test moves the data folder off /tmp
    // (onto a private tmpfs) so that it can empty /tmp as a reboot would.
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
    w.show();
    bool ready = false;
    std::size_t solves = w.times.size() + 1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!ready && w.windowHandle() && w.windowHandle()->isExposed() && w.ui->removeButton->isVisible()) {
            ready = true;
            QWidget *rows = w.ui->historyList->viewport();
            say(QStringLiteral("READY solves=%1 start=%2 plus2=%3 remove=%4 row=%5 file=%6")
                    .arg(w.times.size())
                    .arg(point(w.ui->startButton, w.ui->startButton->rect().center()),
                         point(w.ui->plusTwoButton, w.ui->plusTwoButton->rect().center()),
                         point(w.ui->removeButton, w.ui->removeButton->rect().center()),
                         point(rows, QPoint(rows->width() / 2, 4)),
                         point(w.ui->menuBar, w.ui->menuBar->actionGeometry(w.ui->menuFile->menuAction()).center())));
        }
        for (QMessageBox *box : w.findChildren<QMessageBox *>()) {
            if (box->isVisible() && !box->property("reported").toBool()) {
                box->setProperty("reported", true);
                say(QStringLiteral("MESSAGE ") + box->windowTitle() + QLatin1Char('|') + box->text());
            }
        }
        if (w.times.size() != solves) {
            solves = w.times.size();
            say(QStringLiteral("SOLVES %1").arg(solves));
        }
    });
    poll.start(10);
    return app.exec();
}

// Shows the window for test_keys_focus.sh, which sends real keys and clicks, and
// prints one line per event:
//   READY plustwo=X,Y        screen centre of the +2 button
//   FOCUS <object name>      the widget that has the keyboard focus, on every change
//   MODE <value>             the mode slider moved
// It constructs the window, which keeps its session in the data folder: run it inside the isolated runner.
#include "app/cadenza.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

static void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

int main(int argc, char **argv)
{
    requireIsolation(); // the window reads and writes the session and the settings
    QApplication app(argc, argv);
    Cadenza w;
    QObject::connect(&app, &QApplication::focusChanged, [](QWidget *, QWidget *now) {
        say(QStringLiteral("FOCUS %1").arg(now ? now->objectName() : QStringLiteral("-")));
    });
    QObject::connect(w.ui->modeSlider, &QSlider::valueChanged, [](int v) { say(QStringLiteral("MODE %1").arg(v)); });
    w.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (w.isActiveWindow() && w.ui->plusTwoButton->isVisible()) {
            poll.stop();
            const QPoint c = w.ui->plusTwoButton->mapToGlobal(w.ui->plusTwoButton->rect().center());
            say(QStringLiteral("READY plustwo=%1,%2").arg(c.x()).arg(c.y()));
        }
    });
    poll.start(20);
    return app.exec();
}

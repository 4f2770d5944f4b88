#include "app/keyroute.h"

#include "app/cadenza.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace keyroute {

bool timerTakes(const Input &in)
{
    if (!in.inMainWindow || in.popupOrModal)
        return false;
    switch (in.type) {
    case QEvent::KeyPress:
        return in.timerBusy || in.key == Qt::Key_Space;
    case QEvent::KeyRelease:
        return in.timerBusy || (in.key == Qt::Key_Space && in.spacePressTaken);
    case QEvent::ShortcutOverride:
        return in.timerBusy;
    default:
        return false;
    }
}

} // namespace keyroute

TimerKeyRouter::TimerKeyRouter(Cadenza *window)
    : QObject(window)
    , window(window)
{
}

// Sees every event of the application, so it decides cheaply: only key events
// on their way to a widget (a key event reaches the window's native surface
// first, and each parent again when a widget ignores it) are looked at.
bool TimerKeyRouter::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    if (!window->ui || !watched->isWidgetType())
        return false;
    keyroute::Input in;
    in.type = type;
    in.key = static_cast<QKeyEvent *>(event)->key();
    in.inMainWindow = static_cast<QWidget *>(watched)->window() == window;
    in.popupOrModal = QApplication::activePopupWidget() || QApplication::activeModalWidget();
    in.timerBusy = window->timerTakesAllKeys() || (sinceKeyStop.isValid() && sinceKeyStop.elapsed() < chordRestMs);
    in.spacePressTaken = spacePressTaken;
    const bool taken = keyroute::timerTakes(in);
    if (in.key == Qt::Key_Space && type == QEvent::KeyPress)
        spacePressTaken = taken;
    if (!taken)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Accepting the override turns the shortcut back into a key press,
        // which then stops the solve.
        event->accept();
        return true;
    }
    const bool wasRunning = window->running;
    window->timerKeyEvent(static_cast<QKeyEvent *>(event));
    if (wasRunning && !window->running)
        sinceKeyStop.start();
    return true;
}

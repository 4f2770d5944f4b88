#ifndef CADENZA_KEYROUTE_H
#define CADENZA_KEYROUTE_H

#include <QElapsedTimer>
#include <QEvent>
#include <QObject>

class Cadenza;

// Which key events belong to the timer rather than to the control that has the
// keyboard focus. Clicking +2, a check box or a copy button leaves the focus
// there; the space bar must still start the next solve, and a key pressed
// during a solve must stop it rather than move the mode slider.
namespace keyroute {

struct Input
{
    QEvent::Type type = QEvent::None; // KeyPress, KeyRelease or ShortcutOverride
    int key = 0;
    // The event is addressed to a widget of the main window (not to a dialog,
    // a menu or another window).
    bool inMainWindow = false;
    // A menu, a combo box list or a modal dialog is up: it keeps its keys.
    bool popupOrModal = false;
    // A solve is running, a start or stop that the next key event may still
    // take back is pending, or a key stopped a solve less than 700 ms ago
    // (the rest of the chord that stopped it, the I of Ctrl+I, does nothing):
    // every key is the timer's.
    bool timerBusy = false;
    // The press of the space bar before this release was the timer's. A press
    // that a menu or a dialog took (choosing a menu item with the space bar)
    // leaves its release to nobody: it must not start a solve.
    bool spacePressTaken = false;
};

// True when the timer handles the event and no widget sees it. While the
// timer is idle only the space bar is the timer's, so the controls keep their
// own keys (typing a threshold, Tab, arrows in the history). A shortcut is
// never taken while idle; during a solve its key stops the solve instead.
bool timerTakes(const Input &in);

} // namespace keyroute

// Installed on the application by the main window: hands the timer's key
// events to the window's timing state machine before any widget sees them.
class TimerKeyRouter : public QObject
{
public:
    explicit TimerKeyRouter(Cadenza *window);
    bool eventFilter(QObject *watched, QEvent *event) override;

    // How long after a key stopped a solve the keys stay the timer's: the
    // timer's own rest before the space bar may start the next one.
    static constexpr qint64 chordRestMs = 700;

private:
    Cadenza *window;
    QElapsedTimer sinceKeyStop;
    bool spacePressTaken = false;
};

#endif

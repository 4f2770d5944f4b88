#ifndef CADENZA_CAPTURERESTART_H
#define CADENZA_CAPTURERESTART_H

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <vector>

class Cadenza;

namespace capturechoice {

// The order in which a restart of capture tries the listed input devices (as
// indices into names): first the preferred ones, those named `stored` (the
// user's choice; none when it is empty) then those named `defaultName` (the
// system default), then all the others; each group in list order.
struct Order
{
    std::vector<int> preferred;
    std::vector<int> others;
};
Order restartOrder(const QStringList &names, const QString &stored, const QString &defaultName);

} // namespace capturechoice

// While the window has no capture (no device at start-up, the audio server
// gone, the capture dropped), tries every 2 s to start one, so that capture
// comes back by itself when the server or the device does; after the first
// few fruitless attempts, every 10 s.
//
// An attempt lists the devices and tries the preferred ones (the stored one,
// then the default), which fail at once while their server is away; then,
// within a small time budget, the next few of the others in turn (an ALSA
// device can reach a server that came back after the Qt backend's own
// connection gave up: that backend tries to reconnect once, 3 s after the
// loss). An attempt holds the GUI thread for one listing and about one
// device's opening beyond the budget, some 50 ms: none is made while the
// timer owns the keys (a solve runs, or a key-made start or stop may still be
// taken back), since it would delay the key event that stops a solve, and
// with it the solve's time.
class CaptureRestarter : public QObject
{
public:
    explicit CaptureRestarter(Cadenza *window);
    // Begins retrying (nothing when it already does).
    void begin();
    void end();
    bool active() const { return timer.isActive(); }
    // One attempt, as the timer makes it every intervalMs.
    void retry();

    static constexpr int intervalMs = 2000;
    static constexpr int fastAttempts = 5;
    static constexpr int slowIntervalMs = 10000;
    // Time a tick may spend on the devices after the preferred ones.
    static constexpr qint64 budgetMs = 20;

private:
    Cadenza *window;
    QTimer timer;
    // Where the next attempt goes on through the others.
    std::size_t nextOther = 0;
    int attempts = 0;
};

#endif

#include "app/cadenza.h"
#include "app/inspection.h"
#include "audio/audiolevelsiodevice.h"
#include "audio/stackmat.h"
#include "audio/statustext.h"
#include "ui_cadenza.h"

#include <algorithm>

// Timing by a Stackmat timer on the audio input. The window follows the
// Stackmat's own state from its packets: when it starts running the window
// starts a run that only shows the Stackmat's time, and when it stops the
// solve is stored, once, with the time it stopped at. A cancelled run stays
// cancelled until the Stackmat runs again after a reset.

namespace {

// Between packets (about ten a second) the clock runs on by itself, for no
// longer than this: a signal that breaks off leaves the last time standing.
constexpr qint64 clockRunsOnMs = 200;

// The status line follows the connection without touching the clock, which
// may be counting an inspection down.
void showConnection(Cadenza &w)
{
    const bool connected = w.stackmatConnected();
    if (connected == w.stackmatShownConnected)
        return;
    w.stackmatShownConnected = connected;
    w.ui->pauseLabel->setText(statustext::stackmatText(connected));
}

} // namespace

bool Cadenza::stackmatWanted() const
{
    return ui->actionStackmat_Timer->isChecked() && ui->modeSlider->value() == 0;
}

bool Cadenza::stackmatConnected() const
{
    return stackmatLastPacket.isValid() && stackmatLastPacket.elapsed() < stackmatSilenceMs;
}

void Cadenza::on_actionStackmat_Timer_toggled(bool)
{
    updateModeLayout();
}

void Cadenza::followStackmatChoice()
{
    const bool wanted = stackmatWanted();
    if (wanted == stackmatFollowed)
        return;
    stackmatFollowed = wanted;
    // A run or an inspection begun under the other owner of the timing could
    // not end as it began.
    if (running)
        cancelRun();
    if (inspecting)
        cancelInspection();
    stackmatRunning = false;
    stackmatLastPacket.invalidate();
}

void Cadenza::cancelRun()
{
    forgetPendingStart();
    pendingStop.active = false;
    running = false;
    runPenalty = PenaltyNone;
    ui->startButton->setText(tr("Start"));
    ui->startButton->repaint();
    updateStatusLines(0);
    currentScramble = generateScramble();
    updateHistory();
}

void Cadenza::stackmatPacket(const stackmat::Packet &packet)
{
    if (!stackmatWanted())
        return;
    stackmatLastPacket.start();
    stackmatDigits = packet.digits;
    if (packet.running()) {
        if (!stackmatRunning) {
            stackmatRunning = true;
            forgetPendingStart();
            // The Stackmat started packet.timeMs before its packet came: an
            // inspection ended then.
            qint32 penalty = PenaltyNone;
            if (inspecting) {
                penalty = inspection::at(monotonicMs() - packet.timeMs - inspectionStartMs).penalty;
                endInspection();
            }
            startRun();
            runPenalty = penalty;
        }
        stackmatRunMs = packet.timeMs;
        if (running)
            updateStatusLines(packet.timeMs);
    } else if (stackmatRunning) {
        if (packet.status == 'I' || packet.timeMs == 0) {
            // Reset without a stop in between: the time is not known.
            stackmatRunning = false;
            if (running)
                cancelRun();
        } else if (packet.timeMs >= stackmatRunMs) {
            // Stopped (or a hand already back on a pad): the time it shows is the solve's.
            stackmatRunning = false;
            if (running)
                stopRun(packet.timeMs);
        }
        // A stopped time below the running one cannot be: the packet is not believed.
    }
    showConnection(*this);
}

void Cadenza::stackmatTick()
{
    const bool wanted = stackmatWanted();
    if (audioDevice) {
        audioDevice->readStackmat(wanted);
        std::vector<stackmat::Packet> packets;
        packets.swap(audioDevice->stackmatPackets);
        for (const stackmat::Packet &p : packets)
            stackmatPacket(p);
    }
    if (!wanted)
        return;
    if (running) {
        const qint64 since = stackmatLastPacket.isValid() ? stackmatLastPacket.elapsed() : 0;
        updateStatusLines(stackmatRunMs + qint32(std::min(since, clockRunsOnMs)));
    }
    showConnection(*this);
}

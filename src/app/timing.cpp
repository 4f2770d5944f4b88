#include "app/cadenza.h"
#include "app/inspection.h"
#include "audio/audiolevelsiodevice.h"
#include "audio/statustext.h"
#include "ui_cadenza.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

// The start/stop state machine, the 10 ms refresh tick and the session edits.

namespace {

// The space bar starts a run only this long after the last keyboard start or stop.
constexpr qint64 keyRestMs = 700;

// An invalid colour gives the label back its own.
void setTextColour(QLabel *label, const QColor &colour)
{
    if (!colour.isValid()) {
        if (label->testAttribute(Qt::WA_SetPalette))
            label->setPalette(QPalette());
    } else if (!label->testAttribute(Qt::WA_SetPalette) || label->palette().color(QPalette::WindowText) != colour) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        label->setPalette(palette);
    }
}

} // namespace

void Cadenza::startRun()
{
    runPenalty = PenaltyNone;
    solveClock.start();
    if (ui->modeSlider->value() == 0) {
        levels.clear();
        levelTimes.clear();
        recordLacksSound = false;
    }
    running = true;
    ui->startButton->setText(tr("Stop"));
    ui->startButton->repaint();
}

void Cadenza::stopRun(qint32 t)
{
    forgetPendingStart();
    pendingStop.active = false;
    running = false;
    updateStatusLines(t);
    const bool storing = ui->modeSlider->value() == 0;
    if (storing) {
        // Without capture for the whole solve it is stored as with audio
        // disabled: no pauses, and no splits either; so is a Stackmat's.
        const bool heard = !recordLacksSound && !stackmatWanted();
        times.push_back(float(t));
        pauseStats.push_back(heard ? computePauseStats() : PauseStats());
        splits.push_back(heard && ui->splitsCombo->currentIndex() != 0 ? computeSplitTimes() : std::vector<qint32>());
        scrambles.append(currentScramble);
        dates.push_back(QDateTime::currentSecsSinceEpoch());
        penalties.push_back(runPenalty);
    }
    runPenalty = PenaltyNone;
    ui->startButton->setText(tr("Start"));
    ui->startButton->repaint();
    currentScramble = generateScramble();
    // A new solve: +2 and DNF now act on it, not on a row chosen before.
    if (storing)
        chosenSolve.reset();
    updateHistory();
    // After the screen shows the stop: a crash or kill from here on keeps the solve.
    if (storing)
        autosave();
}

// A start by the release of the space bar. Until the next key event shows that
// the release was a real one, the start keeps what it replaced.
void Cadenza::startRunFromKeyRelease(bool mayBeRepeat)
{
    forgetPendingStart();
    PendingStart &before = pendingStart;
    before.keyClockBefore = keyClock;
    before.liveElapsedBefore = liveElapsedMs;
    before.fromInspection = inspecting;
    before.recordLackedSoundBefore = recordLacksSound;
    before.recordSwapped = ui->modeSlider->value() == 0;
    if (before.recordSwapped) {
        // The start empties the record; keep the old one aside instead.
        before.levelsBefore.swap(levels);
        before.levelTimesBefore.swap(levelTimes);
    } else {
        before.recordSizeBefore = levels.size();
    }
    if (inspecting)
        startSolveAfterInspection();
    else
        startRun();
    keyClock.start();
    if (mayBeRepeat)
        before.active = true;
    else
        forgetPendingStart();
}

// The release that started the run was one half of an auto-repeated pair:
// undo the start completely.
void Cadenza::takeBackStart()
{
    PendingStart &before = pendingStart;
    if (before.startedInspection) {
        endInspection();
        keyClock = before.keyClockBefore;
        forgetPendingStart();
        restoreStatusLines();
        return;
    }
    const bool resumeInspection = before.fromInspection;
    running = false;
    ui->startButton->setText(tr("Start"));
    ui->startButton->repaint();
    if (before.recordSwapped) {
        levels.swap(before.levelsBefore);
        levelTimes.swap(before.levelTimesBefore);
    } else {
        levels.resize(std::min(levels.size(), before.recordSizeBefore));
        levelTimes.resize(std::min(levelTimes.size(), before.recordSizeBefore));
    }
    keyClock = before.keyClockBefore;
    liveElapsedMs = before.liveElapsedBefore;
    recordLacksSound = before.recordLackedSoundBefore;
    forgetPendingStart();
    restoreStatusLines();
    if (resumeInspection) {
        // The inspection's clock never stopped.
        runPenalty = PenaltyNone;
        inspecting = true;
        showInspection();
    }
    ui->timerDisplay->update();
}

void Cadenza::restoreStatusLines()
{
    if (ui->modeSlider->value() == 0)
        updateStatusLines(liveElapsedMs);
    else
        updateStatusLines(levelTimes.empty() ? 0 : levelTimes.back());
}

void Cadenza::forgetPendingStart()
{
    pendingStart.active = false;
    pendingStart.startedInspection = false;
    pendingStart.fromInspection = false;
    std::vector<float>().swap(pendingStart.levelsBefore);
    std::vector<qint32>().swap(pendingStart.levelTimesBefore);
}

// Commits a stop that a key release asked for: the run ends at the moment of
// the release, which also counts as the last keyboard start or stop.
void Cadenza::resolvePendingStop()
{
    if (!pendingStop.active)
        return;
    pendingStop.active = false;
    const QElapsedTimer releasedAt = pendingStop.released;
    if (running)
        stopRun(pendingStop.elapsedMs);
    keyClock = releasedAt;
}

void Cadenza::on_startButton_clicked()
{
    resolvePendingStop();
    forgetPendingStart();
    // The Stackmat starts and stops the solves: Start only begins the inspection.
    if (stackmatWanted()) {
        if (!running && !inspecting && inspectionWanted())
            startInspection();
        return;
    }
    if (running)
        stopRun(qint32(solveClock.elapsed()));
    else if (inspecting)
        startSolveAfterInspection();
    else if (inspectionWanted())
        startInspection();
    else
        startRun();
}

qint64 Cadenza::monotonicMs()
{
    QElapsedTimer now;
    now.start();
    return now.msecsSinceReference();
}

// Inspection is for solves: in Algs mode a start begins the run at once.
bool Cadenza::inspectionWanted() const
{
    return ui->actionInspection->isChecked() && ui->modeSlider->value() == 0;
}

void Cadenza::startInspection()
{
    inspecting = true;
    inspectionStartMs = monotonicMs();
    showInspection();
}

// Like a start by a key release: a repeat's paired press takes it back.
void Cadenza::startInspectionFromKeyRelease(bool mayBeRepeat)
{
    forgetPendingStart();
    pendingStart.keyClockBefore = keyClock;
    startInspection();
    keyClock.start();
    pendingStart.startedInspection = true;
    pendingStart.active = mayBeRepeat;
    if (!mayBeRepeat)
        forgetPendingStart();
}

// The solve starts now; how long the inspection lasted decides its penalty.
void Cadenza::startSolveAfterInspection()
{
    const qint32 penalty = inspection::at(monotonicMs() - inspectionStartMs).penalty;
    endInspection();
    startRun();
    runPenalty = penalty;
    ui->timerLabel->setText(statustext::timerText(0));
}

void Cadenza::endInspection()
{
    inspecting = false;
    setTextColour(ui->timerLabel, QColor());
}

// Nothing is stored and the scramble stays: the cube is still scrambled.
void Cadenza::cancelInspection()
{
    endInspection();
    restoreStatusLines();
}

void Cadenza::showInspection()
{
    const inspection::State state = inspection::at(monotonicMs() - inspectionStartMs);
    ui->timerLabel->setText(state.clockText);
    setTextColour(ui->timerLabel, inspection::warningColour(state.warningLevel));
}

// Every key event the router hands over (see keyroute.h): the start/stop
// state machine of the keyboard. X shows a held key as release/press pairs
// (see the members' comment in cadenza.h).
void Cadenza::timerKeyEvent(const QKeyEvent *key)
{
    if (key->type() == QEvent::KeyPress) {
        const bool pairedWithRelease = key->timestamp() != 0 && key->key() == lastReleaseKey
                                       && key->timestamp() == lastReleaseTimestamp;
        lastReleaseKey = 0;
        lastReleaseTimestamp = 0;
        if (pairedWithRelease) {
            // The release just before was the first half of an auto-repeat:
            // a held-back stop is dropped (the run goes on) and a start is undone.
            pendingStop.active = false;
            if (pendingStart.active)
                takeBackStart();
            return;
        }
        resolvePendingStop();
        forgetPendingStart();
        if (key->isAutoRepeat())
            return;
        if (key->key() == Qt::Key_Escape) {
            if (running) {
                cancelRun();
            } else if (inspecting) {
                cancelInspection();
            }
            return;
        }
        if (running) {
            on_startButton_clicked();
            keyClock.start();
        }
        return;
    }

    if (key->type() == QEvent::KeyRelease) {
        resolvePendingStop();
        forgetPendingStart();
        lastReleaseKey = key->key();
        lastReleaseTimestamp = key->timestamp();
        if (key->isAutoRepeat() || (running && stackmatWanted()))
            return;
        if (running) {
            if (key->timestamp() == 0) {
                on_startButton_clicked();
                keyClock.start();
                return;
            }
            pendingStop.active = true;
            pendingStop.elapsedMs = qint32(solveClock.elapsed());
            pendingStop.released.start();
            return;
        }
        if (key->key() == Qt::Key_Space && keyClock.elapsed() >= keyRestMs) {
            if (stackmatWanted() && (inspecting || !inspectionWanted()))
                return; // the Stackmat starts the solve
            if (!inspecting && inspectionWanted())
                startInspectionFromKeyRelease(key->timestamp() != 0);
            else
                startRunFromKeyRelease(key->timestamp() != 0);
        }
    }
}

bool Cadenza::timerTakesAllKeys() const
{
    // During the inspection Escape cancels and every other key is held off the
    // controls as it is during a solve.
    return running || inspecting || pendingStart.active || pendingStop.active;
}

// Paints the display widgets; the keys reach the timer through the router.
bool Cadenza::eventFilter(QObject *watched, QEvent *event)
{
    if (!ui || event->type() != QEvent::Paint)
        return QMainWindow::eventFilter(watched, event);
    if (watched == ui->audioGraph) {
        paintAudioGraph();
        return true;
    }
    if (watched == ui->timerDisplay) {
        if (ui->modeSlider->value() != 0)
            paintAlgChart();
        else
            paintSolveTimeline();
        return true;
    }
    if (watched == ui->statsDisplay) {
        QPainter painter(ui->statsDisplay);
        paintStatsChart(painter);
        painter.end();
    }
    return QMainWindow::eventFilter(watched, event);
}

void Cadenza::timerEvent(QTimerEvent *)
{
    if (!ui)
        return;
    if (pendingStop.active && pendingStop.released.elapsed() >= stopHoldMs)
        resolvePendingStop();
    stackmatTick();
    if (fineLevelsOwed && !timerTakesAllKeys())
        followFineLevels();
    // While a stop is held back the run is over unless a repeat revives it:
    // no samples past the moment of the release. A Stackmat's run has no record.
    if (running && !pendingStop.active && !stackmatWanted()) {
        const qint32 t = qint32(solveClock.elapsed());
        // Without a level sink (no capture) the record still grows, with a
        // silence that was not heard.
        levels.push_back(audioDevice ? float(audioDevice->currentLevel) : 0.0f);
        recordLacksSound = recordLacksSound || !audioDevice;
        levelTimes.push_back(t);
        updateStatusLines(t);
    }
    if (inspecting)
        showInspection();
    ui->audioGraph->repaint();
}

namespace {

// History rows are newest first; with no current row the newest solve is meant.
int selectedIndex(int currentRow, int n)
{
    return currentRow < 0 ? n - 1 : n - 1 - currentRow;
}

} // namespace

// +2 and DNF toggle the selected solve (the newest when no row is current)
// between that penalty and none; any other penalty becomes this one.
void Cadenza::togglePenalty(qint32 code)
{
    if (running)
        return;
    const int n = int(times.size());
    const int i = selectedIndex(ui->historyList->currentRow(), n);
    if (i < 0 || i >= n)
        return;
    SessionData before = sessionData();
    penalties[i] = penalties[i] == code ? PenaltyNone : code;
    updateHistory();
    autosave();
    recordSessionChange(code == PenaltyDnf ? tr("DNF") : tr("+2"), std::move(before));
}

void Cadenza::on_plusTwoButton_clicked()
{
    togglePenalty(PenaltyPlusTwo);
}

void Cadenza::on_dnfButton_clicked()
{
    togglePenalty(PenaltyDnf);
}

void Cadenza::on_removeButton_clicked()
{
    const int n = int(times.size());
    const int r = ui->historyList->currentRow();
    if (r < 0 || r >= n)
        return;
    const int i = n - 1 - r;
    SessionData before = sessionData();
    times.erase(times.begin() + i);
    dates.erase(dates.begin() + i);
    pauseStats.erase(pauseStats.begin() + i);
    splits.erase(splits.begin() + i);
    scrambles.removeAt(i);
    penalties.erase(penalties.begin() + i);
    updateHistory();
    autosave();
    recordSessionChange(tr("Remove"), std::move(before));
}

void Cadenza::on_actionClear_Times_triggered()
{
    SessionData before = takeSession();
    updateHistory();
    autosave();
    if (before.size() > 0)
        recordSessionChange(tr("Clear Times"), std::move(before));
}

void Cadenza::on_clearButton_clicked()
{
    levels.clear();
    levelTimes.clear();
    recordLacksSound = false;
    updateHistory();
}

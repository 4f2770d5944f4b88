#include "app/cadenza.h"
#include "audio/statustext.h"
#include "ui_cadenza.h"

void Cadenza::updateStatusLines(int elapsedMs)
{
    QString pauseLine;
    if (stackmatWanted()) {
        liveElapsedMs = elapsedMs;
        stackmatShownConnected = stackmatConnected();
        ui->timerLabel->setText(statustext::stackmatClockText(elapsedMs, stackmatDigits));
        pauseLine = statustext::stackmatText(stackmatShownConnected);
    } else if (ui->modeSlider->value() == 0) {
        liveElapsedMs = elapsedMs;
        ui->timerLabel->setText(statustext::timerText(elapsedMs));
        // A record made without capture has no sound figures: no pauses and
        // no splits are made up from the silence it holds.
        const bool heard = audioDevice && !recordLacksSound;
        pauseLine = heard ? statustext::pauseText(computePauseStats()) : statustext::microphoneText(audioDevice);
        // With splits off nothing shows the split times, so the voice analysis
        // of the whole record is skipped on this tick.
        if (ui->splitsCombo->currentIndex() != 0)
            ui->splitLabel->setText(statustext::splitsText(heard ? computeSplitTimes() : std::vector<qint32>()));
    } else {
        const std::vector<float> stats = computeAlgStats();
        ui->timerLabel->setText(statustext::algTimerText(stats));
        pauseLine = audioDevice ? statustext::algPauseText(stats) : statustext::microphoneText(false);
    }
    ui->pauseLabel->setText(pauseLine);
    ui->timerLabel->repaint();
    ui->pauseLabel->repaint();
    ui->timerDisplay->repaint();
}

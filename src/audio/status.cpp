#include "app/cadenza.h"
#include "audio/statustext.h"
#include "ui_cadenza.h"

void Cadenza::updateStatusLines(int elapsedMs)
{
    QString pauseLine;
    if (ui->modeSlider->value() == 0) {
        const PauseStats pauses = computePauseStats();
        liveElapsedMs = elapsedMs;
        ui->timerLabel->setText(statustext::timerText(elapsedMs));
        pauseLine = statustext::pauseText(pauses);
        // With splits off nothing shows the split times, so the voice analysis
        // of the whole record is skipped on this tick.
        if (ui->splitsCombo->currentIndex() != 0)
            ui->splitLabel->setText(statustext::splitsText(computeSplitTimes()));
    } else {
        const std::vector<float> stats = computeAlgStats();
        ui->timerLabel->setText(statustext::algTimerText(stats));
        pauseLine = statustext::algPauseText(stats);
    }
    ui->pauseLabel->setText(pauseLine);
    ui->timerLabel->repaint();
    ui->pauseLabel->repaint();
    ui->timerDisplay->repaint();
}

#include "app/cadenza.h"
#include "ui_cadenza.h"

#include <QFont>

void Cadenza::updateModeLayout()
{
    const int mode = ui->modeSlider->value();
    const bool solves = mode == 0;

    QFont big;
    big.setWeight(75);
    big.setPointSize(20);
    QFont small;
    small.setPointSize(10);
    if (!solves) {
        ui->solveLabel->setFont(small);
        ui->algsLabel->setFont(big);
        ui->timerDisplay->setMinimumHeight(60);
    } else {
        ui->algsLabel->setFont(small);
        ui->solveLabel->setFont(big);
        ui->timerDisplay->setMinimumHeight(20);
    }

    followStackmatChoice();
    // A Stackmat's signal has no levels to draw and no pauses or splits; its
    // status line says whether it is heard.
    const bool stackmat = stackmatWanted();
    const bool showStats = solves && ui->showStatsCheck->isChecked();
    ui->audioWidget->setVisible(ui->showAudioCheck->isChecked() && !stackmat);
    ui->pauseLabel->setVisible(mode == 1 || !ui->disableAudioCheck->isChecked() || stackmat);
    ui->algsOptions->setVisible(mode == 1);
    ui->statsWidget->setVisible(solves);
    ui->scrambleLabel->setVisible(solves);
    ui->sessionCombo->setVisible(solves);
    ui->scramblePicture->setVisible(solves && ui->actionShow_Scramble_Picture->isChecked());
    ui->splitLabel->setVisible(solves && ui->splitsCombo->currentIndex() != 0 && !stackmat);
    ui->statsDisplay->setVisible(showStats);
    ui->statsDisplay->setMinimumHeight(showStats ? 80 : 0);

    updateStatusLines(0);
}

void Cadenza::on_modeSlider_valueChanged(int)
{
    updateModeLayout();
    updateHistory();
}

void Cadenza::on_splitsCombo_currentIndexChanged(int index)
{
    // Each session keeps its own splits choice.
    if (!sessionIndex.sessions.empty() && currentSessionEntry().splits != index) {
        sessionIndex.sessions[std::size_t(sessionIndex.current)].splits = index;
        writeSessionIndex();
    }
    updateModeLayout();
    updateHistory();
}

void Cadenza::on_showStatsCheck_stateChanged(int)
{
    updateModeLayout();
}

void Cadenza::on_disableAudioCheck_stateChanged(int)
{
    updateModeLayout();
}

void Cadenza::on_showAudioCheck_stateChanged(int)
{
    ui->audioWidget->setVisible(ui->showAudioCheck->isChecked() && !stackmatWanted());
}

// The graph draws the thresholds as lines: show a change at once.
void Cadenza::on_silenceSpin_valueChanged(double)
{
    repaint();
}

void Cadenza::on_voiceSpin_valueChanged(double)
{
    repaint();
}

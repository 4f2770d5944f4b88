#include "app/cadenza.h"
#include "ui_cadenza.h"

void Cadenza::updateModeLayout()
{
    updateStatusLines(0);
}

void Cadenza::on_modeSlider_valueChanged(int)
{
    updateModeLayout();
    updateHistory();
}

void Cadenza::on_splitsCombo_currentIndexChanged(int)
{
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
    ui->audioWidget->setVisible(ui->showAudioCheck->isChecked());
}

void Cadenza::on_silenceSpin_valueChanged(double)
{
    repaint();
}

void Cadenza::on_voiceSpin_valueChanged(double)
{
    repaint();
}

#include "app/cadenza.h"
#include "ui_cadenza.h"

std::vector<float> Cadenza::findAlgRepetitions()
{
    return {};
}

std::vector<float> Cadenza::computeAlgStats()
{
    return std::vector<float>(6, 0.0f);
}

void Cadenza::on_minAlgSpin_valueChanged(double)
{
    ui->timerLabel->repaint();
}

void Cadenza::on_warningButton_clicked() {}

void Cadenza::on_actionCalibrate_Echo_Delay_triggered() {}

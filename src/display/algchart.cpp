#include "app/cadenza.h"
#include "ui_cadenza.h"

void Cadenza::paintAlgChart() {}

void Cadenza::updateAlgDisplayHeight()
{
    ui->timerDisplay->setMinimumHeight(16 * int(algSequences.size()) + 61);
    ui->timerDisplay->repaint();
}

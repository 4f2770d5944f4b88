#include "app/cadenza.h"
#include "ui_cadenza.h"

void Cadenza::updateHistory()
{
    ui->scrambleLabel->setText(currentScramble);
    ui->scrambleLabel->repaint();
    repaint();
}

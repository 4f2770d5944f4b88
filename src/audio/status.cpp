#include "app/cadenza.h"
#include "ui_cadenza.h"

void Cadenza::updateStatusLines(int elapsedMs)
{
    if (ui->modeSlider->value() == 0)
        liveElapsedMs = elapsedMs;
    ui->timerLabel->setText(QStringLiteral("%1").arg(double(float(elapsedMs) / 1000.0f), 0, 'f', 2));
    ui->timerLabel->repaint();
}

#include "app/cadenza.h"

void Cadenza::copyAverageText(int) {}
void Cadenza::copyStatsImage() {}

void Cadenza::on_clipboardButton_clicked()
{
    copyStatsImage();
}

void Cadenza::on_clipboardAO5Button_clicked()
{
    copyAverageText(5);
}

void Cadenza::on_clipboardAO12Button_clicked()
{
    copyAverageText(12);
}

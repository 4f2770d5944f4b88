#include "app/cadenza.h"

void Cadenza::paintStatsChart(QPainter &) {}

#include "app/cadenza.h"

void Cadenza::drawBoxPlot(QPainter &, std::vector<float>, float, float, int, int, int, int, const QColor &,
                          const QColor &)
{
}

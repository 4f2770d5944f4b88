#include "display/boxplot.h"

#include "app/cadenza.h"
#include "display/chartaxis.h"

#include <QPainter>
#include <cmath>

void drawBoxPlot(QPainter &painter, std::vector<float> stats, float lo, float hi, int count, int top, int height,
                 int margin, const QColor &penColour, const QColor &brushColour)
{
    if (count <= 0 || stats.size() < 5)
        return;
    const float span = hi - lo;
    if (span == 0.0f || !std::isfinite(span))
        return;

    const float wv = float(painter.viewport().width());
    const auto x = [&](float t) { return (t - lo) / span * (wv - 2.0f * float(margin)) + float(margin); };
    const float xMax = x(stats[0]);
    const float xUpper = x(stats[1]);
    const float xMedian = x(stats[2]);
    const float xLower = x(stats[3]);
    const float xMin = x(stats[4]);

    painter.setPen(QPen(penColour, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(QBrush(brushColour, Qt::SolidPattern));

    // A summary far off the axis (a negative or huge stored time) lands far
    // outside the viewport; held there, its conversions stay defined.
    using chartaxis::held;
    using chartaxis::pixel;
    const QLine medianLine(pixel(xMedian), top, pixel(xMedian), top + height);
    if (count <= 2) {
        painter.drawLine(medianLine);
        return;
    }
    painter.drawRect(QRect(pixel(xLower), top, pixel(xUpper - xLower), height));
    painter.drawLine(medianLine);
    if (count <= 4)
        return;
    const int mid = top + height / 2;
    painter.drawLine(QLine(pixel(xMax), mid, pixel(xUpper), mid));
    painter.drawLine(QLine(pixel(xMin), mid, pixel(xLower), mid));
    painter.drawEllipse(QPointF(held(xMax), mid), 3.0, 3.0);
    painter.drawEllipse(QPointF(held(xMin), mid), 3.0, 3.0);
}

void Cadenza::drawBoxPlot(QPainter &painter, std::vector<float> stats, float lo, float hi, int count, int top,
                          int height, int margin, const QColor &penColour, const QColor &brushColour)
{
    ::drawBoxPlot(painter, std::move(stats), lo, hi, count, top, height, margin, penColour, brushColour);
}

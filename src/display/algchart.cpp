#include "display/algchart.h"

#include "app/cadenza.h"
#include "display/chartaxis.h"
#include "display/boxplot.h"
#include "display/chartrandom.h"
#include "stats/stats.h"
#include "ui_cadenza.h"

#include <QPainter>
#include <cmath>

namespace algchart {

chartaxis::TimeAxis timeAxis(float largest)
{
    if (!(largest > 0.0f))
        return {};
    chartaxis::TimeAxis axis;
    axis.decimals = 1;
    axis.max = largest < 10.0f ? std::ceil(double(largest)) : std::ceil(double(largest) / 5.0) * 5.0;
    if (axis.max < 3.0)
        axis.divisions = 10;
    else if (axis.max < 5.0)
        axis.divisions = 5 * int(axis.max);
    else if (axis.max < 10.0)
        axis.divisions = 2 * int(axis.max);
    else
        axis.divisions = int(std::min(axis.max, 1e9));
    const chartaxis::TimeAxis wide = chartaxis::bounded(axis, largest, 2.0);
    return {wide.max, wide.divisions, axis.decimals};
}

void paint(QPainter &painter, const std::vector<float> &current, const std::vector<std::vector<float>> &stored,
           const QStringList &labels, double minAlgMs)
{
    chartaxis::beginChart(painter);
    const int w = painter.viewport().width();
    const int h = painter.viewport().height();
    const QPen axisPen = painter.pen();

    if (current.empty() && stored.empty())
        return;

    const std::vector<float> summary = boxStatistics(current, false);

    float largest = 0.0f;
    for (float v : current)
        if (v > largest && std::isfinite(v))
            largest = v;
    for (const auto &sequence : stored)
        for (float v : sequence)
            if (v > largest && std::isfinite(v))
                largest = v;
    const chartaxis::TimeAxis axis = timeAxis(largest);
    const float a = float(axis.max);
    const float span = float(w - 10);

    // The rows below the axis move down with it.
    const int y0 = chartaxis::drawTimeAxis(painter, axis);

    // Everything below sits on the time axis, which needs a length: with an
    // all-zero axis the band and the dots are left out and the rows draw
    // nothing.
    const bool axisUsable = axis.max > 0.0;

    const float m = float(minAlgMs / 1000.0);
    if (axisUsable && m > 0.0f) {
        const float xm = span * (m / a) + 5.0f;
        painter.setPen(Qt::NoPen);
        painter.setOpacity(0.2);
        painter.drawRect(QRect(0, 7 + y0, chartaxis::pixel(xm), h - 3));
        painter.setOpacity(1.0);
        painter.setPen(axisPen);
    }

    if (axisUsable) {
        ChartRandom random(0);
        for (float t : current) {
            const float x = t / a * span + 5.0f;
            const float y = float(random.next()) / float(ChartRandom::RandMax) * 20.0f + 28.0f + float(y0);
            if (x > -10.0f && x < float(w) + 10.0f)
                painter.drawEllipse(QPointF(x, y), 5.0, 5.0);
        }
    }

    drawBoxPlot(painter, summary, 0.0f, a, int(current.size()), 10 + y0, 14, 5, Qt::black, Qt::lightGray);

    for (std::size_t j = 0; j < stored.size(); ++j) {
        const int top = 56 + 16 * int(j) + y0;
        drawBoxPlot(painter, boxStatistics(stored[j], false), 0.0f, a, int(stored[j].size()), top, 14, 5, Qt::black,
                    Qt::darkGray);
        if (int(j) < labels.size())
            painter.drawText(QRect(w - 100, top, 100, 16), Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip,
                             labels[int(j)]);
    }
}

int heightFor(std::size_t stored)
{
    return stored == 0 ? 60 : 16 * int(stored) + 61;
}

} // namespace algchart

void Cadenza::paintAlgChart()
{
    QPainter painter(ui->timerDisplay);
    algchart::paint(painter, findAlgRepetitions(), algSequences, algLabels, ui->minAlgSpin->value());
}

void Cadenza::updateAlgDisplayHeight()
{
    // The chart's height is part of the window's fit (in the Algs mode).
    fitToWindow(true);
    ui->timerDisplay->repaint();
}

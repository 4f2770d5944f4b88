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

int axisMaximum(float largest)
{
    if (largest < 10.0f)
        return int(std::ceil(largest));
    return int(std::ceil(largest / 5.0f) * 5.0f);
}

int divisions(int axisMax)
{
    if (axisMax < 3)
        return 10;
    if (axisMax == 3)
        return 15;
    if (axisMax == 4)
        return 20;
    return axisMax < 10 ? 2 * axisMax : axisMax;
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
        if (v > largest)
            largest = v;
    for (const auto &sequence : stored)
        for (float v : sequence)
            if (v > largest)
                largest = v;
    const int axisMax = axisMaximum(largest);
    const float a = float(axisMax);
    const int n = divisions(axisMax);
    const float span = float(w - 10);

    chartaxis::drawTimeAxis(painter, a, n, 1);

    // Everything below sits on the time axis, which needs a length: with an
    // all-zero axis the band and the dots are left out and the rows draw
    // nothing.
    const bool axisUsable = axisMax > 0;

    const float m = float(minAlgMs / 1000.0);
    if (axisUsable && m > 0.0f) {
        const float xm = span * (m / a) + 5.0f;
        painter.setPen(Qt::NoPen);
        painter.setOpacity(0.2);
        painter.drawRect(QRect(0, 7, int(xm), h - 3));
        painter.setOpacity(1.0);
        painter.setPen(axisPen);
    }

    if (axisUsable) {
        ChartRandom random(0);
        for (float t : current) {
            const float x = t / a * span + 5.0f;
            const float y = float(random.next()) / float(ChartRandom::RandMax) * 20.0f + 28.0f;
            painter.drawEllipse(QPointF(x, y), 5.0, 5.0);
        }
    }

    drawBoxPlot(painter, summary, 0.0f, a, int(current.size()), 10, 14, 5, Qt::black, Qt::lightGray);

    for (std::size_t j = 0; j < stored.size(); ++j) {
        const int top = 56 + 16 * int(j);
        drawBoxPlot(painter, boxStatistics(stored[j], false), 0.0f, a, int(stored[j].size()), top, 14, 5, Qt::black,
                    Qt::darkGray);
        if (int(j) < labels.size())
            painter.drawText(QRect(w - 100, top, 100, 16), Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip,
                             labels[int(j)]);
    }
}

} // namespace algchart

void Cadenza::paintAlgChart()
{
    QPainter painter(ui->timerDisplay);
    algchart::paint(painter, findAlgRepetitions(), algSequences, algLabels, ui->minAlgSpin->value());
}

void Cadenza::updateAlgDisplayHeight()
{
    ui->timerDisplay->setMinimumHeight(16 * int(algSequences.size()) + 61);
    ui->timerDisplay->repaint();
}

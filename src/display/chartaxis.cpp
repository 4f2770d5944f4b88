#include "display/chartaxis.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace chartaxis {

TimeAxis bounded(TimeAxis axis, float largest, double minStep)
{
    if (axis.divisions <= maxDivisions || !std::isfinite(largest) || !(largest > 0.0))
        return axis;
    for (double decade = 1.0;; decade *= 10.0)
        for (double m : {1.0, 2.0, 5.0}) {
            const double step = m * decade;
            if (step < minStep)
                continue;
            const double ticks = std::ceil(double(largest) / step);
            if (ticks <= maxDivisions)
                return TimeAxis{ticks * step, int(ticks), 0};
        }
}

double held(double x)
{
    constexpr double limit = 1 << 20;
    if (!(x > -limit))
        return -limit;
    return x > limit ? limit : x;
}

int pixel(double x)
{
    return int(held(x));
}

void beginChart(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    QFont font = painter.font();
    font.setFamily(QStringLiteral("Montserrat"));
    font.setWeight(75);
    font.setPointSize(7);
    painter.setFont(font);
    painter.setPen(QPen(QBrush(Qt::black), 1, Qt::SolidLine));
    painter.setBrush(QBrush(Qt::red, Qt::SolidPattern));
}

int axisShift(const QFont &font)
{
    return std::max(0, QFontMetrics(font).height() + 1 - 6);
}

std::vector<AxisLabel> axisLabels(const TimeAxis &axis, int width, const QFont &font)
{
    std::vector<AxisLabel> labels;
    if (axis.divisions <= 0 || width <= 0)
        return labels;
    const QFontMetrics metrics(font);
    const float span = float(width - 10);
    std::vector<AxisLabel> all;
    int widest = 0;
    for (int i = 0; i <= axis.divisions; ++i) {
        const QString text = QStringLiteral("%1").arg(axis.max * i / axis.divisions, 0, 'f', axis.decimals);
        const int tw = metrics.horizontalAdvance(text);
        widest = std::max(widest, tw);
        const float x = span * (float(i) / float(axis.divisions)) + 5.0f;
        const int left = std::max(0, std::min(width - tw, int(x - float(tw) / 2.0f)));
        all.push_back({QRect(left, 0, tw, metrics.height()), text});
    }
    // Labels at least a space apart.
    const float step = span / float(axis.divisions);
    const int gap = metrics.horizontalAdvance(QLatin1Char(' '));
    const int every = step > 0.0f ? std::max(1, int(std::ceil(float(widest + gap) / step))) : axis.divisions + 1;
    const auto apart = [gap](const AxisLabel &a, const AxisLabel &b) { return b.rect.left() >= a.rect.right() + 1 + gap; };
    for (int i = 0; i <= axis.divisions; i += every)
        if (labels.empty() || apart(labels.back(), all[std::size_t(i)]))
            labels.push_back(all[std::size_t(i)]);
    // The end of the axis is always shown, in place of the label before it if need be.
    if (labels.back().rect != all.back().rect) {
        while (labels.size() > 1 && !apart(labels.back(), all.back()))
            labels.pop_back();
        if (apart(labels.back(), all.back()))
            labels.push_back(all.back());
    }
    return labels;
}

int drawTimeAxis(QPainter &painter, const TimeAxis &axis)
{
    const int w = painter.viewport().width();
    for (const AxisLabel &label : axisLabels(axis, w, painter.font()))
        painter.drawText(label.rect, Qt::AlignCenter, label.text);
    const int shift = axisShift(painter.font());
    painter.drawLine(QLine(0, 6 + shift, w, 6 + shift));
    return shift;
}

} // namespace chartaxis

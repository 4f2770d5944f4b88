#include "display/chartaxis.h"

#include <QPainter>
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

void drawTimeAxis(QPainter &painter, const TimeAxis &axis)
{
    const int w = painter.viewport().width();
    const float span = float(w - 10);
    for (int i = 0; axis.divisions > 0 && i <= axis.divisions; ++i) {
        const float x = span * (float(i) / float(axis.divisions)) + 5.0f;
        const double value = axis.max * i / axis.divisions;
        const QString label = QStringLiteral("%1").arg(value, 0, 'f', axis.decimals, QLatin1Char(' '));
        painter.drawText(QRect(int(x - 5.0f), 0, 10, 5), Qt::AlignCenter | Qt::TextDontClip, label);
    }
    painter.drawLine(QLine(0, 6, w, 6));
}

} // namespace chartaxis

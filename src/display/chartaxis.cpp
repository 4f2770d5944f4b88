#include "display/chartaxis.h"

#include <QPainter>

namespace chartaxis {

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

void drawTimeAxis(QPainter &painter, float axisMax, int divisions, int decimals)
{
    const int w = painter.viewport().width();
    const float span = float(w - 10);
    for (int i = 0; divisions > 0 && i <= divisions; ++i) {
        const float frac = float(i) / float(divisions);
        const float x = span * frac + 5.0f;
        const QString label = QStringLiteral("%1").arg(double(frac * axisMax), 0, 'f', decimals, QLatin1Char(' '));
        painter.drawText(QRect(int(x - 5.0f), 0, 10, 5), Qt::AlignCenter | Qt::TextDontClip, label);
    }
    painter.drawLine(QLine(0, 6, w, 6));
}

} // namespace chartaxis

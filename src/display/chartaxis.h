#ifndef CADENZA_CHARTAXIS_H
#define CADENZA_CHARTAXIS_H

class QPainter;

// What the two charts share: the opening state of the painter (antialiasing,
// bold 7 pt "Montserrat", a 1-pixel black pen, a red brush) and the time axis
// along the top, whose `divisions` tick labels are centred on y = 2.5 over
// x = (width - 10) * i / divisions + 5, above the axis line at y = 6.
namespace chartaxis {

void beginChart(QPainter &painter);
void drawTimeAxis(QPainter &painter, float axisMax, int divisions, int decimals);

} // namespace chartaxis

#endif

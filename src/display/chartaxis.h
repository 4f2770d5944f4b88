#ifndef CADENZA_CHARTAXIS_H
#define CADENZA_CHARTAXIS_H

#include <QRect>
#include <QString>
#include <vector>

class QFont;
class QPainter;

// What the two charts share: the opening state of the painter (antialiasing,
// bold 7 pt "Montserrat", a 1-pixel black pen, a red brush) and the time axis
// along the top: its tick labels, centred over x = (width - 10) * i /
// divisions + 5 and drawn whole in a band as high as the font, then the axis
// line. The charts lay out their rows as if the line lay at y = 6 and move
// them down by axisShift.
namespace chartaxis {

// A time axis from 0 to `max` seconds with `divisions` tick intervals whose
// labels carry `decimals` decimals. Held in double so that no stored time, up
// to the largest float, overflows it.
struct TimeAxis
{
    double max = 0.0;
    int divisions = 0;
    int decimals = 0;
};

// The most tick intervals an axis gets: a stored time of hours or years would
// otherwise ask for millions of labels.
constexpr int maxDivisions = 50;

// An axis over `largest` seconds with more than maxDivisions ticks widened to
// steps of 1, 2 or 5 times a power of ten seconds (at least minStep), the
// smallest such step that needs at most maxDivisions ticks; the axis then ends
// at the first multiple of the step at or above `largest`. Other axes are
// returned as they are.
TimeAxis bounded(TimeAxis axis, float largest, double minStep);

// A painter coordinate with values far outside any viewport held at +-2^20
// (NaN at -2^20), where nothing they draw can show; and the same as a whole
// pixel, truncated toward zero, a conversion to int that is always defined.
double held(double x);
int pixel(double x);

void beginChart(QPainter &painter);

// How far below y = 6 the axis line lies for labels in `font`.
int axisShift(const QFont &font);

// The tick labels that are drawn, and where: each as wide as its text and
// centred over its tick, the end ones moved inside the chart; when labels
// would touch, only every second (third, ...) one is drawn, the first always.
struct AxisLabel
{
    QRect rect;
    QString text;
};
std::vector<AxisLabel> axisLabels(const TimeAxis &axis, int width, const QFont &font);

// Draws the labels and the axis line with the painter's font; returns axisShift.
int drawTimeAxis(QPainter &painter, const TimeAxis &axis);

} // namespace chartaxis

#endif

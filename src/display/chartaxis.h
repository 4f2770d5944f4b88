#ifndef CADENZA_CHARTAXIS_H
#define CADENZA_CHARTAXIS_H

class QPainter;

// What the two charts share: the opening state of the painter (antialiasing,
// bold 7 pt "Montserrat", a 1-pixel black pen, a red brush) and the time axis
// along the top, whose `divisions` tick labels are centred on y = 2.5 over
// x = (width - 10) * i / divisions + 5, above the axis line at y = 6.
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
void drawTimeAxis(QPainter &painter, const TimeAxis &axis);

} // namespace chartaxis

#endif

#ifndef CADENZA_STATSCHART_H
#define CADENZA_STATSCHART_H

#include <QPointF>
#include <QtGlobal>
#include <vector>

class QPainter;

namespace statschart {

// Whole seconds at the right end of the axis: the ceiling of the largest
// time below 15 s, else the next multiple of 5.
int axisMaximum(float largest);

// Number of tick intervals for an axis ending at axisMax seconds, and how
// many decimals its labels carry.
int divisions(int axisMax, int *decimals);

// The solve times in seconds with their penalties applied (a DNF is 0), all
// of them and those of the week and of the day of the newest solve. The day
// of a solve is its local calendar day; a solve dated after the newest one
// counts as today.
struct PeriodLists
{
    std::vector<float> all;
    std::vector<float> week;
    std::vector<float> today;
};
PeriodLists periodLists(const std::vector<float> &times, const std::vector<qint32> &penalties,
                        const std::vector<qint64> &dates);

// How the scattered dots are painted. Every dot, as they come; only the
// dots that show at all (a dot whose every pixel later dots cover opaquely is
// left out, which changes no pixel); or, for the thousands of dots of a long
// session, the dots that show stamped from small pre-painted images, with
// centres rounded to 1/16 pixel.
enum class Dots { Every, Visible, Stamped };

// Paints the chart with a borrowed painter, sized by its viewport: scale,
// every solve as a scattered dot, and one box row per period with caption
// and average. Nothing with fewer than five solves.
void paint(QPainter &painter, const std::vector<float> &times, const std::vector<qint32> &penalties,
           const std::vector<qint64> &dates, Dots dots = Dots::Stamped);

// Which of the dots, painted in order (radius 5 with a 1-pixel outline) on a
// w x h image, show at all: a dot whose every pixel a later dot covers
// opaquely is hidden.
std::vector<unsigned char> visibleDots(const std::vector<QPointF> &centres, int w, int h);

} // namespace statschart

#endif

#ifndef CADENZA_STATSCHART_H
#define CADENZA_STATSCHART_H

#include "display/chartaxis.h"

#include <QPointF>
#include <QString>
#include <QtGlobal>
#include <vector>

class QPainter;

namespace statschart {

// The time axis for the largest solve in seconds: it ends at the ceiling of
// a largest time below 15 s, else at the next multiple of 5; 2 ticks a second
// with one decimal below 8 s, 1 a second below 20 s, half as many as seconds
// (rounded down) below 60 s, then 1 every 5 s, and wider steps past
// chartaxis::maxDivisions ticks. A largest time of 0 or less (or not a
// number) gives an empty axis.
chartaxis::TimeAxis timeAxis(float largest);

// The text of a row's average: "-" when the row holds fewer than three solves
// (nothing to average yet), "DNF" when its average is a DNF, else the average
// in seconds with two decimals.
QString averageText(const std::vector<float> &row);

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
// every solve but a DNF (which has no time to place) as a scattered dot, and
// one box row per period with caption and average. Nothing with fewer than
// five solves.
void paint(QPainter &painter, const std::vector<float> &times, const std::vector<qint32> &penalties,
           const std::vector<qint64> &dates, Dots dots = Dots::Stamped);

// Which of the dots, painted in order (radius 5 with a 1-pixel outline) on a
// w x h image, show at all: a dot whose every pixel a later dot covers
// opaquely is hidden.
std::vector<unsigned char> visibleDots(const std::vector<QPointF> &centres, int w, int h);

} // namespace statschart

#endif

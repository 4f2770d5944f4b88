#ifndef CADENZA_BOXPLOT_H
#define CADENZA_BOXPLOT_H

#include <QColor>
#include <vector>

class QPainter;

// Draws one box-and-whisker row from a seven-number summary (largest, upper
// quartile, median, lower quartile, smallest, mean, deviation; only the first
// five are used) over the axis lo..hi, inset by margin pixels on both sides of
// the painter's viewport, in the band top..top+height. The form follows count:
// nothing for 0, the median line for 1 or 2, box and median for 3 or 4, and
// box, median, whiskers and end dots from 5 up. The pen and brush it sets stay
// on the painter. A degenerate axis (hi equal to lo) or a short summary draws
// nothing and leaves the painter as it was.
void drawBoxPlot(QPainter &painter, std::vector<float> stats, float lo, float hi, int count, int top, int height,
                 int margin, const QColor &penColour, const QColor &brushColour);

#endif

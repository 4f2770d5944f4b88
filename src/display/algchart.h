#ifndef CADENZA_ALGCHART_H
#define CADENZA_ALGCHART_H

#include "display/chartaxis.h"

#include <QStringList>
#include <vector>

class QPainter;

namespace algchart {

// The time axis for the largest duration in seconds, its labels with one
// decimal: it ends at the ceiling of a largest duration below 10 s, else at
// the next multiple of 5; 10 ticks up to 2 s, 15 for 3 s, 20 for 4 s, 2 a
// second up to 9 s, 1 a second from 10 s, and wider steps past
// chartaxis::maxDivisions ticks. A largest duration of 0 or less gives an
// empty axis.
chartaxis::TimeAxis timeAxis(float largest);

// Paints the repetition chart: scale, minimum-duration band, the current
// durations as scattered dots over their box row, and one box row per stored
// sequence with its label at the right. Nothing at all when there is neither
// a current duration nor a stored sequence.
void paint(QPainter &painter, const std::vector<float> &current, const std::vector<std::vector<float>> &stored,
           const QStringList &labels, double minAlgMs);

// The height the chart needs for `stored` sequences under the current
// durations' row.
int heightFor(std::size_t stored);

} // namespace algchart

#endif

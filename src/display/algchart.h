#ifndef CADENZA_ALGCHART_H
#define CADENZA_ALGCHART_H

#include <QStringList>
#include <vector>

class QPainter;

namespace algchart {

// Whole seconds at the right end of the axis for the largest duration: its
// ceiling below 10 s, else the next multiple of 5.
int axisMaximum(float largest);

// Number of tick intervals on an axis ending at axisMax seconds: steps of
// 0.1 s or 0.2 s up to 4 s, 0.5 s up to 9 s, whole seconds from 10 s.
int divisions(int axisMax);

// Paints the repetition chart: scale, minimum-duration band, the current
// durations as scattered dots over their box row, and one box row per stored
// sequence with its label at the right. Nothing at all when there is neither
// a current duration nor a stored sequence.
void paint(QPainter &painter, const std::vector<float> &current, const std::vector<std::vector<float>> &stored,
           const QStringList &labels, double minAlgMs);

} // namespace algchart

#endif

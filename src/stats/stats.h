#ifndef CADENZA_STATS_H
#define CADENZA_STATS_H

#include <vector>

// Average of a window of values with one best value and one worst value left
// out (a DNF, marked by a value of exactly 0, is the left-out worst). With
// `dnfRule` on, two or more DNFs make the whole average a DNF (0).
float trimmedAverage(const std::vector<float> &values, bool dnfRule);

// Seven-number summary: largest, upper quartile, median, lower quartile,
// smallest, mean, standard deviation (population form). Values three
// deviations or more above the mean are left out of the order figures.
std::vector<float> boxStatistics(const std::vector<float> &values, bool skipZeros);

#endif

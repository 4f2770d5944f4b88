#ifndef CADENZA_ALGS_H
#define CADENZA_ALGS_H

#include <QtGlobal>
#include <vector>

namespace algs {

// Cuts a level record into repetitions: stretches of sound (a level at or
// above the threshold) separated by silences of at least gapMs. A silence
// shorter than that is bridged. A repetition lasts from its first to its last
// sound sample; one shorter than minAlgMs is dropped, and so is a segment
// still open at the end of the record. Durations in seconds, in order.
std::vector<float> findRepetitions(const std::vector<float> &levels, const std::vector<qint32> &levelTimes,
                                   float threshold, int gapMs, int minAlgMs);

// Summary of a list of durations: mean, deviation, median, count, last
// (0 when empty), lower quartile.
std::vector<float> repetitionStats(const std::vector<float> &durations);

} // namespace algs

#endif

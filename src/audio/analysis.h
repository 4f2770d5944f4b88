#ifndef CADENZA_ANALYSIS_H
#define CADENZA_ANALYSIS_H

#include "app/session.h"

#include <QtGlobal>
#include <vector>

// The sound analyses of a level record (one level per 10 ms tick): pauses and
// voice onsets and the phase times they give. Plain data in, plain data out;
// nothing is kept between calls.
namespace analysis {

// A threshold as the analyses use it: the spin box value in single precision,
// divided by 5 (in double) when boost is on.
float effectiveThreshold(double spinValue, bool boost);

// A silent run of more than this many samples is a pause.
constexpr int minPauseSamples = 11;
// A loud run of more than this many samples is a word.
constexpr int minVoiceSamples = 9;
// In the CFOP mode only the first three words count.
constexpr int cfopMaxOnsets = 3;

// Pauses: maximal runs of samples strictly below the threshold that are at
// least minPauseSamples long. idleFraction is the share of all samples that
// lie in pauses. An empty record, or a disabled analysis, gives zeros.
PauseStats pauseStats(const std::vector<float> &levels, float threshold, bool disabled);

// Onsets of words: the index of the first sample of every run of samples
// strictly above the threshold that is at least minVoiceSamples long and has
// ended before the record does. With maxOnsets > 0 the walk stops at that
// many onsets.
std::vector<qint32> voiceOnsets(const std::vector<float> &levels, float threshold, int maxOnsets);

// Phase durations in ms from the onsets: start to first onset, onset to onset,
// last onset to the last time stamp; one phase more than onsets. An onset
// outside the record gives 0. An empty record gives no phases.
std::vector<qint32> splitTimes(const std::vector<qint32> &levelTimes, const std::vector<qint32> &onsets);

} // namespace analysis

#endif

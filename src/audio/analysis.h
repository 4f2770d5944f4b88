#ifndef CADENZA_ANALYSIS_H
#define CADENZA_ANALYSIS_H

#include "session/session.h"

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
// Words. A word begins at a level above the voice threshold (loud) and goes
// on while the speaker is still speaking: levels above half the threshold, and
// a single level at or below it between two that are above. It ends at the
// second such level in a row, or at the tenth level in a row that is not loud.
// It counts when at least minVoiceSamples of its levels are above half the
// threshold (about 90 ms of voice) and coreLoudSamples of some coreSpanSamples
// levels in a row are loud: the clicks of turning are shorter than that,
// however many there are.
constexpr int minVoiceSamples = 9;
constexpr int coreLoudSamples = 3;
constexpr int coreSpanSamples = 4;
constexpr float stillSpeakingShare = 0.5f;
constexpr int bridgedQuietSamples = 1;
constexpr int maxNotLoudSamples = 10;
// A counted word that begins at most this many levels after the last voice
// level of the word before is the rest of it (the closure in "okay"). A part
// too short to count but with a core and at least leadInVoiceSamples of voice,
// ending at most as far before a counted word, is the word's beginning, unless
// it begins itself within sameWordSamples of the word before: then it is that
// word's tail.
constexpr int sameWordSamples = 20;
constexpr int leadInVoiceSamples = 4;
// In the CFOP mode only the first three words count.
constexpr int cfopMaxOnsets = 3;

// Pauses: maximal runs of samples strictly below the threshold that are at
// least minPauseSamples long. idleFraction is the share of all samples that
// lie in pauses. An empty record, or a disabled analysis, gives zeros.
PauseStats pauseStats(const std::vector<float> &levels, float threshold, bool disabled);

// Onsets of words: the index of the first loud level of every counted word
// that has ended before the record does. With maxOnsets > 0 the walk stops at
// that many onsets.
std::vector<qint32> voiceOnsets(const std::vector<float> &levels, float threshold, int maxOnsets);

// Phase durations in ms from the onsets: start to first onset, onset to onset,
// last onset to the last time stamp; one phase more than onsets. An onset
// outside the record gives 0. An empty record gives no phases.
std::vector<qint32> splitTimes(const std::vector<qint32> &levelTimes, const std::vector<qint32> &onsets);

} // namespace analysis

#endif

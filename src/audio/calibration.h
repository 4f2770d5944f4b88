#ifndef CADENZA_CALIBRATION_H
#define CADENZA_CALIBRATION_H

#include <QString>
#include <vector>

// Microphone calibration: from three level records taken as the window takes
// them (one level per 10 ms tick) - the room while the user stays quiet, fast
// turning, and a few spoken words - the voice and silence thresholds and the
// boost choice that make words and pauses work with this microphone and room.
// A pure function of the records; the dialog that takes them is elsewhere.
namespace calibration {

struct Records
{
    std::vector<float> quiet;
    std::vector<float> turning;
    std::vector<float> voice;
    int wordsAsked = 5; // words the user was asked to say in the voice record
    // Fine levels (from 16-bit samples, levels::fineFormat) rather than 8-bit
    // ones, which come in steps of 0.78.
    bool fine = false;
};

// How the thresholds are chosen from the records. The defaults are the rule
// Cadenza uses on 8-bit levels (see ruleFor); the benchmark tries others.
struct Choice
{
    // Effective voice thresholds looked at: a geometric grid.
    float gridLow = 0.3f;
    float gridHigh = 40.0f;
    float gridRatio = 1.03f;
    // The voice threshold lies between the lowest at which neither the
    // turning nor the room gives a word and the highest at which the words
    // asked are heard once each (one of them may be missed), at `placement`
    // of the way up on a logarithmic scale.
    float placement = 0.2f;
    int wordsMissed = 1;
    // The lowest is also at least turningShareFactor times the turning's
    // level and turningStep above it: the mean of its loudest turningTop share
    // of levels (with turningTop 0: the level turningShare of it stays below).
    // A few seconds of turning hold fewer of its loudest moments than a session
    // of solves, and on 8-bit levels a quantile jumps a whole step from one
    // record to the next where a mean does not. It is at least roomFactor
    // times the level 99 % of the quiet room stays below, and middleFactor
    // times the middle level of the room and of the turning: a word ends when
    // the voice falls below half the threshold, so half of it must lie above
    // what the microphone hears between words.
    float turningShare = 0.9f;
    float turningShareFactor = 1.15f;
    float turningStep = 0.0f;
    float turningTop = 0.2f;
    float roomFactor = 1.4f;
    float middleFactor = 2.05f;
    // Below this ratio of highest to lowest the voice is not told from the turning.
    float minSeparation = 1.0f;
    // Unless this voice threshold (0: none), the form's own, hears the words
    // asked and neither the turning nor the room gives a word at it.
    float fallbackVoice = 0.0f;

    // Silence: above this share of the quiet levels, by silenceFactor, plus
    // silenceOffset: on 8-bit levels half a step (0.78) above the room.
    float quietShare = 0.95f;
    float silenceFactor = 1.0f;
    float silenceOffset = 0.39f;
    // And at least this share of the turning's level (the mean of its loudest
    // fifth): a pause is where the sound falls well below the turning, which
    // is how loud the microphone hears the cube.
    float silenceTurning = 0.0f;
};

struct Proposal
{
    enum Outcome {
        Ready,         // the thresholds below will work
        NothingHeard,  // no word, nor any turning, stood out of the room's noise
        TooFewWords,   // fewer words than asked were heard at any threshold
        VoiceLikeTurning // the words are no louder than the turning
    };
    Outcome outcome = NothingHeard;
    // As typed into the spin boxes (one decimal) and the boost check box.
    double voice = 5.0;
    double silence = 0.4;
    bool boost = false;
    // What was found, on the level scale: the room's level (the quietShare
    // quantile of the quiet record), the loudest level of the turning and of
    // the words, and most words heard at one threshold.
    float room = 0.0f;
    float turningPeak = 0.0f;
    float wordPeak = 0.0f;
    int wordsHeard = 0;
    int wordsAsked = 5;
    // The range of effective voice thresholds that would work (0 when none).
    float lowest = 0.0f;
    float highest = 0.0f;
};

// The rule Cadenza uses on levels of this resolution (Records::fine): on fine
// levels the turning's level and the room are known closely, where 8-bit
// ones need the margins of Choice's defaults.
Choice ruleFor(bool fine);

// The proposal by ruleFor(records.fine), or by the rule given.
Proposal propose(const Records &records);
Proposal propose(const Records &records, const Choice &choice);

// The effective thresholds of a proposal, as the analyses will use them.
float effectiveVoice(const Proposal &p);
float effectiveSilence(const Proposal &p);

// What the dialog shows at the end: the proposal and what it rests on, or
// plainly why there is none.
QString describe(const Proposal &p);

} // namespace calibration

#endif

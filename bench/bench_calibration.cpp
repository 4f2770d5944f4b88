// How well a calibration makes words and pauses work, for microphones and
// rooms from loud to quiet. Each of the 14 speakers of the voice corpus (7
// voices x 2 speeds) calibrates, and is then scored with the thresholds the
// calibration proposes, at every combination of
//   voice  0, -6, -12, -18 dB: the microphone's gain (peak -1 dBFS at 0 dB),
//   turning  -6, 0, +6 dB against the fast-turning model, on top of that gain,
//   room noise  none, -50, -42, -35 dBFS rms (white, as captured).
// Calibration and score use different material: the calibration hears the
// room (and the microphone's hiss of the turning model) for 3 s, 6 s of one fast-turning track, and the words "next okay stop
// done cross" one after the other 1.5 s apart (each up to 0.4 s late), all as
// the 10 ms tick samples the levels (the dialog's first 0.5 s of quiet and 1 s
// of turning left out). The score uses the speaker's 13 other words (each
// alone in the room and under turning, at 20 byte phases of the capture
// block), 5 minutes of another fast-turning track (16 phases), and the pauses
// of a 24 s solve (4 phases): turning at 16-24 turns a second with five pauses
// of 0.3 to 2 s, the microphone's hiss throughout. The solve's truth is its
// idle time with the same turns in digital silence, on fine levels, at 0.4
// times the turning's gain (the form's threshold 0.4 at the model's own
// loudness): the pauses played and the turning's own gaps of 110 ms and more,
// the same whatever the microphone's gain. The column "abs" counts solves
// within 100 ms of the truth at 0.4 itself, as this bench first measured it:
// at low gains that truth takes most of the quieter turning for idle time.
//
// Every condition is played once and captured both ways: as 8-bit levels
// (how capture runs without a calibration, or on a device without 16-bit
// samples) and as fine levels (16-bit samples, how capture runs after a
// calibration made with them). Each rule calibrates and is scored on one of
// the two; "fine" in its name, the fine levels.
//
// Printed: for each calibration rule tried and each voice level, then for
// Cadenza's rule on 8-bit and on fine levels by voice and turning level
// (with the refusals by kind) and by room: the share of conditions where the
// calibration refuses (it says it cannot tell the words from the turning, or
// heard too few, and changes nothing), and over the conditions where it
// proposes thresholds: the share of words with exactly one onset, false words
// a minute of fast turning, and the share of solves whose idle time lies
// within 100 ms of the truth (with the worst error). "before" is the form's
// defaults, voice 5.0 and silence 0.4, for everyone, on 8-bit levels.
//
//   bench_calibration [--silence [--16]]
//       --silence  instead, for each voice (microphone) level, turning and room:
//                  the fewest false words any threshold allows over 80 minutes
//                  (t*: the lowest threshold with at most one), quantiles of the
//                  turning's levels, the silence thresholds that put all four
//                  solves within 100 ms of the truth (and at best how many),
//                  the quiet room as the calibration hears it, and the solve's
//                  idle time against its truth for a range of silence
//                  thresholds; on 8-bit levels, with --16 on fine ones

#include "audio/analysis.h"
#include "audio/calibration.h"
#include "audio/levels.h"
#include "calibrationmodel.h"
#include "capturemodel.h"
#include "turningnoise.h"
#include "voicecorpus.h"

#include <QProcess>
#include <array>
#include <algorithm>
#include <cstdlib>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace calibrationmodel;
bool sixteenBit = false;

struct Room
{
    float rms; // 0: none
    const char *name;
};

struct Score
{
    long conditions = 0, refused = 0;
    long failing = 0; // proposals whose words or turning miss the targets in their condition
    long why[4] = {}; // refusals by calibration::Proposal::Outcome
    long needless = 0; // refusals where the form's defaults meet the targets
    long words = 0, one = 0;
    double turningMinutes = 0;
    long falseWords = 0;
    long solves = 0, solvesWithin = 0, solvesWithinAbsolute = 0;
    double worstMs = 0;
    void add(const Score &o)
    {
        conditions += o.conditions; refused += o.refused; failing += o.failing;
        for (int k = 0; k < 4; ++k)
            why[k] += o.why[k];
        needless += o.needless; words += o.words; one += o.one;
        turningMinutes += o.turningMinutes; falseWords += o.falseWords; solves += o.solves;
        solvesWithin += o.solvesWithin; solvesWithinAbsolute += o.solvesWithinAbsolute; worstMs = std::max(worstMs, o.worstMs);
    }
    void print(const char *name) const
    {
        std::printf("%-92s | %5.1f %5.1f | %6.1f | %6.3f (%ld) | %5.1f %6.0f | %5.1f\n", name,
                    100.0 * double(refused) / double(std::max(1L, conditions)),
                    100.0 * double(failing) / double(std::max(1L, conditions - refused)),
                    100.0 * double(one) / double(std::max(1L, words)), double(falseWords) / std::max(1e-9, turningMinutes),
                    falseWords, 100.0 * double(solvesWithin) / double(std::max(1L, solves)), worstMs,
                    100.0 * double(solvesWithinAbsolute) / double(std::max(1L, solves)));
    }
};

struct Candidate
{
    std::string name;
    bool defaults = false; // the form's thresholds, no calibration
    calibration::Choice choice;
    bool fine = false; // calibrated and scored on fine levels (16-bit samples)
};

// Every record of a condition at both resolutions, from the same audio.
struct Both
{
    std::vector<float> coarse, fine;
    const std::vector<float> &at(bool f) const { return f ? fine : coarse; }
};

Both levelsOfBoth(const std::vector<float> &x, int phase)
{
    return {levelsOf(x, phase, false), levelsOf(x, phase, true)};
}

} // namespace

int main(int argc, char **argv)
{
    bool silenceSweep = false;
    for (int k = 1; k < argc; ++k) {
        sixteenBit = sixteenBit || std::strcmp(argv[k], "--16") == 0;
        silenceSweep = silenceSweep || std::strcmp(argv[k], "--silence") == 0;
    }
    const QString dir = QStringLiteral(CADENZA_VOICE_CORPUS);
    if (QProcess::execute(QStringLiteral("sh"), {QStringLiteral(CADENZA_VOICE_CORPUS_SCRIPT), dir}) != 0) {
        std::fprintf(stderr, "could not speak the corpus (espeak-ng and sox are needed)\n");
        return 1;
    }
    const std::vector<voicecorpus::Word> corpus = voicecorpus::load(dir);
    Speakers speakers = speakersOf(corpus);
    auto &asked = speakers.asked;
    auto &scored = speakers.other;

    const float voiceDb[] = {0, -6, -12, -18}, turningDb[] = {-6, 0, 6};
    const Room rooms[] = {{0.0f, "none"}, {dB(-50), "-50"}, {dB(-42), "-42"}, {dB(-35), "-35"}};
    const std::vector<float> calTurning = turningnoise::fastTurning(60, 4711, 5.0f);
    const std::vector<float> scoreTurning = turningnoise::fastTurning(300, 20261206, 5.0f);

    std::vector<Candidate> candidates;
    candidates.push_back({"before: voice 5.0, silence 0.4 for everyone", true, {}});
    auto add = [&](float turningFactor, float roomFactor, float placement, int missed, float share, float factor, float offset,
                   float turningShare = 0.9f, float separation = 1.0f, float step = 0.0f) {
        calibration::Choice c;
        c.turningTop = 0.0f; // the quantile, unless a candidate asks for the mean
        c.middleFactor = 0.0f;
        c.turningStep = step;
        c.turningShare = turningShare;
        c.minSeparation = separation;
        c.turningShareFactor = turningFactor; c.roomFactor = roomFactor; c.placement = placement; c.wordsMissed = missed;
        c.quietShare = share; c.silenceFactor = factor; c.silenceOffset = offset;
        char name[160];
        std::snprintf(name, sizeof name, "turning q%.0f x%.2f +%.2f, room x%.2f, place %.2f, miss %d, apart x%.2f; silence q%.0f x%.1f +%.2f",
                      double(turningShare * 100), double(turningFactor), double(step), double(roomFactor), double(placement), missed, double(separation), double(share * 100), double(factor), double(offset));
        candidates.push_back({name, false, c});
    };
    add(1.15f, 1.15f, 0.35f, 0, 0.95f, 1.5f, 0.2f); // the first tried
    add(1.15f, 1.4f, 0.35f, 0, 0.95f, 1.0f, 0.39f);
    add(1.15f, 1.4f, 0.35f, 1, 0.95f, 1.0f, 0.39f); // chosen
    add(1.0f, 1.4f, 0.35f, 1, 0.95f, 1.0f, 0.39f);
    add(1.3f, 1.4f, 0.35f, 1, 0.95f, 1.0f, 0.39f);
    add(1.15f, 1.2f, 0.35f, 1, 0.95f, 1.0f, 0.39f);
    add(1.15f, 1.4f, 0.2f, 1, 0.95f, 1.0f, 0.39f);
    add(1.15f, 1.4f, 0.5f, 1, 0.95f, 1.0f, 0.39f);
    add(1.15f, 1.4f, 0.35f, 1, 0.8f, 1.0f, 0.39f);
    add(1.15f, 1.4f, 0.35f, 1, 0.99f, 1.0f, 0.39f);
    add(1.15f, 1.4f, 0.35f, 1, 0.95f, 1.0f, 0.39f, 0.93f);
    add(1.0f, 1.4f, 0.35f, 1, 0.95f, 1.0f, 0.39f, 0.95f);
    add(1.15f, 1.4f, 0.35f, 1, 0.95f, 1.0f, 0.39f, 0.95f);
    add(1.0f, 1.4f, 0.35f, 1, 0.95f, 1.0f, 0.39f, 0.95f, 1.25f);
    add(1.0f, 1.4f, 0.35f, 1, 0.95f, 1.0f, 0.39f, 0.95f, 1.5f);
    add(1.0f, 1.4f, 0.5f, 1, 0.95f, 1.0f, 0.39f, 0.95f, 1.5f);
    add(1.15f, 1.4f, 0.35f, 1, 0.95f, 1.0f, 0.39f, 0.9f, 1.0f, 0.85f);
    add(1.15f, 1.4f, 0.35f, 1, 0.95f, 1.0f, 0.39f, 0.9f, 1.25f, 0.85f);
    add(1.15f, 1.4f, 0.5f, 1, 0.95f, 1.0f, 0.39f, 0.9f, 1.0f, 0.85f);
    add(1.3f, 1.4f, 0.35f, 1, 0.95f, 1.0f, 0.39f, 0.9f, 1.0f, 0.85f);
    for (const float place : {0.2f, 0.25f}) {
        add(1.15f, 1.4f, place, 1, 0.95f, 1.0f, 0.39f, 0.9f, 1.0f, 0.0f);
        candidates.back().choice.turningTop = 0.2f;
        candidates.back().choice.middleFactor = 2.05f;
        candidates.back().name.replace(0, 13, "turning top 20 % mean x");
        candidates.back().name += ", middle x2.05";
    }
    for (const float f : {0.95f, 1.05f, 1.15f, -2.05f, -2.2f}) {
        add(std::fabs(f < 0 ? 1.15f : f), 1.4f, 0.35f, 1, 0.95f, 1.0f, 0.39f, 0.9f, 1.0f, 0.0f);
        candidates.back().choice.turningTop = 0.2f;
        candidates.back().choice.middleFactor = f < 0 ? -f : 0.0f;
        candidates.back().name.replace(0, 13, "turning top 20 % mean x");
        if (f < 0)
            candidates.back().name += ", middle x" + std::to_string(-f).substr(0, 4);
    }
    // On fine levels: the silence threshold against the quiet room (its level
    // quantile, a factor, an offset), the rest as Cadenza's 8-bit rule.
    for (const float share : {0.95f, 0.99f, 1.0f})
        for (const float factor : {1.0f, 1.15f, 1.3f, 1.5f})
            for (const float offset : {0.0f, 0.05f}) {
                calibration::Choice c;
                c.quietShare = share, c.silenceFactor = factor, c.silenceOffset = offset;
                char name[160];
                std::snprintf(name, sizeof name, "fine: silence q%.0f x%.2f +%.2f", double(share * 100), double(factor), double(offset));
                candidates.push_back({name, false, c, true});
            }
    // The same, and at least a share of the turning's level.
    for (const float share : {0.95f, 0.99f, 1.0f})
        for (const float factor : {1.0f, 1.1f, 1.2f})
            for (const float turning : {0.13f, 0.15f, 0.17f}) {
                calibration::Choice c;
                c.quietShare = share, c.silenceFactor = factor, c.silenceOffset = 0.0f, c.silenceTurning = turning;
                char name[160];
                std::snprintf(name, sizeof name, "fine: silence q%.0f x%.2f, turning x%.2f", double(share * 100), double(factor), double(turning));
                candidates.push_back({name, false, c, true});
            }
    // Cadenza's fine rule (silence q95 x1.5, apart x1.1) with the lowest
    // threshold elsewhere against the turning's level, and the threshold placed
    // elsewhere between lowest and highest.
    for (const float factor : {0.8f, 0.9f, 1.0f, 1.15f})
        for (const float place : {0.2f, 0.35f}) {
            calibration::Choice c = calibration::ruleFor(true);
            c.turningShareFactor = factor, c.placement = place;
            char name[160];
            std::snprintf(name, sizeof name, "fine: Cadenza's rule, turning top 20 %% mean x%.2f, place %.2f", double(factor), double(place));
            candidates.push_back({name, false, c, true});
        }
    // Cadenza's fine rule, refusing a range of working thresholds narrower than this ratio.
    for (const float apart : {1.0f, 1.2f, 1.3f}) {
        calibration::Choice c = calibration::ruleFor(true);
        c.minSeparation = apart;
        char name[160];
        std::snprintf(name, sizeof name, "fine: Cadenza's rule, apart x%.2f", double(apart));
        candidates.push_back({name, false, c, true});
    }
    // Cadenza's fine rule, and where it finds no range the form's voice 5.0 if that holds on the records.
    for (const bool fine : {false, true}) {
        calibration::Choice c = calibration::ruleFor(fine);
        c.fallbackVoice = 5.0f;
        candidates.push_back({fine ? "fine: Cadenza's rule, else voice 5.0 where it holds" : "Cadenza's 8-bit rule, else voice 5.0 where it holds", false, c, fine});
    }
    // The rule Cadenza uses, calibration::Choice(), on 8-bit levels (where
    // capture runs before a calibration with fine levels, and on a device
    // without 16-bit samples) and on fine levels (after one).
    const std::size_t coarseRule = candidates.size();
    candidates.push_back({"Cadenza's rule, 8-bit levels", false, calibration::ruleFor(false), false});
    const std::size_t fineRule = candidates.size();
    candidates.push_back({"Cadenza's rule, fine levels", false, calibration::ruleFor(true), true});

    // Turning alone and the solves with pauses, for each turning level and room:
    // they do not depend on the speaker.
    struct Background
    {
        std::vector<Both> turning; // 16 phases
        std::vector<Both> solves;  // 4 phases
        std::vector<double> truthMs; // of each
        std::vector<double> absoluteTruthMs;
    };
    std::map<std::array<int, 3>, Background> background;
    std::mt19937 noise(99);
    const std::vector<float> solveTurning = turningnoise::fastTurning(60, 31337, 5.0f, 16.0f, 24.0f);
    const std::vector<float> solveClicks = turningnoise::fastTurning(60, 31337, 5.0f, 16.0f, 24.0f, 0.0f);
    for (int vg = 0; vg < 4; ++vg)
    for (int tg = 0; tg < 3; ++tg)
        for (int rn = 0; rn < 4; ++rn) {
            Background &b = background[{vg, tg, rn}];
            const float gt = dB(voiceDb[vg] + turningDb[tg]);
            std::vector<float> x(scoreTurning.size(), 0.0f);
            addAt(x, scoreTurning, 0, gt);
            addRoom(x, rooms[rn].rms, noise);
            for (int ph = 0; ph < 16; ++ph)
                b.turning.push_back(levelsOfBoth(x, ph * 5));
            // A solve: fast turning in stretches of 2.5-4 s with pauses of
            // these lengths between, the microphone's hiss throughout. Its
            // truth: the idle time of the same clicks in digital silence at
            // the form's threshold, which is the pauses and the turning's own
            // gaps of 110 ms and more.
            const double pauses[] = {0.3, 1.2, 0.6, 2.0, 0.9};
            std::vector<float> solve, clean;
            std::mt19937 at(unsigned(vg * 12 + tg * 4 + rn));
            std::normal_distribution<float> hiss(0.0f, turningnoise::sigmaForLevel(0.3f));
            for (int k = 0; k <= 5; ++k) {
                const std::size_t n = std::size_t((2.5 + 1.5 * (at() % 1000) / 1000.0) * rate);
                const std::size_t from = at() % (solveTurning.size() - n);
                for (std::size_t i = 0; i < n; ++i) {
                    solve.push_back(gt * solveTurning[from + i]);
                    clean.push_back(gt * solveClicks[from + i]);
                }
                for (std::size_t i = 0; k < 5 && i < std::size_t(pauses[k] * rate); ++i) {
                    solve.push_back(gt * hiss(at));
                    clean.push_back(0.0f);
                }
            }
            addRoom(solve, rooms[rn].rms, noise);
            // The truth is taken from fine levels at both resolutions: the
            // clicks' quiet tails are part of the turning, whether or not an
            // 8-bit sample can tell them from silence.
            for (int ph = 0; ph < 4; ++ph) {
                b.solves.push_back(levelsOfBoth(solve, ph * 20));
                const std::vector<float> l = levelsOf(clean, ph * 20, true);
                b.truthMs.push_back(double(analysis::pauseStats(l, 0.4f * gt, false).idleFraction) * double(l.size()) * 10.0);
                b.absoluteTruthMs.push_back(double(analysis::pauseStats(l, 0.4f, false).idleFraction) * double(l.size()) * 10.0);
            }
        }

    if (silenceSweep) {
        for (int vg = 0; vg < 4; ++vg)
        for (int tg = 0; tg < 3; ++tg)
            for (int rn = 0; rn < 4; ++rn) {
                const Background &b = background[{vg, tg, rn}];
                std::vector<float> all;
                for (const Both &l : b.turning) all.insert(all.end(), l.at(sixteenBit).begin(), l.at(sixteenBit).end());
                std::sort(all.begin(), all.end());
                auto q = [&](double x) { return all[std::size_t(x * (all.size() - 1))]; };
                auto top = [&](double x) { double m = 0; std::size_t k = std::size_t(x * double(all.size())); for (std::size_t i = all.size() - k; i < all.size(); ++i) m += double(all[i]); return m / double(k); };
                std::printf("top10 %.2f top20 %.2f top5 %.2f | ", top(0.1), top(0.2), top(0.05));
                float tstar = 0;
                for (float t = 40.0f; t > 0.3f; t /= 1.03f) {
                    long f = 0; for (const Both &l : b.turning) f += long(analysis::voiceOnsets(l.at(sixteenBit), t, 0).size());
                    if (f > 1) { tstar = t * 1.03f; break; }
                }
                std::printf("voice %+.0f turning %+.0f room %s: t* %.2f, turning q50 %.2f q80 %.2f q90 %.2f q95 %.2f q99 %.2f q999 %.2f | idle error ms at silence:",
                            double(voiceDb[vg]), double(turningDb[tg]), rooms[rn].name, double(tstar), double(q(.5)), double(q(.8)), double(q(.9)), double(q(.95)), double(q(.99)), double(q(.999)));
                {
                    // The silence thresholds that put all four solves within
                    // 100 ms of their truth, and the quiet room as the
                    // calibration hears it (the microphone's hiss and the room).
                    float lo = 0, hi = 0;
                    int best = 0;
                    for (float sl = 0.1f; sl < 6.0f; sl *= 1.01f) {
                        int within = 0;
                        for (std::size_t k = 0; k < 4; ++k) {
                            const std::vector<float> &l = b.solves[k].at(sixteenBit);
                            within += std::fabs(double(analysis::pauseStats(l, sl, false).idleFraction) * double(l.size()) * 10.0 - b.truthMs[k]) <= 100.0;
                        }
                        best = std::max(best, within);
                        if (within == 4 && lo == 0) lo = sl;
                        if (within == 4) hi = sl;
                    }
                    std::printf(" at best %d of 4 within 100 ms;", best);
                    std::vector<float> quiet(3 * rate, 0.0f);
                    addRoom(quiet, dB(voiceDb[vg] + turningDb[tg]) * turningnoise::sigmaForLevel(0.3f), noise);
                    addRoom(quiet, rooms[rn].rms, noise);
                    std::vector<float> ql = levelsOf(quiet, 0, sixteenBit);
                    ql.erase(ql.begin(), ql.begin() + 50);
                    std::sort(ql.begin(), ql.end());
                    std::printf(" within 100 ms at %.2f..%.2f; quiet q50 %.2f q95 %.2f q99 %.2f max %.2f;", double(lo), double(hi),
                                double(ql[ql.size() / 2]), double(ql[ql.size() * 95 / 100]), double(ql[ql.size() * 99 / 100]), double(ql.back()));
                }
                std::printf(" truth %.0f (absolute %.0f)", b.truthMs[0], b.absoluteTruthMs[0]); for (float sl : {0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 1.2f, 1.4f, 1.6f, 2.0f, 2.4f}) {
                    double idle = 0; for (std::size_t k = 0; k < 4; ++k) { const std::vector<float> &l = b.solves[k].at(sixteenBit); idle += (double(analysis::pauseStats(l, sl, false).idleFraction) * double(l.size()) * 10.0 - b.truthMs[k]) / 4; }
                    std::printf(" %.1f:%+.0f", double(sl), idle);
                }
                std::printf("\n");
            }
        return 0;
    }
    std::vector<std::map<std::pair<int, int>, Score>> byCell(candidates.size()); // (voice, turning)
    std::vector<std::map<int, Score>> byVoice(candidates.size());
    std::vector<std::map<std::array<int, 3>, Score>> byAll(candidates.size());
    std::mt19937 rng(5);
    std::mt19937 ticks(7);
    long progress = 0;
    for (const auto &[speaker, calList] : asked) {
        const std::vector<const voicecorpus::Word *> &scoreList = scored[speaker];
        for (int vg = 0; vg < 4; ++vg)
            for (int tg = 0; tg < 3; ++tg)
                for (int rn = 0; rn < 4; ++rn) {
                    const float gv = dB(voiceDb[vg]), gt = dB(voiceDb[vg] + turningDb[tg]), room = rooms[rn].rms;
                    // The calibration's records.
                    // The same sound at both resolutions.
                    std::mt19937 rngFine = rng, ticksFine = ticks;
                    const calibration::Records rec = records(calList, gv, gt, room, calTurning, rng, ticks, false);
                    calibration::Records recFine = records(calList, gv, gt, room, calTurning, rngFine, ticksFine, true);
                    recFine.fine = true;

                    // The score's records: each word alone in the room and under turning.
                    std::vector<Both> wordRecords;
                    for (const voicecorpus::Word *w : scoreList) {
                        const std::size_t lead = std::size_t(0.3 * rate), n = lead + w->samples.size() + std::size_t(0.5 * rate);
                        for (const bool noisy : {false, true}) {
                            std::vector<float> x(n, 0.0f);
                            addAt(x, w->samples, lead, gv);
                            if (noisy)
                                addAt(x, std::vector<float>(scoreTurning.begin() + long(rng() % (scoreTurning.size() - n)), scoreTurning.end()), 0, gt);
                            addRoom(x, room, rng);
                            for (int ph = 0; ph < block; ph += 4)
                                wordRecords.push_back(levelsOfBoth(x, ph));
                        }
                    }
                    const Background &b = background[{vg, tg, rn}];
                    bool defaultsMeetTargets = false; // candidate 0, scored first
                    for (std::size_t c = 0; c < candidates.size(); ++c) {
                        Score s;
                        s.conditions = 1;
                        float tv = 5.0f, ts = 0.4f;
                        const bool fine = candidates[c].fine;
                        if (!candidates[c].defaults) {
                            const calibration::Proposal p = calibration::propose(fine ? recFine : rec, candidates[c].choice);
                            if (p.outcome != calibration::Proposal::Ready) {
                                s.refused = 1;
                                s.why[p.outcome] = 1;
                                s.needless = defaultsMeetTargets ? 1 : 0;
                                byCell[c][{vg, tg}].add(s);
                                byVoice[c][vg].add(s);
                                byAll[c][{vg, tg, rn}].add(s);
                                continue;
                            }
                            tv = calibration::effectiveVoice(p);
                            ts = calibration::effectiveSilence(p);
                        }
                        for (const Both &l : wordRecords) {
                            ++s.words;
                            s.one += analysis::voiceOnsets(l.at(fine), tv, 0).size() == 1 ? 1 : 0;
                        }
                        for (const Both &l : b.turning) {
                            s.falseWords += long(analysis::voiceOnsets(l.at(fine), tv, 0).size());
                            s.turningMinutes += double(l.at(fine).size()) / 6000.0;
                        }
                        for (std::size_t k = 0; k < b.solves.size(); ++k) {
                            const std::vector<float> &l = b.solves[k].at(fine);
                            const double idle = double(analysis::pauseStats(l, ts, false).idleFraction) * double(l.size()) * 10.0;
                            const double err = std::fabs(idle - b.truthMs[k]);
                            ++s.solves;
                            s.solvesWithin += err <= 100.0 ? 1 : 0;
                            s.solvesWithinAbsolute += std::fabs(idle - b.absoluteTruthMs[k]) <= 100.0 ? 1 : 0;
                            s.worstMs = std::max(s.worstMs, err);
                        }
                        s.failing = s.one < 0.97 * double(s.words) || double(s.falseWords) > 0.05 * s.turningMinutes ? 1 : 0;
                        defaultsMeetTargets = defaultsMeetTargets || (c == 0 && !s.failing);
                        byCell[c][{vg, tg}].add(s);
                        byVoice[c][vg].add(s);
                        byAll[c][{vg, tg, rn}].add(s);
                    }
                    if (++progress % 48 == 0)
                        std::fprintf(stderr, "%ld of %zu conditions\r", progress, asked.size() * 48);
                }
    }

    std::printf("14 speakers x 4 voice x 3 turning x 4 room levels; \"fine\": calibrated and scored on levels from 16-bit samples, else 8-bit\n");
    std::printf("%-92s | %5s %5s | %6s | %12s | %5s %6s | %5s\n", "calibration rule (all levels)", "refus", "fails", "1 onset", "false/min", "pause", "worst", "abs");
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        std::printf("\n");
        for (int vg = 0; vg < 4; ++vg) {
            char name[200];
            std::snprintf(name, sizeof name, "%s, voice %+.0f dB", candidates[c].name.c_str(), double(voiceDb[vg]));
            byVoice[c][vg].print(name);
        }
    }
    const std::size_t shown[] = {0, coarseRule, fineRule};
    const char *const label[] = {"before:", "8-bit: ", "fine:  "};
    std::printf("\nby voice and turning level: before (the form's thresholds, 8-bit levels) | calibrated on 8-bit levels | "
                "calibrated on fine levels\n");
    for (int vg = 0; vg < 4; ++vg)
        for (int tg = 0; tg < 3; ++tg)
            for (int k = 0; k < 3; ++k) {
                char name[100];
                std::snprintf(name, sizeof name, "%s voice %+.0f dB, turning %+.0f dB", label[k], double(voiceDb[vg]), double(turningDb[tg]));
                byCell[shown[k]][{vg, tg}].print(name);
            }
    std::printf("\nrefusals of Cadenza's rule on 8-bit | fine levels: nothing heard, too few words, words like the turning; "
                "needless (the form's defaults meet the targets there)\n");
    for (int vg = 0; vg < 4; ++vg)
        for (int tg = 0; tg < 3; ++tg) {
            const Score &a = byCell[coarseRule][{vg, tg}], &f = byCell[fineRule][{vg, tg}];
            std::printf("voice %+3.0f dB, turning %+2.0f dB: %3ld %3ld %3ld; %3ld | %3ld %3ld %3ld; %3ld of %ld\n", double(voiceDb[vg]),
                        double(turningDb[tg]), a.why[1], a.why[2], a.why[3], a.needless, f.why[1], f.why[2], f.why[3], f.needless, f.conditions);
        }
    std::printf("\nby voice, turning and room level: before | 8-bit | fine\n");
    for (int vg = 0; vg < 4; ++vg)
        for (int tg = 0; tg < 3; ++tg)
            for (int rn = 0; rn < 4; ++rn)
                for (int k = 0; k < 3; ++k) {
                    char name[100];
                    std::snprintf(name, sizeof name, "%s voice %+.0f dB, turning %+.0f dB, room %s", label[k],
                                  double(voiceDb[vg]), double(turningDb[tg]), rooms[rn].name);
                    byAll[shown[k]][{vg, tg, rn}].print(name);
                }
    return 0;
}

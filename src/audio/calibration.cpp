#include "audio/calibration.h"

#include "audio/analysis.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace calibration {

namespace {

// The value below which `share` of the levels lie (0.01, silence, for none).
float quantile(std::vector<float> v, float share)
{
    v.erase(std::remove_if(v.begin(), v.end(), [](float x) { return !(x == x); }), v.end());
    if (v.empty())
        return 0.01f;
    const auto at = v.begin() + std::ptrdiff_t(std::min(v.size() - 1, std::size_t(share * float(v.size()))));
    std::nth_element(v.begin(), at, v.end());
    return *at;
}

// The mean of the loudest `share` of the levels.
float topMean(std::vector<float> v, float share)
{
    v.erase(std::remove_if(v.begin(), v.end(), [](float x) { return !(x == x); }), v.end());
    const std::size_t k = std::max<std::size_t>(1, std::size_t(share * float(v.size())));
    if (v.size() < k)
        return 0.01f;
    std::nth_element(v.begin(), v.end() - std::ptrdiff_t(k), v.end());
    double sum = 0.0;
    for (auto it = v.end() - std::ptrdiff_t(k); it != v.end(); ++it)
        sum += double(*it);
    return float(sum / double(k));
}

int words(const std::vector<float> &levels, float t)
{
    return int(analysis::voiceOnsets(levels, t, 0).size());
}

double oneDecimal(double x)
{
    return std::max(0.1, std::min(99.9, std::round(x * 10.0) / 10.0));
}

// The middle of the loudest levels of each word heard at t: how loud the words
// are for the one reading the result.
float wordPeak(const std::vector<float> &levels, float t)
{
    std::vector<float> peaks;
    for (const qint32 o : analysis::voiceOnsets(levels, t, 0)) {
        const auto from = levels.begin() + o;
        const auto to = levels.begin() + std::min<std::ptrdiff_t>(qint32(levels.size()), o + 40);
        peaks.push_back(*std::max_element(from, to));
    }
    return peaks.empty() ? 0.0f : quantile(peaks, 0.5f);
}

} // namespace

// On fine levels (bench_calibration): the lowest threshold at the turning's
// level itself, where 8-bit levels need 15 % above it, refuses fewer
// calibrations and hears more words, with no more false words; lower factors
// change nothing, as the turning record then decides. A range of working
// thresholds narrower than a tenth is refused: the proposals it gave missed
// the targets more often than not. That refuses no more than the 8-bit rule
// at any microphone gain, and fewer of the proposals miss (falling back on
// the form's voice 5.0 where the records allow it took back most refusals at
// full gain, and gave false words under loud turning). The silence
// threshold at 1.5 times the room's level, with no half step to stay clear
// of, puts the most solves' idle time within 100 ms of the truth of the rules
// tried.
Choice ruleFor(bool fine)
{
    Choice c;
    if (fine) {
        c.turningShareFactor = 1.0f;
        c.minSeparation = 1.1f;
        c.quietShare = 0.95f;
        c.silenceFactor = 1.5f;
        c.silenceOffset = 0.0f;
    }
    return c;
}

Proposal propose(const Records &records)
{
    return propose(records, ruleFor(records.fine));
}

Proposal propose(const Records &r, const Choice &c)
{
    Proposal p;
    p.wordsAsked = r.wordsAsked;
    p.room = quantile(r.quiet, c.quietShare);
    p.turningPeak = quantile(r.turning, 0.99f);

    // Every threshold of the grid: words in the turning and the room (none may
    // be heard there), and words in the voice record.
    std::vector<float> grid;
    for (float t = c.gridLow; t <= c.gridHigh; t *= c.gridRatio)
        grid.push_back(t);
    // Below this a threshold hears the room: half of it must lie above what
    // the microphone hears when nobody speaks.
    const float roomFloor = std::max(c.roomFactor * quantile(r.quiet, 0.99f), c.middleFactor * quantile(r.quiet, 0.5f));
    int lowestClean = 0, highestAll = -1;
    for (int k = 0; k < int(grid.size()); ++k) {
        const float t = grid[std::size_t(k)];
        if (words(r.turning, t) > 0 || words(r.quiet, t) > 0)
            lowestClean = k + 1;
        if (t < roomFloor)
            continue;
        const int heard = words(r.voice, t);
        p.wordsHeard = std::max(p.wordsHeard, heard);
        if (heard <= r.wordsAsked && heard >= r.wordsAsked - c.wordsMissed)
            highestAll = k;
    }

    // Silence: above nearly all of the room; on 8-bit levels in the middle of
    // the level step the room reaches (they come in steps of 0.78).
    const float silence = std::max(p.room * c.silenceFactor + c.silenceOffset, c.silenceTurning * topMean(r.turning, 0.2f));

    if (p.wordsHeard == 0 && topMean(r.turning, 0.2f) <= roomFloor) {
        p.outcome = Proposal::NothingHeard;
        return p;
    }
    if (p.wordsHeard < r.wordsAsked - c.wordsMissed) {
        p.outcome = Proposal::TooFewWords;
        return p;
    }
    // Where no range of thresholds is found, the form's own voice threshold
    // may still do: the turning and the room give no word at it, and it hears
    // the words asked once each.
    const auto fallbackHolds = [&] {
        const float f = c.fallbackVoice;
        if (!(f > 0.0f) || f < roomFloor || words(r.turning, f) > 0 || words(r.quiet, f) > 0)
            return false;
        const int heard = words(r.voice, f);
        return heard <= r.wordsAsked && heard >= r.wordsAsked - c.wordsMissed;
    };
    float t = 0.0f;
    if (highestAll < lowestClean || lowestClean >= int(grid.size())
        || grid[std::size_t(highestAll)] < grid[std::size_t(lowestClean)] * c.minSeparation) {
        if (!fallbackHolds()) {
            p.outcome = Proposal::VoiceLikeTurning;
            p.wordPeak = wordPeak(r.voice, grid[std::size_t(std::max(0, highestAll))]);
            return p;
        }
        t = c.fallbackVoice;
    } else {
        // The lowest threshold that leaves the turning and the room without words,
        // in these seconds and in the longer run.
        const float turningLevel = c.turningTop > 0.0f ? topMean(r.turning, c.turningTop) : quantile(r.turning, c.turningShare);
        const float floor = std::max({c.turningShareFactor * turningLevel, turningLevel + c.turningStep, roomFloor,
                                      c.middleFactor * quantile(r.turning, 0.5f)});
        while (lowestClean < int(grid.size()) && grid[std::size_t(lowestClean)] < floor)
            ++lowestClean;
        p.lowest = lowestClean < int(grid.size()) ? grid[std::size_t(lowestClean)] : floor;
        p.highest = grid[std::size_t(highestAll)];
        if (p.highest >= p.lowest * c.minSeparation)
            t = p.lowest * std::pow(p.highest / p.lowest, c.placement);
        else if (fallbackHolds())
            t = c.fallbackVoice;
        else {
            p.outcome = Proposal::VoiceLikeTurning;
            p.wordPeak = wordPeak(r.voice, p.highest);
            return p;
        }
    }
    p.wordPeak = wordPeak(r.voice, t);

    // Boost (thresholds divided by 5) where one decimal is too coarse.
    p.boost = silence < 0.5f && std::fabs(oneDecimal(silence) - silence) > 0.1f * silence;
    const double scale = p.boost ? 5.0 : 1.0;
    p.voice = oneDecimal(scale * double(t));
    p.silence = oneDecimal(scale * double(silence));
    p.outcome = Proposal::Ready;
    return p;
}

float effectiveVoice(const Proposal &p)
{
    return analysis::effectiveThreshold(p.voice, p.boost);
}

float effectiveSilence(const Proposal &p)
{
    return analysis::effectiveThreshold(p.silence, p.boost);
}

QString describe(const Proposal &p)
{
    auto tr = [](const char *s) { return QCoreApplication::translate("Cadenza", s); };
    auto near = [](float x) { return QString::number(double(x), 'f', x < 10.0f ? 1 : 0); };
    switch (p.outcome) {
    case Proposal::NothingHeard:
        return tr("Nothing was heard: neither the turning nor the words stood out from the quiet. "
                  "Check that the right microphone is chosen (Settings, Select Audio Input) and that it is not muted, "
                  "then calibrate again. Nothing was changed.");
    case Proposal::TooFewWords:
        return tr("Only %1 of the %2 words were heard. Speak up or move closer to the microphone, "
                  "then calibrate again. Nothing was changed.")
            .arg(p.wordsHeard)
            .arg(p.wordsAsked);
    case Proposal::VoiceLikeTurning:
        return tr("Your words (peaking near %1) are not loud enough against the turning (near %2) for any threshold "
                  "to tell them apart: words would be missed or turning taken for words. Speak up, move the microphone "
                  "closer to your mouth or further from the cube, then calibrate again. Nothing was changed.")
            .arg(near(p.wordPeak), near(p.turningPeak));
    case Proposal::Ready:
        break;
    }
    QString text = tr("Voice %1 (your words peak near %2, turning near %3)\nSilence %4 (the quiet room reads %5)\nBoost %6")
                       .arg(QString::number(p.voice, 'f', 1), near(p.wordPeak), near(p.turningPeak),
                            QString::number(p.silence, 'f', 1), near(p.room),
                            p.boost ? tr("on (the thresholds are divided by 5)") : tr("off"));
    return text;
}

} // namespace calibration

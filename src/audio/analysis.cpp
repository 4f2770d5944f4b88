#include "audio/analysis.h"

#include "app/cadenza.h"
#include "ui_cadenza.h"

#include <QtAlgorithms>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace analysis {

float effectiveThreshold(double spinValue, bool boost)
{
    float t = float(spinValue);
    if (boost)
        t = float(double(t) / 5.0);
    return t;
}

namespace {

// The records are long and mostly uniform (noise or silence for seconds), so
// the walks look at 8 samples at a time and only step through a group sample
// by sample where it mixes both kinds.
constexpr int group = 8;
constexpr unsigned allOf = (1u << group) - 1;

// Bit k set when the sample at p[k] is below t (silent). A level that does
// not compare (NaN) is not silent.
inline unsigned silentMask(const float *p, float t)
{
#if defined(__SSE2__)
    const __m128 tt = _mm_set1_ps(t);
    const unsigned lo = unsigned(_mm_movemask_ps(_mm_cmpgt_ps(tt, _mm_loadu_ps(p))));
    const unsigned hi = unsigned(_mm_movemask_ps(_mm_cmpgt_ps(tt, _mm_loadu_ps(p + 4))));
    return lo | (hi << 4);
#else
    unsigned m = 0;
    for (int k = 0; k < group; ++k)
        m |= unsigned(t > p[k]) << k;
    return m;
#endif
}

// Bit k set when the sample at p[k] is above t (loud).
inline unsigned loudMask(const float *p, float t)
{
#if defined(__SSE2__)
    const __m128 tt = _mm_set1_ps(t);
    const unsigned lo = unsigned(_mm_movemask_ps(_mm_cmpgt_ps(_mm_loadu_ps(p), tt)));
    const unsigned hi = unsigned(_mm_movemask_ps(_mm_cmpgt_ps(_mm_loadu_ps(p + 4), tt)));
    return lo | (hi << 4);
#else
    unsigned m = 0;
    for (int k = 0; k < group; ++k)
        m |= unsigned(p[k] > t) << k;
    return m;
#endif
}

} // namespace

PauseStats pauseStats(const std::vector<float> &levels, float threshold, bool disabled)
{
    PauseStats result;
    if (levels.empty() || disabled)
        return result;
    const float *l = levels.data();
    const qint64 n = qint64(levels.size());
    qint64 idleSamples = 0;
    qint32 count = 0;
    qint64 run = 0;
    auto endRun = [&] {
        if (run >= minPauseSamples) {
            ++count;
            idleSamples += run;
        }
        run = 0;
    };
    qint64 i = 0;
    for (; i + group <= n; i += group) {
        const unsigned m = silentMask(l + i, threshold);
        if (m == 0) {
            endRun();
        } else if (m == allOf) {
            run += group;
        } else {
            for (int k = 0; k < group; ++k) {
                if (m & (1u << k))
                    ++run;
                else
                    endRun();
            }
        }
    }
    for (; i < n; ++i) {
        if (threshold > l[i])
            ++run;
        else
            endRun();
    }
    endRun(); // a pause still open at the end counts
    result.pauseCount = count;
    result.idleFraction = float(idleSamples) / float(levels.size());
    return result;
}

std::vector<qint32> voiceOnsets(const std::vector<float> &levels, float threshold, int maxOnsets)
{
    std::vector<qint32> result;
    const float *l = levels.data();
    const qint32 n = qint32(levels.size());
    const float low = threshold * stillSpeakingShare;
    const qint32 never = std::numeric_limits<qint32>::min() / 2;
    qint32 lastVoice = never;                  // of the last counted word
    qint32 leadStart = -1, leadEnd = never;    // a short part since then that may begin the next
    qint32 i = 0;
    while (i < n) {
        // Between words: on to the next loud level, eight at a time where possible.
        if (i + group <= n) {
            const unsigned m = loudMask(l + i, threshold);
            if (m == 0) {
                i += group;
                continue;
            }
            i += qint32(qCountTrailingZeroBits(m));
        } else if (!(l[i] > threshold)) {
            ++i;
            continue;
        }
        const qint32 start = i;
        qint32 voice = 0, quiet = 0, notLoud = 0, last = i;
        unsigned recent = 0; // bit k: the level k before this one was loud
        bool core = false, ended = false;
        for (; i < n && !ended; ++i) {
            const float x = l[i];
            const bool loud = x > threshold;
            recent = ((recent << 1) | unsigned(loud)) & ((1u << coreSpanSamples) - 1);
            if (loud) {
                ++voice;
                core = core || qPopulationCount(recent) >= uint(coreLoudSamples);
                quiet = notLoud = 0;
                last = i;
                continue;
            }
            ++notLoud;
            if (x > low) {
                ++voice;
                quiet = 0;
                last = i;
            } else {
                ++quiet; // NaN lands here: not voice
            }
            ended = quiet > bridgedQuietSamples || notLoud >= maxNotLoudSamples;
        }
        if (!ended)
            break; // still open at the end of the record: the word may go on
        if (voice >= minVoiceSamples && core) {
            if (start - lastVoice > sameWordSamples) {
                result.push_back(leadStart >= 0 && start - leadEnd <= sameWordSamples ? leadStart : start);
                if (maxOnsets > 0 && qint32(result.size()) >= maxOnsets)
                    return result;
            }
            lastVoice = last;
            leadStart = -1;
        } else if (voice >= leadInVoiceSamples && core && start - lastVoice > sameWordSamples) {
            // A short part this close after a counted word is its tail, not
            // the beginning of the next one.
            leadStart = start;
            leadEnd = last;
        }
    }
    return result;
}

std::vector<qint32> splitTimes(const std::vector<qint32> &levelTimes, const std::vector<qint32> &onsets)
{
    std::vector<qint32> result;
    if (levelTimes.empty())
        return result;
    const qint32 n = qint32(levelTimes.size());
    qint32 prev = 0;
    result.reserve(onsets.size() + 1);
    for (std::size_t k = 0; k < onsets.size(); ++k) {
        const qint32 idx = onsets[k];
        if (idx >= 0 && idx < n) {
            const qint32 base = k == 0 ? 0 : levelTimes[std::size_t(prev)];
            result.push_back(levelTimes[std::size_t(idx)] - base);
            prev = idx;
        } else {
            result.push_back(0);
        }
    }
    result.push_back(levelTimes.back() - levelTimes[std::size_t(prev)]);
    return result;
}

} // namespace analysis

PauseStats Cadenza::computePauseStats()
{
    const float t = analysis::effectiveThreshold(ui->silenceSpin->value(), ui->boostAudioCheck->isChecked());
    return analysis::pauseStats(levels, t, ui->disableAudioCheck->isChecked());
}

std::vector<qint32> Cadenza::findVoiceOnsets()
{
    const float t = analysis::effectiveThreshold(ui->voiceSpin->value(), ui->boostAudioCheck->isChecked());
    const int maxOnsets = ui->splitsCombo->currentIndex() == 1 ? analysis::cfopMaxOnsets : 0;
    return analysis::voiceOnsets(levels, t, maxOnsets);
}

std::vector<qint32> Cadenza::computeSplitTimes()
{
    if (levelTimes.empty())
        return {};
    return analysis::splitTimes(levelTimes, findVoiceOnsets());
}

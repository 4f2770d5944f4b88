#include "audio/analysis.h"

#include "app/cadenza.h"
#include "ui_cadenza.h"

namespace analysis {

float effectiveThreshold(double spinValue, bool boost)
{
    float t = float(spinValue);
    if (boost)
        t = float(double(t) / 5.0);
    return t;
}

PauseStats pauseStats(const std::vector<float> &levels, float threshold, bool disabled)
{
    PauseStats result;
    if (levels.empty() || disabled)
        return result;
    qint64 idleSamples = 0;
    qint32 count = 0;
    qint64 run = 0;
    for (const float level : levels) {
        // Silent only when strictly below; a level that does not compare is sound.
        if (threshold > level) {
            ++run;
        } else {
            if (run >= minPauseSamples) {
                ++count;
                idleSamples += run;
            }
            run = 0;
        }
    }
    if (run >= minPauseSamples) {
        ++count;
        idleSamples += run;
    }
    result.pauseCount = count;
    result.idleFraction = float(idleSamples) / float(levels.size());
    return result;
}

std::vector<qint32> voiceOnsets(const std::vector<float> &levels, float threshold, int maxOnsets)
{
    std::vector<qint32> result;
    const qint32 n = qint32(levels.size());
    qint32 start = -1;
    qint32 length = 0;
    for (qint32 i = 0; i < n; ++i) {
        if (levels[std::size_t(i)] > threshold) {
            if (start < 0)
                start = i;
            ++length;
        } else {
            if (start >= 0 && length >= minVoiceSamples) {
                result.push_back(start);
                if (maxOnsets > 0 && qint32(result.size()) >= maxOnsets)
                    return result;
            }
            start = -1;
            length = 0;
        }
    }
    // A run still open at the end has not finished: the word may go on.
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

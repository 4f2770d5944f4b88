#include "audio/algs.h"

#include "app/cadenza.h"
#include "audio/analysis.h"
#include "stats/stats.h"
#include "ui_cadenza.h"

#include <QMessageBox>

namespace algs {

std::vector<float> findRepetitions(const std::vector<float> &levels, const std::vector<qint32> &levelTimes,
                                   float threshold, int gapMs, int minAlgMs)
{
    std::vector<float> result;
    // The two arrays grow together; a mismatch would be a bug elsewhere, and
    // reading past the shorter one must not follow from it.
    const std::size_t n = std::min(levels.size(), levelTimes.size());
    constexpr long none = -1;
    long segStart = none;
    long segEnd = none;
    long silStart = none;
    for (std::size_t k = 0; k < n; ++k) {
        const long i = long(k);
        if (threshold > levels[k]) {
            qint64 silence = 0;
            if (silStart == none)
                silStart = i;
            else
                silence = qint64(levelTimes[k]) - qint64(levelTimes[std::size_t(silStart)]);
            if (segStart != none && segEnd == none)
                segEnd = std::max(i - 1, 0L);
            if (silence >= gapMs && segStart != none && segEnd != none) {
                const qint64 d = qint64(levelTimes[std::size_t(segEnd)]) - qint64(levelTimes[std::size_t(segStart)]);
                if (d >= minAlgMs)
                    result.push_back(float(d) / 1000.0f);
                segStart = none;
                segEnd = none;
            }
        } else {
            if (segStart == none)
                segStart = i;
            else
                segEnd = i;
            silStart = none;
        }
    }
    return result;
}

std::vector<float> repetitionStats(const std::vector<float> &durations)
{
    const std::vector<float> box = boxStatistics(durations, false);
    return {box[5], box[6], box[2], float(durations.size()), durations.empty() ? 0.0f : durations.back(), box[3]};
}

} // namespace algs

std::vector<float> Cadenza::findAlgRepetitions()
{
    const float t = analysis::effectiveThreshold(ui->silenceSpin->value(), ui->boostAudioCheck->isChecked());
    return algs::findRepetitions(levels, levelTimes, t, int(ui->gapSpin->value()), int(ui->minAlgSpin->value()));
}

std::vector<float> Cadenza::computeAlgStats()
{
    return algs::repetitionStats(findAlgRepetitions());
}

void Cadenza::on_minAlgSpin_valueChanged(double)
{
    ui->timerLabel->repaint();
}

void Cadenza::on_warningButton_clicked()
{
    QMessageBox::information(
        this, tr("A note about the estimation of algs duration"),
        tr("The software uses sound and silence to determine the duration of each repetition of an alg. Due to echo "
           "and sound attenuation, the end of sound has a lag. Unfortunately this lag cannot be estimated correctly, "
           "as it depends on many factors (where you are, sounds around you, sound suppression of your microphone, "
           "...).\n\nThis means the measured duration of algs will be longer than the actual duration of the "
           "execution.\n\nFortunately, the lag will be the same as long as you don't change your environment (much), "
           "which means that you can use it to robustly compare different algs, or different executions."),
        QMessageBox::Ok);
}

// Echo lag cannot be measured reliably, so the calibration action stays
// inert: no duration is ever corrected.
void Cadenza::on_actionCalibrate_Echo_Delay_triggered() {}

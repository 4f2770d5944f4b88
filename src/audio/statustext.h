#ifndef CADENZA_STATUSTEXT_H
#define CADENZA_STATUSTEXT_H

#include "session/session.h"

#include <QString>
#include <vector>

// The texts of the live status lines under the clock.
namespace statustext {

// Solves mode.
QString timerText(int elapsedMs);                    // "12.34"
QString pauseText(const PauseStats &pauses);         // "idle: 23% (4 pauses)"
QString splitsText(const std::vector<qint32> &splits); // "Splits: 1.00 | 1.50"

// The pause line without sound figures: no capture now, or a record (a solve)
// that lacked it for some of its ticks.
QString microphoneText(bool captureNow); // "Microphone unavailable"

// With a Stackmat timer: its time as it shows it (with thousandths from the
// newer timers' six digits) and whether its signal is heard.
QString stackmatClockText(int ms, int digits); // "12.345", "12.34"
QString stackmatText(bool connected);          // "Stackmat connected"

// The note after a switch whose new device did not start.
QString switchFailedText(const QString &device, bool previousKept);

// Algs mode, from the six alg figures [mean, deviation, median, count, last,
// lower quartile]; a missing figure reads as 0.
QString algTimerText(const std::vector<float> &stats);  // "1.23 (1.10)"
QString algPauseText(const std::vector<float> &stats);  // "12 reps (avg: 1.20 ± 0.10, top25%: 1.10)"

} // namespace statustext

#endif

#ifndef CADENZA_STATS_H
#define CADENZA_STATS_H

#include "session/session.h"

#include <array>
#include <optional>
#include <vector>

// Average of a window of values with one best value and one worst value left
// out (a DNF, marked by a value of exactly 0, is the left-out worst). With
// `dnfRule` on, two or more DNFs make the whole average a DNF (0). When no
// value is left after the left-out ones (fewer than three values, or at most
// one value that is not a DNF) the result is 0 too: there is nothing to show.
float trimmedAverage(const std::vector<float> &values, bool dnfRule);

// Seven-number summary: largest, upper quartile, median, lower quartile,
// smallest, mean, standard deviation (population form). Values three
// deviations or more above the mean are left out of the order figures.
std::vector<float> boxStatistics(const std::vector<float> &values, bool skipZeros);

// The averages of a session in milliseconds, 0 meaning no value:
// current Ao5, Ao12, Ao50, Ao100, Ao1000, then best Ao5, Ao12, Ao50, Ao100.
using SessionStats = std::array<float, 9>;

enum SessionStatIndex {
    CurrentAo5 = 0, CurrentAo12, CurrentAo50, CurrentAo100, CurrentAo1000,
    BestAo5, BestAo12, BestAo50, BestAo100
};

// The current averages of the newest N solves and the best average of N
// consecutive solves, from the raw times and the penalty codes (index 0 the
// oldest solve). The result is exactly what trimmedAverage gives for every
// window, but the windows are computed side by side so that a session of
// 100,000 solves costs a few milliseconds. A window averaging 0 (a DNF
// average, or nothing left to average) never becomes a best.
SessionStats computeSessionStats(const std::vector<float> &times, const std::vector<qint32> &penalties);

// The plain definition, one trimmedAverage per window: the reference that the
// fast computeSessionStats is checked against.
SessionStats computeSessionStatsReference(const std::vector<float> &times, const std::vector<qint32> &penalties);

// Figures over the whole session shown beside the averages. Best single and
// the means count only the solves that are not DNF, with their recorded times
// (a +2 without its two seconds); `counted` is their number, and with none of
// them the other figures are meaningless (the labels show "-").
struct SessionFigures
{
    int counted = 0;
    float bestSingle = 0.0f;
    float meanTime = 0.0f;
    float meanIdleFraction = 0.0f;
    float meanPauseCount = 0.0f;
    // One entry per phase; empty when splits are off. A phase that no solve
    // reaches has no average.
    std::vector<std::optional<float>> phaseAverages;
};

// `splitsMode` is the index of the splits selection: 0 no splits, 1 CFOP
// (four phases), 2 free (as many phases as the oldest solve has splits).
SessionFigures computeSessionFigures(const SessionView &session, int splitsMode);

#endif

#ifndef CADENZA_SESSION_H
#define CADENZA_SESSION_H

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

// Pause figures of one solve: the share of its level samples that lie in
// pauses, and how many pauses there were.
struct PauseStats
{
    float idleFraction = 0.0f;
    qint32 pauseCount = 0;
};

inline bool operator==(const PauseStats &a, const PauseStats &b)
{
    return a.idleFraction == b.idleFraction && a.pauseCount == b.pauseCount;
}

// Penalty codes as stored per solve. Anything else read from a file counts as
// no penalty.
enum PenaltyCode : qint32 { PenaltyNone = 0, PenaltyPlusTwo = 1, PenaltyDnf = -1 };

// Read-only view of the six parallel per-solve arrays (index 0 is the oldest
// solve). The window hands one of these to the pure file and statistics code,
// so nothing is copied.
struct SessionView
{
    const std::vector<float> &times;
    const std::vector<qint64> &dates;
    const std::vector<PauseStats> &pauseStats;
    const std::vector<std::vector<qint32>> &splits;
    const QStringList &scrambles;
    const std::vector<qint32> &penalties;

    int size() const { return int(times.size()); }
};

// An owned session, as a file reader or an import produces it.
struct SessionData
{
    std::vector<float> times;
    std::vector<qint64> dates;
    std::vector<PauseStats> pauseStats;
    std::vector<std::vector<qint32>> splits;
    QStringList scrambles;
    std::vector<qint32> penalties;

    int size() const { return int(times.size()); }
    SessionView view() const { return {times, dates, pauseStats, splits, scrambles, penalties}; }
    void append(float time, PauseStats pause, std::vector<qint32> solveSplits, const QString &scramble,
                qint64 date, qint32 penalty)
    {
        times.push_back(time);
        pauseStats.push_back(pause);
        splits.push_back(std::move(solveSplits));
        scrambles.append(scramble);
        dates.push_back(date);
        penalties.push_back(penalty);
    }
};

// The time of a solve with its penalty applied, in milliseconds: +2 adds two
// seconds, a DNF is exactly 0 (the DNF marker of every average).
inline float penalisedMs(float timeMs, qint32 penalty)
{
    if (penalty == PenaltyDnf)
        return 0.0f;
    if (penalty == PenaltyPlusTwo)
        return timeMs + 2000.0f;
    return timeMs;
}

#endif

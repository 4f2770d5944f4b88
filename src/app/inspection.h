#ifndef CADENZA_INSPECTION_H
#define CADENZA_INSPECTION_H

#include <QColor>
#include <QString>
#include <QtGlobal>

// The competition inspection before a solve: 15 s to look at the cube, a
// start up to 17 s after the inspection began costs +2, a later one is a DNF.
namespace inspection {

constexpr qint64 allowedMs = 15000;
constexpr qint64 plusTwoUntilMs = 17000;
// Elapsed inspection times at which the clock changes colour.
constexpr qint64 firstWarningMs = 8000;
constexpr qint64 secondWarningMs = 12000;

enum class Phase { Counting, PlusTwo, Dnf };

struct State
{
    Phase phase = Phase::Counting;
    QString clockText;     // "15" down to "1", then "+2", then "DNF"
    int warningLevel = 0;  // 0 none, 1 from 8 s, 2 from 12 s
    qint32 penalty = 0;    // the penalty code of a solve started now
};

// The state after elapsedMs of inspection (a negative time counts as 0).
State at(qint64 elapsedMs);

// The clock's colour at a warning level; invalid for level 0 (the normal colour).
QColor warningColour(int level);

} // namespace inspection

#endif

#ifndef CADENZA_HISTORY_H
#define CADENZA_HISTORY_H

#include "session/session.h"
#include "stats/stats.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <unordered_map>

// Texts of the statistics panel and the history list. Everything here is a
// pure function of the session; Cadenza::updateHistory only puts the texts
// into the widgets.
//
// Number format: a time in milliseconds is shown in seconds with exactly two
// decimals ("12.35" for 12345 ms; the division is done in single precision,
// as the times are stored). A value that is not a finite number is shown as
// "-", and a value that rounds to zero never shows a minus sign.

// Appends `ms` in the number format. Fast: a history of 100,000 rows formats
// several hundred thousand numbers.
void appendSeconds(QString &out, float ms);
QString formatSeconds(float ms);
// `value` in fixed notation with `decimals` decimals, under the same rules
// ("-" when not finite, no "-0").
QString formatFixed(double value, int decimals);

// "12.34 | 12.00 | 13.10 | - | - | -": the newest solve's recorded time, then
// the current Ao5, Ao12, Ao50, Ao100 and Ao1000 (" | -" for no value).
QString statsAvgText(float newestTime, const SessionStats &stats);
// The best single (or "-" when every solve is a DNF), then the best Ao5,
// Ao12, Ao50 and Ao100.
QString statsPBText(const SessionFigures &figures, const SessionStats &stats);
// "Avg Pause: 1.23 sec (10%, 2.5x)" and, when splits are on, a second line
// "Splits: 2.10 | 5.31 | 3.20 | 1.75" ("-" for a phase no solve reaches).
// With every solve a DNF the first line reads "Avg Pause: -".
QString statsPauseText(const SessionFigures &figures);

// "today", "yesterday", "3 days ago", "last week", "2 weeks ago"; a date after
// today gives "-1 days ago".
QString ageText(qint64 days);

// Counts calendar days in local time from a moment to a fixed "now": the
// number of local midnights passed. Midnights are looked up once per day and
// kept, so a history of 100,000 solves costs a handful of date conversions.
class LocalDayCounter
{
public:
    explicit LocalDayCounter(const QDateTime &now);
    // 0 for a moment of today, 1 for yesterday, -1 for tomorrow.
    qint64 daysAgo(qint64 secsSinceEpoch);

private:
    qint64 midnight(qint64 daysBack);

    QDate today;
    std::unordered_map<qint64, qint64> midnights;
    // The day of the last lookup: [dayStart, nextDayStart).
    qint64 lastDays = 0;
    qint64 dayStart = 0;
    qint64 nextDayStart = 0;
};

// A solve the user chose in the history, found again after the session
// changed around it: rows are positions, which new solves, removes and
// imports shift. A solve is named by its date, recorded time and scramble,
// and by which of the solves alike in all three it is, counted from the
// oldest (a penalty changes, so it is no part of the name).
struct SolveKey
{
    qint64 date = 0;
    float time = 0.0f;
    QString scramble;
    int alike = 0;
};
SolveKey solveKey(const SessionView &session, int index);
// The index of the solve `key` names, or -1 when the session holds none.
int findSolve(const SessionView &session, const SolveKey &key);

// The history row of solve `index`, e.g.
// "today: 12.34(+2)\tsplits:2.10 5.31 3.20 1.74 \tpause: 1.48 (12%) 3x".
QString historyRowText(const SessionView &session, int index, LocalDayCounter &days);
// All rows, newest solve first (row r shows solve n - 1 - r).
QStringList historyRowTexts(const SessionView &session, const QDateTime &now);

#endif

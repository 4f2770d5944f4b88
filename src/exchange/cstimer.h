#ifndef CADENZA_CSTIMER_H
#define CADENZA_CSTIMER_H

#include "session/session.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The sessions of a csTimer export file, as solves ready to append. Pieces are
// in the order the import offers them: piece 0 (offered as "session 1") is the
// file's highest-numbered session, the last piece its lowest. Every session key
// of the file is a piece, empty ones included.
struct CSTimerFile
{
    std::vector<SessionData> pieces;

    int totalSolves() const;
};

// Reads a csTimer export. Returns nothing when the text is not a JSON object
// (not JSON at all, or some other JSON value). Sessions stored as JSON strings
// (older files) are read too. Per record: penalty 2000 or 1 becomes +2, -1
// becomes DNF, anything else none; the time is rounded to whole milliseconds;
// the phase ends of a multi-phase record become the splits (phase durations,
// first phase first); a record without a time stamp gets date 0; line breaks
// in the scramble become spaces, since the times file holds one solve a line.
// Records that are not [[penalty, time, ...], ...] arrays are skipped.
std::optional<CSTimerFile> parseCSTimerFile(const QByteArray &text);

// The choice dialog's texts for a read file.
QStringList cstimerImportChoices(const CSTimerFile &file);
QString cstimerImportQuestion(const CSTimerFile &file);

// The solves that choice `choice` of cstimerImportChoices takes: 0 all pieces,
// first piece first; k the piece k - 1 only.
SessionData cstimerChosenSolves(const CSTimerFile &file, int choice);

// The stable date order of a session: indices sorted by date, equal dates
// keeping their positions.
std::vector<int> dateOrder(const std::vector<qint64> &dates);

// `existing` followed by `added`, all of it put in date order.
SessionData mergeInDateOrder(const SessionView &existing, const SessionData &added);

// The whole session as a one-line csTimer export (UTF-8): one session with
// every solve's real penalty (2000 for +2, -1 for DNF), whole-millisecond time,
// date, scramble and a "Splits: ..." comment; solves with more than one split
// carry them as csTimer's phase ends, clipped to the total (never beyond it,
// never before the end of the phase before).
QByteArray formatCSTimerFile(const SessionView &session);

// `text` as a JSON string literal, quotes included.
QByteArray jsonString(const QString &text);

#endif

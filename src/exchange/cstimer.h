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
struct CSTimerSessionInfo
{
    QString number; // the N of its key "sessionN"
    QString name;   // from the file's session data; its number when it has none
    QString type;   // csTimer's scramble type code; "" for its default (3x3x3)
    int rank = 0;   // where csTimer lists it; its number when the file does not say
};

struct CSTimerFile
{
    std::vector<SessionData> pieces;
    // Parallel to pieces: what the file says of each session.
    std::vector<CSTimerSessionInfo> info;

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

// The csTimer sessions that an import of every session as its own session
// brings, in csTimer's order: those with solves, and empty ones the user named
// (csTimer names a session by its number until it is renamed).
std::vector<int> cstimerSessionsToImport(const CSTimerFile &file);
// The choice offered first for that import.
QString cstimerSeparateChoice(const CSTimerFile &file);

// `existing` with the solves of `added` that it does not hold yet, all of it in
// date order. A solve is held when one with the same time, penalty, date and
// scramble is there; a solve that `added` holds k times is held when
// `existing` holds it k times. Importing the same file twice adds nothing.
SessionData mergeNewSolves(const SessionView &existing, const SessionData &added);

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

// Every session as one csTimer export, in the given order as csTimer's
// sessions 1, 2, ..., with each one's name and scramble type in the file's
// session data, so that csTimer (and Cadenza's own import) sees them apart.
struct CSTimerExportSession
{
    QString name;
    QString type;
    SessionView solves;
};
QByteArray formatCSTimerFileAll(const std::vector<CSTimerExportSession> &sessions);

// `text` as a JSON string literal, quotes included.
QByteArray jsonString(const QString &text);

#endif

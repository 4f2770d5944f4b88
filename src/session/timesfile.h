#ifndef CADENZA_TIMESFILE_H
#define CADENZA_TIMESFILE_H

#include "session/session.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// The times file: one line per solve, oldest first, UTF-8 text.
//
//   time|idleFraction|pauseCount[|split...][]scramble|date|penalty
//
// Real numbers are written in the C locale with the fewest digits that read
// back as the same float. A scramble never carries a line break or a "|" into
// the file (they would split or shift the fields of its line): line breaks
// become spaces, "|" becomes a broken bar and "[]" becomes "[ ]".
QByteArray formatTimesFile(const SessionView &session);

// Parse a whole times file; `fileModified` (seconds since the epoch) is the
// date of lines that carry none before the first line that does. Lines with
// fewer than three numeric fields add no solve; malformed numbers read as 0.
// A UTF-8 byte-order mark at the start (some editors write one) is skipped.
SessionData parseTimesFile(const QByteArray &content, qint64 fileModified);

// The scramble text as it is stored in a times file line.
QString scrambleForTimesFile(const QString &scramble);

// Write `data` to `path` atomically through QSaveFile: the old file stays
// whole until the new one is complete. Returns false (and leaves the old file)
// on any failure. A symbolic link at `path` is followed (the user's own link
// to their file) unless `replaceLink` is set: then the new file is staged under
// an unpredictable name in the same folder and renamed over `path`, so a link
// planted there is replaced, never written through. Non-empty `permissions`
// are set on the new file before it takes the place of the old one, so it is
// never visible with wider ones. On failure `error` (when given) says why.
bool writeFileAtomically(const QString &path, const QByteArray &data, bool replaceLink = false,
                         QFileDevice::Permissions permissions = {}, QString *error = nullptr);

// Reads a whole regular file (through a link, the file it points to).
// Anything else (a folder, a pipe, a device) is refused without blocking; a
// read error counts as a failure. On failure `error` (when given) says why.
bool readRegularFile(const QString &fileName, QByteArray &content, qint64 &modified, QString *error = nullptr);

#endif

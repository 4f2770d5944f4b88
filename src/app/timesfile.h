#ifndef CADENZA_TIMESFILE_H
#define CADENZA_TIMESFILE_H

#include "app/session.h"

#include <QByteArray>
#include <QString>

// The times file: one line per solve, oldest first.
QByteArray formatTimesFile(const SessionView &session);
// Parse a whole times file; `fileModified` (seconds since the epoch) is the
// date of lines that carry none before the first line that does.
SessionData parseTimesFile(const QByteArray &content, qint64 fileModified);

// Write `data` to `path` atomically: the old file stays whole until the new
// one is complete. Returns false (and leaves the old file) on any failure.
bool writeFileAtomically(const QString &path, const QByteArray &data);

#endif

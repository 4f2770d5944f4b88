#ifndef CADENZA_SESSIONINDEX_H
#define CADENZA_SESSIONINDEX_H

#include "puzzle/events.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The sessions of the data folder: each is a times file of its own, and a
// small index beside them keeps their names, events, order and the current
// one. The index is a convenience: the session files are the data, and a lost
// or damaged index loses no session (reconcile lists every file it finds).
namespace sessionindex {

// The first session keeps the file the single session always had.
const QString firstFile = QStringLiteral("cadenza.times");
const QString indexFile = QStringLiteral("sessions.index");

struct Entry
{
    // The file name in the data folder: never taken from the session's name.
    QString file;
    QString name;
    events::Event event = events::Event::Cube333;
    // For Other: the csTimer type code it came with, exported back unchanged.
    QString otherType;
    // The splits choice (0 off, 1 CFOP, 2 free).
    int splits = 0;
};

struct Index
{
    std::vector<Entry> sessions;
    int current = 0;
};

// The index as one line of JSON text.
QByteArray format(const Index &index);
// Nothing when the text is not a whole index (truncated, damaged, another file).
std::optional<Index> parse(const QByteArray &text);

// "cadenza.times" or "session-N.times" (N a number from 2): the only names a
// session file has, so no name from outside can reach another file.
bool isSessionFile(const QString &fileName);
// A file name for a new session that no entry and no file in the folder has.
QString newSessionFile(const std::vector<Entry> &sessions, const QStringList &filesInFolder);

// The index to use: the stored entries (those naming a session file, each
// file once), then every session file of the folder that has no entry, named
// after its file (the first file as "3x3x3"), in file order. Without any, one
// empty "3x3x3" session in the first file. The current session is kept when it
// is still there.
Index reconcile(const std::optional<Index> &stored, const QStringList &filesInFolder);

// The csTimer type code a session exports with.
QString cstimerTypeOf(const Entry &entry);

} // namespace sessionindex

#endif

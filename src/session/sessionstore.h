#ifndef CADENZA_SESSIONSTORE_H
#define CADENZA_SESSIONSTORE_H

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

#include "session/session.h"

class QLockFile;

// Where the session lives and how it is kept safe: the private data folder,
// the lock that gives one window the session, the backups beside it and the
// take-over of the file older versions kept in /tmp.

// ---- backup rules (pure) -----------------------------------------------------
//
// A backup is named backups/<base>-YYYYMMDD-HHMMSS.times after its session
// file (base "cadenza" for cadenza.times, "session-2" for session-2.times) and
// the local time it was made; a second one within the same second gets "-2",
// "-3", ... before the extension. Each session file's backups are kept and
// pruned apart from the others'.

constexpr int backupsKept = 30;
// Besides the newest backupsKept, the newest backup of each of this many days
// (today and the days before it) is kept, so that a burst of changes cannot
// push out yesterday's session.
constexpr int backupDaysKept = 14;

// The base of the backups of a session file: its name without ".times".
QString backupBaseOf(const QString &sessionFile);

// The name for a backup made at `when`, given the names already in the folder.
QString backupFileName(const QDateTime &when, const QStringList &existing, const QString &base = QStringLiteral("cadenza"));

// The backups to delete, oldest first: all but the newest `keep`, the newest
// of each of the `days` days up to `today`, and `justMade` (never pruned, even
// when a clock set back gave it the oldest name). Names that are not backup
// names are never listed.
QStringList backupsToPrune(const QStringList &names, const QDate &today, const QString &justMade = QString(),
                           int keep = backupsKept, int days = backupDaysKept,
                           const QString &base = QStringLiteral("cadenza"));

// The first start of a day makes a copy: due when no backup carries `today`'s date.
bool dailyBackupDue(const QStringList &names, const QDate &today, const QString &base = QStringLiteral("cadenza"));

// Which solves a session file holds, as one key per solve (its time, date and
// scramble; not its penalty, which an edit may change). A write whose session
// no longer holds every solve the file holds (a remove, a clear, a load of
// another file, an undo) first backs the file up.
std::vector<quint64> solveKeys(const SessionView &session);
// True when every key of `onDisk` (counted with repeats) is among `next`.
bool keepsEverySolve(const std::vector<quint64> &onDisk, const std::vector<quint64> &next);

// Where the solves of a run go when the session file exists but cannot be
// read: cadenza-recovered-YYYYMMDD-HHMMSS.times in the same folder.
QString recoveryFileName(const QDateTime &when);

// ---- the folder and its files ----------------------------------------------

// The folder the session file, its lock and backups/ live in (created 0700 on
// demand by ensurePrivateFolder).
QString sessionFolder();
QString backupsFolder();
// The path older versions kept the session at; taken over once, never written.
QString legacySessionFilePath();

// Creates `path` and any missing parents with mode 0700 and makes `path`
// itself 0700. False when it cannot be made or is not a folder.
bool ensurePrivateFolder(const QString &path);

// Takes the lock beside the session file. When another running Cadenza holds
// it, says so in a message box (naming the lock file, the process and its
// host) and returns false: the caller quits without writing anything. A lock
// left by a dead process, or one that is empty or unreadable (a power cut while
// it was written), is taken over. A lock held on another host may be taken
// over when the user says so. A lock that cannot be made at all (a read-only
// folder) does not stop the program: its writes will fail visibly instead.
bool claimSession(QLockFile &lock);
// What the message says about a lock held by process `pid` on `host`.
QString lockHeldText(const QString &lockPath, const QString &sessionPath, qint64 pid, const QString &host,
                     bool otherHost);
QString sessionLockPath();

// Copies the bytes of the session file `session` (through a link, the file it
// points to) into `folder` under a fresh backup name, written atomically with
// its own bytes: a later change of the session file, in place or not, never
// reaches it. Then prunes the folder (backupsToPrune). `path` is the backup
// made, empty when there was no file to copy; `ok` is false when a file was
// there but could not be copied, and `error` says why.
struct BackupResult
{
    bool ok = true;
    QString path;
    QString error;
};
BackupResult backupSessionFile(const QString &session, const QString &folder, const QDateTime &when);

// The content of the legacy /tmp session file when it is a regular file (not a
// link) owned by this user; nothing is read from anybody else's file.
bool readOwnLegacySession(const QString &path, QByteArray &content, qint64 &modified);

// The staging files of an atomic write that replaces a session file carry
// this mark in their names (".cadenza.times.cadenza-partial-k3x9..."), a name
// nobody else would choose.
extern const QString stagingMark;
// Deletes the staging files an interrupted atomic write left in `folder`:
// only names that carry stagingMark (only safe while holding the session lock).
void removeStaleStagingFiles(const QString &folder);

#endif

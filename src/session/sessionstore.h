#ifndef CADENZA_SESSIONSTORE_H
#define CADENZA_SESSIONSTORE_H

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

class QLockFile;

// Where the session lives and how it is kept safe: the private data folder,
// the lock that gives one window the session, the backups beside it and the
// take-over of the file older versions kept in /tmp.

// ---- backup rules (pure) -----------------------------------------------------
//
// A backup is named backups/cadenza-YYYYMMDD-HHMMSS.times after the local time
// it was made; a second one within the same second gets "-2", "-3", ... before
// the extension.

constexpr int backupsKept = 30;

// The name for a backup made at `when`, given the names already in the folder.
QString backupFileName(const QDateTime &when, const QStringList &existing);

// The backups to delete so that the newest `keep` stay, oldest first. Names
// that are not backup names are never listed.
QStringList backupsToPrune(const QStringList &names, int keep = backupsKept);

// The first start of a day makes a copy: due when no backup carries `today`'s date.
bool dailyBackupDue(const QStringList &names, const QDate &today);

// A write that leaves fewer solves than the file holds (a remove, a clear, a
// smaller load) first copies the file. `solvesOnDisk` < 0: no file there.
inline bool backupDueBeforeWrite(int solvesOnDisk, int solvesToWrite)
{
    return solvesToWrite < solvesOnDisk;
}

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
// it, says so in a message box and returns false: the caller quits without
// writing anything. A lock left by a dead process is taken over. A lock that
// cannot be made at all (a read-only folder) does not stop the program: its
// writes will fail visibly instead.
bool claimSession(QLockFile &lock);
QString sessionLockPath();

// Copies the session file `session` into `folder` under a fresh backup name and
// prunes the folder to the newest backupsKept. The session file is only ever
// replaced by a rename, never changed in place, so a hard link is an exact,
// instant copy; where links are not possible the bytes are copied atomically.
// Returns the backup's path, empty on failure (or when there is no file).
QString backupSessionFile(const QString &session, const QString &folder, const QDateTime &when);

// The content of the legacy /tmp session file when it is a regular file (not a
// link) owned by this user; nothing is read from anybody else's file.
bool readOwnLegacySession(const QString &path, QByteArray &content, qint64 &modified);

// Deletes the staging files an interrupted atomic write left beside `file`
// (only safe while holding the session lock).
void removeStaleStagingFiles(const QString &file);

#endif

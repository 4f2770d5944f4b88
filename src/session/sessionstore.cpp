#include "session/sessionstore.h"
#include "app/cadenza.h"
#include "app/commandline.h"
#include "session/timesfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QPushButton>
#include <QStandardPaths>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// ---- backup rules --------------------------------------------------------------

namespace {

const QString backupSuffix = QStringLiteral(".times");

// A backup's name: the base of its session file's name, the time it was made,
// and a sequence number within that second.
const QRegularExpression &backupPattern()
{
    static const QRegularExpression re(QStringLiteral("^(.+)-(\\d{8})-(\\d{6})(?:-(\\d+))?\\.times$"));
    return re;
}

struct BackupKey
{
    QString stamp; // YYYYMMDD-HHMMSS sorts as the time it names
    int sequence = 1;
    bool operator<(const BackupKey &o) const
    {
        return stamp != o.stamp ? stamp < o.stamp : sequence < o.sequence;
    }
};

bool backupKey(const QString &name, const QString &base, BackupKey &key)
{
    const QRegularExpressionMatch m = backupPattern().match(name);
    if (!m.hasMatch() || m.captured(1) != base)
        return false;
    key.stamp = m.captured(2) + QLatin1Char('-') + m.captured(3);
    key.sequence = m.captured(4).isEmpty() ? 1 : m.captured(4).toInt();
    return true;
}

} // namespace

QString backupBaseOf(const QString &sessionFile)
{
    const QString name = QFileInfo(sessionFile).fileName();
    return name.endsWith(backupSuffix) ? name.left(name.size() - backupSuffix.size()) : name;
}

QString backupFileName(const QDateTime &when, const QStringList &existing, const QString &base)
{
    const QString stamp = when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    int sequence = 0;
    for (const QString &name : existing) {
        BackupKey key;
        if (backupKey(name, base, key) && key.stamp == stamp)
            sequence = std::max(sequence, key.sequence);
    }
    return base + QLatin1Char('-') + stamp + (sequence == 0 ? QString() : QLatin1Char('-') + QString::number(sequence + 1))
           + backupSuffix;
}

QStringList backupsToPrune(const QStringList &names, const QDate &today, const QString &justMade, int keep,
                           int days, const QString &base)
{
    std::vector<std::pair<BackupKey, QString>> backups;
    for (const QString &name : names) {
        BackupKey key;
        if (backupKey(name, base, key))
            backups.emplace_back(key, name);
    }
    // Newest first.
    std::sort(backups.begin(), backups.end(), [](const auto &a, const auto &b) { return b.first < a.first; });
    const QString firstDay = today.addDays(-(std::max(days, 0) - 1)).toString(QStringLiteral("yyyyMMdd"));
    const QString lastDay = today.toString(QStringLiteral("yyyyMMdd"));
    QString dayKept;
    QStringList out;
    for (int i = 0; i < int(backups.size()); ++i) {
        const QString &name = backups[std::size_t(i)].second;
        const QString day = backups[std::size_t(i)].first.stamp.left(8);
        const bool newestOfRecentDay = days > 0 && day >= firstDay && day <= lastDay && day != dayKept;
        if (newestOfRecentDay)
            dayKept = day; // newest first: the first seen of a day is its newest
        if (i < keep || newestOfRecentDay || name == justMade)
            continue;
        out.prepend(name);
    }
    return out;
}

bool dailyBackupDue(const QStringList &names, const QDate &today, const QString &base)
{
    const QString day = today.toString(QStringLiteral("yyyyMMdd"));
    for (const QString &name : names) {
        BackupKey key;
        if (backupKey(name, base, key) && key.stamp.startsWith(day))
            return false;
    }
    return true;
}

std::vector<quint64> solveKeys(const SessionView &session)
{
    const int n = session.size();
    std::vector<quint64> keys(std::size_t(n > 0 ? n : 0));
    for (int i = 0; i < n; ++i) {
        const std::size_t I = std::size_t(i);
        quint32 timeBits = 0;
        std::memcpy(&timeBits, &session.times[I], sizeof timeBits);
        // 32 bits of the scramble's hash and 32 of the time and date mixed:
        // two different solves share a key only by a very rare accident.
        const quint64 mixed = (quint64(timeBits) * 0x9E3779B97F4A7C15ull) ^ quint64(session.dates[I]);
        keys[I] = (quint64(qHash(session.scrambles[i])) << 32) ^ (mixed ^ (mixed >> 32));
    }
    return keys;
}

bool keepsEverySolve(const std::vector<quint64> &onDisk, const std::vector<quint64> &next)
{
    if (onDisk.size() <= next.size() && std::equal(onDisk.begin(), onDisk.end(), next.begin()))
        return true; // the common case: solves added after the ones on disk
    std::vector<quint64> a(onDisk), b(next);
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return std::includes(b.begin(), b.end(), a.begin(), a.end());
}

QString recoveryFileName(const QDateTime &when)
{
    return QStringLiteral("cadenza-recovered-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"))
           + QStringLiteral(".times");
}

// ---- the folder and its files ----------------------------------------------------

QString sessionFolder()
{
    // The names key both the settings and this folder; set here too so that a
    // path asked for before the window exists is already the right one.
    setApplicationIdentity();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString backupsFolder()
{
    return sessionFolder() + QStringLiteral("/backups");
}

QString sessionLockPath()
{
    return sessionFolder() + QStringLiteral("/cadenza.lock");
}

QString legacySessionFilePath()
{
    return QStringLiteral("/tmp/cadenza.times");
}

bool ensurePrivateFolder(const QString &path)
{
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
#ifdef Q_OS_UNIX
    // Missing parents are made private too; existing ones stay as they are.
    const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString at;
    for (const QString &part : parts) {
        at += QLatin1Char('/') + part;
        if (::mkdir(QFile::encodeName(at).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st;
    const QByteArray native = QFile::encodeName(absolute);
    if (::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    if ((st.st_mode & 07777) != 0700 && st.st_uid == ::geteuid())
        ::chmod(native.constData(), 0700);
    return true;
#else
    return QDir().mkpath(absolute);
#endif
}

QString lockHeldText(const QString &lockPath, const QString &sessionPath, qint64 pid, const QString &host,
                     bool otherHost)
{
    const QString holder = host.isEmpty()
                               ? QCoreApplication::translate("Cadenza", "process %1").arg(pid)
                               : QCoreApplication::translate("Cadenza", "process %1 on %2").arg(pid).arg(host);
    QString text = QCoreApplication::translate("Cadenza",
                                               "Cadenza is already running (%1) and keeps the session in %2. "
                                               "Only one window at a time may keep it, so this one closes without "
                                               "changing anything. The lock is %3.")
                       .arg(holder, QDir::toNativeSeparators(sessionPath), QDir::toNativeSeparators(lockPath));
    if (otherHost)
        text += QLatin1Char(' ')
                + QCoreApplication::translate("Cadenza",
                                              "If Cadenza no longer runs there (the computer was renamed, or "
                                              "this folder was copied from it), you may take the session over.");
    return text;
}

bool claimSession(QLockFile &lock)
{
    ensurePrivateFolder(sessionFolder());
    // Only a dead (or reused) process id makes a lock stale, never its age: a
    // session may stay open for days.
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return true;
    if (lock.error() != QLockFile::LockFailedError)
        return true; // no lock possible here; the writes report their own failures
    qint64 pid = 0;
    QString host, application;
    const QString path = sessionLockPath();
    if (!lock.getLockInfo(&pid, &host, &application) || pid <= 0) {
        // Empty or unreadable: written by nobody alive (a power cut while it
        // was made). Removing it fails while a live process still holds it.
        if (lock.removeStaleLockFile() && lock.tryLock(0))
            return true;
        lock.getLockInfo(&pid, &host, &application);
    }
    const bool otherHost = !host.isEmpty() && host != QSysInfo::machineHostName();
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Cadenza"),
                    lockHeldText(path, Cadenza::sessionFilePath(), pid, host, otherHost), QMessageBox::Close);
    QPushButton *takeOver = otherHost ? box.addButton(QCoreApplication::translate("Cadenza", "Take Over"),
                                                      QMessageBox::DestructiveRole)
                                      : nullptr;
    box.setDefaultButton(QMessageBox::Close);
    box.exec();
    if (takeOver && box.clickedButton() == takeOver)
        return lock.removeStaleLockFile() && lock.tryLock(0);
    return false;
}

BackupResult backupSessionFile(const QString &session, const QString &folder, const QDateTime &when)
{
    BackupResult result;
    const QFileInfo info(session);
    if (!info.exists() && !info.isSymLink())
        return result; // nothing on disk to keep
    QByteArray content;
    qint64 modified = 0;
    if (!readRegularFile(session, content, modified, &result.error)) {
        result.ok = false;
        return result;
    }
    if (!ensurePrivateFolder(folder)) {
        result.ok = false;
        result.error = QCoreApplication::translate("Cadenza", "the folder %1 cannot be made")
                           .arg(QDir::toNativeSeparators(folder));
        return result;
    }
    QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files);
    const QString base = backupBaseOf(session);
    const QString name = backupFileName(when, names, base);
    const QString target = dir.filePath(name);
    if (!writeFileAtomically(target, content, false, QFileDevice::ReadOwner | QFileDevice::WriteOwner,
                             &result.error)) {
        result.ok = false;
        return result;
    }
    result.path = target;
    for (const QString &old : backupsToPrune(names + QStringList{name}, when.date(), name, backupsKept, backupDaysKept, base))
        dir.remove(old);
    return result;
}

bool readOwnLegacySession(const QString &path, QByteArray &content, qint64 &modified)
{
#ifdef Q_OS_UNIX
    // O_NOFOLLOW: a link is refused, whoever made it; the owner is checked on
    // the file actually opened, so nothing can be swapped in between.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return false;
    }
    modified = qint64(st.st_mtime);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    content = file.readAll();
    return file.error() == QFileDevice::NoError;
#else
    Q_UNUSED(path);
    Q_UNUSED(content);
    Q_UNUSED(modified);
    return false;
#endif
}

const QString stagingMark = QStringLiteral(".cadenza-partial-");

void removeStaleStagingFiles(const QString &folder)
{
    QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name.startsWith(QLatin1Char('.')) && name.contains(stagingMark))
            dir.remove(name);
    }
}

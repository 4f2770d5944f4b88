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
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// ---- backup rules --------------------------------------------------------------

namespace {

const QString backupPrefix = QStringLiteral("cadenza-");
const QString backupSuffix = QStringLiteral(".times");

const QRegularExpression &backupPattern()
{
    static const QRegularExpression re(QStringLiteral("^cadenza-(\\d{8})-(\\d{6})(?:-(\\d+))?\\.times$"));
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

bool backupKey(const QString &name, BackupKey &key)
{
    const QRegularExpressionMatch m = backupPattern().match(name);
    if (!m.hasMatch())
        return false;
    key.stamp = m.captured(1) + QLatin1Char('-') + m.captured(2);
    key.sequence = m.captured(3).isEmpty() ? 1 : m.captured(3).toInt();
    return true;
}

} // namespace

QString backupFileName(const QDateTime &when, const QStringList &existing)
{
    const QString stamp = when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    int sequence = 0;
    for (const QString &name : existing) {
        BackupKey key;
        if (backupKey(name, key) && key.stamp == stamp)
            sequence = std::max(sequence, key.sequence);
    }
    return backupPrefix + stamp + (sequence == 0 ? QString() : QLatin1Char('-') + QString::number(sequence + 1))
           + backupSuffix;
}

QStringList backupsToPrune(const QStringList &names, int keep)
{
    std::vector<std::pair<BackupKey, QString>> backups;
    for (const QString &name : names) {
        BackupKey key;
        if (backupKey(name, key))
            backups.emplace_back(key, name);
    }
    std::sort(backups.begin(), backups.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList out;
    for (int i = 0; i + std::max(keep, 0) < int(backups.size()); ++i)
        out.append(backups[std::size_t(i)].second);
    return out;
}

bool dailyBackupDue(const QStringList &names, const QDate &today)
{
    const QString day = today.toString(QStringLiteral("yyyyMMdd"));
    for (const QString &name : names) {
        BackupKey key;
        if (backupKey(name, key) && key.stamp.startsWith(day))
            return false;
    }
    return true;
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
    lock.getLockInfo(&pid, &host, &application);
    QMessageBox::warning(nullptr, QStringLiteral("Cadenza"),
                         QCoreApplication::translate("Cadenza",
                                                     "Cadenza is already running (process %1) and keeps the "
                                                     "session in %2. Only one window at a time may keep it, so "
                                                     "this one closes without changing anything.")
                             .arg(pid)
                             .arg(QDir::toNativeSeparators(Cadenza::sessionFilePath())));
    return false;
}

QString backupSessionFile(const QString &session, const QString &folder, const QDateTime &when)
{
    if (!QFileInfo(session).isFile() || !ensurePrivateFolder(folder))
        return QString();
    QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files);
    const QString target = dir.filePath(backupFileName(when, names));
    bool made = false;
#ifdef Q_OS_UNIX
    made = ::link(QFile::encodeName(session).constData(), QFile::encodeName(target).constData()) == 0;
#endif
    if (!made) {
        QFile in(session);
        made = in.open(QIODevice::ReadOnly)
               && writeFileAtomically(target, in.readAll(), false, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    if (!made)
        return QString();
    for (const QString &old : backupsToPrune(names + QStringList{QFileInfo(target).fileName()}))
        dir.remove(old);
    return target;
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

void removeStaleStagingFiles(const QString &file)
{
    const QFileInfo info(file);
    QDir dir = info.absoluteDir();
    const QString staged = QLatin1Char('.') + info.fileName() + QLatin1Char('.');
    const QString saving = info.fileName() + QLatin1Char('.');
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (name.startsWith(staged) || (name.startsWith(saving) && name.size() == saving.size() + 6))
            dir.remove(name);
    }
}

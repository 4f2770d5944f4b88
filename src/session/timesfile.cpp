#include "session/timesfile.h"
#include "app/cadenza.h"
#include "session/sessionstore.h"
#include "ui_cadenza.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// ---- writing ---------------------------------------------------------------

namespace {

// The shortest text that reads back as the same float, C locale: 12345,
// 0.25, 1234567, 1e+06, 1234.5677.
void appendFloat(QByteArray &out, float value)
{
    char buf[48];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, int(result.ptr - buf));
}

template <typename Int>
void appendInt(QByteArray &out, Int value)
{
    char buf[24];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, int(result.ptr - buf));
}

bool isLineSpecial(ushort u)
{
    return u == '\r' || u == '\n' || u == '|' || u == '[';
}

} // namespace

QString scrambleForTimesFile(const QString &scramble)
{
    bool plain = true;
    for (const QChar c : scramble) {
        if (isLineSpecial(c.unicode())) {
            plain = false;
            break;
        }
    }
    if (plain)
        return scramble;
    QString s = scramble;
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('|'), QChar(0x00A6)); // broken bar
    s.replace(QLatin1String("[]"), QLatin1String("[ ]"));
    return s;
}

namespace {

// Plain ASCII scrambles (all generated ones) are copied byte for byte; the
// rest go through the full treatment and UTF-8.
void appendScramble(QByteArray &out, const QString &scramble)
{
    const QChar *const chars = scramble.constData();
    const int n = scramble.size();
    for (int i = 0; i < n; ++i) {
        const ushort u = chars[i].unicode();
        if (u >= 0x80 || isLineSpecial(u)) {
            out.append(scrambleForTimesFile(scramble).toUtf8());
            return;
        }
    }
    const int at = out.size();
    out.resize(at + n);
    char *dst = out.data() + at;
    for (int i = 0; i < n; ++i)
        dst[i] = char(chars[i].unicode());
}

} // namespace

QByteArray formatTimesFile(const SessionView &session)
{
    const int n = session.size();
    QByteArray out;
    out.reserve(n * 110);
    for (int i = 0; i < n; ++i) {
        appendFloat(out, session.times[i]);
        out.append('|');
        appendFloat(out, session.pauseStats[i].idleFraction);
        out.append('|');
        appendInt(out, session.pauseStats[i].pauseCount);
        for (const qint32 split : session.splits[i]) {
            out.append('|');
            appendInt(out, split);
        }
        out.append("[]", 2);
        appendScramble(out, session.scrambles[i]);
        out.append('|');
        appendInt(out, session.dates[i]);
        out.append('|');
        appendInt(out, session.penalties[i]);
        out.append('\n');
    }
    return out;
}

namespace {

bool saveThroughQSaveFile(const QString &path, const QByteArray &data, QFileDevice::Permissions permissions,
                          QString *error)
{
    QSaveFile file(path);
    const auto fail = [&] {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        file.commit();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail();
    if (permissions) {
#ifdef Q_OS_UNIX
        // On the still unnamed (or staged) file: it never shows wider modes.
        if (::fchmod(file.handle(), mode_t(((permissions & QFileDevice::ReadOwner) ? S_IRUSR : 0)
                                           | ((permissions & QFileDevice::WriteOwner) ? S_IWUSR : 0)
                                           | ((permissions & QFileDevice::ReadGroup) ? S_IRGRP : 0)
                                           | ((permissions & QFileDevice::WriteGroup) ? S_IWGRP : 0)
                                           | ((permissions & QFileDevice::ReadOther) ? S_IROTH : 0)
                                           | ((permissions & QFileDevice::WriteOther) ? S_IWOTH : 0)))
            != 0)
            return fail();
#else
        file.setPermissions(permissions);
#endif
    }
    // Unbuffered, and flushed here: a write refused by a full disk at the
    // final flush would otherwise slip past commit() and put an empty file
    // in place of the old one.
    if (file.write(data) != data.size() || !file.flush())
        return fail();
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &data, bool replaceLink,
                         QFileDevice::Permissions permissions, QString *error)
{
    if (!replaceLink)
        return saveThroughQSaveFile(path, data, permissions, error);

    // QSaveFile would resolve a link at `path` and replace its target. Stage
    // the file under a name nobody can guess in the same folder (so the last
    // step is a rename within one file system), then rename it over `path`:
    // rename replaces whatever entry is there, a link included, and never
    // follows it.
    const QFileInfo info(path);
    const QString staging = info.absolutePath() + QStringLiteral("/.") + info.fileName() + stagingMark
                            + QString::number(QRandomGenerator::system()->generate64(), 36);
    if (!saveThroughQSaveFile(staging, data, permissions, error)) {
        QFile::remove(staging);
        return false;
    }
#ifdef Q_OS_UNIX
    if (::rename(QFile::encodeName(staging).constData(), QFile::encodeName(info.absoluteFilePath()).constData())
        != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(staging);
        return false;
    }
#else
    QFile::remove(path);
    if (!QFile::rename(staging, path)) {
        if (error)
            *error = QStringLiteral("cannot rename");
        QFile::remove(staging);
        return false;
    }
#endif
    return true;
}

// ---- reading ---------------------------------------------------------------

namespace {

struct Field
{
    const char *begin;
    const char *end;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Surrounding blanks and one leading '+' are accepted, as a hand-edited file
// may carry them; anything else that is not wholly a number reads as 0.
Field numberText(Field f)
{
    while (f.begin < f.end && isBlank(*f.begin))
        ++f.begin;
    while (f.end > f.begin && isBlank(f.end[-1]))
        --f.end;
    if (f.end - f.begin >= 2 && *f.begin == '+' && f.begin[1] != '-')
        ++f.begin;
    return f;
}

float readFloat(Field f)
{
    f = numberText(f);
    float value = 0.0f;
    const auto result = std::from_chars(f.begin, f.end, value);
    if (result.ec != std::errc() || result.ptr != f.end || !std::isfinite(value))
        return 0.0f;
    return value;
}

template <typename Int>
Int readInt(Field f)
{
    f = numberText(f);
    Int value = 0;
    const auto result = std::from_chars(f.begin, f.end, value, 10);
    if (result.ec != std::errc() || result.ptr != f.end)
        return 0;
    return value;
}

// Splits [begin, end) at every '|', keeping empty parts.
template <typename Visit>
int forEachField(const char *begin, const char *end, Visit visit)
{
    int index = 0;
    const char *start = begin;
    for (const char *p = begin;; ++p) {
        if (p == end || *p == '|') {
            visit(index++, Field{start, p});
            if (p == end)
                break;
            start = p + 1;
        }
    }
    return index;
}

const char *findBrackets(const char *begin, const char *end)
{
    for (const char *p = begin; p + 1 < end; ++p) {
        p = static_cast<const char *>(std::memchr(p, '[', size_t(end - p - 1)));
        if (!p)
            return end;
        if (p[1] == ']')
            return p;
    }
    return end;
}

const char *findLastBrackets(const char *begin, const char *end)
{
    for (const char *p = end - 2; p >= begin; --p) {
        if (p[0] == '[' && p[1] == ']')
            return p;
    }
    return end;
}

} // namespace

SessionData parseTimesFile(const QByteArray &content, qint64 fileModified)
{
    SessionData session;
    qint64 runningDate = fileModified;
    qint32 runningPenalty = 0;

    const char *const data = content.constData();
    const char *const stop = data + content.size();
    const char *pos = data;
    if (content.startsWith("\xEF\xBB\xBF"))
        pos += 3;
    while (pos < stop) {
        const char *lineEnd = static_cast<const char *>(std::memchr(pos, '\n', size_t(stop - pos)));
        if (!lineEnd)
            lineEnd = stop;
        const char *const lineBegin = pos;
        pos = lineEnd + 1;
        const char *end = lineEnd;
        if (end > lineBegin && end[-1] == '\r')
            --end;

        QString scramble;
        const char *headEnd = end;
        const char *firstBrackets = findBrackets(lineBegin, end);
        if (firstBrackets != end) {
            headEnd = firstBrackets;
            const char *tail = findLastBrackets(lineBegin, end) + 2;
            forEachField(tail, end, [&](int index, Field f) {
                if (index == 0)
                    scramble = QString::fromUtf8(f.begin, int(f.end - f.begin));
                else if (index == 1)
                    runningDate = readInt<qint64>(f);
                else if (index == 2)
                    runningPenalty = readInt<qint32>(f);
            });
        }

        float time = 0.0f;
        PauseStats pause;
        std::vector<qint32> solveSplits;
        const int fields = forEachField(lineBegin, headEnd, [&](int index, Field f) {
            if (index == 0)
                time = readFloat(f);
            else if (index == 1)
                pause.idleFraction = readFloat(f);
            else if (index == 2)
                pause.pauseCount = readInt<qint32>(f);
            else
                solveSplits.push_back(readInt<qint32>(f));
        });
        if (fields < 3)
            continue;
        session.append(time, pause, std::move(solveSplits), scramble, runningDate, runningPenalty);
    }
    return session;
}

// ---- reading whole files ---------------------------------------------------

bool readRegularFile(const QString &fileName, QByteArray &content, qint64 &modified, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QFile file;
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(QCoreApplication::translate("Cadenza", "it is not a regular file"));
    }
    modified = qint64(st.st_mtime);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file.errorString());
    }
#else
    const QFileInfo info(fileName);
    if (!info.isFile())
        return fail(QCoreApplication::translate("Cadenza", "it is not a regular file"));
    file.setFileName(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    modified = info.lastModified().toSecsSinceEpoch();
#endif
    content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return true;
}

// ---- the window's file operations -----------------------------------------

void Cadenza::saveTimes(const QString &fileName)
{
    QString error;
    if (!writeFileAtomically(fileName, formatTimesFile(sessionView()), false, {}, &error))
        showProblem(tr("Save Times"), tr("Could not save the times to %1 (%2).")
                                          .arg(QDir::toNativeSeparators(fileName), error));
}

bool Cadenza::loadTimes(const QString &fileName)
{
    QByteArray content;
    qint64 modified = 0;
    QString error;
    if (!readRegularFile(fileName, content, modified, &error)) {
        showProblem(tr("Load Times"), tr("Could not read %1 (%2). The session is unchanged.")
                                          .arg(QDir::toNativeSeparators(fileName), error));
        return false;
    }
    SessionData loaded = parseTimesFile(content, modified);
    // An empty file is an empty session; a file of something else (a picture,
    // a csTimer export) would replace the session by nothing.
    if (loaded.size() == 0 && !content.trimmed().isEmpty()) {
        showProblem(tr("Load Times"), tr("%1 holds no times. The session is unchanged.")
                                          .arg(QDir::toNativeSeparators(fileName)));
        return false;
    }
    replaceSession(std::move(loaded));
    updateHistory();
    autosave();
    return true;
}

void Cadenza::showProblem(const QString &title, const QString &text)
{
    // Window-modal and not waiting: the event loop (and the 10 ms tick) runs on.
    auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

// Opens the session file at `path` as the session in the window: its solves,
// or none when there is no file (at the first start, the first session takes
// over an older /tmp one of this user's). A file that is there but cannot be
// read is refused.
// The first opening of a file on a day backs it up.
void Cadenza::loadSessionFile(const QString &path, bool mayTakeOverLegacy)
{
    sessionPath = path;
    sessionWriteFailing = false;
    // Undo and the chosen row belong to the session that was open.
    if (undoStack)
        undoStack->clear();
    chosenSolve.reset();
    // Nor does a figure of another session stay on show (an empty session
    // shows none).
    ui->statsAvgLabel->clear();
    ui->statsPBLabel->clear();
    replaceSession(SessionData());
    solvesOnDiskKeys.clear();
    QByteArray content;
    qint64 modified = 0;
    QString error;
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        if (!readRegularFile(path, content, modified, &error)) {
            refuseSessionFile(path, error);
            return;
        }
        replaceSession(parseTimesFile(content, modified));
        solvesOnDiskKeys = solveKeys(sessionView());
    } else if (mayTakeOverLegacy && path == sessionFilePath()
               && readOwnLegacySession(legacySessionFilePath(), content, modified)) {
        // A session an older version kept in /tmp moves here at once; the
        // old file stays where it is.
        replaceSession(parseTimesFile(content, modified));
        autosave();
    }
    if (QFileInfo(path).isFile()
        && dailyBackupDue(QDir(backupsFolder()).entryList(QDir::Files), QDate::currentDate(), backupBaseOf(path)))
        backupSessionFile(path, backupsFolder(), QDateTime::currentDateTime());
}

// The session file is there but cannot be read (another owner, a link to a
// drive that is not mounted): it is never written in this run, and the
// solves of the run go to a recovery file beside it.
void Cadenza::refuseSessionFile(const QString &path, const QString &why)
{
    sessionPath = sessionFolder() + QLatin1Char('/') + recoveryFileName(QDateTime::currentDateTime());
    solvesOnDiskKeys.clear();
    const QString shown = QDir::toNativeSeparators(path), recovery = QDir::toNativeSeparators(sessionPath);
    ui->statusBar->showMessage(tr("The session file %1 cannot be read; this run's solves are saved to %2.")
                                   .arg(shown, recovery));
    const QString text = tr("The session file %1 cannot be read (%2). Cadenza starts with an empty session and "
                            "leaves that file as it is; the solves of this run are saved to %3.")
                             .arg(shown, why, recovery);
    QTimer::singleShot(0, this, [this, text] { showProblem(tr("Session file"), text); });
}

bool Cadenza::autosave()
{
    const QString path = sessionPath.isEmpty() ? sessionFilePath() : sessionPath;
    if (!ensurePrivateFolder(sessionFolder())) {
        if (!sessionWriteFailing)
            ui->statusBar->showMessage(tr("Could not save the session to %1 (the folder %2 cannot be made). Your "
                                          "times are kept in this window; the next change tries again.")
                                           .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(sessionFolder())));
        sessionWriteFailing = true;
        return false;
    }
    std::vector<quint64> keys = solveKeys(sessionView());
    // A write that leaves out solves the file holds copies the file first; when
    // that copy cannot be made, the file stays as it is.
    if (!keepsEverySolve(solvesOnDiskKeys, keys)) {
        const BackupResult backup = backupSessionFile(path, backupsFolder(), QDateTime::currentDateTime());
        if (!backup.ok) {
            if (!sessionWriteFailing)
                ui->statusBar->showMessage(
                    tr("Could not back up %1 (%2), so it is left as it was. Your times are kept in this window; "
                       "the next change tries again.")
                        .arg(QDir::toNativeSeparators(path), backup.error));
            sessionWriteFailing = true;
            return false;
        }
    }
    QString error;
    const bool saved = writeFileAtomically(path, formatTimesFile(sessionView()), true,
                                           QFileDevice::ReadOwner | QFileDevice::WriteOwner, &error);
    if (saved)
        solvesOnDiskKeys = std::move(keys);
    // The status bar, not a dialog: a dialog would take the keyboard focus
    // (and the space bar) in the middle of a session. Told once per streak.
    if (!saved && !sessionWriteFailing)
        ui->statusBar->showMessage(tr("Could not save the session to %1 (%2). Your times are kept in this window; "
                                      "the next change tries again.")
                                       .arg(QDir::toNativeSeparators(path), error));
    else if (saved && sessionWriteFailing)
        ui->statusBar->showMessage(tr("The session is saved again."), 10000);
    sessionWriteFailing = !saved;
    return saved;
}

void Cadenza::replaceSession(SessionData &&data)
{
    times = std::move(data.times);
    dates = std::move(data.dates);
    pauseStats = std::move(data.pauseStats);
    splits = std::move(data.splits);
    scrambles = std::move(data.scrambles);
    penalties = std::move(data.penalties);
}

void Cadenza::on_actionLoad_Times_triggered()
{
    const QString fileName = QFileDialog::getOpenFileName(this, tr("Load times list"), QDir::currentPath(),
                                                          tr("Time lists (*.times)"));
    if (fileName.isEmpty())
        return;
    QDir::setCurrent(QFileInfo(fileName).absolutePath());
    SessionData before = sessionData();
    if (loadTimes(fileName))
        recordSessionChange(tr("Load Times"), std::move(before));
}

void Cadenza::on_actionSave_Times_triggered()
{
    const QString fileName = QFileDialog::getSaveFileName(this, tr("Save times list"), QDir::currentPath(),
                                                          tr("Time lists (*.times)"));
    if (fileName.isEmpty())
        return;
    QDir::setCurrent(QFileInfo(fileName).absolutePath());
    saveTimes(fileName);
}

void Cadenza::on_actionOpen_Backups_Folder_triggered()
{
    const QString folder = backupsFolder();
    ensurePrivateFolder(folder);
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

#include "app/cadenza.h"
#include "exchange/cstimer.h"
#include "puzzle/randomscrambler.h"
#include "session/sessionindex.h"
#include "session/sessionstore.h"
#include "session/timesfile.h"
#include "ui_cadenza.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QUndoStack>
#include <map>

// Several sessions, one per event: each keeps its solves in a times file of
// its own in the data folder, and the index beside them its name, event,
// splits choice, place in the list and whether it is the current one. Only
// the current session's solves are in the window.

namespace {

QStringList filesInFolder()
{
    // Links too, dangling ones included: a session file that is a link to a
    // drive that is not mounted is still a session.
    return QDir(sessionFolder()).entryList(QDir::Files | QDir::System | QDir::Hidden);
}

QString indexPath()
{
    return sessionFolder() + QLatin1Char('/') + sessionindex::indexFile;
}

constexpr QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

} // namespace

QString Cadenza::sessionFileOf(int index) const
{
    return sessionFolder() + QLatin1Char('/') + sessionIndex.sessions.at(std::size_t(index)).file;
}

const sessionindex::Entry &Cadenza::currentSessionEntry() const
{
    return sessionIndex.sessions.at(std::size_t(sessionIndex.current));
}

events::Event Cadenza::currentEvent() const
{
    return sessionIndex.sessions.empty() ? events::Event::Cube333 : currentSessionEntry().event;
}

void Cadenza::openSessions()
{
    ensurePrivateFolder(sessionFolder());
    removeStaleStagingFiles(sessionFolder());
    std::optional<sessionindex::Index> stored;
    const QFileInfo info(indexPath());
    if (info.exists() || info.isSymLink()) {
        QByteArray content;
        qint64 modified = 0;
        // An index that cannot be read is left as it is for the whole run;
        // one that is damaged is made anew from what the folder holds.
        if (readRegularFile(indexPath(), content, modified)) {
            stored = sessionindex::parse(content);
            if (stored)
                sessionIndexText = content;
        } else {
            sessionIndexRefused = true;
        }
    }
    sessionIndex = sessionindex::reconcile(stored, filesInFolder());
    if (!stored) {
        // Sessions found without an index (the single session of before, or a
        // lost index) keep the splits choice the settings hold.
        for (sessionindex::Entry &e : sessionIndex.sessions)
            e.splits = ui->splitsCombo->currentIndex();
    }
    loadSessionFile(sessionFileOf(sessionIndex.current), !stored && !sessionIndexRefused);
    const int splits = currentSessionEntry().splits;
    if (splits >= 0 && splits < ui->splitsCombo->count())
        ui->splitsCombo->setCurrentIndex(splits);
    refreshSessionCombo();
    writeSessionIndex();
}

void Cadenza::writeSessionIndex()
{
    if (sessionIndexRefused)
        return;
    const QByteArray text = sessionindex::format(sessionIndex);
    if (text == sessionIndexText)
        return;
    QString error;
    const bool saved = ensurePrivateFolder(sessionFolder())
                       && writeFileAtomically(indexPath(), text, true, privateFile, &error);
    if (saved)
        sessionIndexText = text;
    else if (!sessionIndexWriteFailing)
        ui->statusBar->showMessage(tr("Could not save the list of sessions to %1 (%2). The sessions themselves "
                                      "are saved; the next change tries again.")
                                       .arg(QDir::toNativeSeparators(indexPath()), error));
    sessionIndexWriteFailing = !saved;
}

void Cadenza::refreshSessionCombo()
{
    QComboBox *combo = ui->sessionCombo;
    const bool wasBlocked = combo->blockSignals(true);
    combo->clear();
    for (const sessionindex::Entry &e : sessionIndex.sessions)
        combo->addItem(e.name);
    combo->setCurrentIndex(sessionIndex.current);
    combo->setToolTip(tr("%1 (%2)").arg(currentSessionEntry().name, events::eventName(currentEvent())));
    combo->blockSignals(wasBlocked);
}

bool Cadenza::switchSession(int index)
{
    if (index < 0 || index >= int(sessionIndex.sessions.size()))
        return false;
    if (index == sessionIndex.current)
        return true;
    if (running || inspecting) {
        ui->statusBar->showMessage(tr("A solve is under way: the session changes after it."), 5000);
        return false;
    }
    // Every change is written at once; only a write that failed is still owed,
    // and the window's solves must not be dropped before it is made.
    if (sessionWriteFailing && !autosave()) {
        showProblem(tr("Sessions"), tr("The session \"%1\" could not be saved to %2, so it stays open: its solves "
                                       "are only in this window.")
                                        .arg(currentSessionEntry().name, QDir::toNativeSeparators(sessionPath)));
        return false;
    }
    openSession(index);
    refreshSessionCombo();
    writeSessionIndex();
    return true;
}

void Cadenza::openSession(int index)
{
    sessionIndex.current = index;
    loadSessionFile(sessionFileOf(index));
    const int splits = currentSessionEntry().splits;
    if (splits >= 0 && splits < ui->splitsCombo->count()) {
        const QSignalBlocker quiet(ui->splitsCombo); // the layout and the history are refreshed below, once
        ui->splitsCombo->setCurrentIndex(splits);
    }
    currentScramble = generateScramble();
    // A random-state scramble is shown once the event's tables are built.
    scrambleToReplace.clear();
    if (ui->actionRandom_State_Scrambles->isChecked() && !randomScrambler->lastWasRandomState()
        && !randomScrambler->ready(currentEvent()))
        scrambleToReplace = currentScramble;
    updateModeLayout();
    updateHistory();
}

bool Cadenza::createSession(const QString &name, events::Event event, const QString &otherType)
{
    const QString shown = name.trimmed();
    if (shown.isEmpty() || running || inspecting)
        return false;
    sessionindex::Entry entry;
    entry.file = sessionindex::newSessionFile(sessionIndex.sessions, filesInFolder());
    entry.name = shown;
    entry.event = event;
    entry.otherType = event == events::Event::Other ? otherType : QString();
    entry.splits = ui->splitsCombo->currentIndex();
    // The file is made at once, so that the session is found even without the index.
    QString error;
    const QString path = sessionFolder() + QLatin1Char('/') + entry.file;
    if (!ensurePrivateFolder(sessionFolder()) || !writeFileAtomically(path, QByteArray(), true, privateFile, &error)) {
        showProblem(tr("New Session"), tr("Could not make the session file %1 (%2).")
                                           .arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    sessionIndex.sessions.push_back(entry);
    writeSessionIndex();
    if (!switchSession(int(sessionIndex.sessions.size()) - 1)) {
        refreshSessionCombo();
        return false;
    }
    return true;
}

bool Cadenza::renameSession(int index, const QString &name)
{
    const QString shown = name.trimmed();
    if (shown.isEmpty() || index < 0 || index >= int(sessionIndex.sessions.size()))
        return false;
    sessionIndex.sessions[std::size_t(index)].name = shown;
    writeSessionIndex();
    refreshSessionCombo();
    return true;
}

bool Cadenza::deleteSession(int index)
{
    if (index < 0 || index >= int(sessionIndex.sessions.size()) || running || inspecting)
        return false;
    const bool isCurrent = index == sessionIndex.current;
    const QString path = sessionFileOf(index);
    const QString title = tr("Delete Session");
    // The solves go to a backup first; a session whose last change is still
    // owed to its file is saved first, so that the backup holds it.
    if (isCurrent && sessionWriteFailing && !autosave()) {
        showProblem(title, tr("The session could not be saved to %1, so it is not deleted.")
                               .arg(QDir::toNativeSeparators(sessionPath)));
        return false;
    }
    if (QFileInfo(path).size() > 0 || QFileInfo(path).isSymLink()) {
        const BackupResult backup = backupSessionFile(path, backupsFolder(), QDateTime::currentDateTime());
        if (!backup.ok) {
            showProblem(title, tr("Could not back up %1 (%2), so the session is not deleted.")
                                   .arg(QDir::toNativeSeparators(path), backup.error));
            return false;
        }
    }
    if ((QFileInfo(path).exists() || QFileInfo(path).isSymLink()) && !QFile::remove(path)) {
        showProblem(title, tr("Could not delete %1.").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    sessionIndex.sessions.erase(sessionIndex.sessions.begin() + index);
    if (sessionIndex.sessions.empty()) {
        // The last one gone: an empty 3x3x3 session takes its place.
        sessionindex::Entry fresh;
        const QStringList files = filesInFolder();
        fresh.file = files.contains(sessionindex::firstFile)
                         ? sessionindex::newSessionFile(sessionIndex.sessions, files)
                         : sessionindex::firstFile;
        fresh.name = events::eventName(events::Event::Cube333);
        fresh.splits = ui->splitsCombo->currentIndex();
        writeFileAtomically(sessionFolder() + QLatin1Char('/') + fresh.file, QByteArray(), true, privateFile);
        sessionIndex.sessions.push_back(fresh);
    }
    if (isCurrent) {
        // Nothing of the deleted session is written again: the next one opens.
        openSession(std::min(index, int(sessionIndex.sessions.size()) - 1));
    } else if (index < sessionIndex.current) {
        --sessionIndex.current;
    }
    writeSessionIndex();
    refreshSessionCombo();
    return true;
}

bool Cadenza::sessionSolves(int index, SessionData &out, QString *error)
{
    if (index == sessionIndex.current) {
        out = SessionData{times, dates, pauseStats, splits, scrambles, penalties};
        return true;
    }
    const QString path = sessionFileOf(index);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        out = SessionData();
        return true;
    }
    QByteArray content;
    qint64 modified = 0;
    if (!readRegularFile(path, content, modified, error))
        return false;
    out = parseTimesFile(content, modified);
    return true;
}

bool Cadenza::exportAllSessionsTo(const QString &fileName)
{
    const QString title = tr("Export All Sessions for CSTimer");
    std::vector<SessionData> data(sessionIndex.sessions.size());
    for (std::size_t i = 0; i < data.size(); ++i) {
        QString error;
        if (!sessionSolves(int(i), data[i], &error)) {
            showProblem(title, tr("Could not read the session \"%1\" from %2 (%3). Nothing was exported.")
                                   .arg(sessionIndex.sessions[i].name,
                                        QDir::toNativeSeparators(sessionFileOf(int(i))), error));
            return false;
        }
    }
    std::vector<CSTimerExportSession> sessions;
    for (std::size_t i = 0; i < data.size(); ++i)
        sessions.push_back({sessionIndex.sessions[i].name, sessionindex::cstimerTypeOf(sessionIndex.sessions[i]),
                            data[i].view()});
    QString error;
    if (!writeFileAtomically(fileName, formatCSTimerFileAll(sessions), false, {}, &error)) {
        showProblem(title, tr("Could not export the sessions to %1 (%2).")
                               .arg(QDir::toNativeSeparators(fileName), error));
        return false;
    }
    return true;
}

// Each csTimer session goes to a session of the same name and event: the
// j-th csTimer session of a name and event to the j-th such session that was
// there before the import, and a new one when there is none. Solves already
// held are not added again, so importing the same file twice adds nothing.
void Cadenza::importCSTimerSeparately(const CSTimerFile &file)
{
    const QString title = tr("Import CSTimer Session");
    std::map<std::pair<QString, QString>, std::vector<int>> existing;
    const auto key = [](const QString &name, const QString &type) {
        return std::make_pair(name, type.isEmpty() ? QStringLiteral("333") : type);
    };
    for (std::size_t i = 0; i < sessionIndex.sessions.size(); ++i) {
        const sessionindex::Entry &e = sessionIndex.sessions[i];
        existing[key(e.name, sessionindex::cstimerTypeOf(e))].push_back(int(i));
    }
    std::map<std::pair<QString, QString>, std::size_t> used;
    QStringList files = filesInFolder();
    QStringList failed;
    int solvesAdded = 0, sessionsChanged = 0;
    for (const int k : cstimerSessionsToImport(file)) {
        const CSTimerSessionInfo &info = file.info[std::size_t(k)];
        const auto id = key(info.name, info.type);
        const std::vector<int> &same = existing[id];
        int target = -1;
        if (used[id] < same.size())
            target = same[used[id]++];
        SessionData held;
        if (target < 0) {
            sessionindex::Entry entry;
            entry.file = sessionindex::newSessionFile(sessionIndex.sessions, files);
            entry.name = info.name;
            entry.event = events::eventForCstimerType(info.type);
            entry.otherType = entry.event == events::Event::Other ? info.type : QString();
            entry.splits = ui->splitsCombo->currentIndex();
            files << entry.file;
            const QString path = sessionFolder() + QLatin1Char('/') + entry.file;
            QString error;
            if (!writeFileAtomically(path, formatTimesFile(file.pieces[std::size_t(k)].view()), true, privateFile,
                                     &error)) {
                failed << QStringLiteral("%1 (%2)").arg(info.name, error);
                continue;
            }
            sessionIndex.sessions.push_back(entry);
            solvesAdded += file.pieces[std::size_t(k)].size();
            ++sessionsChanged;
            continue;
        }
        QString error;
        if (!sessionSolves(target, held, &error)) {
            failed << QStringLiteral("%1 (%2)").arg(sessionIndex.sessions[std::size_t(target)].name, error);
            continue;
        }
        SessionData merged = mergeNewSolves(held.view(), file.pieces[std::size_t(k)]);
        if (merged.size() == held.size())
            continue;
        solvesAdded += merged.size() - held.size();
        ++sessionsChanged;
        if (target == sessionIndex.current) {
            replaceSession(std::move(merged));
            autosave();
        } else if (!writeFileAtomically(sessionFileOf(target), formatTimesFile(merged.view()), true, privateFile,
                                        &error)) {
            failed << QStringLiteral("%1 (%2)").arg(sessionIndex.sessions[std::size_t(target)].name, error);
        }
    }
    // Solves merged into several sessions at once: the steps before cannot
    // be taken back one by one.
    undoStack->clear();
    writeSessionIndex();
    refreshSessionCombo();
    updateHistory();
    ui->statusBar->showMessage(tr("Imported %1 solves into %2 sessions.").arg(solvesAdded).arg(sessionsChanged), 10000);
    if (!failed.isEmpty())
        showProblem(title, tr("These sessions could not be imported: %1.").arg(failed.join(QStringLiteral(", "))));
}

void Cadenza::on_sessionCombo_activated(int index)
{
    if (!switchSession(index))
        refreshSessionCombo();
}

void Cadenza::on_actionNew_Session_triggered()
{
    QDialog dialog(this);
    dialog.setWindowTitle(tr("New Session"));
    auto *form = new QFormLayout(&dialog);
    auto *name = new QLineEdit(&dialog);
    name->setAccessibleName(tr("Session name"));
    auto *event = new QComboBox(&dialog);
    event->setAccessibleName(tr("Event"));
    for (const events::Event e : events::allEvents())
        event->addItem(events::eventName(e), int(e));
    event->setCurrentIndex(std::max(0, event->findData(int(currentEvent() == events::Event::Other ? events::Event::Cube333 : currentEvent()))));
    name->setText(event->currentText());
    // The name follows the event until the user types one of their own.
    connect(event, &QComboBox::currentTextChanged, name, [name, event](const QString &) {
        if (!name->isModified())
            name->setText(event->currentText());
    });
    form->addRow(tr("Name:"), name);
    form->addRow(tr("Event:"), event);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    const auto allowOk = [buttons, name] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!name->text().trimmed().isEmpty());
    };
    connect(name, &QLineEdit::textChanged, &dialog, allowOk);
    allowOk();
    name->selectAll();
    if (dialog.exec() != QDialog::Accepted)
        return;
    createSession(name->text(), events::Event(event->currentData().toInt()));
}

void Cadenza::on_actionRename_Session_triggered()
{
    bool ok = false;
    const QString name = QInputDialog::getText(this, tr("Rename Session"), tr("Name of the session:"),
                                               QLineEdit::Normal, currentSessionEntry().name, &ok);
    if (ok)
        renameSession(sessionIndex.current, name);
}

void Cadenza::on_actionDelete_Session_triggered()
{
    const QString name = currentSessionEntry().name;
    const auto answer = QMessageBox::question(
        this, tr("Delete Session"),
        tr("Delete the session \"%1\" and its %2 solves? A backup of it is kept in the backups folder.")
            .arg(name)
            .arg(times.size()),
        QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        deleteSession(sessionIndex.current);
}

void Cadenza::on_actionExport_All_Sessions_for_CSTimer_triggered()
{
    const QString fileName = QFileDialog::getSaveFileName(this, tr("Export all sessions to CSTimer format"),
                                                          QDir::currentPath(), tr("Txt file (*.txt)"));
    if (fileName.isEmpty())
        return;
    QDir::setCurrent(QFileInfo(fileName).absolutePath());
    exportAllSessionsTo(fileName);
}

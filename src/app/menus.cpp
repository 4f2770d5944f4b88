#include "app/cadenza.h"
#include "ui_cadenza.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QListWidget>
#include <QMessageBox>

// File > Quit, the Help menu, and the history's Delete key.

void Cadenza::setUpHistoryKeys()
{
    // Delete removes the chosen solve while the history has the focus (and
    // only then: elsewhere the key is the control's own).
    auto *remove = new QAction(tr("Remove"), ui->historyList);
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetShortcut);
    ui->historyList->addAction(remove);
    connect(remove, &QAction::triggered, this, &Cadenza::on_removeButton_clicked);
}

void Cadenza::on_actionQuit_triggered()
{
    close();
}

QString Cadenza::keyboardShortcutsText() const
{
    const auto key = [](const QAction *action) { return action->shortcut().toString(QKeySequence::NativeText); };
    const QString rows[][2] = {
        {tr("Space, released"), tr("Starts a solve (or the inspection, when it is on)")},
        {tr("Any key"), tr("Stops the running solve and stores it")},
        {tr("Escape"), tr("Cancels the running solve or the inspection")},
        {QKeySequence(QKeySequence::Delete).toString(QKeySequence::NativeText),
         tr("Removes the solve chosen in the history (while the history has the focus)")},
        {key(ui->actionUndo), tr("Undoes the last change of the session")},
        {key(ui->actionRedo), tr("Redoes it")},
        {key(ui->actionImport_CSTimer_Session), tr("Imports a csTimer session")},
        {key(ui->actionNew_Session), tr("Makes a new session, for an event of its own")},
        {key(ui->actionQuit), tr("Quits")},
        {tr("Tab, Shift+Tab"), tr("Moves between the controls")},
    };
    QString text = QStringLiteral("<table cellspacing=\"4\">");
    for (const auto &row : rows)
        text += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(row[0].toHtmlEscaped(), row[1].toHtmlEscaped());
    return text + QStringLiteral("</table><p>") + tr("While a solve runs every key is the timer's.") + QStringLiteral("</p>");
}

void Cadenza::on_actionKeyboard_Shortcuts_triggered()
{
    QMessageBox box(QMessageBox::NoIcon, tr("Keyboard Shortcuts"), keyboardShortcutsText(), QMessageBox::Close, this);
    box.setTextFormat(Qt::RichText);
    box.exec();
}

void Cadenza::on_actionAbout_Cadenza_triggered()
{
    QMessageBox::about(this, tr("About Cadenza"),
                       tr("<h3>Cadenza %1</h3>"
                          "<p>A timer for speed-solving puzzle cubes that listens to the microphone while it times.</p>"
                          "<p>Copyright (C) 2026 Merlo</p>"
                          "<p>No licence has been chosen for Cadenza yet: all rights reserved.</p>")
                           .arg(QCoreApplication::applicationVersion().toHtmlEscaped()));
}

#include "app/sessionundo.h"

#include "app/cadenza.h"
#include "ui_cadenza.h"

#include <QUndoStack>

namespace {

// Moves the solves from index `at` on out of `data`.
SessionData splitOff(SessionData &data, int at)
{
    SessionData tail;
    const std::size_t n = data.times.size(), from = std::size_t(std::max(0, std::min(at, int(n))));
    const auto take = [from](auto &v, auto &out) {
        out.assign(std::make_move_iterator(v.begin() + std::ptrdiff_t(from)), std::make_move_iterator(v.end()));
        v.erase(v.begin() + std::ptrdiff_t(from), v.end());
    };
    take(data.times, tail.times);
    take(data.dates, tail.dates);
    take(data.pauseStats, tail.pauseStats);
    take(data.splits, tail.splits);
    take(data.penalties, tail.penalties);
    tail.scrambles = data.scrambles.mid(int(from));
    data.scrambles.erase(data.scrambles.begin() + int(from), data.scrambles.end());
    return tail;
}

void appendAll(SessionData &data, SessionData &&tail)
{
    const auto add = [](auto &v, auto &more) { v.insert(v.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end())); };
    add(data.times, tail.times);
    add(data.dates, tail.dates);
    add(data.pauseStats, tail.pauseStats);
    add(data.splits, tail.splits);
    add(data.penalties, tail.penalties);
    data.scrambles += tail.scrambles;
}

} // namespace

SessionChange::SessionChange(Cadenza *w, const QString &text, SessionData before)
    : QUndoCommand(text)
    , window(w)
    , other(std::move(before))
    , size(int(w->times.size()))
{
}

void SessionChange::redo()
{
    if (applied) {
        applied = false;
        return;
    }
    swap();
}

void Cadenza::recordSessionChange(const QString &what, SessionData before)
{
    undoStack->push(new SessionChange(this, what, std::move(before)));
}

void SessionChange::swap()
{
    SessionData current = window->takeSession();
    SessionData stored = splitOff(current, size);
    SessionData next = std::move(other);
    other = std::move(current);
    size = next.size();
    appendAll(next, std::move(stored));
    window->replaceSession(std::move(next));
    window->updateHistory();
    window->autosave();
}

SessionData Cadenza::takeSession()
{
    SessionData data;
    data.times = std::move(times);
    data.dates = std::move(dates);
    data.pauseStats = std::move(pauseStats);
    data.splits = std::move(splits);
    data.scrambles = std::move(scrambles);
    data.penalties = std::move(penalties);
    times.clear();
    dates.clear();
    pauseStats.clear();
    splits.clear();
    scrambles.clear();
    penalties.clear();
    return data;
}

SessionData Cadenza::sessionData() const
{
    SessionData data;
    data.times = times;
    data.dates = dates;
    data.pauseStats = pauseStats;
    data.splits = splits;
    data.scrambles = scrambles;
    data.penalties = penalties;
    return data;
}

// Edit > Undo and Redo name the change they act on.
void Cadenza::setUpUndo()
{
    undoStack = new QUndoStack(this);
    // Each step keeps a whole session: a long session's steps are not few
    // megabytes.
    undoStack->setUndoLimit(20);
    connect(ui->actionUndo, &QAction::triggered, undoStack, &QUndoStack::undo);
    connect(ui->actionRedo, &QAction::triggered, undoStack, &QUndoStack::redo);
    connect(undoStack, &QUndoStack::canUndoChanged, ui->actionUndo, &QAction::setEnabled);
    connect(undoStack, &QUndoStack::canRedoChanged, ui->actionRedo, &QAction::setEnabled);
    connect(undoStack, &QUndoStack::undoTextChanged, this, [this](const QString &text) {
        ui->actionUndo->setText(text.isEmpty() ? tr("Undo") : tr("Undo %1").arg(text));
    });
    connect(undoStack, &QUndoStack::redoTextChanged, this, [this](const QString &text) {
        ui->actionRedo->setText(text.isEmpty() ? tr("Redo") : tr("Redo %1").arg(text));
    });
}

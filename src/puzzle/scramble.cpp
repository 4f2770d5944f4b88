#include "puzzle/scramble.h"
#include "app/cadenza.h"
#include "puzzle/eventscramble.h"
#include "puzzle/randomscrambler.h"
#include "ui_cadenza.h"

#include <QStringList>

QString makeScramble(const std::function<int()> &draw)
{
    static const char *const faces[6] = {"R", "L", "U", "D", "F", "B"};
    const int halves = draw() % 6 + 7;
    const int primes = draw() % (21 - halves);

    int f[21];
    for (int k = 0; k < 21; ++k) {
        int m = draw() % 6;
        while ((k >= 1 && m == f[k - 1]) || (k >= 2 && m == f[k - 2] && m / 2 == f[k - 1] / 2))
            m = draw() % 6;
        f[k] = m;
    }

    QStringList moves;
    for (int k = 0; k < 21; ++k)
        moves << QString::fromLatin1(faces[f[k]]);

    for (int marked = 0; marked < halves;) {
        const int i = draw() % 21;
        if (moves[i].endsWith(QLatin1Char('2')))
            continue;
        moves[i] += QLatin1Char('2');
        ++marked;
    }
    for (int marked = 0; marked < primes;) {
        const int i = draw() % 21;
        if (moves[i].endsWith(QLatin1Char('2')) || moves[i].endsWith(QLatin1Char('\'')))
            continue;
        moves[i] += QLatin1Char('\'');
        ++marked;
    }
    return moves.join(QLatin1Char(' '));
}

QString Cadenza::generateScramble()
{
    // Random-state scrambles once the event's tables are built; until then,
    // and when not chosen, its random-move generator (the 21-move one for the
    // 3x3x3 events).
    const events::Event event = currentEvent();
    const QString text = randomScrambler->next(event, ui->actionRandom_State_Scrambles->isChecked());
    const bool cube = events::isCube333(event);
    if (randomScrambler->lastWasRandomState())
        ui->scrambleLabel->setToolTip(cube ? tr("A uniformly random state of the cube, reached in at most 21 moves "
                                                "(two-phase search).")
                                           : tr("A uniformly random state of the puzzle, reached by a short "
                                                "scramble."));
    else if (cube)
        ui->scrambleLabel->setToolTip(moveScrambleToolTip);
    else
        ui->scrambleLabel->setToolTip(event == events::Event::Other ? tr("Other events get no scramble.")
                                                                    : tr("Random moves in WCA notation."));
    return text;
}

void Cadenza::on_actionRandom_State_Scrambles_toggled(bool on)
{
    // At start-up the first scramble, made once the session is open, starts
    // its event's tables.
    if (sessionIndex.sessions.empty())
        return;
    const events::Event event = currentEvent();
    if (on && eventscramble::hasRandomState(event) && !randomScrambler->ready(event)) {
        scrambleToReplace = currentScramble;
        randomScrambler->start(event);
        return;
    }
    scrambleToReplace.clear();
    // A fresh scramble of the chosen kind, unless a solve is under way.
    if (running)
        return;
    currentScramble = generateScramble();
    updateHistory();
}

void Cadenza::randomStateTablesReady()
{
    if (!randomScrambler->ready(currentEvent()))
        return; // another event's tables: the scramble shown waits for its own
    if (!running && !scrambleToReplace.isEmpty() && currentScramble == scrambleToReplace
        && ui->actionRandom_State_Scrambles->isChecked() && randomScrambler->ready(currentEvent())) {
        currentScramble = generateScramble();
        updateHistory();
    }
    scrambleToReplace.clear();
}

void Cadenza::on_actionShow_Scramble_Picture_toggled(bool)
{
    updateModeLayout();
}

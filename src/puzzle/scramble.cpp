#include "puzzle/scramble.h"
#include "app/cadenza.h"
#include "puzzle/randomscrambler.h"
#include "ui_cadenza.h"

#include <QStringList>
#include <QTime>
#include <cstdlib>

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
    // Random-state scrambles once their tables are built; until then, and
    // when not chosen, the move generator below.
    if (ui && randomScrambler && ui->actionRandom_State_Scrambles->isChecked() && randomScrambler->ready()) {
        ui->scrambleLabel->setToolTip(tr("A uniformly random state of the cube, reached in at most 21 moves "
                                         "(two-phase search)."));
        return randomScrambler->take().text;
    }
    if (ui)
        ui->scrambleLabel->setToolTip(moveScrambleToolTip);
    const QTime now = QTime::currentTime();
    std::srand(now.isValid() ? unsigned(now.msecsSinceStartOfDay()) : 0u);
    return makeScramble([] { return std::rand(); });
}

void Cadenza::on_actionRandom_State_Scrambles_toggled(bool on)
{
    if (on && !randomScrambler->ready()) {
        // At start-up (no scramble yet) the first scramble stays what it is.
        scrambleToReplace = currentScramble;
        randomScrambler->start();
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
    if (!running && !scrambleToReplace.isEmpty() && currentScramble == scrambleToReplace
        && ui->actionRandom_State_Scrambles->isChecked()) {
        currentScramble = generateScramble();
        updateHistory();
    }
    scrambleToReplace.clear();
}

void Cadenza::on_actionShow_Scramble_Picture_toggled(bool)
{
    updateModeLayout();
}

#ifndef CADENZA_EVENTSCRAMBLE_H
#define CADENZA_EVENTSCRAMBLE_H

// The scrambles of every event, as pure functions of a random source, and
// the model each event's picture is drawn from.
//
// Random-move scrambles, in WCA notation:
//   3x3x3 events: the 21-move generator (scramble.h);
//   2x2x2: 11 moves of R, U, F; 4x4x4 to 7x7x7 (and the blindfolded 4x4x4
//   and 5x5x5): 40, 60, 80, 100 moves of outer and wide turns, never one
//   axis three times in a row nor the same layers twice in a row;
//   Pyraminx: 11 moves of U, L, R, B, then each tip turned either way or not;
//   Skewb: 11 moves of R, U, L, B; Megaminx: 7 lines of 10 R++/R--, D++/D--
//   moves, each ending in U or U'; Clock: see clock.h; Square-1: see square1.h.
// Random-state scrambles: the 3x3x3 events (twophase.h), 2x2x2, Pyraminx and
// Skewb (from distance tables, statetables.h), Clock and Square-1
// (square1.h); the others have none. Other has no scramble.

#include "puzzle/events.h"
#include "puzzle/statetables.h"
#include "puzzle/twisty.h"

#include <QString>
#include <memory>
#include <random>

namespace eventscramble {

// The NxN size an event is scrambled and pictured as (3 for the 3x3x3
// events), 0 for the other puzzles.
int cubeSize(events::Event e);
// The sticker model pictured for an event: 2x2x2, 4x4x4 to 7x7x7, Pyraminx,
// Skewb and Megaminx; null for the 3x3x3 events (pictured from cube.h),
// Clock (clock.h), Square-1 and Other.
const twisty::Puzzle *stickerModel(events::Event e);

QString randomMoveScramble(events::Event e, std::mt19937_64 &rng);
// `length` random turns of an n x n x n cube (n 4 and up), outer and wide.
QString cubeRandomMoves(int n, int length, std::mt19937_64 &rng);

// Whether the event has random-state scrambles, and whether they need tables
// built first (the 3x3x3 events build theirs in twophase.h).
bool hasRandomState(events::Event e);
bool needsStateTables(events::Event e);

// Distance tables of 2x2x2 (optimal in R, U, F, at least 4 moves), Pyraminx
// (optimal in U, L, R, B without the tips, at least 6 moves) and Skewb
// (optimal in R, U, L, B, at least 7 moves); null for other events.
std::shared_ptr<const statetables::Tables> buildStateTables(events::Event e);

struct Scramble
{
    QString text;
    twisty::State state; // the drawn position, tips included
    int distance = 0;    // moves before the tips
};
// A random-state scramble from the event's tables (Pyraminx gets its tips
// drawn independently and turned after the rest).
Scramble randomStateScramble(events::Event e, const statetables::Tables &tables, std::mt19937_64 &rng);

} // namespace eventscramble

#endif

#ifndef CADENZA_SQUARE1_H
#define CADENZA_SQUARE1_H

// The Square-1 as pure values: its two layers of corners (60 degrees) and
// edges (30 degrees), the middle slice, the turns "(x,y)" and "/", the
// scramble notation, random-move and random-state scrambles, and the search
// that solves a state for the latter.
//
// Slots. Each layer is cut into twelve 30-degree slots. A corner fills two
// neighbouring slots, an edge one. The slice line runs 15 degrees off the
// front-back line: seen from above it leaves the front face just left of the
// front edge and the back face just right of the back edge. Top slots 0..11
// run clockwise seen from above, slot 0 starting at that line at the front;
// bottom slots 0..11 run clockwise seen from below, slot 0 starting at the
// same point. Top slots 6..11 and bottom slots 0..5 form the right half, the
// one "/" turns over: it swaps them slot for slot and turns the right half of
// the middle layer over.
//
// Pieces: corners 0..7, edges 8..15.
//   top corners    0 UFL  1 ULB  2 UBR  3 URF     top edges    8 UL  9 UB  10 UR  11 UF
//   bottom corners 4 DFR  5 DRB  6 DBL  7 DLF     bottom edges 12 DF 13 DR 14 DB  15 DL
// Solved: top    UFL UFL UL ULB ULB UB UBR UBR UR URF URF UF
//         bottom DF DFR DFR DR DRB DRB DB DBL DBL DL DLF DLF

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace square1 {

struct State
{
    // The piece in each slot: top 0..11, then bottom 0..11 (a corner twice).
    std::array<std::uint8_t, 24> pieces{{0, 0, 8, 1, 1, 9, 2, 2, 10, 3, 3, 11, 12, 4, 4, 13, 5, 5, 14, 6, 6, 15, 7, 7}};
    // The right half of the middle layer turned over (an odd number of "/").
    bool middleFlipped = false;

    bool operator==(const State &o) const { return pieces == o.pieces && middleFlipped == o.middleFlipped; }
    bool operator!=(const State &o) const { return !(*this == o); }
};

inline bool isCorner(int piece) { return piece < 8; }

// Sticker colours as cube::NetFace values (U white, R red, F green, D yellow,
// L orange, B blue): a piece's top or bottom sticker, and its side sticker; a
// corner has two, the first being the one its first slot shows (in the order
// of that layer's slots).
int faceColour(int piece);
int sideColour(int piece, bool secondHalf);
// Whether the slot holds the second half of a corner (layer 0 top, 1 bottom).
bool secondHalf(const State &s, int layer, int slot);

// One step of a scramble: a turn "(top,bottom)" of the layers in twelfths
// (clockwise seen from above for the top, from below for the bottom), or the
// slice "/".
struct Move
{
    int top = 0, bottom = 0;
    bool slice = false;

    bool operator==(const Move &o) const { return top == o.top && bottom == o.bottom && slice == o.slice; }
};

// Whether "/" may be turned: both layers are cut along the slice line.
bool sliceable(const State &s);
// The layers turned by top and bottom twelfths (any integers).
State turned(const State &s, int top, int bottom);
// The state after "/"; `s` must be sliceable.
State sliced(const State &s);
// Applies the moves in turn; false (and `s` as far as it got) at a "/" that
// cannot be turned.
bool applyMoves(State &s, const std::vector<Move> &moves);
// The moves that undo `moves`: reversed, each turn negated.
std::vector<Move> inverse(const std::vector<Move> &moves);
// Solved as it is (not merely up to turns of the layers).
inline bool isSolved(const State &s) { return s == State(); }

// "(1,0) / (-3,3) / ..." with spaces around "/" optional; each amount -5..6.
// False (and `out` untouched) for anything else, or an empty text.
bool parseScramble(const QString &text, std::vector<Move> &out);
// The notation of `moves`: "(x,y)" and "/" separated by single spaces.
QString scrambleText(const std::vector<Move> &moves);
// The solved puzzle after the scramble text; false if the text is not a
// scramble or turns "/" where the layers are not cut along the slice.
bool stateAfterScramble(const QString &scramble, State &out);

// Twelve turns "(x,y)", never (0,0), each followed by a "/" it makes legal.
QString randomMoveScramble(std::mt19937_64 &rng);

// A uniformly random position of the puzzle: every reachable arrangement of
// both layers, layer turns included, and both middle positions equally
// likely (see the .cpp for why that is uniform over states too).
State randomState(std::mt19937_64 &rng);

// The search tables: built once (pure; about a second of CPU time and 17 MB),
// immutable and shared by readers.
struct Tables;
std::shared_ptr<const Tables> buildTables();

// A sequence that solves `s`: the shortest the search finds with at least
// `minSlices` and at most `maxSlices` slices, stopping at the first with at
// most `goodSlices`. The search gives up after `nodeBudget` nodes (45 to 100
// ms on one core here) or `milliseconds` of wall-clock time (0: no limit),
// whichever comes first, so that a scramble asked for while its search still
// runs is never long in coming. False when it found none by then.
struct SearchLimits
{
    int minSlices = 11;
    int goodSlices = 13;
    int maxSlices = 15;
    long nodeBudget = 6000000;
    double milliseconds = 40;
};
bool solve(const Tables &tables, const State &s, std::vector<Move> &solution, const SearchLimits &limits = {});

// A scramble to a uniformly random state: the inverse of a solution of it,
// with 11 to 13 slices. About one state in 7,000 gets 14 or 15, when the
// node budget ends before the search finds 13 (more on a busy machine, where
// the time limit ends searches sooner); such a state is kept, as dropping it
// would make hard states rarer than they are. Should the search find nothing
// within its limits (never with the node budget alone in 20,000 draws; once in
// 5,000 with the time limit on a machine loaded 3.5 times over), a random-move
// scramble stands in and `randomState` is false.
struct RandomScramble
{
    State state;
    std::vector<Move> moves;
    QString text;
    bool randomState = true;
};
RandomScramble randomStateScramble(const Tables &tables, std::mt19937_64 &rng, const SearchLimits &limits = {});

// Number of "/" in a move list.
int sliceCount(const std::vector<Move> &moves);

} // namespace square1

#endif

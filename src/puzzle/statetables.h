#ifndef CADENZA_STATETABLES_H
#define CADENZA_STATETABLES_H

// Random-state scrambles for the small puzzles (2x2x2, Pyraminx, Skewb):
// every position of the puzzle gets a number, and one breadth-first pass over
// the moves records each position's distance from solved. A uniformly random
// number that the pass reached is a uniformly random position, and stepping
// to a neighbour one move closer, again and again, solves it optimally.
//
// A position is read as a few coordinates, each the order and/or twists of
// some places of one kind of piece, and numbered by them in mixed radix. The
// numbering may hold numbers no position has (an odd order where only even
// ones occur, a twist sum that never occurs): the pass never reaches them,
// and a draw that hits one draws again.

#include "puzzle/twisty.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace statetables {

struct Coordinate
{
    enum Order { NoOrder, AnyOrder, EvenOrder };
    int orbit = 0;           // which of Plan::orbits
    std::vector<int> places; // places of that orbit it reads; the moves keep their pieces among them
    Order order = NoOrder;   // whether it reads the pieces' order there (or only the even ones occur)
    bool twists = false;     // whether it reads their twists
    bool twistSumZero = false; // whether their twists always sum to 0 (the last follows from the others)
};

// What one puzzle's tables are built from: its pieces, the coordinates that
// number its positions, and the moves its scrambles use.
struct Plan
{
    const twisty::Puzzle *puzzle = nullptr;
    std::vector<std::vector<int>> orbits; // the piece numbers of each kind of piece
    std::vector<Coordinate> coordinates;
    std::vector<int> moves;               // the puzzle's moves a solution uses
    int minDistance = 0;                  // positions closer to solved are drawn again
};

struct Tables;
// Builds the coordinates' move tables and the distance of every position
// (pure; meant for a worker thread). Null if the plan does not describe the
// puzzle's moves (a move that takes a piece out of a coordinate's places).
std::shared_ptr<const Tables> build(const Plan &plan);

struct Drawn
{
    twisty::State state;    // the drawn position
    std::vector<int> moves; // a shortest scramble that reaches it from solved
    int distance = 0;
};
Drawn draw(const Tables &tables, std::mt19937_64 &rng);

// The number of positions at each distance from solved.
std::vector<long> distanceCounts(const Tables &tables);
// The distance of a position, -1 if it is none the tables know.
int distanceOf(const Tables &tables, const twisty::State &s);
const Plan &planOf(const Tables &tables);

} // namespace statetables

#endif

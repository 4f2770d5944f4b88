#ifndef CADENZA_TWOPHASE_H
#define CADENZA_TWOPHASE_H

// Solving the cube in two phases: first into the states that U, D and the half
// turns of R, L, F, B can solve (every piece oriented, the middle-layer edges
// in the middle layer), then solved with those turns only. Both phases are
// depth-first searches bounded by tables of exact distances in smaller
// projections of the cube (coordinates), built once.

#include "puzzle/cube.h"

#include <QString>
#include <memory>
#include <random>
#include <vector>

namespace twophase {

struct Tables;

// Builds every move and distance table (pure; a few tens of megabytes of work,
// meant for a worker thread). The result is immutable and shared by readers.
std::shared_ptr<const Tables> buildTables();

// A turn sequence of at most maxLength moves that takes `c` to the solved
// cube; no face is turned twice in a row, and two turns of opposite faces in a
// row always come in the order R L, U D, F B (so never three of one axis).
// False if `c` cannot be solved or no such sequence exists.
bool solve(const Tables &tables, const cube::Cube &c, std::vector<int> &solution, int maxLength = 21);

// A uniformly random state among all reachable ones.
cube::Cube randomCube(std::mt19937_64 &rng);

// A scramble to a uniformly random state: the inverse of a solution of it.
struct RandomScramble
{
    cube::Cube state;
    std::vector<int> moves;
    QString text;
};
RandomScramble randomStateScramble(const Tables &tables, std::mt19937_64 &rng);

} // namespace twophase

#endif

#ifndef CADENZA_TWOPHASE_H
#define CADENZA_TWOPHASE_H

// Solving the cube in two phases: first into the states that U, D and the half
// turns of R, L, F, B can solve (every piece oriented, the middle-layer edges
// in the middle layer), then solved with those turns only. Both phases are
// depth-first searches bounded by tables of exact distances in smaller
// projections of the cube (coordinates), built once.

#include "puzzle/cube.h"

#include <QString>
#include <cstdint>
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
// False if `c` cannot be solved or no such sequence exists, or, with
// maxNodes above 0, when the search visits more nodes than that first (a few
// million nodes take a few tens of milliseconds). `visited`, when given,
// receives the number of nodes visited.
bool solve(const Tables &tables, const cube::Cube &c, std::vector<int> &solution, int maxLength = 21,
           std::uint64_t maxNodes = 0, std::uint64_t *visited = nullptr);

// A uniformly random state among all reachable ones.
cube::Cube randomCube(std::mt19937_64 &rng);

// A scramble to a uniformly random state: the inverse of a solution of it.
// Should the search for it visit more than maxNodes nodes (0: no bound), the
// scramble is one of the 21-move generator instead (randomState false), so
// that no draw holds its caller for long.
struct RandomScramble
{
    cube::Cube state;
    std::vector<int> moves;
    QString text;
    bool randomState = true;
};
constexpr std::uint64_t scrambleNodeBudget = 3000000;
RandomScramble randomStateScramble(const Tables &tables, std::mt19937_64 &rng,
                                   std::uint64_t maxNodes = scrambleNodeBudget);

} // namespace twophase

#endif

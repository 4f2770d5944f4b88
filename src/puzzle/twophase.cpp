#include "puzzle/twophase.h"
#include "puzzle/permutation.h"
#include "puzzle/scramble.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace twophase {

using cube::Cube;

namespace {

constexpr int twistCount = 2187;    // 3^7 corner twists
constexpr int flipCount = 2048;     // 2^11 edge flips
constexpr int sliceCount = 495;     // places of the four middle-layer edges among twelve
constexpr int permCount = 40320;    // 8! orders of the corners, or of the eight U/D-layer edges
constexpr int slicePermCount = 24;  // 4! orders of the middle-layer edges
constexpr int solvedSlice = 494;    // the middle-layer edges at their home places
constexpr std::uint8_t unknown = 0xff;

// The ten turns that keep the cube inside the second phase's states, as move
// numbers: R2 L2 U U2 U' D D2 D' F2 B2.
constexpr int phase2Moves[10] = {1, 4, 6, 7, 8, 9, 10, 11, 13, 16};
constexpr int phase2MoveCount = 10;
constexpr int phase2MaxLength = 13;

int binomial(int n, int k)
{
    if (k < 0 || k > n)
        return 0;
    int r = 1;
    for (int i = 1; i <= k; ++i)
        r = r * (n - k + i) / i;
    return r;
}

// ---- coordinates: each a number for one projection of the cube state ------

// Twist and flip: the orientations of all pieces but the last as digits in
// base 3 or 2; the last piece's orientation follows from the sum rule.
template <std::size_t N>
int orientationOf(const std::array<std::uint8_t, N> &o, int base)
{
    int v = 0;
    for (std::size_t i = 0; i + 1 < N; ++i)
        v = v * base + o[i];
    return v;
}

template <std::size_t N>
void setOrientation(std::array<std::uint8_t, N> &o, int v, int base)
{
    int sum = 0;
    for (std::size_t i = N - 1; i-- > 0;) {
        o[i] = std::uint8_t(v % base);
        sum += v % base;
        v /= base;
    }
    o[N - 1] = std::uint8_t((base - sum % base) % base);
}

int twistOf(const Cube &c) { return orientationOf(c.co, 3); }
void setTwist(Cube &c, int t) { setOrientation(c.co, t, 3); }
int flipOf(const Cube &c) { return orientationOf(c.eo, 2); }
void setFlip(Cube &c, int f) { setOrientation(c.eo, f, 2); }

// The set of places holding edges 8..11, ranked in the combinatorial number system.
int sliceOf(const Cube &c)
{
    int r = 0, k = 0;
    for (int i = 0; i < 12; ++i)
        if (c.ep[i] >= 8)
            r += binomial(i, ++k);
    return r;
}

void setSlice(Cube &c, int r)
{
    bool inSlice[12] = {};
    for (int k = 4; k >= 1; --k) {
        int p = k - 1;
        while (binomial(p + 1, k) <= r)
            ++p;
        r -= binomial(p, k);
        inSlice[p] = true;
    }
    std::uint8_t nextSlice = 8, nextOther = 0;
    for (int i = 0; i < 12; ++i)
        c.ep[i] = inSlice[i] ? nextSlice++ : nextOther++;
}


// The ordering of rank r of the n values base..base+n-1.
void permUnrank(std::uint8_t *p, int n, int r, std::uint8_t base)
{
    permutation::ofRank(r, p, n);
    for (int i = 0; i < n; ++i)
        p[i] = std::uint8_t(p[i] + base);
}

int cornerPermOf(const Cube &c) { return permutation::rank(c.cp.data(), 8); }
int edgePermOf(const Cube &c) { return permutation::rank(c.ep.data(), 8); }
int slicePermOf(const Cube &c) { return permutation::rank(c.ep.data() + 8, 4); }

} // namespace

struct Tables
{
    std::vector<std::uint16_t> twistMove, flipMove, sliceMove;        // [coordinate * 18 + move]
    std::vector<std::uint16_t> cornerPermMove, edgePermMove;          // [coordinate * 10 + phase-2 move]
    std::vector<std::uint8_t> slicePermMove;                          // [coordinate * 10 + phase-2 move]
    std::vector<std::uint8_t> twistSliceDist, flipSliceDist, twistFlipDist; // phase 1 distances
    std::vector<std::uint8_t> cornerSliceDist, edgeSliceDist;         // phase 2 distances
};

namespace {

template <typename T, typename Set, typename Get>
std::vector<T> moveTable(int count, const int *moves, int moveCount, Set set, Get get)
{
    std::vector<T> table(std::size_t(count) * moveCount);
    for (int x = 0; x < count; ++x) {
        Cube c;
        set(c, x);
        for (int m = 0; m < moveCount; ++m)
            table[std::size_t(x) * moveCount + m] = T(get(cube::applyMove(c, moves[m])));
    }
    return table;
}

// Breadth-first distances from the solved pair (a0, b0) in the product of two
// coordinates, index a * bCount + b.
template <typename TA, typename TB>
std::vector<std::uint8_t> distanceTable(const std::vector<TA> &aMove, int aCount, int a0, const std::vector<TB> &bMove,
                                        int bCount, int b0, int moveCount)
{
    std::vector<std::uint8_t> dist(std::size_t(aCount) * bCount, unknown);
    std::vector<std::uint32_t> queue;
    queue.reserve(dist.size());
    const std::uint32_t start = std::uint32_t(a0 * bCount + b0);
    dist[start] = 0;
    queue.push_back(start);
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const std::uint32_t i = queue[head];
        const int a = int(i / std::uint32_t(bCount)), b = int(i % std::uint32_t(bCount));
        const std::uint8_t next = std::uint8_t(dist[i] + 1);
        for (int m = 0; m < moveCount; ++m) {
            const std::uint32_t j = std::uint32_t(aMove[std::size_t(a) * moveCount + m]) * std::uint32_t(bCount)
                                    + bMove[std::size_t(b) * moveCount + m];
            if (dist[j] == unknown) {
                dist[j] = next;
                queue.push_back(j);
            }
        }
    }
    return dist;
}

// Whether `face` may follow `last` (-1: nothing before): never the same face,
// and of two opposite faces only the lower-numbered first.
inline bool allowedAfter(int face, int last)
{
    return last < 0 || (face != last && !(face / 2 == last / 2 && face < last));
}

struct Search
{
    const Tables &t;
    Cube start;
    int maxLength;
    // Nodes visited in both phases (shared by the searches of a cube and of
    // its inverse), and the number past which the search gives up (0: none).
    std::uint64_t &nodes;
    std::uint64_t maxNodes;
    std::array<int, 32> path{};
    std::vector<int> solution;

    bool exhausted() const { return maxNodes > 0 && nodes > maxNodes; }

    bool phase2(int cp, int ep, int sp, int depth, int togo, int last)
    {
        ++nodes;
        if (cp == 0 && ep == 0 && sp == 0) {
            solution.assign(path.begin(), path.begin() + depth);
            return true;
        }
        if (togo == 0 || exhausted())
            return false;
        for (int k = 0; k < phase2MoveCount; ++k) {
            const int m = phase2Moves[k];
            if (!allowedAfter(cube::moveFace(m), last))
                continue;
            const int ncp = t.cornerPermMove[std::size_t(cp) * 10 + k];
            const int nep = t.edgePermMove[std::size_t(ep) * 10 + k];
            const int nsp = t.slicePermMove[std::size_t(sp) * 10 + k];
            const int h = std::max(t.cornerSliceDist[std::size_t(ncp) * 24 + nsp], t.edgeSliceDist[std::size_t(nep) * 24 + nsp]);
            if (h > togo - 1)
                continue;
            path[depth] = m;
            if (phase2(ncp, nep, nsp, depth + 1, togo - 1, cube::moveFace(m)))
                return true;
        }
        return false;
    }

    bool startPhase2(int depth)
    {
        Cube c = start;
        for (int i = 0; i < depth; ++i)
            c = cube::applyMove(c, path[i]);
        const int cp = cornerPermOf(c), ep = edgePermOf(c), sp = slicePermOf(c);
        const int h = std::max(t.cornerSliceDist[std::size_t(cp) * 24 + sp], t.edgeSliceDist[std::size_t(ep) * 24 + sp]);
        const int last = depth > 0 ? cube::moveFace(path[depth - 1]) : -1;
        // Any second phase that fits will do, so one bounded depth-first pass
        // rather than deepening; past 13 moves it is cheaper to look for
        // another first phase.
        const int bound = std::min(maxLength - depth, phase2MaxLength);
        return h <= bound && phase2(cp, ep, sp, depth, bound, last);
    }

    bool phase1(int tw, int fl, int sl, int depth, int togo, int last)
    {
        ++nodes;
        if (togo == 0)
            return tw == 0 && fl == 0 && sl == solvedSlice && startPhase2(depth);
        if (exhausted())
            return false;
        for (int face = 0; face < 6; ++face) {
            if (!allowedAfter(face, last))
                continue;
            for (int turn = 0; turn < 3; ++turn) {
                const int m = face * 3 + turn;
                // A last move that keeps the cube among the second phase's
                // states means a shorter first phase was already tried.
                if (togo == 1 && (face == cube::U || face == cube::D || turn == 1))
                    continue;
                const int ntw = t.twistMove[std::size_t(tw) * 18 + m];
                const int nsl = t.sliceMove[std::size_t(sl) * 18 + m];
                const int h1 = t.twistSliceDist[std::size_t(ntw) * sliceCount + nsl];
                if (h1 > togo - 1)
                    continue;
                const int nfl = t.flipMove[std::size_t(fl) * 18 + m];
                const int h2 = t.flipSliceDist[std::size_t(nfl) * sliceCount + nsl];
                if (h2 > togo - 1)
                    continue;
                const int h3 = t.twistFlipDist[std::size_t(ntw) * flipCount + nfl];
                if (h3 > togo - 1)
                    continue;
                // Back among the second phase's states with a few moves to go:
                // whatever leaves and re-enters them in so few moves, the
                // second phase's own search covers in as many moves.
                if (h1 == 0 && h2 == 0 && h3 == 0 && togo - 1 > 0 && togo - 1 < 5)
                    continue;
                path[depth] = m;
                if (phase1(ntw, nfl, nsl, depth + 1, togo - 1, face))
                    return true;
            }
        }
        return false;
    }
};

} // namespace

std::shared_ptr<const Tables> buildTables()
{
    auto t = std::make_shared<Tables>();
    int all[18];
    for (int m = 0; m < 18; ++m)
        all[m] = m;
    t->twistMove = moveTable<std::uint16_t>(twistCount, all, 18, setTwist, twistOf);
    t->flipMove = moveTable<std::uint16_t>(flipCount, all, 18, setFlip, flipOf);
    t->sliceMove = moveTable<std::uint16_t>(sliceCount, all, 18, setSlice, sliceOf);
    t->cornerPermMove = moveTable<std::uint16_t>(
        permCount, phase2Moves, phase2MoveCount, [](Cube &c, int r) { permUnrank(c.cp.data(), 8, r, 0); }, cornerPermOf);
    t->edgePermMove = moveTable<std::uint16_t>(
        permCount, phase2Moves, phase2MoveCount, [](Cube &c, int r) { permUnrank(c.ep.data(), 8, r, 0); }, edgePermOf);
    t->slicePermMove = moveTable<std::uint8_t>(
        slicePermCount, phase2Moves, phase2MoveCount, [](Cube &c, int r) { permUnrank(c.ep.data() + 8, 4, r, 8); },
        slicePermOf);
    t->twistSliceDist = distanceTable(t->twistMove, twistCount, 0, t->sliceMove, sliceCount, solvedSlice, 18);
    t->flipSliceDist = distanceTable(t->flipMove, flipCount, 0, t->sliceMove, sliceCount, solvedSlice, 18);
    t->twistFlipDist = distanceTable(t->twistMove, twistCount, 0, t->flipMove, flipCount, 0, 18);
    t->cornerSliceDist = distanceTable(t->cornerPermMove, permCount, 0, t->slicePermMove, slicePermCount, 0, 10);
    t->edgeSliceDist = distanceTable(t->edgePermMove, permCount, 0, t->slicePermMove, slicePermCount, 0, 10);
    return t;
}

bool solve(const Tables &tables, const Cube &c, std::vector<int> &solution, int maxLength, std::uint64_t maxNodes,
           std::uint64_t *visited)
{
    if (!cube::isSolvable(c) || maxLength < 0 || maxLength > 30)
        return false;
    // The cube and its inverse are searched in turns, first-phase depth by
    // depth: a solution of the inverse, turned around, solves the cube, and a
    // state whose search runs long rarely has an inverse whose search does too.
    // The two share one budget of nodes.
    const Cube inv = cube::inverse(c);
    std::uint64_t nodes = 0;
    Search s{tables, c, maxLength, nodes, maxNodes, {}, {}}, si{tables, inv, maxLength, nodes, maxNodes, {}, {}};
    const int tw = twistOf(c), fl = flipOf(c), sl = sliceOf(c);
    const int itw = twistOf(inv), ifl = flipOf(inv), isl = sliceOf(inv);
    bool found = false;
    for (int d = 0; d <= maxLength && !found && !s.exhausted(); ++d) {
        if (s.phase1(tw, fl, sl, 0, d, -1)) {
            solution = s.solution;
            found = true;
        } else if (si.phase1(itw, ifl, isl, 0, d, -1)) {
            solution = cube::inverseMoves(si.solution);
            found = true;
        }
    }
    if (visited)
        *visited = nodes;
    return found;
}

Cube randomCube(std::mt19937_64 &rng)
{
    Cube c;
    std::shuffle(c.cp.begin(), c.cp.end(), rng);
    std::shuffle(c.ep.begin(), c.ep.end(), rng);
    // Swapping two fixed places pairs the odd edge orders one to one with the
    // even ones, so the matching-parity orders stay equally likely.
    if (permutation::parity(c.cp.data(), 8) != permutation::parity(c.ep.data(), 12))
        std::swap(c.ep[10], c.ep[11]);
    setTwist(c, std::uniform_int_distribution<int>(0, twistCount - 1)(rng));
    setFlip(c, std::uniform_int_distribution<int>(0, flipCount - 1)(rng));
    return c;
}

RandomScramble randomStateScramble(const Tables &tables, std::mt19937_64 &rng, std::uint64_t maxNodes)
{
    RandomScramble r;
    std::vector<int> solution;
    do
        r.state = randomCube(rng);
    // A drawn solved cube (one chance in 4.3e19) would give an empty scramble.
    while (r.state == Cube());
    if (solve(tables, r.state, solution, 21, maxNodes)) {
        r.moves = cube::inverseMoves(solution);
        r.text = cube::movesText(r.moves);
        return r;
    }
    // A search that runs out of nodes gives way to the 21-move generator.
    r.randomState = false;
    r.text = makeScramble([&rng] { return int(rng() >> 33); });
    cube::parseMoves(r.text, r.moves);
    r.state = cube::applyMoves(Cube(), r.moves);
    return r;
}

} // namespace twophase

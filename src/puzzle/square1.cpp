#include "puzzle/square1.h"
#include "puzzle/cube.h"
#include "puzzle/permutation.h"

#include <QStringList>
#include <algorithm>
#include <chrono>
#include <numeric>

namespace square1 {

namespace {

using Slots = std::array<std::uint8_t, 24>;

// ---- layer shapes ------------------------------------------------------------
// A layer's shape is the set of its slots that hold the second half of a
// corner: bit i of a 12-bit mask. Any mask without two neighbouring bits (the
// twelfth slot neighbours the first) is a shape: 322 of them.

constexpr int layerSlots = 12;
constexpr int fullMask = 0xfff;

int layerShape(const std::uint8_t *layer)
{
    int m = 0;
    for (int i = 0; i < layerSlots; ++i)
        if (layer[i] == layer[(i + layerSlots - 1) % layerSlots])
            m |= 1 << i;
    return m;
}

int rotateShape(int m, int by)
{
    by = ((by % layerSlots) + layerSlots) % layerSlots;
    return ((m << by) | (m >> (layerSlots - by))) & fullMask;
}

bool isShape(int m) { return !(m & rotateShape(m, 1)); }

// Cut along the slice line: no corner across slot 0's or slot 6's start.
constexpr int cutSlots = (1 << 0) | (1 << 6);
bool cutAlongSlice(int m) { return !(m & cutSlots); }

int normalised(int twelfths)
{
    const int t = ((twelfths % 12) + 12) % 12;
    return t > 6 ? t - 12 : t;
}

} // namespace

// ---- the model -----------------------------------------------------------------

bool sliceable(const State &s)
{
    return cutAlongSlice(layerShape(s.pieces.data())) && cutAlongSlice(layerShape(s.pieces.data() + 12));
}

State turned(const State &s, int top, int bottom)
{
    State r;
    r.middleFlipped = s.middleFlipped;
    top = ((top % 12) + 12) % 12;
    bottom = ((bottom % 12) + 12) % 12;
    for (int i = 0; i < layerSlots; ++i) {
        r.pieces[std::size_t((i + top) % 12)] = s.pieces[std::size_t(i)];
        r.pieces[std::size_t(12 + (i + bottom) % 12)] = s.pieces[std::size_t(12 + i)];
    }
    return r;
}

State sliced(const State &s)
{
    State r = s;
    std::swap_ranges(r.pieces.begin() + 6, r.pieces.begin() + 12, r.pieces.begin() + 12);
    r.middleFlipped = !s.middleFlipped;
    return r;
}

bool applyMoves(State &s, const std::vector<Move> &moves)
{
    for (const Move &m : moves) {
        if (!m.slice)
            s = turned(s, m.top, m.bottom);
        else if (sliceable(s))
            s = sliced(s);
        else
            return false;
    }
    return true;
}

std::vector<Move> inverse(const std::vector<Move> &moves)
{
    std::vector<Move> r(moves.rbegin(), moves.rend());
    for (Move &m : r) {
        m.top = normalised(-m.top);
        m.bottom = normalised(-m.bottom);
    }
    return r;
}

int sliceCount(const std::vector<Move> &moves)
{
    return int(std::count_if(moves.begin(), moves.end(), [](const Move &m) { return m.slice; }));
}

// ---- colours ------------------------------------------------------------------------

int faceColour(int piece)
{
    return piece < 4 || (piece >= 8 && piece < 12) ? cube::NetU : cube::NetD;
}

int sideColour(int piece, bool second)
{
    using namespace cube;
    static const std::uint8_t corners[8][2] = {{NetF, NetL}, {NetL, NetB}, {NetB, NetR}, {NetR, NetF},
                                               {NetF, NetR}, {NetR, NetB}, {NetB, NetL}, {NetL, NetF}};
    static const std::uint8_t edges[8] = {NetL, NetB, NetR, NetF, NetF, NetR, NetB, NetL};
    return isCorner(piece) ? corners[piece][second] : edges[piece - 8];
}

bool secondHalf(const State &s, int layer, int slot)
{
    const std::uint8_t *l = s.pieces.data() + 12 * layer;
    return l[slot] == l[(slot + layerSlots - 1) % layerSlots];
}

// ---- notation --------------------------------------------------------------------

bool parseScramble(const QString &text, std::vector<Move> &out)
{
    std::vector<Move> moves;
    int i = 0;
    const int n = text.size();
    const auto skipSpaces = [&] {
        while (i < n && text.at(i).isSpace())
            ++i;
    };
    const auto amount = [&](int &v) {
        skipSpaces();
        bool negative = false;
        if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
            negative = text.at(i++) == QLatin1Char('-');
        if (i >= n || !text.at(i).isDigit())
            return false;
        v = 0;
        while (i < n && text.at(i).isDigit() && v < 100)
            v = v * 10 + text.at(i++).digitValue();
        v = negative ? -v : v;
        skipSpaces();
        return v >= -5 && v <= 6;
    };
    for (skipSpaces(); i < n; skipSpaces()) {
        Move m;
        if (text.at(i) == QLatin1Char('/')) {
            m.slice = true;
            ++i;
        } else if (text.at(i) == QLatin1Char('(')) {
            ++i;
            if (!amount(m.top) || i >= n || text.at(i++) != QLatin1Char(',') || !amount(m.bottom) || i >= n
                || text.at(i++) != QLatin1Char(')'))
                return false;
        } else {
            return false;
        }
        moves.push_back(m);
    }
    if (moves.empty())
        return false;
    out = std::move(moves);
    return true;
}

QString scrambleText(const std::vector<Move> &moves)
{
    QStringList parts;
    for (const Move &m : moves)
        parts << (m.slice ? QStringLiteral("/") : QStringLiteral("(%1,%2)").arg(m.top).arg(m.bottom));
    return parts.join(QLatin1Char(' '));
}

bool stateAfterScramble(const QString &scramble, State &out)
{
    std::vector<Move> moves;
    State s;
    if (!parseScramble(scramble, moves) || !applyMoves(s, moves))
        return false;
    out = s;
    return true;
}

// ---- random-move scrambles -----------------------------------------------------------

QString randomMoveScramble(std::mt19937_64 &rng)
{
    std::vector<Move> moves;
    State s;
    for (int k = 0; k < 12; ++k) {
        // Every turn that makes "/" legal is equally likely.
        std::vector<Move> legal;
        for (int top = -5; top <= 6; ++top)
            for (int bottom = -5; bottom <= 6; ++bottom)
                if ((top || bottom) && sliceable(turned(s, top, bottom)))
                    legal.push_back({top, bottom, false});
        const Move m = legal[std::uniform_int_distribution<std::size_t>(0, legal.size() - 1)(rng)];
        s = sliced(turned(s, m.top, m.bottom));
        moves.push_back(m);
        moves.push_back({0, 0, true});
    }
    return scrambleText(moves);
}

// ---- random states -----------------------------------------------------------------
//
// A position of the puzzle is the shape of each layer as it lies (its mask,
// turned as it is), which corner and which edge sits in each corner and edge
// place, and the middle layer. Every combination is reachable: any shape with
// 0..6 corners for the top (the bottom has the rest; 322 masks each, 19,305
// pairs), any arrangement of the 8 corners and of the 8 edges in the places
// the shapes give them (each pair of masks has exactly 8! x 8! of them), and
// either middle. So a uniformly random position is a uniformly random pair of
// masks, two uniform shuffles and a coin.
//
// That is also uniform over states up to turns of the layers: the 144 turns of
// the two layers give 144 distinct positions of any state (the pieces are all
// different), so every such state counts 144 times alike. Shapes are weighted
// by how many distinct masks they have (a square layer has 3, most others 12),
// not by how many of those can be sliced, nor alike per shape: both of those
// would favour some states over others.

namespace {

struct ShapePairs
{
    std::vector<int> masks[7];        // masks by number of corners
    std::vector<std::uint32_t> count; // cumulative pairs by top corner count
};

const ShapePairs &shapePairs()
{
    static const ShapePairs p = [] {
        ShapePairs r;
        for (int m = 0; m <= fullMask; ++m)
            if (isShape(m))
                r.masks[__builtin_popcount(unsigned(m))].push_back(m);
        std::uint32_t total = 0;
        for (int c = 0; c <= 6; ++c) {
            const int other = 8 - c;
            total += other <= 6 ? std::uint32_t(r.masks[c].size() * r.masks[other].size()) : 0;
            r.count.push_back(total);
        }
        return r;
    }();
    return p;
}

void fillLayer(std::uint8_t *layer, int mask, const std::uint8_t *&corner, const std::uint8_t *&edge)
{
    int start = 0; // a slot that begins a piece
    while (mask >> start & 1)
        ++start;
    for (int k = 0; k < layerSlots; ++k) {
        const int i = (start + k) % layerSlots;
        if (mask >> i & 1)
            layer[i] = layer[(i + layerSlots - 1) % layerSlots];
        else if (mask >> ((i + 1) % layerSlots) & 1)
            layer[i] = *corner++;
        else
            layer[i] = *edge++;
    }
}

} // namespace

State randomState(std::mt19937_64 &rng)
{
    const ShapePairs &p = shapePairs();
    std::uint32_t k = std::uniform_int_distribution<std::uint32_t>(0, p.count.back() - 1)(rng);
    int corners = 0;
    while (k >= p.count[std::size_t(corners)])
        ++corners;
    k -= corners ? p.count[std::size_t(corners - 1)] : 0;
    const std::vector<int> &tops = p.masks[corners], &bottoms = p.masks[8 - corners];
    const int top = tops[k / bottoms.size()], bottom = bottoms[k % bottoms.size()];

    std::array<std::uint8_t, 8> c{{0, 1, 2, 3, 4, 5, 6, 7}}, e{{8, 9, 10, 11, 12, 13, 14, 15}};
    std::shuffle(c.begin(), c.end(), rng);
    std::shuffle(e.begin(), e.end(), rng);
    State s;
    const std::uint8_t *nc = c.data(), *ne = e.data();
    fillLayer(s.pieces.data(), top, nc, ne);
    fillLayer(s.pieces.data() + 12, bottom, nc, ne);
    s.middleFlipped = std::uniform_int_distribution<int>(0, 1)(rng) == 1;
    return s;
}

// ---- the search ----------------------------------------------------------------------
//
// Slices are what a solution's length counts; turns of the layers between them
// are free. The search has two phases: first into cube shape (both layers
// square) with the pieces' order even (below), then solved with the turns that
// keep the cube shape. Both phases are depth-first searches bounded by tables
// of exact distances in projections of the state, and the first phase's
// solutions are tried longer and longer while a shorter whole is wanted, until
// one has at most `goodSlices` slices. (Searching for the shortest solution
// outright is far slower: a random state needs 10 to 13 slices, and tables
// that fit in a second of building are too coarse to bound that search well.)
//
// The first phase's table is exact for the shapes and the reading parity
// (7,356 entries). The second phase's four tables each pair the order of the
// corners (or the edges) with which places the other kind's pieces of one
// half take, for two ways of halving them: top and bottom, and left and right.
// The left-right tables are what make the search fast enough: with the
// top-bottom ones alone it gives up on about one state in ten before it finds
// 13 slices.
//
// States are searched as they lie after a slice, so both layers are cut along
// the slice line: their shapes are one of 3,678 pairs of "cut" masks. Reading
// the pieces slot by slot, top then bottom, skipping second halves of corners,
// gives the reading order; its parity (against the solved reading order) after
// each turn and slice depends only on the shape, and in cube shape the turns
// that keep the shape never change it (once read with the top layer starting
// with a corner and the bottom with an edge, as solved). Hence the first phase
// reaches an even cube-shaped state, where the second can finish.
//
// A distance depends only on a state up to layer turns, so each table marks
// every turn of a state that keeps it cut along the slice line as soon as it
// marks the state.

namespace {

constexpr int cornerFirst = (1 << 1) | (1 << 4) | (1 << 7) | (1 << 10); // square, slot 0 starts a corner
constexpr int edgeFirst = (1 << 2) | (1 << 5) | (1 << 8) | (1 << 11);   // square, slot 0 holds an edge
constexpr int permCount = 40320;                                         // 8!
constexpr int colourCount = 70;                                          // 4 of 8 reading places
constexpr std::uint8_t unknown = 0xff;

// The solved reading order: piece -> its place in it.
constexpr std::uint8_t solvedReading[16] = {0, 2, 4, 6, 9, 11, 13, 15, 1, 3, 5, 7, 8, 10, 12, 14};

// The pieces in reading order of a state cut along the slice line.
int reading(const State &s, std::uint8_t *seq)
{
    int n = 0;
    for (int layer = 0; layer < 2; ++layer) {
        const std::uint8_t *l = s.pieces.data() + 12 * layer;
        const int m = layerShape(l);
        for (int i = 0; i < layerSlots; ++i)
            if (!(m >> i & 1))
                seq[n++] = l[i];
    }
    return n;
}

int readingParity(const State &s)
{
    std::uint8_t seq[16];
    reading(s, seq);
    for (std::uint8_t &p : seq)
        p = solvedReading[p];
    return permutation::parity(seq, 16);
}

// Parity of the change in reading order from `a` to `b` (the same pieces).
int parityBetween(const State &a, const State &b)
{
    std::uint8_t before[16], after[16], place[16];
    reading(a, before);
    reading(b, after);
    for (std::uint8_t i = 0; i < 16; ++i)
        place[before[i]] = i;
    for (std::uint8_t &p : after)
        p = place[p];
    return permutation::parity(after, 16);
}

} // namespace

struct Tables
{
    // Shapes of states cut along the slice line.
    std::array<std::int16_t, fullMask + 1> layerIndex;  // cut mask -> index, or -1
    std::vector<int> layerMasks;                         // index -> mask
    std::vector<std::int16_t> shapeOf;                   // top index * layers + bottom index -> shape, or -1
    std::vector<int> shapeTop, shapeBottom;              // shape -> masks
    struct ShapeMove
    {
        std::uint8_t top, bottom, parity;
        std::uint16_t next;
    };
    std::vector<std::uint32_t> moveStart; // shape -> its first move; turns (0,0) excluded
    std::vector<ShapeMove> moves;
    std::vector<std::uint8_t> shapeDistance; // shape * 2 + reading parity -> slices to an even cube shape

    // Cube shape, read with the top starting with a corner and the bottom with
    // an edge: the corners' and edges' reading orders as permutation ranks.
    struct CubeMove
    {
        std::uint8_t top, bottom;       // from the read position
        std::uint8_t fixTop, fixBottom; // turns that bring the result to the read position
    };
    std::vector<CubeMove> cubeMoves;
    std::vector<std::uint8_t> undoOf;              // cube move -> the move that undoes it
    std::vector<std::uint16_t> cornerMove, edgeMove; // rank * moves + move
    // Two ways of halving the corners, and the edges: the top pieces and the
    // bottom ones; the pieces of the left (UFL ULB DBL DLF, UL UB DB DL) and the others.
    std::vector<std::uint8_t> colourOf[2];       // rank -> which 4 places hold first-half pieces
    std::vector<std::uint8_t> cornerDistance[2]; // corner rank * 70 + edge colours
    std::vector<std::uint8_t> edgeDistance[2];   // edge rank * 70 + corner colours
    std::vector<std::pair<int, int>> solvedCube;   // corner and edge ranks of solved, layers turned

    int shapeIndex(const State &s) const
    {
        const int t = layerIndex[std::size_t(layerShape(s.pieces.data()))];
        const int b = layerIndex[std::size_t(layerShape(s.pieces.data() + 12))];
        return t < 0 || b < 0 ? -1 : shapeOf[std::size_t(t) * layerMasks.size() + std::size_t(b)];
    }
    bool evenCube(int shape, int parity) const
    {
        const int t = shapeTop[std::size_t(shape)], b = shapeBottom[std::size_t(shape)];
        return (t == cornerFirst || t == edgeFirst) && (b == cornerFirst || b == edgeFirst)
               && parity == ((t == edgeFirst) ^ (b == cornerFirst));
    }
};

namespace {

// A state of the given shape whose pieces are numbered in reading order:
// corners 0..7, edges 8..15.
State numbered(int top, int bottom)
{
    State s;
    int c = 0, e = 8;
    const int masks[2] = {top, bottom};
    for (int layer = 0; layer < 2; ++layer)
        for (int i = 0; i < layerSlots; ++i) {
            std::uint8_t &slot = s.pieces[std::size_t(12 * layer + i)];
            if (masks[layer] >> i & 1)
                slot = s.pieces[std::size_t(12 * layer + i - 1)];
            else
                slot = std::uint8_t(i + 1 < layerSlots && (masks[layer] >> (i + 1) & 1) ? c++ : e++);
        }
    return s;
}

// The turns of a cube-shaped state that bring it to the read position.
void cubeFix(const State &s, int &top, int &bottom)
{
    const int t = layerShape(s.pieces.data()), b = layerShape(s.pieces.data() + 12);
    top = bottom = 0;
    while (rotateShape(t, top) != cornerFirst)
        ++top;
    while (rotateShape(b, bottom) != edgeFirst)
        ++bottom;
}

// Corner and edge ranks of a cube-shaped state in the read position.
std::pair<int, int> cubeRanks(const State &s)
{
    std::uint8_t seq[16], c[8], e[8];
    reading(s, seq);
    int nc = 0, ne = 0;
    for (const std::uint8_t p : seq) {
        if (isCorner(p))
            c[nc++] = p;
        else
            e[ne++] = std::uint8_t(p - 8);
    }
    return {permutation::rank(c, 8), permutation::rank(e, 8)};
}

void buildShapeTables(Tables &t)
{
    t.layerIndex.fill(-1);
    for (int m = 0; m <= fullMask; ++m)
        if (isShape(m) && cutAlongSlice(m)) {
            t.layerIndex[std::size_t(m)] = std::int16_t(t.layerMasks.size());
            t.layerMasks.push_back(m);
        }
    const std::size_t layers = t.layerMasks.size();
    t.shapeOf.assign(layers * layers, -1);
    for (std::size_t a = 0; a < layers; ++a)
        for (std::size_t b = 0; b < layers; ++b)
            if (__builtin_popcount(unsigned(t.layerMasks[a])) + __builtin_popcount(unsigned(t.layerMasks[b])) == 8) {
                t.shapeOf[a * layers + b] = std::int16_t(t.shapeTop.size());
                t.shapeTop.push_back(t.layerMasks[a]);
                t.shapeBottom.push_back(t.layerMasks[b]);
            }
    const int shapes = int(t.shapeTop.size());

    // Moves, and the turns that keep a shape cut (for marking alike).
    std::vector<std::vector<std::pair<int, int>>> turns(static_cast<std::size_t>(shapes)); // shape, parity change
    for (int s = 0; s < shapes; ++s) {
        t.moveStart.push_back(std::uint32_t(t.moves.size()));
        const State n = numbered(t.shapeTop[std::size_t(s)], t.shapeBottom[std::size_t(s)]);
        for (int x = 0; x < 12; ++x)
            for (int y = 0; y < 12; ++y) {
                const State r = turned(n, x, y);
                if (!sliceable(r))
                    continue;
                turns[std::size_t(s)].push_back({t.shapeIndex(r), parityBetween(n, r)});
                if (x || y) {
                    const State after = sliced(r);
                    t.moves.push_back({std::uint8_t(x), std::uint8_t(y), std::uint8_t(parityBetween(n, after)),
                                       std::uint16_t(t.shapeIndex(after))});
                }
            }
    }
    t.moveStart.push_back(std::uint32_t(t.moves.size()));

    t.shapeDistance.assign(std::size_t(shapes) * 2, unknown);
    std::vector<int> queue;
    const auto mark = [&](int s, int parity, std::uint8_t d) {
        for (const auto &[s2, change] : turns[std::size_t(s)]) {
            const std::size_t j = std::size_t(s2) * 2 + std::size_t(parity ^ change);
            if (t.shapeDistance[j] == unknown) {
                t.shapeDistance[j] = d;
                queue.push_back(int(j));
            }
        }
    };
    for (int s = 0; s < shapes; ++s)
        for (int parity = 0; parity < 2; ++parity)
            if (t.evenCube(s, parity))
                mark(s, parity, 0);
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const int s = queue[head] / 2, parity = queue[head] % 2;
        for (std::uint32_t k = t.moveStart[std::size_t(s)]; k < t.moveStart[std::size_t(s) + 1]; ++k) {
            const Tables::ShapeMove &m = t.moves[k];
            if (t.shapeDistance[std::size_t(m.next) * 2 + std::size_t(parity ^ m.parity)] == unknown)
                mark(m.next, parity ^ m.parity, std::uint8_t(t.shapeDistance[std::size_t(queue[head])] + 1));
        }
    }
}

void buildCubeTables(Tables &t)
{
    // The moves from the read position, each with the reading place every
    // corner and edge goes to.
    const State read = numbered(cornerFirst, edgeFirst);
    std::vector<std::array<std::uint8_t, 8>> cornerTo, edgeTo;
    for (int x = 0; x < 12; ++x)
        for (int y = 0; y < 12; ++y) {
            const State r = turned(read, x, y);
            const int top = layerShape(r.pieces.data()), bottom = layerShape(r.pieces.data() + 12);
            if (top != bottom || (top != cornerFirst && top != edgeFirst))
                continue; // only layers alike keep the cube shape through "/"
            State after = sliced(r);
            int fx, fy;
            cubeFix(after, fx, fy);
            after = turned(after, fx, fy);
            std::uint8_t seq[16];
            reading(after, seq);
            std::array<std::uint8_t, 8> c{}, e{};
            for (std::uint8_t i = 0, nc = 0, ne = 0; i < 16; ++i) {
                if (isCorner(seq[i]))
                    c[seq[i]] = nc++;
                else
                    e[seq[i] - 8] = ne++;
            }
            t.cubeMoves.push_back({std::uint8_t(x), std::uint8_t(y), std::uint8_t(fx), std::uint8_t(fy)});
            cornerTo.push_back(c);
            edgeTo.push_back(e);
        }
    const int moves = int(t.cubeMoves.size());
    for (const Tables::CubeMove &m : t.cubeMoves) {
        const auto undo = std::find_if(t.cubeMoves.begin(), t.cubeMoves.end(), [&](const Tables::CubeMove &u) {
            return u.top == (12 - m.fixTop) % 12 && u.bottom == (12 - m.fixBottom) % 12; });
        t.undoOf.push_back(std::uint8_t(undo - t.cubeMoves.begin()));
    }

    // Which 4 of the 8 reading places hold top pieces, ranked.
    std::array<int, 256> colourRank;
    colourRank.fill(-1);
    std::vector<int> colourMask;
    for (int m = 0; m < 256; ++m)
        if (__builtin_popcount(unsigned(m)) == 4) {
            colourRank[std::size_t(m)] = int(colourMask.size());
            colourMask.push_back(m);
        }
    t.cornerMove.resize(std::size_t(permCount) * std::size_t(moves));
    t.edgeMove.resize(t.cornerMove.size());
    t.colourOf[0].resize(permCount);
    t.colourOf[1].resize(permCount);
    // The 16 turns of both layers by quarter turns, which keep the read position.
    std::vector<std::uint16_t> quarterTurns(std::size_t(permCount) * 16);
    for (int r = 0; r < permCount; ++r) {
        std::uint8_t p[8], q[8];
        permutation::ofRank(r, p, 8);
        for (int m = 0; m < moves; ++m) {
            for (int i = 0; i < 8; ++i)
                q[cornerTo[std::size_t(m)][std::size_t(i)]] = p[i];
            t.cornerMove[std::size_t(r) * std::size_t(moves) + std::size_t(m)] = std::uint16_t(permutation::rank(q, 8));
            for (int i = 0; i < 8; ++i)
                q[edgeTo[std::size_t(m)][std::size_t(i)]] = p[i];
            t.edgeMove[std::size_t(r) * std::size_t(moves) + std::size_t(m)] = std::uint16_t(permutation::rank(q, 8));
        }
        int mask = 0, left = 0;
        for (int i = 0; i < 8; ++i) {
            mask |= (p[i] < 4) << i;
            left |= (p[i] < 2 || p[i] > 5) << i; // corners 0 1 6 7, edges UL UB DB DL
        }
        t.colourOf[0][std::size_t(r)] = std::uint8_t(colourRank[std::size_t(mask)]);
        t.colourOf[1][std::size_t(r)] = std::uint8_t(colourRank[std::size_t(left)]);
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b) {
                for (int i = 0; i < 4; ++i) {
                    q[(i + a) % 4] = p[i];
                    q[4 + (i + b) % 4] = p[4 + i];
                }
                quarterTurns[std::size_t(r) * 16 + std::size_t(a * 4 + b)] = std::uint16_t(permutation::rank(q, 8));
            }
    }
    std::vector<std::uint8_t> colourMove(std::size_t(colourCount) * std::size_t(moves) * 2), colourTurn(colourCount * 16);
    for (int c = 0; c < colourCount; ++c) {
        const int mask = colourMask[std::size_t(c)];
        for (int m = 0; m < moves; ++m)
            for (int kind = 0; kind < 2; ++kind) {
                const auto &to = kind ? edgeTo[std::size_t(m)] : cornerTo[std::size_t(m)];
                int moved = 0;
                for (int i = 0; i < 8; ++i)
                    moved |= (mask >> i & 1) << to[std::size_t(i)];
                colourMove[(std::size_t(c) * std::size_t(moves) + std::size_t(m)) * 2 + std::size_t(kind)] =
                    std::uint8_t(colourRank[std::size_t(moved)]);
            }
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b) {
                int moved = 0;
                for (int i = 0; i < 4; ++i)
                    moved |= (mask >> i & 1) << ((i + a) % 4) | (mask >> (4 + i) & 1) << (4 + (i + b) % 4);
                colourTurn[std::size_t(c) * 16 + std::size_t(a * 4 + b)] = std::uint8_t(colourRank[std::size_t(moved)]);
            }
    }

    const State solved;
    for (int a = 0; a < 12; a += 3)
        for (int b = 0; b < 12; b += 3)
            t.solvedCube.push_back(cubeRanks(turned(solved, a, b)));

    // Corners with the edges' colours, and edges with the corners' colours.
    for (int table = 0; table < 4; ++table) {
        const int kind = table % 2, split = table / 2;
        const std::vector<std::uint16_t> &permMove = kind ? t.edgeMove : t.cornerMove;
        std::vector<std::uint8_t> &dist = kind ? t.edgeDistance[split] : t.cornerDistance[split];
        dist.assign(std::size_t(permCount) * colourCount, unknown);
        std::vector<std::uint32_t> queue;
        queue.reserve(dist.size());
        const auto mark = [&](int r, int c, std::uint8_t d) {
            for (std::size_t k = 0; k < 16; ++k) {
                const std::size_t j = std::size_t(quarterTurns[std::size_t(r) * 16 + k]) * colourCount
                                      + colourTurn[std::size_t(c) * 16 + k];
                if (dist[j] == unknown) {
                    dist[j] = d;
                    queue.push_back(std::uint32_t(j));
                }
            }
        };
        for (const auto &[c, e] : t.solvedCube)
            mark(kind ? e : c, t.colourOf[split][std::size_t(kind ? c : e)], 0);
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const std::size_t r = queue[head] / colourCount, c = queue[head] % colourCount;
            const std::uint8_t next = std::uint8_t(dist[queue[head]] + 1);
            for (std::size_t m = 0; m < std::size_t(moves); ++m) {
                const int r2 = permMove[r * std::size_t(moves) + m];
                const int c2 = colourMove[(c * std::size_t(moves) + m) * 2 + std::size_t(1 - kind)];
                if (dist[std::size_t(r2) * colourCount + std::size_t(c2)] == unknown)
                    mark(r2, c2, next);
            }
        }
    }
}

struct Search
{
    const Tables &t;
    const SearchLimits &limits;
    long nodes = 0;
    int best = 0;                      // slices of the best solution so far (above maxSlices: none yet)
    std::vector<Move> bestSolution;
    std::vector<std::pair<int, int>> firstTurns; // the first phase: a turn before each slice
    std::vector<int> cubePath;                   // the second phase: cube moves
    const State *start = nullptr;

    std::chrono::steady_clock::time_point deadline;
    bool outOfTime = false;
    long nextClockLook = 0;

    // Out of nodes, or (looked at every few thousand nodes) of time.
    bool exhausted()
    {
        if (!outOfTime && limits.milliseconds > 0 && nodes >= nextClockLook) {
            outOfTime = std::chrono::steady_clock::now() >= deadline;
            nextClockLook = nodes + 4096;
        }
        return outOfTime || nodes >= limits.nodeBudget;
    }
    bool done() { return best <= limits.goodSlices || exhausted(); }

    int cubeBound(int c, int e, bool flipped) const
    {
        int h = 0;
        for (std::size_t k = 0; k < 2; ++k)
            h = std::max({h, int(t.cornerDistance[k][std::size_t(c) * colourCount + t.colourOf[k][std::size_t(e)]]),
                          int(t.edgeDistance[k][std::size_t(e) * colourCount + t.colourOf[k][std::size_t(c)]])});
        return h + ((h ^ int(flipped)) & 1); // the middle comes back after an even number of slices
    }

    // cubeBound(c, e, flipped) <= limit, looking no further than the first table that says otherwise.
    bool cubeWithin(int c, int e, bool flipped, int limit) const
    {
        const auto fits = [&](int h) { return h + ((h ^ int(flipped)) & 1) <= limit; };
        return fits(t.cornerDistance[0][std::size_t(c) * colourCount + t.colourOf[0][std::size_t(e)]])
               && fits(t.edgeDistance[0][std::size_t(e) * colourCount + t.colourOf[0][std::size_t(c)]])
               && fits(t.cornerDistance[1][std::size_t(c) * colourCount + t.colourOf[1][std::size_t(e)]])
               && fits(t.edgeDistance[1][std::size_t(e) * colourCount + t.colourOf[1][std::size_t(c)]]);
    }

    bool cube(int c, int e, bool flipped, int togo, int skip)
    {
        if (togo == 0)
            return !flipped && std::find(t.solvedCube.begin(), t.solvedCube.end(), std::make_pair(c, e)) != t.solvedCube.end();
        const std::size_t moves = t.cubeMoves.size();
        for (std::size_t m = 0; m < moves; ++m) {
            if (int(m) == skip)
                continue;
            const int c2 = t.cornerMove[std::size_t(c) * moves + m], e2 = t.edgeMove[std::size_t(e) * moves + m];
            ++nodes;
            if (!cubeWithin(c2, e2, !flipped, togo - 1))
                continue;
            cubePath.push_back(int(m));
            if (cube(c2, e2, !flipped, togo - 1, t.undoOf[m]))
                return true;
            cubePath.pop_back();
            if (exhausted())
                return false;
        }
        return false;
    }

    // From an even cube-shaped state reached after `depth` slices: the
    // shortest second phase that makes a better whole, if any.
    void secondPhase(const State &s, int depth)
    {
        int fx, fy;
        cubeFix(s, fx, fy);
        const auto [c, e] = cubeRanks(turned(s, fx, fy));
        // After a first phase, a move that turns back to where the last slice
        // left the layers would only undo it.
        int skip = -1;
        for (std::size_t m = 0; depth > 0 && m < t.cubeMoves.size(); ++m)
            if ((t.cubeMoves[m].top + fx) % 12 == 0 && (t.cubeMoves[m].bottom + fy) % 12 == 0)
                skip = int(m);
        int length = cubeBound(c, e, s.middleFlipped);
        while (depth + length < limits.minSlices)
            length += 2;
        for (; depth + length < best && !exhausted(); length += 2) {
            cubePath.clear();
            if (cube(c, e, s.middleFlipped, length, skip)) {
                best = depth + length;
                record(fx, fy);
                return;
            }
        }
    }

    // The moves of the solution found: first-phase turns and slices, then the
    // cube moves as turns of the layers as they lie, then the turn that aligns
    // the solved layers.
    void record(int fx, int fy)
    {
        bestSolution.clear();
        State s = *start;
        const auto step = [&](int x, int y) {
            if (normalised(x) || normalised(y))
                bestSolution.push_back({normalised(x), normalised(y), false});
            bestSolution.push_back({0, 0, true});
            s = sliced(turned(s, x, y));
        };
        for (const auto &[x, y] : firstTurns)
            step(x, y);
        for (const int m : cubePath) {
            const Tables::CubeMove &cm = t.cubeMoves[std::size_t(m)];
            step(fx + cm.top, fy + cm.bottom);
            fx = cm.fixTop;
            fy = cm.fixBottom;
        }
        for (int x = 0; x < 12; ++x)
            for (int y = 0; y < 12; ++y)
                if (isSolved(turned(s, x, y))) {
                    if (x || y)
                        bestSolution.push_back({normalised(x), normalised(y), false});
                    return;
                }
    }

    void firstPhase(const State &s, int shape, int parity, int depth, int togo)
    {
        const bool even = t.evenCube(shape, parity);
        if (togo == 0) {
            if (even)
                secondPhase(s, depth);
            return;
        }
        for (std::uint32_t k = t.moveStart[std::size_t(shape)]; k < t.moveStart[std::size_t(shape) + 1] && !done(); ++k) {
            const Tables::ShapeMove &m = t.moves[k];
            ++nodes;
            if (t.shapeDistance[std::size_t(m.next) * 2 + std::size_t(parity ^ m.parity)] > togo - 1)
                continue;
            const State r = turned(s, m.top, m.bottom);
            const int top = layerShape(r.pieces.data());
            // From an even cube, a move that keeps the cube belongs to the
            // second phase, which a shorter first phase already tried.
            if (even && top == layerShape(r.pieces.data() + 12))
                continue;
            firstTurns.push_back({m.top, m.bottom});
            firstPhase(sliced(r), m.next, parity ^ m.parity, depth + 1, togo - 1);
            firstTurns.pop_back();
        }
    }
};

} // namespace

std::shared_ptr<const Tables> buildTables()
{
    auto t = std::make_shared<Tables>();
    buildShapeTables(*t);
    buildCubeTables(*t);
    return t;
}

bool solve(const Tables &t, const State &s, std::vector<Move> &solution, const SearchLimits &limits)
{
    Search search{t, limits, 0, limits.maxSlices + 1, {}, {}, {}, &s, {}, false, 0};
    search.deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(long(limits.milliseconds * 1000));
    // Already an even cube, up to turns of the layers.
    const int top = layerShape(s.pieces.data()), bottom = layerShape(s.pieces.data() + 12);
    const auto square = [](int m) { return rotateShape(m, 0) == cornerFirst || rotateShape(m, 1) == cornerFirst
                                           || rotateShape(m, 2) == cornerFirst; };
    if (square(top) && square(bottom)) {
        int fx, fy;
        cubeFix(s, fx, fy);
        if (readingParity(turned(s, fx, fy)) == 0)
            search.secondPhase(s, 0);
    }
    // The first slice follows whatever turn cuts both layers along the line.
    struct Root { State after; int shape, parity, x, y; };
    std::vector<Root> roots;
    int nearest = 1000;
    for (int x = 0; x < 12; ++x)
        for (int y = 0; y < 12; ++y) {
            const State r = turned(s, x, y);
            if (!sliceable(r))
                continue;
            const State after = sliced(r);
            const int shape = t.shapeIndex(after), parity = readingParity(after);
            roots.push_back({after, shape, parity, x, y});
            nearest = std::min(nearest, 1 + t.shapeDistance[std::size_t(shape) * 2 + std::size_t(parity)]);
        }
    for (int length = nearest; length < search.best && !search.done(); ++length)
        for (const Root &r : roots) {
            if (search.done())
                break;
            if (t.shapeDistance[std::size_t(r.shape) * 2 + std::size_t(r.parity)] > length - 1)
                continue;
            search.firstTurns.assign(1, {r.x, r.y});
            search.firstPhase(r.after, r.shape, r.parity, 1, length - 1);
        }
    if (search.best > limits.maxSlices)
        return false;
    solution = search.bestSolution;
    return true;
}

RandomScramble randomStateScramble(const Tables &tables, std::mt19937_64 &rng, const SearchLimits &limits)
{
    RandomScramble r;
    r.state = randomState(rng);
    std::vector<Move> solution;
    if (solve(tables, r.state, solution, limits)) {
        r.moves = inverse(solution);
    } else {
        r.randomState = false;
        parseScramble(randomMoveScramble(rng), r.moves);
        r.state = State();
        applyMoves(r.state, r.moves);
    }
    r.text = scrambleText(r.moves);
    return r;
}

} // namespace square1

#include "puzzle/eventscramble.h"
#include "puzzle/square1.h"
#include "puzzle/clock.h"
#include "puzzle/cube.h"
#include "puzzle/puzzles.h"
#include "puzzle/scramble.h"

#include <QStringList>

namespace eventscramble {

using events::Event;

int cubeSize(Event e)
{
    if (events::isCube333(e))
        return 3;
    switch (e) {
    case Event::Cube222: return 2;
    case Event::Cube444: case Event::Blind444: return 4;
    case Event::Cube555: case Event::Blind555: return 5;
    case Event::Cube666: return 6;
    case Event::Cube777: return 7;
    default: return 0;
    }
}

const twisty::Puzzle *stickerModel(Event e)
{
    const int n = cubeSize(e);
    if (n == 3)
        return nullptr;
    if (n > 0)
        return &twisty::nxn(n);
    switch (e) {
    case Event::Pyraminx: return &twisty::pyraminx();
    case Event::Skewb: return &twisty::skewb();
    case Event::Megaminx: return &twisty::megaminx();
    default: return nullptr;
    }
}

namespace {

int uniform(std::mt19937_64 &rng, int n)
{
    return std::uniform_int_distribution<int>(0, n - 1)(rng);
}

// `length` moves of the given letters, never one letter twice in a row, each
// followed by one of the suffixes.
QStringList letterMoves(const char *letters, const QStringList &suffixes, int length, std::mt19937_64 &rng)
{
    const int n = int(qstrlen(letters));
    QStringList words;
    int last = -1;
    for (int k = 0; k < length; ++k) {
        int m;
        do
            m = uniform(rng, n);
        while (m == last);
        last = m;
        words << QLatin1String(&letters[m], 1) + suffixes[uniform(rng, int(suffixes.size()))];
    }
    return words;
}

} // namespace

QString cubeRandomMoves(int n, int length, std::mt19937_64 &rng)
{
    const twisty::Puzzle &p = twisty::nxn(n);
    const int maxDepth = n / 2;
    std::vector<int> moves;
    int face[2] = {-1, -1}, depth[2] = {0, 0}; // the last two turns
    while (int(moves.size()) < length) {
        const int f = uniform(rng, 6), d = 1 + uniform(rng, maxDepth);
        // On an even cube half the cube turned from L, D or B is the other
        // half turned from R, U or F: only the latter are used.
        if (n % 2 == 0 && d == maxDepth && f % 2 == 1)
            continue;
        const bool sameAxis = face[0] >= 0 && f / 2 == face[0] / 2;
        if (sameAxis && ((face[1] >= 0 && f / 2 == face[1] / 2) || (f == face[0] && d == depth[0])))
            continue;
        moves.push_back(twisty::cubeMove(n, f, d, 1 + uniform(rng, 3)));
        face[1] = face[0];
        depth[1] = depth[0];
        face[0] = f;
        depth[0] = d;
    }
    return p.text(moves);
}

QString randomMoveScramble(Event e, std::mt19937_64 &rng)
{
    const int n = cubeSize(e);
    if (n == 3)
        return makeScramble([&rng] { return int(rng() >> 33); });
    if (n == 2)
        return letterMoves("RUF", {QString(), QStringLiteral("2"), QStringLiteral("'")}, 11, rng).join(QLatin1Char(' '));
    if (n > 0)
        return cubeRandomMoves(n, n == 4 ? 40 : n == 5 ? 60 : n == 6 ? 80 : 100, rng);
    switch (e) {
    case Event::Pyraminx: {
        QStringList words = letterMoves("ULRB", {QString(), QStringLiteral("'")}, 11, rng);
        for (const char *tip : {"u", "l", "r", "b"}) {
            const int t = uniform(rng, 3);
            if (t > 0)
                words << QLatin1String(tip) + (t == 2 ? QStringLiteral("'") : QString());
        }
        return words.join(QLatin1Char(' '));
    }
    case Event::Skewb:
        return letterMoves("RULB", {QString(), QStringLiteral("'")}, 11, rng).join(QLatin1Char(' '));
    case Event::Megaminx: {
        QStringList lines;
        for (int line = 0; line < 7; ++line) {
            QStringList words;
            for (int k = 0; k < 10; ++k)
                words << QLatin1String(k % 2 == 0 ? "R" : "D") + QLatin1String(uniform(rng, 2) ? "++" : "--");
            words << QLatin1String(uniform(rng, 2) ? "U" : "U'");
            lines << words.join(QLatin1Char(' '));
        }
        return lines.join(QLatin1Char('\n'));
    }
    case Event::Clock:
        return clockpuzzle::randomMoveScramble(rng);
    case Event::Square1:
        return square1::randomMoveScramble(rng);
    default: // Other has no scramble.
        return QString();
    }
}

bool hasRandomState(Event e)
{
    return events::isCube333(e) || needsStateTables(e) || e == Event::Clock || e == Event::Square1;
}

bool needsStateTables(Event e)
{
    return e == Event::Cube222 || e == Event::Pyraminx || e == Event::Skewb;
}

namespace {

std::vector<int> named(const twisty::Puzzle &p, const char *text)
{
    std::vector<int> m;
    p.parse(QLatin1String(text), m);
    return m;
}

std::vector<int> range(int from, int to)
{
    std::vector<int> r;
    for (int i = from; i < to; ++i)
        r.push_back(i);
    return r;
}

} // namespace

std::shared_ptr<const statetables::Tables> buildStateTables(Event e)
{
    using statetables::Coordinate;
    statetables::Plan plan;
    switch (e) {
    case Event::Cube222: {
        // R, U and F never move the down-back-left corner (piece 0): the
        // other seven are ordered and twisted freely, up to the twist sum.
        plan.puzzle = &twisty::nxn(2);
        plan.orbits = {range(0, 8)};
        plan.coordinates = {{0, range(1, 8), Coordinate::AnyOrder, false, false},
                            {0, range(1, 8), Coordinate::NoOrder, true, true}};
        plan.moves = named(*plan.puzzle, "R R2 R' U U2 U' F F2 F'");
        plan.minDistance = 4;
        break;
    }
    case Event::Pyraminx:
        // The six edges (in an even order, flipped in pairs) and the four
        // centres (twisted); the tips are drawn apart.
        plan.puzzle = &twisty::pyraminx();
        plan.orbits = {range(8, 14), range(4, 8)};
        plan.coordinates = {{0, range(0, 6), Coordinate::EvenOrder, true, true},
                            {1, range(0, 4), Coordinate::NoOrder, true, false}};
        plan.moves = named(*plan.puzzle, "U U' L L' R R' B B'");
        plan.minDistance = 6;
        break;
    case Event::Skewb:
        // The corners fall in two sets of four that never mix: the up-right-front
        // corner's set (that corner never moves) and the other. Each turn cycles
        // three centres and three corners of a set, so only even orders occur.
        plan.puzzle = &twisty::skewb();
        plan.orbits = {range(0, 6), {13, 8, 7, 10, 6, 12, 9, 11}}; // centres; corners URF ULB DLF DRB, DLB URB ULF DRF
        plan.coordinates = {{0, range(0, 6), Coordinate::EvenOrder, false},
                            {1, range(1, 4), Coordinate::EvenOrder, true},
                            {1, range(4, 8), Coordinate::EvenOrder, true}};
        plan.moves = named(*plan.puzzle, "R R' U U' L L' B B'");
        plan.minDistance = 7;
        break;
    default:
        return nullptr;
    }
    return statetables::build(plan);
}

Scramble randomStateScramble(Event e, const statetables::Tables &tables, std::mt19937_64 &rng)
{
    const statetables::Drawn d = statetables::draw(tables, rng);
    const twisty::Puzzle &p = *statetables::planOf(tables).puzzle;
    Scramble r{p.text(d.moves), d.state, d.distance};
    if (e != Event::Pyraminx)
        return r;
    // Each tip drawn on its own, and turned to it after the rest.
    const twisty::Orbit tips = twisty::orbitOf(p, {0, 1, 2, 3});
    twisty::Pieces now, drawn = twisty::solvedPieces(tips);
    twisty::read(p, tips, p.apply(p.solved(), d.moves), now);
    const char *names[4] = {"u", "l", "r", "b"};
    for (std::size_t v = 0; v < 4; ++v) {
        drawn.twist[v] = std::uint8_t(uniform(rng, 3));
        const std::vector<int> clockwise = named(p, names[v]);
        twisty::PieceMove m;
        twisty::pieceMove(p, tips, clockwise[0], m);
        const int need = (drawn.twist[v] - now.twist[v] + 3) % 3;
        if (need != 0)
            r.text += QLatin1Char(' ') + QLatin1String(names[v]) + (need == m.twist[v] ? QString() : QStringLiteral("'"));
    }
    twisty::paint(p, tips, drawn, r.state);
    return r;
}

} // namespace eventscramble

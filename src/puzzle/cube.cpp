#include "puzzle/cube.h"
#include "puzzle/permutation.h"

#include <QStringList>

namespace cube {

namespace {

// The six clockwise quarter turns, in face order R L U D F B: for each place,
// the piece the turn brings there and the twist or flip it picks up.
const Cube quarterTurns[6] = {
    // R
    {{{4, 1, 2, 0, 7, 5, 6, 3}}, {{2, 0, 0, 1, 1, 0, 0, 2}},
     {{8, 1, 2, 3, 11, 5, 6, 7, 4, 9, 10, 0}}, {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}},
    // L
    {{{0, 2, 6, 3, 4, 1, 5, 7}}, {{0, 1, 2, 0, 0, 2, 1, 0}},
     {{0, 1, 10, 3, 4, 5, 9, 7, 8, 2, 6, 11}}, {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}},
    // U
    {{{3, 0, 1, 2, 4, 5, 6, 7}}, {{0, 0, 0, 0, 0, 0, 0, 0}},
     {{3, 0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11}}, {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}},
    // D
    {{{0, 1, 2, 3, 5, 6, 7, 4}}, {{0, 0, 0, 0, 0, 0, 0, 0}},
     {{0, 1, 2, 3, 5, 6, 7, 4, 8, 9, 10, 11}}, {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}},
    // F
    {{{1, 5, 2, 3, 0, 4, 6, 7}}, {{1, 2, 0, 0, 2, 1, 0, 0}},
     {{0, 9, 2, 3, 4, 8, 6, 7, 1, 5, 10, 11}}, {{0, 1, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0}}},
    // B
    {{{0, 1, 3, 7, 4, 5, 2, 6}}, {{0, 0, 1, 2, 0, 0, 2, 1}},
     {{0, 1, 2, 11, 4, 5, 6, 10, 8, 9, 3, 7}}, {{0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 1}}},
};

std::array<Cube, moveCount> makeMoveCubes()
{
    std::array<Cube, moveCount> m;
    for (int f = 0; f < 6; ++f) {
        const Cube &q = quarterTurns[f];
        m[f * 3] = q;
        m[f * 3 + 1] = multiply(q, q);
        m[f * 3 + 2] = multiply(m[f * 3 + 1], q);
    }
    return m;
}

const std::array<Cube, moveCount> &moveCubes()
{
    static const std::array<Cube, moveCount> m = makeMoveCubes();
    return m;
}

// Sticker indices of each corner and edge place, and the faces of each
// piece's stickers, in the same order (a corner's U or D sticker first, then
// clockwise; an edge's U/D sticker first, or its F/B sticker on the middle layer).
const std::uint8_t cornerFacelet[8][3] = {{8, 9, 20},  {6, 18, 38},  {0, 36, 47},  {2, 45, 11},
                                          {29, 26, 15}, {27, 44, 24}, {33, 53, 42}, {35, 17, 51}};
const std::uint8_t cornerColour[8][3] = {{NetU, NetR, NetF}, {NetU, NetF, NetL}, {NetU, NetL, NetB},
                                         {NetU, NetB, NetR}, {NetD, NetF, NetR}, {NetD, NetL, NetF},
                                         {NetD, NetB, NetL}, {NetD, NetR, NetB}};
const std::uint8_t edgeFacelet[12][2] = {{5, 10},  {7, 19},  {3, 37},  {1, 46},  {32, 16}, {28, 25},
                                         {30, 43}, {34, 52}, {23, 12}, {21, 41}, {50, 39}, {48, 14}};
const std::uint8_t edgeColour[12][2] = {{NetU, NetR}, {NetU, NetF}, {NetU, NetL}, {NetU, NetB},
                                        {NetD, NetR}, {NetD, NetF}, {NetD, NetL}, {NetD, NetB},
                                        {NetF, NetR}, {NetF, NetL}, {NetB, NetL}, {NetB, NetR}};

} // namespace

Cube multiply(const Cube &a, const Cube &b)
{
    Cube r;
    for (int i = 0; i < 8; ++i) {
        r.cp[i] = a.cp[b.cp[i]];
        r.co[i] = std::uint8_t((a.co[b.cp[i]] + b.co[i]) % 3);
    }
    for (int i = 0; i < 12; ++i) {
        r.ep[i] = a.ep[b.ep[i]];
        r.eo[i] = std::uint8_t((a.eo[b.ep[i]] + b.eo[i]) % 2);
    }
    return r;
}

Cube inverse(const Cube &c)
{
    Cube r;
    for (int i = 0; i < 8; ++i) {
        r.cp[c.cp[i]] = std::uint8_t(i);
        r.co[c.cp[i]] = std::uint8_t((3 - c.co[i]) % 3);
    }
    for (int i = 0; i < 12; ++i) {
        r.ep[c.ep[i]] = std::uint8_t(i);
        r.eo[c.ep[i]] = c.eo[i];
    }
    return r;
}

Cube applyMove(const Cube &c, int move)
{
    return multiply(c, moveCubes()[move]);
}

Cube applyMoves(Cube c, const std::vector<int> &moves)
{
    for (const int m : moves)
        c = applyMove(c, m);
    return c;
}

bool isSolvable(const Cube &c)
{
    bool seenC[8] = {}, seenE[12] = {};
    int twist = 0, flip = 0;
    for (int i = 0; i < 8; ++i) {
        if (c.cp[i] > 7 || seenC[c.cp[i]] || c.co[i] > 2)
            return false;
        seenC[c.cp[i]] = true;
        twist += c.co[i];
    }
    for (int i = 0; i < 12; ++i) {
        if (c.ep[i] > 11 || seenE[c.ep[i]] || c.eo[i] > 1)
            return false;
        seenE[c.ep[i]] = true;
        flip += c.eo[i];
    }
    return twist % 3 == 0 && flip % 2 == 0 && permutation::parity(c.cp.data(), 8) == permutation::parity(c.ep.data(), 12);
}

QString moveText(int move)
{
    static const char faces[] = "RLUDFB";
    QString s(QLatin1Char(faces[moveFace(move)]));
    if (move % 3 == 1)
        s += QLatin1Char('2');
    else if (move % 3 == 2)
        s += QLatin1Char('\'');
    return s;
}

QString movesText(const std::vector<int> &moves)
{
    QStringList parts;
    for (const int m : moves)
        parts << moveText(m);
    return parts.join(QLatin1Char(' '));
}

bool parseMoves(const QString &text, std::vector<int> &out)
{
    static const QString faces = QStringLiteral("RLUDFB");
    std::vector<int> moves;
    const QStringList tokens = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &t : tokens) {
        if (t.size() > 2)
            return false;
        const int face = faces.indexOf(t.at(0));
        if (face < 0)
            return false;
        int turn = 0;
        if (t.size() == 2) {
            if (t.at(1) == QLatin1Char('2'))
                turn = 1;
            else if (t.at(1) == QLatin1Char('\''))
                turn = 2;
            else
                return false;
        }
        moves.push_back(face * 3 + turn);
    }
    out = std::move(moves);
    return true;
}

std::vector<int> inverseMoves(const std::vector<int> &moves)
{
    std::vector<int> r(moves.rbegin(), moves.rend());
    for (int &m : r)
        m = inverseMove(m);
    return r;
}

Facelets facelets(const Cube &c)
{
    Facelets f{};
    for (int i = 0; i < 54; ++i)
        f[i] = std::uint8_t(i / 9);
    for (int i = 0; i < 8; ++i)
        for (int n = 0; n < 3; ++n)
            f[cornerFacelet[i][(n + c.co[i]) % 3]] = cornerColour[c.cp[i]][n];
    for (int i = 0; i < 12; ++i)
        for (int n = 0; n < 2; ++n)
            f[edgeFacelet[i][(n + c.eo[i]) % 2]] = edgeColour[c.ep[i]][n];
    return f;
}

bool cubeAfterScramble(const QString &scramble, Cube &out)
{
    std::vector<int> moves;
    if (!parseMoves(scramble, moves))
        return false;
    out = applyMoves(Cube(), moves);
    return true;
}

} // namespace cube

#ifndef CADENZA_CUBE_H
#define CADENZA_CUBE_H

// The 3x3x3 cube as pure values: where each corner and edge piece sits and how
// it is turned, the face turns acting on that, the scramble notation, and the
// sticker colours a picture of the cube needs.

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace cube {

// Faces in the scramble generator's order; the axis of face f is f / 2.
enum Face { R = 0, L = 1, U = 2, D = 3, F = 4, B = 5 };

// Corner places: URF UFL ULB UBR DFR DLF DBL DRB.
// Edge places: UR UF UL UB DR DF DL DB FR FL BL BR.
// cp[i] is the piece at place i (pieces are numbered like their home places);
// co[i] its twist (0 to 2, clockwise), eo[i] its flip (0 or 1).
struct Cube
{
    std::array<std::uint8_t, 8> cp{{0, 1, 2, 3, 4, 5, 6, 7}};
    std::array<std::uint8_t, 8> co{};
    std::array<std::uint8_t, 12> ep{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
    std::array<std::uint8_t, 12> eo{};

    bool operator==(const Cube &o) const { return cp == o.cp && co == o.co && ep == o.ep && eo == o.eo; }
    bool operator!=(const Cube &o) const { return !(*this == o); }
};

// A move is face * 3 + turn, turn 0 a clockwise quarter turn, 1 a half turn,
// 2 a counter-clockwise quarter turn: 18 moves.
constexpr int moveCount = 18;
inline int moveFace(int move) { return move / 3; }
inline int inverseMove(int move) { return move - move % 3 + (2 - move % 3); }

// a then b, as one cube state.
Cube multiply(const Cube &a, const Cube &b);
Cube inverse(const Cube &c);
Cube applyMove(const Cube &c, int move);
Cube applyMoves(Cube c, const std::vector<int> &moves);

// Whether the state can be reached by turning faces: both permutations of the
// same parity, twists summing to 0 mod 3, flips to 0 mod 2.
bool isSolvable(const Cube &c);

// "R", "U2", "F'" ... ; text is moves separated by spaces.
QString moveText(int move);
QString movesText(const std::vector<int> &moves);
// Reads the scramble notation; false (and `out` untouched) on anything else.
bool parseMoves(const QString &text, std::vector<int> &out);
// The sequence that undoes `moves`: reversed, each turn inverted.
std::vector<int> inverseMoves(const std::vector<int> &moves);

// Sticker colours as face indices (the colour of that face's centre when
// solved). Faces are stored U, R, F, D, L, B, nine stickers each, row by row
// as seen looking at the face: side faces with U on top, U with B on top, D
// with F on top.
enum NetFace { NetU = 0, NetR, NetF, NetD, NetL, NetB };
using Facelets = std::array<std::uint8_t, 54>;
Facelets facelets(const Cube &c);

// The solved cube after the scramble text; false if the text is not one.
bool cubeAfterScramble(const QString &scramble, Cube &out);

} // namespace cube

#endif

#ifndef CADENZA_TWISTY_H
#define CADENZA_TWISTY_H

// Twisty puzzles (the NxN cubes, Pyraminx, Skewb, Megaminx) as stickers in
// space: each sticker has an outline on the puzzle's surface and a colour,
// and a turn is a rotation of the stickers on one side of a cutting plane.
// Turning the geometry itself, rather than writing each turn's cycles by
// hand, gives every puzzle its turns from one rule; a turn that does not map
// the stickers one to one shows up when the puzzle is built (valid()).
//
// The pieces behind the stickers are read the same way: stickers that share a
// piece number turn together, and a turn moves whole pieces from place to
// place, each twisted by some amount.

#include <QPointF>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace twisty {

struct Vec3
{
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(double k, Vec3 a) { return {k * a.x, k * a.y, k * a.z}; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b);
Vec3 normalised(Vec3 a);
// `p` turned about the unit vector `axis` by `angle` radians, counter-clockwise
// seen from the tip of the axis.
Vec3 rotated(Vec3 p, Vec3 axis, double angle);

// `p` turned about the line through `a` and `b` until the plane with normal
// `from` lies in the plane with normal `to`: how a net unfolds one face beside
// another along their shared edge.
Vec3 unfolded(Vec3 p, Vec3 a, Vec3 b, Vec3 from, Vec3 to);

struct Sticker
{
    std::vector<Vec3> outline; // its corners on the surface, in order around it
    Vec3 centre;               // the mean of the outline
    std::uint8_t face = 0;     // the face it lies on, which is its colour when solved
    int piece = 0;             // stickers of one piece share this number
    // Its outline in the puzzle's flat picture (x right, y down, any unit).
    std::vector<QPointF> net;
};
Sticker sticker(std::vector<Vec3> outline, int face, int piece, std::vector<QPointF> net);

// The stickers whose centre lies beyond the plane dot(p, axis) = cut, turned
// clockwise (seen from the tip of the unit vector `axis`) by `turns` steps of
// a full turn / order. The first name is how the move is written; the others
// are read as the same move.
struct Turn
{
    QStringList names;
    Vec3 axis;
    double cut = 0;
    int order = 4;
    int turns = 1;
};

// The colour of each sticker, in the puzzle's sticker order.
using State = std::vector<std::uint8_t>;

class Puzzle
{
public:
    Puzzle(std::vector<Sticker> stickers, int faceCount, const std::vector<Turn> &turns);

    const std::vector<Sticker> &stickers() const { return stickers_; }
    int faceCount() const { return faceCount_; }
    int moveCount() const { return int(names.size()); }
    const QString &moveName(int move) const { return names[std::size_t(move)].first(); }
    // The move that undoes `move`, or -1 if the puzzle's notation has none.
    int inverseMove(int move) const { return inverses[std::size_t(move)]; }
    // Where each sticker goes: the move takes the sticker at place i to
    // place perm[i].
    const std::vector<std::uint16_t> &permutation(int move) const { return perms[std::size_t(move)]; }
    // Whether every turn moved the stickers one to one onto stickers.
    bool valid() const { return valid_; }

    State solved() const;
    State apply(State s, int move) const;
    State apply(State s, const std::vector<int> &moves) const;
    // Every face of one colour (whatever the puzzle's orientation in space).
    bool isSolved(const State &s) const;

    // Moves separated by white space (spaces or line breaks); false, with
    // `moves` untouched, on a word that is not a move.
    bool parse(const QString &text, std::vector<int> &moves) const;
    QString text(const std::vector<int> &moves, const QString &separator = QStringLiteral(" ")) const;
    // Reversed, each move undone; empty if a move has no inverse.
    std::vector<int> inverse(const std::vector<int> &moves) const;
    // The solved puzzle after the scramble text; false if the text is not one.
    bool afterScramble(const QString &text, State &out) const;

private:
    std::vector<Sticker> stickers_;
    int faceCount_;
    std::vector<QStringList> names;
    std::vector<std::vector<std::uint16_t>> perms;
    std::vector<int> inverses;
    bool valid_ = true;
};

// ---- pieces --------------------------------------------------------------

// The places of one kind of piece: each lists its stickers in the order they
// go round the piece (counter-clockwise seen from outside), starting with the
// sticker the piece's number was given first. A piece is numbered like its
// home place.
struct Orbit
{
    std::vector<std::vector<int>> places;
};
// The places of the pieces numbered in `pieces` (in that order).
Orbit orbitOf(const Puzzle &puzzle, const std::vector<int> &pieces);

// Pieces of an orbit: which piece sits at each place, and its twist there
// (its home sticker 0 lies on the place's sticker `twist`).
struct Pieces
{
    std::vector<std::uint8_t> at, twist;
};
Pieces solvedPieces(const Orbit &orbit);

// What a move does to an orbit: place t receives the piece from place
// from[t], twisted by twist[t] more. False if the move splits a piece.
struct PieceMove
{
    std::vector<std::uint8_t> from, twist;
};
bool pieceMove(const Puzzle &puzzle, const Orbit &orbit, int move, PieceMove &out);
Pieces apply(const Pieces &p, const PieceMove &m, int twists);

// The orbit's pieces as sticker colours written into `s`, and read back
// (false if the stickers at a place are no piece of the orbit).
void paint(const Puzzle &puzzle, const Orbit &orbit, const Pieces &p, State &s);
bool read(const Puzzle &puzzle, const Orbit &orbit, const State &s, Pieces &out);

} // namespace twisty

#endif

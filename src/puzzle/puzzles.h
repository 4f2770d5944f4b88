#ifndef CADENZA_PUZZLES_H
#define CADENZA_PUZZLES_H

// The twisty puzzles of the events, built once as immutable sticker models
// (see twisty.h), with their notation:
//
// NxN cube (n = 2..7): faces U R F D L B (cube::NetFace order), n x n
//   stickers each, row by row as seen looking at the face (side faces with U
//   on top, U with B on top, D with F on top); sticker face * n * n + index.
//   Moves R, R2, R' (one layer), Rw (two), 3Rw (three) ... up to n - 1
//   layers, on every face; "2Rw" reads as Rw.
// Pyraminx: vertices U (top), L (front left), R (front right), B (back);
//   faces F (front; vertices U R L), L (U L B), R (U B R), D (L R B), each
//   face's vertices clockwise seen from outside. Each face has 9 stickers:
//   0 to 2 the tips at its three vertices in that order, 3 to 5 the
//   centres (the fixed middle pieces) at them, 6 to 8 the edges between its
//   first and second, second and third, third and first vertex. U, L, R, B
//   turn a vertex's layer, u, l, r, b its tip, clockwise seen from the vertex;
//   U' and so on back.
// Skewb: faces as the cube; each has 5 stickers: 0 its centre, 1 to 4 its
//   corners top left, top right, bottom right, bottom left as the face is
//   seen. R, U, L, B turn the half round the corner down-right-back,
//   up-left-back, down-left-front and down-left-back by a third, clockwise
//   seen from that corner (the up-right-front corner never moves).
// Megaminx: faces U, F, R, BR, BL, L (U and the five round it, F in front),
//   then D and the lower five, face 6 + k opposite face k. Each face has 11
//   stickers: 0 the centre, 1 to 5 the edges shared with its neighbours in
//   clockwise order (seen from outside) starting at U for the upper five,
//   at D for the lower five, at F for U and at face 7 for D; 6 to 10 the
//   corners, corner 5 + k clockwise after edge k. R++ turns all but the
//   layer opposite R two fifths clockwise seen from R, D++ all but the U
//   layer two fifths clockwise seen from D; R--, D-- back; U, U' turn the U
//   layer a fifth.

#include "puzzle/twisty.h"

namespace twisty {

const Puzzle &nxn(int n);
const Puzzle &pyraminx();
const Puzzle &skewb();
const Puzzle &megaminx();

// The cube move turning `depth` layers of `face` (cube::Face order R L U D F
// B) clockwise `turns` quarter turns (1 to 3).
int cubeMove(int n, int face, int depth, int turns);

enum PyraminxFace { PyraF = 0, PyraL, PyraR, PyraD };
enum SkewbCorner { SkewbR = 0, SkewbU, SkewbL, SkewbB };
enum MegaminxFace { MegaU = 0, MegaF, MegaR, MegaBR, MegaBL, MegaL, MegaD };

} // namespace twisty

#endif

#ifndef CADENZA_SQUARE1PICTURE_H
#define CADENZA_SQUARE1PICTURE_H

// The Square-1 scramble picture: the top layer seen from above (front at the
// bottom of the picture) and the bottom layer seen from below (front at the
// top, as if unfolded down from the front), side by side; the middle layer
// seen from the front below them. White top, yellow bottom, green front, red
// right. Each piece is its top or bottom sticker with its side stickers
// around it, so a square layer is drawn as a square.

#include "puzzle/square1.h"

#include <QPointF>
#include <QSize>

class QPainter;

// Points inside, for a picture of the given size: the top or bottom sticker
// of the piece in a slot (layer 0 top, 1 bottom); the side sticker that slot
// shows in state `s` (a corner shows one per slot; its outline leans out, so
// where depends on the piece); and the front of the middle layer's left or
// right half (for the right half turned over: the sticker now in front).
QPointF square1FacePoint(const QSize &size, int layer, int slot);
QPointF square1SidePoint(const QSize &size, const square1::State &s, int layer, int slot);
QPointF square1MiddlePoint(const QSize &size, int half);

// Paints the puzzle in `s` into a picture of the given size (colours as
// scrambleFaceColour gives them).
void paintSquare1(QPainter &painter, const QSize &size, const square1::State &s);

#endif

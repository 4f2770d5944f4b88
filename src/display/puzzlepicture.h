#ifndef CADENZA_PUZZLEPICTURE_H
#define CADENZA_PUZZLEPICTURE_H

// The picture of any event's puzzle after a scramble, drawn from the
// puzzle's model (puzzles.h, clock.h), never from the scramble text alone:
// the 3x3x3 events as the cube net of scramblepicture.h; 2x2x2 and 4x4x4 to
// 7x7x7 as the same net (white up, green front); Skewb as its net; Pyraminx
// as the front face with the left, right and down faces unfolded round it
// (green front, red left, blue right, yellow down); Megaminx as two flowers,
// U and its five neighbours seen from above with F below U, and D and its
// five seen from below with the front on top (white up, green front);
// Clock as both sides, the front and then the back as seen after turning
// it over, each with its nine dials and four pins (a raised pin light).
// The picture is centred in the given size and as large as fits.

#include "puzzle/events.h"

#include <QColor>
#include <QPoint>
#include <QSize>
#include <QString>

class QPainter;

// Paints the event's puzzle after `scramble`; false (and nothing painted)
// when the text is not a scramble of it, or the event has no picture
// (Other).
bool paintPuzzlePicture(QPainter &painter, const QSize &size, events::Event event, const QString &scramble);

// For the sticker puzzles (2x2x2, 4x4x4 to 7x7x7, Pyraminx, Skewb, Megaminx):
// the centre of sticker `index` (in the model's order, puzzles.h) in a
// picture of the given size, and the colour of a face when solved.
QPoint puzzleStickerProbe(const QSize &size, events::Event event, int index);
QColor puzzleFaceColour(events::Event event, int face);

// For the Clock: a point on the hand of dial `dial` (0 to 8, row by row as
// the side is seen) when it shows `hour`, the middle of pin `pin` (UL, UR,
// DL, DR as the side is seen: 0 to 3), and the colours they are drawn in.
QPoint clockHandProbe(const QSize &size, bool back, int dial, int hour);
QPoint clockPinProbe(const QSize &size, bool back, int pin);
QColor clockHandColour();
QColor clockPinColour(bool up);

#endif

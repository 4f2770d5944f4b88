#ifndef CADENZA_SCRAMBLEPICTURE_H
#define CADENZA_SCRAMBLEPICTURE_H

// The scramble picture: the cube after the scramble, unfolded as a cross
// (U above F; L, F, R, B in a row; D below F), white up and green front.

#include "puzzle/cube.h"
#include "puzzle/events.h"

#include <QColor>
#include <QObject>
#include <QRect>
#include <QSize>
#include <functional>

class QPainter;

// Where sticker `index` (0..8, row by row) of face `netFace` (cube::NetFace)
// lies in a picture of the given size: the net of 12 x 9 stickers is centred,
// stickers square and as large as fit.
QRect scrambleStickerRect(const QSize &size, int netFace, int index);
// The colour of a face's centre: U white, R red, F green, D yellow, L orange, B blue.
QColor scrambleFaceColour(int netFace);
// Paints the net of `f` into a picture of the given size.
void paintScramblePicture(QPainter &painter, const QSize &size, const cube::Facelets &f);

// Paints a plain widget as the picture of the scramble that `scramble`
// returns at each paint, for the event that `event` returns (3x3x3 when not
// given; nothing when the text is not a scramble of it; see puzzlepicture.h).
class ScramblePicturePainter : public QObject
{
public:
    ScramblePicturePainter(QWidget *widget, std::function<QString()> scramble,
                           std::function<events::Event()> event = nullptr);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *widget;
    std::function<QString()> scramble;
    std::function<events::Event()> event;
};

#endif

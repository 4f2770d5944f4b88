#include "display/scramblepicture.h"
#include "display/puzzlepicture.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace {

// The column and row, in stickers, of each face's top-left sticker in the net.
const int faceOrigin[6][2] = {{3, 0}, {6, 3}, {3, 3}, {3, 6}, {0, 3}, {9, 3}}; // U R F D L B

} // namespace

QRect scrambleStickerRect(const QSize &size, int netFace, int index)
{
    const int side = std::max(1, std::min(size.width() / 12, size.height() / 9));
    const int left = (size.width() - 12 * side) / 2, top = (size.height() - 9 * side) / 2;
    const int col = faceOrigin[netFace][0] + index % 3, row = faceOrigin[netFace][1] + index / 3;
    return QRect(left + col * side, top + row * side, side, side);
}

QColor scrambleFaceColour(int netFace)
{
    static const QRgb colours[6] = {0xffffff, 0xd00000, 0x00a040, 0xffd500, 0xff7a00, 0x0050c0};
    return QColor(colours[netFace]);
}

void paintScramblePicture(QPainter &painter, const QSize &size, const cube::Facelets &f)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    for (int face = 0; face < 6; ++face)
        for (int i = 0; i < 9; ++i) {
            painter.setBrush(scrambleFaceColour(f[std::size_t(face * 9 + i)]));
            // The outline sits on the sticker's right and bottom edge, inside its cell.
            painter.drawRect(scrambleStickerRect(size, face, i).adjusted(0, 0, -1, -1));
        }
}

ScramblePicturePainter::ScramblePicturePainter(QWidget *w, std::function<QString()> s, std::function<events::Event()> e)
    : QObject(w), widget(w), scramble(std::move(s)), event(std::move(e))
{
    widget->installEventFilter(this);
}

bool ScramblePicturePainter::eventFilter(QObject *watched, QEvent *e)
{
    if (watched != widget || e->type() != QEvent::Paint)
        return false;
    QPainter painter(widget);
    paintPuzzlePicture(painter, widget->size(), event ? event() : events::Event::Cube333, scramble());
    return true;
}

#include "display/square1picture.h"
#include "display/scramblepicture.h"

#include <QPainter>
#include <QPolygonF>
#include <QtMath>
#include <algorithm>

namespace {

// The picture is 2.3 x 1.35 units: two layers of 1.1 units side by side, the
// middle layer below them.
struct Frame
{
    QPointF centre[2];
    double r; // half the side of a square layer
    QRectF middle;
};

Frame frameFor(const QSize &size)
{
    const double u = std::max(1.0, std::min(size.width() / 2.3, size.height() / 1.35));
    const double left = (size.width() - 2.3 * u) / 2, top = (size.height() - 1.35 * u) / 2;
    Frame f;
    f.centre[0] = QPointF(left + 0.6 * u, top + 0.55 * u);
    f.centre[1] = QPointF(left + 1.7 * u, top + 0.55 * u);
    f.r = 0.29 * u;
    f.middle = QRectF(left + 0.65 * u, top + 1.15 * u, 1.0 * u, 0.17 * u);
    return f;
}

constexpr double band = 1.2; // side stickers reach out to this many times a piece's outline

// A point at `degrees` clockwise from the front seen from above, `radius`
// from the centre, as the layer is drawn: the top seen from above with the
// front down, the bottom seen from below with the front up.
QPointF at(const Frame &f, int layer, double degrees, double radius)
{
    const double a = qDegreesToRadians(degrees);
    const double dy = layer == 0 ? std::cos(a) : -std::cos(a);
    return f.centre[layer] + QPointF(-std::sin(a), dy) * radius * f.r;
}

// One slot of a piece: the two ends of its outline, as angles and radii (in
// units of r). An edge's outline is a side of the square layer; a corner's
// two slots meet at its tip.
struct SlotShape
{
    double angle[2], radius[2];
};

SlotShape slotShape(int layer, int slot, bool corner, bool second)
{
    SlotShape s;
    if (layer == 0) {
        s.angle[0] = 15 + 30 * slot;
        s.angle[1] = s.angle[0] + 30;
    } else { // bottom slots run clockwise seen from below
        s.angle[0] = -15 - 30 * slot;
        s.angle[1] = s.angle[0] + 30;
    }
    const double side = 1 / std::cos(qDegreesToRadians(15.0)), tip = std::sqrt(2.0);
    s.radius[0] = s.radius[1] = side;
    if (corner) {
        // The end it shares with the corner's other slot: the next slot's
        // start for a first half, its own start for a second one.
        const bool upper = (layer == 0) != second; // the end at the larger angle
        s.radius[upper ? 1 : 0] = tip;
    }
    return s;
}

QPolygonF facePolygon(const Frame &f, int layer, const SlotShape &s)
{
    return QPolygonF({f.centre[layer], at(f, layer, s.angle[0], s.radius[0]), at(f, layer, s.angle[1], s.radius[1])});
}

QPolygonF sidePolygon(const Frame &f, int layer, const SlotShape &s)
{
    return QPolygonF({at(f, layer, s.angle[0], s.radius[0]), at(f, layer, s.angle[1], s.radius[1]),
                      at(f, layer, s.angle[1], s.radius[1] * band), at(f, layer, s.angle[0], s.radius[0] * band)});
}

QPointF centroid(const QPolygonF &p)
{
    QPointF sum;
    for (const QPointF &q : p)
        sum += q;
    return sum / double(p.size());
}

// The middle layer from the front: the slice line leaves the front face
// tan(15 degrees) of half its width left of the middle. The left half never
// moves; the right half, turned over, shows its back sticker (the width of
// the back face it covered) and then its right sticker, seen at a slant.
struct MiddleParts
{
    QRectF left, right, rightRest;
};

MiddleParts middleParts(const Frame &f, bool flipped)
{
    const QRectF &m = f.middle;
    const double half = m.width() / 2, t = std::tan(qDegreesToRadians(15.0));
    const double cut = m.center().x() - half * t;
    MiddleParts p;
    p.left = QRectF(QPointF(m.left(), m.top()), QPointF(cut, m.bottom()));
    const double rightEnd = flipped ? cut + half * (1 - t) : m.right();
    p.right = QRectF(QPointF(cut, m.top()), QPointF(rightEnd, m.bottom()));
    p.rightRest = QRectF(QPointF(rightEnd, m.top()), QPointF(m.right(), m.bottom()));
    return p;
}

SlotShape shapeOfSlot(const square1::State &s, int layer, int slot)
{
    const int piece = s.pieces[std::size_t(12 * layer + slot)];
    return slotShape(layer, slot, square1::isCorner(piece), square1::secondHalf(s, layer, slot));
}

} // namespace

QPointF square1FacePoint(const QSize &size, int layer, int slot)
{
    const Frame f = frameFor(size);
    // The probe lies in the slot's own triangle whatever the piece, so an
    // edge's shape will do.
    return centroid(facePolygon(f, layer, slotShape(layer, slot, false, false)));
}

QPointF square1SidePoint(const QSize &size, const square1::State &s, int layer, int slot)
{
    const Frame f = frameFor(size);
    return centroid(sidePolygon(f, layer, shapeOfSlot(s, layer, slot)));
}

QPointF square1MiddlePoint(const QSize &size, int half)
{
    const MiddleParts p = middleParts(frameFor(size), false);
    return half == 0 ? p.left.center() : QPointF(p.right.left() + p.left.height() / 2, p.right.center().y());
}

void paintSquare1(QPainter &painter, const QSize &size, const square1::State &s)
{
    const Frame f = frameFor(size);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPen outline(QColor(40, 40, 40), std::max(1.0, f.r / 40));
    for (int layer = 0; layer < 2; ++layer)
        for (int slot = 0; slot < 12; ++slot) {
            const int piece = s.pieces[std::size_t(12 * layer + slot)];
            const bool second = square1::secondHalf(s, layer, slot);
            const SlotShape shape = shapeOfSlot(s, layer, slot);
            const QColor face = scrambleFaceColour(square1::faceColour(piece));
            const QColor side = scrambleFaceColour(square1::sideColour(piece, second));
            painter.setPen(QPen(face, 1));
            painter.setBrush(face);
            painter.drawPolygon(facePolygon(f, layer, shape));
            painter.setPen(outline);
            painter.setBrush(side);
            painter.drawPolygon(sidePolygon(f, layer, shape));
            // The piece's outline: the line between two pieces, from the centre out.
            if (!second)
                painter.drawLine(f.centre[layer], at(f, layer, shape.angle[layer == 0 ? 0 : 1],
                                                     shape.radius[layer == 0 ? 0 : 1]));
        }
    const MiddleParts m = middleParts(f, s.middleFlipped);
    painter.setPen(outline);
    painter.setBrush(scrambleFaceColour(cube::NetF));
    painter.drawRect(m.left);
    painter.setBrush(scrambleFaceColour(s.middleFlipped ? cube::NetB : cube::NetF));
    painter.drawRect(m.right);
    if (s.middleFlipped) {
        painter.setBrush(scrambleFaceColour(cube::NetR));
        painter.drawRect(m.rightRest);
    }
    painter.restore();
}

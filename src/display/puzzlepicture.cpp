#include "display/puzzlepicture.h"
#include "display/square1picture.h"
#include "puzzle/square1.h"
#include "display/scramblepicture.h"
#include "puzzle/clock.h"
#include "puzzle/cube.h"
#include "puzzle/eventscramble.h"

#include <QPainter>
#include <QPolygonF>
#include <QtMath>

using events::Event;

namespace {

// ---- sticker puzzles ------------------------------------------------------

// How the model's flat outlines map into a picture of the given size.
struct Fit
{
    double scale = 1, dx = 0, dy = 0;
    QPointF map(QPointF p) const { return {p.x() * scale + dx, p.y() * scale + dy}; }
};

Fit fitOf(const twisty::Puzzle &p, const QSize &size)
{
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (const twisty::Sticker &s : p.stickers())
        for (const QPointF &q : s.net) {
            x0 = std::min(x0, q.x());
            y0 = std::min(y0, q.y());
            x1 = std::max(x1, q.x());
            y1 = std::max(y1, q.y());
        }
    Fit f;
    f.scale = std::max(1e-9, std::min((size.width() - 2) / (x1 - x0), (size.height() - 2) / (y1 - y0)));
    f.dx = (size.width() - (x1 - x0) * f.scale) / 2 - x0 * f.scale;
    f.dy = (size.height() - (y1 - y0) * f.scale) / 2 - y0 * f.scale;
    return f;
}

void paintStickers(QPainter &painter, const QSize &size, Event event, const twisty::Puzzle &p, const twisty::State &s)
{
    const Fit fit = fitOf(p, size);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    for (std::size_t i = 0; i < s.size(); ++i) {
        QPolygonF outline;
        for (const QPointF &q : p.stickers()[i].net)
            outline << fit.map(q);
        painter.setBrush(puzzleFaceColour(event, s[i]));
        painter.drawPolygon(outline);
    }
}

// ---- Clock ------------------------------------------------------------------

// Each side is a square of `side` pixels: the front on the left, the back on the right.
struct ClockFit
{
    double side, left, top;
    QPointF dialCentre(bool back, int dial) const
    {
        return {left + (back ? side * 1.1 : 0) + side * (0.2 + 0.3 * (dial % 3)), top + side * (0.2 + 0.3 * (dial / 3))};
    }
    double dialRadius() const { return side * 0.12; }
};

ClockFit clockFit(const QSize &size)
{
    const double side = std::min(size.width() / 2.1, double(size.height()));
    return {side, (size.width() - side * 2.1) / 2, (size.height() - side) / 2};
}

QPointF handPoint(const ClockFit &f, bool back, int dial, int hour, double reach)
{
    const double a = hour * M_PI / 6;
    return f.dialCentre(back, dial) + QPointF(std::sin(a), -std::cos(a)) * (f.dialRadius() * reach);
}

QPointF pinCentre(const ClockFit &f, bool back, int pin)
{
    const QPointF a = f.dialCentre(back, 0), b = f.dialCentre(back, 4);
    const QPointF mid = (a + b) / 2, step = b - a;
    return mid + QPointF(step.x() * (pin % 2), step.y() * (pin / 2));
}

void paintClock(QPainter &painter, const QSize &size, const clockpuzzle::Clock &c)
{
    const ClockFit f = clockFit(size);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const bool back : {false, true}) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(back ? QColor(0x8f, 0xb8, 0xe8) : QColor(0x1d, 0x3f, 0x8f));
        painter.drawRoundedRect(QRectF(f.left + (back ? f.side * 1.1 : 0), f.top, f.side, f.side), f.side * 0.15,
                                f.side * 0.15);
        const std::array<std::uint8_t, 9> &dials = back ? c.back : c.front;
        for (int d = 0; d < 9; ++d) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::white);
            painter.drawEllipse(f.dialCentre(back, d), f.dialRadius(), f.dialRadius());
            painter.setPen(QPen(clockHandColour(), std::max(2.0, f.dialRadius() / 4), Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(f.dialCentre(back, d), handPoint(f, back, d, dials[std::size_t(d)], 0.85));
        }
        // Pins UL UR DL DR as this side is seen; a pin up in front is down behind.
        const int bits[4] = {clockpuzzle::UL, clockpuzzle::UR, clockpuzzle::DL, clockpuzzle::DR};
        for (int p = 0; p < 4; ++p) {
            const int frontBit = back ? bits[p ^ 1] : bits[p];
            const bool up = ((c.pinsUpFront & frontBit) != 0) != back;
            painter.setPen(QPen(QColor(20, 20, 20), 1));
            painter.setBrush(clockPinColour(up));
            painter.drawEllipse(pinCentre(f, back, p), f.dialRadius() * 0.4, f.dialRadius() * 0.4);
        }
    }
}

} // namespace

QColor puzzleFaceColour(Event event, int face)
{
    if (event == Event::Pyraminx) {
        static const QRgb colours[4] = {0x00a040, 0xd00000, 0x0050c0, 0xffd500}; // F L R D
        return QColor(colours[face & 3]);
    }
    if (event == Event::Megaminx) {
        // U white, F green, R red, BR blue, BL yellow, L purple; opposite them
        // D grey, pink, light green, beige, light blue, orange.
        static const QRgb colours[12] = {0xffffff, 0x00a040, 0xd00000, 0x0050c0, 0xffd500, 0x8040c0,
                                         0x909090, 0xff80c0, 0x80e080, 0xf0e0b0, 0x80c0ff, 0xff7a00};
        return QColor(colours[std::clamp(face, 0, 11)]);
    }
    return scrambleFaceColour(std::clamp(face, 0, 5));
}

QPoint puzzleStickerProbe(const QSize &size, Event event, int index)
{
    const twisty::Puzzle *p = eventscramble::stickerModel(event);
    if (!p || index < 0 || index >= int(p->stickers().size()))
        return {};
    const Fit fit = fitOf(*p, size);
    QPointF sum;
    const std::vector<QPointF> &net = p->stickers()[std::size_t(index)].net;
    for (const QPointF &q : net)
        sum += fit.map(q);
    return (sum / double(net.size())).toPoint();
}

QPoint clockHandProbe(const QSize &size, bool back, int dial, int hour)
{
    return handPoint(clockFit(size), back, dial, hour, 0.6).toPoint();
}

QPoint clockPinProbe(const QSize &size, bool back, int pin)
{
    return pinCentre(clockFit(size), back, pin).toPoint();
}

QColor clockHandColour()
{
    return QColor(0x20, 0x20, 0x20);
}

QColor clockPinColour(bool up)
{
    return up ? QColor(0xff, 0xd5, 0x00) : QColor(0x50, 0x50, 0x50);
}

bool paintPuzzlePicture(QPainter &painter, const QSize &size, Event event, const QString &scramble)
{
    if (events::isCube333(event)) {
        cube::Cube c;
        if (!cube::cubeAfterScramble(scramble, c))
            return false;
        paintScramblePicture(painter, size, cube::facelets(c));
        return true;
    }
    if (event == Event::Clock) {
        clockpuzzle::Clock c;
        if (!clockpuzzle::clockAfterScramble(scramble, c))
            return false;
        paintClock(painter, size, c);
        return true;
    }
    if (event == Event::Square1) {
        square1::State s;
        if (!square1::stateAfterScramble(scramble, s))
            return false;
        paintSquare1(painter, size, s);
        return true;
    }
    const twisty::Puzzle *p = eventscramble::stickerModel(event); // none for Other

    twisty::State s;
    if (!p || !p->afterScramble(scramble, s))
        return false;
    paintStickers(painter, size, event, *p, s);
    return true;
}

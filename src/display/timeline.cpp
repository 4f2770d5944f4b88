#include "display/timeline.h"

#include "app/cadenza.h"
#include "ui_cadenza.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace timeline {

namespace {

constexpr std::size_t shortGap = 10; // silent runs shorter than this are filled

const QColor phaseColours[5] = {QColor(QStringLiteral("#FFC95E")), QColor(QStringLiteral("#EFEA6A")),
                                QColor(QStringLiteral("#8AC926")), QColor(QStringLiteral("#49A2C4")),
                                QColor(QStringLiteral("#6A4C93"))};

// Column of sample i among n across a width of w pixels.
inline int column(std::size_t i, std::size_t n, int w)
{
    return int(float(i) / float(n) * float(w));
}

struct Geometry
{
    int w = 0;
    int h = 0;
    std::size_t n = 0;
    int top = 0;
    int bottom = 0;
    QColor sound;
    QColor silence;
};

Geometry geometry(QPainter &painter, const Input &input)
{
    Geometry g;
    g.w = painter.viewport().width();
    g.h = painter.viewport().height();
    g.n = input.levels ? input.levels->size() : 0;
    g.top = input.splitsIndex != 0 ? 9 : 5;
    g.bottom = g.h - 5;
    g.silence = input.lightSilence ? QColor(Qt::lightGray) : QColor(Qt::red);
    g.sound = QColor(Qt::darkGray);
    return g;
}

void paintPhaseBars(QPainter &painter, const Input &input, const Geometry &g)
{
    // Bar positions divide by the record's length: no record, no bars.
    if (input.splitsIndex < 1 || g.n == 0)
        return;
    painter.setPen(Qt::NoPen);
    const std::size_t m = input.onsets.size();
    for (std::size_t k = 0; k <= m; ++k) {
        const qint64 start = k == 0 ? 0 : input.onsets[k - 1];
        const qint64 end = k < m ? qint64(input.onsets[k]) : qint64(g.n);
        const int xs = int(float(start) / float(g.n) * float(g.w));
        const int xe = int(float(end) / float(g.n) * float(g.w));
        if (xe - xs - 1 <= 0)
            continue; // a phase narrower than a pixel column shows no bar
        painter.setBrush(QBrush(phaseColours[k % 5], Qt::SolidPattern));
        painter.drawRect(QRect(xs + 1, 1, xe - xs - 1, 4));
    }
}

// The flags of samples from..to-1 (to within the record) into out; scratch
// holds to - from + 2 * shortGap bytes. A margin of samples around the range
// is judged too: a silent run that reaches the edge of that margin is at
// least as long as the margin and stays silent, and so does one that reaches
// the end of the record.
void judge(const std::vector<float> &levels, float threshold, std::size_t from, std::size_t to,
           unsigned char *scratch, unsigned char *out)
{
    const std::size_t n = levels.size();
    const std::size_t lo = from >= shortGap ? from - shortGap : 0;
    const std::size_t hi = std::min(n, to + shortGap);
    const std::size_t len = hi - lo;
    for (std::size_t i = lo; i < hi; ++i)
        scratch[i - lo] = levels[i] > threshold ? 1 : 0;
    std::size_t i = 0;
    while (i < len) {
        if (scratch[i]) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < len && !scratch[j])
            ++j;
        const bool cutAtLeft = i == 0 && lo > 0;
        const bool reachesEnd = j == len;
        if (!cutAtLeft && !reachesEnd && j - i < shortGap)
            std::fill(scratch + i, scratch + j, 1);
        i = j;
    }
    std::copy(scratch + (from - lo), scratch + (to - lo), out);
}

void drawSampleLines(QPainter &painter, const Input &input, const Geometry &g, std::size_t from, std::size_t to)
{
    const std::vector<unsigned char> flags = soundFlags(*input.levels, input.threshold, from, to);
    for (std::size_t i = from; i < to; ++i) {
        const int x = column(i, g.n, g.w);
        painter.setPen(QPen(QBrush(flags[i - from] ? g.sound : g.silence), 1, Qt::SolidLine));
        painter.drawLine(QLine(x, g.top, x, g.bottom));
    }
}

// ---- the composed strip ---------------------------------------------------
//
// An antialiased vertical line one pixel wide on an integer x covers half of
// pixel column x - 1 and half of column x, over its whole height, and a
// quarter of those pixels in the row above its top and the row of its bottom
// (the square cap). Every line blends over what is there, so a pixel column
// ends up as the blend of the lines on its own x and then those on the next
// x; each blend halves the weight of everything before it (and leaves three
// quarters of it in the end rows). Only the last few lines of each x are
// therefore still visible. Where many lines share an x, the lines are
// composed that way into a transparent image, one colour for the body and one
// for the end rows of each pixel column, with the paint engine's own
// arithmetic, and the image is laid over the widget once.

constexpr int endLinesKept = 24;  // 0.75^24: what is left out weighs under 1/1000
constexpr int bodyLinesKept = 12; // 0.5^12
constexpr int ticksDrawnAsLines = 64;

struct Coverage
{
    uint bodyLeft = 128; // pixel column x - 1 of a line on x
    uint bodyRight = 128; // pixel column x
    uint endLeft = 64;
    uint endRight = 64;
};

// Reads how much of each pixel one line covers from a line actually drawn,
// so the composition follows the paint engine's own rounding.
const Coverage &coverage()
{
    static const Coverage measured = [] {
        QImage probe(4, 5, QImage::Format_ARGB32_Premultiplied);
        probe.fill(Qt::transparent);
        {
            QPainter p(&probe);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(QPen(QBrush(Qt::black), 1, Qt::SolidLine));
            p.drawLine(QLine(2, 1, 2, 3));
        }
        Coverage c;
        c.endLeft = uint(qAlpha(probe.pixel(1, 0)));
        c.endRight = uint(qAlpha(probe.pixel(2, 0)));
        c.bodyLeft = uint(qAlpha(probe.pixel(1, 2)));
        c.bodyRight = uint(qAlpha(probe.pixel(2, 2)));
        return c;
    }();
    return measured;
}

// A premultiplied pixel scaled by a/255, two channels per multiplication.
inline uint byteMul(uint x, uint a)
{
    uint t = (x & 0xff00ffu) * a;
    t = (t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8;
    t &= 0xff00ffu;
    x = ((x >> 8) & 0xff00ffu) * a;
    x = x + ((x >> 8) & 0xff00ffu) + 0x800080u;
    x &= 0xff00ff00u;
    return x | t;
}

// The lines kept on one x, oldest first: bit j set when line j has the
// second colour.
struct LinesOnX
{
    std::uint32_t mask = 0;
    int count = 0;
    bool operator==(const LinesOnX &o) const { return mask == o.mask && count == o.count; }
};

// Blends the last `keep` lines of one x over a pixel. src holds the source
// pixel of each colour at this coverage.
inline uint blendLines(uint pixel, const LinesOnX &lines, int keep, const uint src[2])
{
    for (int j = std::max(0, lines.count - keep); j < lines.count; ++j) {
        const uint bit = (lines.mask >> j) & 1u;
        const uint s = src[bit];
        const uint blended = s + byteMul(pixel, 255u - (s >> 24));
        if (blended == pixel) {
            // Settled on this colour: if the rest of the lines are all of
            // it too, they change nothing more.
            const int rest = lines.count - j - 1;
            const std::uint32_t restBits = rest > 0 ? lines.mask >> (j + 1) : 0u;
            const std::uint32_t full = rest >= 32 ? ~0u : ((1u << rest) - 1u);
            if (((bit ? restBits : ~restBits) & full) == full)
                break;
        }
        pixel = blended;
    }
    return pixel;
}

// Composes lines from row 1 to row rows - 2 of an image (rows 0 and
// rows - 1 take the square caps) and lays it over the painter at firstRow.
void drawComposed(QPainter &painter, const std::vector<LinesOnX> &onX, int w, const QColor colours[2], int firstRow,
                  int rows)
{
    const Coverage &cov = coverage();
    uint bodyRight[2], bodyLeft[2], endRight[2], endLeft[2];
    for (int c = 0; c < 2; ++c) {
        const uint argb = colours[c].rgba() | 0xff000000u;
        bodyRight[c] = byteMul(argb, cov.bodyRight);
        bodyLeft[c] = byteMul(argb, cov.bodyLeft);
        endRight[c] = byteMul(argb, cov.endRight);
        endLeft[c] = byteMul(argb, cov.endLeft);
    }
    QImage image(w, rows, QImage::Format_ARGB32_Premultiplied);
    std::vector<uint *> lines{std::size_t(rows), nullptr};
    for (int y = 0; y < rows; ++y)
        lines[std::size_t(y)] = reinterpret_cast<uint *>(image.scanLine(y));
    uint body = 0, ends = 0;
    for (int p = 0; p < w; ++p) {
        const LinesOnX &own = onX[std::size_t(p)];
        const LinesOnX &next = onX[std::size_t(p) + 1];
        // Runs of alike columns are common: compose each kind once.
        if (p == 0 || !(own == onX[std::size_t(p) - 1] && next == own)) {
            body = blendLines(blendLines(0, own, bodyLinesKept, bodyRight), next, bodyLinesKept, bodyLeft);
            ends = blendLines(blendLines(0, own, endLinesKept, endRight), next, endLinesKept, endLeft);
        }
        lines[0][p] = ends;
        for (int y = 1; y < rows - 1; ++y)
            lines[std::size_t(y)][p] = body;
        lines[std::size_t(rows) - 1][p] = ends;
    }
    painter.drawImage(QPoint(0, firstRow), image);
}

// The device pixel ratio at which the strip can be composed into an image
// instead of drawn line by line (an untransformed, antialiased, opaque
// SourceOver painter on a strip with width), or 0 where it cannot.
qreal composingRatio(QPainter &painter, const Geometry &g)
{
    const QPaintDevice *device = painter.device();
    if (g.w <= 0 || !device || painter.worldTransform().type() != QTransform::TxNone
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver
        || !painter.testRenderHint(QPainter::Antialiasing) || painter.opacity() != 1.0)
        return 0.0;
    return device->devicePixelRatioF();
}

// ---- the composed strip at a fractional device pixel ratio ----------------
//
// On a device of d device pixels per pixel (d not 1), a line on x covers the
// device pixels from d (x - 0.5) to d (x + 0.5) across and its square caps
// part of a device row at each end. A device pixel may be covered by the lines
// of two neighbouring x, and only partly by each, so more of a column's lines
// stay visible than at d = 1: up to scaledLinesKept of them are kept. How much
// of each device pixel a line covers is read from lines actually drawn on
// three probe images (every third x on each, so no two lines share a pixel),
// and the lines are composed per device pixel with the paint engine's own
// arithmetic into an image of the device's resolution that is laid over the
// painter once.

constexpr int scaledLinesKept = 512; // (1 - 1/64)^512: under 1/2000 at the faintest corner of d = 1.75

// The lines kept on one x, oldest first, as runs of one colour.
struct Run
{
    unsigned char colour;
    int count;
};

// Blends runs of lines over a pixel; src holds the source pixel of each
// colour at this coverage. A run stops blending once a line changes nothing.
inline uint blendRuns(uint pixel, const std::vector<Run> &runs, const uint src[2])
{
    for (const Run &run : runs) {
        const uint s = src[run.colour];
        for (int j = 0; j < run.count; ++j) {
            const uint blended = s + byteMul(pixel, 255u - (s >> 24));
            if (blended == pixel)
                break;
            pixel = blended;
        }
    }
    return pixel;
}

// Which lines cover each device pixel and how much, read from lines drawn as
// the strip draws them (rows top..bottom of a w x h viewport at ratio d) on
// three probe images, every third x on each. Rows that every line covers
// alike (the body of the lines) share one profile.
struct ScaledLayout
{
    qreal d = 0;
    int w = 0, h = 0, top = 0, bottom = 0;
    int W = 0, H = 0;
    std::vector<int> profileOf;         // per device row, -1 for a row no line touches
    int profiles = 0;
    std::vector<std::size_t> firstOf;   // per device column, its first entry in `x` (W + 1 values)
    std::vector<int> x;                 // the x whose lines reach the column, in drawing order
    std::vector<unsigned char> coverage; // per entry, its coverage in each profile
    // The x drawn as real lines instead: those alone on a device column that
    // they cover only faintly (the right edge). Composed over transparency, a
    // faint line's blends stop short of its colour at a level that depends on
    // what they start from, which is the background only the real lines see.
    std::vector<unsigned char> asLines;
};

const ScaledLayout &scaledLayout(qreal d, int w, int h, int top, int bottom)
{
    static ScaledLayout cached;
    if (cached.d == d && cached.w == w && cached.h == h && cached.top == top && cached.bottom == bottom)
        return cached;
    ScaledLayout L;
    L.d = d, L.w = w, L.h = h, L.top = top, L.bottom = bottom;
    L.W = int(std::ceil(w * d));
    L.H = int(std::ceil(h * d));
    QImage probe[3];
    for (int c = 0; c < 3; ++c) {
        probe[c] = QImage(L.W, L.H, QImage::Format_ARGB32_Premultiplied);
        probe[c].setDevicePixelRatio(d);
        probe[c].fill(Qt::transparent);
        QPainter p(&probe[c]);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(QBrush(Qt::black), 1, Qt::SolidLine));
        for (int x = c; x < w; x += 3)
            p.drawLine(QLine(x, top, x, bottom));
    }
    const auto row = [&](int c, int y) { return reinterpret_cast<const uint *>(probe[c].constScanLine(y)); };
    L.profileOf.assign(std::size_t(L.H), -1);
    std::vector<int> profileRows;
    for (int y = 0; y < L.H; ++y) {
        bool any = false, same = y > 0 && L.profileOf[std::size_t(y) - 1] >= 0;
        for (int c = 0; c < 3; ++c) {
            for (int X = 0; X < L.W && !any; ++X)
                any = row(c, y)[X] != 0;
            same = same && std::memcmp(row(c, y), row(c, y - 1), std::size_t(L.W) * 4) == 0;
        }
        if (!any)
            continue;
        if (same) {
            L.profileOf[std::size_t(y)] = L.profileOf[std::size_t(y) - 1];
        } else {
            L.profileOf[std::size_t(y)] = int(profileRows.size());
            profileRows.push_back(y);
        }
    }
    L.profiles = int(profileRows.size());
    for (int X = 0; X < L.W; ++X) {
        L.firstOf.push_back(L.x.size());
        const int first = std::max(0, int(std::floor((X + 0.5) / d)) - 2);
        const int last = std::min(w - 1, int(std::ceil((X + 0.5) / d)) + 2);
        for (int x = first; x <= last; ++x) {
            // The line's own device columns: every third line is on the same
            // probe, so the column range tells them apart.
            if (X < int(std::floor(d * (x - 0.5))) || X >= int(std::ceil(d * (x + 0.5))))
                continue;
            std::vector<unsigned char> cov;
            bool any = false;
            for (int y : profileRows) {
                cov.push_back((unsigned char)qAlpha(row(x % 3, y)[X]));
                any = any || cov.back() != 0;
            }
            if (!any)
                continue;
            L.x.push_back(x);
            L.coverage.insert(L.coverage.end(), cov.begin(), cov.end());
        }
    }
    L.firstOf.push_back(L.x.size());
    L.asLines.assign(std::size_t(w), 0);
    for (int X = 0; X < L.W; ++X) {
        const std::size_t e = L.firstOf[std::size_t(X)];
        if (L.firstOf[std::size_t(X) + 1] != e + 1)
            continue;
        const auto cov = L.coverage.begin() + std::ptrdiff_t(e) * L.profiles;
        if (*std::max_element(cov, cov + L.profiles) < 128)
            L.asLines[std::size_t(L.x[e])] = 1;
    }
    cached = std::move(L);
    return cached;
}

// Composes the lines on each x (runs[x], for x from 0 to w - 1) of rows
// top..bottom and lays the result over the painter.
void drawComposedScaled(QPainter &painter, const std::vector<std::vector<Run>> &runs, int w, int h, int top,
                        int bottom, const QColor colours[2])
{
    const qreal d = painter.device()->devicePixelRatioF();
    const ScaledLayout &L = scaledLayout(d, w, h, top, bottom);
    QImage image(L.W, L.H, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(d);
    const uint opaque[2] = {colours[0].rgba() | 0xff000000u, colours[1].rgba() | 0xff000000u};
    std::vector<uint> composed(std::size_t(L.profiles));
    for (int X = 0; X < L.W; ++X) {
        for (int k = 0; k < L.profiles; ++k) {
            uint pixel = 0;
            for (std::size_t e = L.firstOf[std::size_t(X)]; e < L.firstOf[std::size_t(X) + 1]; ++e) {
                const uint cov = L.coverage[e * std::size_t(L.profiles) + std::size_t(k)];
                const std::vector<Run> &lines = runs[std::size_t(L.x[e])];
                if (cov == 0 || lines.empty() || L.asLines[std::size_t(L.x[e])])
                    continue;
                const uint src[2] = {byteMul(opaque[0], cov), byteMul(opaque[1], cov)};
                pixel = blendRuns(pixel, lines, src);
            }
            composed[std::size_t(k)] = pixel;
        }
        for (int y = 0; y < L.H; ++y)
            if (L.profileOf[std::size_t(y)] >= 0)
                reinterpret_cast<uint *>(image.scanLine(y))[X] = composed[std::size_t(L.profileOf[std::size_t(y)])];
    }
    painter.drawImage(QPointF(0, 0), image);
    for (int x = 0; x < L.w; ++x) {
        if (!L.asLines[std::size_t(x)])
            continue;
        for (const Run &run : runs[std::size_t(x)]) {
            painter.setPen(QPen(QBrush(colours[run.colour]), 1, Qt::SolidLine));
            for (int j = 0; j < run.count; ++j)
                painter.drawLine(QLine(x, L.top, x, L.bottom));
        }
    }
}

// Index one past the last sample whose column is at most x.
std::size_t endOfColumn(int x, std::size_t n, int w)
{
    std::size_t i = std::size_t(std::min<double>(double(n), std::floor(double(x + 1) * double(n) / double(w))));
    while (i < n && column(i, n, w) <= x)
        ++i;
    while (i > 0 && column(i - 1, n, w) > x)
        --i;
    return i;
}

void paintComposedStrip(QPainter &painter, const Input &input, const Geometry &g)
{
    std::vector<LinesOnX> onX(std::size_t(g.w) + 1);
    unsigned char scratch[endLinesKept + 2 * shortGap];
    unsigned char flags[endLinesKept];
    std::size_t begin = 0;
    for (int x = 0; x < g.w; ++x) {
        const std::size_t end = endOfColumn(x, g.n, g.w);
        const std::size_t from = std::max(begin, end >= endLinesKept ? end - endLinesKept : 0);
        if (end > from) {
            judge(*input.levels, input.threshold, from, end, scratch, flags);
            LinesOnX &lines = onX[std::size_t(x)];
            lines.count = int(end - from);
            for (int j = 0; j < lines.count; ++j)
                lines.mask |= std::uint32_t(flags[j]) << j;
        }
        begin = std::max(begin, end);
    }
    const QColor colours[2] = {g.silence, g.sound};
    drawComposed(painter, onX, g.w, colours, g.top - 1, g.bottom - g.top + 2);
}

void paintComposedStripScaled(QPainter &painter, const Input &input, const Geometry &g)
{
    std::vector<std::vector<Run>> runs(std::size_t(g.w));
    std::vector<unsigned char> scratch(scaledLinesKept + 2 * shortGap), flags(scaledLinesKept);
    std::size_t begin = 0;
    for (int x = 0; x < g.w; ++x) {
        const std::size_t end = endOfColumn(x, g.n, g.w);
        const std::size_t from = std::max(begin, end >= scaledLinesKept ? end - scaledLinesKept : 0);
        if (end > from) {
            judge(*input.levels, input.threshold, from, end, scratch.data(), flags.data());
            std::vector<Run> &column = runs[std::size_t(x)];
            for (std::size_t j = 0; j < end - from; ++j) {
                if (column.empty() || column.back().colour != flags[j])
                    column.push_back(Run{flags[j], 0});
                ++column.back().count;
            }
        }
        begin = std::max(begin, end);
    }
    const QColor colours[2] = {g.silence, g.sound};
    drawComposedScaled(painter, runs, g.w, g.h, g.top, g.bottom, colours);
}

// Where the composition cannot stand in for the lines (a transformed painter
// or a strip without height), the last line of each column is drawn instead:
// still bounded by the width.
void paintLastLinePerColumn(QPainter &painter, const Input &input, const Geometry &g)
{
    std::size_t begin = 0;
    for (int x = 0; x < g.w; ++x) {
        const std::size_t end = endOfColumn(x, g.n, g.w);
        if (end > begin)
            drawSampleLines(painter, input, g, end - 1, end);
        begin = std::max(begin, end);
    }
}

void paintSecondTicks(QPainter &painter, const Input &input, const Geometry &g, bool asLines)
{
    const float t = float(double(input.elapsedMs) / 1000.0);
    // Tick positions divide by the elapsed time: none before any time passed.
    if (!(t > 0.0f))
        return;
    const int ticks = int(t + 1.0f);
    if (asLines || ticks <= ticksDrawnAsLines || composingRatio(painter, g) != 1.0) {
        // Ticks are all alike, so which of a column's ticks are drawn does
        // not matter; past endLinesKept on one column the rest change less
        // than a level, and a solve of days stays bounded by the width.
        std::vector<unsigned char> onColumn(std::size_t(std::max(g.w, 0)) + 1, 0);
        const QPen pen(QBrush(Qt::black), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
        for (int s = 0; s < ticks; ++s) {
            const int x = int(float(s) / t * float(g.w));
            if (!asLines && x >= 0 && x <= g.w) {
                if (onColumn[std::size_t(x)] >= endLinesKept)
                    continue;
                ++onColumn[std::size_t(x)];
            }
            painter.setPen(pen);
            painter.drawLine(QLine(x, g.h - 4, x, g.h));
        }
        return;
    }
    // A long solve has more ticks than a few per pixel column: compose them.
    std::vector<LinesOnX> onX(std::size_t(g.w) + 1);
    for (int s = 0; s < ticks; ++s) {
        const int x = int(float(s) / t * float(g.w));
        if (x < 0 || x > g.w)
            continue;
        LinesOnX &lines = onX[std::size_t(x)];
        if (lines.count < endLinesKept)
            lines.mask |= 1u << lines.count++;
    }
    const QColor colours[2] = {QColor(Qt::black), QColor(Qt::black)};
    drawComposed(painter, onX, g.w, colours, g.h - 5, 6);
}

void paintWith(QPainter &painter, const Input &input, bool everySample)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    const Geometry g = geometry(painter, input);
    paintPhaseBars(painter, input, g);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::NoBrush);
    if (g.n > 0) {
        const qreal ratio = g.bottom > g.top ? composingRatio(painter, g) : 0.0;
        if (everySample || g.n <= std::size_t(std::max(g.w, 0)))
            drawSampleLines(painter, input, g, 0, g.n);
        else if (ratio == 1.0)
            paintComposedStrip(painter, input, g);
        else if (ratio > 1.0)
            paintComposedStripScaled(painter, input, g);
        else
            paintLastLinePerColumn(painter, input, g);
    }
    paintSecondTicks(painter, input, g, everySample);
}

} // namespace

std::vector<unsigned char> soundFlags(const std::vector<float> &levels, float threshold, std::size_t from,
                                      std::size_t to)
{
    to = std::min(to, levels.size());
    if (from >= to)
        return {};
    std::vector<unsigned char> scratch(to - from + 2 * shortGap);
    std::vector<unsigned char> flags(to - from);
    judge(levels, threshold, from, to, scratch.data(), flags.data());
    return flags;
}

void paint(QPainter &painter, const Input &input)
{
    paintWith(painter, input, false);
}

void paintEverySample(QPainter &painter, const Input &input)
{
    paintWith(painter, input, true);
}

} // namespace timeline

void Cadenza::paintSolveTimeline()
{
    QPainter painter(ui->timerDisplay);
    timeline::Input input;
    input.levels = &levels;
    input.threshold = float(ui->silenceSpin->value());
    input.lightSilence = ui->disableAudioCheck->isChecked() || recordLacksSound;
    input.splitsIndex = ui->splitsCombo->currentIndex();
    if (input.splitsIndex >= 1)
        input.onsets = findVoiceOnsets();
    input.elapsedMs = liveElapsedMs;
    timeline::paint(painter, input);
}

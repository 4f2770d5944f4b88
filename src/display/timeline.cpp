#include "display/timeline.h"

#include "app/cadenza.h"
#include "ui_cadenza.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

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

void paintSecondTicks(QPainter &painter, const Input &input, const Geometry &g)
{
    const float t = float(double(input.elapsedMs) / 1000.0);
    // Tick positions divide by the elapsed time: none before any time passed.
    if (!(t > 0.0f))
        return;
    const int ticks = int(t + 1.0f);
    const QPen pen(QBrush(Qt::black), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    for (int s = 0; s < ticks; ++s) {
        const int x = int(float(s) / t * float(g.w));
        painter.setPen(pen);
        painter.drawLine(QLine(x, g.h - 4, x, g.h));
    }
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
// therefore still visible. The strip is composed in that way into a
// transparent image, one colour for the body and one for the end rows of each
// column, and laid over the widget once.

constexpr std::size_t linesKept = 32; // 0.75^32: the rest is far below one colour step

struct Coverage
{
    int bodyLeft = 128;  // pixel column x - 1 of a line on x
    int bodyRight = 128; // pixel column x
    int endLeft = 64;
    int endRight = 64;
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
        c.endLeft = qAlpha(probe.pixel(1, 0));
        c.endRight = qAlpha(probe.pixel(2, 0));
        c.bodyLeft = qAlpha(probe.pixel(1, 2));
        c.bodyRight = qAlpha(probe.pixel(2, 2));
        return c;
    }();
    return measured;
}

inline int mul255(int x, int a)
{
    const int t = x * a;
    return (t + (t >> 8) + 0x80) >> 8;
}

struct Premul
{
    int a = 0, r = 0, g = 0, b = 0;
    void blend(const QColor &c, int cov)
    {
        const int sa = mul255(255, cov);
        const int sr = mul255(c.red(), cov);
        const int sg = mul255(c.green(), cov);
        const int sb = mul255(c.blue(), cov);
        const int keep = 255 - sa;
        a = sa + mul255(a, keep);
        r = sr + mul255(r, keep);
        g = sg + mul255(g, keep);
        b = sb + mul255(b, keep);
    }
    QRgb rgba() const { return qRgba(r, g, b, a); }
};

bool composedStripApplies(QPainter &painter, const Geometry &g)
{
    const QPaintDevice *device = painter.device();
    return g.bottom > g.top && g.w > 0 && device && device->devicePixelRatioF() == 1.0
           && painter.worldTransform().type() == QTransform::TxNone
           && painter.compositionMode() == QPainter::CompositionMode_SourceOver
           && painter.testRenderHint(QPainter::Antialiasing) && painter.opacity() == 1.0;
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
    const Coverage &cov = coverage();
    // The last lines of every x, and whether each is sound. x runs to w - 1;
    // a last x of w would only reach pixel w - 1 and never happens.
    struct Kept
    {
        std::size_t from = 0;
        std::vector<unsigned char> flags;
    };
    std::vector<Kept> kept(std::size_t(g.w) + 1);
    std::size_t begin = 0;
    for (int x = 0; x <= g.w; ++x) {
        const std::size_t end = endOfColumn(x, g.n, g.w);
        const std::size_t from = std::max(begin, end >= linesKept ? end - linesKept : 0);
        if (end > from) {
            kept[std::size_t(x)].from = from;
            kept[std::size_t(x)].flags = soundFlags(*input.levels, input.threshold, from, end);
        }
        begin = std::max(begin, end);
    }

    const int rows = g.bottom - g.top + 2;
    QImage strip(g.w, rows, QImage::Format_ARGB32_Premultiplied);
    for (int p = 0; p < g.w; ++p) {
        Premul body;
        Premul ends;
        for (unsigned char f : kept[std::size_t(p)].flags) {
            const QColor &c = f ? g.sound : g.silence;
            body.blend(c, cov.bodyRight);
            ends.blend(c, cov.endRight);
        }
        for (unsigned char f : kept[std::size_t(p) + 1].flags) {
            const QColor &c = f ? g.sound : g.silence;
            body.blend(c, cov.bodyLeft);
            ends.blend(c, cov.endLeft);
        }
        const QRgb bodyPixel = body.rgba();
        const QRgb endPixel = ends.rgba();
        for (int y = 0; y < rows; ++y)
            reinterpret_cast<QRgb *>(strip.scanLine(y))[p] = (y == 0 || y == rows - 1) ? endPixel : bodyPixel;
    }
    painter.drawImage(QPoint(0, g.top - 1), strip);
}

// Where the composed strip cannot stand in for the lines (a scaled painter or
// a strip without height), the last line of each column is drawn instead:
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

void paintWith(QPainter &painter, const Input &input, bool everySample)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    const Geometry g = geometry(painter, input);
    paintPhaseBars(painter, input, g);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::NoBrush);
    if (g.n > 0) {
        if (everySample || g.n <= std::size_t(std::max(g.w, 0)))
            drawSampleLines(painter, input, g, 0, g.n);
        else if (composedStripApplies(painter, g))
            paintComposedStrip(painter, input, g);
        else
            paintLastLinePerColumn(painter, input, g);
    }
    paintSecondTicks(painter, input, g);
}

} // namespace

std::vector<unsigned char> soundFlags(const std::vector<float> &levels, float threshold, std::size_t from,
                                      std::size_t to)
{
    const std::size_t n = levels.size();
    to = std::min(to, n);
    if (from >= to)
        return {};
    // Judge a margin of samples around the range too; a silent run that
    // reaches the edge of that margin is at least as long as the margin and
    // stays silent, and so does one that reaches the end of the record.
    const std::size_t lo = from >= shortGap ? from - shortGap : 0;
    const std::size_t hi = std::min(n, to + shortGap);
    std::vector<unsigned char> flags(hi - lo);
    for (std::size_t i = lo; i < hi; ++i)
        flags[i - lo] = levels[i] > threshold ? 1 : 0;
    std::size_t i = 0;
    const std::size_t len = flags.size();
    while (i < len) {
        if (flags[i]) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < len && !flags[j])
            ++j;
        const bool cutAtLeft = i == 0 && lo > 0;
        const bool reachesEnd = j == len;
        if (!cutAtLeft && !reachesEnd && j - i < shortGap)
            std::fill(flags.begin() + long(i), flags.begin() + long(j), 1);
        i = j;
    }
    return std::vector<unsigned char>(flags.begin() + long(from - lo), flags.begin() + long(to - lo));
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
    input.lightSilence = ui->disableAudioCheck->isChecked();
    input.splitsIndex = ui->splitsCombo->currentIndex();
    if (input.splitsIndex >= 1)
        input.onsets = findVoiceOnsets();
    input.elapsedMs = liveElapsedMs;
    timeline::paint(painter, input);
}

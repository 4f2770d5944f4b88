#include "display/statschart.h"

#include "app/cadenza.h"
#include "display/chartaxis.h"
#include "display/boxplot.h"
#include "display/chartrandom.h"
#include "stats/stats.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace statschart {

chartaxis::TimeAxis timeAxis(float largest)
{
    if (!(largest > 0.0f))
        return {};
    chartaxis::TimeAxis axis;
    axis.max = largest < 15.0f ? std::ceil(double(largest)) : std::ceil(double(largest) / 5.0) * 5.0;
    if (axis.max < 8.0) {
        axis.decimals = 1;
        axis.divisions = 2 * int(axis.max);
    } else if (axis.max < 20.0) {
        axis.divisions = int(axis.max);
    } else if (axis.max < 60.0) {
        axis.divisions = int(axis.max) / 2;
    } else {
        // Held below the int range before the conversion; bounded() widens
        // the steps of any axis that long anyway.
        axis.divisions = int(std::min(axis.max / 5.0, 1e9));
    }
    return chartaxis::bounded(axis, largest, 10.0);
}

QString averageText(const std::vector<float> &row)
{
    if (row.size() < 3)
        return QStringLiteral("-");
    const float average = trimmedAverage(row, false);
    if (average == 0.0f)
        return QStringLiteral("DNF");
    return QStringLiteral("%1").arg(double(average), 0, 'f', 2);
}

PeriodLists periodLists(const std::vector<float> &times, const std::vector<qint32> &penalties,
                        const std::vector<qint64> &dates)
{
    PeriodLists lists;
    const std::size_t n = std::min({times.size(), penalties.size(), dates.size()});
    if (n == 0)
        return lists;
    // A local calendar day is a contiguous range of instants, so "on or after
    // the reference day" is "at or after the first instant of that day": one
    // conversion for the reference instead of one per solve.
    const QDate referenceDay = QDateTime::fromSecsSinceEpoch(dates[n - 1]).date();
    const qint64 todayStart = referenceDay.startOfDay().toSecsSinceEpoch();
    const qint64 weekStart = referenceDay.addDays(-7).startOfDay().toSecsSinceEpoch();
    lists.all.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        float t = times[i] / 1000.0f;
        if (penalties[i] == PenaltyPlusTwo)
            t += 2.0f;
        else if (penalties[i] == PenaltyDnf)
            t = 0.0f;
        lists.all.push_back(t);
        if (dates[i] >= weekStart)
            lists.week.push_back(t);
        if (dates[i] >= todayStart)
            lists.today.push_back(t);
    }
    return lists;
}

namespace {

// Pixels a painted dot covers opaquely with its own fill, whatever lay under
// them: every corner of the pixel within this distance of the centre (the
// fill's radius is 5; the margin allows for the curve's flattening).
constexpr float opaqueReach = 4.8f;
// Pixels a dot may touch at all: those whose square reaches within this
// distance of the centre (the outline's outer edge lies at 5.5).
constexpr float touchReach = 5.6f;

// Bit per pixel: covered opaquely by a dot painted later.
class CoverMask
{
public:
    CoverMask(int w, int h) : w(w), h(h), words((w + 63) / 64), bits(std::size_t(words) * std::size_t(std::max(h, 0))) {}

    // Every pixel of the row span x0..x1 covered (pixels off the image count
    // as covered: nothing can be seen there).
    bool covered(int y, int x0, int x1) const
    {
        if (y < 0 || y >= h)
            return true;
        x0 = std::max(x0, 0);
        x1 = std::min(x1, w - 1);
        const std::uint64_t *row = &bits[std::size_t(y) * std::size_t(words)];
        while (x0 <= x1) {
            const int bit = x0 % 64;
            const int n = std::min(64 - bit, x1 - x0 + 1);
            const std::uint64_t want = (n == 64 ? ~std::uint64_t(0) : ((std::uint64_t(1) << n) - 1)) << bit;
            if ((row[x0 / 64] & want) != want)
                return false;
            x0 += n;
        }
        return true;
    }
    void cover(int y, int x0, int x1)
    {
        if (y < 0 || y >= h)
            return;
        x0 = std::max(x0, 0);
        x1 = std::min(x1, w - 1);
        std::uint64_t *row = &bits[std::size_t(y) * std::size_t(words)];
        while (x0 <= x1) {
            const int bit = x0 % 64;
            const int n = std::min(64 - bit, x1 - x0 + 1);
            row[x0 / 64] |= (n == 64 ? ~std::uint64_t(0) : ((std::uint64_t(1) << n) - 1)) << bit;
            x0 += n;
        }
    }

private:
    int w, h, words;
    std::vector<std::uint64_t> bits;
};

// Dots painted one by one cost a few microseconds each; past this many the
// stamps take over.
constexpr long stampAbove = 1500;
constexpr int stampSteps = 16; // positions per pixel
constexpr int stampSize = 14;
constexpr int stampCentre = 6; // the centre at (6 + fx, 6 + fy) within a stamp

bool stampingApplies(QPainter &painter)
{
    const QPaintDevice *device = painter.device();
    return device && device->devicePixelRatioF() == 1.0 && painter.worldTransform().type() == QTransform::TxNone
           && painter.compositionMode() == QPainter::CompositionMode_SourceOver && painter.opacity() == 1.0;
}

// A dot (red fill, black 1-pixel outline, radius 5) painted once for every
// sixteenth of a pixel of its centre, on demand, and stamped where needed.
class DotStamps
{
public:
    DotStamps() : stamps(std::size_t(stampSteps * stampSteps)) {}
    void draw(QPainter &painter, QPointF centre)
    {
        int ix = int(std::floor(centre.x()));
        int iy = int(std::floor(centre.y()));
        int fx = int(std::lround((centre.x() - ix) * stampSteps));
        int fy = int(std::lround((centre.y() - iy) * stampSteps));
        if (fx == stampSteps) {
            fx = 0;
            ++ix;
        }
        if (fy == stampSteps) {
            fy = 0;
            ++iy;
        }
        QImage &stamp = stamps[std::size_t(fy * stampSteps + fx)];
        if (stamp.isNull()) {
            stamp = QImage(stampSize, stampSize, QImage::Format_ARGB32_Premultiplied);
            stamp.fill(Qt::transparent);
            QPainter p(&stamp);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(QPen(QBrush(Qt::black), 1, Qt::SolidLine));
            p.setBrush(QBrush(Qt::red, Qt::SolidPattern));
            p.drawEllipse(QPointF(stampCentre + double(fx) / stampSteps, stampCentre + double(fy) / stampSteps), 5.0,
                          5.0);
        }
        painter.drawImage(QPoint(ix - stampCentre, iy - stampCentre), stamp);
    }

private:
    std::vector<QImage> stamps;
};

} // namespace

namespace {

// Row spans of the touched and the opaquely covered pixels of a dot, for
// centres within one 1/16 x 1/16 cell of a pixel: touched spans reach a
// little further and covered spans a little less far than for any centre in
// the cell, so the table holds for every centre in it. Rows run from
// floor(cy) - 7 to floor(cy) + 7, columns are relative to floor(cx); an
// empty span has from > to.
constexpr int spanCells = 16;
constexpr int spanRows = 15;
struct DotSpans
{
    int touchFrom[spanRows], touchTo[spanRows];
    int coverFrom[spanRows], coverTo[spanRows];
};

const std::vector<DotSpans> &dotSpans()
{
    static const std::vector<DotSpans> table = [] {
        std::vector<DotSpans> t(std::size_t(spanCells * spanCells));
        const float slack = 0.05f; // half a cell's diagonal, rounded up
        for (int qy = 0; qy < spanCells; ++qy)
            for (int qx = 0; qx < spanCells; ++qx) {
                DotSpans &d = t[std::size_t(qy * spanCells + qx)];
                const float cx = (float(qx) + 0.5f) / spanCells;
                const float cy = (float(qy) + 0.5f) / spanCells;
                const float touch = touchReach + slack;
                const float cover = opaqueReach - slack;
                for (int r = 0; r < spanRows; ++r) {
                    const float y = float(r - 7);
                    d.touchFrom[r] = 1;
                    d.touchTo[r] = 0;
                    d.coverFrom[r] = 1;
                    d.coverTo[r] = 0;
                    const float near = std::max(0.0f, std::max(y - cy, cy - (y + 1.0f)));
                    if (near < touch) {
                        const float dx = std::sqrt(touch * touch - near * near);
                        d.touchFrom[r] = int(std::floor(cx - dx));
                        d.touchTo[r] = int(std::floor(cx + dx));
                    }
                    const float far = std::max(std::abs(y - cy), std::abs(y + 1.0f - cy));
                    if (far <= cover) {
                        const float dx = std::sqrt(cover * cover - far * far);
                        d.coverFrom[r] = int(std::ceil(cx - dx));
                        d.coverTo[r] = int(std::floor(cx + dx)) - 1;
                    }
                }
            }
        return t;
    }();
    return table;
}

} // namespace

std::vector<unsigned char> visibleDots(const std::vector<QPointF> &centres, int w, int h)
{
    std::vector<unsigned char> visible(centres.size(), 0);
    if (w <= 0 || h <= 0)
        return visible;
    const std::vector<DotSpans> &spans = dotSpans();
    CoverMask mask(w, h);
    for (std::size_t k = centres.size(); k-- > 0;) {
        const double cx = centres[k].x();
        const double cy = centres[k].y();
        if (!std::isfinite(cx) || !std::isfinite(cy) || std::abs(cx) > 1e6 || std::abs(cy) > 1e6) {
            visible[k] = 1;
            continue;
        }
        const int ix = int(std::floor(cx));
        const int iy = int(std::floor(cy));
        const int qx = std::min(spanCells - 1, int((cx - ix) * spanCells));
        const int qy = std::min(spanCells - 1, int((cy - iy) * spanCells));
        const DotSpans &d = spans[std::size_t(qy * spanCells + qx)];
        bool hidden = true;
        for (int r = 0; r < spanRows && hidden; ++r)
            if (d.touchFrom[r] <= d.touchTo[r])
                hidden = mask.covered(iy + r - 7, ix + d.touchFrom[r], ix + d.touchTo[r]);
        if (hidden)
            continue;
        visible[k] = 1;
        for (int r = 0; r < spanRows; ++r)
            if (d.coverFrom[r] <= d.coverTo[r])
                mask.cover(iy + r - 7, ix + d.coverFrom[r], ix + d.coverTo[r]);
    }
    return visible;
}

void paint(QPainter &painter, const std::vector<float> &times, const std::vector<qint32> &penalties,
           const std::vector<qint64> &dates, Dots dotMode)
{
    chartaxis::beginChart(painter);
    const int w = painter.viewport().width();
    QFont font = painter.font();

    if (times.size() < 5)
        return;

    const PeriodLists lists = periodLists(times, penalties, dates);
    const std::vector<float> *rowLists[3] = {&lists.all, &lists.week, &lists.today};
    std::vector<float> summaries[3];
    for (int r = 0; r < 3; ++r)
        summaries[r] = boxStatistics(*rowLists[r], true);

    // Only finite times set the axis; a time that is not (which no reader
    // lets in) gets no dot.
    float largest = 0.0f;
    for (float t : lists.all)
        if (t > largest && std::isfinite(t))
            largest = t;
    const chartaxis::TimeAxis axis = timeAxis(largest);
    const float a = float(axis.max);
    const float span = float(w - 10);

    // An all-DNF session has an axis of length 0: no ticks and no dots then,
    // and the rows draw nothing but their captions and averages. Below the
    // axis the chart is h high, starting at y0.
    const int y0 = chartaxis::drawTimeAxis(painter, axis);
    const int h = painter.viewport().height() - y0;

    if (axis.max > 0.0) {
        ChartRandom random(0);
        const int top = h / 4 + 13;
        const float spread = float(h - top - 5);
        std::vector<QPointF> dots;
        dots.reserve(lists.all.size());
        for (std::size_t i = 0; i < lists.all.size(); ++i) {
            // Every time takes its number from the generator, shown or not,
            // so the dots keep their heights. A DNF has no time to place.
            const float t = lists.all[i];
            const float x = t / a * span + 5.0f;
            const float y = float(random.next()) / float(ChartRandom::RandMax) * spread + float(top + y0);
            // A negative time lies left of the axis, off the chart.
            if (penalties[i] != PenaltyDnf && x > -10.0f && x < float(w) + 10.0f)
                dots.emplace_back(x, y);
        }
        const std::vector<unsigned char> drawn = dotMode == Dots::Every ? std::vector<unsigned char>(dots.size(), 1)
                                                                         : visibleDots(dots, w, h + y0);
        const bool stamp = dotMode == Dots::Stamped && stampingApplies(painter)
                           && std::count(drawn.begin(), drawn.end(), 1) > stampAbove;
        DotStamps stamps;
        for (std::size_t i = 0; i < dots.size(); ++i) {
            if (!drawn[i])
                continue;
            if (stamp)
                stamps.draw(painter, dots[i]);
            else
                painter.drawEllipse(dots[i], 5.0, 5.0);
        }
    }

    // The captions at 9 pt, smaller when the rows lie closer than a line.
    const int rowStep = (h - 10) / 3;
    font.setPointSize(9);
    while (font.pointSizeF() > 5.0 && QFontMetrics(font).height() > rowStep)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    painter.setFont(font);
    const int fh = QFontMetrics(font).height();
    const int bh = h / 4;
    const int tops[3] = {y0 + 10, y0 + (h - 10) / 3 + 10, y0 + 2 * (h - 10) / 3 + 10};
    const QColor fills[3] = {QColor(Qt::lightGray), QColor(QStringLiteral("#60a0f0")), QColor(QStringLiteral("#f0a060"))};
    const QString captions[3] = {QStringLiteral("all solves"), QStringLiteral("this week"), QStringLiteral("today")};
    const int count = int(times.size());
    for (int r = 0; r < 3; ++r) {
        drawBoxPlot(painter, summaries[r], 0.0f, a, count, tops[r], bh, 5, Qt::black, fills[r]);
        if (r > 0)
            painter.setPen(QPen(QBrush(fills[r]), 1, Qt::SolidLine));
        painter.drawText(QPoint(5, tops[r] + QFontMetrics(font).ascent()), captions[r]);
        const QString value = averageText(*rowLists[r]);
        // The value sits in the last 30 pixels of the row; a value wider than
        // that (an average of 10 s or more in this font) widens its box to the
        // left instead of being clipped to its last digits, which would show
        // a wrong number.
        const int vw = std::max(30, QFontMetrics(font).horizontalAdvance(value) + 1);
        painter.drawText(QRect(w - vw, tops[r], vw, fh), Qt::AlignRight | Qt::AlignHCenter | Qt::AlignVCenter, value);
    }
}

} // namespace statschart

void Cadenza::paintStatsChart(QPainter &painter)
{
    statschart::paint(painter, times, penalties, dates);
}

#include "audio/windowfit.h"

#include <algorithm>
#include <cmath>

namespace windowfit {

namespace {

double clamp(double v, double lo, double hi)
{
    return std::max(lo, std::min(hi, v));
}

int clampRound(double v, int lo, int hi)
{
    return std::max(lo, std::min(hi, int(std::lround(v))));
}

// A text sized to its room keeps a little to spare: glyphs of a scaled font
// are not exactly scaled glyphs.
constexpr double spare = 0.96;

} // namespace

bool Fit::operator==(const Fit &o) const
{
    return compact == o.compact && margin == o.margin && spacing == o.spacing && rowMargin == o.rowMargin
           && clockPixels == o.clockPixels && captionScale == o.captionScale && scrambleScale == o.scrambleScale
           && statusScale == o.statusScale && statsScale == o.statsScale && pictureSticker == o.pictureSticker
           && audioHeight == o.audioHeight && timelineHeight == o.timelineHeight && chartHeight == o.chartHeight
           && startHeight == o.startHeight && historyHeight == o.historyHeight
           && audioControlsInRow == o.audioControlsInRow && clockColumn == o.clockColumn
           && figuresColumn == o.figuresColumn;
}

Fit formFit()
{
    return Fit();
}

bool formFits(QSize window, QSize formMinimum, const Measures &m, const Panels &p)
{
    // The form's side margins and the scramble picture's width and spacing.
    const double margins = 2 * 11 + 2;
    const double scramble = p.solves ? m.scrambleWidth + (p.picture ? 122 + 6 : 0) : 0.0;
    const double needed = std::max(scramble, m.statusWidth) + margins;
    return window.width() >= formMinimum.width() && window.height() >= formMinimum.height() && window.width() >= needed;
}

Fit compactFit(QSize window, const Measures &m, const Panels &p)
{
    const int w = std::max(window.width(), minimumWidth);
    const int h = std::max(window.height(), minimumHeight);
    Fit f;
    f.compact = true;
    f.margin = 4;
    f.spacing = 3;
    f.rowMargin = 3;
    f.audioControlsInRow = true;

    // Heights in proportion to the window's, between a least size that
    // still reads and the form's.
    f.audioHeight = clampRound(h * 0.09, 36, 80);
    f.timelineHeight = clampRound(h * 0.03, 12, 20);
    f.chartHeight = clampRound(h * 0.12, 48, 80);
    f.startHeight = clampRound(h * 0.07, 28, 60);
    f.historyHeight = 40;
    f.pictureSticker = clampRound(10.0 * h / 900.0, 5, 10);
    f.captionScale = clamp(h / 900.0, 0.6, 1.0);

    // The clock column beside the statistics, which share their width with
    // the history (the history gives way first: it scrolls sideways).
    const int usable = w - 2 * f.margin - 6;
    const int full = w - 2 * f.margin;
    if (p.solves) {
        f.clockColumn = int(std::lround(usable * clockShare / 100.0));
        f.figuresColumn = int(std::lround((usable - f.clockColumn - 6) * figuresShare / 100.0));
    }
    const int clockRoom = p.solves ? f.clockColumn : full;

    // The clock: its digits a tenth of the window's height (rounded up), as
    // long as its widest usual text fits its room.
    const double digits = std::ceil(std::min(0.1 * h, double(clockDigitsCap)));
    const int byHeight = int(std::ceil(digits / std::max(0.1, m.clockDigitHeight)));
    const double clockText = p.solves ? m.clockWidth : m.algClockWidth;
    const int byWidth = int(std::floor(clockRoom * spare / std::max(0.1, clockText)));
    f.clockPixels = std::max(1, std::min(byHeight, byWidth));

    const double byWindowHeight = clamp(h / 800.0, 0.6, 1.0);
    const int pictureWidth = p.picture ? 12 * f.pictureSticker + 2 + 6 : 0;
    f.scrambleScale = std::min(byWindowHeight, (full - pictureWidth) * spare / std::max(1.0, m.scrambleWidth));
    f.statusScale = std::min(clamp(h / 900.0, 0.4, 1.0), clockRoom * spare / std::max(1.0, m.statusWidth));
    f.statsScale = p.solves ? std::min(1.0, (f.figuresColumn - 2 * f.rowMargin) * spare / std::max(1.0, m.figuresWidth))
                            : 1.0;
    return f;
}

QSize initialSize(QSize preferred, QSize available, int frame)
{
    const QSize room(available.width(), available.height() - frame);
    return preferred.boundedTo(room).expandedTo(QSize(minimumWidth, minimumHeight));
}

QString scrambleOnOneLine(const QString &scramble)
{
    QString line = scramble;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

QStringList wrapWords(const QString &text, double width, const std::function<double(const QString &)> &widthOf)
{
    QStringList lines;
    QString line;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && widthOf(longer) > width) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << line;
    return lines;
}

} // namespace windowfit

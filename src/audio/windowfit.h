#ifndef CADENZA_WINDOWFIT_H
#define CADENZA_WINDOWFIT_H

#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

// How the window's parts share a window too small for the form as designed
// (a laptop screen, a scale factor). The clock keeps priority: its digits
// stay at least a tenth of the window's height. The statistics move beside
// the clock, under one scramble line across the window, and the parts that
// can give way do: the history list, the chart's height, the statistics
// font, the level graph. The scramble and the status lines take the font
// that fits their room. Everything here is number work on sizes in logical
// pixels; the window measures its fonts once and applies the result.
namespace windowfit {

// What the form's texts need at the form's own font sizes, measured from the
// fonts the window really gets (a family that is not installed is replaced).
struct Measures
{
    // Per pixel of the clock font's size: the height of its digits, the
    // width of "000.00" (a solve) and of "00.00 (00.00)" (an alg drill).
    double clockDigitHeight = 0.73;
    double clockWidth = 3.9;
    double algClockWidth = 7.6;
    // The widest scramble, in pixels at the form's size.
    double scrambleWidth = 700;
    // The widest status line under the clock, at the form's sizes.
    double statusWidth = 800;
    // The widest line of the statistics column, at the form's sizes.
    double figuresWidth = 430;
};

// What the window shows besides the clock.
struct Panels
{
    bool solves = true;   // Solves mode: scramble, statistics and history
    bool picture = false; // the scramble picture beside the scramble
};

struct Fit
{
    // False: the form as designed, every size and font as in the form.
    bool compact = false;
    // Margins of the window's rows and the space between them.
    int margin = -1; // -1: the style's
    int spacing = 6;
    int rowMargin = 11; // inside the mode row and the statistics column
    // Font sizes: the clock in pixels (0: the form's), the others as a
    // fraction of the form's point sizes.
    int clockPixels = 0;
    double captionScale = 1.0;
    double scrambleScale = 1.0;
    double statusScale = 1.0;
    double statsScale = 1.0;
    // The side of one sticker of the scramble picture.
    int pictureSticker = 10;
    // Minimum heights.
    int audioHeight = 80;
    int timelineHeight = 20;
    int chartHeight = 80;
    int startHeight = 60;
    int historyHeight = -1; // -1: the list's own
    // The level graph's controls in one row beside it instead of four.
    bool audioControlsInRow = false;
    // Widths, in a compact window, of the clock column and of the
    // statistics column beside the history (0: not set).
    int clockColumn = 0;
    int figuresColumn = 0;

    bool operator==(const Fit &o) const;
    bool operator!=(const Fit &o) const { return !(*this == o); }
};

// The form as designed.
Fit formFit();

// Whether the form as designed fits a window of this size: the form's own
// minimum (`formMinimum`, what its layout needs with the panels shown) and
// room for the widest scramble and status line, whose labels do not ask for
// their width.
bool formFits(QSize window, QSize formMinimum, const Measures &measures, const Panels &panels);

// The compact arrangement for a window of this size.
Fit compactFit(QSize window, const Measures &measures, const Panels &panels);

// The smallest window the compact arrangement is made for: it fits a
// 1024 x 600 screen at a scale factor of 1.25 with a desktop panel and a
// title bar.
constexpr int minimumWidth = 800;
constexpr int minimumHeight = 420;

// The clock's digits keep a tenth of the window's height, up to the tenth of
// a 720-pixel window.
constexpr int clockDigitsCap = 72;

// In a compact window the clock column takes this share of the width beside
// the statistics, and the statistics column this share of the rest beside
// the history, in hundredths.
constexpr int clockShare = 38;
constexpr int figuresShare = 64;

// The size the window opens at on a screen whose free area is `available`:
// `preferred` (what the form as designed needs), shrunk to the free area
// less `frame` (the window manager's title bar), never below the minimum.
QSize initialSize(QSize preferred, QSize available, int frame = 40);

// A long scramble (a Megaminx's seven lines, a 7x7x7's hundred moves) is
// shown on at most this many lines of the scramble's fitted font, in a
// smaller font when it needs more of them.
constexpr int scrambleLines = 2;

// The scramble as one line (a Megaminx's lines joined by spaces), for
// measuring and wrapping it at the label's width.
QString scrambleOnOneLine(const QString &scramble);

// `text` in lines no wider than `width`, each holding whole words (a move is
// never cut), as many as fit; a word wider than the line stands alone.
QStringList wrapWords(const QString &text, double width, const std::function<double(const QString &)> &widthOf);

} // namespace windowfit

#endif

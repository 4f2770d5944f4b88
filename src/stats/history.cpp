#include "stats/history.h"

#include "app/cadenza.h"
#include "ui_cadenza.h"

#include <QAbstractItemModel>
#include <QListWidget>
#include <QStyleOptionViewItem>
#include <QTextOption>
#include <QVarLengthArray>
#include <climits>
#include <cmath>

namespace {

// Writes the magnitude of `scaled` rounded to a whole number, halves away
// from zero (as QString::number rounds), with a decimal point before the last
// `decimals` digits, and a minus sign unless the result is zero. `scaled` must
// be exact: a float times 100 always is in double precision. Returns the
// length written into `text` (room for 24 characters), or 0 when the number
// is too large for this path.
int formatScaled(char *text, double scaled, int decimals)
{
    const double magnitude = std::fabs(scaled);
    if (!(magnitude < 9.0e15))
        return 0;
    const double whole = std::floor(magnitude);
    unsigned long long digits = static_cast<unsigned long long>(whole);
    if (magnitude - whole >= 0.5)
        ++digits;
    const bool negative = scaled < 0 && digits != 0;
    char reversed[24];
    int len = 0;
    for (int i = 0; i <= decimals || digits != 0; ++i) {
        if (i == decimals && decimals > 0)
            reversed[len++] = '.';
        reversed[len++] = char('0' + digits % 10);
        digits /= 10;
    }
    if (negative)
        reversed[len++] = '-';
    for (int i = 0; i < len; ++i)
        text[i] = reversed[len - 1 - i];
    return len;
}

// A row is written into one buffer and turned into a QString once.
class RowWriter
{
public:
    void add(char c) { buffer.append(QChar(QLatin1Char(c))); }
    void add(QLatin1String s)
    {
        for (char c : s)
            add(c);
    }
    void add(const QString &s) { buffer.append(s.constData(), s.size()); }
    void addSeconds(float ms)
    {
        const float seconds = ms / 1000.0f;
        char text[24];
        const int len = std::isfinite(seconds) ? formatScaled(text, double(seconds) * 100.0, 2) : 0;
        if (len > 0)
            addChars(text, len);
        else
            add(formatSeconds(ms));
    }
    void addFixed0(float value)
    {
        char text[24];
        const int len = std::isfinite(value) ? formatScaled(text, double(value), 0) : 0;
        if (len > 0)
            addChars(text, len);
        else
            add(formatFixed(double(value), 0));
    }
    // Six significant digits in general notation: plain digits below a
    // million, exponent notation above.
    void addCount(qint32 count)
    {
        char text[24];
        const int len = count > -1000000 && count < 1000000 ? formatScaled(text, double(count), 0) : 0;
        if (len > 0)
            addChars(text, len);
        else
            add(QString::number(double(count), 'g', 6));
    }
    QString text() const { return QString(buffer.constData(), buffer.size()); }

private:
    void addChars(const char *text, int len)
    {
        for (int i = 0; i < len; ++i)
            add(text[i]);
    }
    QVarLengthArray<QChar, 192> buffer;
};

QString rowText(const SessionView &session, int i, const QString &age)
{
    const std::size_t I = std::size_t(i);
    const qint32 penalty = session.penalties[I];
    const float time = session.times[I];
    RowWriter row;
    row.add(age);
    row.add(QLatin1String(": "));
    if (penalty == PenaltyDnf)
        row.add(QLatin1String("(DNF)"));
    else
        row.addSeconds(time);
    if (penalty == PenaltyPlusTwo)
        row.add(QLatin1String("(+2)"));
    row.add('\t');
    const std::vector<qint32> &solveSplits = session.splits[I];
    if (solveSplits.size() > 1) {
        row.add(QLatin1String("splits:"));
        for (qint32 s : solveSplits) {
            row.addSeconds(float(s));
            row.add(' ');
        }
        row.add('\t');
    }
    const PauseStats &pause = session.pauseStats[I];
    if (pause.idleFraction > 0.0f) {
        row.add(QLatin1String("pause: "));
        row.addSeconds(pause.idleFraction * time);
        row.add(QLatin1String(" ("));
        row.addFixed0(pause.idleFraction * 100.0f);
        row.add(QLatin1String("%) "));
        row.addCount(pause.pauseCount);
        row.add('x');
    }
    return row.text();
}

} // namespace

void appendSeconds(QString &out, float ms)
{
    const float seconds = ms / 1000.0f;
    char text[24];
    const int len = std::isfinite(seconds) ? formatScaled(text, double(seconds) * 100.0, 2) : 0;
    if (len > 0)
        out += QLatin1String(text, len);
    else if (!std::isfinite(seconds))
        out += QLatin1Char('-');
    else
        out += formatFixed(double(seconds), 2);
}

QString formatSeconds(float ms)
{
    QString text;
    appendSeconds(text, ms);
    return text;
}

QString formatFixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return QStringLiteral("-");
    QString text = QString::number(value, 'f', decimals);
    if (text.startsWith(QLatin1Char('-'))) {
        bool zero = true;
        for (int i = 1; i < text.size(); ++i)
            if (text[i] != QLatin1Char('0') && text[i] != QLatin1Char('.'))
                zero = false;
        if (zero)
            text.remove(0, 1);
    }
    return text;
}

static void appendFigures(QString &text, const SessionStats &stats, int first, int last)
{
    for (int k = first; k <= last; ++k) {
        const float v = stats[std::size_t(k)];
        if (v == 0.0f) {
            text += QLatin1String(" | -");
        } else {
            text += QLatin1String(" | ");
            appendSeconds(text, v);
        }
    }
}

QString statsAvgText(float newestTime, const SessionStats &stats)
{
    QString text = formatSeconds(newestTime);
    appendFigures(text, stats, CurrentAo5, CurrentAo1000);
    return text;
}

QString statsPBText(const SessionFigures &figures, const SessionStats &stats)
{
    QString text = figures.counted > 0 ? formatSeconds(figures.bestSingle) : QStringLiteral("-");
    appendFigures(text, stats, BestAo5, BestAo100);
    return text;
}

QString statsPauseText(const SessionFigures &figures)
{
    QString text;
    if (figures.counted > 0)
        text = QStringLiteral("Avg Pause: %1 sec (%2%, %3x)")
                   .arg(formatSeconds(figures.meanIdleFraction * figures.meanTime),
                        formatFixed(double(figures.meanIdleFraction * 100.0f), 0),
                        formatFixed(double(figures.meanPauseCount), 1));
    else
        text = QStringLiteral("Avg Pause: -");
    if (!figures.phaseAverages.empty()) {
        text += QLatin1String("\nSplits: ");
        for (std::size_t j = 0; j < figures.phaseAverages.size(); ++j) {
            if (j > 0)
                text += QLatin1String(" | ");
            if (figures.phaseAverages[j])
                appendSeconds(text, *figures.phaseAverages[j]);
            else
                text += QLatin1Char('-');
        }
    }
    return text;
}

QString ageText(qint64 days)
{
    if (days == 0)
        return QStringLiteral("today");
    if (days == 1)
        return QStringLiteral("yesterday");
    if (days < 7)
        return QStringLiteral("%1 days ago").arg(days);
    if (days < 14)
        return QStringLiteral("last week");
    return QStringLiteral("%1 weeks ago").arg(days / 7);
}

LocalDayCounter::LocalDayCounter(const QDateTime &now)
    : today(now.toLocalTime().date())
{
    dayStart = midnight(0);
    nextDayStart = midnight(-1);
}

qint64 LocalDayCounter::midnight(qint64 daysBack)
{
    const auto found = midnights.find(daysBack);
    if (found != midnights.end())
        return found->second;
    const qint64 secs = today.addDays(-daysBack).startOfDay(Qt::LocalTime).toSecsSinceEpoch();
    midnights.emplace(daysBack, secs);
    return secs;
}

qint64 LocalDayCounter::daysAgo(qint64 t)
{
    if (t >= dayStart && t < nextDayStart)
        return lastDays;
    const qint64 todayStart = midnight(0);
    // For days of 24 hours the count is ceil((todayStart - t) / 86400); a
    // daylight-saving change moves a midnight by an hour or two, so the guess
    // is off by one at most and is corrected against the real midnights.
    const double guess = std::ceil((double(todayStart) - double(t)) / 86400.0);
    // Dates more than a few centuries away (a corrupt file) get the plain
    // guess: local calendars are not defined that far.
    const double far = 100000.0;
    if (!(std::fabs(guess) < far))
        return qint64(std::max(-1.0e15, std::min(1.0e15, guess)));
    qint64 days = qint64(guess);
    while (t < midnight(days))
        ++days;
    while (t >= midnight(days - 1))
        --days;
    lastDays = days;
    dayStart = midnight(days);
    nextDayStart = midnight(days - 1);
    return days;
}

namespace {

bool sameSolve(const SessionView &session, int i, const SolveKey &key)
{
    const std::size_t I = std::size_t(i);
    return session.dates[I] == key.date && session.times[I] == key.time && session.scrambles[i] == key.scramble;
}

} // namespace

SolveKey solveKey(const SessionView &session, int index)
{
    SolveKey key{session.dates[std::size_t(index)], session.times[std::size_t(index)], session.scrambles[index], 0};
    for (int i = 0; i < index; ++i)
        key.alike += sameSolve(session, i, key) ? 1 : 0;
    return key;
}

int findSolve(const SessionView &session, const SolveKey &key)
{
    int alike = 0;
    for (int i = 0; i < session.size(); ++i)
        if (sameSolve(session, i, key) && alike++ == key.alike)
            return i;
    return -1;
}

QString historyRowText(const SessionView &session, int index, LocalDayCounter &days)
{
    return rowText(session, index, ageText(days.daysAgo(session.dates[std::size_t(index)])));
}

QStringList historyRowTexts(const SessionView &session, const QDateTime &now)
{
    const int n = session.size();
    QStringList rows;
    rows.reserve(n);
    LocalDayCounter days(now);
    qint64 ageDays = LLONG_MIN;
    QString age;
    for (int i = n - 1; i >= 0; --i) {
        const qint64 d = days.daysAgo(session.dates[std::size_t(i)]);
        if (d != ageDays) {
            ageDays = d;
            age = ageText(d);
        }
        rows.append(rowText(session, i, age));
    }
    return rows;
}

namespace {

// The history may hold a hundred thousand rows, and laying out each one to
// find its size takes seconds. Every row is one line in the list's font, so
// the list takes one size for all rows (with uniform sizes the view asks the
// last row for it). That row is given the size of the widest row, measured
// by the list's own delegate, so the horizontal scroll range is what
// measuring every row would give. The widest row is found from cheap
// per-character advances (tabs to the next multiple of the default tab
// stop), and the few widest candidates are measured.
void fitUniformRowSize(QListWidget *list, const QStringList &rows)
{
    if (!list->uniformItemSizes())
        list->setUniformItemSizes(true);
    const int lastRow = rows.size() - 1;
    if (rows.isEmpty() || !list->item(lastRow))
        return;

    // Advances in 1/64 pixel as integers: the sum over 100,000 rows is then
    // a few milliseconds.
    const QFontMetricsF metrics(list->font());
    qint64 advance[128];
    for (int c = 0; c < 128; ++c)
        advance[c] = qRound64(metrics.horizontalAdvance(QChar(c)) * 64);
    const qint64 tabStop = std::max<qint64>(1, qRound64(QTextOption().tabStopDistance() * 64));
    const int candidates = 4;
    int widest[candidates] = {-1, -1, -1, -1};
    qint64 widths[candidates] = {-1, -1, -1, -1};
    for (int r = 0; r < rows.size(); ++r) {
        const QString &row = rows[r];
        const ushort *c = row.utf16();
        const ushort *end = c + row.size();
        qint64 x = 0;
        for (; c != end; ++c) {
            const ushort u = *c;
            if (u == '\t')
                x = (x / tabStop + 1) * tabStop;
            else
                x += u < 128 ? advance[u] : qRound64(metrics.horizontalAdvance(QChar(u)) * 64);
        }
        if (x > widths[candidates - 1]) {
            int k = candidates - 1;
            while (k > 0 && x > widths[k - 1]) {
                widths[k] = widths[k - 1];
                widest[k] = widest[k - 1];
                --k;
            }
            widths[k] = x;
            widest[k] = r;
        }
    }

    QStyleOptionViewItem option;
    option.initFrom(list);
    option.widget = list;
    option.font = list->font();
    option.fontMetrics = list->fontMetrics();
    option.textElideMode = list->textElideMode();
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.decorationSize = list->iconSize();
    option.decorationPosition = QStyleOptionViewItem::Left;
    if (list->wordWrap())
        option.features = QStyleOptionViewItem::WrapText;
    QAbstractItemDelegate *delegate = list->itemDelegate();
    QAbstractItemModel *model = list->model();
    QSize size = delegate->sizeHint(option, model->index(lastRow, 0));
    for (int r : widest)
        if (r >= 0 && r != lastRow)
            size = size.expandedTo(delegate->sizeHint(option, model->index(r, 0)));
    list->item(lastRow)->setSizeHint(size);
}

} // namespace

void Cadenza::refitHistoryRows()
{
    QStringList rows;
    rows.reserve(ui->historyList->count());
    for (int r = 0; r < ui->historyList->count(); ++r)
        rows.append(ui->historyList->item(r)->text());
    fitUniformRowSize(ui->historyList, rows);
}

void Cadenza::updateHistory()
{
    QListWidget *list = ui->historyList;
    // How to start, until the first solve is stored.
    const bool hint = ui->modeSlider->value() == 0 && times.empty();
    if (ui->hintLabel->isHidden() == hint) {
        ui->hintLabel->setVisible(hint);
        fitToWindow();
    }
    if (times.empty()) {
        chosenSolve.reset();
        ui->statsLabel->clear();
        list->clear();
        // The scramble and its picture change with an empty session too.
        fitToWindow();
        fitScrambleText();
        repaint();
        return;
    }

    const SessionView session = sessionView();
    const SessionStats stats = computeSessionStats(times, penalties);
    const SessionFigures figures = computeSessionFigures(session, ui->splitsCombo->currentIndex());
    ui->statsAvgLabel->setText(statsAvgText(times.back(), stats));
    ui->statsPBLabel->setText(statsPBText(figures, stats));
    ui->statsLabel->setText(statsPauseText(figures));

    const QStringList rows = historyRowTexts(session, QDateTime::currentDateTime());
    const bool wasBlocked = list->blockSignals(true);
    list->clear();
    list->addItems(rows);
    fitUniformRowSize(list, rows);
    // The row of the solve chosen, wherever the change moved it.
    const int chosen = chosenSolve ? findSolve(session, *chosenSolve) : -1;
    if (chosen < 0)
        chosenSolve.reset();
    else
        list->setCurrentRow(session.size() - 1 - chosen);
    list->blockSignals(wasBlocked);
    list->repaint();

    fitToWindow();
    fitScrambleText();
    ui->scrambleLabel->repaint();
    repaint();
}

#include "app/cadenza.h"
#include "audio/windowfit.h"
#include "display/algchart.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QFontMetricsF>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QResizeEvent>
#include <QScreen>
#include <QWindow>

void Cadenza::updateModeLayout()
{
    const int mode = ui->modeSlider->value();
    const bool solves = mode == 0;

    followStackmatChoice();
    // A Stackmat's signal has no levels to draw and no pauses or splits; its
    // status line says whether it is heard.
    const bool stackmat = stackmatWanted();
    const bool showStats = solves && ui->showStatsCheck->isChecked();
    ui->audioWidget->setVisible(ui->showAudioCheck->isChecked() && !stackmat);
    ui->pauseLabel->setVisible(mode == 1 || !ui->disableAudioCheck->isChecked() || stackmat);
    ui->algsOptions->setVisible(mode == 1);
    ui->statsWidget->setVisible(solves);
    ui->scrambleWidget->setVisible(solves);
    ui->scrambleLabel->setVisible(solves);
    ui->sessionCombo->setVisible(solves);
    ui->scramblePicture->setVisible(solves && ui->actionShow_Scramble_Picture->isChecked());
    ui->splitLabel->setVisible(solves && ui->splitsCombo->currentIndex() != 0 && !stackmat);
    ui->statsDisplay->setVisible(showStats);
    ui->hintLabel->setVisible(solves && times.empty());

    // Fonts and heights follow the mode, the panels shown and the window's size.
    fitToWindow(true);
    updateStatusLines(0);
}

void Cadenza::on_modeSlider_valueChanged(int)
{
    updateModeLayout();
    updateHistory();
}

void Cadenza::on_splitsCombo_currentIndexChanged(int index)
{
    // Each session keeps its own splits choice.
    if (!sessionIndex.sessions.empty() && currentSessionEntry().splits != index) {
        sessionIndex.sessions[std::size_t(sessionIndex.current)].splits = index;
        writeSessionIndex();
    }
    updateModeLayout();
    updateHistory();
}

void Cadenza::on_showStatsCheck_stateChanged(int)
{
    updateModeLayout();
}

void Cadenza::on_disableAudioCheck_stateChanged(int)
{
    updateModeLayout();
}

void Cadenza::on_showAudioCheck_stateChanged(int)
{
    ui->audioWidget->setVisible(ui->showAudioCheck->isChecked() && !stackmatWanted());
    fitToWindow(true);
}

// The graph draws the thresholds as lines: show a change at once.
void Cadenza::on_silenceSpin_valueChanged(double)
{
    repaint();
}

void Cadenza::on_voiceSpin_valueChanged(double)
{
    repaint();
}

// ---- fitting the window's size ---------------------------------------------

namespace {

QFont scaled(QFont font, double scale)
{
    if (scale != 1.0)
        font.setPointSizeF(std::max(1.0, font.pointSizeF() * scale));
    return font;
}

QFont atPixels(QFont font, int pixels)
{
    font.setPixelSize(pixels);
    return font;
}

double widthOf(const QFont &font, const QString &text)
{
    double widest = 0.0;
    const QFontMetricsF metrics(font);
    for (const QString &line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// The widest scramble the generators make: 21 moves of the widest face
// letter and suffix.
double widestScramble(const QFont &font)
{
    const QFontMetricsF metrics(font);
    double move = 0.0;
    for (const char *face : {"R", "L", "U", "D", "F", "B"})
        for (const char *suffix : {"", "'", "2"})
            move = std::max(move, metrics.horizontalAdvance(QLatin1String(face) + QLatin1String(suffix)));
    return 21.0 * move + 20.0 * metrics.horizontalAdvance(QLatin1Char(' '));
}

// The texts of the form's labels that a compact window must still show whole.
windowfit::Measures measureForm(const Cadenza::FormLook &look, const Ui::Cadenza *ui)
{
    windowfit::Measures m;
    const QFont clock = atPixels(look.clock, 100);
    m.clockDigitHeight = QFontMetricsF(clock).tightBoundingRect(QStringLiteral("0123456789")).height() / 100.0;
    m.clockWidth = widthOf(clock, QStringLiteral("000.00")) / 100.0;
    m.algClockWidth = widthOf(clock, QStringLiteral("00.00 (00.00)")) / 100.0;
    m.scrambleWidth = widestScramble(look.scramble);
    m.statusWidth = std::max({widthOf(look.pause, QStringLiteral("Microphone unavailable during this solve")),
                              widthOf(look.pause, QStringLiteral("idle: 100% (10 pauses)")),
                              widthOf(look.pause, QStringLiteral("10 reps (avg: 10.00 \u00b1 10.00, top25%: 10.00)")),
                              widthOf(look.split, QStringLiteral("Splits: 10.00 | 10.00 | 10.00 | 10.00")),
                              widthOf(look.hint, ui->hintLabel->text())});
    const QString figures = QStringLiteral("00.00 | 00.00 | 00.00 | 00.00 | 00.00 | 00.00");
    for (const auto &label : look.stats)
        m.figuresWidth = std::max(m.figuresWidth, widthOf(label.second, label.first->text()));
    m.figuresWidth = std::max({m.figuresWidth, widthOf(ui->statsAvgLabel->font(), figures),
                               widthOf(ui->statsLabel->font(), QStringLiteral("Avg Pause: 10.00 sec (10%, 1.0x)\n"
                                                                               "Splits: 10.00 | 10.00 | 10.00 | 10.00"))});
    return m;
}

// Everything the form as designed needs room for, as shown now.
QString panelsShown(const Ui::Cadenza *ui, std::size_t algSequences)
{
    QString shown;
    for (const QWidget *w : std::initializer_list<const QWidget *>{ui->audioWidget, ui->scrambleWidget, ui->scramblePicture, ui->hintLabel, ui->pauseLabel,
                             ui->splitLabel, ui->algsOptions, ui->statsWidget, ui->statsDisplay, ui->statusBar})
        shown += w->isHidden() ? QLatin1Char('0') : QLatin1Char('1');
    if (ui->modeSlider->value() != 0)
        shown += QString::number(algSequences);
    return shown;
}

// The level graph's controls: four rows under each other beside the graph,
// or one row (check box, caption and spin box twice).
void arrangeAudioControls(Ui::Cadenza *ui, bool inRow)
{
    QGridLayout *grid = ui->gridLayout;
    const struct { QWidget *w; int row, col, colInRow; } cells[] = {
        {ui->disableAudioCheck, 1, 0, 0}, {ui->label_4, 1, 1, 1}, {ui->voiceSpin, 2, 1, 2},
        {ui->boostAudioCheck, 5, 0, 3},   {ui->label, 3, 1, 4},   {ui->silenceSpin, 5, 1, 5}};
    int row = -1, col = -1, rowSpan = 0, colSpan = 0;
    grid->getItemPosition(grid->indexOf(ui->voiceSpin), &row, &col, &rowSpan, &colSpan);
    if ((row == 0) == inRow)
        return;
    for (const auto &c : cells)
        grid->removeWidget(c.w);
    for (const auto &c : cells)
        grid->addWidget(c.w, inRow ? 0 : c.row, inRow ? c.colInRow : c.col);
    const Qt::Alignment caption = inRow ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignBottom | Qt::AlignHCenter;
    ui->label_4->setAlignment(caption);
    ui->label->setAlignment(caption);
}

// "show stats" under the statistics, or at the end of the copy buttons' row.
void arrangeStatsCheck(Ui::Cadenza *ui, bool inCopyRow)
{
    QCheckBox *check = ui->showStatsCheck;
    if ((check->parentWidget() == ui->widget_8) == inCopyRow)
        return;
    const bool shown = !check->isHidden();
    if (inCopyRow) {
        ui->verticalLayout_5->removeWidget(check);
        ui->horizontalLayout_7->addWidget(check);
    } else {
        ui->horizontalLayout_7->removeWidget(check);
        ui->verticalLayout_5->addWidget(check);
    }
    check->setVisible(shown);
}

// The statistics beside the clock under one scramble line (compact), or the
// form's rows: scramble and clock, then the statistics below.
void arrangeRows(Ui::Cadenza *ui, QHBoxLayout *&beside, bool wanted)
{
    QVBoxLayout *rows = ui->verticalLayout;
    if (wanted == (beside != nullptr))
        return;
    const bool scrambleShown = !ui->scrambleWidget->isHidden();
    if (wanted) {
        rows->removeWidget(ui->widget_2);
        rows->removeWidget(ui->statsWidget);
        ui->verticalLayout_2->removeWidget(ui->scrambleWidget);
        const int at = rows->indexOf(ui->audioWidget) + 1;
        rows->insertWidget(at, ui->scrambleWidget);
        beside = new QHBoxLayout;
        beside->setSpacing(6);
        rows->insertLayout(at + 1, beside, 1);
        beside->addWidget(ui->widget_2, windowfit::clockShare);
        beside->addWidget(ui->statsWidget, 100 - windowfit::clockShare);
    } else {
        beside->removeWidget(ui->widget_2);
        beside->removeWidget(ui->statsWidget);
        rows->removeItem(beside);
        delete beside;
        beside = nullptr;
        rows->removeWidget(ui->scrambleWidget);
        ui->verticalLayout_2->insertWidget(1, ui->scrambleWidget);
        rows->insertWidget(rows->indexOf(ui->audioWidget) + 1, ui->widget_2, 1);
        rows->insertWidget(rows->indexOf(ui->algsOptions) + 1, ui->statsWidget);
    }
    // A widget given a new parent is hidden until shown again.
    ui->scrambleWidget->setVisible(scrambleShown);
}

} // namespace

void Cadenza::captureFormLook()
{
    formLook.clock = ui->timerLabel->font();
    formLook.scramble = ui->scrambleLabel->font();
    formLook.hint = ui->hintLabel->font();
    formLook.pause = ui->pauseLabel->font();
    formLook.split = ui->splitLabel->font();
    for (QLabel *label : {ui->label_1, ui->statsAvgLabel, ui->label_6, ui->label_5, ui->statsPBLabel, ui->label_7,
                          ui->statsLabel})
        formLook.stats.emplace_back(label, label->font());
    int bottom = 0;
    ui->verticalLayout->getContentsMargins(&formLook.rowsLeft, &formLook.rowsTop, &formLook.rowsRight, &bottom);
    fitMeasures = measureForm(formLook, ui);
    // The lines under the clock take the width of their column, never more:
    // an unusually long text is cut rather than widening the window.
    for (QLabel *label : std::initializer_list<QLabel *>{ui->scrambleLabel, ui->timerLabel, ui->hintLabel, ui->pauseLabel, ui->splitLabel}) {
        QSizePolicy policy = label->sizePolicy();
        policy.setHorizontalPolicy(QSizePolicy::Ignored);
        label->setSizePolicy(policy);
    }
    setMinimumSize(windowfit::minimumWidth, windowfit::minimumHeight);
}

void Cadenza::applyFit(const windowfit::Fit &fit)
{
    appliedFit = fit;
    const bool solves = ui->modeSlider->value() == 0;

    arrangeRows(ui, besideRow, fit.compact);
    arrangeAudioControls(ui, fit.audioControlsInRow);
    arrangeStatsCheck(ui, fit.compact);
    // An empty tool bar is only a strip of handle.
    ui->mainToolBar->setVisible(!fit.compact || !ui->mainToolBar->actions().isEmpty());

    if (fit.margin < 0)
        ui->verticalLayout->setContentsMargins(formLook.rowsLeft, formLook.rowsTop, formLook.rowsRight, 0);
    else
        ui->verticalLayout->setContentsMargins(fit.margin, fit.margin, fit.margin, 0);
    ui->verticalLayout->setSpacing(fit.spacing);
    ui->verticalLayout_2->setSpacing(fit.compact ? 2 : 6);
    ui->horizontalLayout_7->setSpacing(fit.compact ? 3 : 6);
    const int m = fit.rowMargin;
    ui->horizontalLayout_5->setContentsMargins(m, m, m, m);
    ui->verticalLayout_5->setContentsMargins(m, m, m, m);
    ui->horizontalLayout_2->setStretch(0, fit.compact ? windowfit::figuresShare : 1);
    ui->horizontalLayout_2->setStretch(1, fit.compact ? 100 - windowfit::figuresShare : 1);
    ui->widget_2->setMinimumWidth(fit.clockColumn);

    // The mode captions: the current mode's big and bold.
    QFont big;
    big.setWeight(75);
    big.setPointSizeF(20 * fit.captionScale);
    QFont small;
    small.setPointSizeF(10 * std::max(0.9, fit.captionScale));
    ui->solveLabel->setFont(solves ? big : small);
    ui->algsLabel->setFont(solves ? small : big);

    ui->timerLabel->setFont(fit.clockPixels > 0 ? atPixels(formLook.clock, fit.clockPixels) : formLook.clock);
    ui->scrambleLabel->setFont(scaled(formLook.scramble, fit.scrambleScale));
    ui->hintLabel->setFont(scaled(formLook.hint, fit.statusScale));
    ui->pauseLabel->setFont(scaled(formLook.pause, fit.statusScale));
    ui->splitLabel->setFont(scaled(formLook.split, fit.statusScale));
    for (const auto &label : formLook.stats)
        label.first->setFont(scaled(label.second, fit.statsScale));
    // The form's two empty lines between the figures are air a compact window lacks.
    ui->label_6->setVisible(!fit.compact);
    ui->label_7->setVisible(!fit.compact);

    // The statistics' and the history's buttons and lists: a smaller font in
    // a compact window, and buttons as narrow as their texts allow (the
    // style would keep each at least 80 pixels wide).
    QFont controls = QApplication::font();
    controls.setPointSizeF(std::min(controls.pointSizeF(), 9.0));
    const QFont historyFont = ui->historyList->font();
    ui->historyList->setFont(fit.compact ? controls : QFont());
    if (ui->historyList->font() != historyFont)
        refitHistoryRows();
    for (QPushButton *button : {ui->clipboardAO5Button, ui->clipboardAO12Button, ui->clipboardButton, ui->removeButton,
                                ui->plusTwoButton, ui->dnfButton}) {
        button->setFont(fit.compact ? controls : QFont());
        int narrowest = 0;
        if (fit.compact) {
            QStyleOptionButton option;
            option.initFrom(button);
            const int edge = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button)
                             + button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
            narrowest = QFontMetrics(controls).horizontalAdvance(button->text()) + 2 * edge + 4;
        }
        button->setMinimumWidth(narrowest);
    }

    const int side = fit.pictureSticker;
    ui->scramblePicture->setFixedSize(12 * side + 2, 9 * side + 2);
    ui->audioWidget->setMinimumHeight(std::max(fit.audioHeight, ui->gridLayout->totalMinimumSize().height()));
    ui->timerDisplay->setMinimumHeight(solves ? fit.timelineHeight : algchart::heightFor(algSequences.size()));
    ui->statsDisplay->setMinimumHeight(ui->statsDisplay->isHidden() ? 0 : fit.chartHeight);
    ui->startButton->setMinimumHeight(fit.startHeight);
    ui->historyList->setMinimumHeight(std::max(0, fit.historyHeight));
    fitScrambleText();
}

void Cadenza::fitToWindow(bool force)
{
    if (!ui)
        return;
    // What the form as designed needs is measured on the form itself, once
    // for each set of panels shown.
    // A scramble longer than the 21 moves the form is made for takes a
    // second line: the form's minimum is measured with it too.
    const bool longScramble = !ui->scrambleWidget->isHidden()
                              && widthOf(formLook.scramble, windowfit::scrambleOnOneLine(currentScramble))
                                     > fitMeasures.scrambleWidth + 1.0;
    const QString shown = panelsShown(ui, algSequences.size()) + (longScramble ? QLatin1Char('L') : QLatin1Char('S'));
    if (shown != formMinimumPanels) {
        applyFit(windowfit::formFit());
        for (QWidget *w : ui->centralWidget->findChildren<QWidget *>())
            if (w->layout())
                w->updateGeometry();
        ui->centralWidget->updateGeometry();
        formMinimum = minimumSizeHint();
        formMinimumPanels = shown;
        force = true;
    }
    const windowfit::Panels panels{ui->modeSlider->value() == 0, !ui->scramblePicture->isHidden()};
    const windowfit::Fit fit = windowfit::formFits(size(), formMinimum, fitMeasures, panels)
                                   ? windowfit::formFit()
                                   : windowfit::compactFit(size(), fitMeasures, panels);
    if (force || fit != appliedFit)
        applyFit(fit);
}

void Cadenza::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    fitToWindow();
    fitScrambleText();
}

void Cadenza::fitScrambleText()
{
    QLabel *label = ui->scrambleLabel;
    const QString text = windowfit::scrambleOnOneLine(currentScramble);
    if (formLook.stats.empty()) { // the form's look is not taken yet
        label->setText(text);
        return;
    }
    const QFont fitted = scaled(formLook.scramble, appliedFit.scrambleScale);
    // The room: the row beside the picture, and two lines of the fitted
    // font (the rows around it are laid out for one).
    int width = ui->scrambleWidget->width() - 2 * label->margin();
    if (!ui->scramblePicture->isHidden())
        width -= ui->scramblePicture->width() + ui->scrambleRow->spacing();
    if (width <= 0)
        width = this->width() - 40;
    const int room = windowfit::scrambleLines * QFontMetrics(fitted).lineSpacing();
    QFont font = fitted;
    QStringList lines{text};
    if (QFontMetricsF(fitted).horizontalAdvance(text) > width) {
        // Whole moves to a line, in a font a little smaller each time, until
        // the lines fit the room.
        const double full = fitted.pointSizeF() > 0 ? fitted.pointSizeF() : 12.0;
        for (double size = full; size >= 6.0; size -= full / 20) {
            font.setPointSizeF(size);
            const QFontMetricsF metrics(font);
            lines = windowfit::wrapWords(text, width, [&metrics](const QString &s) { return metrics.horizontalAdvance(s); });
            if (lines.size() * QFontMetrics(font).lineSpacing() <= room)
                break;
        }
    }
    if (label->font() != font)
        label->setFont(font);
    label->setText(lines.join(QLatin1Char('\n')));
    label->setMinimumHeight(lines.size() > 1 ? lines.size() * QFontMetrics(font).lineSpacing() : 0);
}

// The first show fits the window to the screen's free area.
void Cadenza::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (shownBefore || event->spontaneous())
        return;
    shownBefore = true;
    if (const QScreen *screen = this->screen())
        resize(windowfit::initialSize(size(), screen->availableGeometry().size()));
}

#include "app/cadenza.h"
#include "audio/audiolevelsiodevice.h"
#include "ui_cadenza.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QPainter>

// The start/stop state machine, the 10 ms refresh tick and the session edits.

void Cadenza::startRun()
{
    solveClock.start();
    if (ui->modeSlider->value() == 0) {
        levels.clear();
        levelTimes.clear();
    }
    running = true;
    ui->startButton->setText(tr("Stop"));
    ui->startButton->repaint();
}

void Cadenza::stopRun(qint32 t)
{
    running = false;
    updateStatusLines(t);
    if (ui->modeSlider->value() == 0) {
        times.push_back(float(t));
        pauseStats.push_back(computePauseStats());
        splits.push_back(ui->splitsCombo->currentIndex() != 0 ? computeSplitTimes() : std::vector<qint32>());
        scrambles.append(currentScramble);
        dates.push_back(QDateTime::currentSecsSinceEpoch());
        penalties.push_back(0);
    }
    ui->startButton->setText(tr("Start"));
    ui->startButton->repaint();
    currentScramble = generateScramble();
    updateHistory();
}

void Cadenza::resolvePendingStop() {}

void Cadenza::on_startButton_clicked()
{
    if (!running)
        startRun();
    else
        stopRun(qint32(solveClock.elapsed()));
}

bool Cadenza::eventFilter(QObject *watched, QEvent *event)
{
    if (!ui)
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::Paint) {
        if (watched == ui->audioGraph) {
            paintAudioGraph();
            return true;
        }
        if (watched == ui->timerDisplay) {
            if (ui->modeSlider->value() != 0)
                paintAlgChart();
            else
                paintSolveTimeline();
            return true;
        }
        if (watched == ui->statsDisplay) {
            QPainter painter(ui->statsDisplay);
            paintStatsChart(painter);
            painter.end();
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            if (running) {
                running = false;
                ui->startButton->setText(tr("Start"));
                ui->startButton->repaint();
                updateStatusLines(0);
                currentScramble = generateScramble();
                updateHistory();
            }
            return true;
        }
        if (running) {
            on_startButton_clicked();
            keyClock.start();
        }
        return true;
    }
    if (event->type() == QEvent::KeyRelease) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (running) {
            on_startButton_clicked();
            keyClock.start();
            return true;
        }
        if (key->key() == Qt::Key_Space && keyClock.elapsed() >= 700) {
            on_startButton_clicked();
            keyClock.start();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Cadenza::timerEvent(QTimerEvent *)
{
    if (!ui)
        return;
    if (running) {
        const qint32 t = qint32(solveClock.elapsed());
        levels.push_back(audioDevice ? float(audioDevice->currentLevel) : 0.0f);
        levelTimes.push_back(t);
        updateStatusLines(t);
    }
    ui->audioGraph->repaint();
}

static int selectedIndex(int currentRow, int n)
{
    return currentRow < 0 ? n - 1 : n - 1 - currentRow;
}

void Cadenza::on_plusTwoButton_clicked()
{
    if (running)
        return;
    const int n = int(times.size());
    const int i = selectedIndex(ui->historyList->currentRow(), n);
    if (i < 0 || i >= n)
        return;
    penalties[i] = penalties[i] == PenaltyPlusTwo ? PenaltyNone : PenaltyPlusTwo;
    updateHistory();
}

void Cadenza::on_dnfButton_clicked()
{
    if (running)
        return;
    const int n = int(times.size());
    const int i = selectedIndex(ui->historyList->currentRow(), n);
    if (i < 0 || i >= n)
        return;
    penalties[i] = penalties[i] == PenaltyDnf ? PenaltyNone : PenaltyDnf;
    updateHistory();
}

void Cadenza::on_removeButton_clicked()
{
    const int n = int(times.size());
    const int r = ui->historyList->currentRow();
    if (r < 0 || r >= n)
        return;
    const int i = n - 1 - r;
    times.erase(times.begin() + i);
    dates.erase(dates.begin() + i);
    pauseStats.erase(pauseStats.begin() + i);
    splits.erase(splits.begin() + i);
    scrambles.removeAt(i);
    penalties.erase(penalties.begin() + i);
    updateHistory();
}

void Cadenza::on_actionClear_Times_triggered()
{
    times.clear();
    dates.clear();
    pauseStats.clear();
    splits.clear();
    scrambles.clear();
    penalties.clear();
    updateHistory();
}

void Cadenza::on_clearButton_clicked()
{
    levels.clear();
    levelTimes.clear();
    updateHistory();
}

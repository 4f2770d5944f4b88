#ifndef CADENZA_CALIBRATIONDIALOG_H
#define CADENZA_CALIBRATIONDIALOG_H

#include "audio/calibration.h"

#include <QDialog>
#include <QTimer>
#include <QtNumeric>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// "Calibrate Microphone": listens to the current input and takes the user
// through three steps (stay quiet, turn fast, say five words when asked), then
// shows the thresholds calibration::propose finds, or plainly why there are
// none. Apply accepts the dialog; the window then sets the spin boxes.
class CalibrationDialog : public QDialog
{
    Q_OBJECT

public:
    // level() is read every 10 ms: the current level, NaN without capture.
    // `fine`: the levels are fine ones (levels::fineFormat).
    CalibrationDialog(std::function<double()> level, QWidget *parent, bool fine = false);

    // The steps, in 10 ms samples. The first part of the quiet and the turning
    // is left out of the records: the user is still reacting to the text.
    static constexpr int quietSamples = 300, quietSkip = 50;
    static constexpr int turningSamples = 600, turningSkip = 100;
    static constexpr int readySamples = 100;
    static constexpr int wordSamples = 150, wordsAsked = 5, tailSamples = 100;
    static const char *const askedWords[wordsAsked];

    // Takes one sample of level(); the timer calls it every 10 ms.
    void tick() { takeSample(float(level ? level() : qQNaN())); }
    void takeSample(float level);
    // Starts again from the quiet step, and listens.
    void restart();
    // Back to the start of the quiet step, without listening: a test then
    // calls tick() itself.
    void reset();

    bool finished() const { return done; }
    const calibration::Proposal &proposal() const { return result; }

    QLabel *instructions = nullptr;
    QProgressBar *levelBar = nullptr;
    QLabel *resultLabel = nullptr;
    QPushButton *applyButton = nullptr;
    QPushButton *againButton = nullptr;

private:
    void setInstructions(const QString &text);
    void finish();

    std::function<double()> level;
    bool fine = false;
    QTimer ticker;
    int sample = 0;
    bool heardNothing = true; // every level so far was NaN: no capture
    bool done = false;
    calibration::Records records;
    calibration::Proposal result;
};

#endif

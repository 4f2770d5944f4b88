#include "audio/calibrationdialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

const char *const CalibrationDialog::askedWords[wordsAsked] = {"next", "okay", "stop", "done", "cross"};

namespace {

QString translated(const char *s)
{
    return QCoreApplication::translate("Cadenza", s);
}

// The bar shows the level on a logarithmic scale, so that a quiet voice moves
// it as visibly as a loud one: 0 at silence, 1000 at full scale (100).
int barValue(float level)
{
    if (!(level > 0.0f))
        return 0;
    return int(std::lround(1000.0 * std::log10(1.0 + double(std::min(level, 100.0f))) / std::log10(101.0)));
}

} // namespace

CalibrationDialog::CalibrationDialog(std::function<double()> levelSource, QWidget *parent, bool fineLevels)
    : QDialog(parent)
    , level(std::move(levelSource))
    , fine(fineLevels)
{
    setWindowTitle(translated("Calibrate Microphone"));
    setObjectName(QStringLiteral("calibrationDialog"));
    auto *layout = new QVBoxLayout(this);

    instructions = new QLabel(this);
    instructions->setObjectName(QStringLiteral("instructionsLabel"));
    instructions->setWordWrap(true);
    instructions->setMinimumWidth(420);
    // A label with an accessible name exposes no text of its own: its
    // description carries the step for a screen reader.
    instructions->setAccessibleName(translated("Instructions"));
    QFont big = instructions->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    instructions->setFont(big);
    layout->addWidget(instructions);

    levelBar = new QProgressBar(this);
    levelBar->setObjectName(QStringLiteral("levelBar"));
    levelBar->setAccessibleName(translated("Level"));
    levelBar->setRange(0, 1000);
    levelBar->setTextVisible(false);
    layout->addWidget(levelBar);

    resultLabel = new QLabel(this);
    resultLabel->setObjectName(QStringLiteral("resultLabel"));
    resultLabel->setWordWrap(true);
    resultLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(resultLabel);

    auto *buttons = new QDialogButtonBox(this);
    applyButton = buttons->addButton(QDialogButtonBox::Apply);
    againButton = buttons->addButton(translated("Calibrate Again"), QDialogButtonBox::ResetRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(applyButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(againButton, &QPushButton::clicked, this, &CalibrationDialog::restart);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    ticker.setTimerType(Qt::PreciseTimer);
    connect(&ticker, &QTimer::timeout, this, &CalibrationDialog::tick);
    restart();
}

void CalibrationDialog::setInstructions(const QString &text)
{
    instructions->setText(text);
    instructions->setAccessibleDescription(text);
}

void CalibrationDialog::restart()
{
    reset();
    ticker.start(10);
}

void CalibrationDialog::reset()
{
    ticker.stop();
    sample = 0;
    done = false;
    heardNothing = true;
    records = calibration::Records();
    records.wordsAsked = wordsAsked;
    records.fine = fine;
    result = calibration::Proposal();
    applyButton->setEnabled(false);
    againButton->setEnabled(false);
    resultLabel->clear();
    levelBar->setValue(0);
    setInstructions(translated("Stay quiet: Cadenza listens to the room for a few seconds."));
}

void CalibrationDialog::takeSample(float x)
{
    if (done)
        return;
    levelBar->setValue(barValue(x));
    heardNothing = heardNothing && std::isnan(x);
    const int turningFrom = quietSamples, readyFrom = turningFrom + turningSamples, wordsFrom = readyFrom + readySamples;
    const int end = wordsFrom + wordsAsked * wordSamples + tailSamples;
    const int n = sample++;
    if (n < turningFrom) {
        if (n >= quietSkip)
            records.quiet.push_back(x);
    } else if (n < readyFrom) {
        if (n == turningFrom)
            setInstructions(translated("Turn the cube as fast as in a solve, and keep turning until this text changes."));
        if (n >= turningFrom + turningSkip)
            records.turning.push_back(x);
    } else if (n < wordsFrom) {
        if (n == readyFrom)
            setInstructions(translated("Stop turning. Next, say each word when asked, as you would in a solve."));
    } else {
        const int k = (n - wordsFrom) / wordSamples;
        if ((n - wordsFrom) % wordSamples == 0 && k < wordsAsked)
            setInstructions(translated("Say \"%1\" now (%2 of %3)").arg(QLatin1String(askedWords[k])).arg(k + 1).arg(wordsAsked));
        records.voice.push_back(x);
    }
    if (sample >= end)
        finish();
}

void CalibrationDialog::finish()
{
    ticker.stop();
    done = true;
    result = calibration::propose(records);
    const bool ready = result.outcome == calibration::Proposal::Ready;
    QString text = calibration::describe(result);
    if (heardNothing)
        text = translated("No sound reached Cadenza: there is no working microphone input. Choose one with Settings, "
                  "Select Audio Input, then calibrate again. Nothing was changed.");
    setInstructions(ready ? translated("Done. Apply sets these thresholds; Cancel keeps yours.")
                          : translated("Done, but no thresholds can be proposed."));
    resultLabel->setText(text);
    applyButton->setEnabled(ready && !heardNothing);
    againButton->setEnabled(true);
}

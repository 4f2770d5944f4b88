#include "app/cadenza.h"
#include "audio/audiolevelsiodevice.h"
#include "audio/calibrationdialog.h"
#include "audio/levels.h"
#include "ui_cadenza.h"

#include <QAudioInput>
#include <QtMath>

// Settings, Calibrate Microphone: the dialog listens to the capture as the
// refresh tick does; Apply sets the thresholds and the boost as if typed.
// It measures with fine levels where the device gives them, so capture runs
// in that format while it is open; Apply keeps the format the thresholds were
// measured with (and the choice is stored), Cancel and Escape go back to the
// one before. Capture is never restarted during a solve: the dialog does not
// open then.
void Cadenza::on_actionCalibrate_Microphone_triggered()
{
    if (timerTakesAllKeys()) {
        ui->statusBar->showMessage(tr("A solve is under way: calibrate the microphone after it."), 5000);
        return;
    }
    const bool fineBefore = fineLevels;
    fineLevels = true;
    followFineLevels();
    const bool fine = audioInput && levels::givesFineLevels(audioInput->format());
    CalibrationDialog dialog([this] { return audioDevice ? audioDevice->currentLevel : qQNaN(); }, this, fine);
    const bool applied = dialog.exec() == QDialog::Accepted && dialog.proposal().outcome == calibration::Proposal::Ready;
    fineLevels = applied ? fine : fineBefore;
    followFineLevels();
    if (!applied)
        return;
    const calibration::Proposal &p = dialog.proposal();
    ui->boostAudioCheck->setChecked(p.boost);
    ui->voiceSpin->setValue(p.voice);
    ui->silenceSpin->setValue(p.silence);
}

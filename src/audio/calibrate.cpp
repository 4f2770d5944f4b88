#include "app/cadenza.h"
#include "audio/audiolevelsiodevice.h"
#include "audio/calibrationdialog.h"
#include "ui_cadenza.h"

#include <QtMath>

// Settings, Calibrate Microphone: the dialog listens to the capture as the
// refresh tick does; Apply sets the thresholds and the boost as if typed.
void Cadenza::on_actionCalibrate_Microphone_triggered()
{
    CalibrationDialog dialog([this] { return audioDevice ? audioDevice->currentLevel : qQNaN(); }, this);
    if (dialog.exec() != QDialog::Accepted || dialog.proposal().outcome != calibration::Proposal::Ready)
        return;
    const calibration::Proposal &p = dialog.proposal();
    ui->boostAudioCheck->setChecked(p.boost);
    ui->voiceSpin->setValue(p.voice);
    ui->silenceSpin->setValue(p.silence);
}

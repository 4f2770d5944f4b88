#include "app/cadenza.h"
#include "audio/audiolevelsiodevice.h"

#include <QAudioDeviceInfo>
#include <QAudioInput>

bool Cadenza::startCapture(const QAudioDeviceInfo &)
{
    return false;
}

void Cadenza::stopCapture()
{
    if (audioInput)
        audioInput->stop();
    if (audioDevice)
        audioDevice->close();
}

void Cadenza::selectInitialInputDevice(const QString &storedDevice, bool hasStored)
{
    if (hasStored)
        currentDevice = storedDevice;
}

void Cadenza::on_actionAudio_Input_triggered() {}

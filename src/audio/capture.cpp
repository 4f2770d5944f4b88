#include "app/cadenza.h"
#include "audio/audiolevelsiodevice.h"
#include "audio/devicechoice.h"
#include "audio/levels.h"

#include <QAudioDeviceInfo>
#include <QAudioFormat>
#include <QAudioInput>
#include <QInputDialog>

namespace {

// A device is usable when it reports something in each of its capability lists.
bool isUsable(const QAudioDeviceInfo &d)
{
    return devicechoice::usable(d.isNull(), d.supportedSampleRates().size(), d.supportedChannelCounts().size(),
                                d.supportedSampleSizes().size(), d.supportedCodecs().size());
}

// The format capture runs with. On the usual backends the first entries give
// 8000 Hz unsigned 8-bit mono, which the level sink reads byte by byte. A
// device that rejects the built format (16-bit unsigned, for one, is accepted
// by the input and then delivers nothing) gets its nearest format instead.
QAudioFormat negotiatedFormat(const QAudioDeviceInfo &d)
{
    const QAudioFormat built = levels::firstEntriesFormat(d.supportedSampleRates(), d.supportedChannelCounts(),
                                                          d.supportedSampleSizes(), d.supportedCodecs());
    const bool supported = d.isFormatSupported(built);
    return levels::captureFormat(built, supported, supported ? built : d.nearestFormat(built));
}

} // namespace

// Starts capture from the device into a fresh level sink. Returns false (and
// leaves no capture behind) when the device is unusable or the input fails
// at once.
bool Cadenza::startCapture(const QAudioDeviceInfo &device)
{
    if (!isUsable(device))
        return false;
    const QAudioFormat format = negotiatedFormat(device);

    audioInput = new QAudioInput(device, format, this);
    // About 10 ms of audio per block, so the level is fresh on every tick;
    // never fewer than one sampled frame group.
    const int bytes10ms = format.bytesForDuration(10000);
    const int minimum = levels::frameStride * qMax(1, format.bytesPerFrame());
    audioInput->setBufferSize(qMax(bytes10ms, minimum));

    audioDevice = new AudioLevelsIODevice(this);
    audioDevice->format = levels::sampleFormatOf(format);
    audioDevice->open(QIODevice::WriteOnly);

    // A capture that stops with an error (the audio server went away, the
    // device was unplugged) is dropped: the tick then records silence, the
    // graph shows no curve, and a later switch can start capture again.
    QAudioInput *input = audioInput;
    connect(input, &QAudioInput::stateChanged, this, [this, input](QAudio::State state) {
        if (state == QAudio::StoppedState && input->error() != QAudio::NoError && input == audioInput)
            dropCapture();
    });

    audioInput->start(audioDevice);
    if (audioInput && audioInput->state() == QAudio::StoppedState && audioInput->error() != QAudio::NoError) {
        dropCapture();
        return false;
    }
    return audioInput != nullptr;
}

// Forgets the current capture without waiting: safe inside the input's own
// signal, since both objects are deleted later from the event loop, the input
// first.
void Cadenza::dropCapture()
{
    QAudioInput *input = audioInput;
    AudioLevelsIODevice *sink = audioDevice;
    audioInput = nullptr;
    audioDevice = nullptr;
    if (input) {
        input->disconnect(this);
        input->deleteLater();
    }
    if (sink) {
        sink->close();
        sink->deleteLater();
    }
}

void Cadenza::stopCapture()
{
    if (audioInput) {
        audioInput->disconnect(this);
        audioInput->stop();
    }
    if (audioDevice)
        audioDevice->close();
}

void Cadenza::selectInitialInputDevice(const QString &storedDevice, bool hasStored)
{
    QAudioDeviceInfo d = QAudioDeviceInfo::defaultInputDevice();
    if (hasStored)
        currentDevice = storedDevice;
    if (!currentDevice.isEmpty()) {
        const auto devices = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
        QStringList names;
        for (const QAudioDeviceInfo &candidate : devices)
            names << candidate.deviceName();
        const int index = devicechoice::startIndex(names, currentDevice);
        if (index >= 0)
            d = devices.at(index);
    }
    if (!isUsable(d)) {
        currentDevice.clear();
        return;
    }
    // A device that fails to start leaves no capture; the remembered name is
    // kept for the next start.
    startCapture(d);
}

void Cadenza::on_actionAudio_Input_triggered()
{
    const auto devices = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
    if (devices.isEmpty())
        return;
    QStringList names;
    for (const QAudioDeviceInfo &d : devices)
        names << d.deviceName();
    const int preselected = devicechoice::preselected(names, currentDevice);

    bool ok = false;
    const QString chosen = QInputDialog::getItem(this, tr("Select input device"), tr("Select/switch input device"),
                                                 names, preselected, false, &ok);
    if (!ok)
        return;
    const int index = devicechoice::chosenIndex(names, chosen);
    if (index < 0)
        return;
    const QAudioDeviceInfo d = devices.at(index);
    if (!isUsable(d))
        return;

    // The old capture ends before the new one begins, in one go: the input
    // first, so no block can reach a deleted sink. Without a capture (none at start-up, or one
    // that failed) the chosen device simply starts one.
    if (audioInput) {
        audioInput->disconnect(this);
        delete audioInput;
        audioInput = nullptr;
    }
    if (audioDevice) {
        audioDevice->close();
        delete audioDevice;
        audioDevice = nullptr;
    }
    if (startCapture(d))
        currentDevice = d.deviceName();
}

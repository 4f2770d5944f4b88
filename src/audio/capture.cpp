#include "app/cadenza.h"
#include "audio/audiolevelsiodevice.h"
#include "audio/devicechoice.h"
#include "audio/capturerestart.h"
#include "audio/levels.h"
#include "audio/statustext.h"

#include <QAudioDeviceInfo>
#include <QAudioFormat>
#include <QAudioInput>
#include <QInputDialog>
#include <QMessageBox>

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
// With `fine`, 16-bit signed samples at that rate, where the device takes them.
QAudioFormat negotiatedFormat(const QAudioDeviceInfo &d, bool fine)
{
    const QAudioFormat built = levels::firstEntriesFormat(d.supportedSampleRates(), d.supportedChannelCounts(),
                                                          d.supportedSampleSizes(), d.supportedCodecs());
    const bool supported = d.isFormatSupported(built);
    const QAudioFormat usual = levels::captureFormat(built, supported, supported ? built : d.nearestFormat(built));
    return levels::chosenFormat(usual, fine, fine && d.isFormatSupported(levels::fineFormat(usual)));
}

} // namespace

// Starts capture from the device into a fresh level sink. The capture that
// runs (if any) ends only once the new one has started; when the device is
// unusable or its input fails at once, nothing changes and the answer is false.
bool Cadenza::startCapture(const QAudioDeviceInfo &device)
{
    if (!isUsable(device))
        return false;
    const QAudioFormat format = negotiatedFormat(device, fineLevels);

    auto *input = new QAudioInput(device, format, this);
    // About 10 ms of audio per block, so the level is fresh on every tick;
    // never fewer than one sampled frame group. The input may hand it over in
    // pieces; the sink puts the blocks together.
    const int bytes10ms = format.bytesForDuration(10000);
    const int minimum = levels::frameStride * qMax(1, format.bytesPerFrame());
    const int blockBytes = qMax(bytes10ms, minimum);
    input->setBufferSize(blockBytes);

    auto *sink = new AudioLevelsIODevice(this);
    sink->format = levels::sampleFormatOf(format);
    sink->sampleRate = format.sampleRate();
    sink->blockBytes = blockBytes;
    sink->open(QIODevice::WriteOnly);
    input->start(sink);
    if (input->state() == QAudio::StoppedState && input->error() != QAudio::NoError) {
        delete input; // the input first: no block may reach a deleted sink
        sink->close();
        delete sink;
        return false;
    }

    // The old capture ends in one go, the input first.
    if (audioInput) {
        audioInput->disconnect(this);
        delete audioInput;
    }
    if (audioDevice) {
        audioDevice->close();
        delete audioDevice;
    }
    audioInput = input;
    audioDevice = sink;
    captureDevice = device.deviceName();
    captureDeviceInfo = device;

    // A capture that stops with an error (the audio server went away, the
    // device was unplugged) is dropped; see dropCapture.
    connect(input, &QAudioInput::stateChanged, this, [this, input](QAudio::State state) {
        if (state == QAudio::StoppedState && input->error() != QAudio::NoError && input == audioInput)
            dropCapture();
    });
    updateStatusLines(liveElapsedMs);
    return true;
}

namespace {

CaptureRestarter *restarterOf(Cadenza *window)
{
    if (!window->captureRestarter)
        window->captureRestarter = new CaptureRestarter(window);
    return window->captureRestarter;
}

} // namespace

// Forgets the current capture without waiting: safe inside the input's own
// signal, since both objects are deleted later from the event loop, the input
// first. The tick then records silence, the solve is stored without sound
// figures, the status line says the microphone is unavailable and the
// restarter looks for a device every 2 s.
void Cadenza::dropCapture()
{
    QAudioInput *input = audioInput;
    AudioLevelsIODevice *sink = audioDevice;
    audioInput = nullptr;
    audioDevice = nullptr;
    captureDevice.clear();
    if (input) {
        input->disconnect(this);
        input->deleteLater();
    }
    if (sink) {
        sink->close();
        sink->deleteLater();
    }
    restarterOf(this)->begin();
    if (ui)
        updateStatusLines(liveElapsedMs);
}

// Starts capture again on its device when it runs in another format than the
// one fineLevels asks for now. Never while the timer owns the keys (a solve or
// an inspection runs): the tick calls again once it is over. A restart that
// fails leaves the running capture alone. Without capture there is nothing to
// do: the next start asks for the format itself.
void Cadenza::followFineLevels()
{
    fineLevelsOwed = false;
    if (!audioInput)
        return;
    if (timerTakesAllKeys()) {
        fineLevelsOwed = true;
        return;
    }
    if (negotiatedFormat(captureDeviceInfo, fineLevels) != audioInput->format())
        startCapture(captureDeviceInfo);
}

void Cadenza::stopCapture()
{
    if (captureRestarter)
        captureRestarter->end();
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
        const int index = devicechoice::startIndex(devicechoice::namesOf(devices), currentDevice);
        if (index >= 0)
            d = devices.at(index);
    }
    // The user's choice is kept (and stored again at shutdown) until the user
    // picks another, even while its audio server is not up yet: the restarter
    // tries it first.
    if (!isUsable(d)) {
        restarterOf(this)->begin();
        return;
    }
    // A device that fails to start leaves no capture; the remembered name is
    // kept for the restarter.
    if (!startCapture(d))
        restarterOf(this)->begin();
}

void Cadenza::on_actionAudio_Input_triggered()
{
    const auto devices = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
    const QStringList names = devicechoice::namesOf(devices);
    // The device capture runs from; without capture the one chosen last, or
    // the system's default.
    QString inUse = audioInput ? captureDevice : currentDevice;
    if (inUse.isEmpty())
        inUse = QAudioDeviceInfo::defaultInputDevice().deviceName();
    QScopedPointer<QInputDialog> dialog(devicechoice::inputDialog(this, names, inUse));
    if (dialog->exec() != QDialog::Accepted || names.isEmpty())
        return;
    const QString chosen = dialog->textValue();
    const int index = devicechoice::chosenIndex(names, chosen);
    if (index < 0)
        return;
    const QAudioDeviceInfo d = devices.at(index);
    // Qt's PulseAudio input waits for ever on a source that has gone: only a
    // device that is still listed now is started.
    const bool stillListed =
        devicechoice::namesOf(QAudioDeviceInfo::availableDevices(QAudio::AudioInput)).contains(d.deviceName());

    // The working capture keeps running until the new one has started; without
    // a capture (none at start-up, or one that failed) the chosen device simply
    // starts one. A device that is unusable or fails to start changes nothing,
    // and the user is told.
    if (stillListed && startCapture(d)) {
        currentDevice = d.deviceName();
        return;
    }
    QMessageBox::warning(this, tr("Select input device"),
                         statustext::switchFailedText(d.deviceName(), audioInput != nullptr));
}

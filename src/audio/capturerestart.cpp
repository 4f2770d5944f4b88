#include "audio/capturerestart.h"

#include "app/cadenza.h"
#include "audio/devicechoice.h"

#include <QAudioInput>
#include <QElapsedTimer>

namespace capturechoice {

Order restartOrder(const QStringList &names, const QString &stored, const QString &defaultName)
{
    Order order;
    std::vector<bool> taken(std::size_t(names.size()), false);
    const auto take = [&](std::vector<int> &into, const QString *name) {
        for (int i = 0; i < names.size(); ++i)
            if (!taken[std::size_t(i)] && (!name || (!name->isEmpty() && names[i] == *name))) {
                taken[std::size_t(i)] = true;
                into.push_back(i);
            }
    };
    take(order.preferred, &stored);
    take(order.preferred, &defaultName);
    take(order.others, nullptr);
    return order;
}

} // namespace capturechoice

CaptureRestarter::CaptureRestarter(Cadenza *window)
    : QObject(window)
    , window(window)
{
    connect(&timer, &QTimer::timeout, this, [this] { retry(); });
}

void CaptureRestarter::begin()
{
    if (timer.isActive())
        return;
    attempts = 0;
    timer.start(intervalMs);
}

void CaptureRestarter::end()
{
    timer.stop();
}

void CaptureRestarter::retry()
{
    if (window->audioInput) {
        end();
        return;
    }
    if (window->timerTakesAllKeys())
        return;
    // The list is read on every tick: Qt's PulseAudio input waits for ever on
    // a source that has gone, so only devices listed just now are started.
    const auto devices = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
    const capturechoice::Order order =
        capturechoice::restartOrder(devicechoice::namesOf(devices), window->currentDevice, QAudioDeviceInfo::defaultInputDevice().deviceName());
    bool started = false;
    for (std::size_t i = 0; i < order.preferred.size() && !started; ++i)
        started = window->startCapture(devices.at(order.preferred[i]));
    QElapsedTimer spent;
    spent.start();
    for (std::size_t n = 0; !started && n < order.others.size() && spent.elapsed() < budgetMs; ++n)
        started = window->startCapture(devices.at(order.others[nextOther++ % order.others.size()]));
    if (started)
        end();
    else if (++attempts == fastAttempts)
        timer.setInterval(slowIntervalMs);
}

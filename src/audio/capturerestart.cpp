#include "audio/capturerestart.h"

#include "app/cadenza.h"

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
    timer.setInterval(intervalMs);
    connect(&timer, &QTimer::timeout, this, [this] { retry(); });
}

void CaptureRestarter::begin()
{
    if (!timer.isActive())
        timer.start();
}

void CaptureRestarter::end()
{
    timer.stop();
    preferred.clear();
    others.clear();
}

void CaptureRestarter::retry()
{
    if (window->audioInput) {
        end();
        return;
    }
    if (others.empty()) {
        // A new round: the devices as they are now.
        const auto devices = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
        QStringList names;
        for (const QAudioDeviceInfo &d : devices)
            names << d.deviceName();
        const QString defaultName = QAudioDeviceInfo::defaultInputDevice().deviceName();
        const capturechoice::Order order = capturechoice::restartOrder(names, window->currentDevice, defaultName);
        preferred.clear();
        for (int i : order.preferred)
            preferred.push_back(devices.at(i));
        // Taken from the back.
        for (auto i = order.others.rbegin(); i != order.others.rend(); ++i)
            others.push_back(devices.at(*i));
    }
    bool started = false;
    for (std::size_t i = 0; i < preferred.size() && !started; ++i)
        started = window->startCapture(preferred[i]);
    QElapsedTimer spent;
    spent.start();
    while (!started && !others.empty() && spent.elapsed() < budgetMs) {
        const QAudioDeviceInfo d = others.back();
        others.pop_back();
        started = window->startCapture(d);
    }
    if (started)
        end();
}

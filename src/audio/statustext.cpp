#include "audio/statustext.h"

namespace statustext {

namespace {

float figure(const std::vector<float> &stats, std::size_t i)
{
    return i < stats.size() ? stats[i] : 0.0f;
}

} // namespace

QString timerText(int elapsedMs)
{
    return QStringLiteral("%1").arg(double(float(elapsedMs) / 1000.0f), 0, 'f', 2);
}

QString pauseText(const PauseStats &pauses)
{
    return QStringLiteral("idle: %1% (%2 pauses)")
        .arg(double(pauses.idleFraction * 100.0f), 0, 'f', 0)
        .arg(pauses.pauseCount);
}

QString splitsText(const std::vector<qint32> &splits)
{
    QString text = QStringLiteral("Splits: ");
    for (std::size_t i = 0; i < splits.size(); ++i)
        text += QStringLiteral("%1%2")
                    .arg(i == 0 ? QString() : QStringLiteral(" | "))
                    .arg(double(splits[i]) / 1000.0, 0, 'f', 2);
    return text;
}

QString microphoneText(bool captureNow)
{
    return captureNow ? QStringLiteral("Microphone unavailable during this solve")
                      : QStringLiteral("Microphone unavailable");
}

QString stackmatClockText(int ms, int digits)
{
    if (digits != 6)
        return timerText(ms);
    return QStringLiteral("%1.%2").arg(ms / 1000).arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

QString stackmatText(bool connected)
{
    return connected ? QStringLiteral("Stackmat connected") : QStringLiteral("Stackmat not connected");
}

QString switchFailedText(const QString &device, bool previousKept)
{
    const QString failed = QStringLiteral("The input device \"%1\" could not be started.").arg(device);
    return previousKept ? failed + QStringLiteral(" The previous input keeps running.") : failed;
}

QString algTimerText(const std::vector<float> &stats)
{
    return QStringLiteral("%1 (%2)").arg(double(figure(stats, 4)), 0, 'f', 2).arg(double(figure(stats, 2)), 0, 'f', 2);
}

QString algPauseText(const std::vector<float> &stats)
{
    return QStringLiteral("%1 reps (avg: %2 \u00b1 %3, top25%: %4)")
        .arg(int(figure(stats, 3)))
        .arg(double(figure(stats, 0)), 0, 'f', 2)
        .arg(double(figure(stats, 1)), 0, 'f', 2)
        .arg(double(figure(stats, 5)), 0, 'f', 2);
}

} // namespace statustext

#include "audio/devicechoice.h"

#include <QtGlobal>

namespace devicechoice {

QStringList namesOf(const QList<QAudioDeviceInfo> &devices)
{
    QStringList names;
    for (const QAudioDeviceInfo &d : devices)
        names << d.deviceName();
    return names;
}

bool usable(bool isNull, int rates, int channels, int sizes, int codecs)
{
    return !isNull && rates > 0 && channels > 0 && sizes > 0 && codecs > 0;
}

int startIndex(const QStringList &names, const QString &stored)
{
    return stored.isEmpty() ? -1 : int(names.indexOf(stored));
}

int preselected(const QStringList &names, const QString &current)
{
    return qMax(0, int(names.lastIndexOf(current)));
}

int chosenIndex(const QStringList &names, const QString &chosen)
{
    return int(names.indexOf(chosen));
}

} // namespace devicechoice

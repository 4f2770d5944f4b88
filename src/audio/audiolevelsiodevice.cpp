#include "audio/audiolevelsiodevice.h"

AudioLevelsIODevice::AudioLevelsIODevice(QObject *parent)
    : QIODevice(parent)
{
}

AudioLevelsIODevice::~AudioLevelsIODevice() = default;

qint64 AudioLevelsIODevice::readData(char *, qint64)
{
    return -1;
}

qint64 AudioLevelsIODevice::writeData(const char *, qint64 len)
{
    return len;
}

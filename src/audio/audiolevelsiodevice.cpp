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

// One captured block becomes one level. A block too short to hold a sampled
// frame has no level: the previous level stays current and the ring does not
// move.
qint64 AudioLevelsIODevice::writeData(const char *data, qint64 len)
{
    levels::decodeBlock(data, len, format, scratch);
    float level = 0.0f;
    if (levels::blockLevel(scratch, level)) {
        currentLevel = double(level);
        levels::pushRing(recentLevels, recentIndex, level);
    }
    return len;
}

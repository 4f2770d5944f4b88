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

// Every write is consumed whole. Its bytes complete the pending block, then
// make whole blocks, and what is left waits for the next write.
qint64 AudioLevelsIODevice::writeData(const char *data, qint64 len)
{
    if (stackmatOn) {
        stackmat::decode(stackmatDecoder, data, len, format, sampleRate, stackmatPackets);
        if (stackmatPackets.size() > 100)
            stackmatPackets.erase(stackmatPackets.begin(), stackmatPackets.end() - 100);
    }
    if (blockBytes <= 0 || len <= 0) {
        reduceBlock(data, len);
        return len;
    }
    qint64 at = 0;
    if (!pending.empty()) {
        at = qMin(len, qint64(blockBytes) - qint64(pending.size()));
        pending.insert(pending.end(), data, data + at);
        if (qint64(pending.size()) < blockBytes)
            return len;
        reduceBlock(pending.data(), blockBytes);
        pending.clear();
    }
    for (; len - at >= blockBytes; at += blockBytes)
        reduceBlock(data + at, blockBytes);
    pending.insert(pending.end(), data + at, data + len);
    return len;
}

// One block becomes one level. A block too short to hold a sampled frame has
// no level: the previous level stays current and the ring does not move.
void AudioLevelsIODevice::reduceBlock(const char *data, qint64 len)
{
    levels::decodeBlock(data, len, format, scratch);
    float level = 0.0f;
    if (levels::blockLevel(scratch, level)) {
        currentLevel = double(level);
        levels::pushRing(recentLevels, recentIndex, level);
    }
}

void AudioLevelsIODevice::readStackmat(bool on)
{
    if (on && !stackmatOn) {
        stackmatDecoder = stackmat::Decoder();
        stackmatPackets.clear();
    }
    stackmatOn = on;
}

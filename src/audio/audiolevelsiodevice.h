#ifndef CADENZA_AUDIOLEVELSIODEVICE_H
#define CADENZA_AUDIOLEVELSIODEVICE_H

#include "audio/levels.h"
#include "audio/stackmat.h"

#include <QIODevice>
#include <vector>

// The sink the audio input writes into: it reduces every captured block to one
// level and keeps the last 100 block levels in a ring. The input hands over
// whatever the audio server delivered, often a few bytes at a time, so the sink
// gathers blocks of blockBytes itself: a level always covers the same stretch
// of sound, never a lone sample.
class AudioLevelsIODevice : public QIODevice
{
    Q_OBJECT

public:
    explicit AudioLevelsIODevice(QObject *parent);
    ~AudioLevelsIODevice() override;

    double currentLevel = 0.0;
    std::vector<float> recentLevels = std::vector<float>(100, 0.0f);
    qint32 recentIndex = 0;

    // Layout of the blocks the input delivers; set by whoever starts the
    // capture, before the first block. Unsigned 8-bit mono by default.
    levels::SampleFormat format;
    // Bytes in one block (10 ms of audio); 0 takes every write as one block.
    qint32 blockBytes = 0;
    // The capture's sample rate, set with the format.
    int sampleRate = 8000;

    // With a Stackmat timer on the input every write is also read as its
    // signal; the packets wait here for the window's tick (the oldest are
    // dropped past 100, about 10 s of them). Turning it on starts afresh.
    void readStackmat(bool on);
    bool stackmatOn = false;
    stackmat::Decoder stackmatDecoder;
    std::vector<stackmat::Packet> stackmatPackets;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 len) override;

private:
    void reduceBlock(const char *data, qint64 len);

    // The start of a block whose rest has not arrived yet.
    std::vector<char> pending;
    // Decoded values of the block being reduced; kept so that a block
    // allocates nothing once the capacity is there.
    std::vector<float> scratch;
};

#endif

#ifndef CADENZA_LEVELS_H
#define CADENZA_LEVELS_H

#include <QAudioFormat>
#include <QList>
#include <QStringList>
#include <QtGlobal>
#include <vector>

// Block levels: how one captured block of samples becomes one number on the
// level scale (distance of an unsigned 8-bit sample from 128, divided by 1.28,
// plus 0.01, absolute value: about 0 to 100, silence reads 0.01).
namespace levels {

// How the samples of a captured block are laid out. The default is the format
// the first entries of a device's capability lists give: unsigned 8-bit mono.
struct SampleFormat
{
    enum Type { Unsigned, Signed, Float };
    int sampleBytes = 1; // 1, 2, 3 or 4
    int channels = 1;
    Type type = Unsigned;
    bool bigEndian = false;

    int frameBytes() const { return sampleBytes * channels; }
    // True for unsigned 8-bit: every sampled byte is read as it is.
    bool isRawU8() const { return sampleBytes == 1 && type == Unsigned; }
    // False for layouts the decoder cannot read (sizes other than 1 to 4
    // bytes, 8 or 16-bit floats, no channels).
    bool isDecodable() const;
};

SampleFormat sampleFormatOf(const QAudioFormat &format);

// The format asked of a device: the first entry of each of its capability
// lists (which must not be empty), little endian, unsigned.
QAudioFormat firstEntriesFormat(const QList<int> &rates, const QList<int> &channels, const QList<int> &sizes,
                                const QStringList &codecs);

// The format capture runs with: the built one when the device supports it,
// else the device's nearest format when the level sink can read it (PCM in a
// decodable layout), else the built one all the same.
QAudioFormat captureFormat(const QAudioFormat &built, bool builtSupported, const QAudioFormat &nearest);

// Fine levels: the same level scale from 16-bit signed samples, as a real
// number (a sample's offset from the midpoint is sample / 256 on the 8-bit
// scale), where 8-bit samples move it in steps of 0.78. This is the format
// that gives them: 16-bit signed little-endian PCM at the rate and with the
// channels of `usual`, the format capture otherwise runs with.
QAudioFormat fineFormat(const QAudioFormat &usual);

// The format capture runs with: the fine one when fine levels are wanted (a
// calibration made with them was applied, or one is being made) and the
// device supports it; else the usual one, which is also kept when its
// samples are 16 bits or wider already.
QAudioFormat chosenFormat(const QAudioFormat &usual, bool fineWanted, bool fineSupported);

// True when levels from this format come in finer steps than 8-bit ones.
bool givesFineLevels(const QAudioFormat &format);

// One frame in eight is looked at: its first channel.
constexpr int frameStride = 8;

// The level of one unsigned 8-bit sample, in single precision.
float u8Level(quint8 s);

// The level of a sample given as its offset from the midpoint 128 on the
// unsigned 8-bit scale (may carry a fraction for wider formats).
float offsetLevel(float offsetFrom128);

// The first channel of the frame at p as an offset from the midpoint on the
// unsigned 8-bit scale (-128 to 128; wider samples keep their fraction).
float frameOffset(const uchar *p, const SampleFormat &format);

// Decodes the first channel of every 8th frame of a block into levels,
// appended to out (cleared first). The number of values is the number of
// whole 8-frame groups in the block: a block of 8 to 15 bytes of unsigned
// 8-bit mono yields one value, from byte 0.
void decodeBlock(const char *data, qint64 len, const SampleFormat &format, std::vector<float> &out);

// The block's level: the value at index n / 2 of the n decoded values in
// ascending order (the upper middle for even n). Returns false when the block
// holds no sampled frame (n = 0); level is then left alone. The values are
// reordered.
bool blockLevel(std::vector<float> &values, float &level);

// Ring of recent levels: writes level at index and advances it, wrapping at
// the ring's size.
void pushRing(std::vector<float> &ring, qint32 &index, float level);

} // namespace levels

#endif

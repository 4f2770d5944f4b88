#include "audio/levels.h"

#include <QAudioFormat>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace levels {

bool SampleFormat::isDecodable() const
{
    if (channels < 1 || sampleBytes < 1 || sampleBytes > 4)
        return false;
    if (type == Float && sampleBytes != 4)
        return false;
    return true;
}

SampleFormat sampleFormatOf(const QAudioFormat &format)
{
    SampleFormat f;
    f.sampleBytes = format.sampleSize() / 8;
    f.channels = format.channelCount();
    switch (format.sampleType()) {
    case QAudioFormat::SignedInt: f.type = SampleFormat::Signed; break;
    case QAudioFormat::Float: f.type = SampleFormat::Float; break;
    default: f.type = SampleFormat::Unsigned; break;
    }
    f.bigEndian = format.byteOrder() == QAudioFormat::BigEndian;
    return f;
}

QAudioFormat firstEntriesFormat(const QList<int> &rates, const QList<int> &channels, const QList<int> &sizes,
                                const QStringList &codecs)
{
    QAudioFormat f;
    f.setSampleRate(rates.first());
    f.setChannelCount(channels.first());
    f.setSampleSize(sizes.first());
    f.setCodec(codecs.first());
    f.setByteOrder(QAudioFormat::LittleEndian);
    f.setSampleType(QAudioFormat::UnSignedInt);
    return f;
}

QAudioFormat captureFormat(const QAudioFormat &built, bool builtSupported, const QAudioFormat &nearest)
{
    if (builtSupported)
        return built;
    if (nearest.isValid() && nearest.codec() == QLatin1String("audio/pcm") && sampleFormatOf(nearest).isDecodable())
        return nearest;
    return built;
}

QAudioFormat fineFormat(const QAudioFormat &usual)
{
    QAudioFormat f;
    f.setSampleRate(usual.sampleRate());
    f.setChannelCount(usual.channelCount());
    f.setSampleSize(16);
    f.setCodec(QStringLiteral("audio/pcm"));
    f.setByteOrder(QAudioFormat::LittleEndian);
    f.setSampleType(QAudioFormat::SignedInt);
    return f;
}

bool givesFineLevels(const QAudioFormat &format)
{
    return format.sampleSize() >= 16 || format.sampleType() == QAudioFormat::Float;
}

QAudioFormat chosenFormat(const QAudioFormat &usual, bool fineWanted, bool fineSupported)
{
    if (!fineWanted || !fineSupported || givesFineLevels(usual))
        return usual;
    return fineFormat(usual);
}

float u8Level(quint8 s)
{
    // Single precision throughout: the integer offset as float, divided by
    // 1.28f, plus 0.01f, absolute value last.
    return std::fabs(float(int(s) - 128) / 1.28f + 0.01f);
}

float offsetLevel(float offsetFrom128)
{
    return std::fabs(offsetFrom128 / 1.28f + 0.01f);
}

namespace {

// Reads an unsigned integer of 'bytes' bytes in the given byte order.
quint32 readUnsigned(const uchar *p, int bytes, bool bigEndian)
{
    quint32 v = 0;
    if (bigEndian) {
        for (int i = 0; i < bytes; ++i)
            v = (v << 8) | p[i];
    } else {
        for (int i = bytes - 1; i >= 0; --i)
            v = (v << 8) | p[i];
    }
    return v;
}

// The sample at p as an offset from 128 on the unsigned 8-bit scale.
float sampleOffset(const uchar *p, const SampleFormat &f)
{
    const int bits = 8 * f.sampleBytes;
    if (f.type == SampleFormat::Float) {
        const quint32 raw = readUnsigned(p, 4, f.bigEndian);
        float x;
        std::memcpy(&x, &raw, sizeof x);
        if (!std::isfinite(x))
            x = 0.0f;
        x = std::max(-1.0f, std::min(1.0f, x));
        return x * 128.0f;
    }
    const quint32 raw = readUnsigned(p, f.sampleBytes, f.bigEndian);
    // Scale from the sample's own range onto 256 steps.
    const float scale = 1.0f / float(1u << (bits - 8));
    if (f.type == SampleFormat::Signed) {
        // Sign-extend from the sample's width.
        const qint32 x = bits == 32 ? qint32(raw) : qint32(raw << (32 - bits)) >> (32 - bits);
        return float(x) * scale;
    }
    const float mid = float(1u << (bits - 1));
    return (float(raw) - mid) * scale;
}

} // namespace

float frameOffset(const uchar *p, const SampleFormat &format)
{
    return format.isRawU8() ? float(int(*p) - 128) : sampleOffset(p, format);
}

void decodeBlock(const char *data, qint64 len, const SampleFormat &format, std::vector<float> &out)
{
    out.clear();
    if (!data || len <= 0 || !format.isDecodable())
        return;
    const qint64 step = qint64(frameStride) * format.frameBytes();
    const qint32 n = qint32(len / step);
    out.reserve(std::size_t(n));
    const auto *bytes = reinterpret_cast<const uchar *>(data);
    if (format.isRawU8()) {
        for (qint32 i = 0; i < n; ++i)
            out.push_back(u8Level(bytes[qint64(i) * step]));
        return;
    }
    for (qint32 i = 0; i < n; ++i)
        out.push_back(offsetLevel(sampleOffset(bytes + qint64(i) * step, format)));
}

bool blockLevel(std::vector<float> &values, float &level)
{
    if (values.empty())
        return false;
    const auto mid = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), mid, values.end());
    level = *mid;
    return true;
}

void pushRing(std::vector<float> &ring, qint32 &index, float level)
{
    if (ring.empty())
        return;
    if (index < 0 || index >= qint32(ring.size()))
        index = 0;
    ring[std::size_t(index)] = level;
    ++index;
    if (index >= qint32(ring.size()))
        index = 0;
}

} // namespace levels

#ifndef CADENZA_VOICECORPUS_H
#define CADENZA_VOICECORPUS_H

// The spoken words of the voice benchmarks (voice_corpus.sh makes them: one
// raw file of signed 16-bit mono at 8000 Hz per voice, speed and word) and how
// the capture turns audio into bytes.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace voicecorpus {

inline QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Word
{
    QString name;
    std::vector<float> samples; // -1..1, peak -1 dBFS
};

inline std::vector<Word> load(const QString &dir)
{
    const QStringList names = QDir(dir).entryList({QStringLiteral("*.s16")}, QDir::Files, QDir::Name);
    std::vector<Word> words;
    for (const QString &n : names) {
        const QByteArray raw = readFile(dir + QLatin1Char('/') + n);
        Word w{n.chopped(4), {}};
        for (int i = 0; i + 1 < raw.size(); i += 2) {
            qint16 s;
            std::memcpy(&s, raw.constData() + i, 2);
            w.samples.push_back(float(s) / 32768.0f);
        }
        words.push_back(std::move(w));
    }
    return words;
}

// As the capture delivers it: unsigned 8-bit, clipped.
inline std::vector<quint8> toU8(const std::vector<float> &x)
{
    std::vector<quint8> out(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        out[i] = quint8(std::max(0, std::min(255, 128 + int(std::floor(x[i] * 128.0f)))));
    return out;
}

} // namespace voicecorpus

#endif

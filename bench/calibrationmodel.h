#ifndef CADENZA_CALIBRATIONMODEL_H
#define CADENZA_CALIBRATIONMODEL_H

// A calibration as the voice corpus and the fast-turning model play it, for the
// calibration benchmark and the calibration test: the three records the
// dialog takes (quiet, turning, five words asked), at a microphone gain, a
// turning level and a room noise, and the levels the capture makes of audio.

#include "audio/calibration.h"
#include "audio/calibrationdialog.h"
#include "audio/levels.h"
#include "capturemodel.h"
#include "turningnoise.h"
#include "voicecorpus.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <vector>

namespace calibrationmodel {

constexpr int rate = 8000, block = 80; // 10 ms

inline float dB(float d) { return std::pow(10.0f, d / 20.0f); }

// Levels of the blocks starting at sample `phase`, as the capture gives them
// from 8-bit samples, or with `sixteenBit` from 16-bit ones.
inline std::vector<float> levelsOf(const std::vector<float> &x, int phase, bool sixteenBit = false)
{
    if (!sixteenBit) {
        const std::vector<quint8> u8 = voicecorpus::toU8(x);
        return capturemodel::blockLevels(u8.data(), u8.size(), phase);
    }
    levels::SampleFormat f;
    f.sampleBytes = 2;
    f.type = levels::SampleFormat::Signed;
    std::vector<qint16> s16(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        s16[i] = qint16(std::max(-32768, std::min(32767, int(std::floor(x[i] * 32768.0f)))));
    return capturemodel::blockLevels(reinterpret_cast<const char *>(s16.data()), 2 * s16.size(), phase, f);
}

// White room noise of this rms (0: none).
inline void addRoom(std::vector<float> &x, float rms, std::mt19937 &rng)
{
    if (rms <= 0.0f)
        return;
    std::normal_distribution<float> g(0.0f, rms);
    for (float &s : x)
        s += g(rng);
}

inline void addAt(std::vector<float> &x, const std::vector<float> &y, std::size_t at, float gain)
{
    for (std::size_t i = 0; i < y.size() && at + i < x.size(); ++i)
        x[at + i] += gain * y[i];
}

// The words the dialog asks for, in its order.
inline const QStringList &askedWords()
{
    static const QStringList words = [] {
        QStringList w;
        for (const char *word : CalibrationDialog::askedWords)
            w << QLatin1String(word);
        return w;
    }();
    return words;
}

// Each speaker ("voice_speed") with the words asked, in the dialog's order, and
// the other words.
struct Speakers
{
    std::map<QString, std::vector<const voicecorpus::Word *>> asked, other;
};

inline Speakers speakersOf(const std::vector<voicecorpus::Word> &corpus)
{
    Speakers s;
    for (const voicecorpus::Word &w : corpus) {
        const QString speaker = w.name.section('_', 0, 1), word = w.name.section('_', 2);
        (askedWords().contains(word) ? s.asked : s.other)[speaker].push_back(&w);
    }
    for (auto &entry : s.asked)
        std::sort(entry.second.begin(), entry.second.end(), [](const voicecorpus::Word *a, const voicecorpus::Word *b) {
            return askedWords().indexOf(a->name.section('_', 2)) < askedWords().indexOf(b->name.section('_', 2));
        });
    return s;
}

// The dialog's records: 3 s of the room (the first 0.5 s left out), 6 s of a
// stretch of `turning` at gain gt in the room (the first 1 s left out), and
// the words at gain gv, 1.5 s apart and each 0.1-0.4 s after it is asked, in
// 8.5 s of the room; all as the 10 ms tick samples the levels. The turning
// model's hiss (the microphone's own) is in the quiet and under the words too.
inline calibration::Records records(const std::vector<const voicecorpus::Word *> &asked, float gv, float gt, float room,
                                    const std::vector<float> &turning, std::mt19937 &rng, std::mt19937 &ticks,
                                    bool sixteenBit = false)
{
    calibration::Records rec;
    const int phase = int(rng() % block);
    const float hiss = gt * turningnoise::sigmaForLevel(0.3f);
    std::vector<float> quiet(3 * rate, 0.0f);
    addRoom(quiet, hiss, rng);
    addRoom(quiet, room, rng);
    rec.quiet = capturemodel::tickSampled(levelsOf(quiet, phase, sixteenBit), ticks);
    rec.quiet.erase(rec.quiet.begin(), rec.quiet.begin() + 50);
    std::vector<float> turn(6 * rate, 0.0f);
    addAt(turn, std::vector<float>(turning.begin() + long(rng() % (turning.size() - turn.size())), turning.end()), 0, gt);
    addRoom(turn, room, rng);
    rec.turning = capturemodel::tickSampled(levelsOf(turn, phase, sixteenBit), ticks);
    rec.turning.erase(rec.turning.begin(), rec.turning.begin() + 100);
    std::vector<float> spoken(std::size_t(8.5 * rate), 0.0f);
    for (std::size_t k = 0; k < asked.size(); ++k)
        addAt(spoken, asked[k]->samples, std::size_t((1.5 * double(k) + 0.1 + 0.3 * (rng() % 100) / 100.0) * rate), gv);
    addRoom(spoken, hiss, rng);
    addRoom(spoken, room, rng);
    rec.voice = capturemodel::tickSampled(levelsOf(spoken, phase, sixteenBit), ticks);
    rec.wordsAsked = int(asked.size());
    return rec;
}

} // namespace calibrationmodel

#endif

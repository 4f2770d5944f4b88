// How well word rules hear spoken words, and how often they hear words in fast
// turning. For the rule Cadenza used before, the one it uses now and the other
// candidates tried, prints side by side: the share of words that give exactly
// one onset, none, and two or more (at full loudness and 6 dB down), where the
// single onset lands, and false words per minute of fast turning.
//
// The words are spoken by espeak-ng (voice_corpus.sh, cached in the build tree):
// 7 voices x 2 speeds x 18 words, peak -1 dBFS (0 dB) or -7 dBFS (-6 dB), each
// alone and with turning noise under it, 300 ms before and 500 ms after it. Every
// clip is turned into levels as the capture does it (8000 Hz unsigned 8-bit
// mono, 80-byte blocks, the level code of the sink) at every one of the 80
// byte phases at which a capture block can start. The onset columns: where a
// single onset lies after the start of the word's audio, at 0 dB.
//
// Fast turning: decaying noise clicks of 5-40 ms at 8-20 turns a second, peak
// block levels up to 2.5 times the voice threshold, over a low hiss, 5 minutes,
// also at all 80 phases (400 minutes of levels; the count is in brackets).
//
// A second table takes the same records as the program's 10 ms tick samples
// them: where ticks and block arrivals meet, a level is taken twice and its
// neighbour not at all. It gives the share of words with one onset (0 dB and
// -6 dB), the share of single onsets more than 40 ms from the blocks' own, and
// false words per minute of fast turning.
//
// A third table plays two words in a row, the second soon after the first, and
// counts where the second onset lands.
//
//   bench_voicewords [-v RULE]     -v lists the words that RULE (a name from
//                                  the table) misses at 0 dB, and the level
//                                  traces of its false words, both ways

#include "audio/analysis.h"
#include "audio/levels.h"
#include "capturemodel.h"
#include "turningnoise.h"
#include "voicecorpus.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int rate = 8000;
constexpr int blockBytes = capturemodel::blockBytes; // 10 ms of 8000 Hz u8 mono
constexpr float voice = 5.0f;  // the default voice threshold
constexpr int leadMs = 300, tailMs = 500;

using Rule = std::function<std::vector<qint32>(const std::vector<float> &, float)>;

// The rule as it was: a run of at least 9 levels strictly above the threshold,
// reported at its first level once it has ended.
std::vector<qint32> previousRule(const std::vector<float> &l, float t)
{
    std::vector<qint32> out;
    int start = -1, len = 0;
    for (int i = 0; i < int(l.size()); ++i) {
        if (l[std::size_t(i)] > t) {
            if (start < 0)
                start = i;
            ++len;
        } else {
            if (start >= 0 && len >= 9)
                out.push_back(start);
            start = -1;
            len = 0;
        }
    }
    return out;
}

// The family of candidates: a word opens at a level above t; it goes on while
// levels stay above low = t * lowShare (hysteresis) and through up to `gap`
// levels at or below low (bridging). It counts when at least minVoice of its
// levels are voice (above low with countLow, else above t), at least minLoud
// are above t, and, with core > 0, a run of `core` levels above t lies in it.
// Reported at its first level above t once it has ended.
struct Family
{
    float lowShare = 1.0f;
    int gap = 0;
    int minVoice = 9;
    bool countLow = false;
    int minLoud = 1;
    int core = 0;
    int merge = 0; // a word starting at most this many levels after the last one ended is part of it
    int maxBridged = 1000; // at most this many quiet levels bridged in all
    int maxSoft = 1000;    // a word ends after this many levels in a row not above t
    int coreWindow = 0;    // with > core: `core` loud levels within this many in a row make the core
    int pullBack = 0;      // an uncounted part with a core and this much voice, just before a word, starts it
    int tail = 0;          // 1: such a part within `merge` after a word is its tail, not a beginning; 2: and the word goes on to its end
};

std::vector<qint32> familyRule(const std::vector<float> &l, float t, const Family &p)
{
    std::vector<qint32> out;
    const float low = t * p.lowShare;
    int start = -1, loud = 0, voiced = 0, run = 0, run0 = 0, quiet = 0, bridged = 0, lastEnd = -1000000;
    int pendingStart = -1, pendingEnd = -1000000;
    bool hasCore = false;
    for (int i = 0; i < int(l.size()); ++i) {
        const float x = l[std::size_t(i)];
        if (start < 0) {
            if (x > t) {
                start = i;
                loud = voiced = run = 1;
                quiet = bridged = run0 = 0;
                hasCore = p.core <= 1;
            }
            continue;
        }
        if (x > t) {
            run0 = 0;
            ++loud;
            ++voiced;
            hasCore = hasCore || ++run >= p.core;
            if (p.coreWindow > p.core) {
                int k = 0;
                for (int j = std::max(start, i - p.coreWindow + 1); j <= i; ++j)
                    k += l[std::size_t(j)] > t ? 1 : 0;
                hasCore = hasCore || k >= p.core;
            }
            bridged += quiet;
            quiet = 0;
        } else {
            ++run0;
            run = 0;
            if (x > low) {
                bridged += quiet;
                quiet = 0;
                voiced += p.countLow ? 1 : 0;
            }
            if ((x <= low && ++quiet > p.gap) || run0 >= p.maxSoft) {
                if (voiced >= p.minVoice && loud >= p.minLoud && hasCore && bridged <= p.maxBridged) {
                    if (start - lastEnd > p.merge)
                        out.push_back(p.pullBack > 0 && pendingStart >= 0 && start - pendingEnd <= p.merge ? pendingStart : start);
                    lastEnd = i - quiet;
                    pendingStart = -1;
                } else if (p.pullBack > 0 && hasCore && voiced >= p.pullBack) {
                    if (p.tail > 0 && start - lastEnd <= p.merge) {
                        lastEnd = p.tail == 2 ? i - quiet : lastEnd;
                    } else {
                        pendingStart = start;
                        pendingEnd = i - quiet;
                    }
                }
                start = -1;
            }
        }
    }
    return out;
}

Rule family(Family p)
{
    return [p](const std::vector<float> &l, float t) { return familyRule(l, t, p); };
}

struct Candidate
{
    const char *name;
    Rule rule;
    bool wholeBlockLevel = false; // the level from every byte of the block, not every 8th
};

// The levels of the blocks that start at byte `phase` (the sink's own code),
// or with `whole`, the level from every byte of the block.
std::vector<float> blockLevels(const std::vector<quint8> &u8, int phase, bool whole)
{
    if (!whole)
        return capturemodel::blockLevels(u8.data(), u8.size(), phase);
    std::vector<float> out, values;
    for (std::size_t at = std::size_t(phase); at + blockBytes <= u8.size(); at += blockBytes) {
        values.clear();
        for (int k = 0; k < blockBytes; ++k)
            values.push_back(levels::u8Level(u8[at + std::size_t(k)]));
        float level = 0.0f;
        levels::blockLevel(values, level);
        out.push_back(level);
    }
    return out;
}

struct Clip
{
    QString name;
    bool noisy;
    std::vector<quint8> u8[2]; // 0 dB, -6 dB
};

struct Tally
{
    long one = 0, none = 0, more = 0;
    std::vector<double> offsetMs; // single onset minus the word's start
    double pct(long k) const { return 100.0 * double(k) / double(std::max(1L, one + none + more)); }
};

} // namespace

int main(int argc, char **argv)
{
    const char *listed = argc > 2 && std::strcmp(argv[1], "-v") == 0 ? argv[2] : nullptr;
    const QString dir = QStringLiteral(CADENZA_VOICE_CORPUS);
    if (QProcess::execute(QStringLiteral("sh"), {QStringLiteral(CADENZA_VOICE_CORPUS_SCRIPT), dir}) != 0) {
        std::fprintf(stderr, "could not speak the corpus (espeak-ng and sox are needed)\n");
        return 1;
    }
    const std::vector<voicecorpus::Word> words = voicecorpus::load(dir);
    const std::vector<float> turning = turningnoise::fastTurning(300, 20261206, voice);

    std::vector<Clip> clips;
    std::mt19937 rng(11);
    for (const voicecorpus::Word &w : words) {
        for (const bool noisy : {false, true}) {
            Clip c{w.name, noisy, {}};
            const int lead = leadMs * rate / 1000, n = lead + int(w.samples.size()) + tailMs * rate / 1000;
            const std::size_t from = rng() % (turning.size() - std::size_t(n));
            for (int k = 0; k < 2; ++k) {
                std::vector<float> x(std::size_t(n), 0.0f);
                for (std::size_t i = 0; i < w.samples.size(); ++i)
                    x[std::size_t(lead) + i] = w.samples[i] * (k == 0 ? 1.0f : 0.5f);
                if (noisy)
                    for (int i = 0; i < n; ++i)
                        x[std::size_t(i)] += turning[from + std::size_t(i)];
                c.u8[k] = voicecorpus::toU8(x);
            }
            clips.push_back(std::move(c));
        }
    }
    const std::vector<quint8> turningU8 = voicecorpus::toU8(turning);

    // Family members by their settings: still-speaking share (1: none), quiet
    // levels bridged, levels of voice needed (countLow: above the still-speaking
    // level, else loud), loud levels needed, core (loud levels in a window),
    // same-word distance, bridged quiet in all, end after levels not loud.
    std::vector<std::string> names;
    std::vector<Family> members;
    auto add = [&](float low, int gap, int minVoice, bool countLow, int minLoud, int core, int window = 0, int merge = 0,
                   int maxBridged = 1000, int maxSoft = 1000) {
        Family f{low, gap, minVoice, countLow, minLoud, core, merge, maxBridged, maxSoft, window};
        std::string n = low < 1.0f ? "still " + std::to_string(int(low * 10 + 0.5f)) + "/10 t" : std::string("no still");
        n += ", bridge " + std::to_string(gap) + ", " + std::to_string(minVoice) + (countLow ? " voice" : " loud");
        if (minLoud > 1)
            n += ", " + std::to_string(minLoud) + " loud";
        if (core > 1)
            n += ", core " + std::to_string(core) + (window > core ? " in " + std::to_string(window) : std::string());
        if (merge)
            n += ", same " + std::to_string(merge);
        if (maxBridged < 1000)
            n += ", <=" + std::to_string(maxBridged) + " bridged";
        if (maxSoft < 1000)
            n += ", end " + std::to_string(maxSoft);
        names.push_back(n);
        members.push_back(f);
    };
    // Bridging alone, hysteresis alone, both; counting voice above the still-speaking level.
    add(1.0f, 1, 9, false, 1, 0); add(1.0f, 2, 9, false, 1, 0); add(1.0f, 3, 9, false, 1, 0); add(1.0f, 3, 9, false, 1, 4);
    add(0.5f, 0, 9, false, 1, 0); add(0.5f, 2, 9, false, 1, 0); add(0.5f, 0, 9, true, 1, 0); add(0.5f, 0, 9, true, 3, 0);
    add(0.5f, 1, 9, true, 1, 0); add(0.5f, 2, 9, true, 1, 0); add(0.5f, 2, 9, true, 1, 3); add(0.4f, 2, 9, true, 1, 0);
    add(0.4f, 2, 9, true, 1, 3); add(0.6f, 2, 9, true, 1, 0);
    // The rest of a word within 150-250 ms is the same word ("okay").
    add(0.4f, 2, 9, true, 1, 3, 0, 15); add(0.4f, 2, 9, true, 1, 3, 0, 25); add(0.3f, 2, 9, true, 1, 3, 0, 25);
    add(0.4f, 3, 9, true, 1, 3, 0, 25); add(0.4f, 2, 8, true, 1, 3, 0, 25); add(0.4f, 2, 9, true, 1, 2, 0, 25);
    // Against click trains: more loud levels, a longer core, less bridging in all.
    add(0.4f, 2, 9, true, 4, 3, 0, 20); add(0.4f, 2, 9, true, 1, 4, 0, 20); add(0.4f, 1, 9, true, 1, 3, 0, 20);
    add(0.5f, 2, 9, true, 4, 3, 0, 20); add(0.4f, 2, 9, true, 1, 3, 0, 20, 3); add(0.4f, 2, 9, true, 1, 3, 0, 20, 4);
    add(0.5f, 1, 8, true, 1, 3, 0, 20); add(0.5f, 1, 9, true, 1, 3, 0, 20); add(0.5f, 1, 9, true, 1, 2, 0, 20);
    add(0.4f, 1, 8, true, 1, 2, 0, 20); add(0.3f, 1, 8, true, 1, 2, 0, 20);
    // An end after 10 levels that are not loud (steady noise between t/2 and t); a core within a window.
    add(0.5f, 1, 9, true, 1, 3, 0, 20, 1000, 10); add(0.4f, 1, 9, true, 1, 3, 4, 20, 1000, 10);
    add(0.4f, 1, 9, true, 1, 3, 5, 20, 1000, 10); add(0.5f, 1, 9, true, 1, 3, 5, 20, 1000, 10);
    add(0.5f, 1, 9, true, 1, 4, 5, 20, 1000, 10); add(0.5f, 1, 9, true, 1, 4, 6, 20, 1000, 10);
    add(0.5f, 1, 8, true, 1, 3, 4, 20, 1000, 10); add(0.5f, 1, 9, true, 1, 3, 4, 20, 1000, 10); // the last: as chosen
    for (int pb : {3, 4, 5, 6}) {
        add(0.5f, 1, 9, true, 1, 3, 4, 20, 1000, 10);
        members.back().pullBack = pb;
        names.back() += ", pull back " + std::to_string(pb);
    }
    // Against the tick's doubled and skipped levels: the chosen rule with two
    // quiet levels bridged, a wider core, less voice, a lower still-speaking level.
    for (const auto &v : {std::array<int, 4>{2, 4, 9, 5}, {1, 5, 9, 5}, {2, 5, 9, 5}, {1, 4, 8, 5}, {2, 4, 10, 5},
                          {1, 4, 9, 4}, {2, 5, 10, 5}, {2, 4, 9, 4}}) {
        add(float(v[3]) / 10.0f, v[0], v[2], true, 1, 3, v[1], 20, 1000, 10);
        members.back().pullBack = 4;
        names.back() += ", pull back 4";
    }
    // A short part soon after a counted word: the beginning of the next word
    // (as before), that word's tail, or its tail with the word going on to it.
    for (int tail : {1, 2}) {
        add(0.5f, 1, 9, true, 1, 3, 4, 20, 1000, 10);
        members.back().pullBack = 4;
        members.back().tail = tail;
        names.back() += tail == 1 ? ", pull back 4, tail" : ", pull back 4, tail goes on";
    }

    std::vector<Candidate> candidates = {
        {"previous: run of 9 loud", previousRule},
        {"chosen (analysis::voiceOnsets)", [](const std::vector<float> &l, float t) { return analysis::voiceOnsets(l, t, 0); }},
    };
    for (std::size_t k = 0; k < members.size(); ++k)
        candidates.push_back({names[k].c_str(), family(members[k])});
    // A level from every byte of the block instead of every 8th.
    candidates.push_back({"whole-block level: run of 9 loud", previousRule, true});
    candidates.push_back({"whole-block level: bridge 2, 9 loud", family(Family{1.0f, 2, 9, false, 1, 0}), true});
    candidates.push_back({"whole-block level: chosen", [](const std::vector<float> &l, float t) { return analysis::voiceOnsets(l, t, 0); }, true});

    // The levels of every clip at every phase, both ways of reducing a block.
    std::vector<std::vector<float>> clipLevels[2][2]; // [whole][loudness], clip * 80 + phase
    std::vector<std::vector<float>> turningLevels[2];
    for (int whole = 0; whole < 2; ++whole) {
        for (int k = 0; k < 2; ++k)
            for (const Clip &clip : clips)
                for (int phase = 0; phase < blockBytes; ++phase)
                    clipLevels[whole][k].push_back(blockLevels(clip.u8[k], phase, whole != 0));
        for (int phase = 0; phase < blockBytes; ++phase)
            turningLevels[whole].push_back(blockLevels(turningU8, phase, whole != 0));
    }

    // The same levels as the tick samples them, one record each.
    std::vector<std::vector<float>> tickedClips[2], tickedTurning;
    std::mt19937 ticks(7);
    for (int k = 0; k < 2; ++k)
        for (const std::vector<float> &l : clipLevels[0][k])
            tickedClips[k].push_back(capturemodel::tickSampled(l, ticks));
    for (const std::vector<float> &l : turningLevels[0])
        tickedTurning.push_back(capturemodel::tickSampled(l, ticks));

    std::printf("%zu words (%zu clips with and without turning noise) x 80 byte phases; fast turning 5 min x 80 phases\n",
                words.size(), clips.size());
    std::printf("%-52s | %6s %6s %6s | %6s %6s %6s | %5s %5s %5s %5s | %8s\n", "rule", "0dB 1", "none", "2+", "-6dB 1",
                "none", "2+", "on p1", "p50", "p95", "p99", "false/min (of 400)");
    for (const Candidate &c : candidates) {
        const int whole = c.wholeBlockLevel ? 1 : 0;
        Tally tally[2];
        QStringList missed;
        for (std::size_t ci = 0; ci < clips.size(); ++ci) {
            for (int k = 0; k < 2; ++k) {
                int none = 0, more = 0;
                for (int phase = 0; phase < blockBytes; ++phase) {
                    const std::vector<qint32> on = c.rule(clipLevels[whole][k][ci * blockBytes + std::size_t(phase)], voice);
                    Tally &t = tally[k];
                    if (on.size() == 1) {
                        ++t.one;
                        t.offsetMs.push_back((on[0] * blockBytes + phase) * 1000.0 / rate - leadMs);
                    } else {
                        ++(on.empty() ? t.none : t.more);
                        ++(on.empty() ? none : more);
                    }
                }
                if ((none || more) && k == 0)
                    missed << QStringLiteral("%1%2: none %3/80, 2+ %4/80").arg(clips[ci].name, clips[ci].noisy ? " +noise" : "").arg(none).arg(more);
            }
        }
        long falseWords = 0;
        for (int phase = 0; phase < blockBytes; ++phase)
            falseWords += long(c.rule(turningLevels[whole][std::size_t(phase)], voice).size());
        std::vector<double> &off = tally[0].offsetMs;
        std::sort(off.begin(), off.end());
        const double p50 = off.empty() ? 0 : off[off.size() / 2], p95 = off.empty() ? 0 : off[off.size() * 95 / 100];
        const double p1 = off.empty() ? 0 : off[off.size() / 100], p99 = off.empty() ? 0 : off[off.size() * 99 / 100];
        std::printf("%-52s | %6.1f %6.1f %6.1f | %6.1f %6.1f %6.1f | %5.0f %5.0f %5.0f %5.0f | %8.2f (%ld)\n", c.name, tally[0].pct(tally[0].one),
                    tally[0].pct(tally[0].none), tally[0].pct(tally[0].more), tally[1].pct(tally[1].one),
                    tally[1].pct(tally[1].none), tally[1].pct(tally[1].more), p1, p50, p95, p99, double(falseWords) / (5.0 * 80), falseWords);
        if (listed && std::strcmp(c.name, listed) == 0) {
            for (const QString &m : missed)
                std::printf("    missed at 0 dB: %s\n", qPrintable(m));
            for (int phase = 0; phase < blockBytes; ++phase) {
                const std::vector<float> &l = turningLevels[whole][std::size_t(phase)];
                for (const qint32 o : c.rule(l, voice)) {
                    std::printf("    false word at phase %d, %.2f s:", phase, (o * blockBytes + phase) / double(rate));
                    for (qint32 i = std::max(0, o - 3); i < std::min(qint32(l.size()), o + 20); ++i)
                        std::printf(" %.1f", double(l[std::size_t(i)]));
                    std::printf("\n");
                }
            }
        }
    }

    // Sampled by the tick: the same words and turning, each record as the ticks
    // met its blocks. "moved" counts words that give one onset both ways but
    // whose onset lies more than 40 ms from the blocks' own.
    std::printf("\nas the 10 ms tick samples the levels\n%-52s | %6s %6s %6s | %s\n", "rule", "0dB 1", "-6dB 1", "moved",
                "false/min (of 400)");
    for (const Candidate &c : candidates) {
        if (c.wholeBlockLevel)
            continue;
        long one[2] = {0, 0}, all[2] = {0, 0}, moved = 0, both = 0;
        for (int k = 0; k < 2; ++k) {
            for (std::size_t r = 0; r < tickedClips[k].size(); ++r) {
                const std::vector<qint32> on = c.rule(tickedClips[k][r], voice);
                ++all[k];
                if (on.size() != 1)
                    continue;
                ++one[k];
                if (k > 0)
                    continue;
                const std::vector<qint32> clean = c.rule(clipLevels[0][0][r], voice);
                if (clean.size() == 1) {
                    ++both;
                    moved += std::abs(on[0] - clean[0]) > 4 ? 1 : 0;
                }
            }
        }
        long falseWords = 0;
        for (const std::vector<float> &l : tickedTurning) {
            falseWords += long(c.rule(l, voice).size());
            if (listed && std::strcmp(c.name, listed) == 0)
                for (const qint32 o : c.rule(l, voice)) {
                    std::printf("    ticked false word at %.2f s:", o / 100.0);
                    for (qint32 i = std::max(0, o - 5); i < std::min(qint32(l.size()), o + 25); ++i)
                        std::printf(" %.1f", double(l[std::size_t(i)]));
                    std::printf("\n");
                }
        }
        std::printf("%-52s | %6.1f %6.1f %6.1f | %8.2f (%ld)\n", c.name, 100.0 * double(one[0]) / double(all[0]),
                    100.0 * double(one[1]) / double(all[1]), 100.0 * double(moved) / double(std::max(1L, both)),
                    double(falseWords) / (5.0 * 80), falseWords);
    }

    // Two words in a row at 0 dB, the second starting 120 or 180 ms after the
    // first one's audio ends (as the rule was, the tail of the first could
    // become the second one's beginning), for the chosen rule and the tail
    // variants of the rule it was, alone and under turning, at every byte phase:
    // the share that gives two onsets with the second within 50 ms before to
    // 250 ms after the second word's start, and the share whose second onset
    // lies earlier (in the first word's tail).
    std::printf("\ntwo words in a row, 120 and 180 ms apart (%zu pairs x 2 x 80 phases)\n%-52s | %6s %6s | %6s %6s\n",
                words.size() * 2, "rule", "120: 2", "early", "180: 2", "early");
    std::vector<std::vector<float>> pairLevels[2];
    std::vector<int> secondStart[2]; // in samples
    for (int g = 0; g < 2; ++g) {
        const int gap = (g == 0 ? 120 : 180) * rate / 1000, lead = leadMs * rate / 1000;
        for (std::size_t i = 0; i < words.size(); ++i) {
            const voicecorpus::Word &a = words[i], &b = words[(i + 1) % words.size()];
            const int second = lead + int(a.samples.size()) + gap, n = second + int(b.samples.size()) + tailMs * rate / 1000;
            for (const bool noisy : {false, true}) {
                std::vector<float> x(std::size_t(n), 0.0f);
                std::copy(a.samples.begin(), a.samples.end(), x.begin() + lead);
                std::copy(b.samples.begin(), b.samples.end(), x.begin() + second);
                const std::size_t from = rng() % (turning.size() - std::size_t(n));
                for (int k = 0; noisy && k < n; ++k)
                    x[std::size_t(k)] += turning[from + std::size_t(k)];
                const std::vector<quint8> u8 = voicecorpus::toU8(x);
                for (int phase = 0; phase < blockBytes; ++phase) {
                    pairLevels[g].push_back(capturemodel::blockLevels(u8.data(), u8.size(), phase));
                    secondStart[g].push_back(second - phase);
                }
            }
        }
    }
    for (const Candidate &c : candidates) {
        if (std::strncmp(c.name, "chosen (", 8) != 0 && std::strncmp(c.name, "still 5/10 t, bridge 1, 9 voice, core 3 in 4, same 20, end 10, pull back 4", 74) != 0)
            continue;
        double two[2], early[2];
        for (int g = 0; g < 2; ++g) {
            long right = 0, before = 0;
            for (std::size_t r = 0; r < pairLevels[g].size(); ++r) {
                const std::vector<qint32> on = c.rule(pairLevels[g][r], voice);
                if (on.size() != 2)
                    continue;
                const double ms = (on[1] * blockBytes - secondStart[g][r]) * 1000.0 / rate;
                right += ms >= -50 && ms <= 250 ? 1 : 0;
                before += ms < -50 ? 1 : 0;
            }
            two[g] = 100.0 * double(right) / double(pairLevels[g].size());
            early[g] = 100.0 * double(before) / double(pairLevels[g].size());
        }
        std::printf("%-52s | %6.1f %6.1f | %6.1f %6.1f\n", c.name, two[0], early[0], two[1], early[1]);
    }
    return 0;
}

#ifndef CADENZA_TIMELINE_H
#define CADENZA_TIMELINE_H

#include <QtGlobal>
#include <cstddef>
#include <vector>

class QPainter;

namespace timeline {

// Sound (1) or silence (0) for the samples from..to-1 of a level record: a
// level strictly above the threshold is sound, and a silent run shorter than
// 10 samples that a sound sample follows counts as sound too. A silent run at
// the end of the record stays silent. Each flag depends only on the samples
// within 10 of it, so any part of the record can be judged on its own.
std::vector<unsigned char> soundFlags(const std::vector<float> &levels, float threshold, std::size_t from,
                                      std::size_t to);

struct Input
{
    const std::vector<float> *levels = nullptr;
    float threshold = 0.0f;
    bool lightSilence = false;   // silence in light gray instead of red
    int splitsIndex = 0;         // 0: no phase bars
    std::vector<qint32> onsets;  // phase boundaries, sample indices, ascending
    qint32 elapsedMs = 0;        // span of the second ticks
};

// Paints the timeline: phase bars along the top, the sound/silence strip and
// a tick at every whole second along the bottom. A record of up to one sample
// per pixel column is drawn line by line. A longer one would overdraw the same
// columns many times; its strip is composed per column from the last samples
// that fall in it, which are all that stays visible, so the cost depends on
// the width and not on the length of the record. Second ticks likewise: a
// few dozen are drawn as lines, more (a long solve) are composed.
void paint(QPainter &painter, const Input &input);

// The same picture drawn the plain way, one line per sample whatever the
// length of the record. Kept as the reference the composed strip is checked
// against.
void paintEverySample(QPainter &painter, const Input &input);

} // namespace timeline

#endif

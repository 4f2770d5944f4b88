#ifndef CADENZA_AUDIOGRAPH_H
#define CADENZA_AUDIOGRAPH_H

#include <vector>

class QPainter;

// What the audio level graph draws, as plain values.
struct AudioGraphInput
{
    int width = 0;
    int height = 0;
    // The sink's ring of recent levels and its current level; without a
    // capture (hasSink false) neither is drawn.
    bool hasSink = false;
    std::vector<float> recentLevels;
    double currentLevel = 0.0;
    float silenceThreshold = 0.4f;
    float voiceThreshold = 5.0f;
    bool boost = false;
    bool disabled = false;
};

namespace audiograph {

// Inset of the plot area on every side, in pixels.
constexpr int margin = 10;
// A level of 100 / 6 fills the plot height.
constexpr float gain = 6.0f;
// Extra gain of the curve when boost is on.
constexpr float boostGain = 4.0f;

// The height fraction of the curve for a level (clamped to 1) and the row of
// a threshold line (not clamped, truncated), for a graph of height h.
float curveFraction(float level, bool boost);
int thresholdRow(float threshold, int h);

// Paints the graph on a painter whose viewport is width x height: baseline,
// the ring as a curve, the current level as text, the silence (red) and voice
// (green) threshold lines, and a thick frame while the level is above the
// silence threshold. Without a sink only the baseline and the two lines.
void draw(QPainter &painter, const AudioGraphInput &in);

} // namespace audiograph

#endif

#ifndef CADENZA_CAPTUREMODEL_H
#define CADENZA_CAPTUREMODEL_H

// How the capture sees 8000 Hz mono audio, for the word benchmarks and the
// microphone tests: blocks of 80 samples (10 ms) starting at a sample phase,
// each reduced to a level by the level sink's own code; unsigned 8-bit
// samples unless a format is given (16-bit ones for fine levels).

#include "audio/levels.h"

#include <cstddef>
#include <random>
#include <vector>

namespace capturemodel {

constexpr int blockBytes = 80; // samples of a block; bytes at 8-bit

inline std::vector<float> blockLevels(const char *data, std::size_t size, int phase,
                                      const levels::SampleFormat &format = levels::SampleFormat())
{
    const std::size_t frame = std::size_t(format.frameBytes()), block = frame * blockBytes;
    std::vector<float> out, values;
    for (std::size_t at = std::size_t(phase) * frame; at + block <= size; at += block) {
        levels::decodeBlock(data + at, int(block), format, values);
        float level = 0.0f;
        levels::blockLevel(values, level);
        out.push_back(level);
    }
    return out;
}

inline std::vector<float> blockLevels(const unsigned char *u8, std::size_t size, int phase)
{
    return blockLevels(reinterpret_cast<const char *>(u8), size, phase);
}

// The record as the 10 ms tick samples the sink: each tick takes the level of
// the last block that has arrived. Blocks arrive 0-2 ms after their 10 ms of
// sound, ticks come 10 ms apart give or take 1 ms (a coarse timer) at an offset
// drawn for each record. Where ticks and arrivals meet, a tick now and then
// takes the block before the one it would and the next tick the one after, so
// a level is sampled twice and its neighbour not at all, as in real records.
inline std::vector<float> tickSampled(const std::vector<float> &blocks, std::mt19937 &rng)
{
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const double offset = 10.0 * u(rng);
    std::vector<double> arrival(blocks.size());
    for (std::size_t k = 0; k < blocks.size(); ++k)
        arrival[k] = 10.0 * double(k + 1) + 2.0 * u(rng);
    std::vector<float> out;
    out.reserve(blocks.size());
    std::size_t next = 0;
    float current = 0.0f;
    for (std::size_t j = 0; j < blocks.size(); ++j) {
        const double tick = 10.0 * double(j + 1) + offset + 2.0 * u(rng) - 1.0;
        while (next < blocks.size() && arrival[next] <= tick)
            current = blocks[next++];
        out.push_back(current);
    }
    return out;
}

} // namespace capturemodel

#endif

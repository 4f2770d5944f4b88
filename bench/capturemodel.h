#ifndef CADENZA_CAPTUREMODEL_H
#define CADENZA_CAPTUREMODEL_H

// How the capture sees 8000 Hz unsigned 8-bit mono audio, for the word
// benchmarks and the microphone tests: blocks of 80 bytes (10 ms) starting at
// a byte phase, each reduced to a level by the level sink's own code.

#include "audio/levels.h"

#include <cstddef>
#include <vector>

namespace capturemodel {

constexpr int blockBytes = 80;

inline std::vector<float> blockLevels(const unsigned char *u8, std::size_t size, int phase)
{
    std::vector<float> out, values;
    for (std::size_t at = std::size_t(phase); at + blockBytes <= size; at += blockBytes) {
        levels::decodeBlock(reinterpret_cast<const char *>(u8 + at), blockBytes, levels::SampleFormat(), values);
        float level = 0.0f;
        levels::blockLevel(values, level);
        out.push_back(level);
    }
    return out;
}

} // namespace capturemodel

#endif

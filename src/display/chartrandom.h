#ifndef CADENZA_CHARTRANDOM_H
#define CADENZA_CHARTRANDOM_H

#include <cstdint>

// The small pseudo-random generator of the charts' scattered dots. Its range
// is exactly 0..RandMax (the dots' heights divide by RandMax), and reseeding
// restarts the same sequence, so a chart reseeded with 0 on every paint keeps
// each dot at the same height from paint to paint. A linear congruential
// generator with the classic 15-bit output.
class ChartRandom
{
public:
    static constexpr int RandMax = 32767;

    explicit ChartRandom(std::uint32_t seed = 0) : state(seed) {}
    void seed(std::uint32_t s) { state = s; }
    int next()
    {
        state = state * 1103515245u + 12345u;
        return int((state >> 16) & 0x7fffu);
    }

private:
    std::uint32_t state;
};

#endif

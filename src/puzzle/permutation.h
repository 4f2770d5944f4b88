#ifndef CADENZA_PERMUTATION_H
#define CADENZA_PERMUTATION_H

#include <algorithm>
#include <cstdint>

// Orderings of the values 0..n-1 (n at most 16) as the puzzles' tables number
// them: the rank among all n! orderings (Lehmer code), the ordering of a rank,
// and the parity.
namespace permutation {

inline int rank(const std::uint8_t *p, int n)
{
    int r = 0;
    for (int i = 0; i < n; ++i) {
        int smaller = 0;
        for (int j = i + 1; j < n; ++j)
            smaller += p[j] < p[i];
        r = r * (n - i) + smaller;
    }
    return r;
}

inline void ofRank(int r, std::uint8_t *p, int n)
{
    int digits[16];
    for (int i = n - 1; i >= 0; --i) {
        digits[i] = r % (n - i);
        r /= n - i;
    }
    std::uint8_t left[16];
    for (int v = 0; v < n; ++v)
        left[v] = std::uint8_t(v);
    for (int i = 0, remaining = n; i < n; ++i, --remaining) {
        p[i] = left[digits[i]];
        std::copy(left + digits[i] + 1, left + remaining, left + digits[i]);
    }
}

// 0 even, 1 odd; also for distinct values that are not 0..n-1.
inline int parity(const std::uint8_t *p, int n)
{
    int inversions = 0;
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            inversions += p[i] > p[j];
    return inversions & 1;
}

} // namespace permutation

#endif

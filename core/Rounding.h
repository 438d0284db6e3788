#pragma once

#include <cmath>
#include <limits>

// Rounding to the nearest integer with halves going to the even neighbour
// (2.5 -> 2, 3.5 -> 4), the rule used for every length on paper and screen.
// The argument is taken in extended precision so that a single-precision
// input such as 44.2f * 10 rounds as the float value says, not its double
// neighbour.
inline long long RoundHalfEven(long double v)
{
    // Adding and taking away 2^63 leaves no fraction bits in the 64-bit
    // mantissa, so the sum is rounded as the FPU rounds (ties to even) at a
    // fraction of the cost of nearbyintl, which saves and restores the FPU
    // state; printing a slip rounds a few hundred lengths.
    constexpr long double twoTo63 = 9223372036854775808.0L;
    if (std::numeric_limits<long double>::digits == 64 && std::fabs(v) < twoTo63 / 4) {
        const long double r = v >= 0 ? (v + twoTo63) - twoTo63 : (v - twoTo63) + twoTo63;
        return static_cast<long long>(r);
    }
    const long double r = std::nearbyintl(v); // default FE_TONEAREST: ties to even
    return static_cast<long long>(r);
}

inline int RoundHalfEvenInt(long double v)
{
    return static_cast<int>(RoundHalfEven(v));
}

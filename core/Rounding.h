#pragma once

#include <cmath>

// Rounding to the nearest integer with halves going to the even neighbour
// (2.5 -> 2, 3.5 -> 4), the rule used for every length on paper and screen.
// The argument is taken in extended precision so that a single-precision
// input such as 44.2f * 10 rounds as the float value says, not its double
// neighbour.
inline long long RoundHalfEven(long double v)
{
    const long double r = std::nearbyintl(v); // default FE_TONEAREST: ties to even
    return static_cast<long long>(r);
}

inline int RoundHalfEvenInt(long double v) { return static_cast<int>(RoundHalfEven(v)); }

#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>

/// The most frames a character's list takes from a range (more than any part holds states).
constexpr int32_t kMaxFrameList = 1024;

/// The directions of a moving list of n frames: two per frame, seven for four frames.
constexpr int32_t DirectionsFor(int32_t n) { return n == 4 ? 7 : 2 * n; }

/// Truncated towards zero and held to 32 bits (0 for a value that is not a number).
inline int32_t TruncTo32(double v) {
    if (std::isnan(v)) return 0;
    return int32_t(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
}

inline int32_t ClampTo32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

/// Truncated and held to 16 bits.
inline int16_t ToInt16(double v) {
    if (std::isnan(v)) return 0;
    return int16_t(std::clamp(std::trunc(v), double(INT16_MIN), double(INT16_MAX)));
}

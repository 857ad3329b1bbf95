#pragma once
// Per-pixel reference formulas for the graphics tests, written from the documented rules
// independently of the kernels.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "engine/blit/ColorPalette.h"

namespace oracle {

inline uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

struct Rgb {
    int r, g, b;
};

// 16-bit pixel to 8-bit channels by bit replication-free truncation (low bits zero).
inline Rgb Expand16(uint16_t v, int format) {
    if (format == 2) return {((v >> 11) & 31) * 8, ((v >> 5) & 63) * 4, (v & 31) * 8};
    return {((v >> 10) & 31) * 8, ((v >> 5) & 31) * 8, (v & 31) * 8};
}

inline uint16_t Pack(Rgb c, int format) {
    if (format == 2) return uint16_t(((c.r / 8) << 11) | ((c.g / 4) << 5) | (c.b / 8));
    return uint16_t(((c.r / 8) << 10) | ((c.g / 8) << 5) | (c.b / 8));
}

inline Rgb Of(uint32_t word) { return {int(word & 255), int((word >> 8) & 255), int((word >> 16) & 255)}; }
inline uint32_t Word(Rgb c) { return uint32_t(c.r) | (uint32_t(c.g) << 8) | (uint32_t(c.b) << 16); }

// Channels (5/6/5 or 5/5/5 bit values) of a 16-bit pixel.
inline void Channels(uint16_t v, int format, int& r, int& g, int& b) {
    if (format == 2) {
        r = (v >> 11) & 31;
        g = (v >> 5) & 63;
    } else {
        r = (v >> 10) & 31;
        g = (v >> 5) & 31;
    }
    b = v & 31;
}
inline uint16_t FromChannels(int r, int g, int b, int format) {
    return format == 2 ? uint16_t((r << 11) | (g << 5) | b) : uint16_t((r << 10) | (g << 5) | b);
}

inline uint16_t Convert16(uint16_t v, int from, int to) {
    if (from == to) return v;
    int r, g, b;
    Channels(v, from, r, g, b);
    if (to == 2) return FromChannels(r, g * 2, b, 2); // 5-5-5 green into the 6-bit scale
    return FromChannels(r, g / 2, b, 1);
}

// Blend: each channel floor(s + (d - s) * L / 256) in the destination layout.
inline uint16_t Blend(uint16_t s, uint16_t d, int level, int srcFormat, int dstFormat) {
    s = Convert16(s, srcFormat, dstFormat);
    int sr, sg, sb, dr, dg, db;
    Channels(s, dstFormat, sr, sg, sb);
    Channels(d, dstFormat, dr, dg, db);
    auto mix = [level](int a, int z) { return int(std::floor(a + (z - a) * double(level) / 256.0)); };
    return FromChannels(mix(sr, dr), mix(sg, dg), mix(sb, db), dstFormat);
}

// Nearest colour over first..last by a distance between two colours, exact match first,
// lowest index on ties.
template <typename Distance>
inline int Nearest(const CColorPalette& p, uint32_t colour, int first, int last, Distance distance) {
    for (int i = first; i <= last; ++i)
        if (p.GetEntry(i) == colour) return i;
    int best = -1;
    long bestD = 0;
    const Rgb c = Of(colour);
    for (int i = first; i <= last; ++i) {
        const long d = distance(c, Of(p.GetEntry(i)));
        if (best < 0 || d < bestD) {
            best = i;
            bestD = d;
        }
    }
    return best;
}

// By the sum of channel differences.
inline int NearestSum(const CColorPalette& p, uint32_t colour, int first = 1, int last = 254) {
    return Nearest(p, colour, first, last,
                   [](Rgb c, Rgb e) { return std::labs(c.r - e.r) + std::labs(c.g - e.g) + std::labs(c.b - e.b); });
}

// By the sum of squared channel differences.
inline int NearestSquare(const CColorPalette& p, uint32_t colour, int first = 1, int last = 254) {
    return Nearest(p, colour, first, last, [](Rgb c, Rgb e) {
        return long(c.r - e.r) * (c.r - e.r) + long(c.g - e.g) * (c.g - e.g) + long(c.b - e.b) * (c.b - e.b);
    });
}

// Random bytes where about one pixel in `zeroOneIn` is all zero.
inline std::vector<uint8_t> Pixels(std::mt19937& rng, size_t count, int bytesPerPixel, int zeroOneIn = 4) {
    std::vector<uint8_t> v(count * bytesPerPixel);
    for (size_t i = 0; i < count; ++i) {
        const bool zero = rng() % zeroOneIn == 0;
        for (int k = 0; k < bytesPerPixel; ++k) v[i * bytesPerPixel + k] = zero ? 0 : uint8_t(rng());
    }
    return v;
}

} // namespace oracle

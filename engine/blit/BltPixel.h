#pragma once
// Per-pixel colour rules of the line routines, shared by the plain, scaled and compressed
// families. Colour words hold red in the low byte, then green, then blue.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "engine/base/Unaligned.h"
#include "engine/blit/ColorPalette.h"

static_assert(std::endian::native == std::endian::little, "pixel layouts assume little-endian");

namespace blt {

/// What a routine reads of a palette: the 256 colour words and the 16-bit colour table.
struct PalView {
    const uint32_t* entries = nullptr;
    const uint16_t* table16 = nullptr;
};

/// The palette to draw with: the given one or, when null, the blitters' default palette. With
/// need16 the 16-bit colour table is built first when the palette has none.
PalView PaletteView(CColorPalette* palette, bool need16);

/// One 24-bit destination pixel: blue, green, red in memory.
struct Pix24 {
    uint8_t b, g, r;
};
static_assert(sizeof(Pix24) == 3);

inline uint16_t Pack555(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint16_t>(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | ((b & 0xFF) >> 3));
}
inline uint16_t Pack565(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | ((b & 0xFF) >> 3));
}
template <bool Is565>
inline uint16_t Pack(uint32_t r, uint32_t g, uint32_t b) {
    return Is565 ? Pack565(r, g, b) : Pack555(r, g, b);
}

/// A 5-5-5 pixel in the 5-6-5 layout (the new low green bit 0), and back (that bit dropped).
inline uint16_t To565(uint16_t v) { return static_cast<uint16_t>(((v & 0xFFE0u) << 1) | (v & 0x001Fu)); }
inline uint16_t To555(uint16_t v) { return static_cast<uint16_t>(((v >> 1) & 0x7FE0u) | (v & 0x001Fu)); }

/// The fields of a 16-bit pixel widened to 8 bits with zero low bits.
template <bool Is565>
inline void Expand16(uint32_t v, uint8_t& r, uint8_t& g, uint8_t& b) {
    b = static_cast<uint8_t>(v << 3);
    if (Is565) {
        g = static_cast<uint8_t>((v >> 3) & 0xFC);
        r = static_cast<uint8_t>((v >> 8) & 0xF8);
    } else {
        g = static_cast<uint8_t>((v >> 2) & 0xF8);
        r = static_cast<uint8_t>((v >> 7) & 0xF8);
    }
}

/// Calls f(std::true_type) for a 5-6-5 layout, f(std::false_type) for 5-5-5 and nothing for any
/// other format: the routines' choice of their Is565 instance.
template <class F>
inline void WithLayout16(int16_t format, F&& f) {
    if (format == kPixelFormat565) {
        f(std::true_type{});
    } else if (format == kPixelFormat555) {
        f(std::false_type{});
    }
}

/// c + ((t - c) * level >> 8), arithmetic shift, low 8 bits.
inline uint32_t Lerp8(int32_t c, int32_t t, int32_t level) {
    return static_cast<uint8_t>(c + (((t - c) * level) >> 8));
}

/// Tint rule: the colour pulled towards the tint colour by the tint level, packed.
template <bool Is565>
inline uint16_t Tint(uint32_t colour, uint32_t tint, int16_t level) {
    return Pack<Is565>(Lerp8(ColorRed(colour), ColorRed(tint), level),
                       Lerp8(ColorGreen(colour), ColorGreen(tint), level),
                       Lerp8(ColorBlue(colour), ColorBlue(tint), level));
}

/// Channel blend: the palette colour pulled towards the destination pixel (fields widened to 8
/// bits with zero low bits) by the blend level, packed.
template <bool Is565>
inline uint16_t ChannelBlend(uint32_t colour, uint16_t d, int16_t level) {
    uint32_t r8, g8, b8;
    if (Is565) {
        r8 = (d >> 8) & 0xF8;
        g8 = (d >> 3) & 0xFC;
    } else {
        r8 = (d >> 7) & 0xF8;
        g8 = (d >> 2) & 0xF8;
    }
    b8 = (static_cast<uint32_t>(d) << 3) & 0xFF;
    return Pack<Is565>(Lerp8(ColorRed(colour), static_cast<int32_t>(r8), level),
                       Lerp8(ColorGreen(colour), static_cast<int32_t>(g8), level),
                       Lerp8(ColorBlue(colour), static_cast<int32_t>(b8), level));
}

/// The field blend's weight a = 255 - level, kept to 0-256 so that every implementation (one
/// pixel, packed lanes) gives the same pixels for every level.
inline int32_t FieldBlendWeight(int16_t level) { return std::clamp(255 - int32_t{level}, 0, 256); }

/// Field blend of two 16-bit colours with weight a (0-256): per field,
/// ((((s + 64 - d) * a) >> 8) + d - (a >> 2)) & mask.
template <bool Is565>
inline uint16_t FieldBlend(uint16_t s, uint16_t d, int32_t a) {
    const int32_t k = a >> 2;
    auto field = [&](int shift, int32_t mask) {
        const int32_t sf = (s >> shift) & mask;
        const int32_t df = (d >> shift) & mask;
        return static_cast<uint32_t>(((((sf + 64 - df) * a) >> 8) + df - k) & mask) << shift;
    };
    if (Is565) {
        return static_cast<uint16_t>(field(11, 0x1F) | field(5, 0x3F) | field(0, 0x1F));
    }
    return static_cast<uint16_t>(field(10, 0x1F) | field(5, 0x1F) | field(0, 0x1F));
}

using unaligned::Load16;

/// The vector form of the two lookups below: draws the n pixels and returns true, or returns
/// false where the processor lacks the vector instructions. Keyed, a source of 0 leaves its
/// destination pixel.
bool LookupVector16(const uint8_t* src, int32_t n, uint16_t* d, const uint16_t* t, bool keyed);

/// Lines shorter than this are drawn by the one-pixel forms.
constexpr int32_t kLookupVectorMin = 16;

/// The table colours of four sources as four pixels in one word, the first in the low bits.
inline uint64_t Colours4(const uint8_t* s, const uint16_t* t) {
    return uint64_t{t[s[0]]} | uint64_t{t[s[1]]} << 16 | uint64_t{t[s[2]]} << 32 | uint64_t{t[s[3]]} << 48;
}

/// d[i] = t[src[i]] for eight pixels, four to a store.
inline void Lookup8(const uint8_t* src, uint16_t* d, const uint16_t* t) {
    const uint64_t lo = Colours4(src, t);
    const uint64_t hi = Colours4(src + 4, t);
    std::memcpy(d, &lo, 8);
    std::memcpy(d + 4, &hi, 8);
}

/// d[i] = c for n pixels, four to a store.
inline void Fill16(uint16_t* d, int32_t n, uint16_t c) {
    const uint64_t c4 = c * 0x0001000100010001ull;
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        std::memcpy(d + i, &c4, 8);
    }
    for (; i < n; ++i) {
        d[i] = c;
    }
}

/// d[i] = t[src[i]] for n pixels.
inline void Lookup16(const uint8_t* src, int32_t n, uint16_t* d, const uint16_t* t) {
    if (n >= kLookupVectorMin && LookupVector16(src, n, d, t, false)) {
        return;
    }
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        Lookup8(src + i, d + i, t);
    }
    for (; i < n; ++i) {
        d[i] = t[src[i]];
    }
}

/// As Lookup16, but a source of 0 leaves its destination pixel: eight pixels are tested at once,
/// a group of zeros is passed over, a group without zeros is written whole and a mixed group is
/// merged four pixels at a time.
inline void LookupTrans16(const uint8_t* src, int32_t n, uint16_t* d, const uint16_t* t) {
    if (n >= kLookupVectorMin && LookupVector16(src, n, d, t, true)) {
        return;
    }
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t s;
        std::memcpy(&s, src + i, 8);
        if (s == 0) {
            continue;
        }
        if (((s - 0x0101010101010101ull) & ~s & 0x8080808080808080ull) == 0) {
            Lookup8(src + i, d + i, t);
            continue;
        }
        for (int32_t k = i; k < i + 8; k += 4) {
            const uint8_t* q = src + k;
            const uint64_t drawn = (q[0] != 0 ? 0xFFFFull : 0) | (q[1] != 0 ? 0xFFFFull << 16 : 0) |
                                   (q[2] != 0 ? 0xFFFFull << 32 : 0) | (q[3] != 0 ? 0xFFFFull << 48 : 0);
            uint64_t old;
            std::memcpy(&old, d + k, 8);
            const uint64_t merged = (Colours4(q, t) & drawn) | (old & ~drawn);
            std::memcpy(d + k, &merged, 8);
        }
    }
    for (; i < n; ++i) {
        if (src[i] != 0) {
            d[i] = t[src[i]];
        }
    }
}

inline void Put24(Pix24* p, uint32_t colour) {
    p->b = ColorBlue(colour);
    p->g = ColorGreen(colour);
    p->r = ColorRed(colour);
}

} // namespace blt

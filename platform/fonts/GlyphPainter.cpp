#include "platform/fonts/GlyphPainter.h"

#include <algorithm>

#include "platform/PixelConvert.h"
#include "platform/fonts/GlyphCache.h"

namespace plat::fontsys {

namespace {

/// (src x a + dst x (255 - a)) / 255, rounded.
inline uint8_t Mix(uint32_t dst, uint32_t src, uint32_t a) {
    const uint32_t t = src * a + dst * (255 - a) + 128;
    return uint8_t((t + (t >> 8)) >> 8);
}

/// Pixel rules per depth: Full writes the colour, Blend moves the pixel towards it.
struct Pixel8 {
    using Type = uint8_t;
    uint8_t index;
    explicit Pixel8(const TextDraw& c) : index(c.index) {}
    void Full(Type* p) const { *p = index; }
    void Blend(Type* p, uint32_t a) const {
        if (a >= 128) *p = index;
    }
};

/// 16 bits: the channels spread over a 32-bit word (green moved to the top half) so that one
/// multiply mixes all three, by the coverage in 32 steps.
template <bool Is565>
struct Pixel16 {
    using Type = uint16_t;
    static constexpr uint32_t kSpread = Is565 ? 0x07E0F81Fu : 0x03E07C1Fu;
    uint16_t packed;
    uint32_t spread;
    explicit Pixel16(const TextDraw& c) : packed(Pack(c.red, c.green, c.blue)), spread(Spread(packed)) {}
    static uint16_t Pack(uint32_t red, uint32_t green, uint32_t blue) {
        return Is565 ? uint16_t(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | (blue >> 3))
                     : uint16_t(((red & 0xF8) << 7) | ((green & 0xF8) << 2) | (blue >> 3));
    }
    static uint32_t Spread(uint32_t v) { return (v | v << 16) & kSpread; }
    void Full(Type* p) const { *p = packed; }
    void Blend(Type* p, uint32_t a) const {
        const uint32_t a32 = (a + 4) >> 3;
        const uint32_t mixed = ((spread * a32 + Spread(*p) * (32 - a32)) >> 5) & kSpread;
        *p = uint16_t(mixed | mixed >> 16);
    }
};

/// 24 and 32 bits: blue, green, red (and a fourth byte left alone).
template <int Bytes>
struct PixelBgr {
    struct Type {
        uint8_t c[Bytes];
    };
    uint8_t r, g, b;
    explicit PixelBgr(const TextDraw& c) : r(c.red), g(c.green), b(c.blue) {}
    void Full(Type* p) const {
        p->c[0] = b;
        p->c[1] = g;
        p->c[2] = r;
    }
    void Blend(Type* p, uint32_t a) const {
        p->c[0] = Mix(p->c[0], b, a);
        p->c[1] = Mix(p->c[1], g, a);
        p->c[2] = Mix(p->c[2], r, a);
    }
};

template <class Rule>
void PaintWith(const PixelTarget& target, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t gx, int32_t gy,
               const Glyph& glyph, const Rule& rule) {
    using T = typename Rule::Type;
    for (int32_t y = y0; y < y1; ++y) {
        T* row = reinterpret_cast<T*>(target.top + intptr_t(y) * target.pitch);
        const uint8_t* cover = glyph.coverage.data() + size_t(y - gy) * size_t(glyph.width) + size_t(x0 - gx);
        for (int32_t x = x0; x < x1; ++x, ++cover) {
            const uint32_t a = *cover;
            if (a == 0) continue;
            if (a == 255) rule.Full(row + x);
            else rule.Blend(row + x, a);
        }
    }
}

template <class Rule>
void FillWith(const PixelTarget& target, const TextRect& r, const Rule& rule) {
    using T = typename Rule::Type;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        T* row = reinterpret_cast<T*>(target.top + intptr_t(y) * target.pitch);
        for (int32_t x = r.left; x < r.right; ++x) rule.Full(row + x);
    }
}

TextRect Intersect(const TextRect& a, const TextRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const TextRect& r) { return r.right <= r.left || r.bottom <= r.top; }

/// Runs `paint` with the pixel rule of the target's depth; nothing for other depths.
template <class Paint>
void WithRule(const PixelTarget& target, const TextDraw& colour, Paint paint) {
    switch (target.bits) {
    case 8: paint(Pixel8(colour)); break;
    case 16:
        if (target.is565) paint(Pixel16<true>(colour));
        else paint(Pixel16<false>(colour));
        break;
    case 24: paint(PixelBgr<3>(colour)); break;
    case 32: paint(PixelBgr<4>(colour)); break;
    default: break;
    }
}

} // namespace

TextRect ClipToTarget(const PixelTarget& target, const TextRect& clip) {
    if (!target.top) return {};
    TextRect r = Intersect(clip, {0, 0, target.width, target.height});
    return IsEmpty(r) ? TextRect{} : r;
}

void PaintGlyph(const PixelTarget& target, const TextRect& clip, int32_t x, int32_t y, const Glyph& glyph,
                const TextDraw& colour) {
    const TextRect r = Intersect(clip, {x, y, x + glyph.width, y + glyph.rows});
    if (IsEmpty(r)) return;
    WithRule(target, colour, [&](const auto& rule) { PaintWith(target, r.left, r.top, r.right, r.bottom, x, y, glyph, rule); });
}

void PaintBar(const PixelTarget& target, const TextRect& clip, const TextRect& bar, const TextDraw& colour) {
    const TextRect r = Intersect(clip, bar);
    if (IsEmpty(r)) return;
    WithRule(target, colour, [&](const auto& rule) { FillWith(target, r, rule); });
}

} // namespace plat::fontsys

// Plain and scaled line routines into 16-bit destinations: solid, transparent, silhouette,
// tinted and blended, from 8-bit palettised sources and 16-bit sources.
#include <cstring>

#include "engine/blit/BltPixel.h"
#include "engine/blit/BltWalk.h"
#include "engine/blit/Blitter.h"

using blt::Walk;

namespace {

template <Walk W>
void Solid8To16(const uint8_t* src, int16_t count, void* dst, CColorPalette* palette) {
    if (count <= 0) {
        return;
    }
    const uint16_t* t = blt::PaletteView(palette, true).table16;
    uint16_t* d = static_cast<uint16_t*>(dst);
    if constexpr (W == Walk::kPlain) {
        blt::Lookup16(src, count, d, t);
    } else {
        blt::ForEachPixel<W>(count, [&](int32_t j, int32_t i) { d[j] = t[src[i]]; });
    }
}

template <Walk W>
void Trans8To16(const uint8_t* src, int16_t count, void* dst, CColorPalette* palette) {
    if (count <= 0) {
        return;
    }
    const uint16_t* t = blt::PaletteView(palette, true).table16;
    uint16_t* d = static_cast<uint16_t*>(dst);
    if constexpr (W == Walk::kPlain) {
        blt::LookupTrans16(src, count, d, t);
        return;
    }
    blt::ForEachPixel<W>(count, [&](int32_t j, int32_t i) {
        const uint8_t v = src[i];
        if (v != 0) {
            d[j] = t[v];
        }
    });
}

/// How a plain 16-bit source reaches the destination layout: as it is, converted between 5-5-5
/// and 5-6-5, or not at all (the layouts differ and the source is neither).
enum class Convert { kNone, k555To565, k565To555, kUnsupported };

Convert ConversionOf(const BltSettings& s) {
    if (s.BltSrcPixelFormat == s.BltDstPixelFormat) {
        return Convert::kNone;
    }
    if (s.BltSrcPixelFormat == 1) {
        return Convert::k555To565;
    }
    if (s.BltSrcPixelFormat == 2) {
        return Convert::k565To555;
    }
    return Convert::kUnsupported;
}

template <Convert C>
inline uint16_t Converted(uint16_t v) {
    if constexpr (C == Convert::k555To565) {
        return blt::To565(v);
    } else if constexpr (C == Convert::k565To555) {
        return blt::To555(v);
    } else {
        return v;
    }
}

template <Convert C, bool Keyed>
void Copy16(const uint8_t* src, int32_t pixels, uint16_t* d, uint16_t key) {
    for (int32_t j = 0; j < pixels; ++j) {
        const uint16_t v = blt::Load16(src + 2 * j);
        if (!Keyed || v != key) {
            d[j] = Converted<C>(v);
        }
    }
}

template <bool Keyed>
void Plain16To16(const uint8_t* src, int16_t count, void* dst) {
    if (count <= 0) {
        return;
    }
    const BltSettings& s = BltContext();
    const int32_t pixels = count >> 1;
    uint16_t* d = static_cast<uint16_t*>(dst);
    switch (ConversionOf(s)) {
    case Convert::kNone:
        if (Keyed) {
            Copy16<Convert::kNone, true>(src, pixels, d, s.BltColorKey16);
        } else {
            std::memcpy(dst, src, static_cast<size_t>(count));  // the odd byte too
        }
        break;
    case Convert::k555To565: Copy16<Convert::k555To565, Keyed>(src, pixels, d, s.BltColorKey16); break;
    case Convert::k565To555: Copy16<Convert::k565To555, Keyed>(src, pixels, d, s.BltColorKey16); break;
    case Convert::kUnsupported: break;
    }
}

template <bool Keyed>
void Scaled16To16(const uint8_t* src, int16_t count, void* dst) {
    const uint16_t key = BltContext().BltColorKey16;
    uint16_t* d = static_cast<uint16_t*>(dst);
    blt::ForEachPixel<Walk::kScaled>(count, [&](int32_t j, int32_t i) {
        const uint16_t v = blt::Load16(src + 2 * i);
        if (!Keyed || v != key) {
            d[j] = v;
        }
    });
}

/// Tinted and channel-blend routines, by destination layout (nothing for other layouts).
template <Walk W, class Rule>
void Colour8To16(const uint8_t* src, int16_t count, void* dst, CColorPalette* palette, Rule rule) {
    if (count <= 0) {
        return;
    }
    blt::WithLayout16(BltContext().BltDstPixelFormat, [&](auto is565) {
        const uint32_t* e = blt::PaletteView(palette, false).entries;
        uint16_t* d = static_cast<uint16_t*>(dst);
        blt::ForEachPixel<W>(count, [&](int32_t j, int32_t i) {
            const uint8_t v = src[i];
            if (v != 0) {
                d[j] = rule.template operator()<decltype(is565)::value>(e[v], d[j]);
            }
        });
    });
}

struct TintRule {
    uint32_t tint;
    int16_t level;
    template <bool Is565>
    uint16_t operator()(uint32_t colour, uint16_t) const {
        return blt::Tint<Is565>(colour, tint, level);
    }
};
struct ChannelRule {
    int16_t level;
    template <bool Is565>
    uint16_t operator()(uint32_t colour, uint16_t d) const {
        return blt::ChannelBlend<Is565>(colour, d, level);
    }
};

template <Walk W>
void Tinted(const uint8_t* src, int16_t count, void* dst, CColorPalette* palette) {
    const BltSettings& s = BltContext();
    Colour8To16<W>(src, count, dst, palette, TintRule{s.BltTintColor, s.BltTintLevel});
}

template <Walk W>
void ChannelBlended(const uint8_t* src, int16_t count, void* dst, CColorPalette* palette) {
    Colour8To16<W>(src, count, dst, palette, ChannelRule{BltContext().BltBlendLevel});
}

template <bool Is565>
void FieldBlendLine(const uint8_t* src, int32_t count, uint16_t* d, const uint16_t* t, int32_t a) {
    for (int32_t j = 0; j < count; ++j) {
        const uint8_t v = src[j];
        if (v != 0) {
            d[j] = blt::FieldBlend<Is565>(t[v], d[j], a);
        }
    }
}

} // namespace

void BltSolid_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) { Solid8To16<Walk::kPlain>(s, n, d, p); }
void BltSolidX_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) { Solid8To16<Walk::kPlainX>(s, n, d, p); }
void BltTrans_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) { Trans8To16<Walk::kPlain>(s, n, d, p); }
void BltTransX_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) { Trans8To16<Walk::kPlainX>(s, n, d, p); }
void BltScaledSolid_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    Solid8To16<Walk::kScaled>(s, n, d, p);
}
void BltScaledSolidX_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    Solid8To16<Walk::kScaledX>(s, n, d, p);
}
void BltScaledTrans_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    Trans8To16<Walk::kScaled>(s, n, d, p);
}
void BltScaledTransX_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    Trans8To16<Walk::kScaledX>(s, n, d, p);
}

void BltSilhouette_8bTo16b(const uint8_t* src, int16_t count, void* dst, CColorPalette* palette) {
    if (count <= 0) {
        return;
    }
    // Entry 0 of the palette's 16-bit table (built when missing); black without a palette.
    const uint16_t colour = palette != nullptr ? blt::PaletteView(palette, true).table16[0] : 0;
    uint16_t* d = static_cast<uint16_t*>(dst);
    blt::ForEachPixel<Walk::kPlain>(count, [&](int32_t j, int32_t i) {
        if (src[i] != 0) {
            d[j] = colour;
        }
    });
}

void BltSolid_16bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette*) { Plain16To16<false>(s, n, d); }
void BltTrans_16bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette*) { Plain16To16<true>(s, n, d); }
void BltScaledSolid_16bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette*) { Scaled16To16<false>(s, n, d); }
void BltScaledTrans_16bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette*) { Scaled16To16<true>(s, n, d); }

void BltTinted_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) { Tinted<Walk::kPlain>(s, n, d, p); }
void BltTintedX_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) { Tinted<Walk::kPlainX>(s, n, d, p); }
void BltScaledTinted_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    Tinted<Walk::kScaled>(s, n, d, p);
}
void BltScaledTintedX_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    Tinted<Walk::kScaledX>(s, n, d, p);
}
void BltBlendedX_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    ChannelBlended<Walk::kPlainX>(s, n, d, p);
}
void BltScaledBlended_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    ChannelBlended<Walk::kScaled>(s, n, d, p);
}
void BltScaledBlendedX_8bTo16b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    ChannelBlended<Walk::kScaledX>(s, n, d, p);
}

void BltBlended_8bTo16b(const uint8_t* src, int16_t count, void* dst, CColorPalette* palette) {
    if (count <= 0) {
        return;
    }
    const BltSettings& s = BltContext();
    blt::WithLayout16(s.BltDstPixelFormat, [&](auto is565) {
        const uint16_t* t = blt::PaletteView(palette, true).table16;
        FieldBlendLine<decltype(is565)::value>(src, count, static_cast<uint16_t*>(dst), t,
                                               blt::FieldBlendWeight(s.BltBlendLevel));
    });
}

void BltTintPixel_8bTo555(const uint8_t* src, CColorPalette* palette, uint16_t* dst, uint32_t tint,
                          int16_t level) {
    *dst = blt::Tint<false>(blt::PaletteView(palette, false).entries[*src], tint, level);
}

void BltTintPixel_8bTo565(const uint8_t* src, CColorPalette* palette, uint16_t* dst, uint32_t tint,
                          int16_t level) {
    *dst = blt::Tint<true>(blt::PaletteView(palette, false).entries[*src], tint, level);
}

#include "engine/graphics/Kernels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/base/Trace.h"
#include "engine/base/Unaligned.h"
#include "engine/blit/Blitter.h"
#include "engine/blit/BltPixel.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/KernelsSimd.inc"

namespace {

using unaligned::Load16;
using unaligned::Store16;

inline bool Ready(const CLineContext& l) { return l.srcLine && l.dstLine && l.pixelCount > 0; }

using blt::To555;
using blt::To565;

// Expands a 16-bit pixel to red, green, blue bytes by the source format (2 is 5-6-5).
inline void Expand16(uint16_t s, int16_t format, uint8_t& r, uint8_t& g, uint8_t& b) {
    if (format == kPixelFormat565) {
        blt::Expand16<true>(s, r, g, b);
    } else {
        blt::Expand16<false>(s, r, g, b);
    }
}

inline bool Is16Layout(int16_t format) { return format == kPixelFormat555 || format == kPixelFormat565; }

// Palette tables for a line: the source palette's 16-bit table, built on demand.
const uint16_t* Table16(const CLineContext& l) {
    if (!l.srcPalette) return nullptr;
    if (!l.srcPalette->Has16BitTable()) l.srcPalette->Build16BitTable();
    return l.srcPalette->Get16BitTable();
}

template <bool kSkipZero>
void PaletteTo16Line(const CLineContext& l) {
    if (!Ready(l)) return;
    const uint16_t* table = Table16(l);
    if (!table) return;
    const uint8_t* s = l.srcLine;
    uint8_t* d = l.dstLine;
    for (int i = 0; i < l.pixelCount; ++i) {
        const uint8_t p = s[i];
        if (kSkipZero && p == 0) continue;
        Store16(d + 2 * i, table[p]);
    }
}

template <bool kSkipZero>
void PaletteTo24Line(const CLineContext& l) {
    if (!Ready(l) || !l.srcPalette) return;
    const uint32_t* entries = l.srcPalette->Entries();
    const uint8_t* s = l.srcLine;
    uint8_t* d = l.dstLine;
    for (int i = 0; i < l.pixelCount; ++i) {
        const uint8_t p = s[i];
        if (kSkipZero && p == 0) continue;
        const uint32_t c = entries[p];
        d[3 * i + 0] = ColorBlue(c);
        d[3 * i + 1] = ColorGreen(c);
        d[3 * i + 2] = ColorRed(c);
    }
}

template <bool kSkipZero>
void Color16To24Line(const CLineContext& l) {
    if (!Ready(l)) return;
    const uint8_t* s = l.srcLine;
    uint8_t* d = l.dstLine;
    for (int i = 0; i < l.pixelCount; ++i) {
        const uint16_t p = Load16(s + 2 * i);
        if (kSkipZero && p == 0) continue;
        Expand16(p, l.srcFormat, d[3 * i + 2], d[3 * i + 1], d[3 * i + 0]);
    }
}

// Converting 16-bit copies; the transparent forms skip the key (black packs to 0 in both
// layouts) and walk from right to left.
#if defined(__SSE2__)
template <uint16_t (*kConvert)(uint16_t)>
constexpr auto VectorOf() {
    if constexpr (kConvert == To565) return simd::To565;
    else if constexpr (kConvert == To555) return simd::To555;
    else return simd::Same;
}
#endif

template <uint16_t (*kConvert)(uint16_t), bool kSkipKey>
void Convert16Line(const CLineContext& l, const CDrawSettings& settings, uint16_t key) {
    if (!Ready(l)) return;
    const uint8_t* s = l.srcLine;
    uint8_t* d = l.dstLine;
    int done = 0;
#if defined(__SSE2__)
    if (settings.vectorCode) done = simd::Line16<VectorOf<kConvert>(), kSkipKey>(s, d, l.pixelCount, key);
#else
    static_cast<void>(settings);
#endif
    if (!kSkipKey) {
        for (int i = done; i < l.pixelCount; ++i) Store16(d + 2 * i, kConvert(Load16(s + 2 * i)));
        return;
    }
    for (int i = l.pixelCount - 1; i >= done; --i) {
        const uint16_t p = Load16(s + 2 * i);
        if (p != key) Store16(d + 2 * i, kConvert(p));
    }
}

inline uint16_t Same(uint16_t s) { return s; }

// The transparent colour of a 24-bit line as its blue, green, red bytes.
class Key24 {
public:
    explicit Key24(uint32_t colour) : m_b(ColorBlue(colour)), m_g(ColorGreen(colour)), m_r(ColorRed(colour)) {}
    bool Matches(const uint8_t* p) const { return p[0] == m_b && p[1] == m_g && p[2] == m_r; }

private:
    uint8_t m_b, m_g, m_r;
};

const CColorPalette* DestinationPalette(const CLineContext& l) {
    return l.dstPalette ? l.dstPalette : &xGraphics_GlobalPalette();
}

} // namespace

uint16_t Blend16Pixel(uint16_t s, uint16_t d, int level, int16_t srcFormat, int16_t dstFormat) {
    const bool wide = dstFormat == kPixelFormat565;
    if (srcFormat != dstFormat) s = wide ? To565(s) : To555(s);
    const int redShift = wide ? 11 : 10;
    const int greenMask = wide ? 0x3F : 0x1F;
    const int sr = (s >> redShift) & 0x1F, sg = (s >> 5) & greenMask, sb = s & 0x1F;
    const int dr = (d >> redShift) & 0x1F, dg = (d >> 5) & greenMask, db = d & 0x1F;
    const int r = (sr + (((dr - sr) * level) >> 8)) & 0x1F;
    const int g = (sg + (((dg - sg) * level) >> 8)) & greenMask;
    const int b = (sb + (((db - sb) * level) >> 8)) & 0x1F;
    return uint16_t((r << redShift) | (g << 5) | b);
}

namespace kernels {

void ByteCopy(const CLineContext& l, const CDrawSettings&) {
    if (l.srcLine && l.dstLine && l.byteCount > 0) std::memmove(l.dstLine, l.srcLine, size_t(l.byteCount));
}

void ByteCopyByPixels(const CLineContext& l, const CDrawSettings&) {
    if (Ready(l)) std::memmove(l.dstLine, l.srcLine, size_t(l.pixelCount));
}

void Transparent8(const CLineContext& l, const CDrawSettings& settings) {
    if (!Ready(l)) return;
    const uint8_t* s = l.srcLine;
    uint8_t* d = l.dstLine;
    int i = 0;
#if defined(__SSE2__)
    if (settings.vectorCode) i = simd::Transparent8(s, d, l.pixelCount);
#else
    static_cast<void>(settings);
#endif
    for (; i < l.pixelCount; ++i)
        if (s[i]) d[i] = s[i];
}

void PaletteTo16(const CLineContext& l, const CDrawSettings&) { PaletteTo16Line<false>(l); }
void PaletteTo16Transparent(const CLineContext& l, const CDrawSettings&) { PaletteTo16Line<true>(l); }
void PaletteTo24(const CLineContext& l, const CDrawSettings&) { PaletteTo24Line<false>(l); }
void PaletteTo24Transparent(const CLineContext& l, const CDrawSettings&) { PaletteTo24Line<true>(l); }
void Color16To24(const CLineContext& l, const CDrawSettings&) { Color16To24Line<false>(l); }
void Color16To24Transparent(const CLineContext& l, const CDrawSettings&) { Color16To24Line<true>(l); }

void Color16ToPalette(const CLineContext& l, const CDrawSettings&) {
    if (!Ready(l)) return;
    const CColorPalette* palette = DestinationPalette(l);
    CGraphicsContext::NearestMemo& memo = xGraphics_Context().nearest16;
    const int16_t format = l.srcFormat == kPixelFormat565 ? kPixelFormat565 : kPixelFormat555;
    if (memo.index.empty() || memo.generation != palette->Generation() || memo.format != format) {
        memo.index.assign(65536, -1);
        memo.generation = palette->Generation();
        memo.format = format;
    }
    for (int i = 0; i < l.pixelCount; ++i) {
        const uint16_t v = Load16(l.srcLine + 2 * i);
        int16_t& found = memo.index[v];
        if (found < 0) {
            uint8_t r, g, b;
            Expand16(v, format, r, g, b);
            found = int16_t(uint8_t(palette->FindNearestColorSum(ColorWord(r, g, b))));
        }
        l.dstLine[i] = uint8_t(found);
    }
}

void Transparent16(const CLineContext& l, const CDrawSettings& s) {
    Convert16Line<Same, true>(l, s, PackColor16(s.transparentColor, l.srcFormat));
}
void Convert555To565(const CLineContext& l, const CDrawSettings& s) { Convert16Line<To565, false>(l, s, 0); }
void Convert565To555(const CLineContext& l, const CDrawSettings& s) { Convert16Line<To555, false>(l, s, 0); }
void Convert555To565Transparent(const CLineContext& l, const CDrawSettings& s) {
    Convert16Line<To565, true>(l, s, PackColor555(s.transparentColor));
}
void Convert565To555Transparent(const CLineContext& l, const CDrawSettings& s) {
    Convert16Line<To555, true>(l, s, PackColor565(s.transparentColor));
}

void Transparent24(const CLineContext& l, const CDrawSettings& s) {
    if (!Ready(l)) return;
    const Key24 key(s.transparentColor);
    const uint8_t* src = l.srcLine;
    uint8_t* d = l.dstLine;
    for (int i = 0; i < l.pixelCount; ++i) {
        const uint8_t* p = src + 3 * i;
        if (key.Matches(p)) continue;
        d[3 * i + 0] = p[0];
        d[3 * i + 1] = p[1];
        d[3 * i + 2] = p[2];
    }
}

void Color24ToPalette(const CLineContext& l, const CDrawSettings& s) {
    if (!Ready(l)) return;
    const Key24 key(s.transparentColor);
    const CColorPalette* palette = DestinationPalette(l);
    CGraphicsContext::NearestMemo24& memo = xGraphics_Context().nearest24;
    if (memo.index.empty()) {
        memo.index.resize(size_t{1} << 24);
        memo.searched.assign(size_t{1} << 18, 0);
    } else if (memo.generation != palette->Generation()) {
        std::fill(memo.searched.begin(), memo.searched.end(), 0);
    }
    memo.generation = palette->Generation();
    for (int i = 0; i < l.pixelCount; ++i) {
        const uint8_t* p = l.srcLine + 3 * i;
        if (key.Matches(p)) {
            l.dstLine[i] = 0;
            continue;
        }
        const uint32_t colour = ColorWord(p[2], p[1], p[0]);
        uint64_t& bits = memo.searched[colour >> 6];
        const uint64_t bit = uint64_t{1} << (colour & 63);
        if ((bits & bit) == 0) {
            memo.index[colour] = uint8_t(palette->FindNearestColorSum(colour));
            bits |= bit;
        }
        l.dstLine[i] = memo.index[colour];
    }
}

void Color24To16(const CLineContext& l, const CDrawSettings& s) {
    if (!Ready(l) || !Is16Layout(l.dstFormat)) return;
    const Key24 key(s.transparentColor);
    for (int i = 0; i < l.pixelCount; ++i) {
        const uint8_t* p = l.srcLine + 3 * i;
        if (key.Matches(p)) continue;
        Store16(l.dstLine + 2 * i, PackColor16(ColorWord(p[2], p[1], p[0]), l.dstFormat));
    }
}

void Tinted8(const CLineContext& l, const CDrawSettings& s) {
    if (!s.tintTable) {
        xTrace("Warning - tinted draw called without tint palette set\n");
        Transparent8(l, s);
        return;
    }
    if (!Ready(l)) return;
    for (int i = 0; i < l.pixelCount; ++i) {
        const uint8_t p = l.srcLine[i];
        if (p) l.dstLine[i] = s.tintTable[p];
    }
}

void Tinted8To16(const CLineContext& l, const CDrawSettings& s) {
    if (!Ready(l) || !l.srcPalette || !Is16Layout(l.dstFormat)) return;
    const uint32_t* entries = l.srcPalette->Entries();
    const int tr = ColorRed(s.tintColor), tg = ColorGreen(s.tintColor), tb = ColorBlue(s.tintColor);
    const int level = s.tintLevel;
    for (int i = 0; i < l.pixelCount; ++i) {
        const uint8_t p = l.srcLine[i];
        if (!p) continue;
        const uint32_t c = entries[p];
        const int r = ColorRed(c), g = ColorGreen(c), b = ColorBlue(c);
        const uint32_t tinted = ColorWord(uint8_t(r + (((tr - r) * level) >> 8)), uint8_t(g + (((tg - g) * level) >> 8)),
                                          uint8_t(b + (((tb - b) * level) >> 8)));
        Store16(l.dstLine + 2 * i, PackColor16(tinted, l.dstFormat));
    }
}

void Blended16(const CLineContext& l, const CDrawSettings& s) {
    if (!Ready(l) || !Is16Layout(l.srcFormat) || !Is16Layout(l.dstFormat)) return;
    const int level = s.blendLevel;
    int i = 0;
#if defined(__SSE2__)
    if (s.vectorCode) i = simd::Blend16(l.srcLine, l.dstLine, l.pixelCount, level, l.srcFormat, l.dstFormat);
#endif
    for (; i < l.pixelCount; ++i) {
        const uint16_t sp = Load16(l.srcLine + 2 * i);
        const uint16_t dp = Load16(l.dstLine + 2 * i);
        Store16(l.dstLine + 2 * i, Blend16Pixel(sp, dp, level, l.srcFormat, l.dstFormat));
    }
}

void Masked8(const CLineContext& l, const CDrawSettings& settings) {
    if (!Ready(l) || !l.maskLine) return;
    int i = 0;
#if defined(__SSE2__)
    if (settings.vectorCode) i = simd::Masked8(l.srcLine, l.dstLine, l.maskLine, l.pixelCount);
#else
    static_cast<void>(settings);
#endif
    for (; i < l.pixelCount; ++i)
        if (l.maskLine[i]) l.dstLine[i] = l.srcLine[i];
}

void Masked8To16(const CLineContext& l, const CDrawSettings&) {
    if (!Ready(l) || !l.maskLine) return;
    const uint16_t* table = Table16(l);
    if (!table) return;
    for (int i = 0; i < l.pixelCount; ++i)
        if (l.maskLine[i]) Store16(l.dstLine + 2 * i, table[l.srcLine[i]]);
}

void Masked16(const CLineContext& l, const CDrawSettings& settings) {
    if (!Ready(l) || !l.maskLine) return;
    int done = 0;
#if defined(__SSE2__)
    if (settings.vectorCode) done = simd::Masked16(l.srcLine, l.dstLine, l.maskLine, l.pixelCount);
#else
    static_cast<void>(settings);
#endif
    for (int i = l.pixelCount - 1; i >= done; --i)
        if (l.maskLine[i]) Store16(l.dstLine + 2 * i, Load16(l.srcLine + 2 * i));
}

void MaskDestination(const CLineContext& l, const CDrawSettings&) {
    if (!Ready(l)) return;
    for (int i = 0; i < l.pixelCount; ++i)
        if (l.srcLine[i] == 0) l.dstLine[i] = 0;
}

void Mirrored8(const CLineContext& l, const CDrawSettings&) {
    if (!Ready(l)) return;
    const int n = l.pixelCount;
    for (int i = 0; i < n; ++i) l.dstLine[n - 1 - i] = l.srcLine[i];
}

void MirroredTransparent8(const CLineContext& l, const CDrawSettings&) {
    if (!Ready(l)) return;
    const int n = l.pixelCount;
    for (int i = 0; i < n; ++i)
        if (l.srcLine[i]) l.dstLine[n - 1 - i] = l.srcLine[i];
}

void MirroredTinted8(const CLineContext& l, const CDrawSettings& s) {
    if (!s.tintTable) {
        xTrace("Warning - flipped tinted draw called without tint palette set\n");
        MirroredTransparent8(l, s);
        return;
    }
    if (!Ready(l)) return;
    const int n = l.pixelCount;
    for (int i = 0; i < n; ++i)
        if (l.srcLine[i]) l.dstLine[n - 1 - i] = s.tintTable[l.srcLine[i]];
}

void MirroredBlended8(const CLineContext& l, const CDrawSettings& s) {
    xTrace("Warning - flipped blended draw called without blend palette set\n");
    MirroredTransparent8(l, s);
}

void MirroredMasked8(const CLineContext& l, const CDrawSettings&) {
    if (!Ready(l) || !l.maskLine) return;
    const int n = l.pixelCount;
    for (int i = 0; i < n; ++i)
        if (l.maskLine[i]) l.dstLine[n - 1 - i] = l.srcLine[i];
}

void MirroredMasked16(const CLineContext& l, const CDrawSettings&) {
    if (!Ready(l) || !l.maskLine) return;
    const int n = l.pixelCount;
    for (int i = 0; i < n; ++i)
        if (l.maskLine[i]) Store16(l.dstLine + 2 * (n - 1 - i), Load16(l.srcLine + 2 * i));
}

template <int kBytes>
void StretchedMaskedLine(const CLineContext& l) {
    if (!Ready(l) || !l.maskLine || !l.columnTable) return;
    for (int j = l.pixelCount - 1; j >= 0; --j)
        if (l.maskLine[j]) std::memcpy(l.dstLine + kBytes * j, l.srcLine + kBytes * l.columnTable[j], kBytes);
}

void StretchedMasked8(const CLineContext& l, const CDrawSettings&) { StretchedMaskedLine<1>(l); }
void StretchedMasked16(const CLineContext& l, const CDrawSettings&) { StretchedMaskedLine<2>(l); }
void StretchedMasked24(const CLineContext& l, const CDrawSettings&) { StretchedMaskedLine<3>(l); }
void StretchedMasked32(const CLineContext& l, const CDrawSettings&) { StretchedMaskedLine<4>(l); }

} // namespace kernels

namespace {

using namespace kernels;

// Indices: 0 1-bit, 1 2-bit, 2 4-bit, 3 8-bit, 4 16-bit, 5 24-bit, 6 32-bit.
constexpr DrawKernel kCopy[7][7] = {
    {}, {}, {},
    {nullptr, nullptr, nullptr, ByteCopyByPixels, PaletteTo16, PaletteTo24, nullptr},
    {nullptr, nullptr, nullptr, Color16ToPalette, ByteCopy, Color16To24, nullptr},
    {nullptr, nullptr, nullptr, Color24ToPalette, Color24To16, ByteCopy, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, ByteCopy},
};
constexpr DrawKernel kTransparent[7][7] = {
    {}, {}, {},
    {nullptr, nullptr, nullptr, Transparent8, PaletteTo16Transparent, PaletteTo24Transparent, nullptr},
    {nullptr, nullptr, nullptr, nullptr, Transparent16, Color16To24Transparent, nullptr},
    {nullptr, nullptr, nullptr, nullptr, Color24To16, Transparent24, nullptr},
    {},
};
constexpr DrawKernel kTinted[7][7] = {
    {}, {}, {},
    {nullptr, nullptr, nullptr, Tinted8, Tinted8To16, nullptr, nullptr},
    {}, {}, {},
};
constexpr DrawKernel kBlended[7][7] = {
    {}, {}, {}, {},
    {nullptr, nullptr, nullptr, nullptr, Blended16, nullptr, nullptr},
    {}, {},
};
constexpr DrawKernel kMask[7][7] = {
    {}, {}, {},
    {nullptr, nullptr, nullptr, MaskDestination, nullptr, nullptr, nullptr},
    {}, {}, {},
};

} // namespace

DrawKernel KernelCell(KernelTable table, int srcBits, int dstBits) {
    const int s = DepthIndex(srcBits), d = DepthIndex(dstBits);
    if (s < 0 || d < 0) return nullptr;
    switch (table) {
    case KernelTable::Copy: return kCopy[s][d];
    case KernelTable::Transparent: return kTransparent[s][d];
    case KernelTable::Tinted: return kTinted[s][d];
    case KernelTable::Blended: return kBlended[s][d];
    case KernelTable::Mask: return kMask[s][d];
    }
    return nullptr;
}

int BuildStretchIndex(int16_t* table, int destStart, int destEnd, int srcStart, int srcEnd) {
    const int dn = std::abs(destEnd - destStart);
    const int sn = std::abs(srcEnd - srcStart);
    const int dStep = destEnd >= destStart ? 1 : -1;
    const int sStep = srcEnd >= srcStart ? 1 : -1;
    int k = 0;
    if (dn == 0 || sn == 0) {
        // One-pixel extents: every destination position shows the first source position.
        for (int x = destStart, i = 0; i <= dn; ++i, x += dStep)
            if (x >= 0) table[k++] = int16_t(srcStart);
        return k;
    }
    int err = 2 * sn - dn;
    int x = destStart, y = srcStart;
    for (int i = 0; i <= dn; ++i) {
        if (x >= 0) table[k++] = int16_t(y);
        while (err >= 0) {
            err -= 2 * dn;
            y += sStep;
        }
        err += 2 * sn;
        x += dStep;
    }
    return k;
}

bool BytesEqual(const uint8_t* a, const uint8_t* b, int n) {
    for (int i = n - 1; i >= 0; --i)
        if (a[i] != b[i]) return false;
    return true;
}

bool PixelMatchesColorList(const uint8_t* pixel, const uint32_t* colours, int count, int bytesPerPixel,
                           int16_t format) {
    for (int i = 0; i < count; ++i) {
        const uint32_t c = colours[i];
        if (bytesPerPixel == 2) {
            if (Load16(pixel) == PackColor16(c, format)) return true;
        } else if (bytesPerPixel == 3) {
            if (Key24(c).Matches(pixel)) return true;
        }
    }
    return false;
}

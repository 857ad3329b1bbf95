// Plain and scaled line routines into 24-bit destinations (blue, green, red in memory).
#include "engine/blit/BltPixel.h"
#include "engine/blit/BltWalk.h"
#include "engine/blit/Blitter.h"

using blt::Walk;

namespace {

template <Walk W, bool Trans>
void Copy8To24(const uint8_t* src, int16_t count, void* dst, CColorPalette* palette) {
    if (count <= 0) {
        return;
    }
    const uint32_t* e = blt::PaletteView(palette, false).entries;
    blt::Pix24* d = static_cast<blt::Pix24*>(dst);
    blt::ForEachPixel<W>(count, [&](int32_t j, int32_t i) {
        const uint8_t v = src[i];
        if (!Trans || v != 0) {
            blt::Put24(d + j, e[v]);
        }
    });
}

template <bool Is565>
void Expand16To24(const uint8_t* src, int32_t pixels, blt::Pix24* d) {
    for (int32_t j = 0; j < pixels; ++j) {
        blt::Expand16<Is565>(blt::Load16(src + 2 * j), d[j].r, d[j].g, d[j].b);
    }
}

} // namespace

void BltSolid_8bTo24b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    Copy8To24<Walk::kPlain, false>(s, n, d, p);
}
void BltSolidX_8bTo24b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    Copy8To24<Walk::kPlainX, false>(s, n, d, p);
}
void BltTrans_8bTo24b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    Copy8To24<Walk::kPlain, true>(s, n, d, p);
}
void BltTransX_8bTo24b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    Copy8To24<Walk::kPlainX, true>(s, n, d, p);
}
void BltScaledTrans_8bTo24b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    Copy8To24<Walk::kScaled, true>(s, n, d, p);
}
void BltScaledTransX_8bTo24b(const uint8_t* s, int16_t n, void* d, CColorPalette* p) {
    Copy8To24<Walk::kScaledX, true>(s, n, d, p);
}

void BltSolid_16bTo24b(const uint8_t* src, int16_t count, void* dst, CColorPalette*) {
    if (count <= 0) {
        return;
    }
    blt::WithLayout16(BltContext().BltSrcPixelFormat, [&](auto is565) {
        Expand16To24<decltype(is565)::value>(src, count >> 1, static_cast<blt::Pix24*>(dst));
    });
}

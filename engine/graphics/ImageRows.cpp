#include "engine/graphics/ImageRows.h"

#include <algorithm>
#include <cstring>

#include "engine/blit/Blitter.h"
#include "engine/blit/ColorPalette.h"

namespace {

/// The pixel format code of an image depth: 8-bit palettised, 5-5-5 or 24-bit.
int16_t FormatOfDepth(int16_t bits) {
    return bits == 16 ? kPixelFormat555 : bits == 24 ? kPixelFormat24 : kPixelFormat8;
}

/// Pixels per call of a line routine: its count is 16-bit, and counts bytes of 16-bit sources.
constexpr int32_t kPiece = 8192;

} // namespace

CImageRows::CImageRows(CDrawSurface* surface, int16_t imageBits, int32_t imageWidth, CColorPalette* palette)
    : m_surface(surface), m_imageBits(imageBits), m_palette(palette) {
    const bool knownDepth = imageBits == 8 || imageBits == 16 || imageBits == 24 || imageBits == 32;
    if (!surface || imageWidth < 1 || !knownDepth) return;
    const int16_t bits = surface->GetBitsPerPixel();
    m_convert = bits != imageBits || (bits == 16 && surface->GetPixelFormat() == kPixelFormat565);
    if (m_convert) {
        m_blit = GetBltSolid(imageBits, bits, 0);
        if (!m_blit) return;
        if (!m_palette) m_palette = surface->EffectivePalette();
        if (imageBits == 8 && bits == 16) m_palette->Build16BitTable();
        BltContext().BltSrcPixelFormat = FormatOfDepth(imageBits);
        BltContext().BltDstPixelFormat = surface->GetPixelFormat();
    }
    m_count = std::min<int32_t>(imageWidth, surface->GetWidth());
    m_viaLine = m_convert || m_count < imageWidth;
    if (m_viaLine) m_line.resize(size_t(imageWidth) * size_t(imageBits / 8));
    m_ready = true;
    m_hold.emplace(surface);
}

uint8_t* CImageRows::LockRow(int32_t y) {
    uint8_t* pixels = m_surface ? m_surface->Lock() : nullptr;
    if (!m_ready || !pixels || y < 0 || y >= m_surface->GetHeight() || m_surface->IsSurfaceLost()) return nullptr;
    return pixels + int64_t(y) * m_surface->GetPitch();
}

void CImageRows::Convert(uint8_t* dest) {
    const int32_t in = m_imageBits / 8;
    if (!m_convert) {
        std::memcpy(dest, m_line.data(), size_t(m_count) * size_t(in));
        return;
    }
    const int32_t out = m_surface->GetBitsPerPixel() / 8;
    for (int32_t done = 0; done < m_count; done += kPiece) {
        const int32_t n = std::min(kPiece, m_count - done);
        m_blit(m_line.data() + size_t(done) * in, int16_t(in == 2 ? 2 * n : n), dest + size_t(done) * out, m_palette);
    }
}

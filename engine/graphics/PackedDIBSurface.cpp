#include "engine/graphics/PackedDIBSurface.h"

#include <cstdlib>
#include <cstring>

#include "engine/base/ByteOrder.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/GraphicsMemory.h"

namespace {
// Header field offsets.
constexpr uint32_t kSize = 0, kWidth = 4, kHeight = 8, kPlanes = 12, kBitCount = 14, kCompression = 16,
                   kImageSize = 20, kXRes = 24, kYRes = 28, kUsed = 32, kImportant = 36;
} // namespace

CPackedDIBSurface::CPackedDIBSurface() { m_kind = kSurfaceBase; }

CPackedDIBSurface::~CPackedDIBSurface() {
    ReleasePalette();
    CPackedDIBSurface::Destroy();
}

int32_t CPackedDIBSurface::HeaderField(uint32_t offset) const {
    return int32_t(bytes::le32({m_bitmap, kHeaderSize}, offset));
}

void CPackedDIBSurface::SetHeaderField(uint32_t offset, int32_t value) {
    bytes::WriteLe32({m_bitmap, kHeaderSize}, offset, uint32_t(value));
}

uint32_t CPackedDIBSurface::ColoursUsed() const { return m_bitmap ? uint32_t(HeaderField(kUsed)) : 0; }

bool CPackedDIBSurface::Create(int16_t width, int16_t height, int16_t bitsPerPixel) {
    if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return false;
    if (bitsPerPixel == 16) m_pixelFormat = kPixelFormat555;
    const uint32_t imageSize = ((uint32_t(width) + 3) & ~3u) * uint32_t(height) * uint32_t(bitsPerPixel) / 8;
    const uint32_t colours = bitsPerPixel <= 8 ? (1u << bitsPerPixel) : 0;
    const uint32_t table = bitsPerPixel <= 8 ? 4 * colours : (bitsPerPixel == 16 ? 12 : 0);
    const uint32_t needed = kHeaderSize + table + imageSize;
    if (m_alwaysResize || needed > m_capacity) {
        Destroy();
        m_bitmap = static_cast<uint8_t*>(xGfx_Alloc(m_pool, needed));
        if (!m_bitmap) return false;
        m_capacity = needed;
    }
    std::memset(m_bitmap, 0, m_capacity);
    SetHeaderField(kSize, int32_t(kHeaderSize));
    SetHeaderField(kWidth, width);
    SetHeaderField(kHeight, -int32_t(height));
    bytes::WriteLe16({m_bitmap, kHeaderSize}, kPlanes, 1);
    bytes::WriteLe16({m_bitmap, kHeaderSize}, kBitCount, uint16_t(bitsPerPixel));
    SetHeaderField(kCompression, 0);
    SetHeaderField(kImageSize, int32_t(imageSize));
    SetHeaderField(kXRes, 100);
    SetHeaderField(kYRes, 100);
    SetHeaderField(kUsed, int32_t(colours));
    SetHeaderField(kImportant, 0);
    m_bitsPerPixel = bitsPerPixel;
    if (bitsPerPixel <= 8) {
        // The colour table comes from the surface's palette, else the global one.
        CColorPalette copy(*EffectivePalette());
        SetPalette(&copy, 0);
    }
    m_pixelFormat = bitsPerPixel == 16 ? kPixelFormat555 : (bitsPerPixel == 24 ? kPixelFormat24 : kPixelFormat8);
    return true;
}

void CPackedDIBSurface::Destroy() {
    delete[] m_displayPalette;
    m_displayPalette = nullptr;
    xGfx_Free(m_bitmap);
    m_bitmap = nullptr;
    m_capacity = 0;
    CDrawSurface::Destroy();
}

uint8_t* CPackedDIBSurface::Lock() {
    if (!m_bitmap) return nullptr;
    m_locked = 1;
    uint8_t* bits = m_bitmap + kHeaderSize + 4 * ColoursUsed();
    if (HeaderField(kHeight) > 0) bits += size_t(HeaderField(kHeight) - 1) * size_t(std::abs(GetPitch()));
    return bits;
}

void CPackedDIBSurface::Unlock(int) { m_locked = 0; }

int32_t CPackedDIBSurface::GetPitch() {
    if (!m_bitmap) return 0;
    const int32_t pitch = (HeaderField(kWidth) * (m_bitsPerPixel / 8) + 3) & ~3;
    return HeaderField(kHeight) > 0 ? -pitch : pitch;
}

int16_t CPackedDIBSurface::GetWidth() { return m_bitmap ? int16_t(HeaderField(kWidth)) : 0; }

int16_t CPackedDIBSurface::GetHeight() { return m_bitmap ? int16_t(std::abs(HeaderField(kHeight))) : 0; }

void CPackedDIBSurface::SetWidth(int16_t width) { Create(width, GetHeight(), m_bitsPerPixel); }

void CPackedDIBSurface::SetHeight(int16_t height) { Create(GetWidth(), height, m_bitsPerPixel); }

uint32_t CPackedDIBSurface::GetMemorySize() {
    return uint32_t(std::abs(GetPitch())) * uint32_t(GetHeight()) + 1064;
}

int CPackedDIBSurface::IsBottomUp() { return m_bitmap && HeaderField(kHeight) > 0 ? 1 : 0; }

void CPackedDIBSurface::SetPalette(const CColorPalette* palette, uint8_t remap) {
    CDrawSurface::SetPalette(palette, remap);
    if (!palette || !m_bitmap || m_bitsPerPixel > 8) return;
    uint8_t* table = m_bitmap + kHeaderSize;
    // The table holds 2^bits entries; the rest of the 256 colours have no room in the block.
    const uint32_t room = 1u << m_bitsPerPixel;
    for (uint32_t i = 0; i < room; ++i) StoreColorRecord(table + 4 * i, palette->GetEntry(int(i)), 0);
    SetHeaderField(kUsed, int32_t(room));
    RebuildDisplayPalette();
}

int CPackedDIBSurface::GetPalette(CColorPalette* out) {
    if (!out || !m_bitmap || m_bitsPerPixel > 8) return 0;
    uint32_t words[256] = {};
    const uint8_t* table = m_bitmap + kHeaderSize;
    const uint32_t n = ColoursUsed() < 256 ? ColoursUsed() : 256;
    for (uint32_t i = 0; i < n; ++i) words[i] = ColorOfRecord(table + 4 * i);
    for (uint32_t i = n; i < 256; ++i) words[i] = out->GetEntry(int(i));
    out->SetEntries(words);
    return 1;
}

uint32_t CPackedDIBSurface::GetPaletteSize() { return m_bitsPerPixel <= 8 ? 4u << m_bitsPerPixel : 0; }

void CPackedDIBSurface::RebuildDisplayPalette() {
    if (!m_bitmap || m_bitsPerPixel > 8 || HeaderField(kSize) != int32_t(kHeaderSize)) return;
    delete[] m_displayPalette;
    m_displayPalette = new uint32_t[256]();
    const uint8_t* table = m_bitmap + kHeaderSize;
    const uint32_t n = ColoursUsed() < 256 ? ColoursUsed() : 256;
    for (uint32_t i = 0; i < n; ++i) m_displayPalette[i] = ColorOfRecord(table + 4 * i);
}

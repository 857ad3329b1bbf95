#include "engine/graphics/DIBSectionSurface.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/base/AppInstance.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DirtyRects.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/GraphicsMemory.h"
#include "platform/Platform.h"

namespace {

// Header fields of the bitmap info block.
constexpr uint32_t kClrUsedOffset = 32;

} // namespace

CDIBSectionSurface::CDIBSectionSurface() { m_kind = kSurfaceDIBSection; }

CDIBSectionSurface::~CDIBSectionSurface() {
    ReleaseGdiPalette();
    CDIBSectionSurface::Destroy();
}

void CDIBSectionSurface::ReleaseGdiPalette() {
    if (!m_gdiPalette) return;
    plat::Gdi& gdi = plat::gdi();
    // The palette may still be selected into the window's context that realised it.
    if (plat::Dc* dc = gdi.GetDc(m_realizedIn); dc && dc->SelectedPalette() == m_gdiPalette)
        gdi.SelectPalette(dc, m_previousPalette ? m_previousPalette : gdi.StockPalette(), false);
    gdi.DeleteObject(m_gdiPalette);
    m_gdiPalette = nullptr;
    m_previousPalette = nullptr;
    m_realizedIn = 0;
}

bool CDIBSectionSurface::Create(int16_t width, int16_t height, int16_t bitsPerPixel) {
    Destroy();
    if (width <= 0 || height <= 0 ||
        (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32))
        return false;
    const uint32_t infoSize = bitsPerPixel <= 8 ? kHeaderBytes + 4u * (1u << bitsPerPixel) : kHeaderBytes + 4u;
    m_info = static_cast<uint8_t*>(xGfx_Alloc(nullptr, infoSize));
    if (!m_info) return false;
    std::memset(m_info, 0, infoSize);
    plat::BitmapInfoHeader header;
    header.size = kHeaderBytes;
    header.width = width;
    header.height = m_heightSign * height;
    header.planes = 1;
    header.bitCount = uint16_t(bitsPerPixel);
    header.compression = plat::BI_RGB;
    std::memcpy(m_info, &header, sizeof header);

    plat::Gdi& gdi = plat::gdi();
    m_memoryDC = gdi.CreateCompatibleDc(nullptr);
    if (!m_memoryDC) {
        Destroy();
        return false;
    }
    // The colour table starts black; SetPalette and UpdateColorTable fill it.
    std::vector<plat::RgbQuad> table(bitsPerPixel <= 8 ? size_t(1) << bitsPerPixel : 0);
    uint8_t* pixels = nullptr;
    m_bitmap = gdi.CreateDibSection(m_memoryDC, header, table.empty() ? nullptr : table.data(),
                                    plat::DIB_RGB_COLORS, &pixels);
    if (!m_bitmap || !pixels) {
        Destroy();
        return false;
    }
    const int32_t stride = ((bitsPerPixel / 8) * int32_t(width) + 3) & ~3;
    m_top = pixels + size_t(height - 1) * size_t(stride);
    m_pitch = -stride;
    m_width = width;
    m_height = height;
    PrepareContext(m_memoryDC);
    m_bitsPerPixel = bitsPerPixel;
    m_pixelFormat = bitsPerPixel == 8    ? kPixelFormat8
                    : bitsPerPixel == 16 ? kPixelFormat555
                    : bitsPerPixel == 24 ? kPixelFormat24
                                         : kPixelFormat32;
    UpdateColorTable();
    m_previousBitmap = gdi.SelectBitmap(m_memoryDC, m_bitmap);
    return true;
}

void CDIBSectionSurface::Destroy() {
    plat::Gdi& gdi = plat::gdi();
    if (m_memoryDC && m_previousBitmap) gdi.SelectBitmap(m_memoryDC, m_previousBitmap);
    if (m_bitmap) gdi.DeleteObject(m_bitmap);
    if (m_memoryDC) gdi.DeleteDc(m_memoryDC);
    xGfx_Free(m_info);
    m_previousBitmap = nullptr;
    m_bitmap = nullptr;
    m_memoryDC = nullptr;
    m_info = nullptr;
    m_top = nullptr;
    m_pitch = 0;
    m_width = 0;
    m_height = 0;
    m_heightSign = 1;
    CDrawSurface::Destroy();
}

uint8_t* CDIBSectionSurface::Lock() {
    m_locked = 1;
    return m_top;
}

void CDIBSectionSurface::Unlock(int) { m_locked = 0; }

void CDIBSectionSurface::SetWidth(int16_t width) { Create(width, m_height, 8); }

void CDIBSectionSurface::SetHeight(int16_t height) { Create(m_width, height, 8); }

plat::Dc* CDIBSectionSurface::GetDC() {
    if (!m_memoryDC && KeepsFlagWithoutDc()) return nullptr;
    m_locked = 1;
    return m_memoryDC;
}

void CDIBSectionSurface::ReleaseDC(plat::Dc*) { m_locked = 0; }

void CDIBSectionSurface::SetPalette(const CColorPalette* palette, uint8_t remap) {
    if (!palette) return;
    // The colours the pixels show now: the remap goes from these to the new palette, so it is
    // taken before the new palette becomes the global one.
    const CColorPalette previous(*EffectivePalette());
    if (SetsGlobalPalette()) SetGlobalPalette(*palette);
    CDrawSurface::SetPalette(palette, 0);
    if (m_bitsPerPixel > 8) return;
    if (remap) {
        uint8_t table[256] = {};
        previous.BuildRemapTable(*palette, table, ColorDistanceSum);
        RemapPixels(table);
    }
    if (uint8_t* t = ColorTable()) {
        for (int i = 0; i < 256; ++i) StoreColorRecord(t + 4 * i, palette->GetEntry(i), InfoFourthByte(i));
        const uint32_t used = 256;
        std::memcpy(m_info + kClrUsedOffset, &used, sizeof used);
    }
    RealizePalette();
    UpdateColorTable();
}

int CDIBSectionSurface::GetPalette(CColorPalette* out) {
    if (!out || m_bitsPerPixel > 8 || !m_info) return 0;
    const uint8_t* t = ColorTable();
    uint32_t words[256];
    for (int i = 0; i < 256; ++i) words[i] = ColorOfRecord(t + 4 * i);
    out->SetEntries(words);
    return 1;
}

void CDIBSectionSurface::OnDisplaySwitch(int32_t, int32_t) { RealizePalette(); }

bool CDIBSectionSurface::RealizePalette() {
    if (m_bitsPerPixel > 8) return false;
    plat::PaletteEntry entries[256];
    PaletteEntriesOf(*EffectivePalette(), entries);
    plat::Gdi& gdi = plat::gdi();
    if (m_gdiPalette) {
        gdi.SetPaletteEntries(m_gdiPalette, 0, 256, entries);
        return true;
    }
    m_gdiPalette = gdi.CreatePalette(plat::kLogPaletteVersion, 256, entries);
    if (!m_gdiPalette) return false;
    const plat::WindowId window = xPlatform_GetAppWindow();
    if (plat::Dc* dc = gdi.GetDc(window)) {
        m_previousPalette = gdi.SelectPalette(dc, m_gdiPalette, false);
        m_realizedIn = window;
        gdi.RealizePalette(dc);
        gdi.ReleaseDc(window, dc);
    }
    return true;
}

void CDIBSectionSurface::UpdateColorTable() {
    if (m_bitsPerPixel > 8 || !m_gdiPalette || !m_memoryDC) return;
    plat::Gdi& gdi = plat::gdi();
    // A failed read leaves black rather than whatever the buffer held.
    plat::PaletteEntry entries[256];
    gdi.GetPaletteEntries(m_gdiPalette, 0, 256, entries);
    plat::RgbQuad quads[256];
    for (int i = 0; i < 256; ++i) {
        const plat::PaletteEntry& e = entries[i];
        quads[i] = plat::RgbQuad{e.blue, e.green, e.red, TableFourthByte(i)};
    }
    gdi.SetDibColorTable(m_memoryDC, 0, 256, quads);
}

void CDIBSectionSurface::BlitToWindow(plat::Dc* dc, const CClipRect& rect) {
    const bool wasPending = m_palettePending != 0;
    if (wasPending) SetPalette(&m_pendingPalette, 0);
    plat::Gdi& gdi = plat::gdi();
    plat::GdiPalette* previous = nullptr;
    if (m_gdiPalette && dc) {
        previous = gdi.SelectPalette(dc, m_gdiPalette, false);
        gdi.RealizePalette(dc);
    }
    if (xProfiles_Values().dirtyRects && !wasPending) {
        const CDirtyRects& list = CDirtyRects::Get();
        const CRect16 bounds(rect.left, rect.top, rect.right, rect.bottom);
        for (int16_t i = 0; i < list.Count(); ++i) {
            CRect16 r = list.At(i);
            if (r.IsEmpty()) continue;
            if (ClipsDirtyRects()) {
                r = r.Intersect(bounds);
                if (r.IsEmpty()) continue;
            }
            gdi.BitBlt(dc, r.left, r.top, r.Width(), r.Height(), m_memoryDC, r.left, r.top, plat::SRCCOPY);
        }
    } else {
        gdi.BitBlt(dc, rect.left, rect.top, std::abs(int32_t(rect.right) - rect.left),
                   std::abs(int32_t(rect.bottom) - rect.top), m_memoryDC, rect.left, rect.top, plat::SRCCOPY);
    }
    m_palettePending = 0;
    if (FlushesAfterBlit()) gdi.GdiFlush();
    if (previous) gdi.SelectPalette(dc, previous, false);
}

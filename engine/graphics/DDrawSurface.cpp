#include "engine/graphics/DDrawSurface.h"

#include "engine/base/Trace.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DDrawError.h"
#include "engine/graphics/DDrawOffscreenSurface.h"
#include "engine/graphics/DirectX.h"
#include "engine/graphics/GraphicsContext.h"
#include "platform/Platform.h"

using namespace plat::dd;

namespace {

// Polls of the blitter's status before a fill goes ahead anyway.
constexpr int kMaxBlitterPolls = 1000;

bool Verbose2() { return xProfiles_Values().verbose >= 2; }

} // namespace

uint32_t DDrawFillValue(uint32_t colour, int16_t bits, int16_t format) {
    if (bits == 16) return PackColor16(colour, format);
    if (bits == 24 || bits == 32)
        return uint32_t(ColorBlue(colour)) | (uint32_t(ColorGreen(colour)) << 8) | (uint32_t(ColorRed(colour)) << 16);
    return colour & 0xFF;
}

CDDrawSurface::CDDrawSurface() { m_kind = kSurfaceDDraw; }

CDDrawSurface::~CDDrawSurface() { CDDrawSurface::Destroy(); }

bool CDDrawSurface::Create(int16_t width, int16_t height, int16_t bitsPerPixel) {
    m_width = width;
    m_height = height;
    m_bits = bitsPerPixel;
    m_bitsPerPixel = bitsPerPixel;
    return true;
}

void CDDrawSurface::ReleaseSurfaces() {
    if (m_dc && m_back) m_back->ReleaseDC(m_dc);
    m_dc = nullptr;
    if (m_lockDesc.surface && m_back) m_back->Unlock(nullptr);
    m_lockDesc = SurfaceDesc{};
    if (m_ddPalette) m_ddPalette->Release();
    if (m_back) m_back->Release();
    if (m_primary) m_primary->Release();
    m_ddPalette = nullptr;
    m_back = nullptr;
    m_primary = nullptr;
}

void CDDrawSurface::Destroy() {
    ReleaseSurfaces();
    m_pitch = 0;
    m_width = 0;
    m_height = 0;
    m_locked = 0;
    CDrawSurface::Destroy();
}

uint8_t* CDDrawSurface::Lock() {
    m_locked = 1;
    return static_cast<uint8_t*>(m_lockDesc.surface);
}

void CDDrawSurface::Unlock(int) { m_locked = 0; }

void CDDrawSurface::SetWidth(int16_t width) { Create(width, m_height, 8); }

void CDDrawSurface::SetHeight(int16_t height) { Create(m_width, height, 8); }

plat::Dc* CDDrawSurface::GetDC() {
    if (!m_back || m_dc) return m_dc;
    plat::Dc* dc = nullptr;
    const Result r = m_back->GetDC(&dc);
    if (Failed(r)) {
        VQT_DDRAW_REPORT(r, nullptr);
        return nullptr;
    }
    m_dc = dc;
    return dc;
}

void CDDrawSurface::ReleaseDC(plat::Dc* dc) {
    if (!m_back || !dc || dc != m_dc) return;
    m_back->ReleaseDC(dc);
    m_dc = nullptr;
}

bool CDDrawSurface::IsSurfaceLost() { return !m_primary || m_primary->IsLost() != DD_OK; }

int CDDrawSurface::Restore() {
    if (!m_primary) return 1;
    const Result lost = m_primary->IsLost();
    if (lost == DDERR_SURFACELOST) {
        const Result r = m_primary->Restore();
        if (!Failed(r)) {
            UpdateColorTable();
            return 1;
        }
        if (Verbose2()) VQT_DDRAW_REPORT(r, nullptr);
        return 0;
    }
    if (lost != DD_OK) {
        if (Verbose2()) VQT_DDRAW_REPORT(lost, nullptr);
        return 0;
    }
    return 1;
}

Result CDDrawSurface::LockBackBuffer() {
    if (IsSysSurfaceLocked()) return DD_OK;
    if (!m_back) return DDERR_INVALIDOBJECT;
    SurfaceDesc desc;
    desc.size = sizeof desc;
    const Result r = m_back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    if (Failed(r)) return r;
    m_lockDesc = desc;
    m_pitch = int16_t(desc.pitch);
    return DD_OK;
}

void CDDrawSurface::UnlockSysSurface() {
    if (!IsSysSurfaceLocked()) {
        xTrace("Error - CDDrawSurface::UnlockSysSurface - NULL surface\n");
        return;
    }
    if (m_back) m_back->Unlock(nullptr);
    m_lockDesc = SurfaceDesc{};
}

Surface* CDDrawSurface::GetBackBuffer() {
    if (!m_primary) return nullptr;
    if (m_primary->IsLost() == DDERR_SURFACELOST) {
        Result r = m_primary->Restore();
        if (Failed(r)) {
            VQT_DDRAW_REPORT(r, nullptr);
            return m_back;
        }
        SurfaceCaps caps{DDSCAPS_BACKBUFFER};
        Surface* back = nullptr;
        r = m_primary->GetAttachedSurface(&caps, &back);
        if (Failed(r)) {
            VQT_DDRAW_REPORT(r, nullptr);
        } else {
            if (m_back) m_back->Release();
            m_back = back;
        }
    }
    return m_back;
}

void CDDrawSurface::SetPalette(const CColorPalette* palette, uint8_t remap) {
    if (!palette) return;
    // The surface's palette first, so that a remap starts from the colours shown now.
    CDrawSurface::SetPalette(palette, remap);
    SetGlobalPalette(*palette);
    UpdateDDrawPalette();
}

void CDDrawSurface::BuildEntries(plat::PaletteEntry* entries) {
    PaletteEntriesOf(*EffectivePalette(), entries);
    entries[0] = plat::PaletteEntry{0, 0, 0, plat::PC_NOCOLLAPSE};
    entries[255] = plat::PaletteEntry{255, 255, 255, plat::PC_NOCOLLAPSE};
}

void CDDrawSurface::UpdateColorTable() {
    // Only a display palette made already takes the entries; SetPalette makes it.
    if (m_ddPalette) UpdateDDrawPalette();
}

bool CDDrawSurface::UpdateDDrawPalette() {
    if (m_bitsPerPixel > 8) return true;
    plat::PaletteEntry entries[256];
    BuildEntries(entries);
    if (m_ddPalette) {
        const Result r = m_ddPalette->SetEntries(0, 0, 256, entries);
        if (Failed(r)) {
            if (Verbose2()) VQT_DDRAW_REPORT(r, nullptr);
            return false;
        }
        return true;
    }
    DirectDraw* dd = DirectX_GetDirectDraw();
    if (!dd) return false;
    Result r = dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &m_ddPalette, nullptr);
    if (Failed(r)) {
        m_ddPalette = nullptr;
        if (Verbose2()) VQT_DDRAW_REPORT(r, nullptr);
        return false;
    }
    if (m_primary) {
        r = m_primary->SetPalette(m_ddPalette);
        if (Failed(r)) {
            if (Verbose2()) VQT_DDRAW_REPORT(r, nullptr);
            return false;
        }
    }
    return true;
}

void CDDrawSurface::BlitToWindow(plat::Dc*, const CClipRect&) {
    if (!m_palettePending) return;
    SetPalette(&m_pendingPalette, 0);
    m_palettePending = 0;
}

void CDDrawSurface::Flip() {
    // A back buffer locked for drawing is unlocked through the lock record, so that no stale
    // pixel pointer outlives the flip.
    if (IsSysSurfaceLocked()) UnlockSysSurface();
    else if (m_back) m_back->Unlock(nullptr);
    if (!m_primary) {
        xTrace("CDDrawSurface::Flip - error\n");
        return;
    }
    Result r = m_primary->Flip(nullptr, DDFLIP_WAIT);
    if (Failed(r)) {
        Restore();
        r = m_primary->Flip(nullptr, DDFLIP_WAIT);
        if (Failed(r) && Verbose2()) VQT_DDRAW_REPORT(r, nullptr);
    }
    if (m_palettePending) {
        SetPalette(&m_pendingPalette, 0);
        m_palettePending = 0;
        // Both buffers hold the same picture again.
        const Rect whole{0, 0, m_width, m_height};
        if (m_back) {
            r = m_back->BltFast(0, 0, m_primary, &whole, DDBLTFAST_WAIT);
            if (Failed(r) && Verbose2()) VQT_DDRAW_REPORT(r, nullptr);
        }
    }
}

void CDDrawSurface::OnDisplaySwitch(int32_t, int32_t toDesktop) {
    if (toDesktop) {
        const Result r = DirectX_RestoreDisplayMode();
        if (Failed(r)) xTracef("Direct Draw Error : $%X\n", static_cast<unsigned>(r));
        return;
    }
    DirectX_SetDisplayMode(m_width, m_height, m_bits, 0);
    if (m_back) {
        const Result r = m_back->Restore();
        if (Failed(r)) VQT_DDRAW_REPORT(r, nullptr);
    }
    if (m_primary) {
        const Result r = m_primary->Restore();
        if (Failed(r)) VQT_DDRAW_REPORT(r, nullptr);
    }
}

bool CDDrawSurface::Create(plat::WindowId window) {
    DirectDraw* dd = DirectX_GetDirectDraw();
    if (!dd) return false;
    DirectX_SetWindow(window);
    DirectX_SetDisplayMode(m_width, m_height, m_bits, 0);
    if (plat::Window* w = plat::desktop().Find(window)) {
        const plat::WinRect screen = plat::desktop().Rect();
        w->SetPos(plat::HWND_TOPMOST, 0, 0, screen.Width(), screen.Height(),
                  plat::SWP_NOSIZE | plat::SWP_NOMOVE | plat::SWP_SHOWWINDOW);
    }
    Result r = DirectX_SetCooperativeLevel(1);
    if (Failed(r)) {
        if (Verbose2()) VQT_DDRAW_REPORT(r, nullptr);
        return false;
    }
    ReleaseSurfaces();
    SurfaceDesc desc;
    desc.size = sizeof desc;
    desc.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.caps.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.backBufferCount = 1;
    r = dd->CreateSurface(&desc, &m_primary, nullptr);
    if (Failed(r)) {
        m_primary = nullptr;
        VQT_DDRAW_REPORT(r, nullptr);
        return false;
    }
    SurfaceCaps caps{DDSCAPS_BACKBUFFER};
    r = m_primary->GetAttachedSurface(&caps, &m_back);
    if (Failed(r)) {
        m_back = nullptr;
        VQT_DDRAW_REPORT(r, nullptr);
        ReleaseSurfaces();
        return false;
    }
    // Both buffers start black.
    BltFx fx;
    fx.size = sizeof fx;
    fx.fillColor = 0;
    m_back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    m_primary->Flip(nullptr, DDFLIP_WAIT);
    m_back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    plat::dd::PixelFormat format;
    format.size = sizeof format;
    m_primary->GetPixelFormat(&format);
    // A 32-bit primary is 32-bit, not palettised.
    m_pixelFormat = format.rgbBitCount == 32 ? int16_t(kPixelFormat32)
                                             : DirectX_PixelFormatCode(format.rgbBitCount, format.gBitMask, 0);
    xGraphics_SetPixelFormat(m_pixelFormat);
    m_bitsPerPixel = m_bits;
    DirectX_SetWindow(window);
    DirectX_ReportCaps();
    return true;
}

bool CDDrawSurface::IsDisplayAvailable() {
    DirectX_Init();
    return DirectX_IsAvailable();
}

void CDDrawSurface::WaitForBlitter() {
    Result r = m_back->GetBltStatus(DDGBS_CANBLT);
    if (r != DD_OK && r != DDERR_WASSTILLDRAWING) {
        VQT_DDRAW_REPORT(r, nullptr);
        return;
    }
    for (int polls = 0; r == DDERR_WASSTILLDRAWING && polls < kMaxBlitterPolls; ++polls)
        r = m_back->GetBltStatus(DDGBS_CANBLT);
}

bool CDDrawSurface::ColourFill(const CClipRect& rect, uint32_t value, Result* result) {
    BltFx fx;
    fx.size = sizeof fx;
    fx.fillColor = value;
    const Rect r{rect.left, rect.top, rect.right, rect.bottom};
    *result = m_back->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &fx);
    return !Failed(*result);
}

void CDDrawSurface::FillRect(const CClipRect& rect, uint32_t colour) {
    if (IsSysSurfaceLocked()) {
        CDrawSurface::FillRect(rect, colour);
        return;
    }
    if (!m_back) return;
    WaitForBlitter();
    Result r = DD_OK;
    if (!ColourFill(rect, DDrawFillValue(colour, m_bitsPerPixel, m_pixelFormat), &r)) VQT_DDRAW_REPORT(r, nullptr);
}

void CDDrawSurface::FillRect8(const CClipRect& rect, uint8_t index) {
    if (IsSysSurfaceLocked()) {
        CDrawSurface::FillRect8(rect, index);
        return;
    }
    if (!m_back) return;
    WaitForBlitter();
    Result r = DD_OK;
    if (!ColourFill(rect, index, &r)) {
        xTracef("****** Mask Error : %d\n", int(r));
        VQT_DDRAW_REPORT(r, nullptr);
    }
}

void CDDrawSurface::BltFastFrom(CDDrawOffscreenSurface* offscreen, const Rect* source, int32_t x, int32_t y) {
    if (!m_back || !offscreen || !offscreen->DDSurface()) return;
    const Result r = m_back->BltFast(x, y, offscreen->DDSurface(), source, DDBLTFAST_WAIT);
    if (Failed(r)) VQT_DDRAW_REPORT(r, nullptr);
}

void CDDrawSurface::BltFastSurface(CDDrawOffscreenSurface* offscreen, int32_t x, int32_t y) {
    BltFastFrom(offscreen, nullptr, x, y);
}

void CDDrawSurface::BltFastRect(CDDrawOffscreenSurface* offscreen, const CClipRect& rect, int32_t x, int32_t y) {
    const Rect source{rect.left, rect.top, rect.right, rect.bottom};
    BltFastFrom(offscreen, &source, x, y);
}

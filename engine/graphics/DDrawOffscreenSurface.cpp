#include "engine/graphics/DDrawOffscreenSurface.h"

#include "engine/base/Trace.h"
#include "engine/graphics/DDrawError.h"
#include "engine/graphics/DDrawSurface.h"
#include "engine/graphics/DirectX.h"

using namespace plat::dd;

CDDrawOffscreenSurface::CDDrawOffscreenSurface() { m_kind = kSurfaceDDrawOffscreen; }

CDDrawOffscreenSurface::~CDDrawOffscreenSurface() { CDDrawOffscreenSurface::Destroy(); }

bool CDDrawOffscreenSurface::Create(int16_t width, int16_t height, int16_t bitsPerPixel) {
    if (width < 1 || height < 1 || bitsPerPixel < 1) return false;
    Destroy();
    DirectDraw* dd = DirectX_GetDirectDraw();
    if (!dd) return false;
    SurfaceDesc desc;
    desc.size = sizeof desc;
    desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.width = uint32_t(width);
    desc.height = uint32_t(height);
    desc.caps.caps = DDSCAPS_OFFSCREENPLAIN;
    if (m_memoryPreference == kSystemMemory) desc.caps.caps |= DDSCAPS_SYSTEMMEMORY;
    else if (m_memoryPreference == kVideoMemory) desc.caps.caps |= DDSCAPS_VIDEOMEMORY;
    Result r = dd->CreateSurface(&desc, &m_surface, nullptr);
    if (Failed(r)) {
        xTrace("Unable to create requested off-screen surface in video memory, using system memory instead...\n");
        desc.caps.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        r = dd->CreateSurface(&desc, &m_surface, nullptr);
        if (Failed(r)) {
            m_surface = nullptr;
            VQT_DDRAW_REPORT(r, nullptr);
            return false;
        }
    }
    plat::dd::PixelFormat format;
    format.size = sizeof format;
    r = m_surface->GetPixelFormat(&format);
    if (Failed(r)) VQT_DDRAW_REPORT(r, nullptr);
    m_bitsPerPixel = int16_t(format.rgbBitCount);
    m_pixelFormat = DirectX_PixelFormatCode(format.rgbBitCount, format.gBitMask, 0);
    SurfaceDesc current;
    current.size = sizeof current;
    r = m_surface->GetSurfaceDesc(&current);
    if (Failed(r)) {
        VQT_DDRAW_REPORT(r, nullptr);
        Destroy();
        return false;
    }
    m_pitch = int16_t(current.pitch);
    m_width = width;
    m_height = height;
    return true;
}

void CDDrawOffscreenSurface::Destroy() {
    if (m_surface) {
        if (m_dc) m_surface->ReleaseDC(m_dc);
        if (m_desc.surface) m_surface->Unlock(nullptr);
        m_surface->Release();
    }
    m_dc = nullptr;
    m_surface = nullptr;
    m_desc = SurfaceDesc{};
    m_width = 0;
    m_height = 0;
    m_pitch = 0;
    CDrawSurface::Destroy();
}

plat::Dc* CDDrawOffscreenSurface::GetDC() {
    if (!m_surface || m_dc) return m_dc;
    plat::Dc* dc = nullptr;
    const Result r = m_surface->GetDC(&dc);
    if (Failed(r)) {
        VQT_DDRAW_REPORT(r, nullptr);
        return nullptr;
    }
    m_dc = dc;
    return dc;
}

void CDDrawOffscreenSurface::ReleaseDC(plat::Dc* dc) {
    if (!m_surface || !dc || dc != m_dc) return;
    m_surface->ReleaseDC(dc);
    m_dc = nullptr;
}

int CDDrawOffscreenSurface::Restore() {
    if (!m_surface || m_surface->IsLost() != DDERR_SURFACELOST) return 1;
    const Result r = m_surface->Restore();
    if (!Failed(r)) return 1;
    VQT_DDRAW_REPORT(r, nullptr);
    xTrace("CDDrawOffscreenSurface: Failed to restore our DDraw offscreen surface\n");
    return 0;
}

void CDDrawOffscreenSurface::LockSysSurface() {
    if (!m_surface || m_desc.surface) return;
    SurfaceDesc desc;
    desc.size = sizeof desc;
    if (Failed(m_surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return;
    m_desc = desc;
    m_pitch = int16_t(desc.pitch);
}

void CDDrawOffscreenSurface::UnlockSysSurface() {
    if (!m_surface || !m_desc.surface) return;
    m_surface->Unlock(nullptr);
    m_desc = SurfaceDesc{};
}

bool CDDrawOffscreenSurface::IsValid() { return !m_surface || m_surface->IsLost() == DD_OK; }

void CDDrawOffscreenSurface::StretchCopy(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect,
                                         uint32_t mode, CDrawSurface* mask, CPoint16 maskPoint) {
    if (!dst) return;
    const int16_t kind = dst->GetSurfaceKind();
    if (kind != kSurfaceDDraw && kind != kSurfaceDDrawOffscreen) {
        const CSysLockForDraw hold(this);
        CDrawSurface::StretchCopy(src, dst, dstRect, mode, mask, maskPoint);
        return;
    }
    if (!m_surface) return;
    Surface* target = kind == kSurfaceDDraw ? static_cast<CDDrawSurface*>(dst)->GetBackBuffer()
                                            : static_cast<CDDrawOffscreenSurface*>(dst)->m_surface;
    if (!target || target->IsLost() == DDERR_SURFACELOST) return;
    if (GetBitsPerPixel() != dst->GetBitsPerPixel() || GetPixelFormat() != dst->GetPixelFormat()) {
        // The blitter does not convert: the CPU draws, with both surfaces locked.
        const CSysLockForDraw holdThis(this);
        const CSysLockForDraw holdDst(dst);
        CDrawSurface::StretchCopy(src, dst, dstRect, mode, mask, maskPoint);
        return;
    }
    const Rect source{src.left, src.top, src.right, src.bottom};
    Result r;
    if (src.Width() == dstRect.Width() && src.Height() == dstRect.Height()) {
        r = target->BltFast(dstRect.left, dstRect.top, m_surface, &source, DDBLTFAST_WAIT);
    } else {
        const Rect dest{dstRect.left, dstRect.top, dstRect.right, dstRect.bottom};
        r = target->Blt(&dest, m_surface, &source, DDBLT_WAIT, nullptr);
    }
    if (Failed(r)) VQT_DDRAW_REPORT(r, nullptr);
}

bool CDDrawOffscreenSurface::ColourFill(const CClipRect& rect, uint32_t value) {
    BltFx fx;
    fx.size = sizeof fx;
    fx.fillColor = value;
    const Rect r{rect.left, rect.top, rect.right, rect.bottom};
    const Result result = m_surface->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &fx);
    if (!Failed(result)) return true;
    xTracef("DDrawOffscreenSurface::FillRect (a) : %d\n", int(result));
    xTracef("Rect : %d,%d,", int(rect.left), int(rect.top));
    xTracef("%d,%d\n", int(rect.right), int(rect.bottom));
    VQT_DDRAW_REPORT(result, nullptr);
    return false;
}

void CDDrawOffscreenSurface::FillRect(const CClipRect& rect, uint32_t colour) {
    if (IsSysSurfaceLocked()) {
        CDrawSurface::FillRect(rect, colour);
        return;
    }
    if (m_surface) ColourFill(rect, DDrawFillValue(colour, m_bitsPerPixel, m_pixelFormat));
}

void CDDrawOffscreenSurface::FillRect8(const CClipRect& rect, uint8_t index) {
    if (IsSysSurfaceLocked()) {
        CDrawSurface::FillRect8(rect, index);
        return;
    }
    if (m_surface) ColourFill(rect, index);
}

#include "engine/graphics/PixelSurface.h"

#include <cstring>

#include "engine/base/Trace.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/GraphicsMemory.h"

CPixelSurface::CPixelSurface() { m_kind = kSurfacePixel; }

CPixelSurface::~CPixelSurface() {
    ReleasePalette();
    CPixelSurface::Destroy();
}

bool CPixelSurface::Create(int16_t width, int16_t height, int16_t bitsPerPixel) {
    if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return false;
    const uint64_t size = uint64_t(bitsPerPixel / 8) * uint64_t(width) * uint64_t(height);
    if (size == 0 || size > 0xFFFFFFFFu) return false;
    bool cleared = false; // a new block comes zero-filled
    if (!m_pixels) {
        m_pixels = static_cast<uint8_t*>(xGfx_Alloc(m_pool, size_t(size)));
        if (m_pixels) m_capacity = uint32_t(size);
        cleared = true;
    } else if (m_alwaysResize || size > m_capacity) {
        uint8_t* resized = static_cast<uint8_t*>(xGfx_Resize(m_pool, m_pixels, size_t(size)));
        if (resized) {
            m_pixels = resized;
            m_capacity = uint32_t(size);
        } else {
            xGfx_Free(m_pixels);
            m_pixels = nullptr;
        }
    }
    if (!m_pixels) {
        Destroy();
        xTrace("CPixelSurface::Create() - (re)alloc failed\n");
        return false;
    }
    if (!cleared) std::memset(m_pixels, 0, m_capacity);
    ForgetConvertedLines();
    m_width = width;
    m_height = height;
    m_bitsPerPixel = bitsPerPixel;
    m_pixelFormat = bitsPerPixel == 16 ? kPixelFormat555 : (bitsPerPixel == 24 ? kPixelFormat24 : kPixelFormat8);
    return true;
}

void CPixelSurface::Destroy() {
    xGfx_Free(m_pixels);
    m_pixels = nullptr;
    m_width = m_height = 0;
    m_capacity = 0;
    CDrawSurface::Destroy();
}

uint8_t* CPixelSurface::Lock() {
    m_locked = 1;
    return m_pixels;
}

void CPixelSurface::Unlock(int) { m_locked = 0; }

int32_t CPixelSurface::GetPitch() { return int32_t(m_width) * (m_bitsPerPixel / 8); }

void CPixelSurface::SetWidth(int16_t width) { Create(width, m_height, m_bitsPerPixel); }

void CPixelSurface::SetHeight(int16_t height) { Create(m_width, height, m_bitsPerPixel); }

uint32_t CPixelSurface::GetMemorySize() { return uint32_t(m_width) * uint32_t(m_height) + 56; }

#pragma once
#include <cstdint>

#include "engine/graphics/DrawSurface.h"
#include "platform/DirectDraw.h"

/// A surface of the display interface outside the flip chain, in video memory by default
/// (system memory when video memory refuses it). Copies into the display surfaces and other
/// off-screen surfaces of the same format go through the display's blitter; anything else
/// goes through the CPU draws with the surface locked.
class CDDrawOffscreenSurface : public CDrawSurface {
public:
    /// Memory preferences.
    static constexpr int16_t kSystemMemory = 0;
    static constexpr int16_t kVideoMemory = 1;

    CDDrawOffscreenSurface();
    ~CDDrawOffscreenSurface() override;

    void StretchCopy(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect, uint32_t mode,
                     CDrawSurface* mask = nullptr, CPoint16 maskPoint = {}) override;
    /// False for a size or depth below 1, without the display object, or when neither memory
    /// can hold the surface.
    bool Create(int16_t width, int16_t height, int16_t bitsPerPixel) override;
    void Destroy() override;
    /// The locked pixels (null unless LockSysSurface locked them).
    uint8_t* Lock() override { return static_cast<uint8_t*>(m_desc.surface); }
    void Unlock(int = 0) override {}
    int32_t GetPitch() override { return m_pitch; }
    int16_t GetWidth() override { return m_width; }
    void SetWidth(int16_t) override {}
    int16_t GetHeight() override { return m_height; }
    void SetHeight(int16_t) override {}
    uint32_t GetMemorySize() override { return 0; }
    plat::Dc* GetDC() override;
    void ReleaseDC(plat::Dc* dc) override;
    int Restore() override;
    void LockSysSurface() override;
    void UnlockSysSurface() override;
    bool IsSysSurfaceLocked() override { return m_desc.surface != nullptr; }
    /// True unless the surface is lost.
    bool IsValid() override;
    void FillRect(const CClipRect& rect, uint32_t colour) override;
    void FillRect8(const CClipRect& rect, uint8_t index) override;

    /// 0 system memory, 1 video memory (the default), anything else the display's choice.
    void SetMemoryPreference(int16_t preference) { m_memoryPreference = preference; }
    plat::dd::Surface* DDSurface() const { return m_surface; }

private:
    bool ColourFill(const CClipRect& rect, uint32_t value);

    int16_t m_width = 0;
    int16_t m_height = 0;
    int16_t m_pitch = 0;
    plat::dd::Surface* m_surface = nullptr;
    plat::dd::SurfaceDesc m_desc;
    int16_t m_memoryPreference = kVideoMemory;
    plat::Dc* m_dc = nullptr;
};

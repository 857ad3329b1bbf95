#pragma once
#include <cstdint>

#include "engine/graphics/WindowSurface.h"
#include "platform/DirectDraw.h"

class CDDrawOffscreenSurface;

/// The value a colour fill writes for a colour word into a surface of this depth and pixel
/// format code: 16 bits packed in the surface's layout (5-6-5 for code 2, else 5-5-5), 24 and
/// 32 bits as the bytes blue, green, red, 8 bits the colour's low byte.
uint32_t DDrawFillValue(uint32_t colour, int16_t bits, int16_t format);

/// The full-screen stage through the display interface: a primary surface with one back
/// buffer; frames are drawn into the locked back buffer and shown by flipping. A lost primary
/// is restored at the next back-buffer fetch, restore or failed flip; a palette handed over
/// with SetPendingPalette is applied at the next flip or present.
class CDDrawSurface : public CWindowSurface {
public:
    using CWindowSurface::Create;

    CDDrawSurface();
    ~CDDrawSurface() override;

    /// Stores the size and depth only.
    bool Create(int16_t width, int16_t height, int16_t bitsPerPixel) override;
    /// Releases the surfaces and clears size and lock state.
    void Destroy() override;
    /// The locked back buffer's pixels (null unless LockSysSurface locked it); sets the flag.
    uint8_t* Lock() override;
    void Unlock(int flag = 0) override;
    int32_t GetPitch() override { return m_pitch; }
    int16_t GetWidth() override { return m_width; }
    void SetWidth(int16_t width) override;
    int16_t GetHeight() override { return m_height; }
    void SetHeight(int16_t height) override;
    uint32_t GetMemorySize() override { return 0; }
    /// A context over the back buffer's pixels.
    plat::Dc* GetDC() override;
    void ReleaseDC(plat::Dc* dc) override;
    /// True without a primary or while it is lost.
    bool IsSurfaceLost() override;
    /// Restores a lost primary (then the colour table); 1 when the surfaces can be used.
    int Restore() override;
    void LockSysSurface() override { LockBackBuffer(); }
    void UnlockSysSurface() override;
    bool IsSysSurfaceLocked() override { return m_lockDesc.surface != nullptr; }
    /// Makes it the global palette and the surface's, then updates the display's palette.
    void SetPalette(const CColorPalette* palette, uint8_t remap = 0) override;
    int GetPalette(CColorPalette*) override { return 0; }
    /// The CPU fill while the back buffer is locked, else the display's colour fill with the
    /// colour packed for the surface's depth.
    void FillRect(const CClipRect& rect, uint32_t colour) override;
    void FillRect8(const CClipRect& rect, uint8_t index) override;

    /// Applies a pending palette only.
    void BlitToWindow(plat::Dc* dc, const CClipRect& rect) override;
    /// The palette (entry 0 black, entry 255 white) into the display's palette.
    void UpdateColorTable() override;
    void Flip() override;
    /// To the desktop: its mode back; from it: the stage's mode again and the surfaces restored.
    void OnDisplaySwitch(int32_t unused, int32_t toDesktop) override;
    /// Switches the mode, takes the exclusive level and builds the flip chain.
    bool Create(plat::WindowId window) override;
    bool Shutdown() override { return true; }
    /// Loads the display interface when needed; whether it can be used.
    bool IsDisplayAvailable() override;
    void RestoreDisplay() override {}
    bool RealizePalette() override { return false; }
    /// The display's palette: its entries set, or made and attached to the primary.
    virtual bool UpdateDDrawPalette();

    /// The back buffer, after restoring a lost primary; null without a primary.
    plat::dd::Surface* GetBackBuffer();
    plat::dd::Surface* Primary() const { return m_primary; }
    /// Locks the back buffer when it is not locked already; the display's result.
    plat::dd::Result LockBackBuffer();
    /// Copies a whole off-screen surface, or a rectangle of it, to a point of the back buffer.
    void BltFastSurface(CDDrawOffscreenSurface* offscreen, int32_t x, int32_t y);
    void BltFastRect(CDDrawOffscreenSurface* offscreen, const CClipRect& rect, int32_t x, int32_t y);

private:
    void ReleaseSurfaces();
    /// The 256 entries of the display's palette: 0 black, 255 white, the rest from the
    /// surface's palette (or the global one).
    void BuildEntries(plat::PaletteEntry* entries);
    /// Waits (a bounded number of polls) while the back buffer's blitter is still drawing.
    void WaitForBlitter();
    bool ColourFill(const CClipRect& rect, uint32_t value, plat::dd::Result* result);
    /// Copies the off-screen surface, or the source rectangle of it, to a point of the back buffer.
    void BltFastFrom(CDDrawOffscreenSurface* offscreen, const plat::dd::Rect* source, int32_t x, int32_t y);

    plat::dd::Surface* m_primary = nullptr;
    plat::dd::Surface* m_back = nullptr;
    plat::dd::SurfaceDesc m_lockDesc;
    plat::dd::Palette* m_ddPalette = nullptr;
    int16_t m_pitch = 0;
    int16_t m_width = 0;
    int16_t m_height = 0;
    int16_t m_bits = 0;
    plat::Dc* m_dc = nullptr;
};

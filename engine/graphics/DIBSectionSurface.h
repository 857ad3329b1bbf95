#pragma once
#include <cstdint>

#include "engine/graphics/WindowSurface.h"
#include "platform/Gdi.h"

/// The window surfaces drawn through a device-independent bitmap of the window system: a
/// memory context holding the bitmap, the bitmap header with its colour table, the pixels
/// stored bottom-up (the pitch is negative, the top line lies at the end of the memory), and
/// a palette of the window system made when the palette is first realised. A 16-bit bitmap is
/// always 5-5-5. The three classes differ in small rules that they answer below.
class CDIBSectionSurface : public CWindowSurface {
public:
    using CWindowSurface::Create;

    ~CDIBSectionSurface() override;

    bool Create(int16_t width, int16_t height, int16_t bitsPerPixel) override;
    void Destroy() override;
    uint8_t* Lock() override;
    void Unlock(int flag = 0) override;
    int32_t GetPitch() override { return m_pitch; }
    int16_t GetWidth() override { return m_width; }
    /// Re-creates the surface with the new width, the height kept, at 8 bits.
    void SetWidth(int16_t width) override;
    int16_t GetHeight() override { return m_height; }
    void SetHeight(int16_t height) override;
    uint32_t GetMemorySize() override { return 0; }
    /// The memory context (and the lock flag set).
    plat::Dc* GetDC() override;
    void ReleaseDC(plat::Dc* dc) override;

    void SetPalette(const CColorPalette* palette, uint8_t remap = 0) override;
    /// The colour table's 256 entries back as colour words; false above 8 bits.
    int GetPalette(CColorPalette* out) override;

    void BlitToWindow(plat::Dc* dc, const CClipRect& rect) override;
    void UpdateColorTable() override;
    bool RealizePalette() override;

    // A bitmap shown in a window has no display of its own: nothing to flip, set up or put
    // back. The full-screen class answers these itself.
    void Flip() override {}
    /// Realises the palette again.
    void OnDisplaySwitch(int32_t unused, int32_t toDesktop) override;
    bool Create(plat::WindowId) override { return true; }
    bool Shutdown() override { return true; }
    bool IsDisplayAvailable() override { return true; }
    void RestoreDisplay() override {}

    /// The bitmap header and colour table block (null before Create).
    const uint8_t* BitmapInfo() const { return m_info; }
    /// The bitmap of the window system (null before Create).
    plat::Bitmap* DibBitmap() const { return m_bitmap; }
    /// The window system's palette made by the first realisation (null before).
    plat::GdiPalette* OwnGdiPalette() const { return m_gdiPalette; }
    plat::Dc* MemoryDC() const { return m_memoryDC; }

protected:
    CDIBSectionSurface();
    /// The fourth byte of a record that UpdateColorTable writes into the bitmap's table.
    virtual uint8_t TableFourthByte(int index) const = 0;
    /// The fourth byte of a record that SetPalette writes into the header block's table.
    virtual uint8_t InfoFourthByte(int /*index*/) const { return 0; }
    /// After the bitmap is made, before it is selected.
    virtual void PrepareContext(plat::Dc* /*dc*/) {}
    /// Whether SetPalette makes the palette the global one.
    virtual bool SetsGlobalPalette() const { return true; }
    /// Whether a dirty rectangle is clipped to the present's rectangle.
    virtual bool ClipsDirtyRects() const { return true; }
    /// Whether a present ends with a flush of the window system's drawing.
    virtual bool FlushesAfterBlit() const { return false; }
    /// Whether GetDC without a context leaves the lock flag alone.
    virtual bool KeepsFlagWithoutDc() const { return false; }
    /// The colour table written by SetPalette, in the header block.
    uint8_t* ColorTable() const { return m_info ? m_info + kHeaderBytes : nullptr; }

    static constexpr uint32_t kHeaderBytes = 40;

private:
    void ReleaseGdiPalette();

    plat::Bitmap* m_previousBitmap = nullptr;
    plat::GdiPalette* m_previousPalette = nullptr;
    plat::GdiPalette* m_gdiPalette = nullptr;
    plat::Dc* m_memoryDC = nullptr;
    uint8_t* m_info = nullptr;
    uint8_t* m_top = nullptr;
    int32_t m_heightSign = 1;
    int32_t m_pitch = 0;
    int16_t m_width = 0;
    int16_t m_height = 0;
    plat::Bitmap* m_bitmap = nullptr;
    plat::WindowId m_realizedIn = 0; ///< the window whose context got the palette selected
};

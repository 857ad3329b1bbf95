#pragma once
#include <cstdint>

#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DrawSurface.h"
#include "platform/Gdi.h"
#include "platform/Messages.h"

/// The 256 entries of a window-system or display palette for a colour palette: red, green,
/// blue, and the flag that keeps each entry from being merged with another.
void PaletteEntriesOf(const CColorPalette& palette, plat::PaletteEntry* entries);

/// A drawing surface that presents itself into a window: the windowed stage and the text
/// views' targets draw through a device-independent bitmap, the full-screen displays through
/// the window system or the display interface. It holds the palette that the next present
/// applies.
class CWindowSurface : public CDrawSurface {
public:
    using CDrawSurface::Create;

    CWindowSurface();
    ~CWindowSurface() override;

    /// Copies the surface (the dirty rectangles, or the rectangle) into a window's context.
    virtual void BlitToWindow(plat::Dc* dc, const CClipRect& rect) = 0;
    /// Moves the palette into the pixels' colour table.
    virtual void UpdateColorTable() = 0;
    /// The present of the full-screen display.
    virtual void Flip() = 0;
    /// The application switches to the desktop (toDesktop set) or back.
    virtual void OnDisplaySwitch(int32_t unused, int32_t toDesktop) = 0;
    /// Sets the display up for the window.
    virtual bool Create(plat::WindowId window) = 0;
    virtual bool Shutdown() = 0;
    virtual bool IsDisplayAvailable() = 0;
    /// Whether the display can take a frame (every class answers true).
    virtual bool IsDisplayReady() { return true; }
    /// Puts the desktop's display mode back.
    virtual void RestoreDisplay() = 0;
    virtual bool RealizePalette() = 0;
    /// Keeps a copy of the palette (entries, counts, tables and flags) for the next present.
    virtual void SetPendingPalette(const CColorPalette* palette);

    bool IsPalettePending() const { return m_palettePending != 0; }
    const CColorPalette& PendingPalette() const { return m_pendingPalette; }

protected:
    CColorPalette m_pendingPalette;
    uint8_t m_palettePending = 0;
};

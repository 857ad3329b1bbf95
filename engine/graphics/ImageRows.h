#pragma once
// Where the image readers put their decoded rows. Row y (0 at the top of the picture) goes to
// y times the pitch from the first row the surface's lock answers, so a surface whose rows are
// stored bottom-up (negative pitch) shows the picture upright like any other. Rows are decoded
// straight into the surface when it has the image's depth and layout; otherwise into a line
// that the blitters' solid line routine for the two depths then converts, with the image's
// colours for 8-bit pixels.
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/graphics/DrawSurface.h"

class CColorPalette;

class CImageRows {
public:
    /// `imageBits` 8, 16 (5-5-5), 24 or 32 (into a 32-bit surface only); `palette` the colours
    /// of 8-bit pixels (null: the surface's own, else the global palette). Holds the surface's
    /// system lock (the display surfaces give pixels only under it) until destroyed, unless its
    /// holder has it already.
    CImageRows(CDrawSurface* surface, int16_t imageBits, int32_t imageWidth, CColorPalette* palette = nullptr);
    CImageRows(const CImageRows&) = delete;
    CImageRows& operator=(const CImageRows&) = delete;

    /// False without a surface, or when no routine converts the image's depth into the
    /// surface's.
    bool Ready() const { return m_ready; }
    /// Decodes row y with `decode(uint8_t* into)`, which writes the image's row (its width in
    /// pixels of the image's depth) and answers whether it decoded it all. The surface is
    /// locked for the row. A converted row is converted whole, with whatever an earlier row
    /// left in the line where this one wrote nothing. False when the decode fails, the row lies
    /// outside the surface, or the surface is lost or gives no pixels.
    template <typename Decode>
    bool Fill(int32_t y, Decode&& decode) {
        uint8_t* dest = LockRow(y);
        const bool ok = dest && decode(m_viaLine ? m_line.data() : dest);
        if (dest && m_viaLine) Convert(dest);
        if (m_surface) m_surface->Unlock(0);
        return ok;
    }

private:
    /// Locks the surface; the address of row y, or null when there is none.
    uint8_t* LockRow(int32_t y);
    /// The line into the surface row: converted, or copied into a narrower surface.
    void Convert(uint8_t* dest);

    CDrawSurface* m_surface;
    int16_t m_imageBits;
    int32_t m_count = 0; ///< pixels a row gives the surface
    CColorPalette* m_palette;
    bool m_convert = false;
    bool m_viaLine = false;
    bool m_ready = false;
    void (*m_blit)(const uint8_t*, int16_t, void*, CColorPalette*) = nullptr;
    std::vector<uint8_t> m_line;
    std::optional<CSysLockForDraw> m_hold;
};

#pragma once
#include <cstdint>

#include "engine/graphics/DrawSurface.h"

/// A packed device-independent bitmap: a 40-byte header, the colour table, then 4-byte padded
/// rows, in one zero-initialised block; depths up to 8 also keep a display palette made from
/// the colour table.
class CPackedDIBSurface : public CDrawSurface {
public:
    static constexpr uint32_t kHeaderSize = 40;

    CPackedDIBSurface();
    ~CPackedDIBSurface() override;

    bool Create(int16_t width, int16_t height, int16_t bitsPerPixel) override;
    void Destroy() override;
    uint8_t* Lock() override;
    void Unlock(int flag = 0) override;
    /// (width x bytes per pixel + 3) & ~3; negative when the rows are stored bottom-up.
    int32_t GetPitch() override;
    int16_t GetWidth() override;
    void SetWidth(int16_t width) override;
    int16_t GetHeight() override;
    void SetHeight(int16_t height) override;
    /// |pitch| x height + 1064.
    uint32_t GetMemorySize() override;
    int IsBottomUp() override;

    void SetPalette(const CColorPalette* palette, uint8_t remap = 0) override;
    /// Copies the colour table back into the palette's entries; false above 8 bits.
    int GetPalette(CColorPalette* out) override;
    /// 4 x 2^bits (0 above 8 bits).
    uint32_t GetPaletteSize() override;

    /// The packed bitmap (header, colour table, rows); null before Create.
    const uint8_t* GetPackedBitmap() const { return m_bitmap; }
    uint32_t GetCapacity() const { return m_capacity; }
    void SetAlwaysResize(bool on) { m_alwaysResize = on ? 1 : 0; }
    /// The display palette's 256 entries (red, green, blue, flags 0); null when none was made.
    const uint32_t* GetDisplayPalette() const { return m_displayPalette; }

private:
    int32_t HeaderField(uint32_t offset) const;
    void SetHeaderField(uint32_t offset, int32_t value);
    uint32_t ColoursUsed() const;
    void RebuildDisplayPalette();

    uint8_t* m_bitmap = nullptr;
    uint32_t* m_displayPalette = nullptr;
    uint32_t m_capacity = 0;
    uint8_t m_alwaysResize = 0;
};

#pragma once
#include <cstdint>

#include "engine/graphics/DrawSurface.h"

/// The general off-screen surface: rows top-down with an unpadded pitch of width x bytes per
/// pixel in one block of the memory manager that is reused while it is large enough.
class CPixelSurface : public CDrawSurface {
public:
    CPixelSurface();
    ~CPixelSurface() override;

    /// False and nothing changed when width or height is 0. Zero-fills the whole capacity; the
    /// format becomes 1 for 16 bits, 3 for 24 and 0 otherwise.
    bool Create(int16_t width, int16_t height, int16_t bitsPerPixel) override;
    void Destroy() override;
    uint8_t* Lock() override;
    void Unlock(int flag = 0) override;
    int32_t GetPitch() override;
    int16_t GetWidth() override { return m_width; }
    void SetWidth(int16_t width) override;
    int16_t GetHeight() override { return m_height; }
    void SetHeight(int16_t height) override;
    /// width x height + 56, whatever the depth.
    uint32_t GetMemorySize() override;

    uint32_t GetCapacity() const { return m_capacity; }
    void SetAlwaysResize(bool on) { m_alwaysResize = on ? 1 : 0; }

private:
    int16_t m_height = 0;
    int16_t m_width = 0;
    uint8_t* m_pixels = nullptr;
    uint32_t m_capacity = 0;
    uint8_t m_alwaysResize = 0;
};

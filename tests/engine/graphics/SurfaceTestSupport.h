#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/blit/ColorPalette.h"
#include "engine/graphics/PixelSurface.h"

namespace surftest {

/// A pixel surface whose lock can be made to fail (the lock flag is still set and cleared).
class CFlakySurface : public CPixelSurface {
public:
    bool failLock = false;
    int locks = 0;
    int unlocks = 0;
    uint8_t* Lock() override {
        ++locks;
        uint8_t* p = CPixelSurface::Lock();
        return failLock ? nullptr : p;
    }
    void Unlock(int flag = 0) override {
        ++unlocks;
        CPixelSurface::Unlock(flag);
    }
};

/// A surface whose rows lie inside a larger block: a margin of guard bytes on every side
/// (and a padded pitch) catches any write outside the surface.
class CGuardedSurface : public CDrawSurface {
public:
    static constexpr uint8_t kGuard = 0xA5;
    static constexpr int kMargin = 8; ///< bytes left and right, rows above and below

    CGuardedSurface(int16_t width, int16_t height, int16_t bits, int16_t format) {
        CGuardedSurface::Create(width, height, bits);
        m_pixelFormat = format;
    }
    bool Create(int16_t width, int16_t height, int16_t bits) override {
        m_width = width;
        m_height = height;
        m_bitsPerPixel = bits;
        m_pitch = width * (bits / 8) + 2 * kMargin;
        m_block.assign(size_t(m_pitch) * size_t(height + 2 * kMargin), kGuard);
        return true;
    }
    uint8_t* Lock() override {
        m_locked = 1;
        return m_block.data() + size_t(m_pitch) * kMargin + kMargin;
    }
    void Unlock(int = 0) override { m_locked = 0; }
    int32_t GetPitch() override { return m_pitch; }
    int16_t GetWidth() override { return m_width; }
    void SetWidth(int16_t width) override { Create(width, m_height, m_bitsPerPixel); }
    int16_t GetHeight() override { return m_height; }
    void SetHeight(int16_t height) override { Create(m_width, height, m_bitsPerPixel); }
    uint32_t GetMemorySize() override { return uint32_t(m_block.size()); }
    /// Whether every byte outside the surface's rows still holds the guard value.
    bool GuardsIntact() const {
        const size_t rowBytes = size_t(m_width) * size_t(m_bitsPerPixel / 8);
        for (size_t i = 0; i < m_block.size(); ++i) {
            const size_t row = i / size_t(m_pitch), column = i % size_t(m_pitch);
            const bool inside = row >= kMargin && row < size_t(kMargin + m_height) && column >= kMargin &&
                                column < kMargin + rowBytes;
            if (!inside && m_block[i] != kGuard) return false;
        }
        return true;
    }

private:
    int16_t m_width = 0;
    int16_t m_height = 0;
    int32_t m_pitch = 0;
    std::vector<uint8_t> m_block;
};

/// A memory surface that keeps one depth and layout whatever Create asks, as the display's
/// surfaces keep the display's.
class CFixedDepthSurface : public CPixelSurface {
public:
    CFixedDepthSurface(int16_t bits, int16_t format) : m_fixedBits(bits), m_fixedFormat(format) {}
    bool Create(int16_t width, int16_t height, int16_t) override {
        if (!CPixelSurface::Create(width, height, m_fixedBits)) return false;
        SetPixelFormat(m_fixedFormat);
        return true;
    }

private:
    int16_t m_fixedBits;
    int16_t m_fixedFormat;
};

/// Makes a surface of the given depth and format with the given pixel bytes (row-major).
inline void Fill(CDrawSurface& s, const std::vector<uint8_t>& bytes) {
    uint8_t* p = s.Lock();
    const int rowBytes = s.GetWidth() * (s.GetBitsPerPixel() / 8);
    for (int y = 0; y < s.GetHeight(); ++y)
        std::memcpy(p + s.GetPitch() * y, bytes.data() + size_t(rowBytes) * y, size_t(rowBytes));
    s.Unlock(0);
}

/// The bytes a colour word has as a pixel: 8 bits its low byte, 16 bits packed in the layout
/// of the format code, 24 bits blue, green, red.
inline std::vector<uint8_t> BytesOf(uint32_t colour, int bits, int16_t format) {
    if (bits == 8) return {uint8_t(colour)};
    if (bits == 24) return {ColorBlue(colour), ColorGreen(colour), ColorRed(colour)};
    const uint16_t v = PackColor16(colour, format);
    return {uint8_t(v), uint8_t(v >> 8)};
}

inline std::vector<uint8_t> Bytes(CDrawSurface& s) {
    uint8_t* p = s.Lock();
    const int rowBytes = s.GetWidth() * (s.GetBitsPerPixel() / 8);
    std::vector<uint8_t> v(size_t(rowBytes) * s.GetHeight());
    for (int y = 0; y < s.GetHeight(); ++y)
        std::memcpy(v.data() + size_t(rowBytes) * y, p + s.GetPitch() * y, size_t(rowBytes));
    s.Unlock(0);
    return v;
}

/// Row of an 8-bit surface as text, one character per pixel.
inline std::string Row8(CDrawSurface& s, int y) {
    const std::vector<uint8_t> b = Bytes(s);
    return std::string(b.begin() + s.GetWidth() * y, b.begin() + s.GetWidth() * (y + 1));
}

/// The first `n` rows of an 8-bit surface as text.
using Rows = std::vector<std::string>;
inline Rows Rows8(CDrawSurface& s, int n) {
    Rows rows;
    for (int y = 0; y < n; ++y) rows.push_back(Row8(s, y));
    return rows;
}

} // namespace surftest

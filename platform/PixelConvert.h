#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

/// A colour as a window shows it: 0xFFRRGGBB.
using Argb = uint32_t;

constexpr Argb MakeArgb(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}
constexpr uint8_t ArgbRed(Argb c) { return uint8_t(c >> 16); }
constexpr uint8_t ArgbGreen(Argb c) { return uint8_t(c >> 8); }
constexpr uint8_t ArgbBlue(Argb c) { return uint8_t(c); }

/// A 5-bit or 6-bit channel widened to 8 bits by repeating its top bits below it, so that
/// 0 stays 0 and the largest value becomes 255.
constexpr uint8_t Widen5(uint32_t v) { return uint8_t((v << 3) | (v >> 2)); }
constexpr uint8_t Widen6(uint32_t v) { return uint8_t((v << 2) | (v >> 4)); }

/// x-5-5-5 (red in bits 14-10) and 5-6-5 (red in bits 15-11) pixels as shown colours.
constexpr Argb Expand555(uint16_t p) {
    return MakeArgb(Widen5((p >> 10) & 0x1F), Widen5((p >> 5) & 0x1F), Widen5(p & 0x1F));
}
constexpr Argb Expand565(uint16_t p) {
    return MakeArgb(Widen5((p >> 11) & 0x1F), Widen6((p >> 5) & 0x3F), Widen5(p & 0x1F));
}

/// Pixels in memory that a window can show. Rows are reached from the top row by the pitch,
/// which is negative for pictures stored bottom-up.
struct PixelSource {
    const uint8_t* top = nullptr; ///< first pixel of the top row
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
    int bits = 0;                  ///< 8, 16, 24 (blue, green, red) or 32 (blue, green, red, x)
    bool is565 = false;            ///< 16 bits: 5-6-5, else x-5-5-5
    const Argb* palette = nullptr; ///< 8 bits: the 256 colours of the indices (black without)
};

/// Converts `count` pixels of row y starting at column x into shown colours. The caller keeps
/// the span inside the source.
void ConvertRow(const PixelSource& source, int32_t x, int32_t y, int32_t count, Argb* out);

/// A shown picture: rows top to bottom, 0xFFRRGGBB per pixel.
struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Argb> pixels;

    void Resize(int32_t w, int32_t h);
    Argb At(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    Argb* Row(int32_t y) { return pixels.data() + size_t(y) * size_t(width); }
    const Argb* Row(int32_t y) const { return pixels.data() + size_t(y) * size_t(width); }
    bool operator==(const Image&) const = default;
};

} // namespace plat

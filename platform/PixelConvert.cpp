#include "platform/PixelConvert.h"

#include <cstring>

namespace plat {

namespace {

/// A little-endian 16-bit pixel, read without alignment.
inline uint16_t Read16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

} // namespace

void ConvertRow(const PixelSource& source, int32_t x, int32_t y, int32_t count, Argb* out) {
    const uint8_t* row = source.top + int64_t(source.pitch) * y;
    switch (source.bits) {
    case 8: {
        const uint8_t* p = row + x;
        for (int32_t i = 0; i < count; ++i) out[i] = source.palette ? source.palette[p[i]] : MakeArgb(0, 0, 0);
        break;
    }
    case 16: {
        // One loop per format: the stage is converted whole every frame.
        const uint8_t* p = row + 2 * int64_t(x);
        if (source.is565)
            for (int32_t i = 0; i < count; ++i) out[i] = Expand565(Read16(p + 2 * i));
        else
            for (int32_t i = 0; i < count; ++i) out[i] = Expand555(Read16(p + 2 * i));
        break;
    }
    case 24: {
        const uint8_t* p = row + 3 * int64_t(x);
        for (int32_t i = 0; i < count; ++i) out[i] = MakeArgb(p[3 * i + 2], p[3 * i + 1], p[3 * i]);
        break;
    }
    case 32: {
        const uint8_t* p = row + 4 * int64_t(x);
        for (int32_t i = 0; i < count; ++i) out[i] = MakeArgb(p[4 * i + 2], p[4 * i + 1], p[4 * i]);
        break;
    }
    default:
        for (int32_t i = 0; i < count; ++i) out[i] = MakeArgb(0, 0, 0);
        break;
    }
}

void Image::Resize(int32_t w, int32_t h) {
    if (w < 0) w = 0;
    if (h < 0) h = 0;
    if (w == width && h == height) return;
    std::vector<Argb> next(size_t(w) * size_t(h), MakeArgb(0, 0, 0));
    const int32_t cw = w < width ? w : width;
    const int32_t ch = h < height ? h : height;
    for (int32_t y = 0; y < ch; ++y)
        std::memcpy(next.data() + size_t(y) * size_t(w), pixels.data() + size_t(y) * size_t(width),
                    size_t(cw) * sizeof(Argb));
    pixels = std::move(next);
    width = w;
    height = h;
}

} // namespace plat

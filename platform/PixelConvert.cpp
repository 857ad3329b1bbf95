#include "platform/PixelConvert.h"

#include <cstring>

namespace plat {

void ConvertRow(const PixelSource& source, int32_t x, int32_t y, int32_t count, Argb* out) {
    const uint8_t* row = source.top + int64_t(source.pitch) * y;
    switch (source.bits) {
    case 8: {
        const uint8_t* p = row + x;
        for (int32_t i = 0; i < count; ++i) out[i] = source.palette ? source.palette[p[i]] : MakeArgb(0, 0, 0);
        break;
    }
    case 16: {
        const uint8_t* p = row + 2 * int64_t(x);
        for (int32_t i = 0; i < count; ++i) {
            const uint16_t v = uint16_t(p[2 * i] | (p[2 * i + 1] << 8));
            out[i] = source.is565 ? Expand565(v) : Expand555(v);
        }
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

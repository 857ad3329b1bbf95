#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

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

/// Makes a surface of the given depth and format with the given pixel bytes (row-major).
inline void Fill(CDrawSurface& s, const std::vector<uint8_t>& bytes) {
    uint8_t* p = s.Lock();
    const int rowBytes = s.GetWidth() * (s.GetBitsPerPixel() / 8);
    for (int y = 0; y < s.GetHeight(); ++y)
        std::memcpy(p + s.GetPitch() * y, bytes.data() + size_t(rowBytes) * y, size_t(rowBytes));
    s.Unlock(0);
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

} // namespace surftest

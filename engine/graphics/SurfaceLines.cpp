// The operations a surface runs on its own pixels: lines, rectangle outlines, coordinate fills,
// clearing, palette-index rewrites and the outline picture that printing uses.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/base/Unaligned.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/PixelSurface.h"

namespace {

/// Steps a line from (x1, y1) to (x2, y2) and plots n + 2 points, n being the larger extent:
/// the first point twice, the last always (x2, y2); a coordinate moves only once its error sum
/// passes n, so the minor one changes late.
template <class Plot>
void StepLine(int x1, int y1, int x2, int y2, Plot plot) {
    const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    const int sx = (x2 > x1) - (x2 < x1), sy = (y2 > y1) - (y2 < y1);
    const int n = std::max(dx, dy);
    int ex = 0, ey = 0, x = x1, y = y1;
    for (int i = 0; i < n + 2; ++i) {
        plot(x, y);
        ex += dx;
        ey += dy;
        if (ex > n) {
            ex -= n;
            x += sx;
        }
        if (ey > n) {
            ey -= n;
            y += sy;
        }
    }
}

/// Calls f(row) for the first `bytes` bytes of every row of a locked surface.
template <class RowFn>
void ForEachRow(CDrawSurface& surface, uint8_t* pixels, size_t bytes, RowFn f) {
    const int32_t pitch = surface.GetPitch();
    for (int y = 0; y < surface.GetHeight(); ++y) f(pixels + int64_t(pitch) * y, bytes);
}

} // namespace

void CDrawSurface::FillRectCoords(int16_t left, int16_t top, int16_t right, int16_t bottom, uint32_t colour) {
    FillRect(CClipRect(left, top, right, bottom), colour);
}

void CDrawSurface::FillRect8Coords(int16_t left, int16_t top, int16_t right, int16_t bottom, uint8_t index) {
    FillRect8(CClipRect(left, top, right, bottom), index);
}

void CDrawSurface::Clear(uint32_t value) {
    CSurfaceLock lock(this);
    if (uint8_t* pixels = lock.Pixels()) {
        const size_t bytes = size_t(GetWidth()) * size_t(BytesPerPixel());
        ForEachRow(*this, pixels, bytes, [value](uint8_t* row, size_t n) { std::memset(row, uint8_t(value), n); });
    }
}

void CDrawSurface::DrawLine8(int16_t x1, int16_t y1, int16_t x2, int16_t y2, uint8_t index) {
    if (m_bitsPerPixel != 8) return;
    CSurfaceLock lock(this);
    uint8_t* pixels = lock.Pixels();
    if (!pixels) return;
    const int w = GetWidth(), h = GetHeight();
    const int32_t pitch = GetPitch();
    if (y1 == y2) {
        if (y1 < 0 || y1 >= h) return;
        const int from = std::max<int>(std::min(x1, x2), 0);
        const int to = std::min<int>(std::max(x1, x2), w); // the larger end is not drawn
        if (to > from) std::memset(pixels + int64_t(pitch) * y1 + from, index, size_t(to - from));
        return;
    }
    StepLine(x1, y1, x2, y2, [&](int x, int y) {
        if (x >= 0 && x < w && y >= 0 && y < h) pixels[int64_t(pitch) * y + x] = index;
    });
}

void CDrawSurface::DrawRect8(const CClipRect& rect, uint8_t index) {
    const int w = GetWidth(), h = GetHeight();
    const int16_t l = int16_t(std::max<int>(rect.left, 0)), r = int16_t(std::min<int>(rect.right, w - 1));
    const int16_t t = int16_t(std::max<int>(rect.top, 0)), b = int16_t(std::min<int>(rect.bottom, h - 1));
    if (r <= l || b <= t) return;
    if (rect.top >= 0 && rect.top < h) DrawLine8(l, t, r, t, index);
    if (rect.right >= 0 && rect.right < w) DrawLine8(r, t, r, b, index);
    if (rect.bottom >= 0 && rect.bottom < h) DrawLine8(l, b, r, b, index);
    if (rect.left >= 0 && rect.left < w) DrawLine8(l, t, l, b, index);
}

void CDrawSurface::DrawLineRGB(int16_t x1, int16_t y1, int16_t x2, int16_t y2, uint32_t colour) {
    const bool packed16 = m_bitsPerPixel == 16 && (m_pixelFormat == kPixelFormat555 || m_pixelFormat == kPixelFormat565);
    if (!packed16 && m_bitsPerPixel != 24) return;
    CSurfaceLock lock(this);
    uint8_t* pixels = lock.Pixels();
    if (!pixels) return;
    const int w = GetWidth(), h = GetHeight();
    const int32_t pitch = GetPitch();
    const uint16_t value = PackColor16(colour, m_pixelFormat);
    StepLine(x1, y1, x2, y2, [&](int x, int y) {
        if (x < 0 || x >= w || y < 0 || y >= h) return;
        uint8_t* p = pixels + int64_t(pitch) * y;
        if (packed16) {
            unaligned::Store16(p + 2 * x, value);
        } else {
            p[3 * x] = ColorBlue(colour);
            p[3 * x + 1] = ColorGreen(colour);
            p[3 * x + 2] = ColorRed(colour);
        }
    });
}

void CDrawSurface::DrawRectRGB(const CClipRect& rect, uint32_t colour) {
    DrawLineRGB(rect.left, rect.top, rect.right, rect.top, colour);
    DrawLineRGB(rect.right, rect.top, rect.right, rect.bottom, colour);
    DrawLineRGB(rect.left, rect.bottom, rect.right, rect.bottom, colour);
    DrawLineRGB(rect.left, rect.top, rect.left, rect.bottom, colour);
}

void CDrawSurface::ReplaceColor(uint8_t a, uint8_t b) {
    if (m_bitsPerPixel != 8) return;
    CSurfaceLock lock(this);
    if (uint8_t* pixels = lock.Pixels()) {
        ForEachRow(*this, pixels, size_t(GetWidth()), [a, b](uint8_t* row, size_t n) { std::replace(row, row + n, a, b); });
    }
}

void CDrawSurface::ShiftColorGroup(uint8_t a, uint8_t b) {
    if (m_bitsPerPixel != 8) return;
    const int first = 4 * a + 2, last = 4 * a + 5;
    const uint8_t shift = uint8_t(4 * (b - a)); // 8-bit arithmetic
    CSurfaceLock lock(this);
    if (uint8_t* pixels = lock.Pixels()) {
        ForEachRow(*this, pixels, size_t(GetWidth()), [&](uint8_t* row, size_t n) {
            for (size_t i = 0; i < n; ++i)
                if (row[i] >= first && row[i] <= last) row[i] = uint8_t(row[i] + shift);
        });
    }
}

void CDrawSurface::SetAllExcept(uint8_t a, uint8_t b) {
    if (m_bitsPerPixel != 8) return;
    CSurfaceLock lock(this);
    if (uint8_t* pixels = lock.Pixels()) {
        ForEachRow(*this, pixels, size_t(GetWidth()), [a, b](uint8_t* row, size_t n) {
            for (size_t i = 0; i < n; ++i)
                if (row[i] != b) row[i] = a;
        });
    }
}

// Each inner pixel is decided from the copy's pixel p and its four neighbours: p = a gives a and
// p = b gives b; a pixel beside a b is an edge and gives a; otherwise by p's place in its colour
// group, (p - 2) mod 4: places 0 and 1 give b, place 3 gives a, place 2 gives b inside a patch
// of its own colour and a where it meets another; 0 and 1 (no group) stay. Then everything but
// b becomes a, so only the two indices are left.
void CDrawSurface::MakeOutlinePicture(uint8_t a, uint8_t b) {
    if (m_bitsPerPixel != 8) return;
    const int w = GetWidth(), h = GetHeight();
    CPixelSurface work;
    if (!work.Create(int16_t(w), int16_t(h), 8)) return;
    CopyToSurface(&work, CPoint16(0, 0), kDrawTransparent);
    Clear(b);
    {
        CSurfaceLock target(this);
        CSurfaceLock source(&work);
        uint8_t* d = target.Pixels();
        const uint8_t* s = source.Pixels();
        if (!d || !s) return;
        const int32_t dp = GetPitch(), sp = work.GetPitch();
        for (int y = 1; y < h - 1; ++y) {
            const uint8_t* row = s + int64_t(sp) * y;
            for (int x = 1; x < w - 1; ++x) {
                const uint8_t p = row[x];
                const uint8_t around[4] = {row[x - 1], row[x + 1], row[x - sp], row[x + sp]};
                uint8_t out = p;
                if (p == a || p == b) {
                    out = p;
                } else if (std::find(around, around + 4, b) != around + 4) {
                    out = a;
                } else if (p >= 2) {
                    switch ((p - 2) % 4) {
                    case 0:
                    case 1: out = b; break;
                    case 3: out = a; break;
                    default: out = std::all_of(around, around + 4, [p](uint8_t n) { return n == p; }) ? b : a; break;
                    }
                }
                d[int64_t(dp) * y + x] = out;
            }
        }
    }
    SetAllExcept(a, b);
}

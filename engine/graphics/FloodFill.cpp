// Region fills of a surface. The public entries check the seed, read or pack the colours and
// pick a worker for the depth; every worker runs one span fill with its own region test and
// painting.
#include <algorithm>
#include <vector>

#include "engine/base/Unaligned.h"
#include "engine/data/DynArray.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/Kernels.h"

namespace {

/// A pattern fill ends once more runs than this wait on its stack.
constexpr int32_t kPatternStackLimit = 10000;

/// The locked pixels of a surface: a pixel's address from its column and row.
struct Pixels {
    uint8_t* base = nullptr;
    int32_t pitch = 0;
    int bytes = 1;
    uint8_t* At(int x, int y) const { return base + int64_t(pitch) * y + int64_t(bytes) * x; }
};

Pixels PixelsOf(CDrawSurface& surface, uint8_t* base) {
    return Pixels{base, surface.GetPitch(), surface.GetBitsPerPixel() / 8};
}

bool Same24(const uint8_t* p, uint32_t colour) {
    return p[0] == ColorBlue(colour) && p[1] == ColorGreen(colour) && p[2] == ColorRed(colour);
}

void Store24(uint8_t* p, uint32_t colour) {
    p[0] = ColorBlue(colour);
    p[1] = ColorGreen(colour);
    p[2] = ColorRed(colour);
}

/// The seed stack: right ends of runs still to fill, last in first out, in the engine's
/// growable array. A run that cannot be stored is dropped and the fill goes on; with a limit,
/// Push answers false once more entries than the limit wait.
class SeedStack {
public:
    explicit SeedStack(int32_t limit) : limit_(limit) {}
    bool Push(int x, int y) {
        stack_.Append(CPoint16(int16_t(x), int16_t(y)));
        return limit_ == 0 || stack_.Count() <= limit_;
    }
    bool Empty() const { return stack_.Count() == 0; }
    CPoint16 Pop() { return stack_.PopBack(); }

private:
    CDynArray<CPoint16> stack_;
    int32_t limit_;
};

/// Pushes the right end of every run of region pixels in row y that meets the span [xl, xr],
/// from the rightmost run to the leftmost. Only the runs that can meet the span are looked at;
/// the pushes are those of a scan of the whole row from its right edge.
template <class Region>
bool PushRunsMeeting(Region& region, int width, int y, int xl, int xr, SeedStack& stack, std::vector<int>& ends) {
    ends.clear();
    int i = xl;
    if (region.In(xl, y)) {
        while (i > 0 && region.In(i - 1, y)) --i;
    }
    while (i <= xr) {
        if (!region.In(i, y)) {
            ++i;
            continue;
        }
        while (i + 1 < width && region.In(i + 1, y)) ++i;
        ends.push_back(i);
        ++i;
    }
    for (auto end = ends.rbegin(); end != ends.rend(); ++end)
        if (!stack.Push(*end, y)) return false;
    return true;
}

/// The span fill: from the seed walk right to the end of its run and push it; then take runs
/// off the stack, fill each leftwards from its right end and push the runs of the rows above
/// and below that meet the filled span. Region: In(x, y) and Paint(x, y); painting takes a
/// pixel out of the region.
template <class Region>
void SpanFill(int width, int height, int x, int y, Region& region, int32_t stackLimit = 0) {
    int xr = x;
    while (xr + 1 < width && region.In(xr + 1, y)) ++xr;
    SeedStack stack(stackLimit);
    std::vector<int> ends;
    if (!stack.Push(xr, y)) return;
    while (!stack.Empty()) {
        const CPoint16 run = stack.Pop();
        const int rx = run.x, ry = run.y;
        if (rx < 0 || rx >= width || ry < 0 || ry >= height || !region.In(rx, ry)) continue;
        int xl = rx;
        for (int i = rx; i >= 0 && region.In(i, ry); --i) {
            region.Paint(i, ry);
            xl = i;
        }
        if (ry >= 1 && !PushRunsMeeting(region, width, ry - 1, xl, rx, stack, ends)) return;
        if (ry + 1 < height && !PushRunsMeeting(region, width, ry + 1, xl, rx, stack, ends)) return;
    }
}

/// One flag per pixel for the fills whose painting may leave a pixel in the region (a fill
/// colour in the colour list, a pattern holding the region's colour): a painted pixel is
/// marked and taken out of the region, so each is painted once and the fill ends.
class PaintedMask {
public:
    PaintedMask(int width, int height) : width_(width), flags_(size_t(width) * size_t(height), 0) {}
    bool Painted(int x, int y) const { return flags_[size_t(y) * size_t(width_) + size_t(x)] != 0; }
    void Mark(int x, int y) { flags_[size_t(y) * size_t(width_) + size_t(x)] = 1; }

private:
    int width_;
    std::vector<uint8_t> flags_;
};

// ---- the workers' regions -------------------------------------------------------------------

struct Flood8 {
    Pixels s;
    uint8_t old, index;
    bool In(int x, int y) const { return *s.At(x, y) == old; }
    void Paint(int x, int y) { *s.At(x, y) = index; }
};

struct Flood16 {
    Pixels s;
    uint16_t old, colour;
    bool In(int x, int y) const { return unaligned::Load16(s.At(x, y)) == old; }
    void Paint(int x, int y) { unaligned::Store16(s.At(x, y), colour); }
};

struct Flood24 {
    Pixels s;
    uint32_t old, colour;
    bool In(int x, int y) const { return Same24(s.At(x, y), old); }
    void Paint(int x, int y) { Store24(s.At(x, y), colour); }
};

/// The list fills: the seed's value or a listed colour, each pixel painted once.
struct FloodList {
    Pixels s;
    const uint8_t* old; ///< the seed's pixel bytes
    const CDynArray<uint32_t>& colours;
    int16_t format;
    uint32_t colour; ///< packed for 16 bits
    PaintedMask painted;
    bool In(int x, int y) const {
        if (painted.Painted(x, y)) return false;
        const uint8_t* p = s.At(x, y);
        return BytesEqual(p, old, s.bytes) ||
               PixelMatchesColorList(p, colours.Data(), colours.Count(), s.bytes, format);
    }
    void Paint(int x, int y) {
        painted.Mark(x, y);
        if (s.bytes == 2) unaligned::Store16(s.At(x, y), uint16_t(colour));
        else Store24(s.At(x, y), colour);
    }
};

/// The map-driven fills: the map's index marks the region; the picture is only written.
struct FromMap {
    Pixels map, picture;
    uint8_t old, index;
    uint32_t colour; ///< packed for a 16-bit picture
    bool In(int x, int y) const { return *map.At(x, y) == old; }
    void Paint(int x, int y) {
        *map.At(x, y) = index;
        if (picture.bytes == 2) unaligned::Store16(picture.At(x, y), uint16_t(colour));
        else Store24(picture.At(x, y), colour);
    }
};

struct Boundary8 {
    Pixels s;
    uint8_t boundary, fill;
    bool In(int x, int y) const {
        const uint8_t p = *s.At(x, y);
        return p != boundary && p != fill;
    }
    void Paint(int x, int y) { *s.At(x, y) = fill; }
};

struct Boundary16 {
    Pixels s;
    uint16_t boundary, fill;
    bool In(int x, int y) const {
        const uint16_t p = unaligned::Load16(s.At(x, y));
        return p != boundary && p != fill;
    }
    void Paint(int x, int y) { unaligned::Store16(s.At(x, y), fill); }
};

struct Boundary24 {
    Pixels s;
    uint32_t boundary, fill;
    bool In(int x, int y) const { return !Same24(s.At(x, y), boundary) && !Same24(s.At(x, y), fill); }
    void Paint(int x, int y) { Store24(s.At(x, y), fill); }
};

/// The pattern fills: the region is read from `region` (the seed's value, and with a list the
/// listed colours); `target` gets the pattern tiled from the offset, and a map its new index.
struct PatternRegion {
    Pixels region, target, pattern;
    int patternWidth, patternHeight;
    int offsetX, offsetY; ///< taken into 0 .. size - 1
    const uint8_t* seed;
    const CDynArray<uint32_t>* colours;
    int16_t format;
    bool markMap;
    uint8_t newIndex;
    PaintedMask painted;
    bool In(int x, int y) const {
        if (painted.Painted(x, y)) return false;
        const uint8_t* p = region.At(x, y);
        if (BytesEqual(p, seed, region.bytes)) return true;
        return colours && PixelMatchesColorList(p, colours->Data(), colours->Count(), region.bytes, format);
    }
    void Paint(int x, int y) {
        painted.Mark(x, y);
        if (markMap) *region.At(x, y) = newIndex;
        const int px = (offsetX + x % patternWidth) % patternWidth;
        const int py = (offsetY + y % patternHeight) % patternHeight;
        std::copy_n(pattern.At(px, py), target.bytes, target.At(x, y));
    }
};

/// A remainder in 0 .. size - 1, also for a negative value.
int Wrap(int value, int size) { return ((value % size) + size) % size; }

bool SeedInside(CDrawSurface& s, int16_t x, int16_t y) {
    return x >= 0 && x < s.GetWidth() && y >= 0 && y < s.GetHeight();
}

/// The value a 16-bit fill writes: packed in the surface's layout, or for a surface of another
/// format code the low 16 bits of the colour word as they are.
uint16_t Fill16(uint32_t colour, int16_t format) {
    return (format == kPixelFormat555 || format == kPixelFormat565) ? PackColor16(colour, format) : uint16_t(colour);
}

} // namespace

void CDrawSurface::FloodFill8(int16_t x, int16_t y, uint8_t index) {
    if (m_bitsPerPixel != 8 || !SeedInside(*this, x, y)) return;
    CSurfaceLock lock(this);
    if (!lock.Pixels()) return;
    Flood8 region{PixelsOf(*this, lock.Pixels()), 0, index};
    region.old = *region.s.At(x, y);
    if (region.old != index) SpanFill(GetWidth(), GetHeight(), x, y, region);
}

void CDrawSurface::FloodFill(int16_t x, int16_t y, uint32_t colour) {
    if ((m_bitsPerPixel != 16 && m_bitsPerPixel != 24) || !SeedInside(*this, x, y)) return;
    CSurfaceLock lock(this);
    if (!lock.Pixels()) return;
    const Pixels s = PixelsOf(*this, lock.Pixels());
    if (m_bitsPerPixel == 16) {
        Flood16 region{s, unaligned::Load16(s.At(x, y)), Fill16(colour, m_pixelFormat)};
        if (region.colour != region.old) SpanFill(GetWidth(), GetHeight(), x, y, region);
    } else {
        // The seed and the colour compare by their three colour bytes only.
        Flood24 region{s, ColorOfRecord(s.At(x, y)), colour & 0xFFFFFFu};
        if (region.colour != region.old) SpanFill(GetWidth(), GetHeight(), x, y, region);
    }
}

void CDrawSurface::FloodFillList(int16_t x, int16_t y, uint32_t colour, const CDynArray<uint32_t>& colours) {
    if ((m_bitsPerPixel != 16 && m_bitsPerPixel != 24) || !SeedInside(*this, x, y)) return;
    CSurfaceLock lock(this);
    if (!lock.Pixels()) return;
    const Pixels s = PixelsOf(*this, lock.Pixels());
    uint8_t old[3] = {};
    std::copy_n(s.At(x, y), s.bytes, old);
    const uint32_t value = m_bitsPerPixel == 16 ? Fill16(colour, m_pixelFormat) : (colour & 0xFFFFFFu);
    const bool differs = m_bitsPerPixel == 16 ? unaligned::Load16(old) != value : !Same24(old, value);
    if (!differs) return;
    FloodList region{s, old, colours, m_pixelFormat, value, PaintedMask(GetWidth(), GetHeight())};
    SpanFill(GetWidth(), GetHeight(), x, y, region);
}

void CDrawSurface::FloodFillFromMap(int16_t x, int16_t y, CDrawSurface* picture, uint8_t newIndex, uint32_t colour) {
    if (!picture || m_bitsPerPixel != 8 || !SeedInside(*this, x, y)) return;
    const int bits = picture->GetBitsPerPixel();
    if ((bits != 16 && bits != 24) || picture->GetWidth() < GetWidth() || picture->GetHeight() < GetHeight()) return;
    CSurfaceLock mapLock(this);
    CSurfaceLock pictureLock(picture);
    if (!mapLock.Pixels() || !pictureLock.Pixels()) return;
    FromMap region{PixelsOf(*this, mapLock.Pixels()), PixelsOf(*picture, pictureLock.Pixels()), 0, newIndex,
                   bits == 16 ? Fill16(colour, picture->GetPixelFormat()) : colour};
    region.old = *region.map.At(x, y);
    if (region.old != newIndex) SpanFill(GetWidth(), GetHeight(), x, y, region);
}

void CDrawSurface::BoundaryFill8(int16_t x, int16_t y, uint8_t boundary, uint8_t fill) {
    if (m_bitsPerPixel != 8 || !SeedInside(*this, x, y) || boundary == fill) return;
    CSurfaceLock lock(this);
    if (!lock.Pixels()) return;
    Boundary8 region{PixelsOf(*this, lock.Pixels()), boundary, fill};
    SpanFill(GetWidth(), GetHeight(), x, y, region);
}

void CDrawSurface::BoundaryFill(int16_t x, int16_t y, uint32_t boundary, uint32_t fill) {
    if ((m_bitsPerPixel != 16 && m_bitsPerPixel != 24) || !SeedInside(*this, x, y) || boundary == fill) return;
    CSurfaceLock lock(this);
    if (!lock.Pixels()) return;
    const Pixels s = PixelsOf(*this, lock.Pixels());
    if (m_bitsPerPixel == 16) {
        Boundary16 region{s, Fill16(boundary, m_pixelFormat), Fill16(fill, m_pixelFormat)};
        SpanFill(GetWidth(), GetHeight(), x, y, region);
    } else {
        Boundary24 region{s, boundary, fill};
        SpanFill(GetWidth(), GetHeight(), x, y, region);
    }
}

namespace {

/// The shared body of the pattern fills: `region` is read (and with a map marked), `target`
/// is painted; both have the size of `region`, the pattern the target's depth.
void RunPatternFill(CDrawSurface& region, CDrawSurface& target, CDrawSurface* pattern, int16_t x, int16_t y,
                    CPoint16 offset, const CDynArray<uint32_t>* colours, bool markMap, uint8_t newIndex) {
    if (!pattern || !SeedInside(region, x, y) || pattern->GetBitsPerPixel() != target.GetBitsPerPixel()) return;
    const int pw = pattern->GetWidth(), ph = pattern->GetHeight();
    if (pw <= 0 || ph <= 0 || target.GetWidth() < region.GetWidth() || target.GetHeight() < region.GetHeight()) return;
    CSurfaceLock regionLock(&region);
    CSurfaceLock targetLock(&target == &region ? nullptr : &target);
    CSurfaceLock patternLock(pattern);
    uint8_t* targetPixels = &target == &region ? regionLock.Pixels() : targetLock.Pixels();
    if (!regionLock.Pixels() || !targetPixels || !patternLock.Pixels()) return;
    const Pixels r = PixelsOf(region, regionLock.Pixels());
    uint8_t seed[4] = {};
    std::copy_n(r.At(x, y), std::min(r.bytes, 4), seed);
    PatternRegion fill{r,
                       PixelsOf(target, targetPixels),
                       PixelsOf(*pattern, patternLock.Pixels()),
                       pw,
                       ph,
                       Wrap(offset.x, pw),
                       Wrap(offset.y, ph),
                       seed,
                       colours,
                       region.GetPixelFormat(),
                       markMap,
                       newIndex,
                       PaintedMask(region.GetWidth(), region.GetHeight())};
    SpanFill(region.GetWidth(), region.GetHeight(), x, y, fill, kPatternStackLimit);
}

} // namespace

void CDrawSurface::PatternFill(int16_t x, int16_t y, CDrawSurface* pattern, CPoint16 offset) {
    RunPatternFill(*this, *this, pattern, x, y, offset, nullptr, false, 0);
}

void CDrawSurface::PatternFillList(int16_t x, int16_t y, CDrawSurface* pattern, const CDynArray<uint32_t>& colours,
                                   CPoint16 offset) {
    RunPatternFill(*this, *this, pattern, x, y, offset, &colours, false, 0);
}

void CDrawSurface::PatternFillFromMap(int16_t x, int16_t y, uint8_t newIndex, CDrawSurface* picture,
                                      CDrawSurface* pattern, CPoint16 offset) {
    if (!picture || m_bitsPerPixel != 8) return;
    RunPatternFill(*this, *picture, pattern, x, y, offset, nullptr, true, newIndex);
}

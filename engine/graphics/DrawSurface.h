#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/base/Point.h"
#include "engine/graphics/ClipRect.h"
#include "engine/graphics/Kernels.h"

class CColorPalette;
class CConvertedLines;
template <class T>
class CDynArray;
namespace plat {
class Dc;
}

/// The line-blit routine a draw may run per line instead of a kernel: (source bytes, pixel
/// count, destination pixels, palette).
using SurfaceLineBlit = void (*)(const uint8_t* src, int16_t count, void* dst, CColorPalette* palette);

/// Surface kinds; the main window presents with Flip when its display surface is of kind 6.
enum SurfaceKind : int16_t {
    kSurfaceBase = 0, ///< CDrawSurface itself and CPackedDIBSurface
    kSurfacePixel = 1,
    kSurfaceDDrawOffscreen = 3,
    kSurfaceDIBSection = 4,
    kSurfaceDDraw = 6,
};

/// Surface draw modes of the dispatchers.
enum SurfaceDrawMode : uint32_t {
    kDrawSolid = 0,
    kDrawTransparent = 1,
    kDrawTinted = 2,
    kDrawBlended = 3,
    kDrawMasked = 4,
    kDrawBlended16 = 5,
};

/// The base of every drawing surface: depth, pixel format, lock state, line buffer, an optional
/// palette, the surface kind and the kernel or blit routine chosen by the last draw. Every draw
/// is called on the source surface and leaves both surfaces unlocked.
class CDrawSurface {
public:
    CDrawSurface();
    virtual ~CDrawSurface();
    CDrawSurface(const CDrawSurface&) = delete;
    CDrawSurface& operator=(const CDrawSurface&) = delete;

    // ---- clipping dispatchers and convenience entries
    /// Draws the source rectangle into the destination rectangle (stretched when the sizes
    /// differ), clipped against the destination, in a surface draw mode; mode 4 takes a mask
    /// surface and the mask position of the source rectangle's top-left pixel.
    virtual void StretchCopy(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect, uint32_t mode,
                             CDrawSurface* mask = nullptr, CPoint16 maskPoint = {});
    /// The same for the picture mirrored left to right.
    void StretchCopyFlipped(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect, uint32_t mode,
                            CDrawSurface* mask = nullptr, CPoint16 maskPoint = {});
    /// StretchCopy into the rectangle of the source's size at the point.
    void CopyRect(const CClipRect& src, CDrawSurface* dst, CPoint16 point, uint32_t mode,
                  CDrawSurface* mask = nullptr, CPoint16 maskPoint = {});
    /// CopyRect of the whole surface.
    void CopyToSurface(CDrawSurface* dst, CPoint16 point, uint32_t mode, CDrawSurface* mask = nullptr,
                       CPoint16 maskPoint = {});
    /// Draws only when dstRect is src transposed, both non-empty and mode 0: a quarter turn
    /// anticlockwise through DrawRotated. No clipping.
    void CopyRotated(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect, uint32_t mode,
                     CDrawSurface* mask = nullptr, CPoint16 maskPoint = {});
    /// A quarter turn anticlockwise; the turned picture must end exactly at the destination's
    /// bottom right corner, depths and formats equal.
    void DrawRotated(const CClipRect& src, CDrawSurface* dst, CPoint16 point);

    // ---- kernel selectors: called on the source surface with the destination's depth and format
    DrawKernel SelectCopyKernel(int dstBits, int16_t dstFormat) const;
    DrawKernel SelectTransparentKernel(int dstBits, int16_t dstFormat) const;
    DrawKernel SelectTintedKernel(int dstBits, int16_t dstFormat) const;
    DrawKernel SelectBlendedKernel(int dstBits, int16_t dstFormat) const;
    DrawKernel SelectMaskKernel(int dstBits, int16_t dstFormat) const;

    // ---- memory and geometry (the derived classes give the pixels)
    virtual bool Create(int16_t width, int16_t height, int16_t bitsPerPixel) = 0;
    virtual void Destroy();
    virtual uint8_t* Lock() = 0;
    virtual void Unlock(int flag = 0) = 0;
    virtual int32_t GetPitch() = 0;
    virtual int16_t GetWidth() = 0;
    virtual void SetWidth(int16_t width) = 0;
    virtual int16_t GetHeight() = 0;
    virtual void SetHeight(int16_t height) = 0;
    virtual uint32_t GetMemorySize() = 0;
    virtual bool IsSurfaceLost() { return false; }
    virtual int Restore() { return 1; }
    virtual void LockSysSurface() {}
    virtual void UnlockSysSurface() {}
    virtual bool IsSysSurfaceLocked() { return false; }
    bool IsLocked() const { return m_locked != 0; }
    /// 1 when the rows are stored bottom-up.
    virtual int IsBottomUp() { return 0; }
    uint8_t* GetLineBuffer() const { return m_lineBuffer; }
    /// Hands the surface a temporary line buffer of at least one row that it then holds.
    void SetLineBuffer(uint8_t* buffer);
    void FreeLineBuffer();
    uint8_t* ResetLineBuffer();
    virtual bool IsValid();
    /// A drawing context over the surface's pixels (the window surfaces have one); null here.
    virtual plat::Dc* GetDC() { return nullptr; }
    virtual void ReleaseDC(plat::Dc* /*dc*/) {}
    /// Fills the rectangle, clipped to the surface, with a colour word packed for a 16-bit
    /// (in the surface's layout) or 24-bit surface; other depths are left alone.
    virtual void FillRect(const CClipRect& rect, uint32_t colour);
    /// Fills the rectangle, clipped to the surface, of an 8-bit surface with a palette index.
    virtual void FillRect8(const CClipRect& rect, uint8_t index);
    /// FillRect of the rectangle (left, top, right, bottom).
    void FillRectCoords(int16_t left, int16_t top, int16_t right, int16_t bottom, uint32_t colour);
    /// FillRect8 of the rectangle (left, top, right, bottom).
    void FillRect8Coords(int16_t left, int16_t top, int16_t right, int16_t bottom, uint8_t index);
    /// Every byte of every row (width x bytes per pixel) becomes the value's low byte.
    void Clear(uint32_t value);

    // ---- lines and outlines: clipped to the surface; what lies inside is drawn as without clipping
    /// 8 bits: a line of the index that holds both end points; a line along a row fills
    /// |x2 - x1| pixels from the smaller x on (the larger end and x1 = x2 are left out).
    void DrawLine8(int16_t x1, int16_t y1, int16_t x2, int16_t y2, uint8_t index);
    /// 8 bits: the outline on columns left and right and rows top and bottom (inclusive);
    /// edges outside the surface are left out, and nothing is drawn when the part of the
    /// rectangle on the surface is one pixel thin.
    void DrawRect8(const CClipRect& rect, uint8_t index);
    /// 16 bits (5-5-5 or 5-6-5) and 24 bits: a line of the colour word holding both end points.
    void DrawLineRGB(int16_t x1, int16_t y1, int16_t x2, int16_t y2, uint32_t colour);
    /// Four DrawLineRGB: top, right, bottom and left edge, on columns left and right and rows
    /// top and bottom.
    void DrawRectRGB(const CClipRect& rect, uint32_t colour);

    // ---- palette indices in place (8-bit surfaces; other depths are left alone)
    /// Every pixel a becomes b.
    void ReplaceColor(uint8_t a, uint8_t b);
    /// Every pixel of colour group a (indices 4a + 2 .. 4a + 5) moves to the same place in group b.
    void ShiftColorGroup(uint8_t a, uint8_t b);
    /// Every pixel that is not b becomes a.
    void SetAllExcept(uint8_t a, uint8_t b);
    /// Turns an 8-bit picture into a picture of only the two indices for printing (the outer
    /// border becomes `background`; the rule for the rest is told at the definition). The
    /// picture is overwritten.
    void MakeOutlinePicture(uint8_t outline, uint8_t background);

    // ---- region fills: from a seed inside the surface (else nothing), every pixel joined to it
    // through pixels of the region by their edges (not only by a corner) is painted
    /// 8 bits: the region of the seed's index becomes `index`.
    void FloodFill8(int16_t x, int16_t y, uint8_t index);
    /// 16 and 24 bits: the region of the seed's colour becomes the colour word.
    void FloodFill(int16_t x, int16_t y, uint32_t colour);
    /// FloodFill whose region also takes the pixels of the colours listed.
    void FloodFillList(int16_t x, int16_t y, uint32_t colour, const CDynArray<uint32_t>& colours);
    /// This 8-bit surface is a map of regions over a 16- or 24-bit picture of its size: the map's
    /// region of the seed's index becomes `newIndex` and the same pixels of the picture `colour`.
    void FloodFillFromMap(int16_t x, int16_t y, CDrawSurface* picture, uint8_t newIndex, uint32_t colour);
    /// 8 bits: every pixel that is neither `boundary` nor `fill` becomes `fill`.
    void BoundaryFill8(int16_t x, int16_t y, uint8_t boundary, uint8_t fill);
    /// BoundaryFill8 with colour words on 16- and 24-bit surfaces.
    void BoundaryFill(int16_t x, int16_t y, uint32_t boundary, uint32_t fill);
    /// The region of the seed's pixel value takes the pattern surface (of the same depth)
    /// tiled from the offset: pixel (x, y) gets the pattern's pixel at column (offset.x + x)
    /// and row (offset.y + y), both modulo the pattern's size. Stops, leaving the rest, once
    /// more than 10000 runs wait to be filled.
    void PatternFill(int16_t x, int16_t y, CDrawSurface* pattern, CPoint16 offset);
    /// PatternFill whose region also takes the pixels of the colours listed.
    void PatternFillList(int16_t x, int16_t y, CDrawSurface* pattern, const CDynArray<uint32_t>& colours,
                         CPoint16 offset);
    /// This 8-bit surface is the map: its region of the seed's index becomes `newIndex` and the
    /// same pixels of the picture take the tiled pattern.
    void PatternFillFromMap(int16_t x, int16_t y, uint8_t newIndex, CDrawSurface* picture, CDrawSurface* pattern,
                            CPoint16 offset);

    /// With a null buffer the address of row y; with a buffer traces a warning and copies the
    /// row (width x bytes per pixel) into it. Locks the surface and leaves it locked.
    uint8_t* GetLine(int16_t y, uint8_t* buffer);
    /// Locks the surface and answers the address of the pixel at the point (left locked).
    uint8_t* PixelAddress(CPoint16 point);

    // ---- palette
    /// With the remap flag the pixels are first remapped to keep their colours under the new
    /// palette; then the surface's own palette becomes a copy of it.
    virtual void SetPalette(const CColorPalette* palette, uint8_t remap = 0);
    /// Copies the 256 colour words of the surface's palette (own, else global) into out.
    virtual int GetPalette(CColorPalette* out);
    virtual uint32_t GetPaletteSize();
    /// The surface's own palette, or null.
    CColorPalette* OwnPalette() const { return m_palette; }
    /// The own palette, else the global one.
    CColorPalette* EffectivePalette() const;
    void ReleasePalette();
    /// Every non-zero pixel p of an 8-bit surface becomes table[p].
    void RemapPixels(const uint8_t* table);

    /// 5-5-5 to 5-6-5 of every pixel into the same place of dst (both 16-bit; may be this).
    void Blit16(CDrawSurface* dst);

    int16_t GetBitsPerPixel() const { return m_bitsPerPixel; }
    int16_t GetPixelFormat() const { return m_pixelFormat; }
    void SetPixelFormat(int16_t format) { m_pixelFormat = format; }
    int16_t GetSurfaceKind() const { return m_kind; }
    void* GetPool() const { return m_pool; }
    void SetPool(void* pool) { m_pool = pool; }
    DrawKernel GetLineKernel() const { return m_lineKernel; }
    SurfaceLineBlit GetLineBlit() const { return m_lineBlit; }
    /// From now on this surface's solid, unstretched draws through its palette into 16-bit
    /// surfaces keep the lines they convert and copy them while their bytes and the palette
    /// stay the same: for a background drawn every frame.
    void KeepConvertedLines();
    /// The bytes of memory the kept converted lines hold; a surface made again or destroyed
    /// gives them back.
    size_t ConvertedLinesBytes() const;

protected:
    // ---- draw slots: no clipping of their own; the dispatchers clip and fill the line context
    void Draw(const CClipRect& src, CDrawSurface* dst, CPoint16 point);
    void DrawTransparent(const CClipRect& src, CDrawSurface* dst, CPoint16 point);
    void DrawTinted(const CClipRect& src, CDrawSurface* dst, CPoint16 point);
    void DrawBlended16(const CClipRect& src, CDrawSurface* dst, CPoint16 point);
    void DrawBlended16Sel(const CClipRect& src, CDrawSurface* dst, CPoint16 point);
    void DrawMasked(const CClipRect& src, CDrawSurface* dst, CPoint16 point, CDrawSurface* mask, CPoint16 maskPoint);
    void DrawFlipped(const CClipRect& src, CDrawSurface* dst, CPoint16 point);
    void DrawFlippedTransparent(const CClipRect& src, CDrawSurface* dst, CPoint16 point);
    void DrawFlippedTinted(const CClipRect& src, CDrawSurface* dst, CPoint16 point);
    void DrawFlippedBlended(const CClipRect& src, CDrawSurface* dst, CPoint16 point);
    void DrawFlippedBlended16Sel(const CClipRect& src, CDrawSurface* dst, CPoint16 point);
    void DrawFlippedMasked(const CClipRect& src, CDrawSurface* dst, CPoint16 point, CDrawSurface* mask,
                           CPoint16 maskPoint);
    void MaskDestination(const CClipRect& src, CDrawSurface* dst, CPoint16 point);
    // Stretched slots: the line context's row and column tables map destination to source.
    void DrawStretched(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect);
    void DrawStretchedTransparent(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect);
    void DrawStretchedTinted(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect);
    void DrawStretchedBlended(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect);
    void DrawStretchedMasked(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect, CDrawSurface* mask,
                             CPoint16 maskPoint);
    void DrawStretchedFlipped(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect);
    void DrawStretchedFlippedTransparent(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect);
    void DrawStretchedFlippedTinted(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect);
    void DrawStretchedFlippedBlended(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect);


    void Dispatch(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect, uint32_t mode,
                  CDrawSurface* mask, CPoint16 maskPoint, bool mirrored);
    void DrawLines(const CClipRect& src, CDrawSurface* dst, CPoint16 point);
    /// The kept converted lines, begun for this draw, when the line kernel is the palette to
    /// 16-bit copy that they stand in for; else null.
    CConvertedLines* KeptLinesFor(const CLineContext& line);
    /// Gives back the kept converted lines' memory; they are kept again from the next draw.
    void ForgetConvertedLines();
    /// A mirrored draw: the 8-bit kernel between two 8-bit surfaces, else the blitters'
    /// mirrored line routine for the two depths (prepared for the two formats).
    void DrawMirroredLines(const CClipRect& src, CDrawSurface* dst, CPoint16 point, DrawKernel kernel8,
                           SurfaceLineBlit (*blit)(int srcBits, int dstBits, bool mirrored));
    void DrawStretchedLines(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect, bool mirrored);
    void DrawMaskedLines(const CClipRect& src, CDrawSurface* dst, CPoint16 point, CDrawSurface* mask,
                         CPoint16 maskPoint, bool mirrored);
    int BytesPerPixel() const { return m_bitsPerPixel / 8; }

    uint8_t m_locked = 0;
    uint8_t* m_lineBuffer = nullptr;
    DrawKernel m_lineKernel = nullptr;
    SurfaceLineBlit m_lineBlit = nullptr;
    int16_t m_bitsPerPixel = 8;
    int16_t m_pixelFormat = 0;
    CColorPalette* m_palette = nullptr;
    void* m_pool = nullptr;
    int16_t m_kind = kSurfaceBase;
    std::unique_ptr<CConvertedLines> m_convertedLines;
};

/// Locks a surface for the guard's lifetime and always unlocks it, also when the lock failed.
class CSurfaceLock {
public:
    explicit CSurfaceLock(CDrawSurface* surface) : m_surface(surface), m_pixels(surface ? surface->Lock() : nullptr) {}
    ~CSurfaceLock() {
        if (m_surface) m_surface->Unlock(0);
    }
    CSurfaceLock(const CSurfaceLock&) = delete;
    CSurfaceLock& operator=(const CSurfaceLock&) = delete;
    uint8_t* Pixels() const { return m_pixels; }

private:
    CDrawSurface* m_surface;
    uint8_t* m_pixels;
};

/// Holds a surface's system lock (the display surfaces give pixels only under it) for a CPU
/// draw or read and releases it after; a surface that was locked already stays locked for its
/// holder.
class CSysLockForDraw {
public:
    explicit CSysLockForDraw(CDrawSurface* surface)
        : m_surface(surface && !surface->IsSysSurfaceLocked() ? surface : nullptr) {
        if (m_surface) m_surface->LockSysSurface();
    }
    ~CSysLockForDraw() {
        if (m_surface) m_surface->UnlockSysSurface();
    }
    CSysLockForDraw(const CSysLockForDraw&) = delete;
    CSysLockForDraw& operator=(const CSysLockForDraw&) = delete;

private:
    CDrawSurface* m_surface;
};

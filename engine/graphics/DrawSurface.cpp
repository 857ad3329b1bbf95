#include "engine/graphics/DrawSurface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/base/Rect.h"
#include "engine/base/Trace.h"
#include "engine/base/Unaligned.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/BlitBridge.h"
#include "engine/graphics/ConvertedLines.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/GraphicsMemory.h"

namespace {

inline int Trunc(float v) { return int(std::trunc(v)); }

// The blit mode of the stretched routines from the sticky surface draw mode.
int BlitModeOf(uint32_t surfaceMode) {
    switch (surfaceMode) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 2;
    case 3: return 3;
    case 4: return 4;
    case 5: return 3;
    default: return 0;
    }
}

// First and last index of table[0..count) whose value lies in [0, limit); false when none.
bool ValidRange(const int16_t* table, int count, int limit, int& first, int& last) {
    first = 0;
    while (first < count && (table[first] < 0 || table[first] >= limit)) ++first;
    if (first == count) return false;
    last = count - 1;
    while (last > first && (table[last] < 0 || table[last] >= limit)) --last;
    for (int i = first; i <= last; ++i)
        if (table[i] < 0 || table[i] >= limit) return false; // not monotonic: refuse
    return true;
}

} // namespace

CDrawSurface::CDrawSurface() = default;

CDrawSurface::~CDrawSurface() {
    ReleasePalette();
    FreeLineBuffer();
}

void CDrawSurface::Destroy() {
    FreeLineBuffer();
    ForgetConvertedLines();
}

void CDrawSurface::SetLineBuffer(uint8_t* buffer) {
    FreeLineBuffer();
    m_lineBuffer = buffer;
}

void CDrawSurface::FreeLineBuffer() {
    if (m_lineBuffer) xGfx_TempRelease(m_lineBuffer);
    m_lineBuffer = nullptr;
}

uint8_t* CDrawSurface::ResetLineBuffer() {
    if (!m_lineBuffer) return nullptr;
    FreeLineBuffer();
    return m_lineBuffer;
}

bool CDrawSurface::IsValid() {
    if (GetWidth() != 0 && GetHeight() != 0) return true;
    const bool hasPixels = Lock() != nullptr;
    Unlock(0);
    return hasPixels;
}

namespace {

// The rectangle clipped to a surface of the size; empty when nothing of it lies on the surface.
CRect16 ClipToSurface(const CClipRect& rect, int16_t width, int16_t height) {
    return CRect16(rect.left, rect.top, rect.right, rect.bottom).Intersect(CRect16(0, 0, width, height));
}

} // namespace

void CDrawSurface::FillRect(const CClipRect& rect, uint32_t colour) {
    const CRect16 clip = ClipToSurface(rect, GetWidth(), GetHeight());
    if (clip.IsEmpty()) return;
    const int l = clip.left, t = clip.top, r = clip.right, b = clip.bottom;
    uint8_t* pixels = Lock();
    if (pixels) {
        const int32_t pitch = GetPitch();
        if (m_bitsPerPixel == 16) {
            const uint16_t value = (m_pixelFormat == kPixelFormat555 || m_pixelFormat == kPixelFormat565)
                                       ? PackColor16(colour, m_pixelFormat)
                                       : uint16_t(colour);
            for (int y = t; y < b; ++y) {
                uint8_t* row = pixels + int64_t(pitch) * y + 2 * l;
                for (int x = l; x < r; ++x, row += 2) unaligned::Store16(row, value);
            }
        } else if (m_bitsPerPixel == 24) {
            for (int y = t; y < b; ++y) {
                uint8_t* row = pixels + int64_t(pitch) * y + 3 * l;
                for (int x = l; x < r; ++x, row += 3) {
                    row[0] = ColorBlue(colour);
                    row[1] = ColorGreen(colour);
                    row[2] = ColorRed(colour);
                }
            }
        }
    }
    Unlock(0);
}

void CDrawSurface::FillRect8(const CClipRect& rect, uint8_t index) {
    const CRect16 clip = ClipToSurface(rect, GetWidth(), GetHeight());
    if (m_bitsPerPixel != 8 || clip.IsEmpty()) return;
    if (uint8_t* pixels = Lock()) {
        const int32_t pitch = GetPitch();
        for (int y = clip.top; y < clip.bottom; ++y)
            std::memset(pixels + int64_t(pitch) * y + clip.left, index, size_t(clip.Width()));
    }
    Unlock(0);
}

uint8_t* CDrawSurface::GetLine(int16_t y, uint8_t* buffer) {
    uint8_t* pixels = Lock();
    if (!pixels || y < 0 || y >= GetHeight()) return nullptr;
    uint8_t* row = pixels + GetPitch() * int32_t(y);
    if (!buffer) return row;
    xTrace("CDrawSurface : Warning - unnecessary line buffer copy\n");
    std::memcpy(buffer, row, size_t(GetWidth()) * size_t(BytesPerPixel()));
    return buffer;
}

uint8_t* CDrawSurface::PixelAddress(CPoint16 point) {
    uint8_t* pixels = Lock();
    if (!pixels) return nullptr;
    return pixels + GetPitch() * int32_t(point.y) + BytesPerPixel() * int32_t(point.x);
}

CColorPalette* CDrawSurface::EffectivePalette() const {
    return m_palette ? m_palette : &xGraphics_GlobalPalette();
}

void CDrawSurface::ReleasePalette() {
    delete m_palette;
    m_palette = nullptr;
}

void CDrawSurface::SetPalette(const CColorPalette* palette, uint8_t remap) {
    if (!palette) return;
    if (remap) {
        uint8_t table[256] = {};
        EffectivePalette()->BuildRemapTable(*palette, table, ColorDistanceSum);
        RemapPixels(table);
    }
    if (!m_palette) m_palette = new (std::nothrow) CColorPalette();
    if (!m_palette) return;
    m_palette->Assign(*palette);
}

int CDrawSurface::GetPalette(CColorPalette* out) {
    if (!out) return 0;
    out->SetEntries(EffectivePalette()->Entries());
    return 1;
}

uint32_t CDrawSurface::GetPaletteSize() { return 4u * uint32_t(EffectivePalette()->GetUsedCount()); }

void CDrawSurface::RemapPixels(const uint8_t* table) {
    if (m_bitsPerPixel != 8 || !table) return;
    // The tinted kernel with the table as its tint table, the draw settings left as they are.
    CDrawSettings settings = xGraphics_Context().settings;
    settings.tintTable = table;
    CSurfaceLock lock(this);
    if (uint8_t* pixels = lock.Pixels()) {
        CLineContext line;
        line.pixelCount = GetWidth();
        for (int y = 0; y < GetHeight(); ++y) {
            line.srcLine = line.dstLine = pixels + GetPitch() * y;
            kernels::Tinted8(line, settings);
        }
    }
}

void CDrawSurface::Blit16(CDrawSurface* dst) {
    if (!dst || m_bitsPerPixel != 16 || dst->m_bitsPerPixel != 16) return;
    {
        CSurfaceLock source(this);
        CSurfaceLock target(dst);
        uint8_t* s = source.Pixels();
        uint8_t* d = target.Pixels();
        if (s && d) {
            CLineContext line;
            line.pixelCount = std::min(GetWidth(), dst->GetWidth());
            const int h = std::min<int>(GetHeight(), dst->GetHeight());
            for (int y = 0; y < h; ++y) {
                line.srcLine = s + GetPitch() * y;
                line.dstLine = d + dst->GetPitch() * y;
                kernels::Convert555To565(line, xGraphics_Context().settings);
            }
        }
    }
    dst->m_pixelFormat = kPixelFormat565;
}

// ---------------------------------------------------------------- kernel selectors

DrawKernel CDrawSurface::SelectCopyKernel(int dstBits, int16_t dstFormat) const {
    if (m_bitsPerPixel == 16 && dstBits == 16 && m_pixelFormat != dstFormat) {
        if (m_pixelFormat == kPixelFormat555) return kernels::Convert555To565;
        if (m_pixelFormat == kPixelFormat565) return kernels::Convert565To555;
    }
    return KernelCell(KernelTable::Copy, m_bitsPerPixel, dstBits);
}

DrawKernel CDrawSurface::SelectTransparentKernel(int dstBits, int16_t dstFormat) const {
    if (m_bitsPerPixel == 16 && dstBits == 16) {
        if (m_pixelFormat == kPixelFormat555 && dstFormat == kPixelFormat565) return kernels::Convert555To565Transparent;
        if (m_pixelFormat == kPixelFormat565 && dstFormat == kPixelFormat555) return kernels::Convert565To555Transparent;
    }
    return KernelCell(KernelTable::Transparent, m_bitsPerPixel, dstBits);
}

DrawKernel CDrawSurface::SelectTintedKernel(int dstBits, int16_t) const {
    return KernelCell(KernelTable::Tinted, m_bitsPerPixel, dstBits);
}

DrawKernel CDrawSurface::SelectBlendedKernel(int dstBits, int16_t) const {
    return KernelCell(KernelTable::Blended, m_bitsPerPixel, dstBits);
}

DrawKernel CDrawSurface::SelectMaskKernel(int dstBits, int16_t) const {
    return KernelCell(KernelTable::Mask, m_bitsPerPixel, dstBits);
}

// ---------------------------------------------------------------- dispatchers

void CDrawSurface::StretchCopy(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect, uint32_t mode,
                               CDrawSurface* mask, CPoint16 maskPoint) {
    Dispatch(src, dst, dstRect, mode, mask, maskPoint, false);
}

void CDrawSurface::StretchCopyFlipped(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect, uint32_t mode,
                                      CDrawSurface* mask, CPoint16 maskPoint) {
    Dispatch(src, dst, dstRect, mode, mask, maskPoint, true);
}

void CDrawSurface::CopyRect(const CClipRect& src, CDrawSurface* dst, CPoint16 point, uint32_t mode, CDrawSurface* mask,
                            CPoint16 maskPoint) {
    const CClipRect rect(point.x, point.y, int16_t(point.x + std::abs(src.Width())),
                         int16_t(point.y + std::abs(src.Height())));
    StretchCopy(src, dst, rect, mode, mask, maskPoint);
}

void CDrawSurface::CopyToSurface(CDrawSurface* dst, CPoint16 point, uint32_t mode, CDrawSurface* mask,
                                 CPoint16 maskPoint) {
    CopyRect(CClipRect(0, 0, GetWidth(), GetHeight()), dst, point, mode, mask, maskPoint);
}

void CDrawSurface::Dispatch(const CClipRect& srcRect, CDrawSurface* dst, const CClipRect& dstRect, uint32_t mode,
                            CDrawSurface* mask, CPoint16 maskPoint, bool mirrored) {
    if (!dst) return;
    CLineContext& line = xGraphics_Context().line;
    line.srcPalette = EffectivePalette();
    line.dstPalette = dst->EffectivePalette();
    line.dstFormat = dst->m_pixelFormat;
    line.srcFormat = m_pixelFormat;

    int sl = srcRect.left, st = srcRect.top, sr = srcRect.right, sb = srcRect.bottom;
    int dl = dstRect.left, dt = dstRect.top, dr = dstRect.right, db = dstRect.bottom;
    const bool stretched = !(db - dt == sb - st && dr - dl == sr - sl);
    float hs = 1.0f, vs = 1.0f;
    const int fullW = dr - dl, fullH = db - dt;
    if (stretched && (sr <= sl || sb <= st || fullW <= 0 || fullH <= 0)) return;
    // The stretch tables cover the unclipped destination; entry k belongs to its column k.
    CTempArray<int16_t> rows(stretched ? size_t(fullH) : 0);
    CTempArray<int16_t> columns(stretched ? size_t(fullW) : 0);
    if (stretched) {
        if (!rows.Get() || !columns.Get()) return;
        BuildStretchIndex(rows.Get(), 0, fullH - 1, st, sb - 1);
        BuildStretchIndex(columns.Get(), 0, fullW - 1, sl, sr - 1);
        hs = float(fullW) / float(sr - sl);
        vs = float(fullH) / float(sb - st);
    }

    const int W = dst->GetWidth(), H = dst->GetHeight();
    const int origL = dl, origT = dt, origR = dr;
    if (dt < 0 && db > 0) {
        st -= Trunc(float(dt) / vs);
        dt = 0;
    }
    if (dl < 0 && dr > 0) {
        const int cut = Trunc(float(dl) / hs);
        if (mirrored) sr += cut;
        else sl -= cut;
        dl = 0;
    }
    if (db - H > 0 && dt < H) {
        sb -= Trunc(float(db - H) / vs);
        db = H;
    }
    if (dr - W > 0 && dl < W) {
        const int cut = Trunc(float(dr - W) / hs);
        if (mirrored) sl += cut;
        else sr -= cut;
        dr = W;
    }
    if (dl < 0) dl = 0;
    if (dr > W) dr = W;
    if (dt < 0) dt = 0;
    if (db > H) db = H;
    if (dr <= dl || db <= dt) return;

    const int dstBytes = dst->BytesPerPixel();
    line.stretchMode = mode;
    if (!stretched) {
        if (sr <= sl || sb <= st) return;
        // Keep the source rectangle inside the source surface.
        const int SW = GetWidth(), SH = GetHeight();
        if (sl < 0) {
            if (!mirrored) dl -= sl;
            sl = 0;
        }
        if (sr > SW) {
            if (mirrored) dl += sr - SW;
            sr = SW;
        }
        if (st < 0) {
            dt -= st;
            st = 0;
        }
        if (sb > SH) sb = SH;
        if (sr <= sl || sb <= st) return;

        line.pixelCount = int16_t(sr - sl);
        line.byteCount = int16_t(dstBytes * (sr - sl));
        if (m_bitsPerPixel == 8 && dst->m_bitsPerPixel == 16 && !line.srcPalette->Has16BitTable())
            line.srcPalette->Build16BitTable();
        const CClipRect s{int16_t(sl), int16_t(st), int16_t(sr), int16_t(sb)};
        const CPoint16 at{int16_t(dl), int16_t(dt)};
        switch (mode) {
        case kDrawSolid: mirrored ? DrawFlipped(s, dst, at) : Draw(s, dst, at); break;
        case kDrawTransparent: mirrored ? DrawFlippedTransparent(s, dst, at) : DrawTransparent(s, dst, at); break;
        case kDrawTinted: mirrored ? DrawFlippedTinted(s, dst, at) : DrawTinted(s, dst, at); break;
        case kDrawBlended: mirrored ? DrawFlippedBlended(s, dst, at) : DrawBlended16(s, dst, at); break;
        case kDrawMasked:
            mirrored ? DrawFlippedMasked(s, dst, at, mask, maskPoint) : DrawMasked(s, dst, at, mask, maskPoint);
            break;
        case kDrawBlended16: mirrored ? DrawFlippedBlended16Sel(s, dst, at) : DrawBlended16Sel(s, dst, at); break;
        default: break;
        }
        return;
    }

    if (mode > kDrawMasked) return;
    // Visible part of the tables: rows from the top clip on; columns from the left clip on, or
    // for a mirrored draw from the right clip on (the routine reads them from the far end).
    const bool mirrorColumns = mirrored && mode != kDrawMasked;
    const int16_t* rowTable = rows.Get() + (dt - origT);
    const int16_t* columnTable = columns.Get() + (mirrorColumns ? origR - dr : dl - origL);
    int lines = db - dt, count = dr - dl;
    // Destination pixels whose source lies outside the source surface are left out.
    int a, b;
    if (!ValidRange(rowTable, lines, GetHeight(), a, b)) return;
    rowTable += a;
    dt += a;
    lines = b - a + 1;
    if (!ValidRange(columnTable, count, GetWidth(), a, b)) return;
    dl += mirrorColumns ? count - 1 - b : a;
    columnTable += a;
    count = b - a + 1;

    line.rowTable = rowTable;
    line.columnTable = columnTable;
    line.pixelCount = int16_t(count);
    line.byteCount = int16_t(dstBytes * count);
    const CClipRect s{int16_t(sl), int16_t(st), int16_t(sr), int16_t(sb)};
    const CClipRect d{int16_t(dl), int16_t(dt), int16_t(dl + count), int16_t(dt + lines)};
    switch (mode) {
    case kDrawSolid: mirrored ? DrawStretchedFlipped(s, dst, d) : DrawStretched(s, dst, d); break;
    case kDrawTransparent:
        mirrored ? DrawStretchedFlippedTransparent(s, dst, d) : DrawStretchedTransparent(s, dst, d);
        break;
    case kDrawTinted: mirrored ? DrawStretchedFlippedTinted(s, dst, d) : DrawStretchedTinted(s, dst, d); break;
    case kDrawBlended: mirrored ? DrawStretchedFlippedBlended(s, dst, d) : DrawStretchedBlended(s, dst, d); break;
    case kDrawMasked: DrawStretchedMasked(s, dst, d, mask, maskPoint); break;
    default: break;
    }
    line.rowTable = nullptr;
    line.columnTable = nullptr;
}

// ---------------------------------------------------------------- line loops

void CDrawSurface::DrawLines(const CClipRect& src, CDrawSurface* dst, CPoint16 point) {
    CGraphicsContext& ctx = xGraphics_Context();
    CLineContext& line = ctx.line;
    CSurfaceLock source(this);
    CSurfaceLock target(dst);
    uint8_t* s = source.Pixels();
    uint8_t* d = target.Pixels();
    const int lines = src.bottom - src.top;
    if (!s || !d || lines <= 0 || (!m_lineKernel && !m_lineBlit)) return;
    const int32_t sp = GetPitch(), dp = dst->GetPitch();
    s += sp * src.top + BytesPerPixel() * src.left;
    d += dp * point.y + dst->BytesPerPixel() * point.x;
    CConvertedLines* kept = line.pixelCount > 0 ? KeptLinesFor(line) : nullptr;
    for (int i = 0; i < lines; ++i, s += sp, d += dp) {
        line.srcLine = s;
        line.dstLine = d;
        if (kept) kept->DrawLine(s - src.left, src.top + i, src.left, line.pixelCount, d);
        else if (m_lineKernel) m_lineKernel(line, ctx.settings);
        else m_lineBlit(s, line.pixelCount, d, line.srcPalette);
    }
}

void CDrawSurface::Draw(const CClipRect& src, CDrawSurface* dst, CPoint16 point) {
    if (m_bitsPerPixel == dst->m_bitsPerPixel && m_pixelFormat == dst->m_pixelFormat) {
        m_lineKernel = nullptr;
        m_lineBlit = nullptr;
        CSurfaceLock source(this);
        CSurfaceLock target(dst);
        uint8_t* s = source.Pixels();
        uint8_t* d = target.Pixels();
        if (!s || !d) return;
        const int32_t sp = GetPitch(), dp = dst->GetPitch();
        const size_t bytes = size_t(std::abs(src.Width())) * size_t(BytesPerPixel());
        s += sp * src.top + BytesPerPixel() * src.left;
        d += dp * point.y + dst->BytesPerPixel() * point.x;
        for (int y = src.top; y < src.bottom; ++y, s += sp, d += dp) std::memmove(d, s, bytes);
        return;
    }
    m_lineKernel = SelectCopyKernel(dst->m_bitsPerPixel, dst->m_pixelFormat);
    m_lineBlit = nullptr;
    DrawLines(src, dst, point);
}

void CDrawSurface::KeepConvertedLines() {
    if (!m_convertedLines) m_convertedLines = std::make_unique<CConvertedLines>();
}

void CDrawSurface::ForgetConvertedLines() {
    if (m_convertedLines) m_convertedLines->Release();
}

size_t CDrawSurface::ConvertedLinesBytes() const { return m_convertedLines ? m_convertedLines->HeldBytes() : 0; }

CConvertedLines* CDrawSurface::KeptLinesFor(const CLineContext& line) {
    if (!m_convertedLines || m_lineKernel != kernels::PaletteTo16 || !line.srcPalette) return nullptr;
    if (!line.srcPalette->Has16BitTable()) line.srcPalette->Build16BitTable();
    const uint16_t* table = line.srcPalette->Get16BitTable();
    if (!table) return nullptr;
    m_convertedLines->Begin(GetWidth(), GetHeight(), table);
    return m_convertedLines.get();
}

void CDrawSurface::DrawTransparent(const CClipRect& src, CDrawSurface* dst, CPoint16 point) {
    m_lineKernel = SelectTransparentKernel(dst->m_bitsPerPixel, dst->m_pixelFormat);
    m_lineBlit = nullptr;
    DrawLines(src, dst, point);
}

void CDrawSurface::DrawTinted(const CClipRect& src, CDrawSurface* dst, CPoint16 point) {
    m_lineKernel = SelectTintedKernel(dst->m_bitsPerPixel, dst->m_pixelFormat);
    m_lineBlit = nullptr;
    DrawLines(src, dst, point);
}

void CDrawSurface::DrawBlended16(const CClipRect& src, CDrawSurface* dst, CPoint16 point) {
    // The 16-bit blend kernel draws 16-bit pairs only; refuse the others before the loop.
    m_lineKernel = (m_bitsPerPixel == 16 && dst->m_bitsPerPixel == 16) ? kernels::Blended16 : nullptr;
    m_lineBlit = nullptr;
    DrawLines(src, dst, point);
}

void CDrawSurface::DrawBlended16Sel(const CClipRect& src, CDrawSurface* dst, CPoint16 point) {
    m_lineKernel = SelectBlendedKernel(dst->m_bitsPerPixel, dst->m_pixelFormat);
    m_lineBlit = nullptr;
    DrawLines(src, dst, point);
}

void CDrawSurface::DrawMirroredLines(const CClipRect& src, CDrawSurface* dst, CPoint16 point, DrawKernel kernel8,
                                     SurfaceLineBlit (*blit)(int srcBits, int dstBits, bool mirrored)) {
    const bool eight = m_bitsPerPixel == 8 && dst->m_bitsPerPixel == 8;
    m_lineKernel = eight ? kernel8 : nullptr;
    m_lineBlit = eight ? nullptr : blit(m_bitsPerPixel, dst->m_bitsPerPixel, true);
    if (m_lineBlit) xBlit_PrepareDraw(m_pixelFormat, dst->m_pixelFormat, nullptr, 0);
    DrawLines(src, dst, point);
}

void CDrawSurface::DrawFlipped(const CClipRect& src, CDrawSurface* dst, CPoint16 point) {
    DrawMirroredLines(src, dst, point, kernels::Mirrored8, xBlit_Solid);
}

void CDrawSurface::DrawFlippedTransparent(const CClipRect& src, CDrawSurface* dst, CPoint16 point) {
    DrawMirroredLines(src, dst, point, kernels::MirroredTransparent8, xBlit_Transparent);
}

void CDrawSurface::DrawFlippedTinted(const CClipRect& src, CDrawSurface* dst, CPoint16 point) {
    DrawMirroredLines(src, dst, point, kernels::MirroredTinted8, xBlit_Tinted);
}

void CDrawSurface::DrawFlippedBlended(const CClipRect& src, CDrawSurface* dst, CPoint16 point) {
    DrawMirroredLines(src, dst, point, kernels::MirroredBlended8, xBlit_Blended);
}

void CDrawSurface::DrawFlippedBlended16Sel(const CClipRect&, CDrawSurface*, CPoint16) {
    m_lineKernel = nullptr;
    m_lineBlit = nullptr;
}

void CDrawSurface::MaskDestination(const CClipRect& src, CDrawSurface* dst, CPoint16 point) {
    m_lineKernel = SelectMaskKernel(dst->m_bitsPerPixel, dst->m_pixelFormat);
    m_lineBlit = nullptr;
    DrawLines(src, dst, point);
}

void CDrawSurface::DrawMasked(const CClipRect& src, CDrawSurface* dst, CPoint16 point, CDrawSurface* mask,
                              CPoint16 maskPoint) {
    DrawMaskedLines(src, dst, point, mask, maskPoint, false);
}

void CDrawSurface::DrawFlippedMasked(const CClipRect& src, CDrawSurface* dst, CPoint16 point, CDrawSurface* mask,
                                     CPoint16 maskPoint) {
    DrawMaskedLines(src, dst, point, mask, maskPoint, true);
}

void CDrawSurface::DrawMaskedLines(const CClipRect& src, CDrawSurface* dst, CPoint16 point, CDrawSurface* mask,
                                   CPoint16 maskPoint, bool mirrored) {
    CGraphicsContext& ctx = xGraphics_Context();
    CLineContext& line = ctx.line;
    const int sb = m_bitsPerPixel, db = dst->m_bitsPerPixel;
    DrawKernel kernel = nullptr;
    if (mirrored) {
        if (sb == 8 && db == 8) kernel = kernels::MirroredMasked8;
        else if (sb == 16 && db == 16) kernel = kernels::MirroredMasked16;
    } else {
        if (sb == 16 && db == 16) kernel = kernels::Masked16;
        else if (sb == 8 && db == 8) kernel = kernels::Masked8;
        else if (sb == 8 && db == 16) kernel = kernels::Masked8To16;
    }
    m_lineKernel = kernel;
    m_lineBlit = nullptr;
    CSurfaceLock source(this);
    CSurfaceLock target(dst);
    CSurfaceLock maskLock(mask);
    uint8_t* s = source.Pixels();
    uint8_t* d = target.Pixels();
    uint8_t* m = maskLock.Pixels();
    const int n = src.right - src.left, lines = src.bottom - src.top;
    if (!kernel || !s || !d || !m || mask->m_bitsPerPixel != 8 || n <= 0 || lines <= 0) return;
    // Only the pixels that have a mask byte inside the mask surface are drawn.
    const int i0 = std::max(0, -int(maskPoint.x));
    const int i1 = std::min(n, int(mask->GetWidth()) - maskPoint.x);
    if (i1 <= i0) return;
    const int sBytes = BytesPerPixel(), dBytes = dst->BytesPerPixel();
    const int32_t sp = GetPitch(), dp = dst->GetPitch(), mp = mask->GetPitch();
    s += sp * src.top + sBytes * (src.left + i0);
    d += dp * point.y + dBytes * (point.x + (mirrored ? n - i1 : i0));
    line.pixelCount = int16_t(i1 - i0);
    line.byteCount = int16_t(dBytes * (i1 - i0));
    line.srcFormat = m_pixelFormat;
    line.dstFormat = dst->m_pixelFormat;
    for (int r = 0; r < lines; ++r, s += sp, d += dp) {
        const int my = maskPoint.y + r;
        if (my < 0 || my >= mask->GetHeight()) continue;
        line.srcLine = s;
        line.dstLine = d;
        line.maskLine = m + mp * my + maskPoint.x + i0;
        kernel(line, ctx.settings);
    }
    line.maskLine = nullptr;
}

void CDrawSurface::DrawStretchedLines(const CClipRect&, CDrawSurface* dst, const CClipRect& dstRect, bool mirrored) {
    CLineContext& line = xGraphics_Context().line;
    m_lineKernel = nullptr;
    m_lineBlit = xBlit_Scaled(m_bitsPerPixel, dst->m_bitsPerPixel, BlitModeOf(line.stretchMode), mirrored);
    CSurfaceLock source(this);
    CSurfaceLock target(dst);
    uint8_t* base = source.Pixels();
    uint8_t* d = target.Pixels();
    const int lines = dstRect.bottom - dstRect.top;
    if (!base || !d || lines <= 0 || !m_lineBlit || !line.rowTable || !line.columnTable) return;
    xBlit_PrepareDraw(m_pixelFormat, dst->m_pixelFormat, line.columnTable,
                      m_bitsPerPixel == 16 ? PackColor16(CColorPalette::kRGBBlack, m_pixelFormat) : 0);
    const int32_t sp = GetPitch(), dp = dst->GetPitch();
    d += dp * dstRect.top + dst->BytesPerPixel() * dstRect.left;
    for (int i = 0; i < lines; ++i, d += dp) m_lineBlit(base + sp * line.rowTable[i], line.pixelCount, d, line.srcPalette);
}

void CDrawSurface::DrawStretched(const CClipRect& s, CDrawSurface* dst, const CClipRect& d) {
    DrawStretchedLines(s, dst, d, false);
}
void CDrawSurface::DrawStretchedTransparent(const CClipRect& s, CDrawSurface* dst, const CClipRect& d) {
    DrawStretchedLines(s, dst, d, false);
}
void CDrawSurface::DrawStretchedTinted(const CClipRect& s, CDrawSurface* dst, const CClipRect& d) {
    DrawStretchedLines(s, dst, d, false);
}
void CDrawSurface::DrawStretchedBlended(const CClipRect& s, CDrawSurface* dst, const CClipRect& d) {
    DrawStretchedLines(s, dst, d, false);
}
void CDrawSurface::DrawStretchedFlipped(const CClipRect& s, CDrawSurface* dst, const CClipRect& d) {
    DrawStretchedLines(s, dst, d, true);
}
void CDrawSurface::DrawStretchedFlippedTransparent(const CClipRect& s, CDrawSurface* dst, const CClipRect& d) {
    DrawStretchedLines(s, dst, d, true);
}
void CDrawSurface::DrawStretchedFlippedTinted(const CClipRect& s, CDrawSurface* dst, const CClipRect& d) {
    DrawStretchedLines(s, dst, d, true);
}
void CDrawSurface::DrawStretchedFlippedBlended(const CClipRect& s, CDrawSurface* dst, const CClipRect& d) {
    DrawStretchedLines(s, dst, d, true);
}

void CDrawSurface::DrawStretchedMasked(const CClipRect&, CDrawSurface* dst, const CClipRect& dstRect,
                                       CDrawSurface* mask, CPoint16 maskPoint) {
    CGraphicsContext& ctx = xGraphics_Context();
    CLineContext& line = ctx.line;
    DrawKernel kernel = nullptr;
    if (m_bitsPerPixel == dst->m_bitsPerPixel) {
        switch (m_bitsPerPixel) {
        case 8: kernel = kernels::StretchedMasked8; break;
        case 16: kernel = kernels::StretchedMasked16; break;
        case 24: kernel = kernels::StretchedMasked24; break;
        case 32: kernel = kernels::StretchedMasked32; break;
        default: break;
        }
    }
    m_lineKernel = kernel;
    m_lineBlit = nullptr;
    CSurfaceLock source(this);
    CSurfaceLock target(dst);
    CSurfaceLock maskLock(mask);
    uint8_t* base = source.Pixels();
    uint8_t* d = target.Pixels();
    uint8_t* m = maskLock.Pixels();
    const int lines = dstRect.bottom - dstRect.top, n = dstRect.right - dstRect.left;
    if (!kernel || !base || !d || !m || mask->m_bitsPerPixel != 8 || lines <= 0 || n <= 0 || !line.rowTable ||
        !line.columnTable)
        return;
    const int j0 = std::max(0, -int(maskPoint.x));
    const int j1 = std::min(n, int(mask->GetWidth()) - maskPoint.x);
    if (j1 <= j0) return;
    const int32_t sp = GetPitch(), dp = dst->GetPitch(), mp = mask->GetPitch();
    const int dBytes = dst->BytesPerPixel();
    d += dp * dstRect.top + dBytes * (dstRect.left + j0);
    const int16_t* rowTable = line.rowTable;
    const int16_t* columnTable = line.columnTable;
    CLineContext work = line;
    work.columnTable = columnTable + j0;
    work.pixelCount = int16_t(j1 - j0);
    for (int i = 0; i < lines; ++i, d += dp) {
        const int my = maskPoint.y + i;
        if (my < 0 || my >= mask->GetHeight()) continue;
        work.srcLine = base + sp * rowTable[i];
        work.dstLine = d;
        work.maskLine = m + mp * my + maskPoint.x + j0;
        kernel(work, ctx.settings);
    }
}

// ---------------------------------------------------------------- rotation

void CDrawSurface::CopyRotated(const CClipRect& src, CDrawSurface* dst, const CClipRect& dstRect, uint32_t mode,
                               CDrawSurface*, CPoint16) {
    if (!dst || mode != kDrawSolid) return;
    if (src.Width() <= 0 || src.Height() <= 0 || dstRect.Width() <= 0 || dstRect.Height() <= 0) return;
    if (dstRect.Width() != src.Height() || dstRect.Height() != src.Width()) return;
    DrawRotated(src, dst, CPoint16(dstRect.left, dstRect.top));
}

void CDrawSurface::DrawRotated(const CClipRect& src, CDrawSurface* dst, CPoint16 point) {
    if (!dst) return;
    CSurfaceLock source(this);
    CSurfaceLock target(dst);
    uint8_t* s = source.Pixels();
    uint8_t* d = target.Pixels();
    const int w = src.Width(), h = src.Height();
    if (!s || !d || m_bitsPerPixel != dst->m_bitsPerPixel || m_pixelFormat != dst->m_pixelFormat) return;
    if (w <= 0 || h <= 0 || w != dst->GetHeight() - point.y || h != dst->GetWidth() - point.x) return;
    if (point.x < 0 || point.y < 0 || src.left < 0 || src.top < 0 || src.right > GetWidth() ||
        src.bottom > GetHeight())
        return;
    const int bytes = BytesPerPixel();
    const int32_t sp = GetPitch(), dp = dst->GetPitch();
    for (int k = 0; k < h; ++k) {
        const uint8_t* row = s + sp * (src.top + k) + bytes * src.left;
        for (int c = 0; c < w; ++c)
            std::memcpy(d + dp * (point.y + w - 1 - c) + bytes * (point.x + k), row + bytes * c, size_t(bytes));
    }
}

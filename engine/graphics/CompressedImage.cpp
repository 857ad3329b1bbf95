// The loader of the engine's compressed images: the header, the surface, then the rows coded
// line by line (modes 0 and 1) or the whole image coded with LZW (mode 8).

#include "engine/base/Trace.h"
#include "engine/base/ByteOrder.h"
#include "engine/data/Driver.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/GraphicsMemory.h"
#include "engine/graphics/ImageReaders.h"
#include "engine/graphics/ImageRows.h"
#include "engine/graphics/LzwDecompress.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/graphics/VqtRleCoDec.h"

namespace {

constexpr uint32_t kHeaderSize = 14;

struct CompressedHeader {
    int16_t width = 0;
    int16_t height = 0;
    int16_t bits = 0;
    int16_t mode = 0;
    int16_t firstRow = 0;
    int16_t endRow = 0;
};

/// Reads and checks the header: a size of at least 1 x 1, 8, 16 or 24 bits, a known coding
/// mode and, for the modes coded line by line, rows inside the image (a first row at or past
/// the end row codes no rows at all). False with a trace.
bool ReadHeader(ODriver* stream, CompressedHeader& h) {
    uint8_t raw[kHeaderSize];
    if (!stream->ReadExactly(raw, sizeof raw)) {
        xTrace("LoadCompressedImageToSurface - the image header ends early\n");
        return false;
    }
    const bytes::Span s(raw);
    h.width = int16_t(bytes::le16(s, 0));
    h.height = int16_t(bytes::le16(s, 2));
    h.bits = int16_t(bytes::le16(s, 4));
    h.mode = int16_t(bytes::le16(s, 6));
    h.firstRow = int16_t(bytes::le16(s, 8));
    h.endRow = int16_t(bytes::le16(s, 10));
    const bool noRows = h.firstRow >= h.endRow;
    const bool rowsInside = h.mode == VQTRLECoDec::kLzw || noRows || (0 <= h.firstRow && h.endRow <= h.height);
    if (h.width < 1 || h.height < 1 || (h.bits != 8 && h.bits != 16 && h.bits != 24) ||
        (h.mode != VQTRLECoDec::kRaw && h.mode != VQTRLECoDec::kRunLength && h.mode != VQTRLECoDec::kLzw) || !rowsInside) {
        xTracef("LoadCompressedImageToSurface - invalid image header (%d x %d, %d bits, mode %d, rows %d to %d)\n",
                int(h.width), int(h.height), int(h.bits), int(h.mode), int(h.firstRow), int(h.endRow));
        return false;
    }
    return true;
}

/// Modes 0 and 1: the rows from the first row to the end row, each into the surface row of the
/// same number.
bool LoadLines(ODriver* stream, CDrawSurface* surface, const CompressedHeader& h) {
    CImageRows rows(surface, h.bits, h.width);
    if (!rows.Ready()) {
        xTracef("LoadCompressedImageToSurface - no conversion from %d to %d bits\n", int(h.bits),
                int(surface->GetBitsPerPixel()));
        return false;
    }
    VQTRLECoDec codec(h.mode, stream, h.bits);
    codec.Start();
    const int32_t rowBytes = int32_t(h.width) * (h.bits / 8);
    auto decode = [&](uint8_t* row) {
        const int32_t result = codec.Decode(row, rowBytes, rowBytes);
        return h.mode == VQTRLECoDec::kRaw ? result == 0 : !codec.LineFailed();
    };
    for (int32_t y = h.firstRow; y < h.endRow; ++y) {
        // A damaged line still shows what was decoded of it.
        if (!rows.Fill(y, decode)) {
            xTracef("LoadCompressedImageToSurface - line %d of %d cannot be decoded\n", int(y), int(h.height));
            return false;
        }
    }
    codec.Finish();
    return true;
}

/// 16-bit pixels are coded 5-5-5: a 5-6-5 surface, or any while the current layout is 5-6-5,
/// is converted in place.
void ConvertTo565(CDrawSurface* surface) {
    if (surface->GetBitsPerPixel() == 16 &&
        (surface->GetPixelFormat() == kPixelFormat565 || xGraphics_PixelFormat() == kPixelFormat565))
        surface->Blit16(surface);
}

/// Mode 8: the rest of the stream decoded as a whole, straight into the surface when it holds
/// the image's rows back to back, else into the work surface and copied from there.
bool LoadWhole(ODriver* stream, CDrawSurface* surface, const CompressedHeader& h) {
    const intptr_t size = stream->Control(DRV_SIZE) - stream->Control(DRV_POSITION);
    CTempArray<uint8_t> coded(size_t(size > 0 ? size : 0));
    if (size <= 0 || !coded.Get() || !stream->ReadExactly(coded.Get(), uint32_t(size))) {
        xTrace("LoadCompressedImageToSurface - the coded image cannot be read\n");
        return false;
    }
    const int32_t rowBytes = int32_t(h.width) * (h.bits / 8);
    const uint32_t imageBytes = uint32_t(rowBytes) * uint32_t(h.height);
    bool decoded = false;
    if (surface->GetBitsPerPixel() == h.bits && surface->GetPitch() == rowBytes) {
        const CSysLockForDraw hold(surface);
        {
            const CSurfaceLock lock(surface);
            if (lock.Pixels()) decoded = LZWDecompress(coded.Get(), uint32_t(size), lock.Pixels(), imageBytes) >= 0;
        }
        if (decoded) ConvertTo565(surface);
    } else {
        CPixelSurface& work = xGraphics_Context().WorkSurface();
        if (work.GetWidth() != h.width || work.GetHeight() != h.height || work.GetBitsPerPixel() != h.bits)
            work.Create(h.width, h.height, h.bits);
        if (uint8_t* pixels = work.Lock())
            decoded = LZWDecompress(coded.Get(), uint32_t(size), pixels, imageBytes) >= 0;
        work.Unlock(0);
        if (h.bits == 8) work.SetPalette(surface->EffectivePalette(), 0);
        const CSysLockForDraw hold(surface);
        work.CopyToSurface(surface, CPoint16(), kDrawSolid);
        work.Destroy();
    }
    if (!decoded) xTrace("LoadCompressedImageToSurface - the coded image is damaged\n");
    return decoded;
}

} // namespace

bool ReadCompressedInfo(ODriver* stream, FrameInfo* info) {
    CompressedHeader h;
    if (!stream || !info || !ReadHeader(stream, h)) return false;
    info->width = h.width;
    info->height = h.height;
    info->bitsPerPixel = h.bits;
    return true;
}

bool LoadCompressedImageToSurface(ODriver* stream, CDrawSurface* surface, uint8_t reuse, uint8_t keepDepth) {
    CompressedHeader h;
    if (!stream || !surface || !ReadHeader(stream, h)) return false;
    const int16_t depth = keepDepth ? surface->GetBitsPerPixel() : h.bits;
    const bool fits = surface->GetWidth() == h.width && surface->GetHeight() == h.height && surface->GetBitsPerPixel() == depth;
    if ((!reuse || !fits) && !surface->Create(h.width, h.height, depth)) {
        xTrace("LoadCompressedImageToSurface - the surface cannot be made\n");
        return false;
    }
    return h.mode == VQTRLECoDec::kLzw ? LoadWhole(stream, surface, h) : LoadLines(stream, surface, h);
}

// The BMP reader: a 14-byte file header ("BM", file size, two reserved words, the offset of
// the pixel data) and a 40-byte information header, little-endian; rows padded to 4 bytes,
// bottom-up unless the height is negative.
#include <cstdlib>

#include "engine/base/Trace.h"
#include "engine/base/ByteOrder.h"
#include "engine/data/Driver.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/ImageReaders.h"
#include "engine/graphics/ImageRows.h"

namespace {

constexpr uint32_t kBmpFileHeader = 14;
constexpr uint32_t kBmpInfoHeader = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;

struct BmpHeaders {
    uint32_t pixelOffset = 0;
    int32_t width = 0;
    int32_t height = 0; ///< negative for rows stored top-down
    int32_t rows = 0;   ///< the height's magnitude
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
};

/// Reads and checks the two headers: the marker, a depth of 8, 16 or 24 bits, a size that
/// fits a surface and a compression the reader knows. False with the reader's trace.
bool ReadBmpHeaders(ODriver* stream, BmpHeaders& out) {
    uint8_t file[kBmpFileHeader];
    if (!stream->ReadExactly(file, sizeof file) || file[0] != 'B' || file[1] != 'M') {
        xTrace("LoadSurfaceFromBMP - File lacks proper dib header marker!\n");
        return false;
    }
    uint8_t info[kBmpInfoHeader];
    if (!stream->ReadExactly(info, sizeof info)) {
        xTrace("LoadSurfaceFromBMP - Err : failed to read DIB header\n");
        return false;
    }
    const bytes::Span f(file);
    const bytes::Span i(info);
    out.pixelOffset = bytes::le32(f, 10);
    out.width = int32_t(bytes::le32(i, 4));
    out.height = int32_t(bytes::le32(i, 8));
    out.bitCount = bytes::le16(i, 14);
    out.compression = bytes::le32(i, 16);
    out.colorsUsed = bytes::le32(i, 32);
    if (out.bitCount != 8 && out.bitCount != 16 && out.bitCount != 24) {
        xTracef("LoadSurfaceFromBMP - Bit depth unsupported : %d\n", int(out.bitCount));
        return false;
    }
    // A height of -2^31 has no positive counterpart in 32 bits: measure it in 64.
    const int64_t rows = std::llabs(int64_t(out.height));
    if (out.width <= 0 || rows <= 0 || out.width > INT16_MAX || rows > INT16_MAX) {
        xTracef("LoadSurfaceFromBMP - Invalid image size %d x %d\n", int(out.width), int(out.height));
        return false;
    }
    out.rows = int32_t(rows);
    if (out.compression != kBiRgb && !(out.compression == kBiRle8 && out.bitCount == 8)) {
        xTracef("LoadSurfaceFromBMP - compression %u unsupported\n", unsigned(out.compression));
        return false;
    }
    return true;
}

/// False when an uncompressed image's rows would run past the end of the stream: a cut or
/// damaged file is refused before its surface (up to 32767 x 32767 pixels) is made.
bool HoldsUncompressedRows(ODriver* stream, const BmpHeaders& h) {
    if (h.compression != kBiRgb) return true;
    const intptr_t size = stream->Control(DRV_SIZE);
    if (size < 0) return true; // a stream of unknown size is read until it ends
    const uint64_t rowBytes = uint64_t(h.width) * (h.bitCount / 8u);
    const uint64_t stride = (rowBytes + 3) & ~uint64_t(3);
    return uint64_t(h.pixelOffset) + stride * uint64_t(h.rows - 1) + rowBytes <= uint64_t(size);
}

/// The run-length decoder of 8-bit rows; its state runs on from row to row.
class Rle8Rows {
public:
    explicit Rle8Rows(ODriver* stream) : m_stream(stream) {}
    /// Decodes one row into `row` (width bytes): the pixels up to the end of the line or
    /// bitmap, the others left as they are. False on the unsupported delta escape or data that
    /// ends inside a code.
    bool NextRow(uint8_t* row, int32_t width) {
        if (m_ended) return true;
        int32_t x = 0;
        for (;;) {
            uint8_t pair[2];
            if (!m_stream->ReadExactly(pair, 2)) return false;
            if (pair[0] > 0) { // a run; pixels past the width are dropped
                for (int32_t k = 0; k < pair[0]; ++k, ++x)
                    if (x < width) row[x] = pair[1];
            } else if (pair[1] == 0) {
                return true;
            } else if (pair[1] == 1) {
                m_ended = true;
                return true;
            } else if (pair[1] == 2) {
                return false;
            } else { // a literal, padded to an even length
                const uint32_t n = pair[1];
                uint8_t literal[256];
                if (!m_stream->ReadExactly(literal, n + (n & 1))) return false;
                for (uint32_t k = 0; k < n; ++k, ++x)
                    if (x < width) row[x] = literal[k];
            }
        }
    }

private:
    ODriver* m_stream;
    bool m_ended = false;
};

} // namespace

bool xFrame_ReadBmpInfo(ODriver* stream, FrameInfo* info) {
    BmpHeaders h;
    if (!stream || !info || !ReadBmpHeaders(stream, h)) return false;
    info->width = int16_t(h.width);
    info->height = int16_t(h.rows);
    info->bitsPerPixel = int16_t(h.bitCount);
    return true;
}

bool LoadSurfaceFromBMP(CDrawSurface* surface, ODriver* stream, uint8_t create) {
    BmpHeaders h;
    if (!surface || !stream || !ReadBmpHeaders(stream, h)) return false;
    if (!HoldsUncompressedRows(stream, h)) {
        xTrace("LoadSurfaceFromBMP - image data ends early\n");
        return false;
    }
    if (create || surface->GetWidth() != h.width || surface->GetHeight() != h.rows ||
        surface->GetBitsPerPixel() != h.bitCount) {
        if (!surface->Create(int16_t(h.width), int16_t(h.rows), int16_t(h.bitCount))) {
            xTrace("LoadSurfaceFromBMP - the surface cannot be made\n");
            return false;
        }
    }
    if (h.bitCount == 8) {
        const uint32_t used = h.colorsUsed == 0 || h.colorsUsed > 256 ? 256 : h.colorsUsed;
        uint8_t table[256 * 4] = {};
        if (!stream->ReadExactly(table, used * 4)) {
            xTrace("LoadSurfaceFromBMP - image data ends early\n");
            return false;
        }
        // The records are blue, green, red, reserved; the entries past the used ones are black.
        CColorPalette palette;
        palette.SetFromColorTable(table);
        surface->SetPalette(&palette, 0);
    }
    if (stream->Control(DRV_SEEK, 0, intptr_t(h.pixelOffset)) != DRV_OK) {
        xTrace("LoadSurfaceFromBMP - image data ends early\n");
        return false;
    }
    CImageRows rows(surface, int16_t(h.bitCount), h.width);
    if (!rows.Ready()) {
        xTracef("LoadSurfaceFromBMP - no conversion from %d to %d bits\n", int(h.bitCount),
                int(surface->GetBitsPerPixel()));
        return false;
    }

    const uint32_t rowBytes = uint32_t(h.width) * (h.bitCount / 8u);
    const uint32_t padding = ((rowBytes + 3) & ~3u) - rowBytes;
    Rle8Rows rle(stream);
    for (int32_t i = 0; i < h.rows; ++i) {
        bool decoded = false;
        auto decode = [&](uint8_t* row) {
            if (h.compression == kBiRle8) return decoded = rle.NextRow(row, h.width);
            decoded = stream->ReadExactly(row, rowBytes) &&
                      (padding == 0 || stream->Control(DRV_SEEK, 1, intptr_t(padding)) == DRV_OK);
            if (decoded && h.bitCount == 16) // 5-5-5 pixels: the top bit is cleared
                for (uint32_t x = 1; x < rowBytes; x += 2) row[x] &= 0x7F;
            return decoded;
        };
        // Rows are stored bottom-up unless the height is negative.
        if (!rows.Fill(h.height > 0 ? h.rows - 1 - i : i, decode)) {
            xTrace(decoded ? "LoadSurfaceFromBMP - the surface gives no pixels\n"
                           : "LoadSurfaceFromBMP - image data ends early or holds an unsupported code\n");
            return false;
        }
    }
    return true;
}

#include "engine/graphics/FrameImage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "engine/blit/Blitter.h"
#include "engine/core/TempBuffers.h"
#include "engine/core/Trace.h"
#include "engine/data/ByteOrder.h"
#include "engine/data/ChunkRecords.h"
#include "engine/data/DrvMemory.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/ColorPalette.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/PixelSurface.h"
#include "platform/Platform.h"

namespace {

constexpr uint32_t kBmpFileHeader = 14;
constexpr uint32_t kBmpInfoHeader = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;

struct BmpHeaders {
    uint32_t pixelOffset = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
};

/// Reads the two headers; false with the reader's trace when they are not a BMP's.
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
    return true;
}

/// The run-length decoder of 8-bit BMP rows; its state runs on from row to row.
class Rle8Rows {
public:
    explicit Rle8Rows(ODriver* stream) : stream_(stream) {}
    /// Decodes one row into `row` (width bytes; pixels past the decoded ones stay as they
    /// are); false on an unsupported escape or data that ends inside a code.
    bool NextRow(uint8_t* row, int32_t width, int32_t* written) {
        *written = 0;
        if (ended_) return true;
        int32_t x = 0;
        for (;;) {
            uint8_t pair[2];
            if (!stream_->ReadExactly(pair, 2)) return false;
            if (pair[0] > 0) {
                for (int32_t k = 0; k < pair[0]; ++k, ++x)
                    if (x < width) row[x] = pair[1];
            } else if (pair[1] == 0) {
                break;
            } else if (pair[1] == 1) {
                ended_ = true;
                break;
            } else if (pair[1] == 2) {
                return false;
            } else {
                const uint32_t n = pair[1];
                uint8_t literal[256];
                if (!stream_->ReadExactly(literal, n + (n & 1))) return false;
                for (uint32_t k = 0; k < n; ++k, ++x)
                    if (x < width) row[x] = literal[k];
            }
        }
        *written = x < width ? x : width;
        return true;
    }

private:
    ODriver* stream_;
    bool ended_ = false;
};

} // namespace

bool xFrame_ReadBmpInfo(ODriver* stream, FrameInfo* info) {
    BmpHeaders headers;
    if (!stream || !info || !ReadBmpHeaders(stream, headers)) return false;
    info->width = int16_t(headers.width);
    info->height = int16_t(std::llabs(int64_t(headers.height)));
    info->bitsPerPixel = int16_t(headers.bitCount);
    return true;
}

bool LoadSurfaceFromBMP(CDrawSurface* surface, ODriver* stream, uint8_t create) {
    BmpHeaders h;
    if (!surface || !stream || !ReadBmpHeaders(stream, h)) return false;
    if (h.bitCount != 8 && h.bitCount != 16 && h.bitCount != 24) {
        xTracef("LoadSurfaceFromBMP - Bit depth unsupported : %d\n", int(h.bitCount));
        return false;
    }
    // A height of -2^31 has no positive counterpart in 32 bits: measure it in 64.
    const int64_t absHeight = std::llabs(int64_t(h.height));
    if (h.width <= 0 || absHeight <= 0 || h.width > INT16_MAX || absHeight > INT16_MAX) {
        xTracef("LoadSurfaceFromBMP - Invalid image size %d x %d\n", int(h.width), int(h.height));
        return false;
    }
    const int32_t height = int32_t(absHeight);
    if (create || surface->GetWidth() != h.width || surface->GetHeight() != height ||
        surface->GetBitsPerPixel() != h.bitCount) {
        if (!surface->Create(int16_t(h.width), int16_t(height), int16_t(h.bitCount))) return false;
    }

    CColorPalette palette;
    if (h.bitCount == 8) {
        const uint32_t used = h.colorsUsed == 0 || h.colorsUsed > 256 ? 256 : h.colorsUsed;
        uint8_t table[256 * 4] = {};
        if (!stream->ReadExactly(table, used * 4)) {
            xTrace("LoadSurfaceFromBMP - image data ends early\n");
            return false;
        }
        // The records are blue, green, red, reserved; the entries past the used ones are black.
        palette.SetFromColorTable(table);
        surface->SetPalette(&palette, 0);
    }
    if (stream->Control(DRV_SEEK, 0, intptr_t(h.pixelOffset)) != DRV_OK) {
        xTrace("LoadSurfaceFromBMP - image data ends early\n");
        return false;
    }
    if (h.compression != kBiRgb && !(h.compression == kBiRle8 && h.bitCount == 8)) {
        xTracef("LoadSurfaceFromBMP - compression %u unsupported\n", unsigned(h.compression));
        return false;
    }

    const int32_t imageBytesPerPixel = h.bitCount / 8;
    const uint32_t rowBytes = uint32_t(h.width) * uint32_t(imageBytesPerPixel);
    const uint32_t stride = (rowBytes + 3) & ~3u;
    const int16_t surfaceBits = surface->GetBitsPerPixel();
    const bool convert = surfaceBits != h.bitCount || (surfaceBits == 16 && surface->GetPixelFormat() == kPixelFormat565);
    BltFunc blit = nullptr;
    // The line routines count pixels of 8-bit sources and bytes of 16-bit ones.
    const uint32_t count = h.bitCount == 8 ? uint32_t(h.width) : rowBytes;
    const int16_t blitCount = int16_t(std::min<uint32_t>(count, INT16_MAX));
    if (convert) {
        blit = GetBltSolid(h.bitCount, surfaceBits, 0);
        if (!blit || count > INT16_MAX) {
            xTracef("LoadSurfaceFromBMP - no conversion from %d to %d bits\n", int(h.bitCount), int(surfaceBits));
            return false;
        }
        BltContext().BltSrcPixelFormat = h.bitCount == 8 ? kPixelFormat8 : h.bitCount == 16 ? kPixelFormat555 : kPixelFormat24;
        BltContext().BltDstPixelFormat = surface->GetPixelFormat();
    }
    CColorPalette* blitPalette = surface->EffectivePalette();
    if (convert && h.bitCount == 8) blitPalette->Build16BitTable();

    std::vector<uint8_t> row(stride);
    Rle8Rows rle(stream);
    bool ok = true;
    surface->LockSysSurface();
    uint8_t* pixels = surface->Lock();
    const int32_t pitch = surface->GetPitch();
    const bool bottomUp = (pitch >= 0) == (h.height >= 0);
    for (int32_t i = 0; i < height && ok; ++i) {
        int32_t decoded = h.width;
        if (h.compression == kBiRle8) {
            ok = rle.NextRow(row.data(), h.width, &decoded);
        } else {
            ok = stream->ReadExactly(row.data(), stride);
            if (ok && h.bitCount == 16)
                for (uint32_t x = 0; x + 1 < rowBytes; x += 2) row[x + 1] &= 0x7F;
        }
        if (!ok) break;
        const int32_t line = bottomUp ? height - 1 - i : i;
        if (convert) {
            if (surface->IsSurfaceLost() || !pixels) {
                ok = false;
                break;
            }
            blit(row.data(), blitCount, pixels + int64_t(line) * pitch, blitPalette);
        } else if (pixels) {
            std::memcpy(pixels + int64_t(line) * pitch, row.data(), size_t(decoded) * size_t(imageBytesPerPixel));
        }
    }
    surface->Unlock(0);
    surface->UnlockSysSurface();
    if (!ok) xTrace("LoadSurfaceFromBMP - image data ends early or holds an unsupported code\n");
    return ok;
}

namespace {

/// The image type of a frame chunk's property record; false when it has none.
bool FrameType(CPartFile* file, ChunkId id, uint16_t* type) {
    CChunkProperty property;
    if (!property.Load(file, id)) return false;
    *type = property.Values()[0];
    return true;
}

void MissingFrameBox(ChunkId id) {
    char text[96];
    std::snprintf(text, sizeof text, "VQT : Missing Frame {%d, %d, %d}", int(ChunkIndexOf(id)), int(ChunkSecondOf(id)),
                  int(ChunkEntryOf(id)));
    plat::dialogs().MessageBox(text, "Error", plat::mb::SystemModal | plat::mb::IconStop | plat::mb::Ok);
}

} // namespace

bool xFrame_GetInfo(CPartFile* file, ChunkId id, FrameInfo* info) {
    if (!file || !info) return false;
    if (!file->ChunkExists(id)) {
        MissingFrameBox(id);
        return false;
    }
    uint16_t type = 0;
    if (!FrameType(file, id, &type)) return false;
    uint32_t size = 0;
    uint32_t offset = 0;
    file->GetChunkLocation(id, &size, &offset);
    switch (type) {
    case kFrameBmp: {
        const uint32_t length = kBmpFileHeader + kBmpInfoHeader;
        uint8_t head[length];
        if (size < length || !file->ReadChunkInto(id, length, head)) return true;
        ODrvMemory stream;
        stream.Control(DRV_ADOPTMEM, reinterpret_cast<intptr_t>(head), length, length);
        xFrame_ReadBmpInfo(&stream, info);
        void* memory = nullptr;
        stream.Control(DRV_RELEASEMEM, reinterpret_cast<intptr_t>(&memory));
        return true;
    }
    case kFrameCompressed: {
        uint8_t head[6];
        if (size < sizeof head || !file->ReadChunkInto(id, sizeof head, head)) return true;
        const bytes::Span s(head);
        info->width = int16_t(bytes::le16(s, 0));
        info->height = int16_t(bytes::le16(s, 2));
        info->bitsPerPixel = int16_t(bytes::le16(s, 4));
        return true;
    }
    case kFrameGif:
    case kFramePcx:
        return true;
    default:
        info->width = info->height = info->bitsPerPixel = int16_t(-1);
        return true;
    }
}

CDrawSurface* xFrame_CreateSurface(CPartFile* file, ChunkId id, CDrawSurface* surface, uint8_t create) {
    if (!file || !file->ChunkExists(id)) return nullptr;
    uint32_t size = 0;
    uint32_t offset = 0;
    file->GetChunkLocation(id, &size, &offset);
    uint16_t type = 0;
    const bool typed = FrameType(file, id, &type);

    if (!typed) {
        // The chunk is read once, its size and the rows together.
        std::vector<uint8_t> data(size);
        if (size < 4 || !file->GetChunk(id, data.data())) {
            xTrace("Invalid image dimensions\n");
            return nullptr;
        }
        const int16_t width = int16_t(bytes::be16(bytes::Span(data), 0));
        const int16_t height = int16_t(bytes::be16(bytes::Span(data), 2));
        if (width < 1 || height < 1) {
            xTrace("Invalid image dimensions\n");
            return nullptr;
        }
        if (uint64_t(size) < 4u + uint64_t(width) * uint64_t(height)) {
            xTracef("xFrame_CreateSurface - image of %d x %d is longer than its %u bytes\n", int(width), int(height),
                    unsigned(size));
            return nullptr;
        }
        CDrawSurface* target = surface ? surface : new (std::nothrow) CPixelSurface;
        if (!target) return nullptr;
        if (!target->Create(width, height, 8)) {
            if (!surface) delete target;
            return nullptr;
        }
        target->LockSysSurface();
        uint8_t* pixels = target->Lock();
        if (pixels) {
            for (int16_t y = 0; y < height; ++y)
                std::memcpy(pixels + int64_t(y) * target->GetPitch(), &data[4 + size_t(y) * size_t(width)], size_t(width));
        }
        target->Unlock(0);
        target->UnlockSysSurface();
        return target;
    }

    CDrawSurface* target = surface;
    if (!target) {
        target = new (std::nothrow) CPixelSurface;
        if (!target) return nullptr;
        create = 1;
    }
    void* data = xTempBuffers_Get(size ? size : 1);
    if (!data || !file->GetChunk(id, data)) {
        xTempBuffers_Release(&data);
        xTracef("xFrame_CreateSurface - frame {%d, %d, %d} cannot be read\n", int(ChunkIndexOf(id)),
                int(ChunkSecondOf(id)), int(ChunkEntryOf(id)));
        return target;
    }
    ODrvMemory stream;
    stream.Control(DRV_ADOPTMEM, reinterpret_cast<intptr_t>(data), intptr_t(size), intptr_t(size));
    switch (type) {
    case kFrameBmp:
        LoadSurfaceFromBMP(target, &stream, create);
        break;
    case kFrameGif:
    case kFramePcx:
    case kFrameCompressed:
        xTracef("xFrame_CreateSurface - no reader for image type %u\n", unsigned(type));
        break;
    default:
        break;
    }
    void* memory = nullptr;
    stream.Control(DRV_RELEASEMEM, reinterpret_cast<intptr_t>(&memory));
    xTempBuffers_Release(&data);
    return target;
}

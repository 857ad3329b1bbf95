#include "engine/graphics/FrameImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/base/ByteOrder.h"
#include "engine/base/Trace.h"
#include "engine/blit/Blitter.h"
#include "engine/blit/ColorPalette.h"
#include "engine/data/ChunkRecords.h"
#include "engine/data/DrvMemory.h"
#include "engine/data/PartFile.h"
#include "engine/data/TempBuffers.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/GraphicsMemory.h"
#include "engine/graphics/ImageRows.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/data/MessageBox.h"

namespace {

constexpr uint32_t kRawHeader = 4;
// The bytes each reader's header check needs.
constexpr uint32_t kBmpHeaders = 54;
constexpr uint32_t kPcxHeader = 128;
constexpr uint32_t kCompressedHeader = 14;

/// The image type of a frame chunk's property record; false when it has none.
bool FrameType(CPartFile* file, ChunkId id, uint16_t* type) {
    CChunkProperty property;
    if (!property.Load(file, id)) return false;
    *type = property.Values()[0];
    return true;
}

uint32_t ChunkSize(CPartFile* file, ChunkId id) {
    uint32_t size = 0;
    uint32_t offset = 0;
    file->GetChunkLocation(id, &size, &offset);
    return size;
}

/// The first bytes of a chunk's data in a temporary buffer, streamed by a memory driver.
class ChunkStream {
public:
    ChunkStream(CPartFile* file, ChunkId id, uint32_t length) : m_data(length) {
        m_read = length > 0 && m_data.Get() && file->ReadChunkInto(id, length, m_data.Get());
        if (m_read) m_stream.AdoptMemory(m_data.Get(), length, length);
    }
    ~ChunkStream() {
        if (m_read) m_stream.ReleaseMemory(nullptr);
    }
    ChunkStream(const ChunkStream&) = delete;
    ChunkStream& operator=(const ChunkStream&) = delete;
    bool Read() const { return m_read; }
    ODriver* Stream() { return &m_stream; }
    const uint8_t* Data() const { return m_data.Get(); }

private:
    CTempArray<uint8_t> m_data;
    ODrvMemory m_stream;
    bool m_read = false;
};

void MissingFrameBox(ChunkId id) {
    char text[96];
    std::snprintf(text, sizeof text, "VQT : Missing Frame {%d, %d, %d}", int(ChunkIndexOf(id)), int(ChunkSecondOf(id)),
                  int(ChunkEntryOf(id)));
    xMessageBox(text, "Error", 0);
}

/// The size of a raw image from its first bytes; false when it has no usable size.
bool RawSize(const uint8_t* head, int16_t& width, int16_t& height) {
    const bytes::Span s(head, kRawHeader);
    width = int16_t(bytes::be16(s, 0));
    height = int16_t(bytes::be16(s, 2));
    return width >= 1 && height >= 1;
}

/// A raw 8-bit image into the given surface or a new one.
CDrawSurface* LoadRaw(CPartFile* file, ChunkId id, CDrawSurface* surface) {
    const uint32_t size = ChunkSize(file, id);
    ChunkStream chunk(file, id, size);
    int16_t width = 0;
    int16_t height = 0;
    if (!chunk.Read() || size < kRawHeader || !RawSize(chunk.Data(), width, height)) {
        xTrace("Invalid image dimensions\n");
        return nullptr;
    }
    if (uint64_t(size) < kRawHeader + uint64_t(width) * uint64_t(height)) {
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
    CImageRows rows(target, 8, width);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = chunk.Data() + kRawHeader + size_t(y) * size_t(width);
        if (!rows.Fill(y, [&](uint8_t* row) { return std::memcpy(row, from, size_t(width)) != nullptr; })) {
            xTrace("xFrame_CreateSurface - the raw image cannot be written into the surface\n");
            break;
        }
    }
    return target;
}

} // namespace

bool xFrame_GetInfo(CPartFile* file, ChunkId id, FrameInfo* info) {
    if (!file || !info) return false;
    if (!file->ChunkExists(id)) {
        MissingFrameBox(id);
        return false;
    }
    const uint32_t size = ChunkSize(file, id);
    uint16_t type = 0;
    if (!FrameType(file, id, &type)) {
        ChunkStream head(file, id, std::min(size, kRawHeader));
        if (!head.Read() || size < kRawHeader || !RawSize(head.Data(), info->width, info->height)) return false;
        info->bitsPerPixel = 8;
        return true;
    }
    // Each reader checks its own header; a GIF is walked up to its first image.
    switch (type) {
    case kFrameBmp: {
        ChunkStream head(file, id, std::min(size, kBmpHeaders));
        return head.Read() && xFrame_ReadBmpInfo(head.Stream(), info);
    }
    case kFrameGif: {
        ChunkStream whole(file, id, size);
        return whole.Read() && ReadGifInfo(whole.Stream(), info);
    }
    case kFramePcx: {
        ChunkStream head(file, id, std::min(size, kPcxHeader));
        return head.Read() && ReadPcxInfo(head.Stream(), info);
    }
    case kFrameCompressed: {
        ChunkStream head(file, id, std::min(size, kCompressedHeader));
        return head.Read() && ReadCompressedInfo(head.Stream(), info);
    }
    default:
        info->width = info->height = info->bitsPerPixel = int16_t(-1);
        return true;
    }
}

CDrawSurface* xFrame_CreateSurface(CPartFile* file, ChunkId id, CDrawSurface* surface, uint8_t create) {
    if (!file || !file->ChunkExists(id)) return nullptr;
    uint16_t type = 0;
    if (!FrameType(file, id, &type)) return LoadRaw(file, id, surface);

    CDrawSurface* target = surface;
    if (!target) {
        target = new (std::nothrow) CPixelSurface;
        if (!target) return nullptr;
        create = 1;
    }
    ChunkStream chunk(file, id, ChunkSize(file, id));
    if (!chunk.Read()) {
        xTracef("xFrame_CreateSurface - frame {%d, %d, %d} cannot be read\n", int(ChunkIndexOf(id)),
                int(ChunkSecondOf(id)), int(ChunkEntryOf(id)));
        return target;
    }
    switch (type) {
    case kFrameBmp: LoadSurfaceFromBMP(target, chunk.Stream(), create); break;
    case kFrameGif: LoadGIF(target, chunk.Stream()); break;
    case kFramePcx: LoadPCX(target, chunk.Stream()); break;
    case kFrameCompressed: {
        const uint8_t given = surface ? 1 : 0; // a given surface is reused and keeps its depth
        LoadCompressedImageToSurface(chunk.Stream(), target, given, given);
        break;
    }
    default: break;
    }
    return target;
}

// Reads arbitrary bytes with the image readers. The first byte chooses the way in: 0-3 the BMP,
// GIF, PCX and compressed-image readers straight (their size query first), into a memory
// surface they make and into surfaces that keep 16 bits in 5-6-5 or 24 bits; 4-9 a frame chunk
// of the part file holding the rest, typed BMP, GIF, PCX, compressed, raw (no type) or unknown,
// through xFrame_GetInfo and xFrame_CreateSurface. Nothing may read or write out of bounds or
// keep a temporary buffer. Images that their headers make larger than a million pixels are only
// asked for their size: making and converting surfaces of up to 32767 x 32767 pixels takes
// seconds and gigabytes, which the fuzzer's time is better spent without.
#include <cstdint>
#include <string>

#include "engine/data/TempBuffers.h"
#include "engine/data/PartFile.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/FrameImage.h"
#include "engine/graphics/GraphicsContext.h"
#include "tests/engine/graphics/SurfaceTestSupport.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/builders/ActivityBuilder.h"
#include "tests/support/MemoryStream.h"

namespace {

using vqt::test::Bytes;

/// The ways into the readers, by the first byte.
enum Way : uint8_t { kBmp, kGif, kPcx, kCompressed, kFrameBmpChunk, kFrameGifChunk, kFramePcxChunk,
                     kFrameCompressedChunk, kRawChunk, kUnknownChunk, kWays };

bool Read(uint8_t way, const Bytes& bytes, CDrawSurface* surface, uint8_t keep) {
    vqt::test::MemoryStream stream(bytes);
    switch (way) {
    case kBmp: return LoadSurfaceFromBMP(surface, &stream, 0);
    case kGif: return LoadGIF(surface, &stream);
    case kPcx: return LoadPCX(surface, &stream);
    default: return LoadCompressedImageToSurface(&stream, surface, keep, keep);
    }
}

bool TooLarge(const FrameInfo& info) { return int64_t(info.width) * int64_t(info.height) > 1000000; }

void ReadStraight(uint8_t way, const Bytes& bytes) {
    FrameInfo info;
    vqt::test::MemoryStream stream(bytes);
    bool known = false;
    switch (way) {
    case kBmp: known = xFrame_ReadBmpInfo(&stream, &info); break;
    case kGif: known = ReadGifInfo(&stream, &info); break;
    case kPcx: known = ReadPcxInfo(&stream, &info); break;
    default: known = ReadCompressedInfo(&stream, &info); break;
    }
    if (known && TooLarge(info)) return;
    CPixelSurface made;
    Read(way, bytes, &made, 0);
    surftest::CFixedDepthSurface deep16(16, kPixelFormat565);
    deep16.Create(8, 8, 16);
    Read(way, bytes, &deep16, 1);
    surftest::CFixedDepthSurface deep24(24, kPixelFormat24);
    Read(way, bytes, &deep24, 1);
}

void ReadChunk(uint8_t way, const Bytes& bytes) {
    static const std::string& path = vqt::fuzz::ScratchPath("images");
    static constexpr uint16_t kTypes[] = {kFrameBmp, kFrameGif, kFramePcx, kFrameCompressed, 0, 7};
    const uint16_t type = kTypes[way - kFrameBmpChunk];
    vqt::test::ChunkFileBuilder b;
    const uint8_t fram = b.AddIndex("fram", 8, 1);
    vqt::test::ChunkPlan plan{.entry = 1};
    if (type) plan.property = vqt::test::FrameProperty(type);
    b.AddChunk(fram, bytes, plan);
    CPartFile file;
    if (!b.WriteFile(path) || !file.Open(path.c_str(), 1)) return;
    const ChunkId id = vqt::test::ChunkIdOf(1, 1);
    FrameInfo info;
    if (xFrame_GetInfo(&file, id, &info) && TooLarge(info)) return;
    delete xFrame_CreateSurface(&file, id, nullptr, 0);
    surftest::CFixedDepthSurface given(16, kPixelFormat565);
    given.Create(8, 8, 16);
    xFrame_CreateSurface(&file, id, &given, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput();
    if (size == 0) return 0;
    xGraphics_SetPixelFormat(kPixelFormat565);
    const uint8_t way = data[0] % kWays;
    const Bytes bytes(data + 1, data + size);
    if (way < kFrameBmpChunk) ReadStraight(way, bytes);
    else ReadChunk(way, bytes);
    if (xTempBuffers_GetNumInUse() != 0) __builtin_trap();
    return 0;
}

// Frame images of the part file: the BMP reader, raw 8-bit frames, the image-type switch and the
// refusals of damaged images.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/data/DrvMemory.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/ColorPalette.h"
#include "engine/graphics/FrameImage.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/support/ActivityBuilder.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/TempFolder.h"

namespace vqt::test {
namespace {

/// A 3 x 2 picture: top row 1 2 3, bottom row 4 5 6, colour i = (10 i, 20 i, 30 i).
IndexedPicture Small() {
    IndexedPicture p{.width = 3, .height = 2, .pixels = {1, 2, 3, 4, 5, 6}, .colours = {}};
    for (uint32_t i = 0; i < 7; ++i) p.colours.push_back((10 * i) | ((20 * i) << 8) | ((30 * i) << 16));
    return p;
}

/// The 54 header bytes of a BMP with the given fields and no colour table.
Bytes BmpHeader(int32_t width, int32_t height, uint16_t bits, uint32_t compression, uint32_t pixelOffset) {
    Bytes b;
    PutText(b, 0, "BM");
    PutLe32(b, 10, pixelOffset);
    PutLe32(b, 14, 40);
    PutLe32(b, 18, uint32_t(width));
    PutLe32(b, 22, uint32_t(height));
    PutLe16(b, 26, 1);
    PutLe16(b, 28, bits);
    PutLe32(b, 30, compression);
    b.resize(54, 0);
    return b;
}

class FrameImageTest : public HeadlessTest {
protected:
    bool Load(CPixelSurface& surface, Bytes bmp, uint8_t create = 0) {
        bytes = std::move(bmp);
        ODrvMemory stream;
        stream.Control(DRV_ADOPTMEM, reinterpret_cast<intptr_t>(bytes.data()), intptr_t(bytes.size()),
                       intptr_t(bytes.size()));
        const bool ok = LoadSurfaceFromBMP(&surface, &stream, create);
        void* memory = nullptr;
        stream.Control(DRV_RELEASEMEM, reinterpret_cast<intptr_t>(&memory));
        return ok;
    }
    static int Pixel8(CPixelSurface& s, int x, int y) {
        const int v = s.Lock()[y * s.GetPitch() + x];
        s.Unlock();
        return v;
    }
    static uint16_t Pixel16(CPixelSurface& s, int x, int y) {
        uint16_t v = 0;
        std::memcpy(&v, s.Lock() + y * s.GetPitch() + 2 * x, 2);
        s.Unlock();
        return v;
    }
    Bytes bytes;
    TempFolder folder;
};

// ---- BMP reader -----------------------------------------------------------------------------

TEST_F(FrameImageTest, ABottomUpBmpLoadsUprightWithItsColourTable) {
    CPixelSurface s;
    ASSERT_TRUE(Load(s, BmpFile(Small())));
    EXPECT_EQ(s.GetWidth(), 3);
    EXPECT_EQ(s.GetHeight(), 2);
    EXPECT_EQ(s.GetBitsPerPixel(), 8);
    EXPECT_EQ(Pixel8(s, 0, 0), 1);
    EXPECT_EQ(Pixel8(s, 2, 1), 6);
    ASSERT_NE(s.OwnPalette(), nullptr);
    EXPECT_EQ(s.OwnPalette()->GetEntry(5), ColorWord(50, 100, 150));
    EXPECT_EQ(s.OwnPalette()->GetEntry(200), ColorWord(0, 0, 0));
}

TEST_F(FrameImageTest, RunLengthRowsDecodeRunsLiteralsAndEndCodes) {
    // Top-down (negative height) 6 x 3: a run and a literal of odd length; a short row; the
    // end of the bitmap, which leaves the last row as it was.
    Bytes bmp = BmpHeader(6, -3, 8, 1, 54 + 1024);
    bmp.resize(54 + 1024, 0);
    const Bytes codes{2, 7, 0, 3, 1, 2, 3, 0, 0, 0, 4, 9, 0, 0, 0, 1};
    bmp.insert(bmp.end(), codes.begin(), codes.end());
    CPixelSurface s;
    s.Create(6, 3, 8);
    ASSERT_TRUE(Load(s, bmp));
    EXPECT_EQ(Pixel8(s, 0, 0), 7);
    EXPECT_EQ(Pixel8(s, 1, 0), 7);
    EXPECT_EQ(Pixel8(s, 4, 0), 3);
    EXPECT_EQ(Pixel8(s, 5, 0), 0); // the pad byte of the odd literal is not a pixel
    EXPECT_EQ(Pixel8(s, 3, 1), 9);
    EXPECT_EQ(Pixel8(s, 4, 1), 0);

    // The delta escape is not supported: the image stops with a trace.
    Bytes delta = BmpHeader(4, 1, 8, 1, 54 + 1024);
    delta.resize(54 + 1024, 0);
    delta.insert(delta.end(), {0, 2, 1, 1, 0, 1});
    CPixelSurface d;
    EXPECT_FALSE(Load(d, delta));
    EXPECT_NE(traced().find("unsupported code"), std::string::npos);
}

TEST_F(FrameImageTest, SixteenBitPixelsAreConvertedIntoAFiveSixFiveSurface) {
    Bytes bmp = BmpHeader(2, 1, 16, 0, 54);
    PutLe16(bmp, 54, 0x7C00);             // red in 5-5-5
    PutLe16(bmp, 56, 0x801F | 0x0000);     // blue with the top bit set, which is cleared
    CPixelSurface s;
    s.Create(2, 1, 16);
    s.SetPixelFormat(kPixelFormat565);
    ASSERT_TRUE(Load(s, bmp));
    EXPECT_EQ(Pixel16(s, 0, 0), 0xF800);
    EXPECT_EQ(Pixel16(s, 1, 0), 0x001F);
}

TEST_F(FrameImageTest, DamagedBmpsAreRefusedWithATrace) {
    struct Case {
        const char* trace;
        Bytes bmp;
    };
    Bytes truncated = BmpFile(Small());
    truncated.resize(truncated.size() - 4);
    Bytes notBmp = BmpFile(Small());
    notBmp[0] = 'X';
    Bytes partial = BmpHeader(2, 2, 8, 0, 54);
    partial.resize(30);
    std::vector<Case> cases{
        {"LoadSurfaceFromBMP - Bit depth unsupported : 4\n", BmpHeader(4, 4, 4, 0, 54)},
        {"LoadSurfaceFromBMP - File lacks proper dib header marker!\n", notBmp},
        {"LoadSurfaceFromBMP - Err : failed to read DIB header\n", partial},
        {"LoadSurfaceFromBMP - Invalid image size 0 x 5\n", BmpHeader(0, 5, 8, 0, 54)},
        {"LoadSurfaceFromBMP - Invalid image size 3 x -2147483648\n", BmpHeader(3, INT32_MIN, 24, 0, 54)},
        {"image data ends early", truncated},
        {"compression 3 unsupported", BmpHeader(2, 2, 16, 3, 54)},
    };
    for (Case& c : cases) {
        CPixelSurface s;
        EXPECT_FALSE(Load(s, c.bmp)) << c.trace;
        EXPECT_NE(traced().find(c.trace), std::string::npos) << c.trace;
    }
}

// ---- Frame chunks ---------------------------------------------------------------------------

TEST_F(FrameImageTest, FrameChunksLoadByTheirImageTypeOrAsRawImages) {
    ChunkFileBuilder b;
    const uint8_t fram = b.AddIndex("fram", 8, 8);
    b.AddChunk(fram, BmpFile(Small()), {.entry = 1, .property = FrameProperty(kFrameBmp)});
    Bytes raw;
    PutBe16(raw, 0, 2);
    PutBe16(raw, 2, 2);
    raw.insert(raw.end(), {9, 8, 7, 6});
    b.AddChunk(fram, raw, {.entry = 2});
    b.AddChunk(fram, Bytes{0, 0, 0, 5}, {.entry = 3});
    Bytes shortRaw = raw;
    shortRaw.pop_back();
    b.AddChunk(fram, shortRaw, {.entry = 4});
    b.AddChunk(fram, Bytes{1, 2, 3}, {.entry = 5, .property = FrameProperty(42)});
    const std::string path = folder / "frames.vqk";
    ASSERT_TRUE(b.WriteFile(path));
    CPartFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 1));

    FrameInfo info;
    ASSERT_TRUE(xFrame_GetInfo(&file, ChunkIdOf(1, 1), &info));
    EXPECT_EQ(info.width, 3);
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(info.bitsPerPixel, 8);
    std::unique_ptr<CDrawSurface> bmp(xFrame_CreateSurface(&file, ChunkIdOf(1, 1), nullptr, 0));
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->GetWidth(), 3);

    // A raw frame has no property record: no info, but it loads.
    EXPECT_FALSE(xFrame_GetInfo(&file, ChunkIdOf(1, 2), &info));
    std::unique_ptr<CDrawSurface> rawSurface(xFrame_CreateSurface(&file, ChunkIdOf(1, 2), nullptr, 0));
    ASSERT_NE(rawSurface, nullptr);
    EXPECT_EQ(rawSurface->Lock()[rawSurface->GetPitch() + 1], 6);
    rawSurface->Unlock();
    EXPECT_EQ(xFrame_CreateSurface(&file, ChunkIdOf(1, 3), nullptr, 0), nullptr);
    EXPECT_NE(traced().find("Invalid image dimensions\n"), std::string::npos);
    EXPECT_EQ(xFrame_CreateSurface(&file, ChunkIdOf(1, 4), nullptr, 0), nullptr);
    EXPECT_NE(traced().find("image of 2 x 2 is longer than its 7 bytes"), std::string::npos);

    // An unknown type reports 0xFFFF sizes and loads nothing into the surface it is given.
    ASSERT_TRUE(xFrame_GetInfo(&file, ChunkIdOf(1, 5), &info));
    EXPECT_EQ(info.width, -1);
    EXPECT_EQ(info.bitsPerPixel, -1);
    CPixelSurface given;
    EXPECT_EQ(xFrame_CreateSurface(&file, ChunkIdOf(1, 5), &given, 0), &given);
    EXPECT_EQ(given.GetWidth(), 0);

    // A missing frame: the box from the info query, null from the load.
    EXPECT_FALSE(xFrame_GetInfo(&file, ChunkIdOf(1, 7), &info));
    ASSERT_EQ(dialogs().Boxes().size(), 1u);
    EXPECT_EQ(dialogs().Boxes()[0].text, "VQT : Missing Frame {1, 0, 7}");
    EXPECT_EQ(xFrame_CreateSurface(&file, ChunkIdOf(1, 7), nullptr, 0), nullptr);
}

TEST_F(FrameImageTest, PaletteChunksFillAllEntriesOrLeaveThePaletteAlone) {
    ChunkFileBuilder b;
    const uint8_t cpal = b.AddIndex("cpal", 8, 4);
    b.AddChunk(cpal, PaletteData({0x000000, 0x030201, 0x0A0B0C}), {.entry = 1});
    b.AddChunk(cpal, Bytes(1000, 7), {.entry = 2});
    const std::string path = folder / "palettes.vqk";
    ASSERT_TRUE(b.WriteFile(path));
    CPartFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 1));

    CColorPalette palette;
    const uint32_t before = palette.GetEntry(2);
    EXPECT_FALSE(palette.LoadFromChunk(&file, ChunkIdOf(1, 2)));
    EXPECT_FALSE(palette.LoadFromChunk(&file, ChunkIdOf(1, 3)));
    EXPECT_EQ(palette.GetEntry(2), before);
    EXPECT_TRUE(palette.LoadFromChunk(&file, ChunkIdOf(1, 1)));
    EXPECT_EQ(palette.GetEntry(1), ColorWord(1, 2, 3));
    EXPECT_EQ(palette.GetEntry(2), ColorWord(12, 11, 10));
    EXPECT_EQ(palette.GetUsedCount(), 256);
}

} // namespace
} // namespace vqt::test

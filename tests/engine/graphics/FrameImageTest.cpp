// Frame images of the part file: the escapes of run-length BMPs, the image-type switch with the
// sizes it reports, raw 8-bit frames, frames of every kind loaded into a display surface, and
// the refusals of damaged images.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/blit/ColorPalette.h"
#include "engine/data/DrvMemory.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/DDrawOffscreenSurface.h"
#include "engine/graphics/FrameImage.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/engine/graphics/DisplayTestSupport.h"
#include "tests/engine/graphics/SurfaceTestSupport.h"
#include "tools/builders/ActivityBuilder.h"
#include "tests/support/MemoryStream.h"
#include "tools/builders/PartBuilder.h"
#include "tools/builders/TempFolder.h"

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

class FrameImageTest : public displaytest::DisplayTest {
protected:
    static bool Load(CPixelSurface& surface, Bytes bmp, uint8_t create = 0) {
        MemoryStream stream(std::move(bmp));
        return LoadSurfaceFromBMP(&surface, &stream, create);
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
    TempFolder folder;
};

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
        {"image data ends early", BmpHeader(30000, 30000, 24, 0, 54)}, // refused before 2.7 GB are made
        {"compression 3 unsupported", BmpHeader(2, 2, 16, 3, 54)},
    };
    for (Case& c : cases) {
        CPixelSurface s;
        EXPECT_FALSE(Load(s, c.bmp)) << c.trace;
        EXPECT_NE(traced().find(c.trace), std::string::npos) << c.trace;
        EXPECT_EQ(s.GetWidth(), 0) << c.trace; // a refused file makes no surface
    }
}

/// A raw frame: big-endian width and height, then the rows.
Bytes RawFrame(int width, int height, const Bytes& pixels) {
    Picture picture(width, height);
    picture.pixels = pixels;
    return RawFrameData(picture);
}

TEST_F(FrameImageTest, FrameChunksReportTheSizesTheirReadersGiveAndLoadByType) {
    const IndexedPicture small = Small();
    const DirectPicture deep{3, 2, 16, Bytes(12, 0x21)};
    ChunkFileBuilder b;
    const uint8_t fram = b.AddIndex("fram", 8, 12);
    b.AddChunk(fram, BmpFile(small), {.entry = 1, .property = FrameProperty(kFrameBmp)});
    b.AddChunk(fram, GifFile(small, {.extensions = true}), {.entry = 2, .property = FrameProperty(kFrameGif)});
    b.AddChunk(fram, PcxFile(small, {.bitsPerPlane = 1, .planes = 4}), {.entry = 3, .property = FrameProperty(kFramePcx)});
    b.AddChunk(fram, CompressedImage(deep, {.mode = 8}), {.entry = 4, .property = FrameProperty(kFrameCompressed)});
    b.AddChunk(fram, RawFrame(2, 2, {9, 8, 7, 6}), {.entry = 5});
    b.AddChunk(fram, BmpHeader(4, 4, 4, 0, 54), {.entry = 6, .property = FrameProperty(kFrameBmp)});
    Bytes noImage = GifFile(small);
    noImage.resize(13 + 768);
    b.AddChunk(fram, noImage, {.entry = 7, .property = FrameProperty(kFrameGif)});
    b.AddChunk(fram, Bytes{1, 2, 3}, {.entry = 8, .property = FrameProperty(42)});
    b.AddChunk(fram, RawFrame(0, 5, {}), {.entry = 9});
    b.AddChunk(fram, RawFrame(2, 2, {9, 8, 7}), {.entry = 10});
    const std::string path = folder / "frames.vqk";
    ASSERT_TRUE(b.WriteFile(path));
    CPartFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 1));

    struct Case {
        uint16_t entry;
        bool known;
        FrameInfo info;
    };
    const std::vector<Case> cases{
        {1, true, {3, 2, 8}}, {2, true, {3, 2, 8}}, {3, true, {3, 2, 8}}, {4, true, {3, 2, 16}},
        {5, true, {2, 2, 8}}, {6, false, {}},       {7, false, {}},       {8, true, {-1, -1, -1}},
        {9, false, {}},       {10, true, {2, 2, 8}},
    };
    for (const Case& c : cases) {
        FrameInfo info;
        EXPECT_EQ(xFrame_GetInfo(&file, ChunkIdOf(1, c.entry), &info), c.known) << c.entry;
        if (!c.known) continue;
        EXPECT_EQ(info.width, c.info.width) << c.entry;
        EXPECT_EQ(info.height, c.info.height) << c.entry;
        EXPECT_EQ(info.bitsPerPixel, c.info.bitsPerPixel) << c.entry;
    }
    EXPECT_NE(traced().find("LoadSurfaceFromBMP - Bit depth unsupported : 4\n"), std::string::npos);

    for (uint16_t entry : {1, 2, 3, 4}) {
        std::unique_ptr<CDrawSurface> s(xFrame_CreateSurface(&file, ChunkIdOf(1, entry), nullptr, 0));
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->GetWidth(), 3) << entry;
        EXPECT_EQ(surftest::Bytes(*s), entry == 4 ? deep.pixels : small.pixels) << entry;
    }
    std::unique_ptr<CDrawSurface> raw(xFrame_CreateSurface(&file, ChunkIdOf(1, 5), nullptr, 0));
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(surftest::Bytes(*raw), (Bytes{9, 8, 7, 6}));
    EXPECT_EQ(xFrame_CreateSurface(&file, ChunkIdOf(1, 9), nullptr, 0), nullptr);
    EXPECT_NE(traced().find("Invalid image dimensions\n"), std::string::npos);
    EXPECT_EQ(xFrame_CreateSurface(&file, ChunkIdOf(1, 10), nullptr, 0), nullptr);
    EXPECT_NE(traced().find("image of 2 x 2 is longer than its 7 bytes"), std::string::npos);

    // An unknown type loads nothing into the surface it is given.
    CPixelSurface given;
    EXPECT_EQ(xFrame_CreateSurface(&file, ChunkIdOf(1, 8), &given, 0), &given);
    EXPECT_EQ(given.GetWidth(), 0);

    // A missing frame: the box from the info query, null from the load.
    FrameInfo info;
    EXPECT_FALSE(xFrame_GetInfo(&file, ChunkIdOf(1, 11), &info));
    ASSERT_EQ(dialogs().Boxes().size(), 1u);
    EXPECT_EQ(dialogs().Boxes()[0].text, "VQT : Missing Frame {1, 0, 11}");
    EXPECT_EQ(xFrame_CreateSurface(&file, ChunkIdOf(1, 11), nullptr, 0), nullptr);
}

TEST_F(FrameImageTest, FramesOfEveryKindLoadIntoAnOffscreenDisplaySurface) {
    desk().SetRegistryMode(plat::MakeDevMode(640, 480, 16, 60));
    ASSERT_TRUE(DirectX_Init());
    xGraphics_SetPixelFormat(kPixelFormat565);
    const IndexedPicture small = Small();
    const DirectPicture indices{3, 2, 8, small.pixels};
    ChunkFileBuilder b;
    const uint8_t fram = b.AddIndex("fram", 8, 8);
    b.AddChunk(fram, BmpFile(small, {.runLength = true}), {.entry = 1, .property = FrameProperty(kFrameBmp)});
    b.AddChunk(fram, GifFile(small, {.interlaced = true}), {.entry = 2, .property = FrameProperty(kFrameGif)});
    b.AddChunk(fram, PcxFile(small), {.entry = 3, .property = FrameProperty(kFramePcx)});
    b.AddChunk(fram, CompressedImage(indices), {.entry = 4, .property = FrameProperty(kFrameCompressed)});
    b.AddChunk(fram, CompressedImage(indices, {.mode = 8}), {.entry = 5, .property = FrameProperty(kFrameCompressed)});
    b.AddChunk(fram, RawFrame(3, 2, small.pixels), {.entry = 6});
    const std::string path = folder / "frames.vqk";
    ASSERT_TRUE(b.WriteFile(path));
    CPartFile file;
    ASSERT_TRUE(file.Open(path.c_str(), 1));

    for (uint16_t entry = 1; entry <= 6; ++entry) {
        // The files with colours show them; the others show the surface's (here the global) ones.
        const bool ownColours = entry <= 3;
        CDDrawOffscreenSurface off;
        ASSERT_TRUE(off.Create(3, 2, 16));
        ASSERT_EQ(xFrame_CreateSurface(&file, ChunkIdOf(1, entry), &off, 0), &off);
        ASSERT_EQ(off.GetBitsPerPixel(), 16);
        off.LockSysSurface();
        const Bytes shown = surftest::Bytes(off);
        off.UnlockSysSurface();
        Bytes expected;
        for (uint8_t i : small.pixels)
            PutLe16(expected, expected.size(),
                    PackColor565(ownColours ? small.colours[i] : xGraphics_GlobalPalette().GetEntry(i)));
        EXPECT_EQ(shown, expected) << entry;
    }
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

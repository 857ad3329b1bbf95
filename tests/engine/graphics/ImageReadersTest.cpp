// The image readers against files made by the test kit's writers: every form of BMP, GIF, PCX
// and compressed image into memory surfaces made by the reader, surfaces that keep 8, 16 (both
// layouts) or 24 bits as the display's do, and a bottom-up DIB section; the order of interlaced
// rows; the traces and results of damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/graphics/FrameImage.h"
#include "engine/graphics/GraphicsContext.h"
#include "tests/engine/graphics/DisplayTestSupport.h"
#include "tests/engine/graphics/SurfaceTestSupport.h"
#include "tools/builders/ImageWriters.h"
#include "tests/support/MemoryStream.h"

namespace vqt::test {
namespace {

constexpr int kWidth = 13;
constexpr int kHeight = 10;

/// The picture the files hold: runs of four that carry on from the end of one row into the
/// next, single pixels, stretches of 0 and bytes of 192 and more, each value masked.
IndexedPicture Picture(int mask = 0xFF) {
    IndexedPicture p{kWidth, kHeight, {}, {}};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int run = ((x < 4 ? y : y + 1) * 7 + 200) & 0xFF;
            const int v = x < 4 || x > 10 ? run : x > 8 ? 0 : (x * 31 + y * 17) & 0xFF;
            p.pixels.push_back(uint8_t(v & mask));
        }
    for (int i = 0; i < 256; ++i) p.colours.push_back(ColorWord(uint8_t(i * 5), uint8_t(255 - i), uint8_t(i * 11)));
    return p;
}

/// The same picture in 16 (5-5-5) or 24 bits; `firstBytesOnly` keeps each pixel's first byte
/// (what a run-length image codes).
DirectPicture Direct(int bits, bool firstBytesOnly = false) {
    const IndexedPicture p = Picture();
    DirectPicture d{kWidth, kHeight, bits, {}};
    for (uint8_t i : p.pixels) {
        Bytes pixel{i};
        if (bits == 16) pixel = {uint8_t(i * 0x23), uint8_t((i * 0x11) & 0x7F)};
        if (bits == 24) pixel = {i, uint8_t(i * 3), uint8_t(255 - i)};
        if (firstBytesOnly) std::fill(pixel.begin() + 1, pixel.end(), 0);
        d.pixels.insert(d.pixels.end(), pixel.begin(), pixel.end());
    }
    return d;
}

/// The picture in 32 bits: the 24-bit pixels with a fourth byte of their own.
DirectPicture Direct32() {
    const DirectPicture d = Direct(24);
    DirectPicture out{kWidth, kHeight, 32, {}};
    for (size_t i = 0; i < d.pixels.size(); i += 3)
        out.pixels.insert(out.pixels.end(), {d.pixels[i], d.pixels[i + 1], d.pixels[i + 2], uint8_t(d.pixels[i] ^ 0x5A)});
    return out;
}

/// What a file holds: pixels of a depth, and for 8 bits the colours it carries (none: the
/// surface shows them with the global palette).
struct Truth {
    int bits = 8;
    Bytes pixels;
    std::vector<uint32_t> colours;
};
Truth Of(const IndexedPicture& p, std::vector<uint32_t> colours) { return {8, p.pixels, std::move(colours)}; }
Truth Of(const DirectPicture& d) { return {d.bits, d.pixels, {}}; }

/// The truth as a surface of `bits` and `format` holds it.
Bytes Expected(const Truth& t, int bits, int16_t format) {
    if (bits == t.bits && !(bits == 16 && format == kPixelFormat565)) return t.pixels;
    Bytes out;
    const CColorPalette& global = xGraphics_GlobalPalette();
    for (size_t i = 0; i < t.pixels.size(); i += size_t(t.bits / 8)) {
        uint32_t colour = 0;
        if (t.bits == 8) {
            colour = t.colours.empty() ? global.GetEntry(t.pixels[i]) : t.colours[t.pixels[i]];
        } else if (t.bits == 16) { // widened with zero low bits
            const uint16_t v = uint16_t(t.pixels[i] | t.pixels[i + 1] << 8);
            colour = ColorWord(uint8_t((v >> 7) & 0xF8), uint8_t((v >> 2) & 0xF8), uint8_t(v << 3));
        } else {
            colour = ColorWord(t.pixels[i + 2], t.pixels[i + 1], t.pixels[i]);
        }
        if (bits == 16) PutLe16(out, out.size(), PackColor16(colour, format));
        else out.insert(out.end(), {ColorBlue(colour), ColorGreen(colour), ColorRed(colour)});
    }
    return out;
}

struct Kind {
    std::string name;
    uint16_t type;
    Bytes file;
    Truth truth;
};

std::vector<Kind> Kinds() {
    const IndexedPicture p = Picture();
    const std::vector<uint32_t> c = p.colours;
    const std::vector<uint32_t> map16(c.begin(), c.begin() + 16);
    std::vector<Kind> k{
        {"BMP 8", kFrameBmp, BmpFile(p), Of(p, c)},
        {"BMP 8 run-length", kFrameBmp, BmpFile(p, {.runLength = true}), Of(p, c)},
        {"BMP 8 top-down run-length", kFrameBmp, BmpFile(p, {.topDown = true, .runLength = true}), Of(p, c)},
        {"BMP 16", kFrameBmp, BmpFile(Direct(16)), Of(Direct(16))},
        {"BMP 16 top-down", kFrameBmp, BmpFile(Direct(16), true), Of(Direct(16))},
        {"BMP 24", kFrameBmp, BmpFile(Direct(24)), Of(Direct(24))},
        {"GIF", kFrameGif, GifFile(p), Of(p, c)},
        {"GIF interlaced, extensions, local table, 7-byte blocks, 3 leading clear codes", kFrameGif,
         GifFile(p, {.interlaced = true, .extensions = true, .leadingClears = 3, .subBlock = 7, .localTable = true}),
         Of(p, c)},
        {"GIF 87a, codes of 3 bits", kFrameGif, GifFile(Picture(3), {.leadingClears = 0, .minimumCodeSize = 2, .version87 = true}),
         Of(Picture(3), c)},
        {"GIF without a colour table", kFrameGif, GifFile(p, {.globalTable = false}), Of(p, std::vector<uint32_t>(256, 0))},
        {"PCX 8 x 1", kFramePcx, PcxFile(p), Of(p, c)},
        {"PCX 8 x 1 without the marker 12", kFramePcx, PcxFile(p, {.tailMarker = false}), Of(p, {})},
        {"PCX 8 x 1 runs across lines, window at 5, 3", kFramePcx,
         PcxFile(p, {.left = 5, .top = 3, .runsAcrossLines = true}), Of(p, c)},
        {"PCX 1 x 1", kFramePcx, PcxFile(Picture(1), {.bitsPerPlane = 1}), Of(Picture(1), {0, ColorWord(255, 255, 255)})},
        {"PCX 1 x 4", kFramePcx, PcxFile(Picture(15), {.bitsPerPlane = 1, .planes = 4}), Of(Picture(15), map16)},
        {"PCX 2 x 1", kFramePcx, PcxFile(Picture(3), {.bitsPerPlane = 2, .runsAcrossLines = true}), Of(Picture(3), map16)},
        {"PCX 4 x 1", kFramePcx, PcxFile(Picture(15), {.bitsPerPlane = 4}), Of(Picture(15), map16)},
        {"PCX 8 x 3", kFramePcx, PcxFile(Direct(24)), Of(Direct(24))},
        {"PCX 8 x 3 runs across lines", kFramePcx, PcxFile(Direct(24), true), Of(Direct(24))},
    };
    for (int bits : {8, 16, 24}) {
        const std::string b = std::to_string(bits);
        k.push_back({"compressed raw " + b, kFrameCompressed, CompressedImage(Direct(bits), {.mode = 0}), Of(Direct(bits))});
        k.push_back({"compressed run-length " + b, kFrameCompressed, CompressedImage(Direct(bits, true)),
                     Of(Direct(bits, true))});
        k.push_back({"compressed LZW " + b, kFrameCompressed, CompressedImage(Direct(bits), {.mode = 8, .restartAt = 300}),
                     Of(Direct(bits))});
    }
    k.push_back({"compressed run-length, wide counts and holes", kFrameCompressed,
                 CompressedImage(Direct(8), {.wideCounts = true, .holes = true}), Of(Direct(8))});
    return k;
}

/// Reads a file with the reader of its type; compressed images reuse and keep a surface.
bool Load(uint16_t type, const Bytes& file, CDrawSurface* surface, uint8_t reuse = 1) {
    MemoryStream stream(file);
    switch (type) {
    case kFrameBmp: return LoadSurfaceFromBMP(surface, &stream, 0);
    case kFrameGif: return LoadGIF(surface, &stream);
    case kFramePcx: return LoadPCX(surface, &stream);
    default: return LoadCompressedImageToSurface(&stream, surface, reuse, reuse);
    }
}

class ImageReadersTest : public displaytest::DisplayTest {};

TEST_F(ImageReadersTest, EveryFormGivesItsPixelsInEverySurface) {
    struct Target {
        const char* name;
        std::function<CDrawSurface*()> make;
        int bits;          ///< 0: the image's
        int16_t format;
    };
    const std::vector<Target> targets{
        {"a memory surface the reader makes", [] { return new CPixelSurface; }, 0, kPixelFormat555},
        {"a bottom-up DIB section", [] { return new CDIBSurface; }, 0, kPixelFormat555},
        {"8 bits kept", [] { return new surftest::CFixedDepthSurface(8, kPixelFormat8); }, 8, kPixelFormat8},
        {"5-5-5 kept", [] { return new surftest::CFixedDepthSurface(16, kPixelFormat555); }, 16, kPixelFormat555},
        {"5-6-5 kept", [] { return new surftest::CFixedDepthSurface(16, kPixelFormat565); }, 16, kPixelFormat565},
        {"24 bits kept", [] { return new surftest::CFixedDepthSurface(24, kPixelFormat24); }, 24, kPixelFormat24},
    };
    for (const Kind& kind : Kinds()) {
        for (const Target& target : targets) {
            const int bits = target.bits ? target.bits : kind.truth.bits;
            // The blitters convert 8 bits into any depth and 16 bits into 16 and 24 only.
            if (bits != kind.truth.bits && kind.truth.bits != 8 && (kind.truth.bits == 24 || bits == 8)) continue;
            SCOPED_TRACE(kind.name + " into " + target.name);
            xGraphics_SetPixelFormat(target.format == kPixelFormat565 ? kPixelFormat565 : kPixelFormat555);
            std::unique_ptr<CDrawSurface> s(target.make());
            if (target.bits) s->Create(kWidth, kHeight, 8); // made before, and reused when it fits
            ASSERT_TRUE(Load(kind.type, kind.file, s.get(), target.bits ? 1 : 0));
            ASSERT_EQ(s->GetWidth(), kWidth);
            ASSERT_EQ(s->GetHeight(), kHeight);
            ASSERT_EQ(s->GetBitsPerPixel(), bits);
            EXPECT_EQ(surftest::Bytes(*s), Expected(kind.truth, bits, s->GetPixelFormat()));
            if (bits == 8 && !kind.truth.colours.empty()) {
                EXPECT_EQ(s->OwnPalette()->GetEntry(1), kind.truth.colours[1]) << "the file's colours";
            }
        }
    }
}

TEST_F(ImageReadersTest, GifTablesFilledTo4096KeepTwelveBitCodesUntilTheirClearCode) {
    IndexedPicture noise{200, 100, {}, Picture().colours};
    std::mt19937 random(3);
    for (int i = 0; i < noise.width * noise.height; ++i) noise.pixels.push_back(uint8_t(random()));
    for (int codesWhileFull : {0, 40}) {
        CPixelSurface s;
        ASSERT_TRUE(Load(kFrameGif, GifFile(noise, {.codesWhileFull = codesWhileFull}), &s)) << codesWhileFull;
        EXPECT_EQ(surftest::Bytes(s), noise.pixels) << codesWhileFull;
    }
}

TEST_F(ImageReadersTest, InterlacedRowsAreWrittenPassByPass) {
    // Each row is told apart by its pixels; the spy notes the row each unlock changed.
    class RowSpy : public CPixelSurface {
    public:
        std::vector<int> rows;
        uint8_t* Lock() override {
            uint8_t* pixels = CPixelSurface::Lock();
            before.assign(pixels, pixels + GetWidth() * GetHeight());
            return pixels;
        }
        void Unlock(int flag) override {
            const uint8_t* after = CPixelSurface::Lock();
            for (int y = 0; y < GetHeight(); ++y)
                if (!std::equal(after + y * GetWidth(), after + (y + 1) * GetWidth(), before.begin() + y * GetWidth()))
                    rows.push_back(y);
            CPixelSurface::Unlock(flag);
        }
        Bytes before;
    };
    IndexedPicture p{3, 10, {}, {}};
    for (int y = 0; y < 10; ++y) p.pixels.insert(p.pixels.end(), 3, uint8_t(y + 1));
    RowSpy spy;
    MemoryStream gif(GifFile(p, {.interlaced = true}));
    ASSERT_TRUE(LoadGIF(&spy, &gif));
    EXPECT_EQ(spy.rows, (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
}

TEST_F(ImageReadersTest, DamagedFilesFailWithTheirTrace) {
    const IndexedPicture p = Picture();
    auto cut = [](Bytes b, size_t size) {
        b.resize(size);
        return b;
    };
    auto with = [](Bytes b, size_t at, std::initializer_list<uint8_t> bytes) {
        for (uint8_t v : bytes) b[at++] = v;
        return b;
    };
    const Bytes gif = GifFile(p);
    const Bytes head = cut(gif, 13 + 768); // the header, the screen and the global table
    auto gifWith = [&](Bytes blocks) {
        Bytes b = head;
        b.insert(b.end(), blocks.begin(), blocks.end());
        return b;
    };
    Bytes image{0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 8}; // a 1 x 1 image: the codes 1 and end
    const Bytes data = GifSubBlocks({{1, 9}, {257, 9}});
    image.insert(image.end(), data.begin(), data.end());
    const Bytes pcx = PcxFile(p);
    const Bytes packed = PcxFile(Picture(15), {.bitsPerPlane = 4});
    const Bytes compressed = CompressedImage(Direct(8));
    struct Case {
        const char* trace;
        uint16_t type;
        Bytes file;
        bool loads = false;
    };
    const std::vector<Case> cases{
        {"Error reading GIF header", kFrameGif, cut(gif, 4)},
        {"File is not a valid GIF file", kFrameGif, with(gif, 3, {'8', '8'})},
        {"Error reading GIF screen descriptor", kFrameGif, cut(gif, 10)},
        {"Error reading global color table", kFrameGif, cut(gif, 100)},
        {"Unexpected GIF trailer", kFrameGif, gifWith({0x3B})},
        {"Unknown or invalid construct", kFrameGif, gifWith({0x99})},
        {"*** Error : GIF - the file holds no image\n", kFrameGif, head},
        {"Error reading extension\n", kFrameGif, gifWith({0x21})},
        {"Error reading GIF control extension", kFrameGif, gifWith({0x21, 0xF9, 4, 0})},
        {"Error reading GIF comment extension", kFrameGif, gifWith({0x21, 0xFE, 5, 'a'})},
        {"Error reading GIF text extension", kFrameGif, gifWith({0x21, 0x01, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9})},
        {"Error reading GIF application extension", kFrameGif, gifWith({0x21, 0xFF, 11, 'N'})},
        {"Unknown or invalid extension 77h\n", kFrameGif, gifWith([&] {
             Bytes b{0x21, 0x77};
             b.insert(b.end(), image.begin(), image.end());
             return b;
         }()), true},
        {"Error reading GIF image descriptor", kFrameGif, gifWith({0x2C, 0, 0})},
        {"*** Error : GIF - reading global color table\n", kFrameGif, gifWith({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x87, 1, 2})},
        {"*** Warning : GIF - local color table not supported!!\n", kFrameGif, GifFile(p, {.localTable = true}), true},
        {"*** Error : GIF - insufficient memory to load image\n", kFrameGif, gifWith({0x2C, 0, 0, 0, 0, 0, 0, 1, 0, 0})},
        {"*** Error : GIF - image data damaged or cut short\n", kFrameGif, cut(gif, gif.size() - 20)},
        {"*** Error : GIF - image data damaged or cut short\n", kFrameGif, gifWith(with(image, 10, {12}))},
        {"PCX Read : Error reading PCX header\n", kFramePcx, cut(pcx, 127)},
        {"PCX Read : File is not a PCX file\n", kFramePcx, with(pcx, 0, {11})},
        {"PCX Read : Unsupported image (-2 x 10, 8 bits x 1 planes, 14 bytes a line)\n", kFramePcx, with(pcx, 4, {15})},
        {"PCX Read : Unsupported image (13 x 10, 3 bits x 1 planes, 14 bytes a line)\n", kFramePcx, with(pcx, 3, {3})},
        {"PCX Read : Unsupported image (13 x 10, 4 bits x 4 planes, 8 bytes a line)\n", kFramePcx, with(packed, 65, {4})},
        {"PCX Read : Unsupported image (13 x 10, 8 bits x 1 planes, 12 bytes a line)\n", kFramePcx, with(pcx, 66, {12})},
        {"PCX Read : Unsupported image (13 x 10, 8 bits x 2 planes, 14 bytes a line)\n", kFramePcx, with(pcx, 65, {2})},
        {"Load PCX : Error decoding line 2 of 10\n", kFramePcx, cut(PcxFile(p, {.tailMarker = false}), 128 + 20)},
        {"LoadCompressedImageToSurface - the image header ends early\n", kFrameCompressed, cut(compressed, 13)},
        {"LoadCompressedImageToSurface - invalid image header (0 x 10, 8 bits, mode 1, rows 0 to 10)\n", kFrameCompressed,
         with(compressed, 0, {0})},
        {"LoadCompressedImageToSurface - invalid image header (13 x 10, 12 bits, mode 1, rows 0 to 10)\n",
         kFrameCompressed, with(compressed, 4, {12})},
        {"LoadCompressedImageToSurface - invalid image header (13 x 10, 8 bits, mode 5, rows 0 to 10)\n",
         kFrameCompressed, with(compressed, 6, {5})},
        {"LoadCompressedImageToSurface - invalid image header (13 x 10, 8 bits, mode 1, rows 0 to 11)\n",
         kFrameCompressed, with(compressed, 10, {11})},
        {"LoadCompressedImageToSurface - invalid image header (13 x 10, 8 bits, mode 1, rows -1 to 3)\n",
         kFrameCompressed, with(compressed, 8, {0xFF, 0xFF, 3, 0})},
        {"LoadCompressedImageToSurface - line 9 of 10 cannot be decoded\n", kFrameCompressed, cut(compressed, compressed.size() - 1)},
        {"LoadCompressedImageToSurface - the coded image is damaged\n", kFrameCompressed,
         cut(CompressedImage(Direct(8), {.mode = 8}), 30)},
        {"LoadCompressedImageToSurface - no conversion from 24 to 16 bits\n", kFrameCompressed, CompressedImage(Direct(24))},
    };
    for (const Case& c : cases) {
        debug().Clear();
        surftest::CFixedDepthSurface s(16, kPixelFormat555);
        EXPECT_EQ(Load(c.type, c.file, &s), c.loads) << c.trace;
        EXPECT_NE(traced().find(c.trace), std::string::npos) << c.trace << " in " << traced();
    }
    EXPECT_FALSE(LoadPCX(nullptr, nullptr));
    EXPECT_NE(traced().find("PCX Read : File not found\n"), std::string::npos);
}

/// A PCX of `planes` planes of 8 bits: the header (window from 0, 0, planes of `bytesPerLine`
/// bytes a line) and the coded lines.
Bytes PcxOfPlanes(uint8_t planes, uint16_t width, uint16_t height, uint16_t bytesPerLine, const Bytes& coded) {
    Bytes file(128, 0);
    file[0] = 10;
    file[1] = 5;
    file[2] = 1;
    file[3] = 8;
    PutLe16(file, 8, uint16_t(width - 1));
    PutLe16(file, 10, uint16_t(height - 1));
    file[65] = planes;
    PutLe16(file, 66, bytesPerLine);
    file.insert(file.end(), coded.begin(), coded.end());
    return file;
}

TEST_F(ImageReadersTest, FourPlanesOfEightBitsGiveThirtyTwoBitPixelsLastPlaneFirst) {
    struct Case {
        const char* name;
        Bytes file;
        int16_t width, height;
        Bytes pixels;
    };
    const Case cases[] = {
        {"1 x 1", PcxOfPlanes(4, 1, 1, 1, {0x11, 0x22, 0x33, 0x44}), 1, 1, {0x44, 0x33, 0x22, 0x11}},
        // Lines padded to 4 bytes a plane; a run crosses from one plane into the next and
        // from the first line into the second.
        {"3 x 2, runs across planes and lines",
         PcxOfPlanes(4, 3, 2, 4, {1, 2, 3, 0xC5, 9, 5, 6, 7, 0xC4, 0xC8, 0xC4, 1, 0xC5, 2, 0xC4, 3, 0xC4, 4}), 3, 2,
         {0xC8, 5, 9, 1, 0xC8, 6, 9, 2, 0xC8, 7, 9, 3, 4, 3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1}},
        {"the picture from the writer", PcxFile(Direct32(), true), kWidth, kHeight, Direct32().pixels},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPixelSurface s;
        ASSERT_TRUE(Load(kFramePcx, c.file, &s)) << traced();
        EXPECT_EQ(s.GetWidth(), c.width);
        EXPECT_EQ(s.GetHeight(), c.height);
        EXPECT_EQ(s.GetBitsPerPixel(), 32);
        EXPECT_EQ(surftest::Bytes(s), c.pixels);
        MemoryStream stream(c.file);
        FrameInfo info{};
        ASSERT_TRUE(ReadPcxInfo(&stream, &info));
        EXPECT_EQ(info.bitsPerPixel, 32);
    }
    // A surface that keeps fewer bits has no way to take them.
    debug().Clear();
    surftest::CFixedDepthSurface kept(16, kPixelFormat555);
    EXPECT_FALSE(Load(kFramePcx, cases[0].file, &kept));
    EXPECT_NE(traced().find("PCX Read : no conversion into 16 bits\n"), std::string::npos) << traced();
}

TEST_F(ImageReadersTest, ACompressedImageWhoseFirstRowIsNotBeforeItsEndRowCodesNoRows) {
    struct Case {
        const char* name;
        Bytes file;
        int16_t width, height;
    };
    // Width, height, bits, mode, first row, end row; then the two bytes not read.
    auto header = [](std::initializer_list<int16_t> fields) {
        Bytes b(14, 0);
        size_t at = 0;
        for (int16_t v : fields) PutLe16(b, std::exchange(at, at + 2), uint16_t(v));
        return b;
    };
    const Case cases[] = {
        {"first row past the end row",
         {0x04, 0x00, 0x03, 0x00, 0x08, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00}, 4, 3},
        {"run-length, first row past the image", header({5, 2, 8, 1, 9, 1}), 5, 2},
        {"run-length, both rows before the image", header({5, 2, 8, 1, -3, -7}), 5, 2},
        {"raw, first row equal to the end row", header({2, 2, 8, 0, 1, 1}), 2, 2},
        {"run-length, first row equal to the end row past the image", header({3, 2, 8, 1, 7, 7}), 3, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        debug().Clear();
        CPixelSurface s;
        ASSERT_TRUE(Load(kFrameCompressed, c.file, &s, 0)) << traced();
        EXPECT_EQ(s.GetWidth(), c.width);
        EXPECT_EQ(s.GetHeight(), c.height);
        EXPECT_EQ(s.GetBitsPerPixel(), 8);
        EXPECT_EQ(surftest::Bytes(s), Bytes(size_t(c.width * c.height), 0));
        EXPECT_EQ(traced().find("LoadCompressedImageToSurface"), std::string::npos) << traced();
    }
}

TEST_F(ImageReadersTest, DamagedImagesLeaveWhatWasThereOrDecoded) {
    const IndexedPicture p = Picture();
    auto filled = [](int width, int height) {
        auto s = std::make_unique<CPixelSurface>();
        s->Create(int16_t(width), int16_t(height), 8);
        surftest::Fill(*s, Bytes(size_t(width * height), 0xEE));
        return s;
    };
    // A short header leaves the surface as it was.
    auto kept = filled(4, 4);
    EXPECT_FALSE(Load(kFrameCompressed, Bytes(10, 1), kept.get()));
    EXPECT_EQ(surftest::Bytes(*kept), Bytes(16, 0xEE));

    // Rows outside the coded range keep what the reused surface held.
    auto partial = filled(kWidth, kHeight);
    ASSERT_TRUE(Load(kFrameCompressed, CompressedImage(Direct(8, true), {.firstRow = 2, .endRow = 5}), partial.get()));
    for (int y = 0; y < kHeight; ++y) {
        const Bytes want = y >= 2 && y < 5 ? Bytes(p.pixels.begin() + y * kWidth, p.pixels.begin() + (y + 1) * kWidth)
                                           : Bytes(kWidth, 0xEE);
        EXPECT_EQ(surftest::Row8(*partial, y), ToString(want)) << y;
    }

    // A PCX cut in its second line keeps its first.
    Bytes pcx = PcxFile(p, {.tailMarker = false});
    pcx.resize(128 + 20);
    CPixelSurface s;
    EXPECT_FALSE(Load(kFramePcx, pcx, &s));
    EXPECT_EQ(surftest::Row8(s, 0), ToString(Bytes(p.pixels.begin(), p.pixels.begin() + kWidth)));
}

} // namespace
} // namespace vqt::test

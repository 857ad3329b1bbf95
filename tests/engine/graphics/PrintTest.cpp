// Printing a surface on the recording printer: where the picture lands on the page, the packed
// bitmap as the printer reads it (upright, in its colours, for every depth and pitch), and the
// answers and traces of every way a print can fail.
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/core/Window.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/graphics/Print.h"
#include "platform/headless/RecordingPrinter.h"
#include "tests/engine/graphics/GraphicsFixture.h"
#include "tests/engine/graphics/SurfaceTestSupport.h"

namespace {

using namespace surftest;
using plat::RecordingPrinter;

class PrintTest : public vqt::test::GraphicsTest {
public:
    void SetUp() override {
        GraphicsTest::SetUp();
        window = std::make_unique<OWindow>();
    }
    void TearDown() override {
        window.reset();
        GraphicsTest::TearDown();
    }
    RecordingPrinter& printer() { return static_cast<RecordingPrinter&>(plat::printer()); }
    bool Print(CDrawSurface& s, uint8_t prepare = 0, uint8_t landscape = 0, const char* name = "job") {
        return xPrint_Surface(name, &s, window.get(), prepare, landscape, 1);
    }
    /// The one picture of the one page of the last job.
    const RecordingPrinter::Draw& OnlyDraw() {
        const auto& job = printer().Jobs().back();
        EXPECT_TRUE(job.ended);
        EXPECT_EQ(job.pages.size(), 1u);
        EXPECT_EQ(job.pages.back().draws.size(), 1u);
        return job.pages.back().draws.back();
    }

    std::unique_ptr<OWindow> window;
};

/// A surface whose every pixel has its own bytes (row r, column c: a value of r and c).
template <class Surface>
void Pattern(Surface& s, int width, int height, int bits, int16_t format) {
    ASSERT_TRUE(s.Create(int16_t(width), int16_t(height), int16_t(bits)));
    s.SetPixelFormat(format);
    uint8_t* top = s.Lock();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * bits / 8; ++x) top[int64_t(s.GetPitch()) * y + x] = uint8_t(17 * y + 3 * x + 1);
    s.Unlock(0);
}

/// What a pixel of the surface looks like: 8 bits through its palette, 16 bits in its layout
/// (5-6-5 drops the low green bit that a 16-bit bitmap cannot hold), 24 bits as it is.
plat::Argb Shown(CDrawSurface& s, int x, int y) {
    const uint8_t* p = s.Lock() + int64_t(s.GetPitch()) * y + x * (s.GetBitsPerPixel() / 8);
    s.Unlock(0);
    if (s.GetBitsPerPixel() == 8) {
        const uint32_t c = s.EffectivePalette()->GetEntry(p[0]);
        return plat::MakeArgb(ColorRed(c), ColorGreen(c), ColorBlue(c));
    }
    if (s.GetBitsPerPixel() == 24) return plat::MakeArgb(p[2], p[1], p[0]);
    const uint16_t v = uint16_t(p[0] | (p[1] << 8));
    if (s.GetPixelFormat() != kPixelFormat565) return plat::Expand555(v);
    return plat::Expand555(uint16_t(((v >> 1) & 0x7FE0) | (v & 0x1F)));
}

TEST_F(PrintTest, ThePictureIsEnlargedCentredAndKeptInsideThePrintableArea) {
    CPixelSurface s;
    Pattern(s, 640, 480, 24, kPixelFormat24);
    // 600 dots per inch both ways: 6.9 x 0.92 times enlarged, sizes and corner truncated.
    ASSERT_TRUE(Print(s));
    const auto& draw = OnlyDraw();
    EXPECT_EQ(draw.x, 369);
    EXPECT_EQ(draw.y, 1776);
    EXPECT_EQ(draw.width, 4062);
    EXPECT_EQ(draw.height, 3047);
    // 1200 x 600 dots per inch: the aspect factor would carry the box past the page's sides.
    printer().SetCaps({9600, 6600, 1200, 600, true});
    ASSERT_TRUE(Print(s));
    const auto& wide = OnlyDraw();
    EXPECT_GE(wide.x, 0);
    EXPECT_GE(wide.y, 0);
    EXPECT_LE(wide.x + wide.width, 9600);
    EXPECT_LE(wide.y + wide.height, 6600);
    EXPECT_GT(wide.width, 9500);
    EXPECT_NEAR(wide.y * 2 + wide.height, 6600, 1);
    EXPECT_NEAR(double(wide.width) / wide.height, 640.0 * 2 * 2 / 480, 0.01) << "proportions kept";
}

TEST_F(PrintTest, EveryDepthAndPitchPrintsUprightInItsColours) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<CDrawSurface>()> make;
    };
    auto pixelSurface = [](int w, int h, int bits, int16_t format) {
        auto s = std::make_unique<CPixelSurface>();
        Pattern(*s, w, h, bits, format);
        return std::unique_ptr<CDrawSurface>(std::move(s));
    };
    const std::vector<Case> cases = {
        {"8 bits, odd width", [&] { return pixelSurface(7, 3, 8, kPixelFormat8); }},
        {"5-5-5", [&] { return pixelSurface(5, 4, 16, kPixelFormat555); }},
        {"5-6-5", [&] { return pixelSurface(5, 4, 16, kPixelFormat565); }},
        {"24 bits, odd width", [&] { return pixelSurface(5, 3, 24, kPixelFormat24); }},
        {"bitmap section stored bottom-up",
         [] {
             auto s = std::make_unique<CDIBSurface>();
             Pattern(*s, 6, 4, 16, kPixelFormat555);
             return std::unique_ptr<CDrawSurface>(std::move(s));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CDrawSurface> s = c.make();
        ASSERT_TRUE(Print(*s));
        const auto& draw = OnlyDraw();
        const int bits = s->GetBitsPerPixel();
        EXPECT_EQ(draw.header.bitCount, bits);
        EXPECT_EQ(draw.header.clrUsed, bits == 8 ? 256u : 0u) << "a colour count only with a colour table";
        EXPECT_EQ(draw.header.sizeImage, uint32_t(plat::DibStride(s->GetWidth(), bits) * s->GetHeight()));
        ASSERT_EQ(draw.picture.width, s->GetWidth());
        ASSERT_EQ(draw.picture.height, s->GetHeight());
        for (int y = 0; y < s->GetHeight(); ++y)
            for (int x = 0; x < s->GetWidth(); ++x) ASSERT_EQ(draw.picture.At(x, y), Shown(*s, x, y)) << x << "," << y;
    }
}

TEST_F(PrintTest, ThePreparedPictureIsTheOutlinePictureOfTheSurface) {
    CPixelSurface s;
    ASSERT_TRUE(s.Create(12, 8, 8));
    s.FillRect8(CClipRect(3, 2, 9, 6), 6); // a patch of the first place of a colour group
    ASSERT_TRUE(Print(s, 1));
    std::set<plat::Argb> colours(OnlyDraw().picture.pixels.begin(), OnlyDraw().picture.pixels.end());
    const uint32_t outline = s.EffectivePalette()->GetEntry(1), background = s.EffectivePalette()->GetEntry(0);
    EXPECT_EQ(colours, (std::set<plat::Argb>{plat::MakeArgb(ColorRed(outline), ColorGreen(outline), ColorBlue(outline)),
                                             plat::MakeArgb(ColorRed(background), ColorGreen(background),
                                                            ColorBlue(background))}));
    EXPECT_EQ(Row8(s, 2), std::string("\0\0\0\1\1\1\1\1\1\0\0\0", 12)) << "the surface keeps the outline picture";
    EXPECT_EQ(Row8(s, 3), std::string("\0\0\0\1\0\0\0\0\1\0\0\0", 12));
}

TEST_F(PrintTest, FailuresAreAnsweredFalseAndEndWhatWasStarted) {
    CPixelSurface s, empty;
    Pattern(s, 8, 6, 8, kPixelFormat8);
    struct Case {
        const char* name;
        std::function<bool(PrintTest&, CPixelSurface&)> print; ///< scripts the printer and prints
        std::vector<size_t> pictures; ///< per job's page (no job when empty; "-1" for no page)
        const char* trace;
    };
    auto scripted = [](void (*script)(RecordingPrinter&)) {
        return [script](PrintTest& t, CPixelSurface& s) {
            script(t.printer());
            return t.Print(s);
        };
    };
    const std::vector<Case> cases = {
        {"no default printer", scripted([](RecordingPrinter& p) { p.SetDefaultPrinter(""); }), {}, ""},
        {"no surface", [](PrintTest& t, CPixelSurface&) { return xPrint_Surface("j", nullptr, t.window.get(), 0, 0, 0); },
         {}, "Print - surface or window pointer invalid\n"},
        {"no window", [](PrintTest&, CPixelSurface& s) { return xPrint_Surface("j", &s, nullptr, 0, 0, 0); }, {},
         "Print - surface or window pointer invalid\n"},
        {"the job refused", scripted([](RecordingPrinter& p) { p.script().refuseStartDoc = true; }), {},
         "Print - the printer refused the job\n"},
        {"the page refused", scripted([](RecordingPrinter& p) { p.script().refuseStartPage = true; }), {size_t(-1)},
         "Print - the printer refused the page\n"},
        {"the picture refused", scripted([](RecordingPrinter& p) { p.script().refuseDraw = true; }), {0},
         "Print - the printer refused the picture\n"},
        {"the job not finished", scripted([](RecordingPrinter& p) { p.script().refuseEndDoc = true; }), {1},
         "Print - the print job could not be finished\n"},
        {"no stretching of bitmaps: an empty page",
         scripted([](RecordingPrinter& p) { p.SetCaps({4800, 6600, 600, 600, false}); }), {0},
         "Print - the printer cannot stretch bitmaps\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        plat::services().printer = std::make_unique<RecordingPrinter>();
        debug().Clear();
        EXPECT_FALSE(c.print(*this, s));
        EXPECT_EQ(traced(), c.trace);
        ASSERT_EQ(printer().Jobs().size(), c.pictures.size());
        if (c.pictures.empty()) continue;
        const auto& job = printer().Jobs()[0];
        EXPECT_TRUE(job.ended);
        ASSERT_EQ(job.pages.size(), c.pictures[0] == size_t(-1) ? 0u : 1u);
        if (!job.pages.empty()) {
            EXPECT_EQ(job.pages[0].draws.size(), c.pictures[0]);
        }
    }
    EXPECT_FALSE(Print(empty)) << "a surface without pixels";
}

TEST_F(PrintTest, TheJobIsNamedByTheCallerAndTakesTheOrientation) {
    CPixelSurface s;
    Pattern(s, 4, 4, 24, kPixelFormat24);
    ASSERT_TRUE(Print(s, 0, 1, "Certificate"));
    ASSERT_TRUE(Print(s, 0, 0, nullptr));
    ASSERT_TRUE(Print(s, 0, 0, ""));
    ASSERT_EQ(printer().Jobs().size(), 3u);
    EXPECT_EQ(printer().Jobs()[0].document, "Certificate");
    EXPECT_TRUE(printer().Jobs()[0].landscape);
    EXPECT_EQ(printer().Jobs()[1].document, "VQT Image");
    EXPECT_FALSE(printer().Jobs()[1].landscape);
    EXPECT_EQ(printer().Jobs()[2].document, "VQT Image");
}

} // namespace

// Every kernel cell against a per-pixel reference, over lengths 0-15, 64 and 640 and source and
// destination offsets 0-3, with guard bytes around the destination.
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/blit/Blitter.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/Kernels.h"
#include "tests/engine/graphics/GraphicsFixture.h"
#include "tests/engine/graphics/GraphicsOracle.h"

namespace {

using namespace oracle;

struct Line {
    const uint8_t* src;
    const uint8_t* before; // destination before the kernel ran
    const uint8_t* mask;
    const int16_t* columns;
    int n;
};

struct KernelCase {
    std::string name;
    DrawKernel kernel;
    int sBytes, dBytes;
    int16_t srcFormat, dstFormat;
    bool masked = false;
    bool stretched = false;
    // Writes the expected destination of the line into out (already holding "before").
    std::function<void(const Line&, uint8_t* out)> expect;
};

class KernelsTest : public vqt::test::GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        std::mt19937 rng(7);
        for (int i = 0; i < 256; ++i) srcPalette.SetEntry(i, ColorWord(uint8_t(rng()), uint8_t(rng()), uint8_t(rng())));
        for (int i = 0; i < 256; ++i) tint[i] = uint8_t(255 - i);
    }
    /// Runs the case with the vector forms and with the one-pixel loops alone.
    void Run(const KernelCase& k, const CDrawSettings& settings) {
        for (bool vector : {true, false}) {
            CDrawSettings both = settings;
            both.vectorCode = vector;
            RunOnce(k, both);
        }
    }
    void RunOnce(const KernelCase& k, const CDrawSettings& settings) {
        SCOPED_TRACE(k.name + (settings.vectorCode ? " (vector)" : " (one pixel)"));
        std::mt19937 rng(1234);
        const int lengths[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 64, 640};
        const int guard = 8;
        for (int n : lengths) {
            for (int so = 0; so < 4; ++so) {
                for (int dOff = 0; dOff < 4; ++dOff) {
                    const int srcPixels = k.stretched ? 700 : n;
                    std::vector<uint8_t> src = Pixels(rng, size_t(srcPixels) + 4, k.sBytes);
                    std::vector<uint8_t> dst = Pixels(rng, size_t(n) + 2 * guard + 4, k.dBytes, 1000);
                    std::vector<uint8_t> mask(size_t(n) + 8);
                    for (auto& m : mask) m = rng() % 3 == 0 ? 0 : uint8_t(rng() | 1);
                    std::vector<int16_t> columns(size_t(n) + 1);
                    for (auto& c : columns) c = int16_t(rng() % 700);

                    const size_t dStart = size_t(guard * k.dBytes + dOff);
                    std::vector<uint8_t> expected = dst;
                    Line l{src.data() + so, dst.data() + dStart, mask.data(), columns.data(), n};
                    k.expect(l, expected.data() + dStart);

                    CLineContext line;
                    line.srcLine = src.data() + so;
                    line.dstLine = dst.data() + dStart;
                    line.maskLine = k.masked ? mask.data() : nullptr;
                    line.columnTable = k.stretched ? columns.data() : nullptr;
                    line.pixelCount = int16_t(n);
                    line.byteCount = int16_t(n * k.dBytes);
                    line.srcPalette = &srcPalette;
                    line.dstPalette = &dstPalette;
                    line.srcFormat = k.srcFormat;
                    line.dstFormat = k.dstFormat;
                    k.kernel(line, settings);
                    ASSERT_EQ(dst, expected) << "n=" << n << " source offset " << so << " destination offset " << dOff;
                }
            }
        }
    }

    CColorPalette srcPalette;
    CColorPalette dstPalette; // default colours
    uint8_t tint[256];
};

// Reference helpers per pixel size.
template <typename F>
auto EachPixel(F f) {
    return [f](const Line& l, uint8_t* out) {
        for (int i = 0; i < l.n; ++i) f(l, i, out);
    };
}

std::vector<KernelCase> CopyAndTransparentCases(const CColorPalette& pal, const CColorPalette& dstPal, int layout) {
    std::vector<KernelCase> v;
    auto pal16 = [&pal, layout](uint8_t p) { return Pack(Of(pal.GetEntry(p)), layout); };
    v.push_back({"byte copy by pixels 8", kernels::ByteCopyByPixels, 1, 1, 0, 0, false, false,
                 EachPixel([](const Line& l, int i, uint8_t* o) { o[i] = l.src[i]; })});
    for (int bytes : {2, 3, 4})
        v.push_back({"byte copy " + std::to_string(bytes * 8), kernels::ByteCopy, bytes, bytes, 1, 1, false, false,
                     [bytes](const Line& l, uint8_t* o) { std::memcpy(o, l.src, size_t(l.n) * bytes); }});
    v.push_back({"transparent 8", kernels::Transparent8, 1, 1, 0, 0, false, false,
                 EachPixel([](const Line& l, int i, uint8_t* o) {
                     if (l.src[i]) o[i] = l.src[i];
                 })});
    for (bool skip : {false, true}) {
        v.push_back({std::string("palette to 16") + (skip ? " transparent" : ""),
                     skip ? kernels::PaletteTo16Transparent : kernels::PaletteTo16, 1, 2, 0, int16_t(layout), false,
                     false, EachPixel([=](const Line& l, int i, uint8_t* o) {
                         if (!skip || l.src[i]) Put16(o + 2 * i, pal16(l.src[i]));
                     })});
        v.push_back({std::string("palette to 24") + (skip ? " transparent" : ""),
                     skip ? kernels::PaletteTo24Transparent : kernels::PaletteTo24, 1, 3, 0, 3, false, false,
                     EachPixel([=, &pal](const Line& l, int i, uint8_t* o) {
                         if (skip && !l.src[i]) return;
                         const Rgb c = Of(pal.GetEntry(l.src[i]));
                         o[3 * i] = uint8_t(c.b);
                         o[3 * i + 1] = uint8_t(c.g);
                         o[3 * i + 2] = uint8_t(c.r);
                     })});
    }
    for (int16_t f : {int16_t(1), int16_t(2)}) {
        for (bool skip : {false, true})
            v.push_back({"16 to 24 fmt " + std::to_string(f) + (skip ? " transparent" : ""),
                         skip ? kernels::Color16To24Transparent : kernels::Color16To24, 2, 3, f, 3, false, false,
                         EachPixel([=](const Line& l, int i, uint8_t* o) {
                             const uint16_t s = Get16(l.src + 2 * i);
                             if (skip && !s) return;
                             const Rgb c = Expand16(s, f);
                             o[3 * i] = uint8_t(c.b);
                             o[3 * i + 1] = uint8_t(c.g);
                             o[3 * i + 2] = uint8_t(c.r);
                         })});
        v.push_back({"16 to palette fmt " + std::to_string(f), kernels::Color16ToPalette, 2, 1, f, 0, false, false,
                     EachPixel([=, &dstPal](const Line& l, int i, uint8_t* o) {
                         o[i] = uint8_t(NearestSum(dstPal, Word(Expand16(Get16(l.src + 2 * i), f))));
                     })});
        v.push_back({"16 transparent fmt " + std::to_string(f), kernels::Transparent16, 2, 2, f, f, false, false,
                     EachPixel([](const Line& l, int i, uint8_t* o) {
                         const uint16_t s = Get16(l.src + 2 * i);
                         if (s) Put16(o + 2 * i, s);
                     })});
        for (int16_t t : {int16_t(1), int16_t(2)}) {
            v.push_back({"24 to 16 fmt " + std::to_string(t), kernels::Color24To16, 3, 2, 3, t, false, false,
                         EachPixel([=](const Line& l, int i, uint8_t* o) {
                             const uint8_t* p = l.src + 3 * i;
                             if (!p[0] && !p[1] && !p[2]) return;
                             Put16(o + 2 * i, Pack({p[2] & 0xF8, p[1] & (t == 2 ? 0xFC : 0xF8), p[0] & 0xF8}, t));
                         })});
        }
    }
    v.push_back({"24 to 16 into a non-16 format", kernels::Color24To16, 3, 2, 3, 0, false, false,
                 [](const Line&, uint8_t*) {}});
    v.push_back({"555 to 565", kernels::Convert555To565, 2, 2, 1, 2, false, false,
                 EachPixel([](const Line& l, int i, uint8_t* o) { Put16(o + 2 * i, Convert16(Get16(l.src + 2 * i), 1, 2)); })});
    v.push_back({"565 to 555", kernels::Convert565To555, 2, 2, 2, 1, false, false,
                 EachPixel([](const Line& l, int i, uint8_t* o) { Put16(o + 2 * i, Convert16(Get16(l.src + 2 * i), 2, 1)); })});
    v.push_back({"555 to 565 transparent", kernels::Convert555To565Transparent, 2, 2, 1, 2, false, false,
                 EachPixel([](const Line& l, int i, uint8_t* o) {
                     const uint16_t s = Get16(l.src + 2 * i);
                     if (s) Put16(o + 2 * i, Convert16(s, 1, 2));
                 })});
    v.push_back({"565 to 555 transparent", kernels::Convert565To555Transparent, 2, 2, 2, 1, false, false,
                 EachPixel([](const Line& l, int i, uint8_t* o) {
                     const uint16_t s = Get16(l.src + 2 * i);
                     if (s) Put16(o + 2 * i, Convert16(s, 2, 1));
                 })});
    v.push_back({"24 transparent", kernels::Transparent24, 3, 3, 3, 3, false, false,
                 EachPixel([](const Line& l, int i, uint8_t* o) {
                     const uint8_t* p = l.src + 3 * i;
                     if (p[0] || p[1] || p[2]) std::memcpy(o + 3 * i, p, 3);
                 })});
    v.push_back({"24 to palette", kernels::Color24ToPalette, 3, 1, 3, 0, false, false,
                 EachPixel([&dstPal](const Line& l, int i, uint8_t* o) {
                     const uint8_t* p = l.src + 3 * i;
                     o[i] = (!p[0] && !p[1] && !p[2]) ? 0 : uint8_t(NearestSum(dstPal, Word({p[2], p[1], p[0]})));
                 })});
    return v;
}

TEST_F(KernelsTest, CopyAndTransparentCellsMatchTheReferenceInBothLayouts) {
    for (int16_t layout : {int16_t(1), int16_t(2)}) {
        xGraphics_SetPixelFormat(layout);
        for (const KernelCase& k : CopyAndTransparentCases(srcPalette, dstPalette, layout)) Run(k, {});
    }
}

TEST_F(KernelsTest, TintedMaskedMirroredAndStretchedCellsMatchTheReference) {
    CDrawSettings settings;
    settings.tintTable = tint;
    settings.tintColor = ColorWord(200, 40, 90);
    settings.tintLevel = 100;
    const CColorPalette& pal = srcPalette;
    const uint8_t* t = tint;
    std::vector<KernelCase> v;
    v.push_back({"tinted 8", kernels::Tinted8, 1, 1, 0, 0, false, false, EachPixel([t](const Line& l, int i, uint8_t* o) {
                     if (l.src[i]) o[i] = t[l.src[i]];
                 })});
    for (int16_t f : {int16_t(1), int16_t(2)})
        v.push_back({"tinted 8 to 16 fmt " + std::to_string(f), kernels::Tinted8To16, 1, 2, 0, f, false, false,
                     EachPixel([f, &pal](const Line& l, int i, uint8_t* o) {
                         if (!l.src[i]) return;
                         const Rgb c = Of(pal.GetEntry(l.src[i]));
                         const Rgb tc{200, 40, 90};
                         auto mix = [](int a, int z) { return int(std::floor(a + (z - a) * 100.0 / 256.0)); };
                         const Rgb m{mix(c.r, tc.r), mix(c.g, tc.g), mix(c.b, tc.b)};
                         Put16(o + 2 * i, Pack({m.r & 0xF8, m.g & (f == 2 ? 0xFC : 0xF8), m.b & 0xF8}, f));
                     })});
    v.push_back({"masked 8", kernels::Masked8, 1, 1, 0, 0, true, false, EachPixel([](const Line& l, int i, uint8_t* o) {
                     if (l.mask[i]) o[i] = l.src[i];
                 })});
    v.push_back({"masked 8 to 16", kernels::Masked8To16, 1, 2, 0, 1, true, false,
                 EachPixel([&pal](const Line& l, int i, uint8_t* o) {
                     if (l.mask[i]) Put16(o + 2 * i, Pack(Of(pal.GetEntry(l.src[i])), 1));
                 })});
    v.push_back({"masked 16", kernels::Masked16, 2, 2, 2, 2, true, false, EachPixel([](const Line& l, int i, uint8_t* o) {
                     if (l.mask[i]) std::memcpy(o + 2 * i, l.src + 2 * i, 2);
                 })});
    v.push_back({"mask destination", kernels::MaskDestination, 1, 1, 0, 0, false, false,
                 EachPixel([](const Line& l, int i, uint8_t* o) {
                     if (!l.src[i]) o[i] = 0;
                 })});
    v.push_back({"mirrored 8", kernels::Mirrored8, 1, 1, 0, 0, false, false,
                 EachPixel([](const Line& l, int i, uint8_t* o) { o[l.n - 1 - i] = l.src[i]; })});
    v.push_back({"mirrored transparent 8", kernels::MirroredTransparent8, 1, 1, 0, 0, false, false,
                 EachPixel([](const Line& l, int i, uint8_t* o) {
                     if (l.src[i]) o[l.n - 1 - i] = l.src[i];
                 })});
    v.push_back({"mirrored tinted 8", kernels::MirroredTinted8, 1, 1, 0, 0, false, false,
                 EachPixel([t](const Line& l, int i, uint8_t* o) {
                     if (l.src[i]) o[l.n - 1 - i] = t[l.src[i]];
                 })});
    v.push_back({"mirrored masked 8", kernels::MirroredMasked8, 1, 1, 0, 0, true, false,
                 EachPixel([](const Line& l, int i, uint8_t* o) {
                     if (l.mask[i]) o[l.n - 1 - i] = l.src[i];
                 })});
    v.push_back({"mirrored masked 16", kernels::MirroredMasked16, 2, 2, 1, 1, true, false,
                 EachPixel([](const Line& l, int i, uint8_t* o) {
                     if (l.mask[i]) std::memcpy(o + 2 * (l.n - 1 - i), l.src + 2 * i, 2);
                 })});
    const DrawKernel stretched[] = {kernels::StretchedMasked8, kernels::StretchedMasked16, kernels::StretchedMasked24,
                                    kernels::StretchedMasked32};
    for (int bytes = 1; bytes <= 4; ++bytes)
        v.push_back({"stretched masked " + std::to_string(bytes * 8), stretched[bytes - 1], bytes, bytes, 0, 0, true, true,
                     EachPixel([bytes](const Line& l, int j, uint8_t* o) {
                         if (l.mask[j]) std::memcpy(o + bytes * j, l.src + bytes * l.columns[j], size_t(bytes));
                     })});
    for (const KernelCase& k : v) Run(k, settings);
    EXPECT_EQ(traced(), "");
}

TEST_F(KernelsTest, Blended16MatchesTheSinglePixelFormForEveryFormatPairAndLevel) {
    for (int level : {0, 1, 64, 128, 200, 255}) {
        CDrawSettings settings;
        settings.blendLevel = int16_t(level);
        for (int16_t sf : {int16_t(1), int16_t(2)})
            for (int16_t df : {int16_t(1), int16_t(2)})
                Run({"blend " + std::to_string(sf) + "->" + std::to_string(df) + " L=" + std::to_string(level),
                     kernels::Blended16, 2, 2, sf, df, false, false,
                     EachPixel([=](const Line& l, int i, uint8_t* o) {
                         Put16(o + 2 * i, Blend(Get16(l.src + 2 * i), Get16(l.before + 2 * i), level, sf, df));
                     })},
                    settings);
        Run({"blend into a non-16 format", kernels::Blended16, 2, 2, 1, 3, false, false, [](const Line&, uint8_t*) {}},
            settings);
    }
}

TEST_F(KernelsTest, BlendEndpointsGiveTheSourceAndNearlyTheDestination) {
    // L = 0 gives the source, L = 255 the destination less at most one step per channel.
    for (uint32_t s = 0; s < 0x8000; s += 97)
        for (uint32_t d = 0; d < 0x8000; d += 131) {
            ASSERT_EQ(Blend16Pixel(uint16_t(s), uint16_t(d), 0, 1, 1), uint16_t(s));
            const uint16_t near = Blend16Pixel(uint16_t(s), uint16_t(d), 255, 1, 1);
            for (int shift : {0, 5, 10}) {
                const int got = (near >> shift) & 31, want = (d >> shift) & 31;
                ASSERT_LE(std::abs(got - want), 1);
            }
        }
}

TEST_F(KernelsTest, TintedKernelsWithoutATableWarnAndDrawTransparent) {
    uint8_t src[4] = {0, 5, 0, 7};
    uint8_t dst[4] = {9, 9, 9, 9};
    CLineContext line;
    line.srcLine = src;
    line.dstLine = dst;
    line.pixelCount = 4;
    kernels::Tinted8(line, {});
    EXPECT_EQ(std::vector<uint8_t>(dst, dst + 4), (std::vector<uint8_t>{9, 5, 9, 7}));
    EXPECT_EQ(traced(), "Warning - tinted draw called without tint palette set\n");
    std::fill(dst, dst + 4, 9);
    kernels::MirroredTinted8(line, {});
    EXPECT_EQ(std::vector<uint8_t>(dst, dst + 4), (std::vector<uint8_t>{7, 9, 5, 9}));
    EXPECT_NE(traced().find("Warning - flipped tinted draw called without tint palette set\n"), std::string::npos);
    std::fill(dst, dst + 4, 9);
    kernels::MirroredBlended8(line, {});
    EXPECT_EQ(std::vector<uint8_t>(dst, dst + 4), (std::vector<uint8_t>{7, 9, 5, 9}));
    EXPECT_NE(traced().find("Warning - flipped blended draw called without blend palette set\n"), std::string::npos);
}

TEST_F(KernelsTest, KernelsWithANullLineDrawNothing) {
    uint8_t buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    CLineContext line;
    line.srcLine = nullptr;
    line.dstLine = buffer;
    line.pixelCount = 4;
    line.byteCount = 4;
    for (DrawKernel k : {kernels::ByteCopy, kernels::ByteCopyByPixels, kernels::Mirrored8, kernels::Transparent16,
                         kernels::Color24ToPalette, kernels::Blended16})
        k(line, {});
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[7], 8);
}

TEST_F(KernelsTest, ConversionsIntoPaletteNeverPickTheReservedIndices) {
    // The default search range is 1..254: white (entry 0) and black (255) are found elsewhere.
    uint8_t src[4];
    Put16(src, 0x7FFF);
    Put16(src + 2, 0);
    uint8_t dst[2] = {};
    CLineContext line;
    line.srcLine = src;
    line.dstLine = dst;
    line.pixelCount = 2;
    line.srcFormat = 1;
    line.dstPalette = &dstPalette;
    kernels::Color16ToPalette(line, {});
    EXPECT_EQ(dst[0], 98); // (248, 248, 248) is nearest to FDFDFD
    EXPECT_EQ(dst[1], 1);  // black: the exact entry 1, not 255
    uint8_t src24[6] = {255, 255, 255, 0, 0, 0};
    line.srcLine = src24;
    kernels::Color24ToPalette(line, {});
    EXPECT_EQ(dst[0], 254); // white: entry 254, not 0
    EXPECT_EQ(dst[1], 0);   // black is the transparent colour: index 0
}

TEST_F(KernelsTest, ConversionsIntoAPaletteFollowEveryChangeOfThePalette) {
    // The same random pictures drawn again and again while the palette changes: the remembered
    // searches must never outlive the palette state they were made for.
    std::mt19937 rng(99);
    std::vector<uint8_t> src16 = Pixels(rng, 300, 2), src24 = Pixels(rng, 300, 3);
    for (size_t i = 0; i < 300; i += 3) std::memcpy(&src24[3 * (i + 1)], &src24[3 * i], 3); // repeated colours
    CColorPalette other;
    for (int round = 0; round < 6; ++round) {
        CColorPalette& pal = round == 5 ? other : dstPalette;
        if (round == 1 || round == 4) pal.SetEntry(int(rng() % 256), ColorWord(uint8_t(rng()), uint8_t(rng()), uint8_t(rng())));
        if (round == 2) pal.SetSearchRange(20, 200);
        if (round == 3)
            for (int e = 0; e < 256; ++e) pal.SetEntry(e, ColorWord(uint8_t(rng()), uint8_t(rng()), uint8_t(rng())));
        for (int16_t f : {int16_t(1), int16_t(2)}) {
            CLineContext line;
            std::vector<uint8_t> dst(300);
            line.srcLine = f == 1 ? src16.data() : src24.data();
            line.dstLine = dst.data();
            line.pixelCount = 300;
            line.srcFormat = f;
            line.dstPalette = &pal;
            (f == 1 ? kernels::Color16ToPalette : kernels::Color24ToPalette)(line, {});
            for (int i = 0; i < 300; ++i) {
                const uint8_t* p = &src24[3 * size_t(i)];
                const uint32_t colour = f == 1 ? Word(Expand16(Get16(&src16[2 * size_t(i)]), 1)) : Word({p[2], p[1], p[0]});
                const bool key = f == 2 && colour == 0;
                ASSERT_EQ(dst[size_t(i)], key ? 0 : uint8_t(NearestSum(pal, colour, pal.GetSearchFirst(), pal.GetSearchLast())))
                    << "round " << round << (f == 1 ? " 16-bit" : " 24-bit") << " pixel " << i;
            }
        }
    }
}

TEST(StretchIndex, BresenhamTablesAndOnePixelExtents) {
    int16_t t[16] = {};
    ASSERT_EQ(BuildStretchIndex(t, 0, 3, 0, 1), 4);
    EXPECT_EQ(std::vector<int16_t>(t, t + 4), (std::vector<int16_t>{0, 0, 1, 1}));
    ASSERT_EQ(BuildStretchIndex(t, 0, 3, 0, 7), 4);
    EXPECT_EQ(std::vector<int16_t>(t, t + 4), (std::vector<int16_t>{0, 2, 5, 7}));
    // Destination positions left of 0 get no entry.
    ASSERT_EQ(BuildStretchIndex(t, -2, 1, 0, 1), 2);
    EXPECT_EQ(std::vector<int16_t>(t, t + 2), (std::vector<int16_t>{1, 1}));
    // A one-pixel source fills the whole table with its position, not only entry 0.
    std::fill(t, t + 16, int16_t(-99));
    ASSERT_EQ(BuildStretchIndex(t, 0, 5, 7, 7), 6);
    EXPECT_EQ(std::vector<int16_t>(t, t + 6), (std::vector<int16_t>(6, 7)));
    EXPECT_EQ(t[6], -99);
    ASSERT_EQ(BuildStretchIndex(t, 0, 0, 3, 9), 1);
    EXPECT_EQ(t[0], 3);
}

TEST(KernelTables, FilledCellsAndEmptyOnes) {
    EXPECT_EQ(KernelCell(KernelTable::Copy, 16, 16), kernels::ByteCopy);
    EXPECT_EQ(KernelCell(KernelTable::Copy, 32, 32), kernels::ByteCopy);
    EXPECT_EQ(KernelCell(KernelTable::Transparent, 24, 16), KernelCell(KernelTable::Copy, 24, 16));
    EXPECT_EQ(KernelCell(KernelTable::Copy, 32, 16), nullptr);
    EXPECT_EQ(KernelCell(KernelTable::Transparent, 32, 16), nullptr);
    EXPECT_EQ(KernelCell(KernelTable::Tinted, 16, 16), nullptr);
    EXPECT_EQ(KernelCell(KernelTable::Blended, 8, 8), nullptr);
    EXPECT_EQ(KernelCell(KernelTable::Mask, 8, 8), kernels::MaskDestination);
    EXPECT_EQ(KernelCell(KernelTable::Copy, 12, 8), nullptr);
    EXPECT_EQ(DepthIndex(15), -1);
}

} // namespace

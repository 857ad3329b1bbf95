// Every line routine against an independent per-pixel model: lines of 0-15, 64 and 640 pixels,
// and of 20, 33 and 95 (groups of 32 and a rest), mirrored and not, in both 16-bit layouts, with
// guard bytes around the destination.
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/base/Trace.h"
#include "engine/blit/Blitter.h"
#include "tests/engine/blit/BlitFixture.h"
#include "tests/engine/blit/BlitModel.h"

using namespace blitmodel;

namespace {

const std::vector<int> kCounts = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 20, 33, 64, 95, 640};

enum class Walk { kPlain, kPlainX, kScaled, kScaledX };
enum class Rule { kSolid, kTrans, kSilhouette, kTint, kChannel, kField };

struct PlainCase {
    const char* name;
    BltFunc fn;
    int dstBits;
    Walk walk;
    Rule rule;
};

#define PLAIN(fn, ...) {#fn, fn, __VA_ARGS__}
using enum Walk;
using enum Rule;
const PlainCase kPlainCases[] = {
    PLAIN(BltSolid_8bTo8b, 8, kPlain, kSolid), PLAIN(BltSolidX_8bTo8b, 8, kPlainX, kSolid),
    PLAIN(BltTrans_8bTo8b, 8, kPlain, kTrans), PLAIN(BltTransX_8bTo8b, 8, kPlainX, kTrans),
    PLAIN(BltSilhouette_8bTo8b, 8, kPlain, kSilhouette), PLAIN(BltScaledSolid_8bTo8b, 8, kScaled, kSolid),
    PLAIN(BltScaledSolidX_8bTo8b, 8, kScaledX, kSolid), PLAIN(BltScaledTrans_8bTo8b, 8, kScaled, kTrans),
    PLAIN(BltScaledTransX_8bTo8b, 8, kScaledX, kTrans), PLAIN(BltSolid_8bTo16b, 16, kPlain, kSolid),
    PLAIN(BltSolidX_8bTo16b, 16, kPlainX, kSolid), PLAIN(BltTrans_8bTo16b, 16, kPlain, kTrans),
    PLAIN(BltTransX_8bTo16b, 16, kPlainX, kTrans), PLAIN(BltSilhouette_8bTo16b, 16, kPlain, kSilhouette),
    PLAIN(BltScaledSolid_8bTo16b, 16, kScaled, kSolid), PLAIN(BltScaledSolidX_8bTo16b, 16, kScaledX, kSolid),
    PLAIN(BltScaledTrans_8bTo16b, 16, kScaled, kTrans), PLAIN(BltScaledTransX_8bTo16b, 16, kScaledX, kTrans),
    PLAIN(BltTinted_8bTo16b, 16, kPlain, kTint), PLAIN(BltTintedX_8bTo16b, 16, kPlainX, kTint),
    PLAIN(BltScaledTinted_8bTo16b, 16, kScaled, kTint), PLAIN(BltScaledTintedX_8bTo16b, 16, kScaledX, kTint),
    PLAIN(BltBlended_8bTo16b, 16, kPlain, kField), PLAIN(BltBlendedX_8bTo16b, 16, kPlainX, kChannel),
    PLAIN(BltScaledBlended_8bTo16b, 16, kScaled, kChannel), PLAIN(BltScaledBlendedX_8bTo16b, 16, kScaledX, kChannel),
    PLAIN(BltSolid_8bTo24b, 24, kPlain, kSolid), PLAIN(BltSolidX_8bTo24b, 24, kPlainX, kSolid),
    PLAIN(BltTrans_8bTo24b, 24, kPlain, kTrans), PLAIN(BltTransX_8bTo24b, 24, kPlainX, kTrans),
    PLAIN(BltScaledTrans_8bTo24b, 24, kScaled, kTrans), PLAIN(BltScaledTransX_8bTo24b, 24, kScaledX, kTrans),
};

enum class CompRule { kSolid8, kTrans8, kSolid16, kTrans16, kTint16, kChannel16, kField16, kSolid24, kTrans24 };

struct CompCase {
    const char* name;
    BltCompFunc fn;
    int dstBits;
    bool mirrored;
    CompRule rule;
};

#define COMP(fn, ...) {#fn, fn, __VA_ARGS__}
using enum CompRule;
const CompCase kCompCases[] = {
    COMP(BltCompSolid_8bTo8b, 8, false, kSolid8), COMP(BltCompSolidX_8bTo8b, 8, true, kSolid8),
    COMP(BltCompTrans_8bTo8b, 8, false, kTrans8), COMP(BltCompTransX_8bTo8b, 8, true, kTrans8),
    COMP(BltCompSolid_8bTo16b, 16, false, kSolid16), COMP(BltCompSolidX_8bTo16b, 16, true, kSolid16),
    COMP(BltCompTrans_8bTo16b, 16, false, kTrans16), COMP(BltCompTransX_8bTo16b, 16, true, kTrans16),
    COMP(BltCompTinted_8bTo16b, 16, false, kTint16), COMP(BltCompTintedX_8bTo16b, 16, true, kTint16),
    COMP(BltCompBlended_8bTo16b, 16, false, kField16), COMP(BltCompBlendedX_8bTo16b, 16, true, kChannel16),
    COMP(BltCompSolid_8bTo24b, 24, false, kSolid24), COMP(BltCompTrans_8bTo24b, 24, false, kTrans24),
    COMP(BltCompTransX_8bTo24b, 24, true, kTrans24),
};

constexpr size_t kGuard = 32;

class BltRoutinesTest : public BlitFixture {
protected:
    void SetUp() override {
        BlitFixture::SetUp();
        xTrace_Keys().logging = 0;
    }

    std::mt19937 rng{2024};

    std::vector<uint8_t> RandomBytes(size_t n, int zeroPercent) {
        std::vector<uint8_t> v(n);
        for (auto& b : v) b = static_cast<int>(rng() % 100) < zeroPercent ? 0 : static_cast<uint8_t>(rng() % 256);
        return v;
    }

    /// The value of pixel j of a destination line of the given depth, as an integer.
    static uint32_t Get(const std::vector<uint8_t>& buf, size_t j, int bits) {
        const size_t bpp = static_cast<size_t>(bits / 8);
        uint32_t v = 0;
        for (size_t b = 0; b < bpp; ++b) v |= uint32_t{buf[kGuard + j * bpp + b]} << (8 * b);
        return v;
    }
    static void Set(std::vector<uint8_t>& buf, size_t j, int bits, uint32_t v) {
        const size_t bpp = static_cast<size_t>(bits / 8);
        for (size_t b = 0; b < bpp; ++b) buf[kGuard + j * bpp + b] = static_cast<uint8_t>(v >> (8 * b));
    }
};

/// 24-bit pixel value (blue, green, red in memory) of a colour word.
uint32_t Bgr(uint32_t colour) { return uint32_t(B(colour)) | uint32_t(G(colour)) << 8 | uint32_t(R(colour)) << 16; }

TEST_F(BltRoutinesTest, PlainAndScaledRoutinesMatchTheModel) {
    // Once with the plain code forced and once as the processor chooses (vector lookups).
    for (int vector : {0, -1})
    for (int layout : {1, 2}) {
        auto palette = ProbePalette(layout);
        const uint32_t* e = palette->Entries();
        BltSettings& s = BltContext();
        s.vectorCode = static_cast<int8_t>(vector);
        s.BltDstPixelFormat = static_cast<int16_t>(layout);
        for (const PlainCase& c : kPlainCases) {
            for (int count : kCounts) {
                for (int variant = 0; variant < 3; ++variant) {
                    s.BltTintColor = static_cast<uint32_t>(rng() & 0xFFFFFF);
                    s.BltTintLevel = static_cast<int16_t>(variant == 0 ? 0 : (variant == 1 ? 256 : rng() % 257));
                    s.BltBlendLevel = static_cast<int16_t>(variant == 0 ? 255 : (variant == 1 ? 0 : rng() % 256));
                    const int bpp = c.dstBits / 8;
                    const size_t srcLen = static_cast<size_t>(count) * 2 + 3;
                    const std::vector<uint8_t> src = RandomBytes(srcLen + 8, 30);
                    const int16_t origin = static_cast<int16_t>(rng() % 8);
                    std::vector<uint16_t> table(static_cast<size_t>(count) + 1);
                    for (auto& t : table) t = static_cast<uint16_t>(rng() % srcLen);
                    s.BltScaleTableX = table.data();
                    s.BltScaleOriginX = origin;
                    const bool scaled = c.walk == Walk::kScaled || c.walk == Walk::kScaledX;
                    const uint8_t* srcPtr = scaled ? src.data() + origin : src.data();

                    std::vector<uint8_t> dst = RandomBytes(2 * kGuard + static_cast<size_t>(count * bpp), 0);
                    std::vector<uint8_t> expect = dst;
                    for (int j = 0; j < count; ++j) {
                        size_t si = 0;
                        switch (c.walk) {
                        case Walk::kPlain: si = static_cast<size_t>(j); break;
                        case Walk::kPlainX: si = static_cast<size_t>(count - 1 - j); break;
                        case Walk::kScaled: si = table[static_cast<size_t>(j)]; break;
                        case Walk::kScaledX: si = table[static_cast<size_t>(count - 1 - j)]; break;
                        }
                        const uint8_t v = src[si];
                        const uint32_t d = Get(expect, static_cast<size_t>(j), c.dstBits);
                        uint32_t out = d;
                        const uint16_t packed = Pack(R(e[v]), G(e[v]), B(e[v]), layout);
                        switch (c.rule) {
                        case Rule::kSolid:
                            out = c.dstBits == 8 ? v : (c.dstBits == 16 ? packed : Bgr(e[v]));
                            break;
                        case Rule::kTrans:
                            if (v) out = c.dstBits == 8 ? v : (c.dstBits == 16 ? packed : Bgr(e[v]));
                            break;
                        case Rule::kSilhouette:
                            if (v) out = c.dstBits == 8 ? 0 : Pack(R(e[0]), G(e[0]), B(e[0]), layout);
                            break;
                        case Rule::kTint:
                            if (v) out = TintModel(e[v], s.BltTintColor, s.BltTintLevel, layout);
                            break;
                        case Rule::kChannel:
                            if (v) out = ChannelBlendModel(e[v], static_cast<uint16_t>(d), s.BltBlendLevel, layout);
                            break;
                        case Rule::kField:
                            if (v) out = FieldBlendModel(packed, static_cast<uint16_t>(d), s.BltBlendLevel, layout);
                            break;
                        }
                        Set(expect, static_cast<size_t>(j), c.dstBits, out);
                    }
                    c.fn(srcPtr, static_cast<int16_t>(count), dst.data() + kGuard, palette.get());
                    ASSERT_EQ(dst, expect) << c.name << " layout " << layout << " count " << count << " variant "
                                           << variant << " vector " << vector;
                }
            }
        }
    }
}

TEST_F(BltRoutinesTest, NegativeCountsDrawNothing) {
    auto palette = ProbePalette(2);
    BltContext().BltDstPixelFormat = 2;
    const std::vector<uint8_t> src(64, 9);
    std::vector<uint16_t> table(64, 0);
    BltContext().BltScaleTableX = table.data();
    for (const PlainCase& c : kPlainCases) {
        std::vector<uint8_t> dst(256, 0xAB);
        c.fn(src.data(), -5, dst.data() + 64, palette.get());
        EXPECT_EQ(dst, std::vector<uint8_t>(256, 0xAB)) << c.name;
    }
    for (BltFunc fn : {BltSolid_16bTo16b, BltTrans_16bTo16b, BltScaledSolid_16bTo16b, BltScaledTrans_16bTo16b,
                       BltSolid_16bTo24b}) {
        std::vector<uint8_t> dst(256, 0xAB);
        fn(src.data(), -4, dst.data() + 64, palette.get());
        EXPECT_EQ(dst, std::vector<uint8_t>(256, 0xAB));
    }
}

TEST_F(BltRoutinesTest, SixteenBitSourcesConvertTheirLayout) {
    BltSettings& s = BltContext();
    for (int srcFormat : {0, 1, 2, 7}) {
        for (int dstFormat : {0, 1, 2, 7}) {
            s.BltSrcPixelFormat = static_cast<int16_t>(srcFormat);
            s.BltDstPixelFormat = static_cast<int16_t>(dstFormat);
            for (int count : kCounts) {
                const int bytes = count * 2 + (count % 3 == 1 ? 1 : 0);  // odd byte counts too
                std::vector<uint8_t> src = RandomBytes(static_cast<size_t>(bytes) + 2, 0);
                s.BltColorKey16 = static_cast<uint16_t>(src.size() >= 2 ? src[0] | src[1] << 8 : 0);
                for (bool keyed : {false, true}) {
                    std::vector<uint8_t> dst = RandomBytes(2 * kGuard + static_cast<size_t>(bytes), 0);
                    std::vector<uint8_t> expect = dst;
                    if (srcFormat == dstFormat && !keyed) {
                        std::memcpy(expect.data() + kGuard, src.data(), static_cast<size_t>(bytes));
                    } else if (srcFormat == dstFormat || srcFormat == 1 || srcFormat == 2) {
                        for (int j = 0; j < bytes / 2; ++j) {
                            const uint16_t v = static_cast<uint16_t>(src[2 * j] | src[2 * j + 1] << 8);
                            if (keyed && v == s.BltColorKey16) continue;
                            uint16_t out = v;
                            if (srcFormat != dstFormat) {
                                const int r = srcFormat == 1 ? (v >> 10) & 31 : v >> 11;
                                const int g = srcFormat == 1 ? ((v >> 5) & 31) << 1 : (v >> 5) & 63;
                                const int b = v & 31;
                                out = srcFormat == 1 ? static_cast<uint16_t>(r << 11 | g << 5 | b)
                                                     : static_cast<uint16_t>(r << 10 | (g >> 1) << 5 | b);
                            }
                            expect[kGuard + 2 * j] = static_cast<uint8_t>(out);
                            expect[kGuard + 2 * j + 1] = static_cast<uint8_t>(out >> 8);
                        }
                    }
                    (keyed ? BltTrans_16bTo16b : BltSolid_16bTo16b)(src.data(), static_cast<int16_t>(bytes),
                                                                     dst.data() + kGuard, nullptr);
                    ASSERT_EQ(dst, expect) << srcFormat << "->" << dstFormat << " count " << count << " keyed "
                                           << keyed;
                }
            }
        }
    }
}

TEST_F(BltRoutinesTest, ScaledSixteenBitSourcesCopyRawValues) {
    BltSettings& s = BltContext();
    s.BltSrcPixelFormat = 1;
    s.BltDstPixelFormat = 2;  // no conversion on the scaled path
    for (int count : kCounts) {
        const size_t srcPixels = static_cast<size_t>(count) + 5;
        std::vector<uint8_t> src = RandomBytes(srcPixels * 2, 20);
        std::vector<uint16_t> table(static_cast<size_t>(count) + 1);
        for (auto& t : table) t = static_cast<uint16_t>(3 + rng() % (srcPixels - 3));
        s.BltScaleTableX = table.data();
        s.BltScaleOriginX = 3;
        s.BltColorKey16 = static_cast<uint16_t>(src[6] | src[7] << 8);
        for (bool keyed : {false, true}) {
            std::vector<uint8_t> dst = RandomBytes(2 * kGuard + static_cast<size_t>(count) * 2, 0);
            std::vector<uint8_t> expect = dst;
            for (int j = 0; j < count; ++j) {
                const size_t i = table[static_cast<size_t>(j)];
                const uint16_t v = static_cast<uint16_t>(src[2 * i] | src[2 * i + 1] << 8);
                if (keyed && v == s.BltColorKey16) continue;
                Set(expect, static_cast<size_t>(j), 16, v);
            }
            (keyed ? BltScaledTrans_16bTo16b : BltScaledSolid_16bTo16b)(src.data() + 6, static_cast<int16_t>(count),
                                                                        dst.data() + kGuard, nullptr);
            ASSERT_EQ(dst, expect) << count << " keyed " << keyed;
        }
    }
}

TEST_F(BltRoutinesTest, SixteenBitSourcesExpandInto24Bits) {
    BltSettings& s = BltContext();
    for (int format : {0, 1, 2, 3}) {
        s.BltSrcPixelFormat = static_cast<int16_t>(format);
        for (int count : kCounts) {
            const int bytes = count * 2 + (count % 2);
            std::vector<uint8_t> src = RandomBytes(static_cast<size_t>(bytes) + 1, 0);
            std::vector<uint8_t> dst = RandomBytes(2 * kGuard + static_cast<size_t>(bytes / 2) * 3, 0);
            std::vector<uint8_t> expect = dst;
            if (format == 1 || format == 2) {
                for (int j = 0; j < bytes / 2; ++j) {
                    const int v = src[2 * j] | src[2 * j + 1] << 8;
                    const int r = format == 1 ? ((v >> 10) & 31) << 3 : (v >> 11) << 3;
                    const int g = format == 1 ? ((v >> 5) & 31) << 3 : ((v >> 5) & 63) << 2;
                    const int b = (v & 31) << 3;
                    Set(expect, static_cast<size_t>(j), 24, static_cast<uint32_t>(b | g << 8 | r << 16));
                }
            }
            BltSolid_16bTo24b(src.data(), static_cast<int16_t>(bytes), dst.data() + kGuard, nullptr);
            ASSERT_EQ(dst, expect) << format << " count " << count;
        }
    }
}

TEST_F(BltRoutinesTest, CompressedReadersMatchTheModel) {
    // Blocks: 0 covers 5 pixels, 1 nests block 0 and covers 6, 2 is a literal of 3.
    const auto b0 = LineBuilder().Run(2, 17).Skip(1).Holes({0, 33}).Done();
    const auto b1 = LineBuilder().Skip(1).Ref(5, 0).Done();
    const auto b2 = LineBuilder().Literal({40, 0, 41}).Done();
    const std::vector<uint8_t> blocks = MakeBlockTable({b0, b1, b2});
    const std::vector<int> blockPixels = {5, 6, 3};

    for (int layout : {1, 2}) {
        auto palette = ProbePalette(layout);
        const uint32_t* e = palette->Entries();
        BltSettings& s = BltContext();
        s.BltDstPixelFormat = static_cast<int16_t>(layout);
        for (int width : kCounts) {
            for (int variant = 0; variant < 6; ++variant) {
                std::vector<uint8_t> line;
                if (variant < 3) {
                    const auto row = RandomRow(rng, width);
                    line.resize(VQTRLE_MaxLineBytes(width));
                    const int32_t n = VQTRLE_CompressLine(row.data(), static_cast<int16_t>(width), line.data(), line.size());
                    line.resize(static_cast<size_t>(n));
                    if (line.empty()) line = {0x80};
                } else {
                    line = RandomRecords(rng, width, blockPixels);
                }
                ASSERT_TRUE(VQTRLE_ValidateLine(line.data(), line.size(), static_cast<int16_t>(width), blocks.data(),
                                                blocks.size()));
                const std::vector<Event> events = Decode(line.data(), width, blocks.data());
                s.BltTintColor = static_cast<uint32_t>(rng() & 0xFFFFFF);
                s.BltTintLevel = static_cast<int16_t>(rng() % 257);
                s.BltBlendLevel = static_cast<int16_t>(variant == 0 ? 0 : (variant == 1 ? 255 : rng() % 256));
                for (const CompCase& c : kCompCases) {
                    for (int vector : {0, -1, 1}) {
                        if (vector == 1 && c.rule != CompRule::kField16) continue;
                        s.vectorCode = static_cast<int8_t>(vector);
                        const int bpp = c.dstBits / 8;
                        std::vector<uint8_t> dst = RandomBytes(2 * kGuard + static_cast<size_t>(width * bpp), 0);
                        std::vector<uint8_t> expect = dst;
                        for (int x = 0; x < width; ++x) {
                            const Event ev = events[static_cast<size_t>(x)];
                            const size_t j = static_cast<size_t>(c.mirrored ? width - 1 - x : x);
                            const uint32_t d = Get(expect, j, c.dstBits);
                            const uint8_t v = ev.value;
                            const uint16_t packed = Pack(R(e[v]), G(e[v]), B(e[v]), layout);
                            const uint16_t packed0 = Pack(R(e[0]), G(e[0]), B(e[0]), layout);
                            uint32_t out = d;
                            const bool value = ev.kind == Event::kValue;
                            const bool hole = ev.kind == Event::kHole;
                            switch (c.rule) {
                            case CompRule::kSolid8: out = value ? v : 0; break;
                            case CompRule::kTrans8: out = value ? v : d; break;
                            case CompRule::kSolid16: out = value ? packed : (hole ? packed0 : d); break;
                            case CompRule::kTrans16: out = value ? packed : d; break;
                            case CompRule::kTint16:
                                out = value ? TintModel(e[v], s.BltTintColor, s.BltTintLevel, layout) : d;
                                break;
                            case CompRule::kChannel16:
                                out = value ? ChannelBlendModel(e[v], static_cast<uint16_t>(d), s.BltBlendLevel, layout) : d;
                                break;
                            case CompRule::kField16:
                                out = value ? FieldBlendModel(packed, static_cast<uint16_t>(d), s.BltBlendLevel, layout) : d;
                                break;
                            case CompRule::kSolid24:
                                out = value ? Bgr(e[v]) : (hole ? Bgr(e[0]) : (ev.kind == Event::kSkip ? d : 0));
                                break;
                            case CompRule::kTrans24: out = value ? Bgr(e[v]) : d; break;
                            }
                            Set(expect, j, c.dstBits, out);
                        }
                        c.fn(line.data(), static_cast<int16_t>(width), dst.data() + kGuard, blocks.data(), palette.get());
                        ASSERT_EQ(dst, expect) << c.name << " layout " << layout << " width " << width << " variant "
                                               << variant << " vector " << vector;
                    }
                }
            }
        }
    }
}

} // namespace

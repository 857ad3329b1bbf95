// Random draws between random surfaces compared with a per-pixel model of the draw rules:
// sizes, depths, formats, rectangles partly off either surface, every mode, mirrored and
// stretched. Draws that run through the blitters' line routines are checked for their
// footprint: nothing outside the pixels the draw may touch changes.
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/blit/ColorPalette.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/engine/graphics/GraphicsFixture.h"
#include "tests/engine/graphics/GraphicsOracle.h"
#include "tests/engine/graphics/SurfaceTestSupport.h"

namespace {

using namespace oracle;

struct Kind {
    int bits;
    int16_t format;
};
constexpr Kind kKinds[] = {{8, 0}, {16, 1}, {16, 2}, {24, 3}, {32, 0}};

enum class Op { None, Footprint, Exact };

struct Model {
    std::mt19937 rng;
    // Draw description.
    Kind sk{}, dk{};
    int sw = 0, sh = 0, dw = 0, dh = 0;
    CClipRect src, dst;
    uint32_t mode = 0;
    bool mirrored = false;
    CPoint16 maskPoint;
    int mw = 0, mh = 0;
    std::vector<uint8_t> srcBytes, dstBytes, maskBytes;
    const CColorPalette* srcPal = nullptr;
    const CColorPalette* dstPal = nullptr;
    const uint8_t* tint = nullptr;
    int blendLevel = 0;

    int Rand(int lo, int hi) { return lo + int(rng() % uint32_t(hi - lo + 1)); }

    // What the draw does for the depth pair and mode.
    Op Operation(bool stretched) const {
        const int s = sk.bits, d = dk.bits;
        if (stretched) {
            if (mode <= 3) return Op::Footprint;
            if (mode == 4) return s == d ? Op::Exact : Op::None;
            return Op::None;
        }
        if (mirrored) {
            switch (mode) {
            case 0:
            case 1:
            case 2:
            case 3:
                if (s == 8 && d == 8) return Op::Exact;
                if (s == 8 && (d == 16 || d == 24) && mode <= 1) return Op::Footprint;
                if (s == 8 && d == 16) return Op::Footprint;
                return Op::None;
            case 4: return (s == 8 && d == 8) || (s == 16 && d == 16) ? Op::Exact : Op::None;
            default: return Op::None;
            }
        }
        switch (mode) {
        case 0:
            if (s == d && sk.format == dk.format) return Op::Exact;
            if ((s == 8 && (d == 16 || d == 24)) || (s == 16 && (d == 8 || d == 16 || d == 24)) ||
                (s == 24 && (d == 8 || d == 16)))
                return Op::Exact;
            return Op::None;
        case 1:
            if ((s == 8 && (d == 8 || d == 16 || d == 24)) || (s == 16 && (d == 16 || d == 24)) ||
                (s == 24 && (d == 16 || d == 24)))
                return Op::Exact;
            return Op::None;
        case 2: return s == 8 && (d == 8 || d == 16) ? Op::Exact : Op::None;
        case 3:
        case 5: return s == 16 && d == 16 ? Op::Exact : Op::None;
        case 4: return (s == 8 && (d == 8 || d == 16)) || (s == 16 && d == 16) ? Op::Exact : Op::None;
        default: return Op::None;
        }
    }

    // The value a drawn pixel takes (sp source pixel bytes, dp destination pixel bytes, in place).
    void Pixel(const uint8_t* sp, uint8_t* dp) const {
        const int s = sk.bits, d = dk.bits;
        const int sb = s / 8;
        if (mode == 4 || (mode == 0 && s == d && sk.format == dk.format)) {
            if (s == 8 && d == 16) Put16(dp, Pack(Of(srcPal->GetEntry(sp[0])), xGraphics_PixelFormat() == 2 ? 2 : 1));
            else std::memcpy(dp, sp, size_t(sb));
            return;
        }
        const bool zero = (s == 8 && sp[0] == 0) || (s == 16 && Get16(sp) == 0) ||
                          (s == 24 && !sp[0] && !sp[1] && !sp[2]);
        const int layout = xGraphics_PixelFormat() == 2 ? 2 : 1;
        if (mode == 3 || mode == 5) {
            if (s == 8) { // mirrored 8-bit blend: transparent
                if (!zero) dp[0] = sp[0];
                return;
            }
            Put16(dp, Blend(Get16(sp), Get16(dp), blendLevel, sk.format, dk.format));
            return;
        }
        if (mode == 2) {
            if (zero) return;
            if (d == 8) dp[0] = tint ? tint[sp[0]] : sp[0];
            else {
                const Rgb c = Of(srcPal->GetEntry(sp[0]));
                Put16(dp, Pack({c.r & 0xF8, c.g & (dk.format == 2 ? 0xFC : 0xF8), c.b & 0xF8}, dk.format));
            }
            return;
        }
        if (mode == 1 && zero && !(s == 24 && d == 16)) return;
        if (s == 8) {
            if (d == 8) dp[0] = sp[0];
            else if (d == 16) Put16(dp, Pack(Of(srcPal->GetEntry(sp[0])), layout));
            else {
                const Rgb c = Of(srcPal->GetEntry(sp[0]));
                dp[0] = uint8_t(c.b), dp[1] = uint8_t(c.g), dp[2] = uint8_t(c.r);
            }
        } else if (s == 16) {
            const Rgb c = Expand16(Get16(sp), sk.format);
            if (d == 8) dp[0] = uint8_t(NearestSum(*dstPal, Word(c)));
            else if (d == 16) Put16(dp, Convert16(Get16(sp), sk.format, dk.format));
            else dp[0] = uint8_t(c.b), dp[1] = uint8_t(c.g), dp[2] = uint8_t(c.r);
        } else if (s == 24) {
            if (d == 8) dp[0] = zero ? 0 : uint8_t(NearestSum(*dstPal, Word({sp[2], sp[1], sp[0]})));
            else if (d == 16) {
                if (!zero)
                    Put16(dp, Pack({sp[2] & 0xF8, sp[1] & (dk.format == 2 ? 0xFC : 0xF8), sp[0] & 0xF8}, dk.format));
            } else if (!zero) std::memcpy(dp, sp, 3);
        }
    }

    static int Stretch(int k, int destCount, int s0, int s1) {
        const int sn = s1 - s0;
        const int dn = destCount - 1;
        if (dn == 0 || sn == 0) return s0;
        return s0 + (2 * k * sn + dn) / (2 * dn);
    }

    // Expected destination; also fills `may` with the pixels a footprint draw may change.
    std::vector<uint8_t> Expect(std::vector<uint8_t>& may) const {
        std::vector<uint8_t> out = dstBytes;
        may.assign(size_t(dw * dh), 0);
        const int sW = src.right - src.left, sH = src.bottom - src.top;
        const int dW = dst.right - dst.left, dH = dst.bottom - dst.top;
        const bool stretched = !(sW == dW && sH == dH);
        if (dW <= 0 || dH <= 0 || sW <= 0 || sH <= 0) return out;
        const Op op = Operation(stretched);
        if (op == Op::None) return out;
        struct Hit {
            int x, y, c, r;
        };
        std::vector<Hit> hits;
        for (int y = std::max(0, int(dst.top)); y < std::min(dh, int(dst.bottom)); ++y) {
            for (int x = std::max(0, int(dst.left)); x < std::min(dw, int(dst.right)); ++x) {
                const int k = x - dst.left, i = y - dst.top;
                int c, r;
                if (!stretched) {
                    c = mirrored ? src.right - 1 - k : src.left + k;
                    r = src.top + i;
                } else {
                    const bool mirrorColumns = mirrored && mode != 4;
                    c = Stretch(mirrorColumns ? dW - 1 - k : k, dW, src.left, src.right - 1);
                    r = Stretch(i, dH, src.top, src.bottom - 1);
                }
                if (c < 0 || c >= sw || r < 0 || r >= sh) continue;
                hits.push_back({x, y, c, r});
            }
        }
        if (hits.empty()) return out;
        int minC = sw, minR = sh, minX = dw, minY = dh;
        for (const Hit& h : hits) {
            minC = std::min(minC, h.c), minR = std::min(minR, h.r);
            minX = std::min(minX, h.x), minY = std::min(minY, h.y);
        }
        const int sb = sk.bits / 8, db = dk.bits / 8;
        for (const Hit& h : hits) {
            if (op == Op::Footprint) {
                may[size_t(h.y * dw + h.x)] = 1;
                continue;
            }
            if (mode == 4) {
                const int mx = maskPoint.x + (stretched ? h.x - minX : h.c - minC);
                const int my = maskPoint.y + (stretched ? h.y - minY : h.r - minR);
                if (mx < 0 || my < 0 || mx >= mw || my >= mh || maskBytes[size_t(my * mw + mx)] == 0) continue;
            }
            Pixel(srcBytes.data() + size_t(h.r * sw + h.c) * sb, out.data() + size_t(h.y * dw + h.x) * db);
        }
        return out;
    }
};

class DrawPropertyTest : public vqt::test::GraphicsTest {};

TEST_F(DrawPropertyTest, RandomDrawsMatchThePerPixelModel) {
    Model m;
    m.rng.seed(20240601);
    CColorPalette randomPalette;
    for (int i = 0; i < 256; ++i)
        randomPalette.SetEntry(i, ColorWord(uint8_t(m.rng()), uint8_t(m.rng()), uint8_t(m.rng())));
    uint8_t tint[256];
    for (int i = 0; i < 256; ++i) tint[i] = uint8_t(m.rng());
    int exact = 0, footprint = 0, drawnNothing = 0;
    for (int draw = 0; draw < 20000; ++draw) {
        const int kindPick = m.Rand(0, 19);
        m.sk = kKinds[kindPick < 8 ? 0 : kindPick < 14 ? 1 + kindPick % 2 : kindPick < 17 ? 3 : 4];
        m.dk = m.Rand(0, 2) != 0 ? m.sk : kKinds[m.Rand(0, 4)];
        if (m.sk.bits == 8 && m.Rand(0, 2) == 0) m.dk = kKinds[m.Rand(1, 2)];
        m.sw = m.Rand(1, 10), m.sh = m.Rand(1, 8), m.dw = m.Rand(1, 12), m.dh = m.Rand(1, 9);
        const int l = m.Rand(-2, m.sw - 1), t = m.Rand(-2, m.sh - 1);
        m.src = CClipRect(int16_t(l), int16_t(t), int16_t(l + m.Rand(m.Rand(0, 20) == 0 ? -1 : 1, m.sw + 2)),
                          int16_t(t + m.Rand(1, m.sh + 2)));
        const bool stretch = m.Rand(0, 2) == 0;
        const int w = stretch ? m.Rand(1, 14) : m.src.Width(), h = stretch ? m.Rand(1, 12) : m.src.Height();
        const int x = m.Rand(-w / 2 - 1, m.dw - w / 2), y = m.Rand(-h / 2 - 1, m.dh - h / 2);
        m.dst = CClipRect(int16_t(x), int16_t(y), int16_t(x + w), int16_t(y + h));
        const int modePick = m.Rand(0, 13);
        m.mode = modePick < 12 ? uint32_t(modePick % 6) : uint32_t(6 + modePick % 2);
        m.mirrored = m.Rand(0, 2) == 0;
        m.mw = m.Rand(1, 14), m.mh = m.Rand(1, 12);
        m.maskPoint = CPoint16(int16_t(m.Rand(-3, 3)), int16_t(m.Rand(-3, 3)));
        m.blendLevel = m.Rand(0, 255);
        m.tint = m.Rand(0, 3) == 0 ? nullptr : tint;
        xGraphics_SetPixelFormat(int16_t(m.Rand(1, 2)));
        xGraphics_SetBlendLevel(int16_t(m.blendLevel));
        SetTintPalette(m.tint);

        CPixelSurface source, target, mask;
        ASSERT_TRUE(source.Create(int16_t(m.sw), int16_t(m.sh), int16_t(m.sk.bits)));
        ASSERT_TRUE(target.Create(int16_t(m.dw), int16_t(m.dh), int16_t(m.dk.bits)));
        ASSERT_TRUE(mask.Create(int16_t(m.mw), int16_t(m.mh), 8));
        source.SetPixelFormat(m.sk.format);
        target.SetPixelFormat(m.dk.format);
        if (m.Rand(0, 1)) source.SetPalette(&randomPalette);
        if (m.Rand(0, 1)) target.SetPalette(&randomPalette);
        m.srcPal = source.EffectivePalette();
        m.dstPal = target.EffectivePalette();
        m.srcBytes = Pixels(m.rng, size_t(m.sw * m.sh), m.sk.bits / 8);
        m.dstBytes = Pixels(m.rng, size_t(m.dw * m.dh), m.dk.bits / 8, 50);
        m.maskBytes = Pixels(m.rng, size_t(m.mw * m.mh), 1, 3);
        surftest::Fill(source, m.srcBytes);
        surftest::Fill(target, m.dstBytes);
        surftest::Fill(mask, m.maskBytes);

        std::vector<uint8_t> may;
        const std::vector<uint8_t> expected = m.Expect(may);
        if (m.mirrored) source.StretchCopyFlipped(m.src, &target, m.dst, m.mode, &mask, m.maskPoint);
        else source.StretchCopy(m.src, &target, m.dst, m.mode, &mask, m.maskPoint);
        const std::vector<uint8_t> got = surftest::Bytes(target);

        char what[160];
        std::snprintf(what, sizeof what, "draw %d: %d/%d -> %d/%d mode %u%s src {%d,%d,%d,%d} dst {%d,%d,%d,%d} in %dx%d",
                      draw, m.sk.bits, m.sk.format, m.dk.bits, m.dk.format, m.mode, m.mirrored ? " mirrored" : "",
                      m.src.left, m.src.top, m.src.right, m.src.bottom, m.dst.left, m.dst.top, m.dst.right,
                      m.dst.bottom, m.dw, m.dh);
        const int db = m.dk.bits / 8;
        bool any = false;
        for (size_t p = 0; p < may.size(); ++p) {
            if (may[p]) {
                any = true;
                std::memcpy(const_cast<uint8_t*>(expected.data()) + p * db, got.data() + p * db, size_t(db));
            }
        }
        ASSERT_EQ(got, expected) << what;
        ASSERT_FALSE(source.IsLocked()) << what;
        ASSERT_FALSE(target.IsLocked()) << what;
        ASSERT_FALSE(mask.IsLocked()) << what;
        if (any) ++footprint;
        else if (got != m.dstBytes) ++exact;
        else ++drawnNothing;
    }
    // The random mix reaches every road.
    EXPECT_GT(exact, 1500);
    EXPECT_GT(footprint, 1000);
    EXPECT_GT(drawnNothing, 500);
    SetTintPalette(nullptr);
}

} // namespace

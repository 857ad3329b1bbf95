// The two implementations of the blended compressed reader against each other and against the
// field-blend formula, for every blend level and every pair of field values.
#include <vector>

#include "engine/blit/Blitter.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/GraphicsContext.h"
#include "tests/engine/blit/BlitFixture.h"
#include "tests/engine/blit/BlitModel.h"

using namespace blitmodel;

namespace {

class BltBlendTest : public BlitFixture {};

/// A 16-bit value whose three fields all hold f (kept to each field's size).
uint16_t AllFields(int f, int layout) {
    const int f5 = f & 31;
    return layout == 2 ? static_cast<uint16_t>(f5 << 11 | (f & 63) << 5 | f5)
                       : static_cast<uint16_t>(f5 << 10 | f5 << 5 | f5);
}

TEST_F(BltBlendTest, VectorAndPlainReadersGiveIdenticalPixelsForEveryLevelAndFieldPair) {
    for (int layout : {1, 2}) {
        // Palette index 1 + f has every field at f (0-63), so the 64 x 64 pixels of the line
        // below meet every pair of source and destination field values in each field at once.
        xGraphics_SetPixelFormat(static_cast<int16_t>(layout));
        CColorPalette palette;
        for (int f = 0; f < 64; ++f) {
            const int r = (f & 31) << 3, g = layout == 2 ? f << 2 : (f & 31) << 3, b = (f & 31) << 3;
            palette.SetEntry(1 + f, static_cast<uint32_t>(r | g << 8 | b << 16));
        }
        palette.Build16BitTable();
        const uint16_t* table = palette.Get16BitTable();
        for (int f = 0; f < 64; ++f) ASSERT_EQ(table[1 + f], AllFields(f, layout));

        // Rows of 64 destination values d; each row: a literal of all 64 sources, a run, and a
        // literal with holes, so runs, literals and holes all meet every pair.
        LineBuilder builder;
        std::vector<uint8_t> sources(64), holes(64);
        for (int f = 0; f < 64; ++f) {
            sources[static_cast<size_t>(f)] = static_cast<uint8_t>(1 + f);
            holes[static_cast<size_t>(f)] = f % 3 == 1 ? 0 : static_cast<uint8_t>(1 + (63 - f));
        }
        const int rows = 64;
        for (int d = 0; d < rows; ++d) builder.Literal(sources).Run(3, static_cast<uint8_t>(1 + d)).Holes(holes);
        const std::vector<uint8_t> line = builder.Done();
        const int width = rows * (64 + 3 + 64);
        ASSERT_TRUE(VQTRLE_ValidateLine(line.data(), line.size(), static_cast<int16_t>(width), nullptr, 0));

        std::vector<uint16_t> dest(static_cast<size_t>(width) + 2);
        for (int d = 0; d < rows; ++d) {
            for (int i = 0; i < 64 + 3 + 64; ++i) dest[1 + static_cast<size_t>(d * 131 + i)] = AllFields(d, layout);
        }
        const std::vector<Event> events = Decode(line.data(), width, nullptr);

        BltSettings& s = BltContext();
        s.BltDstPixelFormat = static_cast<int16_t>(layout);
        for (int level = 0; level < 256; ++level) {
            s.BltBlendLevel = static_cast<int16_t>(level);
            // Start at an odd pixel so that no pairing by alignment could hide a difference.
            for (size_t start : {size_t{1}, size_t{2}}) {
                std::vector<uint16_t> plain(dest), vector(dest);
                s.vectorCode = 0;
                BltCompBlended_8bTo16b(line.data(), static_cast<int16_t>(width), plain.data() + start, nullptr,
                                       &palette);
                s.vectorCode = 1;
                BltCompBlended_8bTo16b(line.data(), static_cast<int16_t>(width), vector.data() + start, nullptr,
                                       &palette);
                ASSERT_EQ(plain, vector) << "layout " << layout << " level " << level;
                if (start == 1) {
                    for (int x = 0; x < width; ++x) {
                        const Event ev = events[static_cast<size_t>(x)];
                        const uint16_t d = dest[1 + static_cast<size_t>(x)];
                        const uint16_t expect =
                            ev.kind == Event::kValue ? FieldBlendModel(table[ev.value], d, level, layout) : d;
                        ASSERT_EQ(plain[1 + static_cast<size_t>(x)], expect)
                            << "layout " << layout << " level " << level << " pixel " << x;
                    }
                }
            }
        }
    }
}

TEST_F(BltBlendTest, FieldBlendStaysInsideItsFieldsAndAgreesWithTheChannelBlendWithinOneStep) {
    // The plain blended routine mixes 16-bit colours, the mirrored one the palette colour with
    // the widened destination: the two differ by at most one step per field.
    for (int layout : {1, 2}) {
        xGraphics_SetPixelFormat(static_cast<int16_t>(layout));
        CColorPalette palette;
        for (int v = 0; v < 256; ++v) palette.SetEntry(v, static_cast<uint32_t>((v * 8) & 0xFF) |
                                                               static_cast<uint32_t>(((v * 4) & 0xFF) << 8) |
                                                               static_cast<uint32_t>(((v * 8 + 4) & 0xFF) << 16));
        palette.Build16BitTable();
        BltContext().BltDstPixelFormat = static_cast<int16_t>(layout);
        std::vector<uint8_t> src(64);
        for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(1 + i * 4);
        for (int level = 0; level < 256; level += 3) {
            BltContext().BltBlendLevel = static_cast<int16_t>(level);
            for (int d = 0; d < 64; d += 7) {
                std::vector<uint16_t> field(64, AllFields(d, layout)), channel(64, AllFields(d, layout));
                BltBlended_8bTo16b(src.data(), 64, field.data(), &palette);
                BltBlendedX_8bTo16b(src.data(), 64, channel.data(), &palette);
                for (size_t i = 0; i < 64; ++i) {
                    const uint16_t a = field[i], b = channel[63 - i];
                    const int shifts[3] = {layout == 2 ? 11 : 10, 5, 0};
                    const int masks[3] = {31, layout == 2 ? 63 : 31, 31};
                    for (int f = 0; f < 3; ++f) {
                        const int fa = (a >> shifts[f]) & masks[f], fb = (b >> shifts[f]) & masks[f];
                        ASSERT_LE(std::abs(fa - fb), 1) << level << " " << d << " " << i;
                    }
                }
            }
        }
    }
}

} // namespace

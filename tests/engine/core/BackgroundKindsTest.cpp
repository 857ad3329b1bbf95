// Activities over backgrounds and tile sheets stored in every kind of frame image: one picture
// as BMP, GIF, PCX, compressed (run-length and LZW) and raw frames shows one stage, equal to a
// golden picture; a damaged background leaves the activity running with a trace.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/Activity.h"
#include "engine/graphics/FrameImage.h"
#include "tests/engine/core/StageFixture.h"
#include "tests/support/Golden.h"
#include "tools/builders/PartBuilder.h"

namespace vqt::test {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

/// Diagonal bands over a ramp of 64 colours, a border and a block of bright pixels.
IndexedPicture Drawing() {
    IndexedPicture p{kWidth, kHeight, {}, {0}};
    for (int i = 1; i < 256; ++i) p.colours.push_back(ColorWord(uint8_t(i * 4), uint8_t(255 - i * 3), uint8_t(i * 7)));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool border = x < 4 || y < 4 || x >= kWidth - 4 || y >= kHeight - 4;
            const bool block = x >= 200 && x < 260 && y >= 60 && y < 100;
            p.pixels.push_back(uint8_t(border ? 200 : block ? 230 + (x * 7 + y) % 20 : 1 + ((x + y) / 5) % 64));
        }
    return p;
}

/// The frames of one picture in every kind, with the type their property records name (0: a
/// raw frame without one).
std::vector<std::pair<Bytes, uint16_t>> FramesOf(const IndexedPicture& p) {
    const DirectPicture indices{p.width, p.height, 8, p.pixels};
    Picture raw(p.width, p.height);
    raw.pixels = p.pixels;
    return {{BmpFile(p), kFrameBmp},
            {GifFile(p, {.interlaced = true}), kFrameGif},
            {PcxFile(p), kFramePcx},
            {CompressedImage(indices, {.mode = 1}), kFrameCompressed},
            {CompressedImage(indices, {.mode = 8}), kFrameCompressed},
            {RawFrameData(raw), 0}};
}

class BackgroundKindsTest : public StageTest {
protected:
    /// Opens a part file of one activity (entry 26 on) over each frame given, all with the
    /// picture's palette and the properties given.
    void Build(const std::vector<std::pair<Bytes, uint16_t>>& frames, const PropertyBytes& properties) {
        ChunkFileBuilder b;
        const uint8_t actv = b.AddIndex("actv", 8, 40);
        const uint8_t fram = b.AddIndex("fram", 8, 12);
        const uint8_t cpal = b.AddIndex("cpal", 8, 1);
        const uint32_t palette = b.AddChunk(cpal, PaletteData(Drawing().colours));
        for (size_t i = 0; i < frames.size(); ++i) {
            const auto& [data, type] = frames[i];
            ChunkPlan plan{.entry = uint16_t(i + 1)};
            if (type) plan.property = FrameProperty(type);
            ActivityPlan activity{.backgroundId = b.AddChunk(fram, data, plan), .paletteId = palette, .properties = properties};
            activity.properties.Pair(50, 1, 320, 240);
            b.AddChunk(actv, ActivityData(activity), {.entry = uint16_t(26 + i)});
        }
        Open(b);
    }
    /// Shows the activity of the i-th frame.
    OActivity* Show(size_t i) {
        OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
        m.RequestActivity(ChunkIdOf(1, uint16_t(26 + i)));
        Frames(4);
        return m.GetCurrentActivity();
    }
    /// Shows the activity of every frame in turn, each against the golden picture.
    void ShowEach(const std::vector<std::pair<Bytes, uint16_t>>& frames, const PropertyBytes& properties,
                  const std::string& golden) {
        Build(frames, properties);
        for (size_t i = 0; i < frames.size(); ++i) {
            SCOPED_TRACE("frame " + std::to_string(i + 1));
            ASSERT_NE(Show(i), nullptr);
            ExpectMatchesGoldenImage(golden, ToRgb(Shown()));
        }
    }
};

TEST_F(BackgroundKindsTest, OnePictureInEveryKindOfFrameShowsOneStage) {
    ShowEach(FramesOf(Drawing()), {}, "engine/core/stage_background_kinds.png");
}

TEST_F(BackgroundKindsTest, TileSheetsInEveryKindOfFrameShowOneStage) {
    // The picture as a sheet of 4 x 3 tiles of 80 x 80, laid out over 8 x 6 cells in another order.
    std::vector<uint16_t> tiles;
    for (int i = 0; i < 48; ++i) tiles.push_back(uint16_t((i * 5 + i / 8) % 12));
    ShowEach(FramesOf(Drawing()), TiledActivityProps(8, 6, 80, 80, tiles), "engine/core/stage_tile_sheet_kinds.png");
}

TEST_F(BackgroundKindsTest, ADamagedBackgroundLeavesTheActivityRunningWithATrace) {
    Bytes gif = GifFile(Drawing());
    gif.resize(gif.size() / 2);
    Build({{gif, kFrameGif}}, {});
    OActivity* activity = Show(0);
    ASSERT_NE(activity, nullptr);
    EXPECT_EQ(activity->GetWidth(), kWidth);
    EXPECT_NE(traced().find("*** Error : GIF - image data damaged or cut short\n"), std::string::npos);
}

} // namespace
} // namespace vqt::test

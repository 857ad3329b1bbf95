// Animation states: timed steps by frame durations, frame getters, the accumulation surface,
// and the compressed surface writer.
#include "engine/graphics/State.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/data/Memory.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/PartBuilder.h"

namespace vqt::test {
namespace {

/// A state of `n` frames of `w` x `h` pixels (frame f filled with colour 10 + f, a hole in the
/// middle), each lasting `duration` 60ths of a second, with distinct hot spots and offsets.
StatePlan Frames(int n, int w = 6, int h = 4, uint16_t duration = 6) {
    StatePlan s;
    for (int f = 0; f < n; ++f) {
        FramePlan frame;
        frame.picture = Picture(w + f, h, uint8_t(10 + f));
        frame.picture.at(1, 1) = 0;
        frame.hotX = int16_t(f + 1);
        frame.hotY = int16_t(-f - 2);
        frame.offsetX = int16_t(3 * f);
        frame.offsetY = int16_t(5);
        frame.duration = duration;
        s.frames.push_back(frame);
    }
    return s;
}

class StateTest : public HeadlessTest {
protected:
    /// Builds a file with one part of the given states and loads state `index` into a state.
    std::unique_ptr<CState> LoadState(const std::vector<StatePlan>& states, int index = 0, bool cache = false) {
        image_ = std::make_unique<ChunkFileBuilder>();
        PartBuilder parts(*image_);
        PartPlan desc;
        desc.states = states;
        built_ = parts.AddPart(desc);
        file_ = std::make_unique<OpenedPartFile>(*image_, cache);
        auto state = std::make_unique<CState>();
        EXPECT_EQ(state->Load(file_->get(), built_.states[size_t(index)], cache ? 1 : 0), 1);
        return state;
    }

    std::unique_ptr<ChunkFileBuilder> image_;
    std::unique_ptr<OpenedPartFile> file_;
    BuiltPart built_;
};

TEST_F(StateTest, RunOfHalfASecondEndsAfterItsLastUnit) {
    auto state = LoadState({Frames(5)}); // 5 x 6 = 30 units
    state->SetFrame(0);
    clock().Advance(116); // 6.96 units: frame 0 lasts its 6 units
    EXPECT_EQ(state->Step(), kStepNoChange);
    clock().Advance(1); // 7.02 units: frame 1
    EXPECT_EQ(state->Step(), kStepForward);
    EXPECT_EQ(state->currentFrame, 1);
    clock().Advance(399); // 516 ms, 30 units: the last frame
    EXPECT_EQ(state->Step(), kStepForward);
    EXPECT_EQ(state->currentFrame, 4);
    clock().Advance(1); // 517 ms, 31 units: the run is over
    EXPECT_EQ(state->Step(), kStepRunEnd);
    EXPECT_EQ(state->currentFrame, 4);
    EXPECT_EQ(state->Step(), kStepForward); // started again
    EXPECT_EQ(state->currentFrame, 0);
}

TEST_F(StateTest, HeldRunReportsItsEndOnceThenStaysThere) {
    auto state = LoadState({Frames(5)});
    state->SetFrame(0);
    state->hold = 1;
    clock().Advance(517);
    EXPECT_EQ(state->Step(), kStepHeldEnd);
    EXPECT_EQ(state->currentFrame, 0); // the frame it had
    EXPECT_EQ(state->Step(), kStepStillAtEnd);
    // Twenty hours later the elapsed units have not wrapped round into the run.
    clock().Advance(20u * 3600u * 1000u);
    EXPECT_EQ(state->Step(), kStepStillAtEnd);
}

TEST_F(StateTest, SetFrameCountsTheTimingBackToTheFrame) {
    auto state = LoadState({Frames(5)});
    state->SetFrame(3);
    // The running sum of frames 0-2 reaches the elapsed units within the same millisecond.
    EXPECT_EQ(state->Step(), kStepForward);
    EXPECT_EQ(state->currentFrame, 2);
    clock().Advance(17); // one unit later
    EXPECT_EQ(state->Step(), kStepForward);
    EXPECT_EQ(state->currentFrame, 3);

    state->forward = 0;
    state->SetFrame(1); // backward: frames 1-4 lie behind
    clock().Advance(1);
    EXPECT_EQ(state->Step(), kStepNoChange);
    EXPECT_EQ(state->currentFrame, 1);

    state->SetFrame(5);
    EXPECT_EQ(state->currentFrame, 1);
    EXPECT_NE(traced().find("WARNING - OnSetFrame() call ignored, out of range\n"), std::string::npos);
}

TEST_F(StateTest, UntimedStepRestartsTheClockAtTheEnd) {
    auto state = LoadState({Frames(2)});
    state->timed = 0;
    state->SetFrame(1);
    clock().Advance(50);
    state->pauseTick = 7;
    EXPECT_EQ(state->Step(), kStepRunEnd);
    EXPECT_EQ(state->currentFrame, 0);
    EXPECT_EQ(state->startTick, clock().TickCount());
    EXPECT_EQ(state->pauseTick, 0u);
}

TEST_F(StateTest, FrameGettersFollowTheMirrorFlagsAndRotation) {
    auto state = LoadState({Frames(3)});
    state->SetFrame(2);
    EXPECT_EQ(state->GetFrameWidth(), 8);
    EXPECT_EQ(state->GetFrameHeight(), 4);
    EXPECT_EQ(state->GetHotSpot(), CPoint16(3, -4));
    EXPECT_EQ(state->GetFrameOffset(-1), CPoint16(6, 5));
    EXPECT_EQ(state->GetFrameOffset(0), CPoint16(0, 5));
    EXPECT_EQ(state->GetFrameOffset(3), CPoint16(0, 0));
    EXPECT_EQ(state->GetHotSpotAt(-1), CPoint16(0, 0));
    EXPECT_EQ(state->GetFrameDurationAt(3), 0);

    state->mirrorX = 1;
    EXPECT_EQ(state->GetHotSpot(), CPoint16(-3, -4));
    state->SetRotation(180); // both flags inverted: x back, y negated
    EXPECT_EQ(state->GetHotSpot(), CPoint16(3, 4));
    EXPECT_EQ(state->GetFrameOffset(-1), CPoint16(6, -5));

    state->mirrorX = 0;
    EXPECT_EQ(state->SetRotation(450), 1);
    EXPECT_EQ(state->rotation, 90);
    EXPECT_EQ(state->GetFrameWidth(), 4); // the turned frame
    EXPECT_EQ(state->GetFrameHeight(), 8);
    EXPECT_EQ(state->GetCompWidth(), 8);
    EXPECT_EQ(state->SetRotation(45), 0);
    EXPECT_EQ(state->rotation, 90);
}

TEST_F(StateTest, LoadingTheSameIdOrAStateWithoutImageGivesNothing) {
    auto state = LoadState({Frames(2)});
    EXPECT_EQ(state->Load(file_->get(), built_.states[0], 0), 0);
    EXPECT_EQ(state->GetFrameCount(), 2);

    ChunkFileBuilder image;
    PartBuilder parts(image);
    const ChunkId lonely = image.AddChunk(parts.StateIndex(), PartBuilder::StateData(Frames(2)));
    OpenedPartFile file(image, false);
    CState other;
    EXPECT_EQ(other.Load(file.get(), lonely, 0), 0);
    EXPECT_EQ(other.stateId, kNullChunkId);
    EXPECT_EQ(other.stateRecord, nullptr);
    EXPECT_EQ(other.GetFrameCount(), 0);
    EXPECT_EQ(other.GetFrameWidth(), 0);
}

TEST_F(StateTest, AccumulatingFramesPaintOverTheEarlierOnes) {
    StatePlan s;
    s.accumulate = true;
    const char* rows[3][2] = {{"1111", "1111"}, {"\0\0" "22", "\0\0\0\0"}, {"\0" "3\0\0", "\0\0\0" "3"}};
    for (auto& f : rows) {
        FramePlan frame;
        frame.picture = Picture(4, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) frame.picture.at(x, y) = uint8_t(f[y][x] ? f[y][x] - '0' : 0);
        s.frames.push_back(frame);
    }
    auto state = LoadState({s});
    ASSERT_NE(state->accumSurface, nullptr);
    state->SetFrame(2);
    CPixelSurface out;
    ASSERT_TRUE(out.Create(4, 2, 8));
    state->drawMode = 0;
    state->OnCopyFrameToSurface(&out, nullptr, nullptr, nullptr, 0);
    const uint8_t* p = out.Lock();
    const uint8_t expected[8] = {1, 3, 2, 2, 1, 1, 1, 3};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p[i], expected[i]) << i;
    out.Unlock();
    EXPECT_TRUE(state->HitTestPointScaled(CPoint16(0, 1), CPoint16(0, 0), 1.0f, 1.0f));

    // Frame by frame forward the picture grows the same way; backward it loses the later frames.
    const auto shown = [&state] {
        const uint8_t* px = state->accumSurface->Lock();
        std::vector<uint8_t> bytes(px, px + 8);
        state->accumSurface->Unlock();
        return bytes;
    };
    state->SetFrame(0);
    EXPECT_EQ(shown(), (std::vector<uint8_t>{1, 1, 1, 1, 1, 1, 1, 1}));
    state->SetFrame(1);
    EXPECT_EQ(shown(), (std::vector<uint8_t>{1, 1, 2, 2, 1, 1, 1, 1}));
    state->SetFrame(2);
    EXPECT_EQ(shown(), (std::vector<uint8_t>{1, 3, 2, 2, 1, 1, 1, 3}));
    state->SetFrame(1);
    EXPECT_EQ(shown(), (std::vector<uint8_t>{1, 1, 2, 2, 1, 1, 1, 1}));
    state->SetToEnd();
    EXPECT_EQ(shown(), (std::vector<uint8_t>{1, 3, 2, 2, 1, 1, 1, 3}));
}

TEST_F(StateTest, ScaledHitTestsFindTheHoleWhereTheScaledFrameShowsIt) {
    auto state = LoadState({Frames(1)}); // 6 x 4 of colour 10, the hole at (1, 1)
    state->SetFrame(0);
    // Twice the size: the hole covers the drawn pixels 2-3 x 2-3.
    const CClipRect all(0, 0, 12, 8);
    CPoint16 found;
    uint8_t flag = 0;
    EXPECT_FALSE(state->HitTestSegment(CPoint16(2, 2), CPoint16(3, 3), all, 2.0f, 2.0f, &found, &flag));
    EXPECT_EQ(found, CPoint16(2, 2));
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(state->HitTestSegment(CPoint16(2, 2), CPoint16(6, 2), all, 2.0f, 2.0f, &found, nullptr));
    EXPECT_EQ(found, CPoint16(4, 2));
    EXPECT_FALSE(state->HitTestSegment(CPoint16(12, 0), CPoint16(14, 0), all, 2.0f, 2.0f, &found, nullptr));
    EXPECT_FALSE(state->HitTestPointScaled(CPoint16(3, 3), CPoint16(0, 0), 2.0f, 2.0f));
    EXPECT_TRUE(state->HitTestPointScaled(CPoint16(3, 3), CPoint16(0, 0), 1.0f, 2.0f));
    // Mirrored left to right, the hole sits at the drawn columns 8-9.
    state->mirrorX = 1;
    EXPECT_TRUE(state->HitTestSegment(CPoint16(2, 2), CPoint16(3, 3), all, 2.0f, 2.0f, &found, nullptr));
    EXPECT_FALSE(state->HitTestSegment(CPoint16(8, 2), CPoint16(9, 3), all, 2.0f, 2.0f, &found, nullptr));
    state->mirrorX = 0;
    // The frame at twice its size against itself at its own size: where they overlap only on
    // the scaled hole nothing is in common; one column more meets drawn pixels of both.
    EXPECT_FALSE(state->IntersectsState(all, 2.0f, 2.0f, state.get(), CClipRect(2, 2, 4, 4), 1.0f, 1.0f));
    EXPECT_TRUE(state->IntersectsState(all, 2.0f, 2.0f, state.get(), CClipRect(2, 2, 5, 4), 1.0f, 1.0f));
    EXPECT_FALSE(state->IntersectsState(all, 2.0f, 2.0f, state.get(), CClipRect(12, 0, 18, 4), 1.0f, 1.0f));
}

TEST_F(StateTest, CompressedSurfacesDecodeToThePicture) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        const int w = 1 + int(seed * 7 % 300);
        const int h = 1 + int(seed % 9);
        const Picture picture = RandomPicture(w, h, seed, int(seed % 100));
        CPixelSurface surface;
        ASSERT_TRUE(surface.Create(int16_t(w), int16_t(h), 8));
        uint8_t* px = surface.Lock();
        for (int y = 0; y < h; ++y) std::copy_n(&picture.pixels[size_t(y) * size_t(w)], w, px + surface.GetPitch() * y);
        surface.Unlock();

        uint32_t size = 0;
        uint8_t* block = CState::CompressSurface(&surface, &size);
        ASSERT_NE(block, nullptr) << seed;
        ASSERT_LE(size, CState::CompressSurfaceBound(w, h));
        uint16_t bw, bh;
        std::memcpy(&bw, block, 2);
        std::memcpy(&bh, block + 2, 2);
        EXPECT_EQ(bw, w);
        EXPECT_EQ(bh, h);
        std::vector<uint8_t> row(static_cast<size_t>(w));
        for (int y = 0; y < h; ++y) {
            uint32_t offset;
            std::memcpy(&offset, block + 4 + 4 * y, 4);
            if (offset == 0) {
                std::fill(row.begin(), row.end(), 0);
            } else {
                ASSERT_TRUE(PartBuilder::DecodeLine(block + offset, size - offset, w, row.data())) << seed;
            }
            ASSERT_TRUE(std::equal(row.begin(), row.end(), &picture.pixels[size_t(y) * size_t(w)])) << seed << " " << y;
        }
        PoolFreeBlock(block);
    }
}

TEST_F(StateTest, CompressingBlankLinesAndTooSmallBuffers) {
    CPixelSurface blank;
    ASSERT_TRUE(blank.Create(9, 3, 8));
    uint32_t size = 0;
    uint8_t* block = CState::CompressSurface(&blank, &size);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(size, 4u + 4 * 3);
    for (int y = 0; y < 3; ++y) {
        uint32_t offset = 1;
        std::memcpy(&offset, block + 4 + 4 * y, 4);
        EXPECT_EQ(offset, 0u);
    }
    PoolFreeBlock(block);

    std::vector<uint8_t> small(30);
    EXPECT_EQ(CState::CompressSurface(&blank, &size, small.data(), small.size()), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_NE(traced().find("Error - CompressSurface() : Calculated work buffer too small\n"), std::string::npos);
}

} // namespace
} // namespace vqt::test

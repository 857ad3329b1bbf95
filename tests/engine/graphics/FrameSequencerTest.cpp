#include "engine/graphics/FrameSequencer.h"

#include "engine/graphics/PixelSurface.h"
#include "tests/support/HeadlessTest.h"

namespace {

/// A sequencer of a given number of frames that counts its frame-change calls.
class CountingSequencer : public CFrameSequencer {
public:
    explicit CountingSequencer(int32_t frames) : frames_(frames) {}
    int32_t GetFrameCount() override { return frames_; }
    int32_t GetDepth() override { return depth; }
    int32_t GetFrameWidth() override { return width; }
    int32_t GetFrameHeight() override { return height; }
    CPoint16 GetHotSpot() override { return {}; }
    void OnCopyFrameToSurface(CDrawSurface*, const CClipRect*, const CClipRect*, CColorPalette*, uint32_t) override {}
    void OnFrameChanged() override { ++changes; }

    int changes = 0;
    int32_t width = 0, height = 0, depth = 8;

private:
    int32_t frames_;
};

class FrameSequencerTest : public vqt::test::HeadlessTest {};

TEST_F(FrameSequencerTest, TimedStepTakesWholePeriodsAndCarriesTheRemainder) {
    CountingSequencer s(10);
    s.SetFrame(0);
    const uint32_t start = clock().TickCount();
    clock().Advance(65);
    EXPECT_EQ(s.Step(), kStepNoChange);
    EXPECT_EQ(s.currentFrame, 0);

    clock().Advance(135); // 200 ms: three periods of 66, 2 ms over
    EXPECT_EQ(s.Step(), kStepForward);
    EXPECT_EQ(s.currentFrame, 3);
    EXPECT_EQ(s.startTick, start + 198);
    clock().Advance(63); // 65 ms into the next period with the carried 2
    EXPECT_EQ(s.Step(), kStepNoChange);
    clock().Advance(1);
    EXPECT_EQ(s.Step(), kStepForward);
    EXPECT_EQ(s.currentFrame, 4);
}

TEST_F(FrameSequencerTest, TimedStepStopsAtTheEndOfTheRunAndWhilePaused) {
    CountingSequencer s(3);
    s.SetFrame(1);
    clock().Advance(66 * 5);
    EXPECT_EQ(s.Step(), kStepRunEnd); // 1 -> 2 -> wrap: the remaining periods are dropped
    EXPECT_EQ(s.currentFrame, 0);

    s.forward = 0;
    s.SetFrame(1);
    clock().Advance(66 * 5);
    EXPECT_EQ(s.Step(), kStepRunEnd);
    EXPECT_EQ(s.currentFrame, 2);
    // A pause freezes the timed step.
    s.SetFrame(0);
    s.pauseTick = clock().TickCount();
    clock().Advance(10000);
    EXPECT_EQ(s.Step(), kStepNoChange);
    EXPECT_EQ(s.currentFrame, 0);
}

TEST_F(FrameSequencerTest, EndsOfARunWrapOrHold) {
    CountingSequencer s(4);
    s.SetFrame(3);
    s.changes = 0;
    EXPECT_EQ(s.NextFrame(), kStepRunEnd);
    EXPECT_EQ(s.currentFrame, 0);
    EXPECT_EQ(s.changes, 1); // told once per step, also on the wrap
    EXPECT_EQ(s.PrevFrame(), kStepRunEnd);
    EXPECT_EQ(s.currentFrame, 3);
    EXPECT_EQ(s.PrevFrame(), kStepBackward);
    EXPECT_EQ(s.NextFrame(), kStepForward);

    s.hold = 1;
    EXPECT_EQ(s.NextFrame(), kStepRunEnd);
    EXPECT_EQ(s.currentFrame, 3);
    EXPECT_EQ(s.previousFrame, 3);
    s.SetFrame(0);
    EXPECT_EQ(s.PrevFrame(), kStepRunEnd);
    EXPECT_EQ(s.currentFrame, 0);
}

TEST_F(FrameSequencerTest, SetFrameRestartsTimingOnlyOnAChange) {
    CountingSequencer s(5);
    s.SetFrame(2);
    const uint32_t stamp = s.startTick;
    clock().Advance(40);
    s.changes = 0;
    s.changed = 0;
    s.SetFrame(2);
    EXPECT_EQ(s.startTick, stamp);
    EXPECT_EQ(s.changed, 0);
    EXPECT_EQ(s.changes, 0);

    s.SetFrame(-1);
    s.SetFrame(5);
    EXPECT_EQ(s.currentFrame, 2);
    EXPECT_EQ(s.startTick, stamp);
    EXPECT_NE(traced().find("WARNING - SetFrame() call ignored, out of range\n"), std::string::npos);

    s.pauseTick = 1234;
    s.SetFrame(4);
    EXPECT_EQ(s.previousFrame, 2);
    EXPECT_EQ(s.startTick, clock().TickCount());
    EXPECT_EQ(s.pauseTick, 0u);
    EXPECT_EQ(s.changed, 1);
    EXPECT_EQ(s.changes, 1);
}

TEST_F(FrameSequencerTest, UntimedStepMovesOneFrameByDirection) {
    CountingSequencer s(3);
    s.timed = 0;
    EXPECT_EQ(s.Step(), kStepForward); // from no frame to frame 0
    EXPECT_EQ(s.currentFrame, 0);
    s.forward = 0;
    EXPECT_EQ(s.Step(), kStepRunEnd);
    EXPECT_EQ(s.currentFrame, 2);
    EXPECT_EQ(s.Step(), kStepBackward);
    EXPECT_EQ(s.currentFrame, 1);
}

TEST_F(FrameSequencerTest, FitSurfaceRecreatesOnlyOnAMismatch) {
    CountingSequencer s(1);
    CPixelSurface surface;
    ASSERT_TRUE(surface.Create(4, 4, 8));
    s.width = 3;
    s.height = 0;
    s.FitSurface(&surface); // a zero size changes nothing
    EXPECT_EQ(surface.GetWidth(), 4);
    s.height = 2;
    s.FitSurface(&surface);
    EXPECT_EQ(surface.GetWidth(), 3);
    EXPECT_EQ(surface.GetHeight(), 2);
    EXPECT_EQ(surface.GetBitsPerPixel(), 8);
    s.depth = 16;
    s.FitSurface(&surface);
    EXPECT_EQ(surface.GetBitsPerPixel(), 16);
}

} // namespace

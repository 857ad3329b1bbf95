// The part base: current state, queue of states, pause and the settings shared by the states.
#include "engine/graphics/PartBase.h"

#include <memory>

#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/PartBuilder.h"

namespace vqt::test {
namespace {

class PartBaseTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        PartBuilder parts(image_);
        PartPlan desc;
        for (int s = 0; s < 4; ++s) {
            StatePlan state;
            for (int f = 0; f < 3; ++f) {
                FramePlan frame;
                frame.picture = Picture(4, 4, uint8_t(1 + s));
                frame.duration = 6; // 100 ms each
                state.frames.push_back(frame);
            }
            desc.states.push_back(state);
        }
        built_ = parts.AddPart(desc);
        file_ = std::make_unique<OpenedPartFile>(image_, false);
        part_ = std::make_unique<CPart>();
        ASSERT_EQ(part_->SetPartID(file_->get(), built_.part, 1, 0), 1);
    }

    ChunkFileBuilder image_;
    BuiltPart built_;
    std::unique_ptr<OpenedPartFile> file_;
    std::unique_ptr<CPart> part_;
};

TEST_F(PartBaseTest, QueueAdvancesToTheFirstQueuedState) {
    CPartBase& part = *part_;
    EXPECT_EQ(part.AdvanceQueue(), 0); // nothing queued
    part.QueueState(-1);
    part.QueueState(4);
    EXPECT_EQ(part.GetQueuedCount(), 0);
    part.QueueState(2);
    part.QueueState(1);
    EXPECT_EQ(part.GetFirstQueued(), 2);
    part.SetNextState(3); // the queue is emptied first
    EXPECT_EQ(part.GetQueuedCount(), 1);
    EXPECT_EQ(part.AdvanceQueue(), 1);
    EXPECT_EQ(part.GetCurrentIndex(), 3);
    EXPECT_EQ(part.GetQueuedCount(), 0);
    EXPECT_EQ(part.GetFirstQueued(), -1);

    // An index stored beyond the last state (the list shrank) plays the last state.
    part.SetState(0);
    part.QueueState(1);
    part.QueueState(2);
    for (int i = 0; i < 70; ++i) part.QueueState(i % 4);
    EXPECT_EQ(part.GetQueuedCount(), 72);
    EXPECT_EQ(part.AdvanceQueue(), 1);
    EXPECT_EQ(part.GetCurrentIndex(), 1);
    EXPECT_EQ(part.GetQueuedCount(), 71);
    EXPECT_EQ(part.GetQueuedAt(0), 2);
}

TEST_F(PartBaseTest, NoCurrentStateOutOfRange) {
    CPartBase& part = *part_;
    part.SetState(-1);
    EXPECT_EQ(part.GetCurrentState(), nullptr);
    EXPECT_EQ(part.Step(), 0);
    EXPECT_EQ(part.GetCurrentIndex(), -1);
    EXPECT_EQ(part.GetFrameCount(), -1);
    EXPECT_EQ(part.GetCurrentFrame(), -1);
    EXPECT_EQ(part.GetFrameRate(), -1);
    part.QueueState(1);
    EXPECT_EQ(part.AdvanceQueue(), 0);
    part.SetState(4);
    EXPECT_EQ(part.GetCurrentState(), nullptr);
    EXPECT_EQ(part.GetState(4), nullptr);
    EXPECT_EQ(part.GetStateId(4), 0u);
    EXPECT_EQ(part.GetStateId(2), built_.states[2]);
}

TEST_F(PartBaseTest, SetStateRestartsTheStateAtItsFirstFrame) {
    CPartBase& part = *part_;
    part.SetStateAndHold(1);
    CState* state = part.GetCurrentState();
    EXPECT_EQ(state->hold, 1u);
    clock().Advance(150);
    part.Step();
    EXPECT_EQ(part.GetCurrentFrame(), 1);
    state->endReported = 1;
    part.SetState(1); // the same state again starts over, not held
    EXPECT_EQ(part.GetCurrentFrame(), 0);
    EXPECT_EQ(state->startTick, clock().TickCount());
    EXPECT_EQ(state->hold, 0u);
    EXPECT_EQ(state->endReported, 0u);
}

TEST_F(PartBaseTest, PausedTimeNeverCountsAlsoWhenTheClockWraps) {
    // The second start pauses exactly as the 32-bit clock wraps to 0 and resumes after it.
    for (uint32_t begin : {1000u, 0u - 150u}) {
        SCOPED_TRACE(begin);
        clock().Set(begin);
        CPartBase& part = *part_;
        part.SetState(0);
        clock().Advance(150);
        part.Step();
        ASSERT_EQ(part.GetCurrentFrame(), 1);
        const uint32_t start = part.GetCurrentState()->startTick;
        part.Pause();
        clock().Advance(2000);
        EXPECT_EQ(part.Step(), kStepNoChange);
        EXPECT_EQ(part.GetCurrentFrame(), 1);
        // A state made current during the pause stays paused too.
        part.SetState(2);
        clock().Advance(500);
        part.Step();
        EXPECT_EQ(part.GetCurrentFrame(), 0);
        part.SetState(0);
        clock().Advance(40);
        part.Resume();
        EXPECT_EQ(part.GetCurrentState()->startTick, clock().TickCount()); // paused since it was set
        EXPECT_NE(part.GetCurrentState()->startTick, start);
        clock().Advance(100);
        part.Step();
        EXPECT_EQ(part.GetCurrentFrame(), 0);
        clock().Advance(17);
        part.Step();
        EXPECT_EQ(part.GetCurrentFrame(), 1);
    }
}

TEST_F(PartBaseTest, ResumeMovesTheStartByThePause) {
    for (uint32_t begin : {1000u, 0u - 1000u}) {
        SCOPED_TRACE(begin);
        clock().Set(begin);
        CPartBase& part = *part_;
        part.SetState(0);
        clock().Advance(150);
        part.Step();
        const uint32_t start = part.GetCurrentState()->startTick;
        part.Pause();
        clock().Advance(2000);
        part.Resume();
        EXPECT_EQ(part.GetCurrentState()->startTick, start + 2000);
        EXPECT_EQ(part.GetCurrentState()->pauseTick, 0u);
        part.Step();
        EXPECT_EQ(part.GetCurrentFrame(), 1);
    }
}

TEST_F(PartBaseTest, SharedSettingsReachEveryState) {
    CPartBase& part = *part_;
    part.SetMirrored(1);
    part.SetMirrored(1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(part.GetState(i)->mirrorX, 1u) << i;
    part.GetState(2)->mirrorX = 7; // anything but 0 counts as mirrored
    part.SetMirrored(0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(part.GetState(i)->mirrorX, 0u) << i;

    part.SetDrawMode(3);
    part.SetTint(0x00102030u, 77); // a colour word: red in the low byte
    EXPECT_EQ(part.GetState(3)->tintColour[0], 0x30);
    EXPECT_EQ(part.GetState(3)->tintColour[2], 0x10);
    auto* extra = new CState;
    part.AddState(extra);
    EXPECT_EQ(extra->drawMode, 3u);
    EXPECT_EQ(part.GetStateCount(), 5);
}

TEST_F(PartBaseTest, UnloadOnLeaveUnloadsTheStateLeft) {
    CPartBase& part = *part_;
    part.SetUnloadOnLeave(1);
    part.SetState(0);
    part.SetState(0);
    EXPECT_NE(part.GetStateId(0), 0u);
    part.SetState(1);
    EXPECT_EQ(part.GetStateId(0), 0u);
    EXPECT_NE(part.GetStateId(1), 0u);
    part.UnloadState(1);
    EXPECT_EQ(part.GetStateId(1), 0u);
    part.UnloadState(9); // out of range: nothing
}

} // namespace
} // namespace vqt::test

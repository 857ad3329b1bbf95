// The shared behaviour routines on the virtual clock, with a target object standing in for the
// vehicle.
#include <gtest/gtest.h>

#include <memory>

#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "game/world/characters/Dweeble.h"
#include "game/world/characters/DweebleRoutines.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

CPart* MakeRoutinePart() {
    auto* part = new CPart;
    for (int i = 0; i < 12; ++i) {
        auto* state = new CState;
        state->stateId = MakeChunkId(3, uint16_t(i + 1));
        part->AddState(state);
    }
    return part;
}

class DweebleRoutinesTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        d = std::make_unique<Dweeble>();
        d->SetAnimSet(MakeRoutinePart());
        d->SetPosition(CPointF(400, 300), 0, 0);
        target.SetPosition(CPointF(0, 0), 0, 0);
    }
    void Frame(uint32_t ms = 16) {
        clock().Advance(ms);
        d->OnIdle();
    }
    /// Puts the target object `distance` to the right of the character's ground position.
    void TargetAt(double distance) {
        const CPointF g = d->GetGroundPosition();
        target.SetPosition(CPointF(g.x + float(distance), g.y), 0, 0);
        d->SetTargetObject(&target);
    }

    std::unique_ptr<Dweeble> d;
    TLV_Object target;
};

TEST_F(DweebleRoutinesTest, AWandererWithoutTargetStaysInItsFourStates) {
    bool walked = false, stood = false;
    for (int i = 0; i < 3000; ++i) {
        Frame();
        const int32_t s = d->GetBehaviourState();
        ASSERT_GE(s, 0);
        ASSERT_LE(s, 3) << "frame " << i;
        walked = walked || (s == 3 && Vec3Length(d->GetVelocity()) > 0.0f);
        stood = stood || (s == 1 && Vec3Length(d->GetVelocity()) == 0.0f && d->FrameInListA());
    }
    EXPECT_TRUE(walked);
    EXPECT_TRUE(stood);
}

TEST_F(DweebleRoutinesTest, AWandererNoticesTheTarget) {
    const struct {
        double distance;
        int32_t afterOne, afterTwo;
    } cases[] = {{200, 4, 4}, {100, 4, 5}, {230, 1, 1}};
    for (const auto& c : cases) {
        SetUp();
        TargetAt(c.distance);
        Frame();
        EXPECT_EQ(d->GetBehaviourState(), c.afterOne) << c.distance;
        TargetAt(c.distance);
        Frame();
        EXPECT_EQ(d->GetBehaviourState(), c.afterTwo) << c.distance;
    }
}

TEST_F(DweebleRoutinesTest, ARunnerCalmsBeyondCloseDistancePlusTwenty) {
    const struct {
        double distance;
        int32_t state;
    } cases[] = {{150, 4}, {146, 4}, {140, 5}, {100, 5}};
    for (const auto& c : cases) {
        SetUp();
        d->SetBehaviourState(5);
        TargetAt(c.distance);
        Frame();
        EXPECT_EQ(d->GetBehaviourState(), c.state) << c.distance;
    }
}

TEST_F(DweebleRoutinesTest, AWalkerGivesUpBeyondNoticeDistancePlusFifty) {
    const struct {
        double distance;
        int32_t state;
    } cases[] = {{280, 0}, {260, 4}};
    for (const auto& c : cases) {
        SetUp();
        d->SetWalkSpeed(0); // crawls at 1 px/s, so the distance holds
        d->SetBehaviourState(4);
        TargetAt(c.distance);
        for (int i = 0; i < 20; ++i) Frame();
        EXPECT_EQ(d->GetBehaviourState(), 4) << "before the state timer runs out";
        int32_t left = 4;
        for (int i = 0; i < 60 && left == 4; ++i) {
            Frame();
            left = d->GetBehaviourState();
        }
        EXPECT_EQ(left, c.state) << c.distance;
        if (c.state == 0) {
            EXPECT_EQ(Vec3Length(d->GetVelocity()), 0.0f);
        }
    }
}

TEST_F(DweebleRoutinesTest, AFleeingCharacterMovesAwayFromTheTarget) {
    TargetAt(-100); // the target stands to the left
    Frame();
    Frame();
    ASSERT_EQ(d->GetBehaviourState(), 5);
    const float x0 = d->GetGroundPosition().x;
    for (int i = 0; i < 30; ++i) Frame();
    EXPECT_GT(d->GetGroundPosition().x, x0 + 50.0f);
}

TEST_F(DweebleRoutinesTest, HeldStatesRunAway) {
    d->SetGroupRoutine(4, &Dweeble_Avoid);
    d->SetBehaviourState(10);
    TargetAt(100);
    Frame();
    EXPECT_EQ(d->GetBehaviourState(), 5);
}

/// An action of frame 8 started through the roam routine (state 6 to 7).
void StartAction(Dweeble* d, int32_t mode, int32_t loops) {
    d->SetGroupRoutine(3, &Dweeble_Roam);
    d->AddFramesD(8, 8);
    d->SetActionEndMode(mode);
    d->SetActionLoops(loops);
    d->SetStateAfterAction(2);
    d->SetBehaviourState(6);
}

TEST_F(DweebleRoutinesTest, ActionsEndByTheirEndMode) {
    const struct {
        int32_t mode, loops, ends, state;
    } cases[] = {{0, 2, 1, 2}, {2, 2, 1, 7}, {2, 2, 2, 2}, {2, -1, 10, 7}, {1, 2, 3, 7}};
    for (const auto& c : cases) {
        SetUp();
        StartAction(d.get(), c.mode, c.loops);
        Dweeble_Roam(d.get()); // the routine alone: frameless states end their animation at once
        ASSERT_EQ(d->GetBehaviourState(), 7);
        EXPECT_EQ(d->GetState(), 8);
        for (int i = 0; i < c.ends; ++i) d->OnAnimationEnd();
        EXPECT_EQ(d->GetBehaviourState(), c.state) << "mode " << c.mode << " loops " << c.loops;
        if (c.state == 2) {
            EXPECT_EQ(d->IsAnimating(), 1);
        }
    }
}

TEST_F(DweebleRoutinesTest, ModeOneEndsWhenTheDwellTimeRunsOut) {
    d->SetDwellTimes(500, 250, 250, 250, 250);
    StartAction(d.get(), 1, 2);
    Frame();
    ASSERT_EQ(d->GetBehaviourState(), 7);
    for (int i = 0; i < 30; ++i) Frame();
    EXPECT_EQ(d->GetBehaviourState(), 7);
    for (int i = 0; i < 3; ++i) Frame();
    EXPECT_EQ(d->GetBehaviourState(), 1);
}

TEST_F(DweebleRoutinesTest, TheEndedStateLoopsOrReturnsToStanding) {
    const struct {
        int32_t mode, loops, ends, state;
    } cases[] = {{0, 2, 0, 1}, {2, 2, 1, 7}, {2, 2, 2, 1}, {2, -1, 5, 7}};
    for (const auto& c : cases) {
        SetUp();
        StartAction(d.get(), c.mode, c.loops);
        d->SetActionEnds(c.ends);
        d->SetBehaviourState(8);
        Dweeble_Roam(d.get());
        EXPECT_EQ(d->GetBehaviourState(), c.state) << c.mode << "/" << c.ends;
    }
}

TEST_F(DweebleRoutinesTest, AnActionWithoutFramesDoesNotStart) {
    d->SetGroupRoutine(3, &Dweeble_Roam);
    d->SetBehaviourState(6);
    Frame();
    EXPECT_EQ(d->GetBehaviourState(), 6);
}

} // namespace
} // namespace vqt::test

// The round-up animal: its touch answers, the bump, the caught state and the heading rules of
// a round-up, checked against a spy world.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "game/shell/TLVFactory.h"
#include "game/world/characters/CharacterClasses.h"
#include "game/world/characters/DRoundUp.h"
#include "game/world/characters/DweebleRoutines.h"
#include "tests/game/world/CharacterFixture.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

class DRoundUpTest : public HeadlessTest {
protected:
    /// An animal of 12 frames at (x, y) in the spy world, which is a round-up.
    std::unique_ptr<DRoundUp> Make(float x = 300.0f, float y = 200.0f) {
        world.roundUp = true;
        auto d = std::make_unique<DRoundUp>();
        d->SetAnimSet(MakePart(12));
        d->SetPosition(CPointF(x, y), 0, 0);
        d->SetCharacterWorld(&world);
        return d;
    }
    void Frame(Dweeble* d, uint32_t ms = 16) {
        clock().Advance(ms);
        d->OnIdle();
    }
    int TraceCount(const std::string& text) {
        int n = 0;
        for (size_t at = traced().find(text); at != std::string::npos; at = traced().find(text, at + 1)) ++n;
        return n;
    }

    SpyCharacterWorld world;
    Car car;
};

TEST_F(DRoundUpTest, StartsWithItsRoutinesFramesAndDistances) {
    auto d = Make();
    EXPECT_EQ(d->GetGroupRoutine(3), &Dweeble_Roam);
    EXPECT_EQ(d->GetGroupRoutine(5), &DoNothing);
    EXPECT_EQ(d->GetGroupRoutine(6), &DoNothing);
    EXPECT_EQ(d->GetGroupRoutine(0), &Dweeble_Wander);
    EXPECT_EQ(d->GetGroupRoutine(2), &Dweeble_Avoid);
    EXPECT_EQ(d->FramesD().Count(), 1);
    EXPECT_EQ(d->FramesD().GetAt(0), 4);
    EXPECT_EQ(d->GetCloseDistance(), 0);
    EXPECT_EQ(d->GetNoticeDistance(), 100);
    d->SetActionFrames(1);
    EXPECT_EQ(d->FramesD().Count(), 1) << "the variant never changes the action frames";
    for (uint32_t id : {2500u, 2400u, 1110u, 1100u, 54u}) EXPECT_TRUE(d->IsA(id)) << id;
    EXPECT_FALSE(d->IsA(2420));
}

TEST_F(DRoundUpTest, TheFactoryMakesTheAnimal) {
    xCharacters_RegisterClasses();
    std::unique_ptr<OView> made(xTLVFactory_MakeProp(DRoundUp::kClassId));
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsA(DRoundUp::kClassId));
}

TEST_F(DRoundUpTest, TouchAnswers) {
    Dweeble walker;
    const struct {
        const char* name;
        bool vehicle, insideMap, caught;
        int32_t facingState;
        int32_t answer;
    } cases[] = {
        {"vehicle inside the map", true, true, false, -1, 16},
        {"vehicle at the map's edge", true, false, false, -1, 1},
        {"another character", false, true, false, -1, 1},
        {"caught", true, true, true, -1, 0},
        {"held in state 13", true, true, false, 13, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = Make();
        world.insideMap = c.insideMap;
        if (c.caught) d->Catch();
        if (c.facingState >= 0) d->SetBehaviourState(c.facingState);
        EXPECT_EQ(d->OnContact(c.vehicle ? static_cast<TLV_Object*>(&car) : &walker), c.answer);
    }
}

TEST_F(DRoundUpTest, AnAnimalOutsideADrivingWorldIsAlwaysPushed) {
    auto d = Make();
    world.drivingWorld = false;
    world.insideMap = false;
    EXPECT_EQ(d->OnContact(&car), 16);
}

TEST_F(DRoundUpTest, ABumpIsVoicedOnceAndEndsAQuarterSecondLater) {
    auto d = Make();
    EXPECT_EQ(d->OnContact(&car), 16);
    EXPECT_EQ(d->GetBehaviourState(), DRoundUp::kBumpedState);
    EXPECT_TRUE(d->IsBumped());
    EXPECT_EQ(d->GetBumpingVehicle(), &car);
    d->OnContact(&car);
    d->OnContact(&car);
    ASSERT_EQ(world.sounds.size(), 1u) << "the contacts of one bump say one line";
    EXPECT_EQ(world.sounds[0], DRoundUp::kBumpVoice);
    Frame(d.get(), 200);
    EXPECT_TRUE(d->IsBumped());
    Frame(d.get(), 60);
    EXPECT_FALSE(d->IsBumped());
    EXPECT_EQ(d->GetBumpingVehicle(), nullptr);
    EXPECT_EQ(d->GetBehaviourState(), 0);
    d->OnContact(&car);
    EXPECT_EQ(world.sounds.size(), 2u) << "a new bump speaks again";
}

TEST_F(DRoundUpTest, ACaughtAnimalShowsItsCaughtFrameKeepsItsPriorityAndGoesHomeOnce) {
    auto d = Make();
    d->Catch();
    EXPECT_EQ(d->GetPriority(), 20000);
    EXPECT_EQ(d->GetBehaviourState(), DRoundUp::kCaughtState);
    Frame(d.get());
    EXPECT_EQ(d->GetState(), DRoundUp::kCaughtFrame);
    EXPECT_EQ(d->GetWorldChecks(), 0);
    d->SetPosition(CPointF(300.0f, 900.0f), 0, 0);
    d->UpdateZOrder();
    EXPECT_EQ(d->GetPriority(), 20000) << "no draw-order update while caught";
    d->OnAnimationEnd();
    d->OnAnimationEnd();
    EXPECT_FALSE(d->IsVisible());
    EXPECT_EQ(world.retired.size(), 1u);
    EXPECT_EQ(world.roundUpEndChecks, 1);
    EXPECT_EQ(d->OnContact(&car), 0);
}

TEST_F(DRoundUpTest, TheAnimationEndOfAFreeAnimalChecksNothing) {
    auto d = Make();
    d->OnAnimationEnd();
    EXPECT_TRUE(world.retired.empty());
    EXPECT_EQ(world.roundUpEndChecks, 0);
}

TEST_F(DRoundUpTest, NearTheEdgeItHeadsForTheMiddleWhenThatWayIsFree) {
    // Map 1280 x 960: the middle (640, 480) lies straight right of (100, 480).
    const struct {
        const char* name;
        bool steer;
    } cases[] = {{"re-aim", false}, {"steering", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = Make(100.0f, 480.0f);
        world.nearEdge = true;
        world.freeAfter = 0;
        d->SetHeading(3);
        if (c.steer) EXPECT_TRUE(d->SteerAlongHeading(3, nullptr));
        else d->ChooseHeading(3);
        const Vec3 v = d->DirectionVector(3, d->GetHeading());
        EXPECT_GT(v.x, 0.0f);
        EXPECT_NEAR(v.y, 0.0f, 1e-3f);
    }
}

TEST_F(DRoundUpTest, ABlockedSteerHalvesTheSpeedKeepsTheHeadingAndAnswersFalse) {
    auto d = Make();
    world.freeAfter = -1;
    d->SetWalkSpeed(120);
    d->SetHeading(2);
    EXPECT_FALSE(d->SteerAlongHeading(3, nullptr));
    EXPECT_EQ(d->GetHeading(), 2);
    EXPECT_EQ(d->GetSpeed(), 60);
    ASSERT_FALSE(world.moveTests.empty());
    EXPECT_EQ(world.moveTests.back().vehicleFlag, 1) << "the retry runs in the second mode";
}

TEST_F(DRoundUpTest, ReAimAsksTheRoundUpsMoveTestOverTheLookAhead) {
    auto d = Make(400.0f, 300.0f);
    world.freeAfter = 2; // the third candidate passes
    d->SetSpeed(100);
    d->ChooseHeading(3);
    ASSERT_EQ(world.moveTests.size(), 3u);
    for (const auto& t : world.moveTests) {
        EXPECT_EQ(t.vehicleFlag, -1) << "the round-up's own move test";
        const double dx = double(t.to.x) - t.from.x, dy = double(t.to.y) - t.from.y;
        EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), 100.0 * d->GetStepInterval() * 0.001 * 1.25, 0.01);
    }
    const auto& last = world.moveTests.back();
    const Vec3 v = d->DirectionVector(3, d->GetHeading());
    EXPECT_GT((last.to.x - last.from.x) * v.x + (last.to.y - last.from.y) * v.y, 0.0f);
}

TEST_F(DRoundUpTest, EveryWayBlockedTracesAndHeadsForTheMiddle) {
    auto d = Make(1000.0f, 480.0f);
    world.freeAfter = -1;
    d->PickRandomHeading(3);
    EXPECT_EQ(TraceCount("Choosing random target location - No valid directions\n"), 1);
    const Vec3 v = d->DirectionVector(3, d->GetHeading());
    EXPECT_LT(v.x, 0.0f) << "the middle lies to the left";
    EXPECT_LT(d->GetTargetPoint().x, d->GetGroundPosition().x);
}

TEST_F(DRoundUpTest, OutsideARoundUpTheReAimIsPlainRandom) {
    auto d = Make();
    world.roundUp = false;
    for (int i = 0; i < 20; ++i) {
        d->ChooseHeading(3);
        EXPECT_GE(d->GetHeading(), 0);
        EXPECT_LT(d->GetHeading(), d->DirectionCount(3));
    }
    EXPECT_TRUE(world.moveTests.empty());
}

} // namespace
} // namespace vqt::test

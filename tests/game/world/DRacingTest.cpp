// The racing characters against a stand-in race: their settings by the race's world, what a
// touch or a shot answers, crossing the road, the single drop of a zoo racer and the flight of
// a hit racer.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/base/Random.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "game/shell/Projectile.h"
#include "game/world/characters/DRacing.h"
#include "game/world/characters/RaceCourse.h"
#include "game/world/vehicles/Vehicle.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

/// A race that records what its racers ask of it.
class FakeCourse : public CRaceCourse {
public:
    uint16_t GetRaceWorld() const override { return world; }
    OActivityProp* GetRaceVehicle() override { return vehicle; }
    int32_t GetScrollSpeed() override { return scrollSpeed; }
    CPoint16 GetScrollOrigin() override { return origin; }
    int32_t GetRaceWidth() override { return 640; }
    bool IsLive(OActivityProp* prop) override { return std::count(live.begin(), live.end(), prop) > 0; }
    bool RetireObject(OActivityProp* prop, bool) override {
        ++retired;
        return IsLive(prop);
    }
    void RemoveObject(OActivityProp* prop) override { live.erase(std::remove(live.begin(), live.end(), prop), live.end()); }
    void MakeRacerEffect(const CPointF&) override { ++effects; }
    void DropPickup(const CPointF&) override { ++drops; }
    void DropRandomItem(const CPointF&) override { ++drops; }

    uint16_t world = 0;
    OActivityProp* vehicle = nullptr;
    int32_t scrollSpeed = 100;
    CPoint16 origin;
    std::vector<OActivityProp*> live;
    int retired = 0;
    int effects = 0;
    int drops = 0;
};

CPart* MakeRacerPart() {
    auto* part = new CPart;
    for (int i = 0; i < 6; ++i) {
        auto* state = new CState;
        state->stateId = MakeChunkId(3, uint16_t(i + 1));
        part->AddState(state);
    }
    return part;
}

class DRacingTest : public HeadlessTest {
protected:
    /// A racer of the world at the point, the vehicle `gap` pixels below it.
    void Make(uint16_t world, CPointF at = CPointF(320, 240)) {
        course.world = world;
        racer = std::make_unique<DRacing>(&course);
        racer->SetAnimSet(MakeRacerPart());
        racer->SetPosition(at, 0, 0);
        course.vehicle = &vehicle;
        course.live = {racer.get()};
        course.retired = course.effects = course.drops = 0;
    }
    void VehicleBelow(float gap) {
        const CPointF g = racer->GetGroundPosition();
        vehicle.SetPosition(CPointF(g.x, g.y + gap), 0, 0);
    }
    void Frame(uint32_t ms = 16) {
        clock().Advance(ms);
        racer->OnIdle();
    }

    FakeCourse course;
    Vehicle vehicle;
    Projectile shot;
    TLV_Object stranger;
    std::unique_ptr<DRacing> racer;
};

TEST_F(DRacingTest, TheRacesWorldChoosesFramesSpeedsAndRoutines) {
    const struct {
        uint16_t world;
        int32_t standing, moving, action, close, after;
        DweebleRoutine racerRoutine;
    } cases[] = {{0, 1, 1, 2, 150, 5, DRacing_CircusRoutine},
                 {1, 3, 4, 3, 125, 0, DRacing_ZooRoutine},
                 {2, 3, 4, 3, 125, 0, DRacing_ZooRoutine}};
    for (const auto& c : cases) {
        Make(c.world);
        EXPECT_EQ(racer->FramesA().Count(), c.standing);
        ASSERT_EQ(racer->FramesB().Count(), 4) << "one frame four times";
        ASSERT_EQ(racer->FramesC().Count(), 4);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(racer->FramesB().GetAt(i), c.moving);
            EXPECT_EQ(racer->FramesC().GetAt(i), c.moving);
        }
        EXPECT_EQ(racer->DirectionCount(4), 7);
        ASSERT_EQ(racer->FramesD().Count(), 1);
        EXPECT_EQ(racer->FramesD().GetAt(0), c.action);
        EXPECT_EQ(racer->GetWalkSpeed(), 175);
        EXPECT_EQ(racer->GetRunSpeed(), 350);
        EXPECT_EQ(racer->GetNoticeDistance(), 225);
        EXPECT_EQ(racer->GetCloseDistance(), c.close);
        EXPECT_EQ(racer->GetStateAfterAction(), c.after);
        for (int32_t group : {0, 1, 2, 4}) EXPECT_EQ(racer->GetGroupRoutine(group), c.racerRoutine) << group;
        EXPECT_EQ(racer->GetGroupRoutine(3), DRacing_HitRoutine);
        EXPECT_TRUE(racer->IsA(2480) && racer->IsA(2400) && racer->IsA(1110));
    }
}

TEST_F(DRacingTest, ATouchOrAShotAnswersByWhatTouched) {
    const struct {
        const char* what;
        uint16_t world;
        int who; // 0 vehicle, 1 shot, 2 anything else
        bool onActionFrame, dropped;
        int32_t answer, stateAfter;
    } cases[] = {
        {"the vehicle", 0, 0, false, false, 16, 9},
        {"the vehicle during an action", 1, 0, true, false, 16, 9},
        {"a shot", 0, 1, false, false, 1, 6},
        {"a shot on an action frame", 0, 1, true, false, 1, 1},
        {"a shot at a zoo racer that dropped", 1, 1, false, true, 1, 1},
        {"a shot at a circus racer marked dropped", 0, 1, false, true, 1, 6},
        {"a shot at a city crook that dropped", 2, 1, false, true, 1, 1},
        {"a shot at a city crook", 2, 1, false, false, 1, 6},
        {"a plain prop", 0, 2, false, false, 0, 1},
    };
    for (const auto& c : cases) {
        Make(c.world);
        racer->SetBehaviourState(1);
        if (c.onActionFrame) racer->ShowFrame(racer->FramesD().GetAt(0));
        racer->SetDropped(c.dropped);
        TLV_Object* who = c.who == 0 ? static_cast<TLV_Object*>(&vehicle)
                          : c.who == 1 ? static_cast<TLV_Object*>(&shot)
                                       : &stranger;
        EXPECT_EQ(racer->OnContact(who), c.answer) << c.what;
        EXPECT_EQ(racer->GetBehaviourState(), c.stateAfter) << c.what;
    }
}

TEST_F(DRacingTest, AWaitingCircusRacerCrossesBySideOrWhenTheVehicleIsNear) {
    const struct {
        int32_t side;
        float gap;
        int32_t state;
    } cases[] = {{1, 1000, 4}, {-1, 1000, 4}, {0, 1000, 1}, {0, 226, 1}, {0, 224, 4}, {0, -200, 4}};
    for (const auto& c : cases) {
        Make(0);
        racer->SetBehaviourState(1);
        racer->SetSide(c.side);
        VehicleBelow(c.gap);
        Frame();
        EXPECT_EQ(racer->GetBehaviourState(), c.state) << "side " << c.side << " gap " << c.gap;
        if (c.state == 4) {
            EXPECT_EQ(racer->GetSide(), -1) << "a crossing starts undecided";
            if (c.side == 1) {
                EXPECT_GT(racer->GetTargetPoint().x, racer->GetGroundPosition().x);
            }
        }
    }
}

TEST_F(DRacingTest, AZooRacerDropsOneItemHoweverOftenItIsHit) {
    for (uint16_t world : {uint16_t(0), uint16_t(1), uint16_t(2)}) {
        Make(world);
        for (int hit = 0; hit < 50; ++hit) {
            xSRand(uint32_t(hit));
            racer->SetBehaviourState(6);
            DRacing_HitRoutine(racer.get());
            ASSERT_EQ(racer->GetBehaviourState(), 7);
            racer->OnContact(&shot);
        }
        if (world != 0) {
            EXPECT_EQ(course.drops, 1) << "world " << world;
            EXPECT_EQ(course.effects, 0);
        } else {
            EXPECT_EQ(course.drops, 0);
            EXPECT_GT(course.effects, 0) << "one chance in four of the circus effect";
            EXPECT_LT(course.effects, 50);
        }
    }
}

TEST_F(DRacingTest, AHitRacerFliesAwayAndFallsBackAsTheMotionStepMovesIt) {
    const struct {
        float x;
        float vx;
        bool fallsBackOnStage;
    } cases[] = {{320.0f, 300.0f, true}, {319.5f, -300.0f, true}, {560.0f, 300.0f, false}};
    for (const auto& c : cases) {
        Make(0, CPointF(c.x, 300));
        racer->SetBehaviourState(6);
        Frame(0);
        ASSERT_EQ(racer->GetBehaviourState(), 7);
        EXPECT_EQ(racer->GetVelocity(), Vec3(c.vx, -600.0f, 0.0f)) << c.x;
        EXPECT_EQ(racer->GetSpin(), 1000.0f);
        EXPECT_EQ(racer->GetAcceleration(), Vec3(0.0f, 750.0f, 0.0f)) << "not held to a zero maximum";
        // The motion step: velocity += acceleration x dt, then position += velocity x dt.
        Vec3 v = racer->GetVelocity();
        CPointF p = racer->GetPosition();
        for (int frame = 0; frame < 120 && racer->GetBehaviourState() == 7; ++frame) {
            Frame(16);
            if (racer->GetBehaviourState() != 7) break;
            v.y += 750.0f * 0.016f;
            p.x += v.x * 0.016f;
            p.y += v.y * 0.016f;
            EXPECT_NEAR(racer->GetVelocity().y, v.y, 0.01f) << c.x << " frame " << frame;
            EXPECT_NEAR(racer->GetPosition().x, p.x, 0.05f) << c.x << " frame " << frame;
            EXPECT_NEAR(racer->GetPosition().y, p.y, 0.05f) << c.x << " frame " << frame;
        }
        EXPECT_EQ(v.y > 0.0f, c.fallsBackOnStage) << c.x;
        EXPECT_EQ(racer->GetBehaviourState(), 0) << "it leaves the stage column and the race";
    }
}

TEST_F(DRacingTest, ARacerRunsWhenTheVehicleComesCloseAtTwiceTheScrollSpeed) {
    const struct {
        const char* what;
        uint16_t world;
        int32_t from;
        float gap;
        int32_t scroll;
        int32_t state, runSpeed;
    } cases[] = {
        {"circus walker, vehicle close", 0, 4, 160, 100, 5, 300},
        {"circus walker, fast scroll", 0, 4, 160, 220, 5, 440},
        {"circus walker, vehicle far", 0, 4, 175, 100, 4, 350},
        {"zoo waiter, vehicle close", 1, 1, 120, 60, 5, 200},
        {"zoo waiter, fast scroll", 1, 1, 120, 150, 5, 300},
        {"zoo waiter, vehicle far", 1, 1, 130, 60, 1, 350},
    };
    for (const auto& c : cases) {
        Make(c.world);
        course.scrollSpeed = c.scroll;
        racer->SetBehaviourState(c.from);
        VehicleBelow(c.gap);
        Frame();
        EXPECT_EQ(racer->GetBehaviourState(), c.state) << c.what;
        EXPECT_EQ(racer->GetRunSpeed(), c.runSpeed) << c.what;
        EXPECT_EQ(racer->IsRunning(), c.state == 5) << c.what;
    }
}

TEST_F(DRacingTest, ARunnerOffTheStageIsTakenOutOfTheRace) {
    Make(0, CPointF(320, 900));
    racer->SetRunning(1);
    racer->SetBehaviourState(5);
    VehicleBelow(50);
    Frame();
    EXPECT_EQ(racer->GetBehaviourState(), 0);
    EXPECT_TRUE(course.live.empty());
    EXPECT_NE(traced().find("Removing dweeble at loc"), std::string::npos);
    course.origin = CPoint16(0, 600); // the window reaches it again: it runs anew
    Frame();
    EXPECT_EQ(racer->GetBehaviourState(), 5);
}

TEST_F(DRacingTest, AFlightOffTheStageColumnLeavesTheRace) {
    Make(0, CPointF(700, 300));
    racer->SetBehaviourState(7);
    racer->SetVelocity(Vec3(300, -600, 0), 0);
    Frame();
    EXPECT_EQ(racer->GetBehaviourState(), 0);
    EXPECT_EQ(racer->GetVelocity(), Vec3());
    EXPECT_TRUE(course.live.empty());
    EXPECT_EQ(course.retired, 1);
}

TEST_F(DRacingTest, ATargetBelowCountsAsPassed) {
    const struct {
        float dy;
        bool passed;
    } cases[] = {{1.0f, true}, {0.0f, false}, {-50.0f, false}};
    for (const auto& c : cases) {
        Make(0);
        const CPointF g = racer->GetGroundPosition();
        racer->SetTargetPoint(CPointF(g.x, g.y + c.dy));
        EXPECT_EQ(racer->HasPassedTarget(), c.passed) << c.dy;
    }
}

TEST_F(DRacingTest, ChoosingATargetKeepsTheHeading) {
    Make(0);
    for (int32_t heading = 0; heading < 7; ++heading) {
        racer->SetHeading(heading);
        racer->SetTargetByDirection(3, heading, true);
        const CPointF expected = racer->GetTargetPoint();
        racer->SetTargetPoint(CPointF());
        racer->ChooseTarget(3, true);
        EXPECT_EQ(racer->GetTargetPoint(), expected) << heading;
        EXPECT_EQ(racer->GetHeading(), heading);
    }
}

} // namespace
} // namespace vqt::test

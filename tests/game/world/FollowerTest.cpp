// The following character: its follow operations against their formulas, the bump, the pick-up
// into the vehicle's chain, the flee and follow routines, and the chain kept across visits.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/base/Random.h"
#include "game/shell/TLVFactory.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/Player.h"
#include "game/world/characters/DFollower.h"
#include "game/world/characters/DweebleRoutines.h"
#include "game/world/characters/FollowerRoutines.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/world/CharacterFixture.h"
#include "tests/game/world/WorldFixture.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

class FollowerTest : public HeadlessTest {
protected:
    std::unique_ptr<DFollower> Make(float x = 400.0f, float y = 300.0f) {
        auto f = std::make_unique<DFollower>();
        f->SetAnimSet(MakePart(12));
        f->SetPosition(CPointF(x, y), 0, 0);
        f->SetCharacterWorld(&world);
        return f;
    }
    /// A point `dx`, `dy` from the follower's ground position.
    static CPointF From(const DFollower& f, float dx, float dy) {
        const CPointF g = f.GetGroundPosition();
        return CPointF(g.x + dx, g.y + dy);
    }
    void Frame(Dweeble* d, uint32_t ms = 16) {
        clock().Advance(ms);
        d->OnIdle();
    }
    SpyCharacterWorld world;
    Car car;
    TLV_Object rock;
};

TEST_F(FollowerTest, StartsFreeWithTheFleeRoutines) {
    auto f = Make();
    EXPECT_EQ(f->GetCurrentRoutine(), &Dweeble_Flee);
    EXPECT_EQ(f->GetGroupRoutine(1), &DoNothing);
    EXPECT_EQ(f->GetGroupRoutine(3), &Dweeble_FollowerAct);
    EXPECT_EQ(f->GetGroupRoutine(5), &Dweeble_Follow);
    EXPECT_EQ(f->GetFollowerNumber(), -1);
    EXPECT_EQ(f->IsAnimating(), 1);
    f->SetHurry(true);
    f->SetBehaviourState(3);
    EXPECT_FALSE(f->IsHurrying()) << "every state change clears the hurry";
    f->UseFleeRoutines();
    f->UseFleeRoutines();
    EXPECT_TRUE(f->IsFollowing());
    EXPECT_EQ(f->GetGroupRoutine(1), &Dweeble_Flee);
    ASSERT_EQ(f->FramesA().Count(), 2);
    EXPECT_EQ(f->FramesA().GetAt(0), 8);
}

TEST_F(FollowerTest, ProgressCountsOnlyGainsOfMoreThanFivePixels) {
    const struct {
        float distance;
        bool progress;
        double best;
    } cases[] = {{96, false, 100}, {95, false, 100}, {94, true, 94}, {120, false, 100}};
    for (const auto& c : cases) {
        auto f = Make();
        f->SetGoalPoint(From(*f, c.distance, 0));
        f->SetBestDistance(100.0);
        EXPECT_EQ(f->CheckProgress(), c.progress) << c.distance;
        EXPECT_NEAR(f->GetBestDistance(), c.best, 1e-3) << c.distance;
        EXPECT_FALSE(f->ProgressTimerDone()) << "the watch restarts";
    }
    auto f = Make();
    f->SetGoalPoint(From(*f, 30, 40));
    f->SetBestDistance(-1.0);
    EXPECT_NEAR(f->GetBestDistance(), 50.0, 1e-3);
    f->SetBestDistance(-2.0);
    EXPECT_EQ(f->GetBestDistance(), -2.0);
}

TEST_F(FollowerTest, PushedGoalsKeepTheFirstSavedOne) {
    auto f = Make();
    f->SetTargetPoint(CPointF(5, 5));
    f->PopGoal();
    EXPECT_EQ(f->GetTargetPoint(), CPointF(5, 5)) << "nothing saved, nothing popped";
    f->SetGoalPoint(CPointF(100, 200));
    f->PushGoal(20, 10);
    f->PushGoal(40, 30);
    EXPECT_EQ(f->GetGoalPoint(), CPointF(30, 40));
    f->PopGoal();
    EXPECT_EQ(f->GetGoalPoint(), CPointF(100, 200));
    EXPECT_EQ(f->GetTargetPoint(), CPointF(100, 200));
    EXPECT_FALSE(f->IsGoalSaved());
}

TEST_F(FollowerTest, TheGoalIsOnScreenInsideTheStageWithoutItsRightAndBottomEdges) {
    world.scroll = CPoint16(2000, 100); // the view shows x 2000 to 2640, y 100 to 580
    const struct {
        float x, y;
        bool onScreen;
    } cases[] = {
        {2000, 100, true},   {1999.5f, 300, false}, {2639.9f, 300, true}, {2640, 300, false},
        {2300, 579.9f, true}, {2300, 580, false},    {2300, 99, false},
    };
    for (const auto& c : cases) {
        auto f = Make();
        f->SetGoalPoint(CPointF(c.x, c.y));
        EXPECT_EQ(f->IsGoalOnScreen(), c.onScreen) << c.x << "," << c.y;
    }
    auto f = Make();
    f->SetCharacterWorld(nullptr);
    f->SetGoalPoint(CPointF(2300, 300));
    EXPECT_FALSE(f->IsGoalOnScreen()) << "without a world";
}

TEST_F(FollowerTest, ApproachSlowsOnTheLastPixelsToATargetAbove) {
    const struct {
        float dx, dy;
        int32_t speedBefore, speedAfter;
        bool stopped;
    } cases[] = {
        {0, -20, 77, 55, false},  {0, -44, 77, 79, false}, {0, -46, 77, 77, false}, {0, 20, 0, 100, false},
        {0, 20, 77, 77, false},   {0, -10, 77, 77, true},  {0, -15.5f, 77, 50, false},
    };
    for (const auto& c : cases) {
        auto f = Make();
        f->SetSpeed(c.speedBefore);
        f->SetVelocity(Vec3(10, 10, 0), 0);
        f->SetTargetPoint(From(*f, c.dx, c.dy));
        f->ApproachTarget();
        EXPECT_EQ(f->GetSpeed(), c.speedAfter) << c.dy;
        EXPECT_EQ(Vec3Length(f->GetVelocity()) == 0.0f, c.stopped) << c.dy;
    }
}

TEST_F(FollowerTest, AVehicleComesWhenItHeadsForTheFollowerWithinReach) {
    const struct {
        const char* what;
        float carDx, speed;
        bool onlyWhenMoving, hurry, coming;
    } cases[] = {
        {"standing, close, any vehicle", -50, 0, false, false, true},
        {"standing, close, only moving", -50, 0, true, false, false},
        {"standing, beyond 75", -80, 0, false, false, false},
        {"moving at it within notice", -200, 100, true, false, true},
        {"moving at it beyond notice", -250, 100, true, false, false},
        {"moving at it beyond notice, hurrying", -250, 100, true, true, true},
        {"moving away", 200, 100, true, false, false},
        {"slow: the reach shrinks", -100, 50, true, false, true},
        {"slow: beyond the shrunk reach", -115, 50, true, false, false},
        {"slow and farther", -120, 30, true, false, false},
    };
    for (const auto& c : cases) {
        auto f = Make();
        car.SetPosition(From(*f, c.carDx, 0), 0, 0);
        car.SetVelocity(Vec3(c.speed, 0, 0), 0);
        f->SetTargetObject(&car);
        f->SetHurry(c.hurry);
        EXPECT_EQ(f->IsVehicleComing(c.onlyWhenMoving), c.coming) << c.what;
    }
    auto f = Make();
    f->SetTargetObject(&rock);
    EXPECT_FALSE(f->IsVehicleComing(false)) << "a still prop never comes";
}

TEST_F(FollowerTest, SideStepsTakeThePerpendicularDownOrUp) {
    const struct {
        const char* what;
        float x, dx, dy;
        Vec3 down, up;
    } cases[] = {
        {"target right", 400, 30, 0, {0, 30, 0}, {0, -30, 0}},
        {"target left", 400, -30, 0, {0, 30, 0}, {0, -30, 0}},
        {"straight above, right half", 1000, 0, -30, {-30, 0, 0}, {-30, 0, 0}},
        {"straight above, left half", 100, 0, -30, {30, 0, 0}, {30, 0, 0}},
        {"straight below, right half", 1000, 0, 30, {-30, 0, 0}, {-30, 0, 0}},
        {"straight below, left half", 100, 0, 30, {30, 0, 0}, {30, 0, 0}},
    };
    for (const auto& c : cases) {
        auto f = Make(c.x, 300);
        f->SetTargetPoint(From(*f, c.dx, c.dy));
        EXPECT_EQ(f->SideStepDown(3), f->NearestDirection(3, c.down)) << c.what;
        EXPECT_EQ(f->SideStepUp(3), f->NearestDirection(3, c.up)) << c.what;
    }
}

TEST_F(FollowerTest, LeaderSpeedFollowsTheKindOfLeader) {
    auto f = Make();
    DFollower ahead;
    ahead.SetSpeed(120);
    f->MatchLeaderSpeed(&ahead, 0, 10);
    EXPECT_EQ(f->GetSpeed(), 130);
    f->MatchLeaderSpeed(&ahead, 200, 10);
    EXPECT_EQ(f->GetSpeed(), 200);
    car.SetVelocity(Vec3(30, 40, 0), 0);
    f->MatchLeaderSpeed(&car, 0, 5);
    EXPECT_EQ(f->GetSpeed(), 55);
    VIsometric vehicle;
    const struct {
        float dx;
        Vec3 velocity;
        int32_t speed;
    } cases[] = {{100, {100, 0, 0}, 140}, {200, {100, 0, 0}, 120}, {300, {100, 0, 0}, 100}, {100, {0, 0, 0}, 7}};
    for (const auto& c : cases) {
        CPointF ground;
        vehicle.SetPosition(From(*f, c.dx, 0), 0, 0);
        vehicle.GetGroundPointF(&ground);
        vehicle.SetPosition(CPointF(2 * vehicle.GetPosition().x - ground.x, 2 * vehicle.GetPosition().y - ground.y), 0, 0);
        vehicle.SetVelocity(c.velocity, 0);
        f->MatchLeaderSpeed(&vehicle, 0, 7);
        EXPECT_EQ(f->GetSpeed(), c.speed) << c.dx;
    }
}

TEST_F(FollowerTest, AVehicleBumpsItAndAnythingElsePicksItUp) {
    const struct {
        bool byVehicle, insideMap;
        int32_t answer, state;
        bool bumped;
    } cases[] = {{true, true, 16, 5, true}, {true, false, 1, 9, true}, {false, true, 1, 6, false}};
    for (const auto& c : cases) {
        auto f = Make();
        world.insideMap = c.insideMap;
        EXPECT_EQ(f->OnContact(c.byVehicle ? static_cast<TLV_Object*>(&car) : &rock), c.answer);
        EXPECT_EQ(f->GetBehaviourState(), c.state);
        EXPECT_EQ(f->IsBumped(), c.bumped);
    }
    world.insideMap = true;
    auto f = Make();
    f->OnContact(&car);
    for (int i = 0; i < 15; ++i) Frame(f.get());
    EXPECT_TRUE(f->IsBumped());
    Frame(f.get(), 20);
    EXPECT_FALSE(f->IsBumped());
    EXPECT_EQ(f->GetBehaviourState(), 0) << "the bump ends in state 0";
}

TEST_F(FollowerTest, PickedUpFollowersJoinTheChainInOrder) {
    VIsometric vehicle;
    for (int i = 0; i < VIsometric::kTrailLength; ++i) vehicle.SetWayPoint(i, CPoint16(int16_t(500 - 10 * i), 300));
    std::vector<std::unique_ptr<DFollower>> followers;
    for (int i = 0; i < 3; ++i) {
        followers.push_back(Make(float(100 + 50 * i), 200));
        followers.back()->SetTargetObject(&vehicle);
        followers.back()->AddFramesD(3, 3); // a frame the part has
        followers.back()->OnContact(&rock);
        Frame(followers.back().get());
    }
    const TLV_Object* expectedLeader = &vehicle;
    for (int i = 0; i < 3; ++i) {
        DFollower* f = followers[size_t(i)].get();
        EXPECT_EQ(f->GetFollowerNumber(), i + 1);
        EXPECT_EQ(f->GetPrevious(), expectedLeader);
        EXPECT_EQ(f->GetTargetObject(), expectedLeader);
        EXPECT_EQ(f->GetTargetPoint(), CPointF(float(500 - 10 * (i + 1)), 300));
        EXPECT_TRUE(f->IsFollowing());
        EXPECT_EQ(f->GetBehaviourState(), 7);
        EXPECT_EQ(world.attached[size_t(i)], f);
        expectedLeader = f;
    }
    for (auto it = followers.rbegin(); it != followers.rend(); ++it) (*it)->Unlink();
}

TEST_F(FollowerTest, AFleeingFollowerWithoutAFreeWayStandsUntilItsNextTurn) {
    auto f = Make();
    world.freeAfter = -1;
    car.SetPosition(From(*f, 150, 0), 0, 0);
    f->SetTargetObject(&car);
    f->SetBehaviourState(4);
    f->ExpireTimers(); // as a free follower enters its flight
    f->SetHeading(2);
    for (int i = 0; i < 20; ++i) {
        Frame(f.get());
        ASSERT_EQ(Vec3Length(f->GetVelocity()), 0.0f) << "frame " << i;
        ASSERT_EQ(f->GetHeading(), 2);
    }
    world.freeAfter = 0;
    Frame(f.get());
    EXPECT_GT(Vec3Length(f->GetVelocity()), 0.0f) << "a free way at the next turn";
}

TEST_F(FollowerTest, AFarFollowerOutOfSightJumpsToAnAnchorOutOfSight) {
    const struct {
        const char* what;
        CPoint16 anchor;
        float targetDx;
        bool jumps;
    } cases[] = {
        {"anchor hidden", {1500, 300}, 600, true},
        {"anchor just beyond the left margin", {int16_t(2000 - 41), 300}, 600, true},
        {"anchor within the widened view", {int16_t(2000 - 39), 300}, 600, false},
        {"target within 500", {1500, 300}, 400, false},
        {"trail not laid yet", {0, 0}, 600, false},
    };
    for (const auto& c : cases) {
        world.scroll = CPoint16(2000, 0); // the view shows x 2000 to 2640
        VIsometric vehicle;
        vehicle.SetWayPoint(VIsometric::kTrailLength - 1, c.anchor);
        auto f = Make(400, 300);
        f->SetTargetObject(&vehicle);
        f->UseFleeRoutines();
        f->LinkAfter(&vehicle);
        f->SetTargetPoint(From(*f, c.targetDx, 0));
        f->SetBehaviourState(16 + 1); // a state no routine moves in
        Frame(f.get());
        const CPointF g = f->GetGroundPosition();
        EXPECT_EQ(g == CPointF(c.anchor.x, c.anchor.y), c.jumps) << c.what;
        f->Unlink();
    }
}

TEST_F(FollowerTest, NearItsGoalInSightItWaits) {
    auto f = Make(200, 300);
    car.SetPosition(CPointF(1200, 900), 0, 0);
    f->SetTargetObject(&car);
    f->SetGoalPoint(From(*f, 100, 0));
    f->SetTargetPoint(f->GetGoalPoint());
    f->SetBehaviourState(13);
    Frame(f.get());
    EXPECT_EQ(f->GetBehaviourState(), 15);
    Frame(f.get());
    EXPECT_EQ(f->GetBehaviourState(), 16);
    world.scroll = CPoint16(2000, 0);
    Frame(f.get());
    EXPECT_EQ(f->GetBehaviourState(), 13) << "the goal left the screen";
}

TEST_F(FollowerTest, SentToAGoalItWalksThereAndArrives) {
    world.freeAfter = 0;
    world.scroll = CPoint16(2000, 2000); // near an unseen goal it walks on to it
    auto f = Make(200, 300);
    car.SetPosition(CPointF(1200, 900), 0, 0);
    f->SetTargetObject(&car);
    f->UseFleeRoutines();
    f->SetGoalPoint(From(*f, 300, 0));
    f->SetBehaviourState(12);
    int frames = 0;
    for (; frames < 1000 && world.retired.empty(); ++frames) Frame(f.get());
    ASSERT_EQ(world.retired.size(), 1u) << "arrived after " << frames << " frames";
    EXPECT_EQ(world.retired[0], f.get());
    EXPECT_EQ(world.effects, std::vector<OActivityProp*>{f.get()}) << "the effect shows where it arrived";
    EXPECT_TRUE(f->IsWalkingToGoal());
    EXPECT_EQ(f->GetBehaviourState(), 1);
    EXPECT_EQ(f->GetCurrentRoutine(), &DoNothing);
    const CPointF g = f->GetGroundPosition();
    EXPECT_LT(std::hypot(g.x - f->GetGoalPoint().x, g.y - f->GetGoalPoint().y), f->GetStopDistance() + 1.0f);
}

TEST_F(FollowerTest, AStuckWalkDetoursToTheNearestCollectable) {
    world.freeAfter = -1;
    world.hasCollectable = true;
    world.collectable = CPointF(50, 60);
    auto f = Make(200, 300);
    world.correct = true; // every move is taken back: every progress check fails
    world.corrected = f->GetGroundPosition();
    f->SetTargetObject(&car);
    car.SetPosition(CPointF(1200, 900), 0, 0);
    f->SetGoalPoint(From(*f, 300, 0));
    f->StartFollowing();
    f->SetBehaviourState(13);
    for (int i = 0; i < 500 && !f->IsGoalSaved(); ++i) Frame(f.get(), 20);
    ASSERT_TRUE(f->IsGoalSaved());
    EXPECT_GT(f->GetArrivalCount(), 5);
    EXPECT_EQ(f->GetGoalPoint(), CPointF(50, 60));
}

// ---- Across visits -------------------------------------------------------------------------------

class FollowerWorldTest : public WorldFixture {};

TEST_F(FollowerWorldTest, SavedFollowersComeBackLinkedAtTheirPoints) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    world->giveVehicle = true;
    world->SetVehiclePartId(MakeChunkId(2, kVehiclePart));
    world->CreateVehicle();
    ASSERT_NE(world->GetVehicle(), nullptr);
    std::vector<DFollower*> followers;
    for (int i = 0; i < 4; ++i) followers.push_back(Add(world, new DFollower, float(100 + 100 * i), 400));
    followers[3]->LinkAfter(world->GetVehicle());
    followers[1]->LinkAfter(followers[3]);
    followers[0]->LinkAfter(followers[1]);
    std::vector<CPointF> places;
    for (DFollower* f : {followers[3], followers[1], followers[0]}) places.push_back(f->GetGroundPosition());
    world->SaveFollowers();
    for (DFollower* f : {followers[0], followers[1], followers[3]}) f->Unlink();
    xSRand(3);
    world->RestoreFollowers();
    ASSERT_EQ(world->CountFollowers(), 3);
    const TLV_Object* leader = world->GetVehicle();
    int number = 1;
    for (const TLV_Object* p = leader->GetNext(); p; p = p->GetNext(), ++number) {
        const auto* f = dynamic_cast<const DFollower*>(p);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->GetFollowerNumber(), number);
        EXPECT_TRUE(f->IsFollowing());
        EXPECT_EQ(f->GetTargetObject(), leader);
        EXPECT_EQ(f->GetBehaviourState(), 0);
        const CPointF at = places[size_t(number - 1)];
        EXPECT_EQ(f->GetGroundPosition(), CPointF(std::trunc(at.x), std::trunc(at.y)));
        EXPECT_EQ(f->GetTargetPoint(), CPointF(std::trunc(at.x), std::trunc(at.y)));
        leader = f;
    }
}


// ---- Behind a driven vehicle ------------------------------------------------------------------------

namespace drive {

constexpr uint32_t kDriveWorldClass = 503; // a town's class, taken over by the test world
constexpr uint16_t kDriveWorld = 76;
constexpr uint16_t kCarPart = 3320, kCarShadow = 3321;

PartPlan CarPart() {
    PartPlan part;
    for (int s = 0; s < 64; ++s)
        part.states.push_back(StatePlan{.frames = {{.picture = Picture(8, 8, uint8_t(s % 200 + 1)), .hotX = 4, .hotY = 4}},
                                        .propertyValue = 2});
    part.words[0] = kCarShadow;
    return part;
}

PartPlan ShadowPart() {
    PartPlan part;
    part.states.push_back(StatePlan{.frames = {{.picture = Picture(8, 8, 9), .hotX = 4, .hotY = 4}}});
    part.words[0] = 12;
    part.words[1] = 30;
    return part;
}

/// A world that drives a real vehicle with the keys the test presses.
class DriveWorld : public TLVWorld_Activity {
public:
    DriveWorld() : TLVWorld_Activity("TLVWorld_Activity", kDriveWorldClass) { SetVehiclePartId(MakeChunkId(2, kCarPart)); }
    bool IsA(uint32_t classId) const override { return classId == kDriveWorldClass || TLVWorld_Activity::IsA(classId); }
    void OnStep(int32_t /*index*/) override {}

protected:
    TLVComplex_Object* MakeVehicle() override { return new VIsometric; }
};

/// Whatever picks a follower up: a small moving prop handed to the world's prop hook.
class Particle : public TLVComplex_Object {};

} // namespace drive

class FollowerDriveTest : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        ASSERT_TRUE(xTLVFactory_Register(
            {drive::kDriveWorldClass, [] { return static_cast<OActivity*>(new drive::DriveWorld); }, nullptr}));
    }
    void AddWorldData(GameData& data) override {
        data.parts.AddPart(drive::CarPart(), drive::kCarPart);
        data.parts.AddPart(drive::ShadowPart(), drive::kCarShadow);
        AddWorld(data, drive::kDriveWorld, drive::kDriveWorldClass, {});
    }
    static bool Visible(TLVWorld_Activity* world, const CPointF& p) {
        const CRect16 view = world->GetVisibleRect();
        return p.x >= view.left && p.x < view.right && p.y >= view.top && p.y < view.bottom;
    }
};

TEST_F(FollowerDriveTest, PickedUpFollowersTrailTheVehicleInChainOrder) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        app->GetPlayer()->IncCounter(13); // no tutorial
        SwitchTo(drive::kDriveWorld);
        auto* world = dynamic_cast<drive::DriveWorld*>(CurrentGameActivity());
        ASSERT_NE(world, nullptr) << traced();
        auto* car = dynamic_cast<VIsometric*>(world->GetVehicle());
        ASSERT_NE(car, nullptr);
        car->SetPosition(CPointF(640, 480), 0, 1);
        xSRand(seed);
        std::vector<DFollower*> picked;
        for (int i = 0; i < 3; ++i) {
            auto* f = Add(world, new DFollower, float(560 + 30 * i), 560);
            f->AddFramesD(3, 3);
            f->SetTargetObject(car);
            picked.push_back(f);
        }
        Frames(2, kFrameMs);
        for (DFollower* f : picked) {
            drive::Particle particle;
            particle.SetPartID(app->GetPartFile(), MakeChunkId(2, kPropPart), 1);
            particle.SetPosition(f->GetPosition(), 0, 0);
            WorldPropHook(&particle);
            Frames(1, kFrameMs);
        }
        ASSERT_EQ(world->CountFollowers(), 3) << "seed " << seed;
        int number = 1;
        for (const TLV_Object* p = car->GetNext(); p; p = p->GetNext(), ++number)
            EXPECT_EQ(static_cast<const DFollower*>(p)->GetFollowerNumber(), number) << "seed " << seed;

        car->Halt();
        car->DriveKeyPos();
        int frames = 0, near = 0;
        std::vector<CPointF> before;
        for (DFollower* f : picked) before.push_back(f->GetGroundPosition());
        for (uint32_t ms = 0; ms < 20000; ms += kFrameMs) {
            // Loops of the map: a short turn every two and a half seconds, longer with the seed.
            const uint32_t phase = ms % 2500;
            if (phase < kFrameMs) car->TurnKeyNeg();
            if (phase >= 250 + 50 * seed && phase < 250 + 50 * seed + kFrameMs) car->TurnKeyUp();
            Frames(1, kFrameMs);
            for (size_t i = 0; i < picked.size(); ++i) {
                DFollower* f = picked[i];
                CPointF trail;
                car->GetWayPoint(&trail, f->GetFollowerNumber());
                if (trail == CPointF(0, 0)) trail = car->GetPosition(); // not laid yet
                const CPointF g = f->GetGroundPosition();
                // A follower sets off once its leader has left it (its pick-up action ends),
                // and leaves the trail while it runs out of the vehicle's way.
                const int32_t state = f->GetBehaviourState();
                if ((state < 6 || state > 8) && !f->IsVehicleComing(false)) {
                    ++frames;
                    if (std::hypot(g.x - trail.x, g.y - trail.y) <= 300.0f) ++near;
                }
                if (std::hypot(g.x - before[i].x, g.y - before[i].y) > 60.0f) {
                    EXPECT_FALSE(Visible(world, before[i])) << "a catch-up starts out of sight";
                    EXPECT_FALSE(Visible(world, g)) << "and ends out of sight";
                }
                before[i] = g;
            }
        }
        EXPECT_GT(frames, 1000) << "seed " << seed;
        EXPECT_GE(near * 100, frames * 95) << "seed " << seed << ": " << near << " of " << frames;
        FlushMessageQueue();
        SwitchTo(kEmptyWorld);
    }
}

} // namespace
} // namespace vqt::test

// The avoiding, bad and captive characters and the pens: touch answers, the avoid mode, the pen
// target on a pen's drawn pixels, the rescue request and the pens the world makes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "game/shell/Fire.h"
#include "game/shell/TLVFactory.h"
#include "game/world/characters/CharacterClasses.h"
#include "game/world/characters/ConstraintObject.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DBadGuy.h"
#include "game/world/characters/DCaptive.h"
#include "game/world/characters/DFollower.h"
#include "tests/game/world/CharacterFixture.h"
#include "tests/game/world/WorldFixture.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

enum class Kind { Avoider, BadGuy, Captive };

std::unique_ptr<Dweeble> MakeKind(Kind kind) {
    std::unique_ptr<Dweeble> d;
    if (kind == Kind::Avoider) d = std::make_unique<DAvoider>();
    else if (kind == Kind::BadGuy) d = std::make_unique<DBadGuy>();
    else d = std::make_unique<DCaptive>();
    d->SetAnimSet(MakePart(12));
    d->SetPosition(CPointF(400, 300), 0, 0);
    return d;
}

class CharactersTest : public HeadlessTest {
protected:
    void Frame(Dweeble* d, uint32_t ms = 16) {
        clock().Advance(ms);
        d->OnIdle();
    }
    SpyCharacterWorld world;
    Car car;
    TLV_Object rock;
};

TEST_F(CharactersTest, TouchAnswers) {
    struct Case {
        const char* what;
        Kind kind;
        bool byVehicle, insideMap, drivingWorld, acting;
        int32_t answer, state;
    };
    const Case cases[] = {
        {"avoider, vehicle", Kind::Avoider, true, true, true, false, 16, 9},
        {"avoider, vehicle at the map's edge", Kind::Avoider, true, false, true, false, 1, 9},
        {"avoider, vehicle outside a driving world", Kind::Avoider, true, false, false, false, 16, 9},
        {"avoider, vehicle while acting", Kind::Avoider, true, true, true, true, 16, 1},
        {"avoider, other prop", Kind::Avoider, false, true, true, false, 1, 6},
        {"avoider, other prop while acting", Kind::Avoider, false, true, true, true, 1, 1},
        {"bad guy, vehicle", Kind::BadGuy, true, true, true, false, 64, 1},
        {"bad guy, other prop", Kind::BadGuy, false, true, true, false, 65, 1},
        {"captive, vehicle", Kind::Captive, true, true, true, false, 1, 1},
        {"captive, other prop", Kind::Captive, false, true, true, false, 1, 1},
    };
    for (const Case& c : cases) {
        auto d = MakeKind(c.kind);
        world.insideMap = c.insideMap;
        world.drivingWorld = c.drivingWorld;
        d->SetCharacterWorld(&world);
        if (c.acting) d->SetState(7);
        d->SetVelocity(Vec3(30, 0, 0), 0);
        EXPECT_EQ(d->OnContact(c.byVehicle ? static_cast<TLV_Object*>(&car) : &rock), c.answer) << c.what;
        EXPECT_EQ(d->GetBehaviourState(), c.state) << c.what;
        if (c.state == 9) {
            EXPECT_EQ(Vec3Length(d->GetVelocity()), 0.0f) << c.what;
        }
    }
}

TEST_F(CharactersTest, TheAvoidModeEndsAQuarterSecondAfterTheLastTouch) {
    auto d = MakeKind(Kind::Avoider);
    auto* avoider = static_cast<DAvoider*>(d.get());
    avoider->OnContact(&car);
    for (int i = 0; i < 12; ++i) Frame(d.get()); // 192 ms
    avoider->SetState(7);                           // acting: no new reaction, but a new timer
    avoider->OnContact(&car);
    EXPECT_EQ(avoider->GetAvoidedVehicle(), &car);
    avoider->SetState(1);
    for (int i = 0; i < 15; ++i) Frame(d.get()); // 240 ms after the second touch
    EXPECT_TRUE(avoider->IsAvoiding());
    Frame(d.get(), 16);
    EXPECT_FALSE(avoider->IsAvoiding());
    EXPECT_EQ(avoider->GetAvoidedVehicle(), nullptr);
    EXPECT_EQ(avoider->GetBehaviourState(), 5);
    EXPECT_TRUE(avoider->StepTimerDone() && avoider->TurnTimerDone()) << "steers again at once";
}

TEST_F(CharactersTest, AnAvoiderKeepsItsBackToTheVehicle) {
    const CPointF sides[] = {{200, 300}, {600, 300}, {400, 100}, {400, 500}, {250, 450}, {550, 150}};
    for (const CPointF& side : sides) {
        auto d = MakeKind(Kind::Avoider);
        car.SetPosition(side, 0, 0);
        d->OnContact(&car);
        for (int i = 0; i < 5; ++i) {
            Frame(d.get());
            const CPointF at = d->GetPosition();
            const int32_t away = d->NearestDirection(9, Vec3(at.x - side.x, at.y - side.y, 0));
            ASSERT_EQ(d->GetHeading(), away) << side.x << "," << side.y << " frame " << i;
            bool mirrored = false;
            EXPECT_EQ(d->GetState(), d->MovingFrameB(away, &mirrored));
            EXPECT_EQ(d->GetAnimSet()->IsMirrored(), mirrored ? 1u : 0u);
        }
    }
}

TEST_F(CharactersTest, ActionFramesFollowTheVehicleOfThePair) {
    DAvoider avoider;
    EXPECT_EQ(avoider.FramesD().Count(), 2);
    avoider.SetActionFrames(1);
    EXPECT_EQ(avoider.FramesD().Count(), 3);
    EXPECT_EQ(avoider.FramesD().GetAt(2), 9);
    avoider.SetActionFrames(0);
    EXPECT_EQ(avoider.FramesD().Count(), 2);
    DFollower follower;
    follower.SetActionFrames(1);
    ASSERT_EQ(follower.FramesD().Count(), 1);
    EXPECT_EQ(follower.FramesD().GetAt(0), 7);
}

TEST_F(CharactersTest, ACaptiveWithoutAUsablePenKeepsItsHeading) {
    ConstraintObject turned, empty;
    turned.SetSize(CPoint16(100, 100), 0);
    turned.SetRotation(45);
    struct Case {
        const char* what;
        ConstraintObject* pen;
        const char* trace;
    } cases[] = {{"no pen", nullptr, nullptr},
                 {"turned pen", &turned, "turned by 45 degrees"},
                 {"empty pen", &empty, "its pen is empty"}};
    for (const Case& c : cases) {
        DCaptive captive;
        captive.SetAnimSet(MakePart(12));
        captive.SetHeading(4);
        captive.SetTargetPoint(CPointF(70, 80));
        captive.SetPen(c.pen);
        captive.PickRandomHeading(3);
        EXPECT_EQ(captive.GetTargetPoint(), CPointF(0, 0)) << c.what;
        EXPECT_EQ(captive.GetHeading(), 4) << c.what;
        if (c.trace) {
            EXPECT_NE(traced().find(c.trace), std::string::npos) << c.what;
        }
    }
}

TEST_F(CharactersTest, TheFactoryMakesEveryCharacterWithItsLineage) {
    xCharacters_RegisterClasses();
    const struct {
        uint32_t id;
        std::vector<uint32_t> lineage;
    } cases[] = {{2410, {2410, 2400, 1110, 1100, 54, 1}}, {2420, {2420, 2400, 1110, 1100, 54, 1}},
                 {2430, {2430, 2400, 1110, 1100, 54, 1}}, {2440, {2440, 2400, 1110, 1100, 54, 1}},
                 {2450, {2450, 1100, 54, 50, 20, 10, 1}}};
    for (const auto& c : cases) {
        std::unique_ptr<OView> made(xTLVFactory_MakeProp(c.id));
        ASSERT_NE(made, nullptr) << c.id;
        for (uint32_t id : c.lineage) EXPECT_TRUE(made->IsA(id)) << c.id << " is a " << id;
        EXPECT_FALSE(made->IsA(c.id == 2420 ? 2430 : 2420)) << c.id;
    }
    EXPECT_FALSE(ConstraintObject().IsA(2400));
}

TEST_F(CharactersTest, AVehicleLeadsItsFollowersButCarriesNone) {
    Car vehicle;
    vehicle.SetAnimSet(MakePart(4));
    vehicle.SetState(2);
    auto d = MakeKind(Kind::Avoider);
    d->LinkAfter(&vehicle);
    EXPECT_EQ(d->ChainHead(), d.get());
    d->SetBehaviourState(6);
    EXPECT_EQ(vehicle.GetState(), 2) << "the vehicle's picture is not the action's";
    d->Unlink();
}

// ---- In a world: pens and rescue -------------------------------------------------------------

constexpr uint16_t kPenPart = 3310, kBlankPenPart = 3311;
constexpr int kPenSize = 40;

/// The L of the pen frame: the left column and the bottom row, 10 pixels thick.
bool InL(int x, int y) { return x < 10 || y >= 30; }

PartPlan PenPart(bool drawn) {
    Picture picture(kPenSize, kPenSize);
    for (int y = 0; y < kPenSize; ++y)
        for (int x = 0; x < kPenSize; ++x) picture.at(x, y) = drawn && InL(x, y) ? 5 : 0;
    PartPlan part;
    part.states.push_back(StatePlan{.frames = {FramePlan{.picture = picture, .hotX = 20, .hotY = 20}}});
    return part;
}

class PensTest : public WorldFixture {
protected:
    void AddWorldData(GameData& data) override {
        data.parts.AddPart(PenPart(true), kPenPart);
        data.parts.AddPart(PenPart(false), kBlankPenPart);
    }
    ConstraintObject* Pen(TLVWorld_Activity* world, uint16_t part, float x, float y) {
        auto* pen = Add(world, new ConstraintObject, x, y);
        pen->SetPartID(app->GetPartFile(), MakeChunkId(2, part), 1);
        pen->SetPosition(CPointF(x, y), 0, 0);
        return pen;
    }
    /// A prop the world files as a guard.
    class Guard : public TLVComplex_Object {
    public:
        bool IsA(uint32_t id) const override { return id == 2460 || id == 2400 || TLVComplex_Object::IsA(id); }
    };
};

TEST_F(PensTest, SeededPenTargetsLieOnTheDrawnPixelsOfThePen) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    ConstraintObject* pen = Pen(world, kPenPart, 300, 300);
    ASSERT_EQ(pen->GetWidth(), kPenSize);
    auto* captive = Add(world, new DCaptive, 310, 310);
    captive->SetPen(pen);
    for (uint32_t seed = 1; seed <= 1000; ++seed) {
        xSRand(seed);
        captive->PickRandomHeading(3);
        const CPointF t = captive->GetTargetPoint();
        const int x = int(t.x) - 280, y = int(t.y) - 280;
        ASSERT_TRUE(x >= 0 && x < kPenSize && y >= 0 && y < kPenSize) << "seed " << seed;
        ASSERT_TRUE(InL(x, y)) << "seed " << seed << " at " << x << "," << y;
        const CPointF c = captive->GetPosition();
        ASSERT_EQ(captive->GetHeading(), captive->NearestDirection(3, Vec3(t.x - c.x, t.y - c.y, 0)));
    }
    EXPECT_EQ(traced().find("no drawn pixel"), std::string::npos);
}

TEST_F(PensTest, APenWithoutDrawnPixelsGivesItsCentre) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    auto* captive = Add(world, new DCaptive, 310, 310);
    captive->SetPen(Pen(world, kBlankPenPart, 500, 400));
    captive->PickRandomHeading(3);
    EXPECT_EQ(captive->GetTargetPoint(), CPointF(500, 400));
    EXPECT_NE(traced().find("no drawn pixel found in its pen"), std::string::npos);
}

TEST_F(PensTest, TheRescueAnimationsEndRequestsTheRescueActivity) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    auto* captive = Add(world, new DCaptive, 310, 310);
    EXPECT_EQ(captive->GetRescueActivity(), MakeChunkId(1, 6));
    captive->SetRescueActivity(MakeChunkId(1, kRoundUpWorld));
    captive->SetState(0);
    captive->OnAnimationEnd();
    EXPECT_FALSE(manager->IsSwitchPending()) << "only the rescue state's end counts";
    captive->SetState(1);
    captive->OnAnimationEnd();
    EXPECT_TRUE(manager->IsSwitchPending());
    EXPECT_EQ(manager->GetPendingId(), MakeChunkId(1, kRoundUpWorld));
    EXPECT_FALSE(IsMessageQueued());
    // The animation loops on while the next screen comes: its later ends ask nothing more.
    for (int loop = 0; loop < 3; ++loop) captive->OnAnimationEnd();
    EXPECT_EQ(traced().find("interrupt activity switch"), std::string::npos) << "asked once";
}

TEST_F(PensTest, PensStandBesideTheBlockerNearestTheGuardOfEachFire) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    Add(world, new Fire, 100, 100, 1);
    Add(world, new Fire, 900, 500, 1);
    Add(world, new Fire, 600, 600, 2);
    Add(world, new Guard, 150, 100);
    Add(world, new Blocker, 200, 100);
    Add(world, new Blocker, 800, 800);
    auto* loose = Add(world, new DCaptive, 400, 400);
    auto* penned = Add(world, new DCaptive, 420, 400);
    penned->SetPen(Pen(world, kPenPart, 420, 420));
    auto* named = Add(world, new DCaptive, 440, 400, 6);
    const int32_t pensBefore = world->GetList(TLVWorld_Activity::kConstraints).Count();
    world->AddConstraintObjects(1);
    const auto& pens = world->GetList(TLVWorld_Activity::kConstraints);
    ASSERT_EQ(pens.Count(), pensBefore + 2);
    const struct {
        uint32_t id;
        float x, y;
    } expected[] = {{10, 350, 250}, {11, 50, 250}};
    for (int i = 0; i < 2; ++i) {
        const OActivityProp* pen = pens.GetAt(pensBefore + i);
        EXPECT_EQ(pen->GetObjectId(), expected[i].id);
        EXPECT_EQ(pen->GetPosition(), CPointF(expected[i].x, expected[i].y)) << expected[i].id;
        EXPECT_EQ(pen->GetWidth(), 300);
        EXPECT_EQ(pen->GetParent(), world);
    }
    EXPECT_FALSE(loose->IsVisible()) << "a captive of id 0 without a pen retires";
    EXPECT_TRUE(penned->IsVisible());
    EXPECT_TRUE(named->IsVisible());
}

TEST_F(PensTest, AFireWithoutAGuardGetsNoPen) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    Add(world, new Fire, 100, 100, 1);
    Add(world, new Blocker, 200, 100);
    world->AddConstraintObjects(1);
    EXPECT_EQ(world->GetList(TLVWorld_Activity::kConstraints).Count(), 0);
    EXPECT_NE(traced().find("fire 0 has no guard"), std::string::npos);
}

} // namespace
} // namespace vqt::test

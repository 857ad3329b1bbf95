// Guards and their patrol areas: patrol targets in the widened rectangle, the step beside the
// guard, the heading from inside, the free-step search and its map-centre fallback, the walker
// a guard without a usable area becomes, and its touch answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVFactory.h"
#include "game/world/characters/CharacterClasses.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DGuard.h"
#include "game/world/characters/PatrolObject.h"
#include "tests/game/world/CharacterFixture.h"
#include "tests/game/world/WorldFixture.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

/// The spy that also logs the world's own way test and its flags.
class WaySpyWorld : public SpyCharacterWorld {
public:
    std::vector<std::pair<int32_t, int32_t>> wayFlags;
    bool IsWayFree(CPointF from, CPointF to, int32_t bandFlag, int32_t vehicleFlag) override {
        wayFlags.emplace_back(bandFlag, vehicleFlag);
        return CanMoveTo(from, to);
    }
};

constexpr uint32_t kNoId = 0xFFFFFFFFu;

struct AreaPlan {
    float x = 400, y = 300;
    int16_t w = 200, h = 100;
    uint32_t id = 0;
    int32_t rotation = 0;
};

std::unique_ptr<PatrolObject> MakeArea(const AreaPlan& a) {
    auto area = std::make_unique<PatrolObject>();
    area->SetObjectId(a.id);
    area->SetSize(CPoint16(a.w, a.h), 0);
    area->SetPosition(CPointF(a.x, a.y), 0, 0);
    area->SetRotation(a.rotation);
    return area;
}

std::unique_ptr<DGuard> MakeGuard(float x, float y, int states = 12) {
    auto guard = std::make_unique<DGuard>();
    guard->SetAnimSet(MakePart(states));
    guard->SetPosition(CPointF(x, y), 0, 0);
    return guard;
}

std::vector<int32_t> Frames(const CDynArray<int32_t>& list) {
    std::vector<int32_t> out;
    for (int32_t i = 0; i < list.Count(); ++i) out.push_back(list.GetAt(i));
    return out;
}

/// The order in which a seeded search draws directions out of `count`.
std::vector<int32_t> DrawOrder(int32_t count) {
    std::vector<int32_t> left, order;
    for (int32_t i = 0; i < count; ++i) left.push_back(i);
    while (!left.empty()) {
        const int32_t pick = xRand() % int32_t(left.size());
        order.push_back(left[size_t(pick)]);
        left.erase(left.begin() + pick);
    }
    return order;
}

class GuardsTest : public HeadlessTest {
protected:
    WaySpyWorld world;
    Car car;
    TLV_Object rock;
};

TEST_F(GuardsTest, SeededPatrolTargetsLieInTheRectangleWidenedByTheMargin) {
    const AreaPlan plan{.x = 401.7f, .y = 300.2f, .w = 201, .h = 99};
    const int32_t left = 401 - 100, top = 300 - 49;
    const struct {
        int16_t margin;
        int32_t widen; // how far a target may lie outside
    } cases[] = {{0, 0}, {100, 100}, {-5, 0}};
    for (const auto& c : cases) {
        auto area = MakeArea(plan);
        auto guard = MakeGuard(300, 200);
        guard->SetCharacterWorld(&world);
        guard->SetPen(area.get());
        guard->SetMargin(c.margin);
        bool outside = false;
        for (uint32_t seed = 1; seed <= 1000; ++seed) {
            xSRand(seed);
            const int32_t x = xRand() % (plan.w + 2 * c.widen) + left - c.widen;
            const int32_t y = xRand() % (plan.h + 2 * c.widen) + top - c.widen;
            xSRand(seed);
            guard->PickRandomHeading(3);
            const CPointF t = guard->GetTargetPoint();
            ASSERT_EQ(t, CPointF(float(x), float(y))) << "margin " << c.margin << " seed " << seed;
            ASSERT_TRUE(t.x >= left - c.widen && t.x < left + plan.w + c.widen && t.y >= top - c.widen &&
                        t.y < top + plan.h + c.widen)
                << "margin " << c.margin << " seed " << seed;
            outside = outside || t.x < left || t.x >= left + plan.w || t.y < top || t.y >= top + plan.h;
            ASSERT_EQ(guard->GetHeading(), guard->NearestDirection(3, Vec3(t.x - 300, t.y - 200, 0)));
        }
        EXPECT_EQ(outside, c.widen > 0) << "margin " << c.margin;
        EXPECT_TRUE(guard->GetGuardFlag());
        EXPECT_EQ(Frames(guard->FramesA()), std::vector<int32_t>{11}) << "the patrol standing frame";
    }
    ASSERT_FALSE(world.wayFlags.empty());
    EXPECT_EQ(world.wayFlags.front(), std::make_pair(1, 0)) << "top band open, vehicle counted";
}

TEST_F(GuardsTest, OnlyAPartWithAStateElevenStandsOnThePatrolFrame) {
    const struct {
        int states;
        bool patrolFrame;
    } cases[] = {{8, false}, {11, false}, {12, true}, {40, true}};
    for (const auto& c : cases) {
        auto area = MakeArea({});
        auto guard = MakeGuard(300, 200, c.states);
        guard->SetCharacterWorld(&world);
        guard->SetPen(area.get());
        const std::vector<int32_t> before = Frames(guard->FramesA());
        xSRand(1);
        guard->PickRandomHeading(3);
        EXPECT_EQ(Frames(guard->FramesA()), c.patrolFrame ? std::vector<int32_t>{11} : before) << c.states << " states";
    }
}

TEST_F(GuardsTest, ABlockedWayTakesAStepBesideTheGuardDrawnVerticalFirst) {
    const struct {
        const char* what;
        int freeAfter; // way tests refused before one passes (-1: all)
        bool beside;
    } cases[] = {{"open way", 0, false}, {"blocked, beside free", 1, true}, {"both blocked", -1, false}};
    for (const auto& c : cases) {
        for (uint32_t seed = 1; seed <= 50; ++seed) {
            world.moveTests.clear();
            world.freeAfter = c.freeAfter;
            auto area = MakeArea({});
            auto guard = MakeGuard(250.5f, 180.25f);
            guard->SetCharacterWorld(&world);
            guard->SetPen(area.get());
            guard->SetHeading(-7);
            xSRand(seed);
            const int32_t x = xRand() % 200 + 300, y = xRand() % 100 + 250;
            const float by = 180.25f - 2 + float(xRand() % 4), bx = 250.5f - 2 + float(xRand() % 4);
            xSRand(seed);
            guard->PickRandomHeading(3);
            const CPointF expected = c.freeAfter == 0 ? CPointF(float(x), float(y))
                                     : c.beside       ? CPointF(bx, by)
                                                      : CPointF(0, 0);
            ASSERT_EQ(guard->GetTargetPoint(), expected) << c.what << " seed " << seed;
            const int32_t toward = guard->NearestDirection(3, Vec3(x - 250.5f, y - 180.25f, 0));
            ASSERT_EQ(guard->GetHeading(), c.freeAfter == -1 ? -7 : toward) << c.what << " seed " << seed;
            ASSERT_EQ(world.moveTests.size(), c.freeAfter == 0 ? 1u : 2u) << c.what;
        }
    }
}

TEST_F(GuardsTest, AGuardWithoutAUsableAreaBecomesAPlainWalkerOnce) {
    const struct {
        const char* what;
        bool hasArea;
        AreaPlan area;
        bool degrades;
    } cases[] = {
        {"no patrol object", false, {}, true},
        {"object id -1", true, {.id = kNoId}, true},
        {"turned 45 degrees", true, {.rotation = 45}, true},
        {"empty rectangle", true, {.w = 0}, true},
        {"turned 90 degrees", true, {.rotation = 90}, false},
        {"turned -180 degrees", true, {.rotation = -180}, false},
    };
    for (const auto& c : cases) {
        debug().Clear();
        auto area = MakeArea(c.area);
        auto guard = MakeGuard(300, 200);
        guard->SetCharacterWorld(&world);
        if (c.hasArea) guard->SetPen(area.get());
        guard->SetSpeed(40);
        guard->SetCloseDistance(7);
        guard->SetBehaviourState(3);
        xSRand(3);
        guard->PickRandomHeading(3);
        EXPECT_EQ(guard->GetGuardFlag() == 0, c.degrades) << c.what;
        if (!c.degrades) continue;
        EXPECT_EQ(Frames(guard->FramesA()), std::vector<int32_t>{10}) << c.what;
        EXPECT_EQ(Frames(guard->FramesB()), (std::vector<int32_t>{1, 2, 3})) << c.what;
        EXPECT_EQ(guard->GetSpeed(), 100) << c.what;
        EXPECT_EQ(guard->GetCloseDistance(), 125) << c.what;
        EXPECT_EQ(guard->GetBehaviourState(), 0) << c.what;
        EXPECT_EQ(guard->GetTargetPoint(), CPointF(0, 0)) << c.what;
        // From then on it walks as a plain character: standing frame 0, a target a step away.
        for (int i = 0; i < 3; ++i) guard->PickRandomHeading(3);
        EXPECT_EQ(Frames(guard->FramesA()), std::vector<int32_t>{0}) << c.what;
        EXPECT_NE(guard->GetTargetPoint(), CPointF(0, 0)) << c.what;
        const std::string log = traced();
        size_t count = 0;
        for (size_t at = log.find("plain walker"); at != std::string::npos; at = log.find("plain walker", at + 1))
            ++count;
        EXPECT_EQ(count, 1u) << c.what << ": traced once";
    }
}

TEST_F(GuardsTest, FromInsideTheAreaTheGuardHeadsForItsMiddle) {
    const struct {
        float x, y;
        int freeAfter;
        bool drivingWorld;
    } cases[] = {{320, 260, 0, true},  {480, 340, 0, true},  {399, 349, 0, false},
                 {300, 250, 2, true},  {450, 260, -1, true}, {350, 340, -1, false}};
    for (const auto& c : cases) {
        for (uint32_t seed = 1; seed <= 20; ++seed) {
            world.moveTests.clear();
            world.freeAfter = c.freeAfter;
            world.drivingWorld = c.drivingWorld;
            auto area = MakeArea({});
            auto guard = MakeGuard(c.x, c.y, 8);
            guard->SetCharacterWorld(&world);
            guard->SetPen(area.get());
            const int32_t d = guard->NearestDirection(3, Vec3(400 - c.x, 300 - c.y, 0));
            xSRand(seed);
            const int32_t fallback = xRand() % 6;
            // The free search tries d, d+1, d-1, d+2 ... around the preferred direction.
            const int32_t offsets[] = {0, 1, -1, 2, -2, 3};
            const int32_t free = c.freeAfter >= 0 ? (d + offsets[c.freeAfter] + 6) % 6 : fallback;
            xSRand(seed);
            guard->ChooseHeading(3);
            ASSERT_EQ(guard->GetHeading(), free) << c.x << "," << c.y << " seed " << seed;
            EXPECT_EQ(Frames(guard->FramesA()), std::vector<int32_t>{0}) << "a part of 8 states keeps frame 0";
        }
    }
}

TEST_F(GuardsTest, OutsideTheAreaAWorldsGuardTakesTheFirstFreeStepElseTheMapCentre) {
    const float px = 700, py = 100;
    // The free search in a world; outside one (-2) a heading drawn at random.
    for (int freeAfter : {0, 1, 3, 5, -1, -2}) {
        for (uint32_t seed = 1; seed <= 20; ++seed) {
            world.moveTests.clear();
            world.freeAfter = freeAfter;
            world.drivingWorld = freeAfter != -2;
            auto area = MakeArea({});
            auto guard = MakeGuard(px, py);
            guard->SetCharacterWorld(&world);
            guard->SetPen(area.get());
            xSRand(seed);
            const std::vector<int32_t> order = DrawOrder(6);
            xSRand(seed);
            guard->ChooseHeading(3);
            const int32_t expected = freeAfter >= 0    ? order[size_t(freeAfter)]
                                     : freeAfter == -1 ? guard->NearestDirection(3, Vec3(640 - px, 480 - py, 0))
                                                       : order[0];
            ASSERT_EQ(guard->GetHeading(), expected) << "free after " << freeAfter << " seed " << seed;
            ASSERT_EQ(world.moveTests.size(), freeAfter >= 0 ? size_t(freeAfter + 1) : freeAfter == -1 ? 6u : 0u);
            for (size_t i = 0; i < world.moveTests.size(); ++i) {
                const auto& t = world.moveTests[i];
                Vec3 unit = guard->DirectionVector(3, order[i]);
                Vec3Normalize(unit, Vec3Length(unit));
                // 100 px/s over the 100 ms step, a quarter further.
                EXPECT_EQ(t.from, CPointF(px, py));
                EXPECT_NEAR(t.to.x, px + 12.5f * unit.x, 1e-3);
                EXPECT_NEAR(t.to.y, py + 12.5f * unit.y, 1e-3);
            }
        }
    }
}

TEST_F(GuardsTest, TouchAnswers) {
    enum Shown { kShown, kHidden, kInHiddenView };
    const struct {
        const char* what;
        bool byVehicle, acting, runRoutine;
        Shown shown;
        bool insideMap;
        int32_t answer, state;
        bool avoiding, skipsDwell;
    } cases[] = {
        {"vehicle", true, false, true, kShown, true, 16, 9, true, false},
        {"vehicle at the map's edge", true, false, true, kShown, false, 1, 9, true, false},
        {"vehicle while acting", true, true, true, kShown, true, 16, 5, true, true},
        {"vehicle while acting, no running routine", true, true, false, kShown, true, 16, 1, true, false},
        {"other prop", false, false, true, kShown, true, 1, 6, false, false},
        {"other prop while acting", false, true, true, kShown, true, 1, 1, false, false},
        {"hidden, vehicle", true, false, true, kHidden, true, 0, 1, false, false},
        {"hidden, other prop", false, false, true, kHidden, true, 0, 1, false, false},
        {"in a hidden view, vehicle", true, false, true, kInHiddenView, true, 0, 1, false, false},
    };
    for (const auto& c : cases) {
        TLV_Object room; // any view
        auto guard = MakeGuard(300, 200);
        world.insideMap = c.insideMap;
        guard->SetCharacterWorld(&world);
        room.AddChild(guard.get());
        room.SetVisible(c.shown == kInHiddenView ? 0 : 1, 0);
        if (!c.runRoutine) guard->SetGroupRoutine(2, nullptr);
        if (c.acting) guard->SetState(8);
        if (c.shown == kHidden) guard->SetVisible(0, 0);
        guard->SetVelocity(Vec3(30, 0, 0), 0);
        EXPECT_EQ(guard->OnContact(c.byVehicle ? static_cast<TLV_Object*>(&car) : &rock), c.answer) << c.what;
        EXPECT_EQ(guard->GetBehaviourState(), c.state) << c.what;
        EXPECT_EQ(guard->IsAvoiding(), c.avoiding) << c.what;
        EXPECT_EQ(guard->IsPauseOver(), c.skipsDwell) << c.what;
        if (c.state == 9) {
            EXPECT_EQ(Vec3Length(guard->GetVelocity()), 0.0f) << c.what;
        }
        room.RemoveChild(guard.get());
    }
}

TEST_F(GuardsTest, TheAvoidModeEndsInStateZeroAQuarterSecondAfterTheTouch) {
    auto guard = MakeGuard(300, 200);
    car.SetPosition(CPointF(200, 200), 0, 0);
    guard->OnContact(&car);
    for (int i = 0; i < 15; ++i) {
        clock().Advance(16);
        guard->OnIdle();
        ASSERT_TRUE(guard->IsAvoiding()) << "frame " << i;
        const CPointF at = guard->GetPosition();
        EXPECT_EQ(guard->GetHeading(), guard->NearestDirection(9, Vec3(at.x - 200, at.y - 200, 0))) << "back to it";
    }
    clock().Advance(16);
    guard->OnIdle();
    EXPECT_FALSE(guard->IsAvoiding());
    EXPECT_EQ(guard->GetAvoidedVehicle(), nullptr);
    EXPECT_EQ(guard->GetBehaviourState(), 0);
}

TEST_F(GuardsTest, ActionFramesAndLineage) {
    auto guard = MakeGuard(300, 200);
    EXPECT_EQ(Frames(guard->FramesB()), (std::vector<int32_t>{4, 5, 6}));
    EXPECT_EQ(Frames(guard->FramesD()), (std::vector<int32_t>{7, 8, 9}));
    guard->SetActionFrames(0);
    EXPECT_EQ(Frames(guard->FramesD()), (std::vector<int32_t>{7, 8}));
    guard->SetActionFrames(1);
    EXPECT_EQ(Frames(guard->FramesD()), (std::vector<int32_t>{7, 8, 9}));

    xCharacters_RegisterClasses();
    const struct {
        uint32_t id;
        std::vector<uint32_t> is, isNot;
    } cases[] = {{2460, {2460, 2400, 1110, 1100, 54, 50, 20, 10, 1}, {2420, 2470}},
                 {2470, {2470, 1100, 54, 50, 20, 10, 1}, {2400, 2450}}};
    for (const auto& c : cases) {
        std::unique_ptr<OView> made(xTLVFactory_MakeProp(c.id));
        ASSERT_NE(made, nullptr) << c.id;
        for (uint32_t id : c.is) EXPECT_TRUE(made->IsA(id)) << c.id << " is a " << id;
        for (uint32_t id : c.isNot) EXPECT_FALSE(made->IsA(id)) << c.id << " is no " << id;
    }
}

// ---- In a world -------------------------------------------------------------------------------

class GuardWorldTest : public WorldFixture {};

TEST_F(GuardWorldTest, TheFreeStepSearchRunsOnTheWorldsBlockers) {
    const struct {
        const char* what;
        std::vector<CPointF> blockers; // offsets from the guard
        std::vector<int32_t> blocked;  // directions the blockers shut
    } cases[] = {
        {"open", {}, {}},
        {"right side shut", {{8, -8}, {8, 0}, {8, 8}}, {0, 1, 2}},
        {"all shut", {{8, -8}, {8, 0}, {8, 8}, {-8, -8}, {-8, 0}, {-8, 8}, {0, -10}, {0, 10}}, {0, 1, 2, 3, 4, 5}},
    };
    const float px = 600, py = 400;
    for (const auto& c : cases) {
        SpyWorld* world = ShowWorld(kEmptyWorld);
        ASSERT_NE(world, nullptr);
        for (const CPointF& b : c.blockers) Add(world, new Blocker, px + b.x, py + b.y);
        auto* area = Add(world, new PatrolObject, 200, 200);
        auto* guard = Add(world, new DGuard, px, py);
        guard->SetPen(area);
        for (uint32_t seed = 1; seed <= 20; ++seed) {
            xSRand(seed);
            const std::vector<int32_t> order = DrawOrder(6);
            const auto open = std::find_if(order.begin(), order.end(), [&](int32_t d) {
                return std::find(c.blocked.begin(), c.blocked.end(), d) == c.blocked.end();
            });
            const int32_t expected = open != order.end() ? *open
                                                         : guard->NearestDirection(3, Vec3(640 - px, 480 - py, 0));
            xSRand(seed);
            guard->ChooseHeading(3);
            ASSERT_EQ(guard->GetHeading(), expected) << c.what << " seed " << seed;
        }
    }
}

TEST_F(GuardWorldTest, AWallOnTheWayToThePatrolTargetSendsTheGuardBesideItself) {
    for (bool walled : {false, true}) {
        SpyWorld* world = ShowWorld(kEmptyWorld);
        ASSERT_NE(world, nullptr);
        if (walled)
            for (float y = 380; y <= 420; y += 10) Add(world, new Blocker, 450, y);
        auto* area = Add(world, new PatrolObject, 300, 400); // a 10 x 10 rectangle from (295, 395)
        auto* guard = Add(world, new DGuard, 600, 400);
        guard->SetPen(area);
        for (uint32_t seed = 1; seed <= 20; ++seed) {
            xSRand(seed);
            const int32_t x = xRand() % 10 + 295, y = xRand() % 10 + 395;
            const float by = 398.0f + float(xRand() % 4), bx = 598.0f + float(xRand() % 4);
            xSRand(seed);
            guard->PickRandomHeading(3);
            ASSERT_EQ(guard->GetTargetPoint(), walled ? CPointF(bx, by) : CPointF(float(x), float(y)))
                << (walled ? "walled" : "open") << " seed " << seed;
        }
    }
}

TEST_F(GuardWorldTest, AGuardForgetsARetiredPatrolObject) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    auto* area = Add(world, new PatrolObject, 200, 200);
    auto* guard = Add(world, new DGuard, 300, 300);
    ASSERT_EQ(world->GetList(TLVWorld_Activity::kGuards).Count(), 1);
    guard->SetPen(area);
    world->RetireProp(area);
    EXPECT_EQ(guard->GetPen(), nullptr) << "a retired patrol object is not watched";
}

TEST_F(GuardWorldTest, GuardsAndAvoidersTurningFromAVehicleForgetItWhenItGoes) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    auto* guard = Add(world, new DGuard, 300, 300);
    auto* avoider = Add(world, new DAvoider, 400, 300);
    auto* vehicle = Add(world, new Car, 350, 300);
    guard->OnContact(vehicle);
    avoider->OnContact(vehicle);
    ASSERT_TRUE(guard->IsAvoiding());
    ASSERT_TRUE(avoider->IsAvoiding());
    world->RetireProp(vehicle);
    EXPECT_EQ(guard->GetAvoidedVehicle(), nullptr);
    EXPECT_EQ(avoider->GetAvoidedVehicle(), nullptr);
    EXPECT_FALSE(avoider->IsAvoiding()) << "no turn toward a prop that is gone";
    for (int frame = 0; frame < 30; ++frame) {
        clock().Advance(16);
        guard->OnIdle();
        avoider->OnIdle();
    }
}

} // namespace
} // namespace vqt::test

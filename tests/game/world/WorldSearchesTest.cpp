// The driving world's map tests, searches, view, followers and the frame's obstacle pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "game/shell/Destructible.h"
#include "game/shell/Fire.h"
#include "game/shell/Hider.h"
#include "game/shell/Player.h"
#include "game/shell/Pushable.h"
#include "tests/game/world/WorldFixture.h"
#include "tests/support/StoredProperties.h"

namespace vqt::test {
namespace {

class WorldSearchesTest : public WorldFixture {
protected:
    SpyWorld* Shown() {
        SpyWorld* world = ShowWorld(kEmptyWorld);
        EXPECT_NE(world, nullptr);
        return world;
    }
    /// A still prop that the vehicle meets (obstacle flag) or that fades (fade flag).
    template <class Prop>
    Prop* Flagged(Prop* prop, uint8_t obstacle, uint8_t fade = 0) {
        LoadStoredProperties(*prop, PropertyBytes().Byte(1100, 4, obstacle).Byte(1100, 3, fade));
        return prop;
    }
    TestVehicle* GiveVehicle(SpyWorld* world) {
        world->giveVehicle = true;
        world->SetVehiclePartId(MakeChunkId(2, kVehiclePart));
        world->CreateVehicle();
        return static_cast<TestVehicle*>(world->GetVehicle());
    }
};

TEST_F(WorldSearchesTest, TheMapEdgeBandReachesUpToTheMarginAndNamesTheSides) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    ASSERT_EQ(world->GetMapRect().right, kMapWidth);
    ASSERT_EQ(world->GetMapRect().bottom, kMapHeight);
    struct Case {
        int32_t margin;
        int16_t x, y;
        bool near;
        int16_t sideX, sideY;
    };
    const Case cases[] = {
        {100, 640, 480, false, 9, 9},  {100, 1180, 480, true, 0, 0},  {100, 1181, 480, true, 1, 0},
        {100, 99, 480, true, -1, 0},   {100, 100, 480, false, 9, 9},  {100, 640, 99, true, 0, -1},
        {100, 640, 860, true, 0, 0},   {100, 640, 861, true, 0, 1},   {100, -1, 480, false, 9, 9},
        {100, 1280, 480, false, 9, 9}, {100, 640, 960, false, 9, 9},  {100, 5, 955, true, -1, 1},
        {200, 1080, 480, true, 0, 0},  {200, 1079, 480, false, 9, 9}, {200, 199, 759, true, -1, 0},
    };
    for (const Case& c : cases) {
        world->SetBorderMargin(c.margin);
        int16_t sideX = 9, sideY = 9;
        EXPECT_EQ(world->IsNearMapEdge(CPoint16(c.x, c.y), &sideX, &sideY), c.near) << c.x << "," << c.y;
        EXPECT_EQ(sideX, c.sideX) << c.x << "," << c.y;
        EXPECT_EQ(sideY, c.sideY) << c.x << "," << c.y;
        EXPECT_EQ(world->IsNearMapEdge(CPoint16(c.x, c.y), nullptr, nullptr), c.near) << "sides not asked";
    }
}

TEST_F(WorldSearchesTest, InsideTheMapTheTopBandAndTheVisibleRectangle) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    struct Case {
        int16_t x, y, inset;
        bool inside, belowTopBand;
    };
    const Case cases[] = {
        {0, 0, 0, true, false},      {0, 49, 0, true, false},    {0, 50, 0, true, true},
        {1279, 959, 0, true, true},  {1280, 10, 0, false, false}, {-1, 100, 0, false, false},
        {10, 100, 10, true, true},   {9, 100, 10, false, true},   {1269, 100, 10, true, true},
        {1270, 100, 10, false, true}, {5, 100, -30, true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(world->IsInsideMap(CPoint16(c.x, c.y), c.inset), c.inside) << c.x << "," << c.y << " inset " << c.inset;
        EXPECT_EQ(world->IsBelowTopBand(CPoint16(c.x, c.y)), c.belowTopBand) << c.x << "," << c.y;
    }
    world->ScrollTo(CPointF(200, 100), 0);
    world->RefreshVisibleRect();
    const CRect16 visible = world->GetVisibleRectField();
    EXPECT_EQ(visible.left, 200);
    EXPECT_EQ(visible.top, 100);
    EXPECT_EQ(visible.right, 840);
    EXPECT_EQ(visible.bottom, 580);
    struct VisibleCase {
        CPoint16 a, b;
        int16_t extraTop;
        bool pointIn, boxIn;
    };
    const VisibleCase visibleCases[] = {
        {CPoint16(200, 100), CPoint16(190, 90), 0, true, false}, {CPoint16(839, 579), CPoint16(900, 700), 0, true, true},
        {CPoint16(840, 300), CPoint16(900, 310), 0, false, false}, {CPoint16(300, 60), CPoint16(310, 70), 0, false, false},
        {CPoint16(300, 60), CPoint16(310, 70), 40, true, true},   {CPoint16(300, 60), CPoint16(310, 70), -40, false, false},
        {CPoint16(250, 20), CPoint16(150, 120), 0, false, true},
    };
    for (const VisibleCase& c : visibleCases) {
        EXPECT_EQ(world->PointInVisibleRect(c.a, c.extraTop), c.pointIn) << c.a.x << "," << c.a.y << " " << c.extraTop;
        EXPECT_EQ(world->RectOverlapsVisibleRect(c.a, c.b, c.extraTop), c.boxIn) << c.a.x << "," << c.a.y << " " << c.extraTop;
    }
}

TEST_F(WorldSearchesTest, TheMapsLastColumnAndRowAreOnItAndAPixelFurtherIsOff) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    auto* box = Add(world, new Pushable, 640, 480);
    struct Case {
        int16_t x, y;
        bool on;
    };
    const Case cases[] = {
        {kMapWidth - 2, 480, true},   {kMapWidth - 1, 480, true},   {kMapWidth, 480, false},
        {kMapWidth + 1, 480, false},  {640, kMapHeight - 2, true},  {640, kMapHeight - 1, true},
        {640, kMapHeight, false},     {640, kMapHeight + 1, false}, {kMapWidth - 1, kMapHeight - 1, true},
        {kMapWidth, kMapHeight, false}, {0, 480, true},             {-1, 480, false},
        {640, 0, true},               {640, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(world->IsInsideMap(CPoint16(c.x, c.y), 0), c.on);
        EXPECT_EQ(world->IsBelowTopBand(CPoint16(c.x, c.y)), c.on && c.y >= 50);
        EXPECT_EQ(world->IsBoxFree(600, 400, c.x, c.y, 17, 0, 0, nullptr), c.on) << "the box's second corner";
        box->SetPosition(CPointF(c.x, c.y), 0, 1);
        EXPECT_EQ(world->CanPushTo(box), c.on);
    }
}

TEST_F(WorldSearchesTest, ABoxIsFreeOfEverythingButShownIntactStillProps) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    enum class Kind { Blocker, Broken, Intact, Hidden, Moving, Token, Bag, Fire, Excluded };
    struct Case {
        Kind kind;
        int list;
        bool blocks;
    };
    const Case cases[] = {
        {Kind::Blocker, 0, true},   {Kind::Intact, 2, true},  {Kind::Broken, 2, false},
        {Kind::Hidden, 0, false},   {Kind::Moving, 8, false}, {Kind::Token, 4, false},
        {Kind::Bag, 15, false},     {Kind::Fire, 5, false},   {Kind::Excluded, 0, false},
    };
    CDynArray<OActivityProp*> exclude;
    float x = 100;
    for (const Case& c : cases) {
        x += 60;
        OActivityProp* prop = nullptr;
        switch (c.kind) {
        case Kind::Blocker: prop = Add(world, new Blocker, x, 300); break;
        case Kind::Intact: prop = Add(world, new Destructible, x, 300); break;
        case Kind::Broken: {
            auto* d = Add(world, new Destructible, x, 300);
            TestVehicle rammer;
            rammer.SetVelocityLimits(Vec3(5000, 5000, 0), 0);
            rammer.SetVelocity(Vec3(1000, 0, 0), 0);
            for (int hit = 0; hit < 4 && !d->IsBroken(); ++hit) d->OnContact(&rammer);
            ASSERT_TRUE(d->IsBroken());
            d->SetVisible(1, 0);
            prop = d;
            break;
        }
        case Kind::Hidden:
            prop = Add(world, new Blocker, x, 300);
            prop->SetVisible(0, 0);
            break;
        case Kind::Moving: {
            auto* moving = new TestVehicle;
            prop = Add(world, moving, x, 300);
            break;
        }
        case Kind::Token: prop = Add(world, new Token, x, 300); break;
        case Kind::Bag: prop = Add(world, new Bag, x, 300); break;
        case Kind::Fire: prop = Add(world, new Fire, x, 300); break;
        case Kind::Excluded:
            prop = Add(world, new Blocker, x, 300);
            exclude.Append(prop);
            break;
        }
        const int list = c.kind == Kind::Moving ? 0 : c.list;
        EXPECT_EQ(world->IsBoxFree(x - 3, 297, x + 3, 303, list, 0, 0, &exclude), !c.blocks) << int(c.kind);
        EXPECT_TRUE(world->IsBoxFree(x + 10, 297, x + 14, 303, list, 0, 0, &exclude)) << "beside it";
        if (c.kind == Kind::Moving) {
            // A moving prop that sits in a list of still ones is passed all the same.
            auto* blockerList = const_cast<CDynArray<OActivityProp*>*>(&world->GetList(0));
            blockerList->Append(prop);
            EXPECT_TRUE(world->IsBoxFree(x - 3, 297, x + 3, 303, 0, 0, 0, &exclude));
            blockerList->RemoveAt(blockerList->Count() - 1);
        }
    }
    EXPECT_FALSE(world->IsBoxFree(10, 10, 1280, 20, 0, 0, 0, nullptr)) << "the second corner off the map";
    EXPECT_FALSE(world->IsBoxFree(10, 10, 20, -1, 0, 0, 0, nullptr));
    EXPECT_TRUE(world->IsBoxFree(10, 10, 20, 20, 17, 0, 0, nullptr)) << "an empty list";
    EXPECT_TRUE(world->IsBoxFree(10, 10, 20, 20, 18, 0, 0, nullptr)) << "no such list: traced";
    EXPECT_NE(traced().find("no prop list 18"), std::string::npos);
}

TEST_F(WorldSearchesTest, TheNearestSearchesKeepTheEarlierPropOnATie) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    auto* a = Add(world, new Blocker, 300, 300);  // 100 from (400, 300)
    auto* b = Add(world, new Blocker, 500, 300);  // 100 as well, later
    auto* c = Add(world, new Blocker, 400, 150);  // 150
    auto* far = Add(world, new Blocker, 1200, 900);
    struct Case {
        const OActivityProp* except;
        bool hideFirst;
        const OActivityProp* free;
        const OActivityProp* shown;
    };
    const Case cases[] = {
        {nullptr, false, a, a},
        {a, false, b, b},
        {nullptr, true, a, b},
        {b, true, a, c},
    };
    for (const Case& k : cases) {
        a->SetVisible(k.hideFirst ? 0 : 1, 0);
        EXPECT_EQ(world->FindNearestFreeProp(0, 400, 300, k.except), k.free);
        EXPECT_EQ(world->FindNearestShownProp(0, 400, 300, k.except), k.shown);
    }
    a->SetVisible(1, 0);
    EXPECT_EQ(world->FindNearestFreeProp(0, 1200, 900, nullptr), far);
    EXPECT_EQ(world->FindNearestFreeProp(1, 400, 300, nullptr), nullptr) << "an empty list";
    EXPECT_EQ(world->FindNearestFreeProp(-1, 400, 300, nullptr), nullptr);
    EXPECT_EQ(world->FindNearestFreeProp(0, 400, 1002000, nullptr), nullptr) << "nothing within 1000000";

    CPointF at(-1, -1);
    EXPECT_FALSE(world->HasWayPointMarkers());
    EXPECT_FALSE(world->FindNearestWayPointMarker(CPointF(0, 0), &at));
    OActivityProp* m1 = Add(world, static_cast<OActivityProp*>(xTLVFactory_MakeProp(1150)), 100, 100);
    Add(world, static_cast<OActivityProp*>(xTLVFactory_MakeProp(1150)), 300, 100);
    EXPECT_TRUE(world->HasWayPointMarkers());
    EXPECT_TRUE(world->FindNearestWayPointMarker(CPointF(200, 100), &at)) << "a tie";
    EXPECT_EQ(at.x, m1->GetPosition().x);
    EXPECT_TRUE(world->FindNearestWayPointMarker(CPointF(290, 90), &at));
    EXPECT_EQ(at.x, 300);
}

TEST_F(WorldSearchesTest, TheNearestWayPointIsAnArmedOneOfSlotsOneToFourOtherThanTheCurrent) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->NearestWayPoint(), -1) << "no vehicle";
    TestVehicle* vehicle = GiveVehicle(world);
    ASSERT_NE(vehicle, nullptr);
    vehicle->SetPosition(CPointF(500, 500), 0, 0);
    const float places[6][2] = {{500, 510}, {500, 600}, {500, 550}, {500, 700}, {500, 800}, {500, 501}};
    Interaction_Point* points[6];
    for (uint32_t id = 0; id < 6; ++id) {
        points[id] = Add(world, new Interaction_Point, places[id][0], places[id][1], id);
        points[id]->flags[0] = 1;
    }
    struct Case {
        int32_t current;
        int disarmed; // -1 none
        int32_t nearest;
    };
    const Case cases[] = {{6, -1, 2}, {2, -1, 1}, {6, 2, 1}, {1, 2, 3}, {6, 0, 2}, {0, 5, 2}};
    for (const Case& c : cases) {
        for (auto* p : points) p->flags[0] = 1;
        if (c.disarmed >= 0) points[c.disarmed]->flags[0] = 0;
        world->SetCurrentWayPoint(c.current);
        EXPECT_EQ(world->NearestWayPoint(), c.nearest) << c.current << " " << c.disarmed;
    }
    for (int i = 1; i <= 4; ++i) points[i]->SetPosition(CPointF(500, 20000), 0, 0);
    world->SetCurrentWayPoint(6);
    EXPECT_EQ(world->NearestWayPoint(), -1) << "nothing within 10000";
}

TEST_F(WorldSearchesTest, CentringTheViewClampsAtTheOriginOnly) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    struct Case {
        float x, y;
        float scrollX, scrollY;
    };
    // Past the far edge the activity's own scroll keeps the view on the map (960 - 480).
    const Case cases[] = {{640, 480, 320, 240}, {100, 100, 0, 0}, {400, 900, 80, 480}, {300, 250, 0, 10}};
    for (const Case& c : cases) {
        auto* prop = Add(world, new Blocker, c.x, c.y);
        EXPECT_TRUE(CenterWorldViewOn(prop));
        EXPECT_FLOAT_EQ(world->GetScrollOffset().x, c.scrollX) << c.x;
        EXPECT_FLOAT_EQ(world->GetScrollOffset().y, c.scrollY) << c.y;
    }
    EXPECT_FALSE(CenterWorldViewOn(nullptr));
    SwitchTo(kPlainScreen);
    Blocker loose;
    EXPECT_FALSE(CenterWorldViewOn(&loose)) << "no world is current";
}

TEST_F(WorldSearchesTest, TheMovingVehicleTakesTheViewAlongUntilAMissionIsFinished) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    auto* car = Add(world, new Blocker, 640, 480);
    auto* captive = Add(world, new Blocker, 400, 900);
    EXPECT_TRUE(CenterWorldViewOnVehicle(car));
    EXPECT_FLOAT_EQ(world->GetScrollOffset().x, 320);
    EXPECT_FLOAT_EQ(world->GetScrollOffset().y, 240);
    // The mission's end shows the rescue: the vehicle still on its way no longer moves the view.
    world->SetDrivingMode(TLVWorld_Activity::kMissionDoneMode);
    EXPECT_TRUE(CenterWorldViewOn(captive));
    EXPECT_TRUE(CenterWorldViewOnVehicle(car));
    EXPECT_FLOAT_EQ(world->GetScrollOffset().x, 80) << "still on the captive";
    EXPECT_FLOAT_EQ(world->GetScrollOffset().y, 480) << "still on the captive";
    world->SetDrivingMode(10);
    EXPECT_TRUE(CenterWorldViewOnVehicle(car));
    EXPECT_FLOAT_EQ(world->GetScrollOffset().x, 320) << "driving again, the view follows";
}

TEST_F(WorldSearchesTest, TheVehiclesTouchHookRefusesTheMapEdgeAndElseAsksTheWorld) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    TestVehicle* vehicle = GiveVehicle(world);
    ASSERT_NE(vehicle, nullptr);
    struct Case {
        float x, y;
        int32_t answer;
        bool refused;
        bool edge;
    };
    const Case cases[] = {{640, 480, 0, false, false}, {640, 480, 193, true, false}, {36, 480, 0, false, false},
                          {35, 480, 0, true, true},    {1244, 924, 0, false, false}, {1245, 480, 0, true, true},
                          {640, 925, 0, true, true}};
    for (const Case& c : cases) {
        vehicle->SetPosition(CPointF(c.x, c.y), 0, 0);
        world->touchAnswer = c.answer;
        world->touched.clear();
        world->edges.clear();
        EXPECT_EQ(vehicle->GetFrameHook()(vehicle), c.refused) << c.x << "," << c.y;
        EXPECT_EQ(world->edges.size(), c.edge ? 1u : 0u);
        if (c.edge) {
            EXPECT_EQ(world->edges[0].y, -1);
        }
        EXPECT_EQ(world->touched.size(), c.edge ? 0u : 1u);
    }
    EXPECT_FALSE(VehicleTouchHook(nullptr));
    auto* token = Add(world, new Token, 300, 300);
    world->touchAnswer = 68;
    EXPECT_EQ(WorldPropHook(token), 68);
    EXPECT_EQ(WorldShownPropHook(token), 68);
    token->SetVisible(0, 0);
    EXPECT_EQ(WorldShownPropHook(token), 0) << "hidden";
    EXPECT_EQ(WorldPropHook(token), 68);
    EXPECT_EQ(WorldPropHook(nullptr), 0);
}

TEST_F(WorldSearchesTest, FollowersAreSavedInChainOrderAndRestoredBehindTheVehicle) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    world->SaveFollowers();
    EXPECT_EQ(app->GetPlayer()->FindEntry(1), nullptr) << "no vehicle, no chain";
    TestVehicle* vehicle = GiveVehicle(world);
    ASSERT_NE(vehicle, nullptr);
    class Follower : public TLVComplex_Object {
    public:
        bool IsA(uint32_t id) const override { return id == 2410 || id == 2400 || TLVComplex_Object::IsA(id); }
    };
    std::vector<Follower*> followers;
    for (int i = 0; i < 4; ++i) followers.push_back(Add(world, new Follower, float(100 * i), 50));
    ASSERT_EQ(world->GetList(TLVWorld_Activity::kFollowers).Count(), 4);
    followers[2]->LinkAfter(vehicle);
    followers[0]->LinkAfter(followers[2]);
    EXPECT_EQ(world->CountFollowers(), 2);
    EXPECT_TRUE(world->IsFollower(followers[0]));
    EXPECT_FALSE(world->IsFollower(followers[1]));
    EXPECT_FALSE(world->IsFollower(nullptr));
    followers[2]->SetPosition(CPointF(700, 710), 0, 0);
    followers[0]->SetPosition(CPointF(720, 730), 0, 0);
    world->SaveFollowers();
    CPlayer* player = app->GetPlayer();
    ASSERT_NE(player->FindEntry(1), nullptr);
    EXPECT_EQ(player->FindEntry(1)->first, 700u);
    EXPECT_EQ(player->FindEntry(2)->second, 730u);
    EXPECT_EQ(player->FindEntry(3), nullptr);

    followers[2]->Unlink();
    followers[0]->Unlink();
    EXPECT_EQ(world->CountFollowers(), 0);
    player->AddEntry(3, 40, 50);
    xSRand(5);
    world->RestoreFollowers();
    EXPECT_EQ(world->CountFollowers(), 3);
    EXPECT_EQ(world->attached.size(), 3u);
    const TLV_Object* f = vehicle->GetNext();
    const float expected[3][2] = {{700, 710}, {720, 730}, {40, 50}};
    for (int i = 0; i < 3 && f; ++i, f = f->GetNext()) {
        EXPECT_EQ(f, world->attached[size_t(i)]) << "attached in entry order";
        EXPECT_FLOAT_EQ(f->GetPosition().x, expected[i][0]);
        EXPECT_FLOAT_EQ(f->GetPosition().y, expected[i][1]);
    }
    // More entries than followers: the pool runs dry with a trace instead of a draw from nothing.
    for (int i = 0; i < 3; ++i) const_cast<TLV_Object*>(world->attached[size_t(i)])->Unlink();
    for (uint32_t n = 4; n <= 6; ++n) player->AddEntry(n, 1, 1);
    world->attached.clear();
    world->RestoreFollowers();
    EXPECT_EQ(world->CountFollowers(), 4);
    EXPECT_NE(traced().find("no follower left for entry 5"), std::string::npos);
}

TEST_F(WorldSearchesTest, TheObstaclePassTakesShownSolidIntactPropsOfTheVisibleRectangle) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    enum class Kind { Solid, NotSolid, Hidden, InactiveBlocker, ActiveBlocker, Hider, Pushable, Broken, OffScreen };
    struct Case {
        Kind kind;
        bool taken;
        bool takenWithoutDriving;
    };
    const Case cases[] = {
        {Kind::Solid, true, true},          {Kind::NotSolid, false, false}, {Kind::Hidden, false, false},
        {Kind::InactiveBlocker, false, false}, {Kind::ActiveBlocker, true, true}, {Kind::Hider, false, false},
        {Kind::Pushable, true, false},      {Kind::OffScreen, false, false},
    };
    std::vector<OActivityProp*> props;
    float x = 40;
    for (const Case& c : cases) {
        x += 60;
        OActivityProp* prop = nullptr;
        switch (c.kind) {
        case Kind::Solid: prop = Add(world, Flagged(new TLVSimple_Object, 1), x, 200); break;
        case Kind::NotSolid: prop = Add(world, Flagged(new TLVSimple_Object, 0), x, 200); break;
        case Kind::Hidden:
            prop = Add(world, Flagged(new TLVSimple_Object, 1), x, 200);
            prop->SetVisible(0, 0);
            break;
        case Kind::InactiveBlocker: {
            auto* blocker = new Blocker;
            LoadStoredProperties(*blocker, PropertyBytes().Byte(1530, 2, 0));
            prop = Add(world, Flagged(blocker, 1), x, 200);
            break;
        }
        case Kind::ActiveBlocker: prop = Add(world, Flagged(new Blocker, 1), x, 200); break;
        case Kind::Hider: prop = Add(world, Flagged(new Hider, 1), x, 200); break;
        case Kind::Pushable: prop = Add(world, Flagged(new Pushable, 1), x, 200); break;
        case Kind::Broken: break;
        case Kind::OffScreen: prop = Add(world, Flagged(new TLVSimple_Object, 1), 1200, 900); break;
        }
        props.push_back(prop);
    }
    for (const int32_t mode : {7, TLVWorld_Activity::kNoDriving}) {
        world->SetDrivingMode(mode);
        Frames(1, kFrameMs);
        for (size_t i = 0; i < props.size(); ++i) {
            const auto& obstacles = world->GetObstacles();
            const bool taken = std::count(obstacles.Data(), obstacles.Data() + obstacles.Count(), props[i]) == 1;
            EXPECT_EQ(taken, mode == 7 ? cases[i].taken : cases[i].takenWithoutDriving) << "case " << i << " mode " << mode;
        }
        EXPECT_EQ(world->GetContacts2().Count(), 0);
        EXPECT_EQ(world->GetContacts3().Count(), 0);
    }
    // The pass sets the draw order of what it took.
    props[0]->SetPosition(CPointF(100, 300), 0, 0);
    Frames(1, kFrameMs);
    EXPECT_EQ(props[0]->GetPriority(), 5 * 300);
}

TEST_F(WorldSearchesTest, TheMovingBucketsAreRebuiltFromEveryMovingPropEveryFrame) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    auto* avoider = Add(world, static_cast<OActivityProp*>(xTLVFactory_MakeProp(2420)), 300, 300);
    class Plain : public TLVComplex_Object {};
    auto* loose = Add(world, new Plain, 320, 300); // a moving prop of no list
    auto* pushable = Add(world, new Pushable, 340, 300);
    Frames(1, kFrameMs);
    CWorldBuckets::PropList found;
    world->QueryRect(CPoint16(290, 290), CPoint16(350, 310), found);
    auto has = [&](const OActivityProp* p) { return std::count(found.begin(), found.end(), p) == 1; };
    EXPECT_TRUE(has(pushable));
    EXPECT_EQ(has(avoider), avoider->IsA(1110)) << "a stand-in character is no moving prop";
    EXPECT_TRUE(has(loose)) << "a moving prop of no list is rebuilt too";
    pushable->SetPosition(CPointF(1000, 800), 0, 0);
    Frames(1, kFrameMs);
    found.clear();
    world->QueryRect(CPoint16(990, 790), CPoint16(1010, 810), found);
    EXPECT_TRUE(has(pushable)) << "its moving entry follows it";
}

TEST_F(WorldSearchesTest, MovingPropsOfNoListAreFoundAfterEveryRebuildUntilTheyLeave) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    auto make = [](uint32_t classId) { return static_cast<OActivityProp*>(xTLVFactory_MakeProp(classId)); };
    struct Case {
        const char* name;
        OActivityProp* prop;
        bool unlisted;
    };
    const Case cases[] = {
        {"plain character", Add(world, make(2400), 800, 800), true},
        {"breakable moving prop", Add(world, make(1590), 815, 815), true},
        {"bare moving prop", Add(world, make(1110), 830, 830), true},
        {"avoider", Add(world, make(2420), 810, 820), false},
        {"blocker", Add(world, make(1530), 820, 810), false},
    };
    auto expectFound = [&](const char* when) {
        CWorldBuckets::PropList found;
        world->QueryRect(CPoint16(700, 700), CPoint16(900, 900), found);
        for (const Case& c : cases) EXPECT_EQ(std::count(found.begin(), found.end(), c.prop), 1) << c.name << " " << when;
        EXPECT_EQ(found.size(), std::size(cases)) << when;
    };
    world->RebuildMovingBuckets();
    expectFound("after a rebuild");
    Frames(2, kFrameMs);
    expectFound("after two frames");
    const auto& movers = world->GetUnlistedMovers();
    for (const Case& c : cases)
        EXPECT_EQ(std::count(movers.Data(), movers.Data() + movers.Count(), c.prop), c.unlisted ? 1 : 0) << c.name;
    // One leaves the world: it is kept no more, nor rebuilt.
    const OActivityProp* leaving = cases[1].prop;
    world->RetireProp(cases[1].prop);
    EXPECT_EQ(movers.Count(), 2);
    world->FlushPendingProps();
    world->RebuildMovingBuckets();
    EXPECT_FALSE(world->Holds(leaving));
}

TEST_F(WorldSearchesTest, SmallOperationsOfTheWorld) {
    SpyWorld* world = Shown();
    ASSERT_NE(world, nullptr);
    world->CopyWorldText("Circus \x92 town");
    EXPECT_EQ(world->GetWorldText(), "Circus \x92 town");
    world->CopyWorldText(nullptr);
    EXPECT_EQ(world->GetWorldText(), "");
    world->DoVehicleAction();
    EXPECT_EQ(world->ActionTimer().running, 1);
    EXPECT_EQ(world->ActionTimer().duration, 500);
    EXPECT_FALSE(world->ActionTimer().HasElapsed());
    Frames(1, 501);
    EXPECT_TRUE(world->ActionTimer().HasElapsed());
    world->PlayBumpSound(nullptr);
    EXPECT_NE(world->FindSound(MakeChunkId(7, 13)), nullptr) << "the bump {7, 0, 13} was loaded to play";
    EXPECT_EQ(CurrentWorld(), world);
    auto* spawner = Add(world, new Spawn, 200, 200);
    OActivityProp* character = world->SpawnCharacter(spawner);
    ASSERT_NE(character, nullptr);
    EXPECT_EQ(character->GetParent(), world);
    EXPECT_FLOAT_EQ(character->GetPosition().x, 200);
    EXPECT_EQ(world->GetList(TLVWorld_Activity::kAvoiders).GetAt(0), character) << "kind 0";
    LoadStoredProperties(*spawner, PropertyBytes().Short(1500, 1, 3));
    EXPECT_EQ(world->SpawnCharacter(spawner), nullptr);
    EXPECT_NE(traced().find("a spawner of kind 3 makes no character"), std::string::npos);
    EXPECT_EQ(world->SpawnCharacter(nullptr), nullptr);
}

} // namespace
} // namespace vqt::test

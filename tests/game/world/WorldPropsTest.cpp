// How props enter the driving world from its activity data and from code, how the quotas thin
// them at the start, and how each way out of the world leaves nothing behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "engine/core/DeferredDelete.h"
#include "game/shell/Destructible.h"
#include "game/shell/Fire.h"
#include "game/shell/Hider.h"
#include "game/shell/Pushable.h"
#include "tests/game/world/WorldFixture.h"
#include "tests/support/StoredProperties.h"

namespace vqt::test {
namespace {

constexpr uint16_t kBuiltWorld = 73;
constexpr uint32_t kNone = 0xFFFFFFFFu; // object id -1

/// One object of the built world: class, object id, place.
struct Thing {
    uint32_t classId;
    uint32_t objectId;
    int16_t x, y;
};

/// 60 objects: every class the world sorts (stand-ins where the class waits), way points with
/// ids 1, 1, 9 and -1, a marker with id 101, and props no list takes.
const std::vector<Thing> kThings = {
    {1530, 100, 100, 100}, {1530, 0, 140, 100},  {1530, 7, 180, 100},   {1530, 100, 220, 100},
    {1500, 0, 100, 140},   {1500, 2, 140, 140},  {1510, 0, 100, 180},   {1510, 3, 140, 180},
    {1510, 4, 180, 180},   {1520, 0, 100, 220},  {1520, 5, 140, 220},   {1540, 10, 100, 260},
    {1540, 11, 140, 260},  {1540, 12, 180, 260}, {1540, 13, 220, 260},  {1540, 14, 260, 260},
    {1550, 0, 100, 300},   {1550, 6, 140, 300},  {1560, 0, 100, 340},   {1560, 1, 140, 340},
    {1570, 0, 100, 380},   {1570, 2, 140, 380},  {2420, 0, 300, 100},   {2420, 8, 340, 100},
    {2420, 0, 380, 100},   {2430, 0, 300, 140},  {2430, 9, 340, 140},   {2410, 0, 300, 180},
    {2410, 1, 340, 180},   {2410, 2, 380, 180},  {2450, 6, 300, 220},   {2450, 0, 340, 220},
    {2440, 6, 300, 260},   {2440, 0, 340, 260},  {2460, 0, 300, 300},   {2460, 3, 340, 300},
    {1580, 0, 300, 340},   {1580, 4, 340, 340},  {2500, 0, 300, 380},   {2500, 5, 340, 380},
    {1060, 1, 500, 100},   {1060, 1, 540, 100},  {1060, 9, 580, 100},   {1060, kNone, 620, 100},
    {1060, 0, 500, 140},   {1060, 5, 540, 140},  {1060, 2, 580, 140},   {1150, 0, 500, 180},
    {1150, 101, 540, 180}, {1150, 3, 580, 180},  {1130, 0, 500, 220},   {1130, 2, 540, 220},
    {54, 0, 500, 260},     {54, 3, 540, 260},     {1100, 0, 500, 300},   {1120, 0, 540, 300},
    {1120, 8, 580, 300},   {1110, 0, 500, 340},  {1590, 0, 540, 340},   {1600, 0, 580, 340},
};

/// Quotas high enough that the start keeps every prop.
PropertyBytes KeepEverything() {
    PropertyBytes properties = MapProperties();
    for (uint32_t k = 1; k <= 10; ++k) properties.Short(201, k, 20);
    return properties;
}

std::string Describe(const OActivityProp* prop) {
    if (!prop) return "-";
    std::ostringstream out;
    out << prop->GetName() << "#" << int32_t(prop->GetObjectId()) << "@" << prop->GetPosition().x << ","
        << prop->GetPosition().y;
    return out.str();
}

std::string Dump(const TLVWorld_Activity& world) {
    std::ostringstream out;
    auto list = [&](const char* name, const CDynArray<OActivityProp*>& props) {
        out << name << ":";
        for (int32_t i = 0; i < props.Count(); ++i) out << " " << Describe(props.GetAt(i));
        out << "\n";
    };
    for (int l = 0; l < TLVWorld_Activity::kPropLists; ++l) list(("list " + std::to_string(l)).c_str(), world.GetList(l));
    list("add-ons", world.GetAddOns());
    list("markers", world.GetWayPointMarkers());
    for (int s = 0; s < TLVWorld_Activity::kWayPointSlots; ++s)
        out << "slot " << s << ": " << Describe(world.GetWayPoint(s)) << "\n";
    out << "marked blocker: " << Describe(world.GetMarkedBlocker()) << "\n";
    out << "marked prop: " << Describe(world.GetMarkedProp()) << "\n";
    for (int k = 1; k <= 10; ++k) out << "quota " << k << ": " << world.GetQuota(k) << "\n";
    return out.str();
}

class WorldPropsTest : public WorldFixture {
protected:
    void AddWorldData(GameData& data) override {
        std::vector<ObjectPlan> objects;
        for (const Thing& t : kThings) {
            ObjectPlan plan{.classId = t.classId, .objectId = t.objectId, .partId = MakeChunkId(2, kPropPart)};
            plan.properties.Pair(50, 1, t.x, t.y);
            objects.push_back(plan);
        }
        AddWorld(data, kBuiltWorld, 500, objects, KeepEverything());
    }
    /// A world of its own (not the current activity), its props its children.
    SpyWorld* NewWorld() {
        worlds_.push_back(std::make_unique<SpyWorld>());
        return worlds_.back().get();
    }

    std::vector<std::unique_ptr<SpyWorld>> worlds_;
};

TEST_F(WorldPropsTest, TheBuiltWorldSortsItsSixtyObjectsIntoListsSlotsAndMarkedProps) {
    ASSERT_EQ(kThings.size(), 60u);
    SpyWorld* world = ShowWorld(kBuiltWorld);
    ASSERT_NE(world, nullptr);
    ExpectMatchesGolden("game/world/built_world_lists.txt", Dump(*world));
    EXPECT_NE(traced().find("a way point of object id 9 has no slot"), std::string::npos);
    EXPECT_NE(traced().find("a way point of object id -1 has no slot"), std::string::npos);
    EXPECT_EQ(world->GetRetired().Count(), 0) << "the quotas keep everything";
}

TEST_F(WorldPropsTest, AWayPointWithoutASlotOrWithATakenOneChangesNoSlot) {
    struct Case {
        uint32_t objectId;
        bool takes;
        bool traced;
    };
    const Case cases[] = {{0, true, false}, {5, true, false}, {6, false, true},     {kNone, false, true},
                          {0x80000000u, false, true},          {3, true, false}, {3, false, false}};
    SpyWorld* world = NewWorld();
    std::set<uint32_t> taken;
    for (const Case& c : cases) {
        const size_t before = traced().size();
        auto* point = new Interaction_Point;
        point->flags[1] = 1;
        Add(world, point, 10, 10, c.objectId);
        bool inSlot = false;
        for (int s = 0; s < TLVWorld_Activity::kWayPointSlots; ++s) inSlot = inSlot || world->GetWayPoint(s) == point;
        EXPECT_EQ(inSlot, c.takes) << int32_t(c.objectId);
        EXPECT_EQ(traced().find("has no slot", before) != std::string::npos, c.traced) << int32_t(c.objectId);
        if (c.takes) {
            EXPECT_EQ(point->flags[1], c.objectId == 5 ? 0 : 1) << "only slot 5 clears its second flag";
        }
    }
    EXPECT_EQ(world->GetWayPoint(-1), nullptr);
    EXPECT_EQ(world->GetWayPoint(6), nullptr);
}

TEST_F(WorldPropsTest, TheQuotaPropertiesAreReadAndWrittenAndAShortPayloadIsRefused) {
    SpyWorld* world = NewWorld();
    struct Case {
        uint32_t id;
        Bytes payload;
        bool stores;
        bool traced;
    };
    const Case cases[] = {{1, {0x01, 0x2C}, true, false}, {10, {0x01, 0x2C}, true, false},
                          {5, {0x01}, false, true},       {7, {}, false, true},
                          {0, {0x01, 0x2C}, false, false}, {11, {0x01, 0x2C}, false, false}};
    for (const Case& c : cases) {
        const size_t before = traced().size();
        LoadStoredProperties(*world, PropertyBytes().Raw(5, 201, c.id, c.payload, uint32_t(c.payload.size())));
        const int stored = c.stores ? 300 : 0;
        if (c.id >= 1 && c.id <= 10) {
            EXPECT_EQ(world->GetQuota(int(c.id)), stored) << c.id;
        }
        EXPECT_EQ(traced().find("fewer than 2", before) != std::string::npos, c.traced) << c.id;
    }
    world->SetQuota(4, 0x1234);
    struct {
        OPropertyMsg header{5, 201, 4, 2};
        uint8_t payload[2] = {};
    } get;
    EXPECT_TRUE(world->HandleProperty(&get.header, 0));
    uint16_t value = 0;
    ASSERT_TRUE(get.header.Get(0, value));
    EXPECT_EQ(value, 0x1234);
}

// ---- Quotas ---------------------------------------------------------------------------------

/// n props of object id k, c of them captives or pens (stand-ins), added in the given order.
struct QuotaCase {
    int k;
    int tokens;
    int captives;
    int pens;
    uint16_t quota;
    int32_t set;
};

/// The draws the world makes, written out: survivors are indexes into `isPen` (list order).
std::vector<int> ModelSurvivors(const std::vector<bool>& isPen, int keep, bool pensStay) {
    std::vector<int> kept(isPen.size());
    for (size_t i = 0; i < kept.size(); ++i) kept[i] = int(i);
    while (int(kept.size()) > keep) {
        const int pick = xRand() % int(kept.size());
        if (pensStay && isPen[size_t(kept[size_t(pick)])]) continue;
        kept.erase(kept.begin() + pick);
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

TEST_F(WorldPropsTest, TheQuotasKeepQuotaPlusThePensAndTheSurvivorsFollowTheDraws) {
    const QuotaCase cases[] = {
        {3, 9, 1, 1, 2, -1}, // k is not the set + 3: pens may go
        {3, 9, 1, 1, 2, 0},  // k = set + 3: the pens stay
        {5, 12, 2, 0, 4, 2}, {1, 6, 0, 0, 0, -1}, {10, 4, 0, 2, 3, 7},
    };
    for (const uint32_t seed : {1u, 77u, 40503u}) {
        for (const QuotaCase& c : cases) {
            SpyWorld* world = NewWorld();
            std::vector<OActivityProp*> props;
            for (int i = 0; i < c.tokens; ++i) props.push_back(Add(world, new Token, float(20 * i), 40, uint32_t(c.k)));
            for (int i = 0; i < c.captives; ++i)
                props.push_back(Add(world, static_cast<OActivityProp*>(xTLVFactory_MakeProp(2440)), 5, 5, uint32_t(c.k)));
            for (int i = 0; i < c.pens; ++i)
                props.push_back(Add(world, static_cast<OActivityProp*>(xTLVFactory_MakeProp(2450)), 5, 5, uint32_t(c.k)));
            auto* other = Add(world, new Token, 1, 1, uint32_t(c.k == 1 ? 2 : 1)); // another id, quota 0
            world->SetQuota(c.k, c.quota);
            world->SetQuota(c.k == 1 ? 2 : 1, 5);
            world->SetCollectableSet(c.set);

            // The world's order of the props of id k: tokens (list 4), pens (11), captives (12).
            std::vector<OActivityProp*> ordered;
            CDynArray<OActivityProp*> found;
            world->FindPropsById(uint32_t(c.k), found);
            std::vector<bool> isPen;
            for (int32_t i = 0; i < found.Count(); ++i) {
                ordered.push_back(found.GetAt(i));
                isPen.push_back(found.GetAt(i)->IsA(2440) || found.GetAt(i)->IsA(2450));
            }
            ASSERT_EQ(ordered.size(), props.size());
            const int c2 = c.captives + c.pens;
            xSRand(seed);
            const std::vector<int> model = ModelSurvivors(isPen, c.quota + c2, c.k == c.set + 3);
            xSRand(seed);
            world->ApplyCollectableQuotas();

            CDynArray<OActivityProp*> left;
            world->FindPropsById(uint32_t(c.k), left);
            std::vector<int> survivors;
            for (size_t i = 0; i < ordered.size(); ++i) {
                const bool listed = std::count(left.Data(), left.Data() + left.Count(), ordered[i]) == 1;
                if (listed) survivors.push_back(int(i));
                EXPECT_EQ(ordered[i]->IsVisible() != 0, listed) << "retired props are hidden";
            }
            EXPECT_EQ(survivors, model) << "seed " << seed << " k " << c.k;
            EXPECT_EQ(int(survivors.size()), std::min<int>(int(ordered.size()), c.quota + c2));
            if (c.k == c.set + 3)
                for (size_t i = 0; i < ordered.size(); ++i)
                    if (isPen[i]) {
                        EXPECT_TRUE(std::count(survivors.begin(), survivors.end(), int(i))) << "pens stay";
                    }
            EXPECT_TRUE(world->Holds(other)) << "a quota at or above the count keeps everything";
            world->FlushPendingProps();
        }
    }
}

// ---- Leaving the world ------------------------------------------------------------------------

TEST_F(WorldPropsTest, EveryWayOutLeavesNothingListedBucketedOrMarkedAndDeletesOnce) {
    enum class Way { RetireThenFlush, RetireTwiceThenFlush, EngineDeletes, RetireThenEngineDeletes };
    const Way ways[] = {Way::RetireThenFlush, Way::RetireTwiceThenFlush, Way::EngineDeletes,
                        Way::RetireThenEngineDeletes};
    for (const Way way : ways) {
        SpyWorld* world = ShowWorld(kEmptyWorld);
        ASSERT_NE(world, nullptr);
        int deletions = 0;
        auto* token = Add(world, new Counted<Token>(&deletions), 300, 200, 12);
        auto* blocker = Add(world, new Counted<Blocker>(&deletions), 400, 200, 100);
        auto* pushable = Add(world, new Counted<Pushable>(&deletions), 500, 200, 0);
        auto* marked = Add(world, new Counted<TLVSimple_Object>(&deletions), 600, 200, 101);
        Frames(2, kFrameMs); // the moving buckets take the pushable too
        ASSERT_TRUE(world->GetBuckets().Holds(pushable));
        ASSERT_EQ(world->GetMarkedBlocker(), blocker);
        ASSERT_EQ(world->GetMarkedProp(), marked);
        pushable->SetPosition(CPointF(900, 700), 0, 0); // pushed: its still entries are elsewhere now
        for (OActivityProp* prop : std::vector<OActivityProp*>{token, blocker, pushable, marked}) {
            switch (way) {
            case Way::RetireThenFlush: world->RetireProp(prop); break;
            case Way::RetireTwiceThenFlush:
                world->RetireProp(prop);
                world->RetireProp(prop);
                break;
            case Way::EngineDeletes: AddDeferredDelete(prop); break;
            case Way::RetireThenEngineDeletes:
                world->RetireProp(prop);
                AddDeferredDelete(prop);
                break;
            }
        }
        if (way == Way::RetireThenFlush || way == Way::RetireTwiceThenFlush) {
            EXPECT_EQ(world->GetRetired().Count(), 4) << "each once";
            EXPECT_EQ(token->IsVisible(), 0);
            world->FlushPendingProps();
        } else {
            FlushDeferredDeletes();
        }
        EXPECT_EQ(deletions, 4);
        EXPECT_EQ(world->GetRetired().Count(), 0);
        for (int l = 0; l < TLVWorld_Activity::kPropLists; ++l) EXPECT_EQ(world->GetList(l).Count(), 0) << l;
        EXPECT_EQ(world->GetMarkedBlocker(), nullptr);
        EXPECT_EQ(world->GetMarkedProp(), nullptr);
        for (OActivityProp* gone : std::vector<OActivityProp*>{token, blocker, pushable, marked})
            EXPECT_FALSE(world->GetBuckets().Holds(gone)) << "by identity, wherever it was filed";
        Frames(3, kFrameMs); // the frame's passes meet nothing left behind
        SwitchTo(kPlainScreen);
        EXPECT_EQ(deletions, 4) << "the stop deletes nothing twice";
    }
}

TEST_F(WorldPropsTest, TheStopDeletesTheListedPropsOnceWithTheirRetiredOnesLeftToTheTree) {
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    int deletions = 0;
    Add(world, new Counted<Token>(&deletions), 300, 200, 12);
    Add(world, new Counted<Fire>(&deletions), 320, 200, 0);
    auto* retired = Add(world, new Counted<Bag>(&deletions), 340, 200, 0);
    Add(world, new Counted<TLVSimple_Object>(&deletions), 360, 200, 0); // in no list
    world->RetireProp(retired);
    SwitchTo(kPlainScreen);
    EXPECT_EQ(deletions, 4);
}

TEST_F(WorldPropsTest, APropThatCoversTheVehicleLeavesItsFadeWhenItGoes) {
    SpyWorld::setup = {.giveVehicle = true};
    SpyWorld* world = ShowWorld(kEmptyWorld);
    ASSERT_NE(world, nullptr);
    world->SetVehiclePartId(MakeChunkId(2, kVehiclePart));
    world->CreateVehicle();
    TLV_Object* vehicle = world->GetVehicle();
    ASSERT_NE(vehicle, nullptr);
    vehicle->SetPosition(CPointF(320, 200), 0, 0);
    vehicle->SetPriority(100);
    std::vector<OActivityProp*> covers;
    for (int i = 0; i < 3; ++i) {
        auto* tree = Add(world, new TLVSimple_Object, float(300 + 20 * i), 260, 0);
        LoadStoredProperties(*tree, PropertyBytes().Byte(1100, 3, 1)); // fades when it covers the vehicle
        tree->SetPriority(500);
        covers.push_back(tree);
    }
    Frames(2, kFrameMs);
    for (OActivityProp* tree : covers) ASSERT_NE(world->GetFades().Find(tree), nullptr);
    world->RetireProp(covers[0]);
    AddDeferredDelete(covers[1]);
    FlushDeferredDeletes();
    EXPECT_EQ(world->GetFades().Find(covers[0]), nullptr);
    EXPECT_EQ(world->GetFades().Find(covers[1]), nullptr);
    EXPECT_NE(world->GetFades().Find(covers[2]), nullptr);
    world->FlushPendingProps();
    Frames(10, 70); // the fade steps meet only the prop that stayed
    EXPECT_EQ(world->GetFades().Entries().size(), 1u);
}

} // namespace
} // namespace vqt::test

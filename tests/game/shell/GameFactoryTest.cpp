// The game factory's table: what each class id makes, the ids it supports, its reserved and
// unknown ids, the stand-ins of classes not built yet and its list of made props.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Activity.h"
#include "game/shell/GameShellState.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVFactory.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

struct GameClassCase {
    uint32_t id;
    const char* name;
};

const GameClassCase kActivities[] = {
    {200, "TLV_Activity"}, {201, "TLVWorld_Activity"}, {202, "TLVGame_Activity"}, {300, "Credits_Activity"},
    {305, "SignIn_Activity"}, {310, "VehicleSelect_Activity"}, {400, "GPToon_Activity"},
    {401, "GPMetropolis_Activity"}, {403, "GPZoo_Activity"}, {420, "GAToon_Activity"},
    {421, "GAMetropolis_Activity"}, {423, "GAZoo_Activity"}, {440, "GRToon_Activity"},
    {441, "GRMetropolis_Activity"}, {443, "GRZoo_Activity"}, {450, "GUToon_Activity"},
    {451, "GUMetropolis_Activity"}, {453, "GUZoo_Activity"}, {500, "WToon_Activity"},
    {501, "WMetropolis_Activity"}, {503, "WZoo_Activity"}, {600, "Toon_Certificate_Activity"},
    {601, "Zoo_Certificate_Activity"}, {603, "Metropolis_Certificate_Activity"},
};

const GameClassCase kProps[] = {
    {54, "OActivityProp"}, {76, "OTextDView"}, {1000, "Base_Button_Prop"}, {1001, "Navigation_Prop"},
    {1060, "Interaction_Point"}, {1100, "TLV_Object"}, {1110, "TLVComplex_Object"}, {1120, "TLVSimple_Object"},
    {1130, "TLVWorld_BldgAddOn"}, {1150, "TLVWorld_WayPoint"}, {1200, "Vehicle_Select_Button"},
    {1210, "Vehicle_Select_Drive"}, {1310, "Certificate_Print_Button"}, {1320, "Sign_In_Delete_Button"},
    {1500, "Spawn"}, {1510, "Destructible"}, {1520, "Pushable"}, {1530, "Blocker"}, {1540, "Token"}, {1550, "Fire"},
    {1560, "Changeable"}, {1570, "Hider"}, {1580, "Bag"}, {1590, "RDestructible"}, {1600, "Puzzle_Piece"},
    {1610, "Puzzle_Dweeble"}, {1620, "Puzzle_Crowd"}, {1630, "Puzzle_Go_Button"}, {1700, "Arcade_BG_Item"},
    {2000, "Vehicle"}, {2010, "VIsometric"}, {2020, "VFlat"}, {2300, "Projectile"}, {2310, "PBeam"},
    {2320, "PParticle"}, {2400, "Dweeble"}, {2410, "DFollower"}, {2420, "DAvoider"}, {2430, "DBadGuy"},
    {2440, "DCaptive"}, {2450, "ConstraintObject"}, {2460, "DGuard"}, {2470, "PatrolObject"}, {2500, "DRoundUp"},
    {3000, "Toon_Arcade_Clown"}, {3010, "Arcade_Column_Marker"}, {3100, "Zoo_Arcade_Monkey"},
    {3110, "Zoo_Arcade_GoalItem"}, {3120, "Zoo_Arcade_Leaf"}, {3130, "Zoo_Arcade_Vine"},
    {3410, "Metro_Arcade_Blocker"},
};

/// The ids IsSupported answers true for, as the factory's description lists them.
const std::vector<uint32_t> kSupported = {
    200,  300,  305,  310,  400,  401,  403,  420,  421,  423,  440,  441,  443,  450,  451,  453,  500,
    501,  503,  600,  601,  603,  54,   76,   1000, 1001, 1060, 1100, 1110, 1120, 1130, 1150, 1200, 1310,
    1320, 1500, 1510, 1520, 1530, 1540, 1550, 1560, 1570, 1580, 1600, 1610, 1620, 1630, 1700, 2000, 2010,
    2020, 2300, 2310, 2320, 2400, 2410, 2420, 2430, 2440, 2450, 2460, 2470, 2500, 3000, 3010, 3100, 3110,
    3120, 3130, 3410, 2100, 2110, 2120, 2130, 2140, 2150, 2160, 2170, 2200, 2210, 2220, 2230, 2240, 2250,
    2260, 2270,
};

constexpr const char* kUnsupportedActivity = "Tollivar Factory:Unsupported activity requested\n";
constexpr const char* kUnsupportedProp = "Tollivar Factory:Unsupported activity prop requested\n";

class GameFactoryTest : public HeadlessTest {
protected:
    /// What one call traced.
    template <class F>
    std::string TraceOf(F&& call) {
        const size_t before = traced().size();
        call();
        return traced().substr(before);
    }

    CTLVFactory factory;
};

TEST_F(GameFactoryTest, EveryClassOfTheTableIsMadeWithItsNameAndIdAndStandInsAreTracedOncePerClass) {
    for (const GameClassCase& c : kActivities) {
        std::unique_ptr<OActivity> made(factory.CreateActivity(c.id));
        ASSERT_NE(made, nullptr) << c.id;
        EXPECT_EQ(made->GetClassId(), c.id);
        EXPECT_STREQ(made->GetName(), c.name);
        for (uint32_t base : {c.id, 200u, 53u, 52u, 50u, 20u, 10u, 1u}) EXPECT_TRUE(made->IsA(base)) << c.id << " " << base;
        EXPECT_FALSE(made->IsA(54)) << c.id;
    }
    for (const GameClassCase& c : kProps) {
        OView* made = factory.CreateActivityProp(c.id);
        ASSERT_NE(made, nullptr) << c.id;
        std::unique_ptr<OView> owned(made);
        EXPECT_EQ(made->GetClassId(), c.id);
        EXPECT_STREQ(made->GetName(), c.name);
        for (uint32_t base : {c.id, 54u, 50u, 20u, 10u, 1u}) EXPECT_TRUE(made->IsA(base)) << c.id << " " << base;
        EXPECT_FALSE(made->IsA(200)) << c.id;
    }
    // Stand-ins answer for their bases: a round-up is a world, a blocker a still prop.
    EXPECT_TRUE(std::unique_ptr<OActivity>(factory.CreateActivity(450))->IsA(201));
    EXPECT_TRUE(std::unique_ptr<OView>(factory.CreateActivityProp(1530))->IsA(1120));
    EXPECT_FALSE(std::unique_ptr<OView>(factory.CreateActivityProp(1001))->IsA(1000));
    factory.Reset();

    const std::string again = TraceOf([&] { delete factory.CreateActivityProp(2010); });
    EXPECT_EQ(again, "") << "a stand-in is traced once per class";
    CGameShellState::ResetForTest();
    EXPECT_EQ(TraceOf([&] { delete factory.CreateActivity(500); }),
              "Tollivar Factory:WToon_Activity (500) is made as a plain game activity until its class is built\n");
    EXPECT_EQ(TraceOf([&] { delete factory.CreateActivity(200); }), "") << "the game activity is built";
    factory.Reset();
}

TEST_F(GameFactoryTest, ReservedIdsMakeNothingSilentlyAndUnknownIdsAreTraced) {
    struct Case {
        uint32_t id;
        bool prop;
        const char* trace;
    };
    const Case cases[] = {
        {2100, true, ""},  {2170, true, ""},  {2230, true, ""},  {2270, true, ""},
        {2105, true, kUnsupportedProp},       {2180, true, kUnsupportedProp},     {1050, true, kUnsupportedProp},
        {402, false, kUnsupportedActivity},   {442, false, kUnsupportedActivity}, {54, false, kUnsupportedActivity},
        {200, true, kUnsupportedProp},
        {1300, true, kUnsupportedProp}, // the certificates' award buttons are made in code only
    };
    for (const Case& c : cases) {
        void* made = nullptr;
        const std::string trace = TraceOf([&] {
            made = c.prop ? static_cast<void*>(factory.CreateActivityProp(c.id))
                          : static_cast<void*>(factory.CreateActivity(c.id));
        });
        EXPECT_EQ(made, nullptr) << c.id;
        EXPECT_EQ(trace, c.trace) << c.id;
    }
    EXPECT_EQ(factory.MadeProps().Count(), 0);
}

TEST_F(GameFactoryTest, IsSupportedAnswersExactlyTheListedIds) {
    for (uint32_t id = 0; id < 4000; ++id) {
        const bool listed = std::find(kSupported.begin(), kSupported.end(), id) != kSupported.end();
        EXPECT_EQ(factory.IsSupported(id), listed) << id;
    }
    std::unique_ptr<OActivity> game(factory.CreateActivity(202));
    ASSERT_NE(game, nullptr) << "202 is made although not supported";
}

TEST_F(GameFactoryTest, TheListOfMadePropsEmptiesOnResetAndMissesWhatARefusedAllocationGave) {
    std::vector<std::unique_ptr<OView>> props;
    for (uint32_t id : {54u, 1100u, 2400u}) props.emplace_back(factory.CreateActivityProp(id));
    ASSERT_EQ(factory.MadeProps().Count(), 3);
    EXPECT_EQ(factory.MadeProps().GetAt(1), props[1].get());
    EXPECT_EQ(factory.Reset(), 1);
    EXPECT_EQ(factory.MadeProps().Count(), 0);
    EXPECT_EQ(factory.MadeProps().Chunk(), 64);

    // A maker that cannot have its memory answers null: nothing made, listed or traced.
    ASSERT_TRUE(xTLVFactory_Register({1530, nullptr, [] { return static_cast<OView*>(nullptr); }}));
    EXPECT_EQ(TraceOf([&] { EXPECT_EQ(factory.CreateActivityProp(1530), nullptr); }), "");
    EXPECT_EQ(factory.MadeProps().Count(), 0);
    EXPECT_FALSE(xTLVFactory_Register({1050, nullptr, [] { return static_cast<OView*>(nullptr); }}))
        << "only the table's classes take makers";
}

} // namespace
} // namespace vqt::test

// The vehicle and the pads lying flat on the ground, the whole program on the generated towns:
// driven down onto a game's pad from above (where its nose, not its middle, covers the pad's
// point), the vehicle is drawn over the pad while the question is asked, and again in the town it
// comes back to when the game is left at once, standing where it entered; for each town's four
// games. And standing with its nose on any pad or other ground prop of a town (a manhole its
// people come out of), it is drawn over it.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/TLVComplexObject.h"
#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tests/game/world/towns/TownStartTest.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
/// How far above its pad the vehicle starts, facing down the stage.
constexpr int16_t kAbove = 90;
constexpr int32_t kHeadingDown = 0;
/// Frames the town runs after the return before it is looked at.
constexpr uint32_t kSettleFrames = 6;
/// How far above a pad's top edge the standing vehicle's middle is: its nose, half a
/// footprint's length ahead on the stage, lies on the pad.
constexpr float kNoseBack = 10.0f;

struct PadCase {
    const char* name;
    /// The town's start activity, and the way point of the game.
    const StartActivity& town;
    int pad;
};

void PrintTo(const PadCase& c, std::ostream* out) { *out << c.name; }

constexpr PadCase kPads[] = {
    {"circus1", StartActivityOf(8), 1},  {"circus2", StartActivityOf(8), 2},  {"circus3", StartActivityOf(8), 3},
    {"circus4", StartActivityOf(8), 4},  {"zoo1", StartActivityOf(14), 1},    {"zoo2", StartActivityOf(14), 2},
    {"zoo3", StartActivityOf(14), 3},    {"zoo4", StartActivityOf(14), 4},    {"city1", StartActivityOf(17), 1},
    {"city2", StartActivityOf(17), 2},   {"city3", StartActivityOf(17), 3},   {"city4", StartActivityOf(17), 4},
};

/// Whether the world draws `prop` after (over) `under`: their places among its children, which
/// the frame just drawn sorted.
bool DrawnOver(const TLVWorld_Activity& world, const OActivityProp* prop, const OActivityProp* under) {
    int32_t propAt = -1, underAt = -1;
    for (int32_t i = 0; i < world.ChildCount(); ++i) {
        if (world.ChildAt(i) == prop) propAt = i;
        if (world.ChildAt(i) == under) underAt = i;
    }
    return propAt >= 0 && underAt >= 0 && propAt > underAt;
}

class PadDrawOrderTest : public TownStartTest, public testing::WithParamInterface<PadCase> {};

TEST_P(PadDrawOrderTest, TheVehicleIsDrawnOverTheGamesPadOnItAndAfterTheGameIsLeft) {
    const PadCase& c = GetParam();
    // The town's four games open.
    StoredRecord record = PastTheTutorial("Pat");
    for (int game = 3; game <= 6; ++game) record.WorldWord(c.town.world, CPlayer::kFlags + game, 1);
    StartOn(c.town, record);

    enum class Step { Placing, Driving, Asked, InGame, Back, Done } step = Step::Placing;
    ChunkId game = kNullChunkId;
    bool overOnPad = false, overAfterReturn = false;
    uint32_t backFrames = 0;
    Scenario s = Game(kFrameMs);
    s.frames = 12000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        if (tick == 1) SignIn(c.town.vehicle);
        OActivityManager* manager = GetActivityManager();
        const auto [town, vehicle] = TownOnStage();
        OActivityProp* pad = town ? town->GetWayPoint(c.pad) : nullptr;
        switch (step) {
        case Step::Placing:
            if (!pad || !vehicle) break;
            vehicle->SetPosition(CPointF(pad->GetPosition().x, pad->GetPosition().y - kAbove), 0, 1);
            vehicle->SetState(kHeadingDown);
            town->CenterViewOn(vehicle);
            Script("0 WM_KEYDOWN 32 0 0 0\n50 WM_KEYUP 32 0 0 0\n");
            step = Step::Driving;
            break;
        case Step::Driving:
            if (town && town->IsPanelShown(TownWorld::kConfirmPanel) && town->GetAreaNumber() == c.pad) {
                overOnPad = DrawnOver(*town, vehicle, pad);
                game = town->Table().challenges[c.pad - 1].activity;
                ButtonPanel_Prop* panel = town->GetPanel(TownWorld::kConfirmPanel);
                ButtonPanel_Button* yes = panel ? panel->GetButton(1) : nullptr;
                if (yes) Script(SteadyClick(MiddleOf(yes->GetScreenRect())));
                step = Step::Asked;
            }
            break;
        case Step::Asked:
            if (!manager->IsSwitchPending() && manager->GetCurrentId() == game) {
                // Left at once, as the game's leave button does.
                manager->RequestActivity(MakeChunkId(1, c.town.entry));
                step = Step::InGame;
            }
            break;
        case Step::InGame:
            if (pad && vehicle) step = Step::Back;
            break;
        case Step::Back:
            if (!pad || !vehicle || ++backFrames < kSettleFrames) break;
            overAfterReturn = DrawnOver(*town, vehicle, pad);
            step = Step::Done;
            RequestQuit();
            break;
        case Step::Done: break;
        }
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(step, Step::Done) << "stuck at step " << int(step);
    EXPECT_TRUE(overOnPad) << "the pad covers the vehicle that stopped on it";
    EXPECT_TRUE(overAfterReturn) << "the pad covers the vehicle back from its game";
}

INSTANTIATE_TEST_SUITE_P(EachTownsFourGames, PadDrawOrderTest, testing::ValuesIn(kPads), CaseName<PadCase>);

bool IsShown(const OActivityProp* prop) { return prop->IsVisible() && prop->IsShownThroughParents(); }

std::string Where(CPointF at) { return testing::PrintToString(at.x) + "," + testing::PrintToString(at.y); }

/// Whether the point lies on the prop's box (centred on its position).
bool Covers(const OActivityProp* prop, CPointF at) {
    const CPointF& middle = prop->GetPosition();
    return std::abs(at.x - middle.x) * 2 <= prop->GetWidth() && std::abs(at.y - middle.y) * 2 <= prop->GetHeight();
}

/// What lies on a town's ground: every place's pad (the way out's and the delivery's too), and
/// the props standing still that are shown at each spawn point's place (its manhole). A spawn
/// point's place where nothing is shown goes to `bare`.
std::vector<OActivityProp*> GroundProps(const TownWorld& town, std::vector<std::string>& bare) {
    std::vector<OActivityProp*> ground;
    for (int slot = 0; slot < TLVWorld_Activity::kWayPointSlots; ++slot)
        if (OActivityProp* pad = town.GetWayPoint(slot)) ground.push_back(pad);
    const CDynArray<OActivityProp*>& spawns = town.GetList(TLVWorld_Activity::kSpawns);
    for (int32_t i = 0; i < spawns.Count(); ++i) {
        const CPointF at = spawns.GetAt(i)->GetPosition();
        const size_t before = ground.size();
        for (int32_t c = 0; c < town.ChildCount(); ++c) {
            auto* prop = dynamic_cast<OActivityProp*>(town.ChildAt(c));
            if (prop && prop->IsA(TLV_Object::kClassId) && !prop->IsA(TLVComplex_Object::kClassId) && IsShown(prop) &&
                Covers(prop, at))
                ground.push_back(prop);
        }
        if (ground.size() == before) bare.push_back(Where(at));
    }
    return ground;
}

class EveryGroundPropDrawOrderTest : public TownStartTest, public testing::WithParamInterface<StartActivity> {};

TEST_P(EveryGroundPropDrawOrderTest, AVehicleStandingWithItsNoseOnAGroundPropIsDrawnOverIt) {
    const StartActivity& at = GetParam();
    StartOn(at, PastTheTutorial("Lou"));
    std::vector<OActivityProp*> ground;
    std::vector<std::string> covering, bare;
    size_t next = 0;
    bool placed = false, done = false;
    Scenario s = Game(kFrameMs);
    s.frames = 8000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        if (tick == 1) SignIn(at.vehicle);
        const auto [town, vehicle] = TownOnStage();
        if (!vehicle || done) return;
        if (ground.empty()) ground = GroundProps(*town, bare);
        if (placed) {
            const OActivityProp* prop = ground[next];
            if (!DrawnOver(*town, vehicle, prop))
                covering.push_back(std::string(prop->GetName()) + " at " + Where(prop->GetPosition()));
            ++next;
            placed = false;
        }
        if (next == ground.size()) {
            done = true;
            RequestQuit();
            return;
        }
        // Facing down the stage just above the prop: only its nose reaches onto it.
        const OActivityProp* prop = ground[next];
        vehicle->Halt();
        vehicle->SetState(kHeadingDown);
        vehicle->SetPosition(CPointF(prop->GetPosition().x, prop->GetPosition().y - prop->GetHeight() / 2 - kNoseBack), 0, 1);
        vehicle->UpdateZOrder();
        town->CenterViewOn(vehicle);
        placed = true;
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_TRUE(done) << "looked at " << next << " of " << ground.size() << " ground props";
    EXPECT_GE(ground.size(), 5u) << "the way out and the four games' pads at least";
    EXPECT_TRUE(bare.empty()) << "spawn points showing no manhole: " << testing::PrintToString(bare);
    EXPECT_TRUE(covering.empty()) << "drawn over the vehicle: " << testing::PrintToString(covering);
}

INSTANTIATE_TEST_SUITE_P(EachTown, EveryGroundPropDrawOrderTest,
                         testing::Values(StartActivityOf(8), StartActivityOf(14), StartActivityOf(17)), CaseName<StartActivity>);

} // namespace
} // namespace vqt::test

// The whole program on the three generated round-ups, {1, 0, 18} (circus town), {1, 0, 23} (zoo)
// and {1, 0, 25} (city), each at level 1 (four animals kept of twelve) with the town's first
// vehicle and a fixed seed, started directly by the test kit: the round-up driver closes the
// start panel, starts driving with SPACE and steers with the arrow keys round one animal after
// another until every one is caught; the win panel shows, its return button leads to the town
// and the saved record holds the raised level, the completed round-up, the hero point and the
// badges taken.
// At level 2 the menu's easier level lowers the level and leaves for the town.
#include <gtest/gtest.h>

#include <ostream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/minigames/roundup/RoundUpActivity.h"
#include "game/minigames/roundup/RoundUpClasses.h"
#include "game/minigames/roundup/RoundUpTowns.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/WorldClasses.h"
#include "game/world/characters/DRoundUp.h"
#include "platform/Platform.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StageScript.h"
#include "tests/support/bots/MiniGameDriver.h"
#include "tests/support/bots/ScriptLines.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kBo = 3;
CRoundUpActivity* RoundUp() { return dynamic_cast<CRoundUpActivity*>(CurrentGameActivity()); }
void PressEsc() { Script("0 WM_KEYDOWN 27 0 0 0\n100 WM_KEYUP 27 0 0 0\n"); }

/// One round-up of the table: its entry, its town's values, the stem of its golden files and
/// the seed of the bot's play.
struct RoundUpRow {
    const char* name;
    uint16_t entry;
    const RoundUpTown* town;
    const char* golden;
    uint32_t seed;
};
void PrintTo(const RoundUpRow& row, std::ostream* out) { *out << row.name << " round-up {1, 0, " << row.entry << "}"; }
const RoundUpRow kRows[] = {
    {"Circus", 18, &round_up_towns::kCircus, "game/minigames/roundup", 2024},
    {"Zoo", 23, &round_up_towns::kZoo, "game/minigames/roundup_zoo", 2024},
    {"City", 25, &round_up_towns::kCity, "game/minigames/roundup_city", 1},
};

/// The badges lying in the round-up that can still be taken.
int TokensLeft(CRoundUpActivity* r) {
    int n = 0;
    for (int32_t i = 0; i < r->ChildCount(); ++i)
        if (auto* token = dynamic_cast<Token*>(r->ChildAt(i)); token && token->IsVisible()) ++n;
    return n;
}

/// One frame's state of the round-up: the vehicle, the animals, the count and the track.
uint64_t StateHash(CRoundUpActivity* r) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](int64_t v) { h = (h ^ uint64_t(v)) * 1099511628211ull; };
    if (TLV_Object* vehicle = r->GetVehicle()) {
        mix(int64_t(vehicle->GetPosition().x * 100));
        mix(int64_t(vehicle->GetPosition().y * 100));
        mix(vehicle->GetState());
    }
    mix(r->GetAnimalsLeft());
    const auto& list = r->GetList(TLVWorld_Activity::kRoundUps);
    for (int32_t i = 0; i < list.Count(); ++i) {
        if (auto* a = dynamic_cast<DRoundUp*>(list.GetAt(i))) {
            mix(int64_t(a->GetPosition().x * 100));
            mix(int64_t(a->GetPosition().y * 100));
            mix(a->GetState());
            mix(a->IsCaught());
        }
    }
    mix(r->GetTrack().SegmentCount());
    return h;
}

/// What a play leaves to check.
struct Played {
    size_t stepsDone = 0, steps = 0;
    ScenarioRun run;
    std::vector<int> leftSeen;
    RgbImage startPanel, closingLoop, winPanel;
    std::string spoken;
    std::vector<uint64_t> hashes;
    std::vector<uint16_t> visited;
    uint16_t badgesBefore = 0, heroBefore = 0, countBefore = 0;
    int tokensAtStart = 0, tokensAtEnd = 0;
    ChunkId vehiclePart = kNullChunkId, markArt = kNullChunkId;
    int animalsKept = -1;
    std::unique_ptr<CPlayer> stored = std::make_unique<CPlayer>();
};

/// What the bot does: round every animal up and return, or take the menu's easier level.
enum class Plan { Win, Easier };

class RoundUpScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
        xRoundUp_RegisterClasses();
    }

    /// The round-up of `row`, Bo at `level` with the town's first vehicle, the seed `seed`.
    Played Play(const RoundUpRow& row, Plan plan, uint16_t level, uint32_t seed, uint32_t seconds = 600) {
        RenewContext();
        // Every play starts at the same tick: the animals read the clock as well as the seed.
        clock().Set(plat::VirtualClock::kStart);
        xWorld_RegisterClasses();
        xRoundUp_RegisterClasses();
        const RoundUpTown& town = *row.town;
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        records[kBo] = StoredRecord("Bo").WorldWord(town.world, CPlayer::kLevels + CRoundUpActivity::kActivity, level).bytes();
        PutSave(records);
        Ini("STARTACTIVITY=" + std::to_string(row.entry) + "\n");
        Played played;
        uint32_t now = 0, since = 0;
        ChunkId shown = kNullChunkId;
        const std::unique_ptr<MiniGameDriver> driver = MakeRoundUpDriver(HeadlessBotInput());
        // This frame's messages of the driver (it plays the won round-ups).
        std::string driven;
        auto settled = [&](uint16_t entry) {
            OActivityManager* manager = GetActivityManager();
            return manager && shown == MakeChunkId(1, entry) && !manager->IsSwitchPending() && now >= since + 1000;
        };
        auto panelFor = [&](int16_t panel, uint32_t ms) {
            return RoundUp() && RoundUp()->IsPanelShown(panel) && now >= since + ms;
        };
        struct Step {
            std::function<bool()> ready;
            std::function<void()> act;
        };
        auto clickedOn = [&](int16_t panel) { return RoundUp() && RoundUp()->IsPanelShown(panel) && !driven.empty(); };
        const Step start = {[&] {
                                if (plan == Plan::Win) return clickedOn(CRoundUpActivity::kStartPanel); // the driver's click
                                return settled(row.entry) && panelFor(CRoundUpActivity::kStartPanel, 0);
                            },
                            [&] {
                                CRoundUpActivity* r = RoundUp();
                                played.startPanel = StagePicture();
                                ChunkId part = kNullChunkId;
                                if (r->GetVehicle()) r->GetVehicle()->GetPartID(&part);
                                played.vehiclePart = part;
                                played.markArt = r->GetTrack().GetMarkArt();
                                played.animalsKept = r->GetList(TLVWorld_Activity::kRoundUps).Count();
                                if (plan != Plan::Win) Script(ClickAt(buttons::kPanelButton1)); // the start panel's button
                            }};
        std::vector<Step> steps = {start};
        if (plan == Plan::Win) {
            // The driver starts the vehicle with SPACE a second after the start panel went.
            steps.push_back({[&] { return RoundUp() && !RoundUp()->IsPanelShown(-1) && now >= since + 1000; },
                             [&] { played.tokensAtStart = TokensLeft(RoundUp()); }});
            steps.push_back({[&] { return clickedOn(CRoundUpActivity::kWinPanel); }, // the driver's return to the town
                             [&] {
                                 played.tokensAtEnd = TokensLeft(RoundUp());
                                 played.winPanel = StagePicture();
                             }});
        } else {
            steps.push_back({[&] { return RoundUp() && !RoundUp()->IsPanelShown(-1) && now >= since + 1000; },
                             [&] { PressEsc(); }});
            steps.push_back({[&] { return panelFor(CTLVActivity::kPanelMenu, 500); },
                             [&] { Script(ClickAt(buttons::kMenuLeave)); }}); // the menu's easier level
            steps.push_back({[&] { return panelFor(CTLVActivity::kPanelLeave, 500); },
                             [&] { Script(ClickAt(buttons::kPanelButton1)); }}); // yes, to the town
        }
        steps.push_back({[&] { return settled(town.returnTo); }, [] {}});
        played.steps = steps.size();

        Scenario s = Game(kFrameMs);
        s.frames = seconds * 1000 / kFrameMs;
        s.watch = [&](uint32_t tick) {
            now = (tick - 1) * kFrameMs;
            if (tick == 1) {
                xSRand(seed);
                TLVWorld_Activity::escapeSide = 0; // the escape search's side lives on between runs
                // So do the arrows the last play's driver held when its time ran out.
                driver->Release();
                CPlayer* player = CTLVApp::Get()->GetPlayer();
                player->Load(kBo);
                player->SetSelectedVehicle(town.vehicles[0].number);
                CTLVApp::Get()->SetSaveSlot(kBo);
                played.badgesBefore = player->GetBadgeCount(town.world, CRoundUpActivity::kActivity);
                played.heroBefore = player->GetHeroPoints(town.world);
                played.countBefore = player->GetActivityCount(town.world, CRoundUpActivity::kActivity);
            }
            OActivityManager* manager = GetActivityManager();
            const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
            if (id != shown) {
                shown = id;
                since = now;
                played.visited.push_back(ChunkEntryOf(id));
            }
            if (CRoundUpActivity* r = RoundUp(); r && manager && !manager->IsSwitchPending()) {
                played.hashes.push_back(StateHash(r));
                const int left = r->GetAnimalsLeft();
                if (played.leftSeen.empty() || played.leftSeen.back() != left) {
                    if (played.leftSeen.size() == 1 && played.closingLoop.width == 0) played.closingLoop = StagePicture();
                    played.leftSeen.push_back(left);
                }
            }
            driven = plan == Plan::Win && manager ? driver->Step(manager->GetCurrentActivity(), now) : "";
            if (!driven.empty()) Script(driven);
            if (OMessageProcess* messages = OApplication::Get()->GetMessageProcess()) {
                for (int32_t i = 0; i < messages->QueueLength(); ++i) {
                    const std::string& caption = messages->QueuedAt(i)->caption;
                    if (played.spoken.find(caption + "\n") == std::string::npos) played.spoken += caption + "\n";
                }
            }
            if (played.stepsDone < steps.size() && steps[played.stepsDone].ready()) {
                steps[played.stepsDone].act();
                since = now;
                ++played.stepsDone;
            }
        };
        played.run = RunScenario(s);
        played.stored->Load(kBo);
        return played;
    }
};

class RoundUpTownScenarioTest : public RoundUpScenarioTest, public ::testing::WithParamInterface<RoundUpRow> {};

std::string RowName(const ::testing::TestParamInfo<RoundUpRow>& info) { return info.param.name; }

TEST_P(RoundUpTownScenarioTest, ABotRoundsUpEveryAnimalByTheArrowsAndTheWinIsSaved) {
    const RoundUpRow& row = GetParam();
    const RoundUpTown& town = *row.town;
    const Played played = Play(row, Plan::Win, 1, row.seed);
    EXPECT_EQ(played.run.exitCode, 0);
    const std::string& trace = played.run.trace;
    ASSERT_EQ(played.stepsDone, played.steps) << "stopped before step " << played.stepsDone << " after "
                                              << played.run.framesRun << " frames\n"
                                              << trace.substr(trace.size() > 3000 ? trace.size() - 3000 : 0);
    // The town's own vehicle, marks and animals.
    EXPECT_EQ(played.vehiclePart, town.vehicles[0].part);
    EXPECT_EQ(played.markArt, town.vehicles[0].markArt);
    EXPECT_EQ(played.animalsKept, 4) << "level 1 keeps four of the twelve animals";
    EXPECT_EQ(played.leftSeen, (std::vector<int>{4, 3, 2, 1, 0})) << "each catch lowers animals left by one";
    EXPECT_EQ(played.visited, (std::vector<uint16_t>{row.entry, town.returnTo}));
    const std::string stem = row.golden;
    ExpectMatchesGoldenImage(stem + "_start_panel.png", played.startPanel);
    ExpectMatchesGoldenImage(stem + "_closing_loop.png", played.closingLoop);
    ExpectMatchesGoldenImage(stem + "_win_panel.png", played.winPanel);
    ExpectMatchesGolden(stem + "_spoken_lines.txt", played.spoken);

    const CPlayer& stored = *played.stored;
    EXPECT_EQ(stored.GetActivityLevel(town.world, CRoundUpActivity::kActivity), 2);
    EXPECT_EQ(stored.GetActivityCount(town.world, CRoundUpActivity::kActivity), played.countBefore + 1);
    EXPECT_EQ(stored.GetHeroPoints(town.world), played.heroBefore + 1);
    EXPECT_EQ(stored.GetBadgeCount(town.world, CRoundUpActivity::kActivity),
              played.badgesBefore + (played.tokensAtStart - played.tokensAtEnd))
        << "one badge for each token the vehicle took";
}

TEST_P(RoundUpTownScenarioTest, AtLevel2TheMenusEasierLevelLowersTheLevelAndLeavesForTheTown) {
    const RoundUpRow& row = GetParam();
    const Played played = Play(row, Plan::Easier, 2, 7, 60);
    ASSERT_EQ(played.stepsDone, played.steps) << "stopped before step " << played.stepsDone;
    EXPECT_EQ(played.visited, (std::vector<uint16_t>{row.entry, row.town->returnTo}));
    EXPECT_EQ(played.stored->GetActivityLevel(row.town->world, CRoundUpActivity::kActivity), 1);
    EXPECT_EQ(played.stored->GetActivityCount(row.town->world, CRoundUpActivity::kActivity), played.countBefore)
        << "leaving is no completed round-up";
}

INSTANTIATE_TEST_SUITE_P(Towns, RoundUpTownScenarioTest, ::testing::ValuesIn(kRows), RowName);

TEST_F(RoundUpScenarioTest, TwoPlaysOfTheCircusRoundUpWithOneSeedGiveTheSameStateAtEveryFrame) {
    const Played first = Play(kRows[0], Plan::Win, 1, 5, 40);
    const Played second = Play(kRows[0], Plan::Win, 1, 5, 40);
    ASSERT_GT(first.hashes.size(), 1000u);
    ASSERT_EQ(first.hashes.size(), second.hashes.size());
    for (size_t frame = 0; frame < first.hashes.size(); ++frame)
        ASSERT_EQ(first.hashes[frame], second.hashes[frame]) << "the plays part at frame " << frame;
    EXPECT_EQ(first.spoken, second.spoken);
}

} // namespace
} // namespace vqt::test

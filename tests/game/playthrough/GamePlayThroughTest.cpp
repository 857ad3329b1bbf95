// The whole game played by the game bot on the generated data: a new player, Ann, signs in,
// picks the circus town's vehicle in the garage, closes the drive tutorial and enters the
// town's four games from their way points, winning each; the saved record after the run. Then
// the town's fire task, the fires put out over time.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/minigames/GameClasses.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tests/support/bots/GameBot.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kAnn = 0; // badge 0

struct PlayThrough {
    ScenarioRun run;
    /// Each screen with the time it became current.
    std::string log;
    /// The circus town's tasks left (fires, puppies), each change with its time.
    std::string tasks;
};

class GamePlayThroughTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        PutSave(records);
        Ini("STARTACTIVITY=4\n");
    }

    PlayThrough Play(std::vector<TownLeg> legs, uint32_t seconds) {
        PlayThrough played;
        GameBot bot(HeadlessBotInput(), "Ann", std::move(legs));
        ChunkId shown = kNullChunkId;
        std::string left;
        Scenario s = Game(kFrameMs);
        s.frames = seconds * 1000 / kFrameMs;
        s.watch = [&](uint32_t tick) {
            const uint32_t now = (tick - 1) * kFrameMs;
            if (tick == 1) {
                xSRand(1);
                std::srand(1); // the arcades draw from the C library's generator
                TLVWorld_Activity::escapeSide = 0; // the escape search's side lives on between runs
            }
            OActivityManager* manager = GetActivityManager();
            const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
            if (id != shown) {
                shown = id;
                played.log += std::to_string(now) + " ms: {1, 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
            }
            CPlayer* player = CTLVApp::Get() ? CTLVApp::Get()->GetPlayer() : nullptr;
            if (player) {
                const std::string nowLeft = "fires " + std::to_string(player->GetQuota1Left(kCircusWorld)) + ", puppies " +
                                             std::to_string(player->GetQuota2Left(kCircusWorld));
                if (nowLeft != left) played.tasks += std::to_string(now) + " ms: " + (left = nowLeft) + "\n";
            }
            const std::string lines = bot.Step(now);
            if (!lines.empty()) Script(lines);
        };
        played.run = RunScenario(s);
        return played;
    }

    static std::unique_ptr<CPlayer> Saved() {
        auto saved = std::make_unique<CPlayer>();
        EXPECT_EQ(saved->Load(kAnn), SaveSlotState::Valid);
        return saved;
    }
};

TEST_F(GamePlayThroughTest, AnnSignsInAndWinsTheCircusTownsFourGamesEnteredFromTheirWayPoints) {
    const PlayThrough played = Play({{0, CircusRoads(), CircusTasks()}}, 620);
    EXPECT_EQ(played.run.exitCode, 0);
    EXPECT_TRUE(played.run.boxes.empty()) << played.run.boxes.front().text;
    // The sign-in, the garage, the town; then each game and back: the race, the puzzle, the
    // round-up and the arcade, as the way points lie nearest. The seed and the virtual clock
    // make every play the same, to the frame.
    ExpectMatchesGolden("game/playthrough/circus_games_route.log", played.log);
    const std::unique_ptr<CPlayer> saved = Saved();
    EXPECT_STREQ(saved->GetName(), "Ann");
    constexpr int W = kCircusWorld;
    for (int game = 3; game <= 6; ++game) {
        EXPECT_EQ(saved->GetActivityCount(W, game), 1) << "game " << game;
        EXPECT_EQ(saved->GetActivityLevel(W, game), 2) << "game " << game << " was won";
    }
    EXPECT_EQ(saved->GetHeroPoints(W), 4) << "a hero point a win";
}

TEST_F(GamePlayThroughTest, AfterTheGamesAnnSpraysTheCircusFiresOutComingAtEachFromAnotherSideWhenCircled) {
    TownBot::Task tasks = CircusTasks();
    // Two fires by the big top have their usual stand-off point in its sand: the vehicle would
    // circle them for ever.
    tasks.sideMs = 30000;
    const PlayThrough played = Play({{0, CircusRoads(), tasks}}, 800);
    EXPECT_EQ(played.run.exitCode, 0);
    EXPECT_TRUE(played.run.boxes.empty()) << played.run.boxes.front().text;
    // A new player's twenty fires and ten puppies; the fires go out one by one (a count at each
    // change) once the games are won.
    ExpectMatchesGolden("game/playthrough/circus_fires.log", played.tasks);
    EXPECT_NE(played.tasks.find(": fires 13, puppies 10"), std::string::npos) << played.tasks;
}

} // namespace
} // namespace vqt::test

// The circus town played by the bot on the generated game data, the whole program running: a
// prepared player with four fires left drives the roads to them and sprays them out, ending the
// fire task, and goes on to bring the puppies home and end the mission with the certificate and
// the garage; the spoken lines against golden logs and pictures on the way.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/shell/Fire.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/WorldClasses.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DFollower.h"
#include "game/world/towns/WToonActivity.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedMessages.h"
#include "platform/headless/VirtualClock.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/CircusRoundRecord.h"
#include "tests/game/world/towns/TownRunWatch.h"
#include "tests/game/world/towns/TownScenario.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int kCy = kCircusRoundSlot;
constexpr int W = kCircusWorld;

struct Played {
    std::vector<uint64_t> hashes;
    std::string lines;
    std::map<std::string, RgbImage> pictures;
    std::vector<ChunkId> visited;
    std::vector<plat::ScriptedDialogs::Box> boxes;
    std::unique_ptr<CPlayer> record = std::make_unique<CPlayer>();
    /// Whether the garage shown after the certificate holds the town's upgrade open.
    bool upgradeOpen = false;
    TokensTaken tokens;
    std::string missingChunks;
    /// Each save slot's stored chunk before and after the play.
    std::array<Bytes, 8> slotsBefore, slotsAfter;
};

class CircusTownScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
    }

    /// Cy near the end of the town's round, driven by the bot for `seconds` of play; on the
    /// certificate page the back button is clicked.
    Played Play(uint32_t seconds, uint32_t seed) {
        RenewContext();
        // Every play starts at the same tick: the town reads the clock as well as the seed.
        clock().Set(plat::VirtualClock::kStart);
        xWorld_RegisterClasses();
        PutSave(CircusRoundRecords());
        Played played;
        played.slotsBefore = SlotChunks(work / "TLVSave.vqk");
        Ini("STARTACTIVITY=5\n");
        TownBot bot(CircusRoads(), CircusTasks());
        uint32_t now = 0;
        ChunkId shown = kNullChunkId;
        std::string lastCaption;
        uint32_t certificateAt = 0, garageAgainAt = 0;
        std::unique_ptr<MovieCamera> movie;
        Scenario s = Game(kFrameMs);
        s.frames = seconds * 1000 / kFrameMs;
        s.watch = [&](uint32_t tick) {
            now = (tick - 1) * kFrameMs;
            if (tick == 1) {
                movie = std::make_unique<MovieCamera>(30);
                movie->Install();
                xSRand(seed);
                TLVWorld_Activity::escapeSide = 0; // the escape search's side lives on between runs
                CTLVApp::Get()->GetPlayer()->Load(kCy);
                CTLVApp::Get()->SetSaveSlot(kCy);
            }
            if (tick == s.frames) {
                if (!movie->picture.rgb.empty()) played.pictures["movie"] = movie->picture;
                movie->Remove();
                movie.reset();
            }
            OActivityManager* manager = GetActivityManager();
            const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
            if (id != shown) {
                shown = id;
                played.visited.push_back(id);
                if (id == MakeChunkId(1, 5) && played.visited.size() == 1) {
                    Script("0 WM_MOUSEMOVE 0 0 570 430\n50 WM_LBUTTONDOWN 1 0 570 430\n100 WM_LBUTTONUP 0 0 570 430\n");
                }
                if (id == MakeChunkId(1, 6)) {
                    certificateAt = now;
                    Script("3000 WM_MOUSEMOVE 0 0 470 250\n3050 WM_LBUTTONDOWN 1 0 470 250\n3100 WM_LBUTTONUP 0 0 470 250\n");
                }
                if (id == MakeChunkId(1, 5) && played.visited.size() > 1) garageAgainAt = now;
            }
            if (OMessageProcess* messages = CTLVApp::Get()->GetMessageProcess()) {
                const OMessageRecord* head = messages->Head();
                const std::string caption = head ? head->caption : "";
                if (!caption.empty() && caption != lastCaption) {
                    char line[32];
                    std::snprintf(line, sizeof line, "%u: ", tick);
                    played.lines += line + caption + "\n";
                }
                lastCaption = caption;
            }
            if (certificateAt && now == certificateAt + 2000) played.pictures["certificate"] = StagePicture();
            if (garageAgainAt && now == garageAgainAt + 2000) {
                played.pictures["garage"] = StagePicture();
                played.upgradeOpen = CTLVApp::Get()->GetPlayer()->GetWorldVisited(W) != 0;
            }
            WToon_Activity* town = Town();
            if (!town || manager->IsSwitchPending()) return;
            played.hashes.push_back(StateHash(town));
            played.tokens.Watch(town);
            if (played.pictures.count("arrival") == 0 && now > 2000) played.pictures["arrival"] = StagePicture();
            const std::string out = bot.Step(town, now);
            if (!out.empty()) Script(out);
            CPlayer* player = CTLVApp::Get()->GetPlayer();
            if (player->GetQuota1Left(W) == 0 && played.pictures.count("fires out") == 0)
                played.pictures["fires out"] = StagePicture();
            // The captive's rescue: the town's last frames, the view on the captive.
            if (town->GetMissionStarted() && player->GetQuota3Left(W) == 0) played.pictures["rescue"] = StagePicture();
        };
        const ScenarioRun run = RunScenario(s);
        EXPECT_EQ(run.exitCode, 0);
        played.boxes = run.boxes;
        played.missingChunks = MissingChunkTraces(run.trace);
        played.record->Load(kCy);
        played.slotsAfter = SlotChunks(work / "TLVSave.vqk");
        return played;
    }
};

TEST_F(CircusTownScenarioTest, CySpraysTheLastFiresOutAndTheSavedRecordShowsTheFireTaskDone) {
    const Played played = Play(150, 1);
    EXPECT_TRUE(played.boxes.empty()) << played.boxes.front().text;
    const CPlayer& record = *played.record;
    EXPECT_EQ(record.GetQuota1Left(W), 0);
    EXPECT_EQ(record.GetQuota2Left(W), 4) << "no puppy was brought home";
    EXPECT_EQ(record.GetQuota3Left(W), 3);
    EXPECT_EQ(record.GetActivityCount(W, 0), 1);
    EXPECT_EQ(record.GetActivityCount(W, 1), 0);
    EXPECT_EQ(record.GetHeroPoints(W), 3);
    EXPECT_EQ(record.GetCounter(13), 2);
    EXPECT_EQ(record.GetWorldWord34(W), 0);
    ExpectMatchesGolden("game/world/circus_town_fires_lines.txt", played.lines);
    for (const char* name : {"arrival", "fires out"}) {
        ASSERT_EQ(played.pictures.count(name), 1u) << name;
        ExpectMatchesGoldenImage(std::string("game/world/circus_town_") + (name[0] == 'a' ? "arrival" : "fires_out") + ".png",
                                 played.pictures.at(name));
    }
}

TEST_F(CircusTownScenarioTest, CyEndsTheRoundWithTheCertificateAndGoesBackToTheGarageWithTheUpgrade) {
    // The fires, a chain of puppies brought home, the mission's movie, fires and rescue.
    const Played played = Play(600, 1);
    EXPECT_TRUE(played.boxes.empty()) << played.boxes.front().text;
    const std::vector<ChunkId> route = {MakeChunkId(1, 5), MakeChunkId(1, 8), MakeChunkId(1, 6), MakeChunkId(1, 5)};
    EXPECT_EQ(played.visited, route) << "garage, town, certificate, garage";
    const CPlayer& record = *played.record;
    EXPECT_EQ(record.GetQuota1Left(W), 0);
    EXPECT_EQ(record.GetQuota2Left(W), 0) << "every puppy is home";
    EXPECT_EQ(record.GetQuota3Left(W), record.GetQuota3Max(W)) << "the third quota is refilled";
    for (int i = 0; i < 3; ++i) EXPECT_EQ(record.GetActivityCount(W, i), 1) << "count " << i;
    EXPECT_EQ(record.GetHeroPoints(W), 5);
    EXPECT_EQ(record.GetCounter(13), 2);
    EXPECT_EQ(record.GetWorldWord31(W), 1) << "the mission is done";
    EXPECT_TRUE(played.upgradeOpen) << "the garage opens the upgrade";
    EXPECT_EQ(record.GetBadgeCount(W, 0), played.tokens.Count()) << "a badge for each token taken";
    EXPECT_EQ(played.missingChunks, "");
    for (int slot = 0; slot < 8; ++slot) {
        ASSERT_FALSE(played.slotsBefore[size_t(slot)].empty()) << "slot " << slot;
        EXPECT_EQ(played.slotsAfter[size_t(slot)] == played.slotsBefore[size_t(slot)], slot != kCy)
            << "only Cy's slot changes: slot " << slot;
    }
    EXPECT_GE(record.GetWorldWord34(W), 0);
    EXPECT_LE(record.GetWorldWord34(W), 2) << "the mission played";
    ExpectMatchesGolden("game/world/circus_town_win_lines.txt", played.lines);
    for (const char* name : {"certificate", "garage", "movie", "rescue"}) {
        ASSERT_EQ(played.pictures.count(name), 1u) << name;
        ExpectMatchesGoldenImage(std::string("game/world/circus_town_win_") + name + ".png", played.pictures.at(name));
    }
}

TEST_F(CircusTownScenarioTest, TwoPlaysOfOneSeedGiveTheSameStateAtEveryFrame) {
    const Played first = Play(40, 3);
    const Played second = Play(40, 3);
    ASSERT_GT(first.hashes.size(), 1000u);
    ASSERT_EQ(first.hashes.size(), second.hashes.size());
    for (size_t frame = 0; frame < first.hashes.size(); ++frame)
        ASSERT_EQ(first.hashes[frame], second.hashes[frame]) << "the plays part at frame " << frame;
    EXPECT_EQ(first.lines, second.lines);
}

} // namespace
} // namespace vqt::test

#pragma once
// The whole game played by the game bot on the generated data, a town (a leg) or more a run:
// the save file a run starts from, the bot's legs, and what the run shows - each screen with the
// time it became current, each town's tasks left at every change, and whatever a test watches
// besides. A leg that follows another starts from the save file the earlier leg ended with.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tests/support/bots/GameBot.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {

struct PlayThrough {
    ScenarioRun run;
    /// Each screen with the time it became current.
    std::string log;
    /// The tasks left (the record's first and second quotas) of the town being played, each
    /// change with its time.
    std::string tasks;
};

class PlayThroughTest : public ShellScenarioTest {
protected:
    static constexpr uint32_t kFrameMs = 16;
    static constexpr int16_t kAnn = 0; // badge 0

    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        PutSave(records);
        Ini("STARTACTIVITY=4\n");
    }

    /// Ann (new, or the player the save file holds on badge 0) plays `legs` for at most
    /// `seconds`; `watch` sees every frame after the bot.
    PlayThrough Play(std::vector<TownLeg> legs, uint32_t seconds, std::function<void(uint32_t nowMs)> watch = {}) {
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
            if (auto* town = CurrentTown(); player && town) {
                const int W = town->Table().world;
                const std::string nowLeft = "world " + std::to_string(W) + ": " + std::to_string(player->GetQuota1Left(W)) +
                                            ", " + std::to_string(player->GetQuota2Left(W));
                if (nowLeft != left) played.tasks += std::to_string(now) + " ms: " + (left = nowLeft) + "\n";
            }
            const std::string lines = bot.Step(now);
            if (!lines.empty()) Script(lines);
            if (watch) watch(now);
        };
        played.run = RunScenario(s);
        return played;
    }

    /// Ann's record as the run left it in the save file.
    static std::unique_ptr<CPlayer> Saved() {
        auto saved = std::make_unique<CPlayer>();
        EXPECT_EQ(saved->Load(kAnn), SaveSlotState::Valid);
        return saved;
    }
};

} // namespace vqt::test

// The garage in the whole program on the generated data, with a save file written here: a new
// player in slot 0 reaches it from the first ordinary screen {1, 0, 60}; "Bo" in slot 3, who drove in the
// circus town and finished its mission 2, starts in it and drives out in the Hydrovane.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "engine/core/ActivityManager.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/GameStart.h"
#include "game/shell/NavigationProp.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/shell/VehicleSelectActivity.h"
#include "game/shell/VehicleSelectButton.h"
#include "game/world/WorldClasses.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/bots/ScriptLines.h"
#include "tools/builders/StoredRecord.h"

namespace {

using namespace vqt::test;

constexpr uint32_t kMs = 10; // a tick
uint32_t TickAt(uint32_t ms) { return ms / kMs + 1; }

class GarageScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses(); // the towns the garage leads to are the program's own
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        records[3] = StoredRecord("Bo").Counter(13, 1).WorldWord(0, CPlayer::kCounts + 2, 1).bytes();
        PutSave(records);
    }
    /// A run from the screen `start` with the player of `slot` signed in; the log gets each
    /// voice line as it starts, each current activity and what `note` adds.
    ScenarioRun Run(uint16_t start, int16_t slot, uint32_t ms, std::string input, std::vector<uint32_t> shots,
                    std::string& log, std::function<void(uint32_t)> note = {}) {
        Ini("STARTACTIVITY=" + std::to_string(start) + "\n");
        Scenario s = Game();
        s.frames = TickAt(ms);
        s.input = std::move(input);
        s.shots = std::move(shots);
        std::string caption;
        ChunkId shown = kNullChunkId;
        s.watch = [&, slot, note](uint32_t tick) {
            CTLVApp* app = CTLVApp::Get();
            if (!app) return;
            if (tick == 1) {
                app->GetPlayer()->Load(slot);
                app->SetSaveSlot(slot);
            }
            const std::string at = std::to_string((tick - 1) * kMs) + " ms: ";
            const OMessageRecord* head = app->GetMessageProcess()->Head();
            const std::string now = head ? head->caption : "";
            if (now != caption && !now.empty()) log += at + "\"" + now + "\"\n";
            caption = now;
            const ChunkId id = GetActivityManager() ? GetActivityManager()->GetCurrentId() : kNullChunkId;
            if (id != shown) log += at + "{1, 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
            shown = id;
            if (note) note(tick);
        };
        return RunScenario(s);
    }
    static VehicleSelect_Activity* Garage() {
        CTLVActivity* current = CurrentGameActivity();
        return current && current->IsA(VehicleSelect_Activity::kClassId) ? static_cast<VehicleSelect_Activity*>(current)
                                                                           : nullptr;
    }
};

TEST_F(GarageScenarioTest, ANewPlayerFindsVehicle0PreselectedSilentlyAndNoUpgrade) {
    std::string log;
    std::string state;
    const ScenarioRun run = Run(60, 0, 5500, PointerLine(1000, "WM_MOUSEMOVE", buttons::kFirstScreenForward) +
                                    PointerLine(1100, "WM_LBUTTONDOWN", buttons::kFirstScreenForward) +
                                    PointerLine(1150, "WM_LBUTTONUP", buttons::kFirstScreenForward),
                                {TickAt(5400)}, log, [&](uint32_t tick) {
                                    VehicleSelect_Activity* garage = Garage();
                                    if (tick != TickAt(5400) || !garage) return;
                                    state = "selected " + std::to_string(garage->GetSelectedValue()) + ", upgrades shown:";
                                    for (Vehicle_Select_Button* b : garage->GetButtons())
                                        if (b->GetValue() % 2 && b->IsVisible()) state += " " + std::to_string(b->GetValue());
                                });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    EXPECT_EQ(state, "selected 0, upgrades shown:");
    ExpectMatchesGolden("game/shell/garage_new_player.log", log);
    ExpectMatchesGoldenImage("game/shell/garage_new_player.png", run.shots.at(TickAt(5400)));
}

TEST_F(GarageScenarioTest, BoChoosesTheHydrovaneAndDrivesOutToTheCircusTown) {
    constexpr uint32_t kGoMs = 2500;
    std::string log;
    const ScenarioRun run = Run(
        5, 3, 6500,
        ClickAt(buttons::GarageVehicle(1), 1500) + ClickAt(buttons::kGarageGo, 2400),
        {TickAt(1400), TickAt(4600), TickAt(6400)}, log, [&](uint32_t tick) {
            VehicleSelect_Activity* garage = Garage();
            if (!garage) return;
            const std::string at = std::to_string((tick - 1) * kMs) + " ms: ";
            if (tick == TickAt(1400))
                log += at + "word 33 of world 0 = " + std::to_string(CTLVApp::Get()->GetPlayer()->GetWorldVisited(0)) +
                       ", Hydrovane shown " + std::to_string(garage->GetButtons().at(1)->IsVisible()) + "\n";
            if (tick == TickAt(kGoMs + 500) + 1)
                log += at + "go button shown " + std::to_string(garage->GetGoButton()->IsVisible()) + "\n";
            static bool driving = false;
            if (tick == 1) driving = false;
            if (garage->IsDriving() && !driving) {
                SoundChannel* pipe3 = CTLVApp::Get()->GetSoundProcess()->GetChannel(3);
                const bool engine = pipe3->snippet == garage->FindSound(MakeChunkId(7, 43));
                log += at + "driving, pipe 3 " + (engine ? "{7, 0, 43}" : "?") + " at " +
                       std::to_string(xSound_GetPlaybackRate(pipe3)) + (pipe3->loopMode & 0x4000 ? " looping\n" : "\n");
            }
            driving = garage->IsDriving();
        });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    ExpectMatchesGolden("game/shell/garage_drive_out.log", log);
    ExpectMatchesGoldenImage("game/shell/garage_bo.png", run.shots.at(TickAt(1400)));
    ExpectMatchesGoldenImage("game/shell/garage_mid_fade.png", run.shots.at(TickAt(4600)));
    ExpectMatchesGoldenImage("game/shell/garage_town.png", run.shots.at(TickAt(6400)));
}

} // namespace

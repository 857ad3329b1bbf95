// The circus race of the generated data played by the whole program with the test kit's race:
// a driver that steers toward the badges with the arrow keys and fires at every reload, and
// a run without input. Both reach the finish by the race clock and end with panel 3, whose
// button leads back to the town; the pictures, the sounds and the saved record are checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/Snippet.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/Player.h"
#include "game/shell/PlayerRecord.h"
#include "game/shell/SaveFileImage.h"
#include "game/shell/TLVApp.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessInput.h"
#include "tests/game/minigames/race/KitRace.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/StageScript.h"
#include "tools/builders/StoredRecord.h"
#include "tools/synthetic/CircusRace.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kSlot = 2;
constexpr uint32_t kKeyLeft = 37, kKeyRight = 39, kKeyAlt = 18;
constexpr uint32_t kRaceMs = 50000; // level 1: (1 + 4) x 10 s
/// The finish section comes under the vehicle within this time of the finish mode.
constexpr uint32_t kEndBoundMs = 12000;
constexpr int kPipes = 11;
constexpr uint32_t kPictureDelayMs = 10 * kFrameMs;

KitRace* Race() {
    OActivityManager* manager = GetActivityManager();
    OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
    return current && current->IsA(KitRace::kClassId) ? dynamic_cast<KitRace*>(current) : nullptr;
}

plat::HeadlessInput& Keys() { return static_cast<plat::HeadlessInput&>(plat::input()); }

/// The x of the nearest badge ahead of the vehicle, or the middle of the road.
float SteeringGoal(KitRace& race) {
    const CPointF vehicle = race.GetRaceVehicle()->GetPosition();
    float goal = float(circus_race::kStageWidth) / 2.0f;
    float nearest = -1e9f;
    for (const CGRaceObjects::Entry& e : race.Track().Objects().Live()) {
        if (e.prop == nullptr || e.kind != KitRace::kToken || !e.prop->IsVisible()) continue;
        const CPointF p = e.prop->GetPosition();
        if (p.y < vehicle.y - 20.0f && p.y > nearest) {
            nearest = p.y;
            goal = p.x;
        }
    }
    return goal;
}

/// What a run saw, times in milliseconds from the race's start.
struct RaceSeen {
    bool started = false;
    uint32_t finishModeAt = 0;
    uint32_t panelAt = 0;
    bool leftForTown = false;
    bool spoke = false;
    uint16_t goals = 0;
    int shots = 0;
    std::string sounds;
    RgbImage atStart, afterWrap, atFinish;
};

class RaceScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        KitRace::parts = KitRaceParts{
            .vehicle = MakeChunkId(2, circus_race::kVehiclePart),
            .objects = {MakeChunkId(2, circus_race::kTokenPart), MakeChunkId(2, circus_race::kObstaclePart),
                        MakeChunkId(2, circus_race::kRacerPart)},
            .finish = {MakeChunkId(2, circus_race::kFinishParts[0]), MakeChunkId(2, circus_race::kFinishParts[1])},
            .shot = MakeChunkId(2, circus_race::kShotPart),
            .counters = {MakeChunkId(2, circus_race::kScoreIcon), MakeChunkId(2, circus_race::kBadgeIcon)}};
        ASSERT_TRUE(KitRace::Register());
    }
    void TearDown() override {
        KitRace::parts = {};
        ShellScenarioTest::TearDown();
    }

    /// Plays the race from its start to the town, driving or not, with the badges the stored
    /// record starts with.
    RaceSeen Play(bool drive, uint16_t badges) {
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord("Driver " + std::to_string(slot)).bytes();
        records[kSlot] = StoredRecord("Bo").WorldWord(0, CPlayer::kBadges, badges).bytes();
        PutSave(records);
        WriteFileBytes(work / "before.vqk", ReadFileBytes(work / "TLVSave.vqk"));
        before_ = SlotChunks(work / "TLVSave.vqk");
        Ini("STARTACTIVITY=" + std::to_string(circus_race::kScreen) + "\n");

        RaceSeen seen;
        uint32_t start = 0, now = 0, wrapAt = 0;
        float lastScroll = 0.0f;
        ChunkId playing[kPipes] = {};
        Scenario s = Game(kFrameMs);
        s.frames = (kRaceMs + kEndBoundMs + 3000) / kFrameMs;
        s.watch = [&](uint32_t tick) {
            now = (tick - 1) * kFrameMs;
            CTLVApp* app = CTLVApp::Get();
            if (tick == 1) {
                app->GetPlayer()->Load(kSlot);
                app->SetSaveSlot(kSlot);
            }
            KitRace* race = Race();
            if (race == nullptr) {
                if (seen.started && GetActivityManager()->GetCurrentId() == MakeChunkId(1, 8)) seen.leftForTown = true;
                return;
            }
            if (!seen.started) {
                seen.started = true;
                start = now;
                lastScroll = race->GetScrollOffset().y;
            }
            const uint32_t at = now - start;
            LogSounds(*app, at, playing, seen.sounds);
            if (app->GetMessageProcess() && app->GetMessageProcess()->QueueLength() > 0) seen.spoke = true;
            // The pictures a few frames on, once the start-up fade and the wrap have been drawn.
            if (at == kPictureDelayMs * 10) seen.atStart = StagePicture();
            const float scroll = race->GetScrollOffset().y;
            if (wrapAt == 0 && scroll > lastScroll + 100.0f) wrapAt = at;
            if (wrapAt != 0 && at == wrapAt + kPictureDelayMs) seen.afterWrap = StagePicture();
            lastScroll = scroll;
            if (seen.finishModeAt == 0 && race->Track().FinishMode()) seen.finishModeAt = at;
            seen.goals = race->GetGoalCount();
            if (race->IsPanelShown(KitRace::kEndPanel)) {
                if (seen.panelAt == 0) {
                    seen.panelAt = at;
                    Release();
                } else if (at == seen.panelAt + kPictureDelayMs) {
                    seen.atFinish = StagePicture();
                } else if (at == seen.panelAt + 40 * kFrameMs) {
                    ClickEndButton(*race);
                }
                return;
            }
            seen.shots = race->shotsFired;
            if (drive) Drive(*race, tick);
        };
        const ScenarioRun run = RunScenario(s);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
        return seen;
    }

    /// The arrow key toward the goal held, the other released; ALT pressed and released in turn,
    /// so that every release past the reload fires.
    static void Drive(KitRace& race, uint32_t tick) {
        const float goal = SteeringGoal(race);
        const float x = race.GetRaceVehicle()->GetPosition().x;
        Keys().SetKeyDown(int32_t(kKeyLeft), goal < x - 8.0f);
        Keys().SetKeyDown(int32_t(kKeyRight), goal > x + 8.0f);
        Keys().SetKeyDown(int32_t(kKeyAlt), tick % 2 == 0);
    }
    static void Release() {
        for (uint32_t key : {kKeyLeft, kKeyRight, kKeyAlt}) Keys().SetKeyDown(int32_t(key), false);
    }
    static void ClickEndButton(KitRace& race) {
        ButtonPanel_Prop* panel = race.GetPanel(KitRace::kEndPanel);
        ButtonPanel_Button* button = panel ? panel->GetButton(0) : nullptr;
        if (button == nullptr) return;
        // The button lies in its panel's coordinates.
        const CPointF p(panel->GetLeft() + button->GetPosition().x, panel->GetTop() + button->GetPosition().y);
        const std::string at = std::to_string(int(p.x)) + " " + std::to_string(int(p.y)) + "\n";
        Script("0 WM_MOUSEMOVE 0 0 " + at + "20 WM_LBUTTONDOWN 1 0 " + at + "60 WM_LBUTTONUP 0 0 " + at);
    }
    /// A line for every snippet that starts on a pipe: when, the pipe and the snippet.
    static void LogSounds(CTLVApp& app, uint32_t at, ChunkId (&playing)[kPipes], std::string& log) {
        OSoundProcess* sound = app.GetSoundProcess();
        for (int pipe = 0; sound && pipe < kPipes; ++pipe) {
            const SoundChannel* channel = sound->GetChannel(uint32_t(pipe));
            const ChunkId id = xSound_IsPlaying(channel) && channel->snippet ? channel->snippet->cacheId : kNullChunkId;
            if (id != playing[pipe] && id != kNullChunkId) {
                log += std::to_string(at) + " pipe " + std::to_string(pipe) + " {" + std::to_string(ChunkIndexOf(id)) +
                       ", 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
            }
            playing[pipe] = id;
        }
    }
    /// The saved slots: ours with the badges raised by the goals (at most 150) and nothing else
    /// changed, the others as they were. Both records are read as the game reads them.
    void ExpectSaved(uint16_t badges, uint16_t goals) {
        const std::array<Bytes, 8> after = SlotChunks(work / "TLVSave.vqk");
        for (int slot = 0; slot < 8; ++slot) {
            if (slot != kSlot) {
                EXPECT_EQ(after[size_t(slot)], before_[size_t(slot)]) << "slot " << slot;
            }
        }
        CPlayer expected, saved;
        xProfiles_Set("USERFILE", (work / "before.vqk").c_str());
        ASSERT_EQ(expected.Load(kSlot), SaveSlotState::Valid);
        for (uint16_t g = 0; g < goals; ++g) expected.IncBadgeCount(0, 0);
        xProfiles_Set("USERFILE", (work / "TLVSave.vqk").c_str());
        ASSERT_EQ(saved.Load(kSlot), SaveSlotState::Valid);
        EXPECT_EQ(EncodePlayerRecord(saved.Record()), EncodePlayerRecord(expected.Record()));
        EXPECT_EQ(saved.GetBadgeCount(0, 0), std::min<int>(CPlayer::kMaxBadges, badges + goals));
    }

    std::array<Bytes, 8> before_;
};

TEST_F(RaceScenarioTest, ADriverCollectsBadgesUntilTheFinishAndTheRecordKeepsThem) {
    const struct {
        uint16_t badges;
        bool goldens;
    } cases[] = {{0, true}, {149, false}};
    for (const auto& c : cases) {
        if (&c != &cases[0]) RenewContext();
        ASSERT_TRUE(KitRace::Register());
        const RaceSeen seen = Play(true, c.badges);
        ASSERT_TRUE(seen.started);
        EXPECT_NEAR(double(seen.finishModeAt), double(kRaceMs), 2.0 * kFrameMs) << "the race clock sets the finish";
        ASSERT_GT(seen.panelAt, seen.finishModeAt);
        EXPECT_LT(seen.panelAt - seen.finishModeAt, kEndBoundMs);
        EXPECT_TRUE(seen.leftForTown) << "the end panel's button leads to the town";
        EXPECT_FALSE(seen.spoke) << "the test kit's race speaks no line";
        EXPECT_GT(seen.goals, 0) << "the driver reaches badges";
        EXPECT_GE(seen.shots, int(kRaceMs / 1000) - 2) << "a shot at every reload";
        ExpectSaved(c.badges, seen.goals);
        if (!c.goldens) continue;
        ExpectMatchesGoldenImage("game/minigames/race/circus_start.png", seen.atStart);
        ExpectMatchesGoldenImage("game/minigames/race/circus_after_wrap.png", seen.afterWrap);
        ExpectMatchesGoldenImage("game/minigames/race/circus_finish.png", seen.atFinish);
        ExpectMatchesGolden("game/minigames/race/circus_sounds.txt", seen.sounds);
    }
}

TEST_F(RaceScenarioTest, WithoutInputTheRaceClockStillBringsTheFinish) {
    const RaceSeen seen = Play(false, 10);
    ASSERT_TRUE(seen.started);
    EXPECT_NEAR(double(seen.finishModeAt), double(kRaceMs), 2.0 * kFrameMs);
    ASSERT_GT(seen.panelAt, seen.finishModeAt);
    EXPECT_LT(seen.panelAt - seen.finishModeAt, kEndBoundMs);
    EXPECT_TRUE(seen.leftForTown);
    EXPECT_EQ(seen.shots, 0);
    ExpectSaved(10, seen.goals);
}

} // namespace
} // namespace vqt::test

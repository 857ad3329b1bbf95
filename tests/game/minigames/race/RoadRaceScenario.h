#pragma once
// A road race of the generated data played by the whole program: a driver that starts the race
// from its intro panel, steers to the nearest wanted object ahead and fires at every reload,
// and one that never fires and steers clear of everything. Both reach the goal building, see
// the end panel and go back to the town; the spoken lines, the message queue, the pictures of
// the race's bonus shots and of its goal building, and the saved record are checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/media/MessageProcess.h"
#include "game/minigames/race/RaceClasses.h"
#include "game/minigames/race/RaceSection.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Player.h"
#include "game/shell/PlayerRecord.h"
#include "game/shell/SaveFileImage.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VFlat.h"
#include "platform/Platform.h"
#include "tests/game/minigames/race/RoadRaceRecord.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/Png.h"
#include "tests/support/StageScript.h"
#include "tests/support/bots/MiniGameDriver.h"

namespace vqt::test {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kSlot = kRoadRaceSlot;
constexpr uint32_t kRaceMs = 50000; // level 1: (1 + 4) x 10 s
constexpr uint32_t kEndBoundMs = 30000;
constexpr uint16_t kStartBadges = kRoadRaceStartBadges;
/// The generated voices last a quarter of a second: a line that holds the head of the message
/// queue this long is stuck.
constexpr uint32_t kStuckLineMs = 3000;
/// Where on the stage a half of the goal building stands ahead of the vehicle.
constexpr float kGoalAheadFrom = 100.0f, kGoalAheadTo = 300.0f;

template <class Race>
Race* CurrentRace() {
    OActivityManager* manager = GetActivityManager();
    OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
    return current && current->IsA(Race::kClassId) ? dynamic_cast<Race*>(current) : nullptr;
}

/// What a run saw, times in milliseconds from the race's start.
struct RaceSeen {
    bool started = false;
    /// The intro lines were played out while the intro panel showed.
    bool introHeard = false;
    uint32_t finishModeAt = 0;
    uint32_t panelAt = 0;
    bool leftForTown = false;
    uint16_t score = 0;
    uint16_t goals = 0;
    std::string lines;
    /// The longest a line held the head of the message queue while the race ran.
    uint32_t longestLineMs = 0;
    RgbImage intro, end;
    /// The race's bonus shots in flight (the first the race shows) and its goal building ahead
    /// (the last frame that shows it there).
    RgbImage bonusShots, goal;
};

/// Follows the head of the message queue from frame to frame.
struct QueueWatch {
    const OMessageRecord* head = nullptr;
    uint32_t since = 0;

    void See(uint32_t at, RaceSeen& seen) {
        CTLVApp* app = CTLVApp::Get();
        OMessageProcess* messages = app ? app->GetMessageProcess() : nullptr;
        const OMessageRecord* now = messages ? messages->Head() : nullptr;
        if (now != head) {
            head = now;
            since = at;
        } else if (head != nullptr) {
            seen.longestLineMs = std::max(seen.longestLineMs, at - since);
        }
    }
};

constexpr uint32_t kPictureDelayMs = 10 * kFrameMs;

/// A road race played by the whole program on the generated data, by one of the two race
/// drivers; `Race` names its screen's panels and record words.
template <class Race, uint16_t kScreen>
class RoadRaceScenario : public ShellScenarioTest {
protected:
    /// Whether the race's bonus shots are in flight this frame, as the race's golden picture
    /// shows them.
    virtual bool BonusShotsShown(Race& race) = 0;

    void SetUp() override {
        ShellScenarioTest::SetUp();
        xRace_RegisterClasses();
    }

    RaceSeen Play(bool winner) {
        PutSave(RoadRaceRecords(Race::kWorld));
        Ini("STARTACTIVITY=" + std::to_string(kScreen) + "\n");

        RaceSeen seen;
        QueueWatch queue;
        uint32_t start = 0;
        const std::unique_ptr<MiniGameDriver> driver = MakeRaceDriver(HeadlessBotInput(), winner);
        auto drive = [&](uint32_t now) { return driver->Step(GetActivityManager()->GetCurrentActivity(), now); };
        auto script = [](const std::string& lines) {
            if (!lines.empty()) Script(lines);
        };
        Scenario s = Game(kFrameMs);
        s.frames = (kRaceMs + kEndBoundMs + 3000) / kFrameMs;
        s.watch = [&](uint32_t tick) {
            const uint32_t now = (tick - 1) * kFrameMs;
            CTLVApp* app = CTLVApp::Get();
            if (tick == 1) {
                app->GetPlayer()->Load(kSlot);
                app->SetSaveSlot(kSlot);
            }
            Race* race = CurrentRace<Race>();
            if (race == nullptr) {
                if (seen.started && GetActivityManager()->GetCurrentId() == Race::kTown) seen.leftForTown = true;
                script(drive(now));
                return;
            }
            if (!seen.started) {
                seen.started = true;
                start = now;
            }
            const uint32_t at = now - start;
            seen.score = race->GetScore();
            seen.goals = race->GetGoalCount();
            if (seen.finishModeAt == 0 && race->Track().FinishMode()) seen.finishModeAt = at;
            if (race->IsPanelShown(Race::kIntroPanel)) {
                if (at == kPictureDelayMs) seen.intro = StagePicture();
                // The driver listens to the intro lines before it starts the race.
                OMessageProcess* messages = app->GetMessageProcess();
                if (messages && messages->QueueLength() == 0 && !messages->IsSuspended()) seen.introHeard = true;
                // The driver's click on the instructions goes straight to the race, on the frame
                // the driver asks: the goldens were recorded with the race started there, not
                // the few frames later a click through the message queue arrives.
                if (!drive(now).empty()) race->OnButton(Race::kIntroPanel, 1);
                return;
            }
            if (race->IsPanelShown(Race::kEndPanel)) {
                if (seen.panelAt == 0) {
                    seen.panelAt = at;
                    ExpectGoalAheadAtEnd(*race);
                    for (int n : race->SpokenLines()) seen.lines += std::to_string(n) + "\n";
                } else if (at == seen.panelAt + kPictureDelayMs) {
                    seen.end = StagePicture();
                }
                script(drive(now));
                return;
            }
            queue.See(at, seen);
            if (seen.bonusShots.rgb.empty() && BonusShotsShown(*race)) seen.bonusShots = StagePicture();
            // The last frame that shows the goal building ahead of the vehicle.
            const float top = race->GetScrollOffset().y;
            for (TLV_Object* half : race->FinishProps()) {
                const float y = half->GetPosition().y - top;
                if (half->IsVisible() && y > kGoalAheadFrom && y < kGoalAheadTo) {
                    seen.goal = StagePicture();
                    break;
                }
            }
            script(drive(now));
        };
        const ScenarioRun run = RunScenario(s);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
        return seen;
    }

    /// The race ends with the goal building on the stage ahead of the vehicle: every shown half
    /// lies wholly between the stage's top and the vehicle.
    static void ExpectGoalAheadAtEnd(Race& race) {
        const OActivityProp* vehicle = race.GetRaceVehicle();
        ASSERT_NE(vehicle, nullptr);
        const float top = race.GetScrollOffset().y;
        int shown = 0;
        for (const TLV_Object* half : race.FinishProps()) {
            if (!half->IsVisible()) continue;
            ++shown;
            EXPECT_GT(half->GetBottom(), top) << "a half of the goal building is left above the stage";
            EXPECT_LE(half->GetBottom(), vehicle->GetTop()) << "a half of the goal building is behind the vehicle";
        }
        EXPECT_EQ(shown, 2) << "both halves of the goal building show at the end";
    }

    /// The saved record: one more race, level 2, the badges of the goals, a hero point only
    /// when something scored.
    void ExpectSaved(const RaceSeen& seen) {
        CPlayer saved;
        xProfiles_Set("USERFILE", (work / "TLVSave.vqk").c_str());
        ASSERT_EQ(saved.Load(kSlot), SaveSlotState::Valid);
        EXPECT_EQ(saved.GetActivityCount(Race::kWorld, Race::kRaceGame), 1);
        EXPECT_EQ(saved.GetActivityLevel(Race::kWorld, Race::kRaceGame), 2);
        EXPECT_EQ(saved.GetBadgeCount(Race::kWorld, 0), kStartBadges + seen.goals);
        EXPECT_EQ(saved.GetHeroPoints(Race::kWorld), seen.score > 0 ? 1 : 0);
    }
};

} // namespace vqt::test

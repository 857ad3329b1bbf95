// Each of the twelve town games left from its start panel, the whole program on the generated
// data: the start panel speaks every line queued with it while it shows; then ESC opens the
// menu over it, the menu's leave button asks the leave question aloud, and yes takes the player
// back to the game's town within a few seconds, the record (the game's level one lower) saved
// on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Player.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tests/support/StartActivities.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kBo = 3;
constexpr int16_t kStartPanel = 4;
/// The player's games by their number among the record's activities.
enum Game : int { kArcade = 3, kRace = 4, kPuzzle = 5, kRoundUp = 6 };
constexpr uint16_t kLevel = 2;
/// How long each step may take before the run gives up.
constexpr uint32_t kStepLimitMs = 4000;
constexpr char kLeaveQuestion[] = "Are you sure you want to leave this area?";

constexpr Game RecordGame(StartKind kind) {
    return kind == StartKind::Arcade ? kArcade : kind == StartKind::Race ? kRace : kind == StartKind::Puzzle ? kPuzzle : kRoundUp;
}

struct LeaveCase : StartActivity {
    /// The lines the start panel speaks.
    size_t startLines;
};

void PrintTo(const LeaveCase& c, std::ostream* out) { *out << c.name; }

constexpr LeaveCase kGames[] = {
    {StartActivityOf(13), 5}, {StartActivityOf(10), 5}, {StartActivityOf(24), 4}, {StartActivityOf(18), 5},
    {StartActivityOf(23), 5}, {StartActivityOf(25), 3}, {StartActivityOf(15), 7}, {StartActivityOf(16), 4},
    {StartActivityOf(19), 4}, {StartActivityOf(11), 6}, {StartActivityOf(9), 6},  {StartActivityOf(22), 4},
};

/// A click in the middle of a panel's button.
std::string ClickButton(CTLVActivity* game, int16_t panel, uint16_t button) {
    ButtonPanel_Prop* p = game->GetPanel(panel);
    ButtonPanel_Button* b = p ? p->GetButton(button) : nullptr;
    if (!b) return "";
    return SteadyClick(MiddleOf(b->GetScreenRect()));
}

/// The lines heard: each caption once its voice plays on the voice pipe, in order.
class HeardLines {
public:
    void Watch() {
        OMessageProcess* messages = OApplication::Get() ? OApplication::Get()->GetMessageProcess() : nullptr;
        OSoundProcess* sound = GameSoundProcess();
        const OMessageRecord* head = messages ? messages->Head() : nullptr;
        const bool voiced = head && sound && xSound_IsPlaying(sound->GetChannel(OMessageProcess::kVoicePipe));
        if (voiced && head->caption != playing_) lines.push_back(head->caption);
        playing_ = voiced ? head->caption : "";
    }
    std::vector<std::string> lines;

private:
    std::string playing_;
};

/// The captions queued now that are not in `seen` yet, appended to it.
void NoteQueued(std::vector<std::string>& seen) {
    OMessageProcess* messages = OApplication::Get() ? OApplication::Get()->GetMessageProcess() : nullptr;
    for (int32_t i = 0; messages && i < messages->QueueLength(); ++i) {
        const std::string& caption = messages->QueuedAt(i)->caption;
        if (std::find(seen.begin(), seen.end(), caption) == seen.end()) seen.push_back(caption);
    }
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

class LeaveFromStartPanelTest : public ShellScenarioTest, public testing::WithParamInterface<LeaveCase> {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_P(LeaveFromStartPanelTest, TheStartPanelSpeaksItsLinesAndEscTheMenusLeaveAndYesReturnToTheTown) {
    const LeaveCase& c = GetParam();
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    StoredRecord bo("Bo");
    for (int game : {kArcade, kRace, kPuzzle, kRoundUp}) bo.WorldWord(c.world, CPlayer::kLevels + game, kLevel);
    records[kBo] = bo.bytes();
    PutSave(records);
    Ini("STARTACTIVITY=" + std::to_string(c.entry) + "\n");

    enum class Step { StartPanel, Menu, Question, Leaving, Town } step = Step::StartPanel;
    uint32_t now = 0, since = 0, yesAt = 0, townAt = 0;
    HeardLines heard;
    std::vector<std::string> queuedWithPanel, heardWithPanel;
    int savedLevel = -1;
    Scenario s = Game(kFrameMs);
    s.frames = 16000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            CPlayer* player = CTLVApp::Get()->GetPlayer();
            player->Load(kBo);
            player->SetSelectedVehicle(c.vehicle);
            CTLVApp::Get()->SetSaveSlot(kBo);
        }
        heard.Watch();
        OActivityManager* manager = GetActivityManager();
        CTLVActivity* game = CurrentGameScreen();
        const bool inGame = game && manager->GetCurrentId() == MakeChunkId(1, c.entry) && !manager->IsSwitchPending();
        switch (step) {
        case Step::StartPanel:
            // ESC once the start panel has said what it queued (or the run gives up on it).
            if (inGame && game->IsPanelShown(kStartPanel)) {
                NoteQueued(queuedWithPanel);
                if (!IsMessageQueued() || now >= since + 2 * kStepLimitMs) {
                    heardWithPanel = heard.lines;
                    Script("0 WM_KEYDOWN 27 0 0 0\n100 WM_KEYUP 27 0 0 0\n");
                    step = Step::Menu, since = now;
                }
            }
            break;
        case Step::Menu:
            if (inGame && game->IsPanelShown(CTLVActivity::kPanelMenu) && now >= since + 300) {
                EXPECT_FALSE(game->IsPanelShown(kStartPanel)) << "the menu shows instead of the start panel";
                Script(ClickButton(game, CTLVActivity::kPanelMenu, 1));
                step = Step::Question, since = now;
            }
            break;
        case Step::Question:
            if (inGame && game->IsPanelShown(CTLVActivity::kPanelLeave) && now >= since + 300) {
                Script(ClickButton(game, CTLVActivity::kPanelLeave, 1));
                step = Step::Leaving, since = yesAt = now;
            }
            break;
        case Step::Leaving:
            if (manager && manager->GetCurrentId() == MakeChunkId(1, c.town)) {
                // What the leave saved, before the town's own end saves again.
                CPlayer saved;
                if (saved.Load(kBo) == SaveSlotState::Valid) savedLevel = saved.GetActivityLevel(c.world, RecordGame(c.kind));
                step = Step::Town, townAt = now;
            }
            break;
        case Step::Town: break;
        }
        if (step == Step::Town || (step != Step::StartPanel && now > since + kStepLimitMs)) RequestQuit();
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(step, Step::Town) << "stuck at step " << int(step) << "; heard:\n" << Joined(heard.lines);
    EXPECT_EQ(heardWithPanel.size(), c.startLines) << Joined(heardWithPanel);
    EXPECT_EQ(heardWithPanel, queuedWithPanel) << "every line queued with the start panel is heard over it";
    EXPECT_NE(std::find(heard.lines.begin(), heard.lines.end(), kLeaveQuestion), heard.lines.end())
        << "the leave question is asked aloud\n"
        << Joined(heard.lines);
    EXPECT_LT(townAt - yesAt, 1500u) << "the town follows the yes";
    EXPECT_EQ(savedLevel, kLevel - 1) << "leaving early lowers the game's level, saved as the game ends";
}

INSTANTIATE_TEST_SUITE_P(TwelveGames, LeaveFromStartPanelTest, testing::ValuesIn(kGames), CaseName<LeaveCase>);

} // namespace
} // namespace vqt::test

// Each question of the pause menu, in each of the twelve town games and the three towns, the
// whole program on the generated data: the game's leave question (the round-up's easier-level
// one), the new-car question and the quit question, asked once the menu's continue has been
// tried. No closes the question, and play goes on as after the continue: no panel left, the
// game's clocks running, its music heard again, the pointer as after the continue, and ESC opens
// the menu once more. Yes leads where the question says:
// the game's town, the garage, the credits.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/ActivityManager.h"
#include "engine/core/Cursor.h"
#include "engine/core/RunLoop.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/Sound.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/PanelTextButton.h"
#include "game/shell/Player.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/MixLevels.h"
#include "tests/support/ScriptedAudioOutput.h"
#include "tests/support/StageScript.h"
#include "tests/support/StartActivities.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kBo = 3;
constexpr int16_t kStartPanel = 4;
/// How long each step may take before the run gives up.
constexpr uint32_t kStepLimitMs = 4000;
/// Play goes on this long before ESC, and a panel shows this long before its button is clicked.
constexpr uint32_t kPlayMs = 800, kShownMs = 300;
/// After no: the stretch listened to for the music, from the first mark to the second.
constexpr uint32_t kListenFromMs = 300, kListenToMs = 800;
constexpr char kEscTap[] = "0 WM_KEYDOWN 27 0 0 0\n100 WM_KEYUP 27 0 0 0\n";
constexpr uint16_t kNo = 0, kYes = 1, kContinue = 0;
constexpr ChunkId kGarage = MakeChunkId(1, 5);
constexpr ChunkId kCredits = MakeChunkId(1, 7);

/// A question of the menu: the menu's button that asks it, and the panel that asks.
struct Question {
    const char* name;
    uint16_t menuButton;
    int16_t panel;
};
constexpr Question kLeave{"leave", 1, CTLVActivity::kPanelLeave};
constexpr Question kNewCar{"newcar", 2, CTLVActivity::kPanelNewCar};
constexpr Question kQuit{"quit", 3, CTLVActivity::kPanelQuit};

struct QuestionCase {
    StartActivity where;
    Question question;
    uint16_t answer;
    std::string name;
};

void PrintTo(const QuestionCase& c, std::ostream* out) { *out << c.name; }

/// Every game asks all three questions, a town the new-car and quit ones; each answered both ways.
std::vector<QuestionCase> Cases() {
    std::vector<QuestionCase> cases;
    for (const StartActivity& a : kStartActivities) {
        std::vector<Question> asked{kNewCar, kQuit};
        if (a.kind != StartKind::Town) asked.insert(asked.begin(), kLeave);
        for (const Question& q : asked)
            for (const uint16_t answer : {kNo, kYes})
                cases.push_back({a, q, answer, std::string(a.name) + "_" + q.name + (answer == kYes ? "_yes" : "_no")});
    }
    return cases;
}

std::string CaseName(const testing::TestParamInfo<QuestionCase>& info) {
    std::string name;
    for (const char ch : info.param.name)
        if (std::isalnum(static_cast<unsigned char>(ch)) || ch == '_') name += ch;
    return name;
}

/// The player record's game index of a town game; 0 for a town.
int GameIndex(StartKind kind) {
    switch (kind) {
    case StartKind::Arcade: return 3;
    case StartKind::Race: return 4;
    case StartKind::Puzzle: return 5;
    case StartKind::RoundUp: return 6;
    case StartKind::Town: break;
    }
    return 0;
}

/// Where yes leads.
ChunkId YesLeadsTo(const QuestionCase& c) {
    if (c.question.panel == CTLVActivity::kPanelNewCar) return kGarage;
    if (c.question.panel == CTLVActivity::kPanelQuit) return kCredits;
    return MakeChunkId(1, c.where.town);
}

/// A click on a panel's button, or on the text that works as that button.
std::string ClickButton(CTLVActivity* screen, int16_t panel, uint16_t button) {
    ButtonPanel_Prop* p = screen->GetPanel(panel);
    if (!p) return "";
    OView* target = p->GetButton(button);
    for (int32_t i = 0; !target && i < p->AttachedCount(); ++i)
        if (auto* text = dynamic_cast<PanelTextButton*>(p->AttachedAt(i)); text && text->GetIndex() == button) target = text;
    return target ? SteadyClick(MiddleOf(target->GetScreenRect())) : "";
}

/// The music's entry when it plays and is heard on its channel; 0 otherwise.
uint16_t HeardMusic() {
    OMusicProcess* music = CTLVApp::Get() ? CTLVApp::Get()->GetMusic() : nullptr;
    if (!music || !music->IsPlaying() || !music->GetSnippetData()) return 0;
    const SoundChannel* channel = music->GetChannel();
    const bool heard = channel && channel->snippet == music->GetSnippet() && xSound_IsPlaying(channel) &&
                       channel->paused == 0 && channel->volume > 0;
    return heard ? music->GetSnippetData()->firstEntry : 0;
}

class PanelQuestionsTest : public ShellScenarioTest, public testing::WithParamInterface<QuestionCase> {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_P(PanelQuestionsTest, NoGoesOnPlayingAndYesLeadsWhereTheQuestionSays) {
    const QuestionCase& c = GetParam();
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    records[kBo] = StoredRecord("Bo").bytes();
    PutSave(records);
    Ini("STARTACTIVITY=" + std::to_string(c.where.entry) + "\n");
    ScriptedAudioOutput& output = UseScriptedAudio();

    enum class Step { Arriving, Playing, Menu, Question, Answered, Again, Done } step = Step::Arriving;
    uint32_t since = 0;
    uint16_t musicBefore = 0, musicAfter = 0;
    int cursorBefore = 0, cursorAfter = 0;
    // A game starts a level up, so that a level lost shows.
    const int game = GameIndex(c.where.kind);
    uint16_t levelStart = 0, levelAfter = 0;
    bool continued = false, closed = false, clocksRun = false, menuAgain = false;
    size_t listenFrom = 0, listenTo = 0;
    ChunkId reached = kNullChunkId;
    int stuckAt = -1;
    Scenario s = Game(kFrameMs);
    s.frames = 20000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            CPlayer* player = CTLVApp::Get()->GetPlayer();
            player->Load(kBo);
            player->SetSelectedVehicle(c.where.vehicle);
            CTLVApp::Get()->SetSaveSlot(kBo);
            if (game != 0) {
                while (player->GetActivityLevel(c.where.world, game) < 2) player->IncActivityLevel(c.where.world, game);
                levelStart = player->GetActivityLevel(c.where.world, game);
            }
        }
        OActivityManager* manager = GetActivityManager();
        CTLVActivity* screen = CurrentGameScreen();
        const bool there = screen && manager->GetCurrentId() == MakeChunkId(1, c.where.entry) && !manager->IsSwitchPending();
        if (step != Step::Arriving && step != Step::Done && now > since + kStepLimitMs) stuckAt = int(step), step = Step::Done;
        switch (step) {
        case Step::Arriving:
            if (!there) break;
            if (since == 0) since = now;
            // The start panel (a town's drive tutorial) is closed by its tick once it has shown a while.
            if (screen->IsPanelShown(kStartPanel) && now >= since + kShownMs) {
                Script(ClickButton(screen, kStartPanel, 1));
                since = now;
            } else if (!screen->IsPanelShown(-1)) {
                step = Step::Playing, since = now;
            }
            break;
        case Step::Playing:
            if (now < since + kPlayMs) break;
            // The second time in play, after the menu's continue: how play goes on after it.
            if (continued) {
                musicBefore = HeardMusic();
                cursorBefore = xCursor_HiddenState();
            }
            Script(kEscTap);
            step = Step::Menu, since = now;
            break;
        case Step::Menu:
            if (!there || !screen->IsPanelShown(CTLVActivity::kPanelMenu) || now < since + kShownMs) break;
            Script(ClickButton(screen, CTLVActivity::kPanelMenu, continued ? c.question.menuButton : kContinue));
            step = continued ? Step::Question : Step::Playing, since = now;
            continued = true;
            break;
        case Step::Question:
            if (!there || !screen->IsPanelShown(c.question.panel) || now < since + kShownMs) break;
            Script(ClickButton(screen, c.question.panel, c.answer));
            step = Step::Answered, since = now;
            break;
        case Step::Answered:
            if (c.answer == kYes) {
                if (manager && !manager->IsSwitchPending() && manager->GetCurrentId() == YesLeadsTo(c)) {
                    reached = manager->GetCurrentId();
                    if (game != 0) levelAfter = CTLVApp::Get()->GetPlayer()->GetActivityLevel(c.where.world, game);
                    step = Step::Done;
                }
                break;
            }
            if (!closed && there && !screen->IsPanelShown(-1)) closed = true, since = now;
            if (!closed) break;
            if (listenFrom == 0 && now >= since + kListenFromMs) {
                output.Pump();
                listenFrom = output.Rendered().size();
            }
            if (now < since + kListenToMs) break;
            output.Pump();
            listenTo = output.Rendered().size();
            musicAfter = HeardMusic();
            cursorAfter = xCursor_HiddenState();
            if (game != 0) levelAfter = CTLVApp::Get()->GetPlayer()->GetActivityLevel(c.where.world, game);
            clocksRun = there && screen->GetStepTimer().paused == 0 && screen->GetHintTimer().paused == 0;
            Script(kEscTap);
            step = Step::Again, since = now;
            break;
        case Step::Again:
            if (there && screen->IsPanelShown(CTLVActivity::kPanelMenu)) menuAgain = true, step = Step::Done;
            break;
        case Step::Done: break;
        }
        if (step == Step::Done) RequestQuit();
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty());
    ASSERT_EQ(step, Step::Done) << "the game never showed without a panel";
    ASSERT_EQ(stuckAt, -1) << "stuck at step " << stuckAt;
    if (game != 0) {
        ASSERT_GE(levelStart, 2) << "a game starts a level up";
    }
    if (c.answer == kYes) {
        EXPECT_EQ(reached, YesLeadsTo(c)) << "yes leads to {1, 0, " << ChunkEntryOf(YesLeadsTo(c)) << "}";
        if (c.question.panel == CTLVActivity::kPanelLeave) {
            EXPECT_EQ(levelAfter, levelStart - 1) << "leaving early costs a level";
        }
        return;
    }
    ASSERT_TRUE(closed) << "no closes the question";
    if (game != 0) {
        EXPECT_EQ(levelAfter, levelStart) << "no keeps the game's level";
    }
    EXPECT_TRUE(clocksRun) << "the game's clocks run again";
    EXPECT_NE(musicBefore, 0) << "the music is heard after the menu's continue";
    EXPECT_EQ(musicAfter, musicBefore) << "the game's music is heard again";
    EXPECT_EQ(cursorAfter, cursorBefore) << "the pointer is as after the menu's continue";
    ASSERT_GT(listenTo, listenFrom);
    const MixLevels mix =
        MeasureMix(std::vector<uint8_t>(output.Rendered().begin() + long(listenFrom), output.Rendered().begin() + long(listenTo)));
    EXPECT_GE(mix.audible * 4, mix.samples) << "heard after no: peak " << mix.peak << ", " << mix.rmsDbfs << " dBFS";
    EXPECT_TRUE(menuAgain) << "the game takes input again: ESC opens the menu";
}

INSTANTIATE_TEST_SUITE_P(GamesAndTowns, PanelQuestionsTest, testing::ValuesIn(Cases()), CaseName);

} // namespace
} // namespace vqt::test

// The sign-in screen played whole on the generated game data: its help lines, a new player
// typed into badge 0, the first-time movie and the garage requested; the save file afterwards.
// Also the delete question on Bo's badge, answered no and then yes.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "engine/core/ActivityManager.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "game/shell/GameStart.h"
#include "game/shell/Player.h"
#include "game/shell/SignInActivity.h"
#include "game/shell/TLVApp.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/bots/ScriptLines.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
uint32_t TickAt(uint32_t ms) { return ms / kFrameMs + 1; }

class SignInScenarioTest : public ShellScenarioTest {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        // The title screen {1, 0, 3} leads to the sign-in after 10 s.
        Ini("STARTACTIVITY=3\n");
        std::ofstream(work / "TLVFMH.ini") << "[FennmarkRovadu]\nHMCAPTIONS=1\n";
        ASSERT_TRUE(WritePlayers(work / "TLVSave.vqk", [](uint16_t slot, CPlayer& player) {
            if (slot == 3) player.SetName("Bo");
        }));
    }
};

TEST_F(SignInScenarioTest, ANewPlayerSignsInOnBadgeZeroAndSeesTheMovieBeforeTheGarage) {
    const auto before = SlotChunks(work / "TLVSave.vqk");
    Scenario s = Game(kFrameMs);
    s.frames = TickAt(20000);
    // Badge 0; "Ann" typed; the continue badge.
    const StagePoint badge = SignInBadge(0), next = buttons::kSignInContinue;
    s.input = PointerLine(15000, "WM_MOUSEMOVE", {badge.x - 7, badge.y - 5}) + PointerLine(15050, "WM_MOUSEMOVE", badge) +
              PointerLine(15100, "WM_LBUTTONDOWN", badge) + PointerLine(15150, "WM_LBUTTONUP", badge) +
              "15400 WM_KEYDOWN 16 0 0 0\n15420 WM_KEYDOWN 65 0 0 0\n15430 WM_CHAR 65 0 0 0\n"
              "15450 WM_KEYUP 65 0 0 0\n15460 WM_KEYUP 16 0 0 0\n"
              "15500 WM_KEYDOWN 78 0 0 0\n15510 WM_CHAR 110 0 0 0\n15530 WM_KEYUP 78 0 0 0\n"
              "15600 WM_KEYDOWN 78 0 0 0\n15610 WM_CHAR 110 0 0 0\n15630 WM_KEYUP 78 0 0 0\n" +
              PointerLine(16500, "WM_MOUSEMOVE", {next.x - 5, next.y - 5}) + PointerLine(16550, "WM_MOUSEMOVE", next) +
              PointerLine(16600, "WM_LBUTTONDOWN", next) + PointerLine(16650, "WM_LBUTTONUP", next);
    s.shots = {TickAt(14900), TickAt(16000)};
    // The voice lines and the activities, with their times.
    std::string log;
    std::string speaking;
    ChunkId shown = kNullChunkId;
    bool movie = false;
    s.watch = [&](uint32_t tick) {
        const std::string at = std::to_string((tick - 1) * kFrameMs) + " ms: ";
        OMessageProcess* messages = CTLVApp::Get() ? CTLVApp::Get()->GetMessageProcess() : nullptr;
        const OMessageRecord* head = messages ? messages->Head() : nullptr;
        const std::string caption = head ? head->caption : "";
        if (caption != speaking && !caption.empty()) log += at + "says \"" + caption + "\"\n";
        speaking = caption;
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) log += at + "{1, 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
        shown = id;
        const bool movieNow = manager && manager->IsOverlayActive();
        if (movieNow != movie) log += at + (movieNow ? "movie starts\n" : "movie ends\n");
        movie = movieNow;
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    EXPECT_EQ(run.trace.find("Missing"), std::string::npos);
    ExpectMatchesGolden("game/shell/sign_in_voices.log", log);
    ExpectMatchesGoldenImage("game/shell/sign_in_spoken.png", run.shots.at(TickAt(14900)));
    ExpectMatchesGoldenImage("game/shell/sign_in_typed.png", run.shots.at(TickAt(16000)));

    const auto after = SlotChunks(work / "TLVSave.vqk");
    for (size_t slot = 1; slot < 8; ++slot) EXPECT_EQ(after[slot], before[slot]) << slot;
    CPlayer ann;
    ann.SetName("Ann");
    CPlayer stored;
    ASSERT_EQ(stored.Load(0), SaveSlotState::Valid);
    EXPECT_EQ(EncodePlayerRecord(stored.Record()), EncodePlayerRecord(ann.Record()));
}

/// Straight into the sign-in: Bo's badge (slot 3), delete and the question's no; delete again
/// and yes.
TEST_F(SignInScenarioTest, DeletingBoAsksFirstAndNoKeepsTheFileWhileYesResetsSlotThreeOnly) {
    Ini("STARTACTIVITY=4\n");
    const std::string before = ReadFileBytes(work / "TLVSave.vqk");
    const auto slotsBefore = SlotChunks(work / "TLVSave.vqk");
    Scenario s = Game(kFrameMs);
    s.frames = TickAt(12000);
    s.input = SteadyClick(SignInBadge(3), 1000) + SteadyClick(buttons::kSignInDelete, 2000) +
              SteadyClick(buttons::kQuestionNo, 4000) + SteadyClick(buttons::kSignInDelete, 7000) +
              SteadyClick(buttons::kQuestionYes, 9000);
    std::string panelLog;
    bool shown = false;
    std::string afterNo;
    s.watch = [&](uint32_t tick) {
        const uint32_t ms = (tick - 1) * kFrameMs;
        const SignIn_Activity* screen = CurrentSignIn();
        const bool now = screen && screen->IsPanelShown(CTLVActivity::kPanelDelete);
        if (now != shown) panelLog += (now ? "opens on badge " + std::to_string(screen->GetSelectedBadge()) : "closes") + std::string("; ");
        shown = now;
        if (ms == 6000) afterNo = ReadFileBytes(work / "TLVSave.vqk");
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    EXPECT_EQ(panelLog, "opens on badge 3; closes; opens on badge 3; closes; ");
    EXPECT_TRUE(afterNo == before) << "no keeps the save file byte for byte";

    const auto after = SlotChunks(work / "TLVSave.vqk");
    for (size_t slot = 0; slot < 8; ++slot) {
        if (slot != 3) {
            EXPECT_EQ(after[slot], slotsBefore[slot]) << slot;
        }
    }
    CPlayer stored;
    ASSERT_EQ(stored.Load(3), SaveSlotState::Valid);
    EXPECT_EQ(EncodePlayerRecord(stored.Record()), EncodePlayerRecord(CPlayer().Record())) << "yes: the new-player values";
}

} // namespace
} // namespace vqt::test

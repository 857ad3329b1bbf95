// The game run in this process on the data of the game-data generator: headless, on the
// virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/core/ActivityManager.h"
#include "engine/data/ChunkId.h"
#include "engine/media/AssetWatcher.h"
#include "engine/media/MemWatcher.h"
#include "engine/media/MouseWatcher.h"
#include "engine/media/VersionWatcher.h"
#include "engine/media/MessageProcess.h"
#include "game/shell/GameShellState.h"
#include "game/shell/GameStart.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "tests/support/Golden.h"
#include "tools/builders/MovieClips.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/bots/ScriptLines.h"

namespace {

using vqt::test::Scenario;
using vqt::test::ScenarioRun;
using vqt::test::PointerLine;
using vqt::test::StagePoint;
namespace buttons = vqt::test::buttons;

using GameScenarioTest = vqt::test::ShellScenarioTest;

TEST_F(GameScenarioTest, TheGameStartsOnItsGeneratedDataShowsTheFirstActivityAndEndsWell) {
    Scenario s = Game();
    s.frames = 150; // past the second's cross-fade into the first activity
    s.shots = {30, 140};
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    EXPECT_EQ(run.framesRun, 150u);
    vqt::test::ExpectMatchesGoldenImage("game/shell/first_activity.png", run.shots.at(140));
    EXPECT_NE(run.shots.at(30), run.shots.at(140)) << "the start-up's blend filter fades the first activity in";
    vqt::test::ExpectMatchesGolden("game/shell/start_up.log", run.trace);
}

TEST_F(GameScenarioTest, TheTimedScreensLeadToTheSignInWhereEscShowsAndHidesTheQuitQuestion) {
    constexpr uint32_t kFrameMs = 16;
    auto tickAt = [&](uint32_t ms) { return ms / kFrameMs + 1; };
    Scenario s = Game(kFrameMs);
    s.frames = tickAt(27600);
    s.input = "26000 WM_KEYDOWN 27 0 0 0\n26100 WM_KEYUP 27 0 0 0\n"
              "27000 WM_KEYDOWN 27 0 0 0\n27100 WM_KEYUP 27 0 0 0\n";
    // The first of the two opening movies plays from 10 s on, the second from 12 s.
    s.shots = {tickAt(11000), tickAt(13000), tickAt(26500), tickAt(27500)};
    // When each activity became the current one, and whether the menu showed.
    std::string log;
    ChunkId shown = kNullChunkId;
    bool menu = false;
    s.watch = [&](uint32_t tick) {
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        CTLVActivity* screen = CurrentGameActivity();
        const bool menuNow = screen && screen->IsPanelShown(CTLVActivity::kPanelQuit);
        const std::string at = "tick " + std::to_string(tick) + " (" + std::to_string((tick - 1) * kFrameMs) + " ms): ";
        if (id != shown) log += at + "{1, 0, " + std::to_string(ChunkEntryOf(id)) + "}\n";
        if (menuNow != menu) log += at + (menuNow ? "quit question shown\n" : "quit question hidden\n");
        shown = id;
        menu = menuNow;
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    vqt::test::ExpectMatchesGolden("game/shell/timed_screens.log", log);
    for (const uint32_t movieShot : {tickAt(11000), tickAt(13000)}) {
        const vqt::test::RgbImage& shot = run.shots.at(movieShot);
        const size_t centre = (size_t(shot.height / 2) * size_t(shot.width) + size_t(shot.width / 2)) * 3;
        const uint32_t rgb = uint32_t(shot.rgb[centre] << 16 | shot.rgb[centre + 1] << 8 | shot.rgb[centre + 2]);
        EXPECT_NE(vqt::test::ClipFrameOfColour(rgb), 0u) << "a movie frame at tick " << movieShot;
    }
    vqt::test::ExpectMatchesGoldenImage("game/shell/quit_question_shown.png", run.shots.at(tickAt(26500)));
    vqt::test::ExpectMatchesGoldenImage("game/shell/quit_question_hidden.png", run.shots.at(tickAt(27500)));
}

/// A node under a watcher that notes when the watcher takes it down with it.
class GoneWith : public ONode {
public:
    GoneWith(const char* name, std::string* log) : ONode(name, kClassId), log_(log) {}
    ~GoneWith() override { *log_ += std::string(GetName()) + " "; }

private:
    std::string* log_;
};

TEST_F(GameScenarioTest, EveryWatcherShowsOverTheStageAndGoesInOrderAtTheEnd) {
    // The ceiling marker's length would follow the map.
    Ini("MEMSTATSVISIBLE=1\nMOUSESTATSVISIBLE=1\nASSETSTATSVISIBLE=1\nVERSIONVISIBLE=1\nDRAWSTATSVISIBLE=1\n"
        "MEMCEILING=0\n");
    Scenario s = Game();
    s.frames = 60;
    s.input = "100 WM_MOUSEMOVE 0 0 200 290\n"; // over the house
    s.shots = {60};
    std::string gone;
    s.watch = [&](uint32_t tick) {
        if (tick != 1) return;
        ASSERT_TRUE(CAssetWatcher::Get() && GetMemWatcher() && CMouseWatcher::Get() && CVersionWatcher::Get());
        CAssetWatcher::Get()->AddChild(new GoneWith("asset", &gone));
        GetMemWatcher()->AddChild(new GoneWith("memory", &gone));
        CMouseWatcher::Get()->AddChild(new GoneWith("mouse", &gone));
        CVersionWatcher::Get()->AddChild(new GoneWith("version", &gone));
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(gone, "asset memory mouse version ");
    // What depends on where the memory lies is blanked: the asset panel's first line (the
    // view's address), the memory panel's numbers and the bar's map.
    vqt::test::RgbImage shot = run.shots.at(60);
    auto blank = [&](int left, int top, int right, int bottom) {
        for (int y = top; y < bottom; ++y)
            std::fill_n(shot.rgb.begin() + (y * shot.width + left) * 3, (right - left) * 3, uint8_t(0));
    };
    blank(0, 0, 250, 16);
    blank(380, 140, 640, 380);
    blank(0, 465, 640, 475);
    vqt::test::ExpectMatchesGoldenImage("game/shell/watchers.png", shot);
}

TEST_F(GameScenarioTest, TheHostSpeaksACaptionedLineWithItsMouthOnTheFirstOrdinaryScreen) {
    Ini("STARTACTIVITY=60\n");
    std::ofstream(work / "TLVFMH.ini") << "[FennmarkRovadu]\nHMCAPTIONS=1\n";
    constexpr uint32_t kSpeakAt = 100; // a second in, once the screen lets its voice lines go
    Scenario s = Game();
    s.frames = 340;
    s.shots = {90, 140, 330}; // at rest, in the first loud syllable, after the line
    int32_t queued = -1;
    s.watch = [&](uint32_t tick) {
        if (tick != kSpeakAt) return;
        OMessageProcess* messages = CTLVApp::Get()->GetMessageProcess();
        OMessageRecord* line = messages->AllocMessage(1);
        line->roleName = "Dispatcher";
        const int32_t mouth = 3;
        line->SetStates(&mouth, 1);
        line->lipSync = 1;
        line->SetSnippet(MakeChunkId(7, 600));
        line->SetText(MakeChunkId(6, 600), nullptr);
        queued = messages->QueueMessage(line);
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    EXPECT_EQ(queued, 0);
    vqt::test::ExpectMatchesGoldenImage("game/shell/host_at_rest.png", run.shots.at(90));
    vqt::test::ExpectMatchesGoldenImage("game/shell/host_speaking.png", run.shots.at(140));
    vqt::test::ExpectMatchesGoldenImage("game/shell/host_after_line.png", run.shots.at(330));
    vqt::test::ExpectMatchesGolden("game/shell/host_line.log", run.trace);
}

TEST_F(GameScenarioTest, TheFirstScreensNavigationButtonLightsUpUnderThePointerAndItsClickLeadsToTheGarage) {
    constexpr uint32_t kFrameMs = 16;
    auto tickAt = [&](uint32_t ms) { return ms / kFrameMs + 1; };
    Ini("STARTACTIVITY=60\n");
    Scenario s = Game(kFrameMs);
    s.frames = tickAt(3500);
    // The first move after the switch only tells the window where the pointer is.
    const StagePoint forward = buttons::kFirstScreenForward;
    s.input = PointerLine(2000, "WM_MOUSEMOVE", {forward.x - 10, forward.y - 10}) +
              PointerLine(2050, "WM_MOUSEMOVE", forward) + PointerLine(2400, "WM_LBUTTONDOWN", forward) +
              PointerLine(2800, "WM_LBUTTONUP", forward);
    s.shots = {tickAt(2300), tickAt(2700)};
    std::string log;
    ChunkId shown = kNullChunkId;
    s.watch = [&](uint32_t tick) {
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown && tick > tickAt(2000))
            log += "{1, 0, " + std::to_string(ChunkEntryOf(id)) + "} at " + std::to_string((tick - 1) * kFrameMs) + " ms\n";
        shown = id;
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front().text;
    EXPECT_EQ(log, "{1, 0, 5} at 2816 ms\n");
    vqt::test::ExpectMatchesGoldenImage("game/shell/navigation_hovered.png", run.shots.at(tickAt(2300)));
    vqt::test::ExpectMatchesGoldenImage("game/shell/navigation_pressed.png", run.shots.at(tickAt(2700)));
}

} // namespace

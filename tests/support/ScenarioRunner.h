#pragma once
// Scenario runs: the whole program, start-up to shutdown, in the test's own process on the
// headless platform and the virtual clock.
//
//     class SignInTest : public vqt::test::ScenarioTest {};
//     TEST_F(SignInTest, ...) {
//         // the working folder (TempFolder with enter = true) holds the part file and INI files
//         Scenario s;
//         s.hooks = {VQAppPreInit, VQAppInit, VQAppStart, VQAppEnd};
//         s.frames = 120;                                    // frame ticks, 10 ms each
//         s.input = "500 WM_LBUTTONDOWN 1 0 177 145\n"      // at 500 ms from the first tick
//                   "520 WM_LBUTTONUP 0 0 177 145\n";
//         s.shots = {30, 120};                               // pictures after these ticks
//         const ScenarioRun run = RunScenario(s);
//         ExpectMatchesGoldenImage("game/shell/sign_in.png", run.shots.at(30));
//
// How a run goes: WinMain runs with the given hooks. Once the program's VQAppStart has
// succeeded, a driver process joins the main window (on top of its children, so the idle walk
// reaches it first each tick): it loads the input script for the application window, moves the
// virtual clock on by msPerFrame every tick (or by a time of the tick's own up to msPerFrameMax)
// and keeps the pictures asked for. The run ends by
// the engine's own frame limit (VQT_EXIT_AFTER_FRAMES) after `frames` ticks; the picture of the
// last tick is taken after the run loop, before the program's VQAppEnd. Message boxes take the
// answers scripted on the headless dialogs (ScriptedDialogs::Script) beforehand.
//
// A scenario test fails on every message box and every trace of missing data or of a chunk
// kept past its file that it does not name in `reports` (ReportGuard) beforehand:
//         reports.AllowBox("Cannot open");
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/app/Startup.h"
#include "platform/headless/ScriptedDialogs.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/Png.h"
#include "tests/support/ReportGuard.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {

struct Scenario {
    xAppHooks hooks;
    /// Frame ticks to run (at least 1).
    uint32_t frames = 30;
    /// Virtual milliseconds that each tick takes.
    uint32_t msPerFrame = 10;
    /// When above msPerFrame, each tick takes a time of its own from msPerFrame to this, as a
    /// window's frames do, drawn from `frameSeed` (the game's own random numbers stay untouched).
    uint32_t msPerFrameMax = 0;
    uint32_t frameSeed = 1;
    /// Window messages for the application window, one a line: "time msg wParam lParam x y",
    /// the time in milliseconds from the first tick (see plat::ScriptedMessages).
    std::string input;
    /// Ticks (1 to frames) after which the picture the window shows is kept.
    std::vector<uint32_t> shots;
    /// The program's command line (traced at start-up).
    std::string commandLine = "scenario";
    /// Whether keys move when the clock reaches their messages' times, as a keyboard's do, rather
    /// than as the messages are handed out (plat::ScriptedMessages::SetKeysMoveAtTheirTime).
    bool keysMoveAtTheirTime = false;
    /// When set, called at every tick (1 to frames) before the clock moves on, to watch the run.
    std::function<void(uint32_t tick)> watch;
};

struct ScenarioRun {
    /// WinMain's answer (-1 for a start-up that failed before the engine).
    int32_t exitCode = 0;
    /// Ticks that reached the driver process.
    uint32_t framesRun = 0;
    /// The kept pictures by tick.
    std::map<uint32_t, RgbImage> shots;
    /// The trace of the run, the working folder written as "<work>".
    std::string trace;
    /// The message boxes shown, in order.
    std::vector<plat::ScriptedDialogs::Box> boxes;
};

/// Runs the program once in the current working folder. The script of the input must parse.
ScenarioRun RunScenario(const Scenario& scenario);

/// Base fixture of scenario tests: HeadlessTest, module state as at a program's start, and a
/// fresh working folder (`work`, entered) for the run's files; the instance lock is taken in
/// a folder of its own.
class ScenarioTest : public HeadlessTest {
protected:
    void SetUp() override;
    void TearDown() override;

    TempFolder work{true};
    TempFolder locks;
    ReportGuard reports;
};

} // namespace vqt::test

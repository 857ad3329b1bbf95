#include "tests/support/ScenarioRunner.h"

#include <algorithm>
#include <climits>
#include <random>
#include <string>

#include "engine/graphics/DirtyRects.h"
#include "engine/app/Engine.h"
#include "engine/core/Event.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Process.h"
#include "engine/app/Startup.h"
#include "engine/data/TempBuffers.h"
#include "engine/core/View.h"
#include "engine/core/Window.h"
#include "engine/core/WindowProcs.h"
#include "engine/data/FileSearch.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DirectX.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/media/Sound.h"
#include "platform/Window.h"
#include "tests/support/Environment.h"

namespace vqt::test {

namespace {

/// The run in progress; the program's hooks are plain functions, so the wrappers find it here.
struct ActiveRun {
    const Scenario* scenario = nullptr;
    ScenarioRun* result = nullptr;
    std::minstd_rand frameTimes;
};
ActiveRun g_run;

RgbImage WindowPicture() {
    OWindow* window = OVQEngine::Instance() ? OVQEngine::Instance()->GetMainWindow() : nullptr;
    const plat::Window* shown = window ? plat::WindowById(window->GetWindowId()) : nullptr;
    return shown ? ToRgb(shown->Presented()) : RgbImage{};
}

bool Wanted(uint32_t tick) {
    const auto& shots = g_run.scenario->shots;
    return std::find(shots.begin(), shots.end(), tick) != shots.end();
}

uint32_t FrameMs() {
    const Scenario& s = *g_run.scenario;
    if (s.msPerFrameMax <= s.msPerFrame) return s.msPerFrame;
    return std::uniform_int_distribution<uint32_t>(s.msPerFrame, s.msPerFrameMax)(g_run.frameTimes);
}

/// Drives the run from inside the idle walk: the picture of the tick before, then the clock.
class ScenarioDriver : public OProcess {
public:
    ScenarioDriver() : OProcess("ScenarioDriver", kClassId) { SetEventMask(0); }
    int32_t OnIdle() override {
        const uint32_t before = g_run.result->framesRun++;
        if (before > 0 && Wanted(before)) g_run.result->shots[before] = WindowPicture();
        if (g_run.scenario->watch) g_run.scenario->watch(before + 1);
        static_cast<plat::VirtualClock&>(plat::clock()).Advance(FrameMs());
        return 1;
    }
};

bool StartThenDrive() {
    if (!g_run.scenario->hooks.VQAppStart || !g_run.scenario->hooks.VQAppStart()) return false;
    OWindow* window = OVQEngine::Instance()->GetMainWindow();
    auto* driver = new ScenarioDriver;
    driver->SetPriority(INT32_MAX);
    window->AddChild(driver);
    std::string error;
    auto& messages = static_cast<plat::ScriptedMessages&>(plat::messages());
    messages.SetKeysMoveAtTheirTime(g_run.scenario->keysMoveAtTheirTime);
    EXPECT_TRUE(messages.LoadScript(g_run.scenario->input, window->GetWindowId(), &error)) << error;
    return true;
}

bool KeepLastThenEnd() {
    if (Wanted(g_run.scenario->frames)) g_run.result->shots[g_run.scenario->frames] = WindowPicture();
    return g_run.scenario->hooks.VQAppEnd ? g_run.scenario->hooks.VQAppEnd() : false;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); !from.empty() && at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

ScenarioRun RunScenario(const Scenario& scenario) {
    ScenarioRun result;
    g_run = ActiveRun{&scenario, &result, std::minstd_rand(scenario.frameSeed)};
    const ScopedVariable frameLimit("VQT_EXIT_AFTER_FRAMES", std::to_string(std::max(1u, scenario.frames)).c_str());
    const ScopedVariable timeLimit("VQT_EXIT_AFTER_MS", nullptr);
    const ScopedVariable screenshot("VQT_SCREENSHOT", nullptr);
    static_cast<plat::HeadlessSystem&>(plat::system()).SetCommandLine(scenario.commandLine);
    auto& debug = static_cast<plat::RecordingDebugOutput&>(plat::debug());
    const size_t traceStart = debug.Text().size();

    xAppHooks hooks = scenario.hooks;
    hooks.VQAppStart = StartThenDrive;
    hooks.VQAppEnd = KeepLastThenEnd;
    result.exitCode = WinMain(1, hooks);

    result.trace = debug.Text().substr(traceStart);
    ReplaceAll(result.trace, plat::system().WorkingFolder(), "<work>");
    result.boxes = static_cast<plat::ScriptedDialogs&>(plat::dialogs()).Boxes();
    g_run = ActiveRun{};
    return result;
}

void ScenarioTest::SetUp() {
    HeadlessTest::SetUp();
    system().SetLockFolder(locks.path());
}

void ScenarioTest::TearDown() {
    const std::vector<std::string> unexpected = reports.Unexpected(traced(), dialogs().Boxes());
    EXPECT_TRUE(unexpected.empty()) << "reports that the test does not allow:\n" << JoinReports(unexpected);
    system().CloseInstanceMutex();
    HeadlessTest::TearDown();
}

} // namespace vqt::test

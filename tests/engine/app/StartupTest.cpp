// The platform's start-up checks, the sound start-up, the display surface choice, the keyboard
// hook's decision and the memory error handler, run in this process on headless services.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/app/Startup.h"
#include "engine/core/Window.h"
#include "engine/core/WindowProcs.h"
#include "engine/data/Memory.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/graphics/DirectX.h"
#include "engine/media/Sound.h"
#include "platform/headless/HeadlessDesktop.h"
#include "tests/engine/core/RunLoopFixture.h"
#include "tests/support/ScriptedAudioOutput.h"
#include "tools/builders/TempFolder.h"

namespace {

using vqt::test::RunLoopTest;
using vqt::test::ScriptedAudioOutput;
using vqt::test::UseScriptedAudio;
using vqt::test::TempFolder;

class StartupTest : public RunLoopTest {
protected:
    void SetUp() override {
        RunLoopTest::SetUp();
        system().SetLockFolder(locks.path());
        xProfiles_Set("VQTAPPCLASS", "VQTWindow");
        xProfiles_Set("VQTSTAGECLASS", "VQTStage");
    }
    void TearDown() override {
        OVQEngine::Shutdown();
        OWindow::SetEventProcs(nullptr, nullptr); // the start-up gives the windows the engine's procedures
        system().CloseInstanceMutex();
        RunLoopTest::TearDown();
    }
    plat::HeadlessDesktop& Desktop() { return static_cast<plat::HeadlessDesktop&>(plat::desktop()); }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const auto& box : dialogs().Boxes()) texts.push_back(box.text);
        return texts;
    }

    TempFolder locks;
};

plat::HeadlessSystem& Sys() { return static_cast<plat::HeadlessSystem&>(plat::system()); }
plat::HeadlessDesktop& Desk() { return static_cast<plat::HeadlessDesktop&>(plat::desktop()); }
plat::ScriptedDialogs& Boxes() { return static_cast<plat::ScriptedDialogs&>(plat::dialogs()); }

/// One situation of the platform's start-up and what it must come to.
struct InitCase {
    const char* name;
    std::function<void()> setUp;
    int32_t result;
    /// The messages shown, in order: (message id, argument or null); "A+B" joins two texts.
    std::vector<std::pair<const char*, const char*>> boxes;
};

std::string Expected(const std::pair<const char*, const char*>& box) {
    const std::string id = box.first;
    const size_t plus = id.find('+');
    if (plus != std::string::npos)
        return xMessages_GetString(id.substr(0, plus).c_str()) + xMessages_GetString(id.substr(plus + 1).c_str());
    const char* args[] = {box.second};
    return xMessages_GetString(box.first, box.second ? args : nullptr, box.second ? 1 : 0);
}

class VQXInitTest : public StartupTest, public ::testing::WithParamInterface<InitCase> {};

TEST_P(VQXInitTest, ChecksInOrder) {
    const InitCase& c = GetParam();
    c.setUp();
    EXPECT_EQ(VQXInit(), c.result);
    std::vector<std::string> expected;
    for (const auto& box : c.boxes) expected.push_back(Expected(box));
    EXPECT_EQ(BoxTexts(), expected);
}

const InitCase kInitCases[] = {
    {"Windowed", []() { xProfiles_Set("FULLSCREEN", sLong(0)); }, 1, {}},
    {"OldWindows9x", []() { Sys().SetVersion({1, 3, 95, 0}); }, 0,
     {{"VQT_ERR_OLDOS", nullptr}}},
    {"SixteenBitSystem", []() { Sys().SetVersion({0, 3, 10, 0}); }, 0,
     {{"VQT_ERR_NOWIN32S", nullptr}}},
    {"NoPagingFile",
     []() {
         plat::MemoryStatus m;
         m.totalPageFile = 1 << 30;
         m.availPageFile = 0;
         Sys().SetMemory(m);
     },
     0, {{"MSG_NOVIRTUALMEMORY", nullptr}}},
    {"DesktopBelowEightBits",
     []() { Desk().SetRegistryMode(plat::MakeDevMode(1024, 768, 4, 60)); }, 0,
     {{"MSG_MINDISPDEPTH", "8"}}},
    {"FullScreenModeMissing",
     []() {
         xProfiles_Set("FULLSCREEN", sLong(1));
         Desk().SetModes({plat::MakeDevMode(1024, 768, 32, 60)});
     },
     0, {{"MSG_NOVIDEOMODE", "640 x 480 x 8 bit"}}},
    {"ModeSwitchRefusedAndDeclined",
     []() {
         xProfiles_Set("FULLSCREEN", sLong(1));
         Desk().SetModeResult(plat::MakeDevMode(640, 480, 8, 60), plat::DISP_CHANGE_BADMODE);
         Boxes().Script({plat::mb::IdNo});
     },
     0, {{"MSG_SWITCHREBOOT", nullptr}}},
    {"DisplayModuleMissingAndDeclined",
     []() {
         plat::ddraw().script().loadFails = true;
         Boxes().Script({plat::mb::IdNo});
     },
     0, {{"MSG_NODIRECTX+MSG_CONTINUE", nullptr}}},
    {"DisplayModuleMissingButNotRequiredQuietly",
     []() {
         plat::ddraw().script().loadFails = true;
         xProfiles_Set("SHOWDXINITERROR", sLong(0));
     },
     1, {}},
    {"DisplayModuleRequiredAndMissing",
     []() {
         plat::ddraw().script().loadFails = true;
         xProfiles_Set("DXREQUIRED", sLong(1));
     },
     1, {}},
    {"DesktopSmallerThanTheStage",
     []() {
         plat::ddraw().script().loadFails = true;
         xProfiles_Set("SHOWDXINITERROR", sLong(0));
         xProfiles_Set("STAGESIZE", "1280,1024");
     },
     0, {{"MSG_MINDISPSIZE", "1280 x 1024"}}},
};

std::string InitCaseName(const ::testing::TestParamInfo<InitCase>& info) { return info.param.name; }
INSTANTIATE_TEST_SUITE_P(Platform, VQXInitTest, ::testing::ValuesIn(kInitCases), InitCaseName);

TEST_F(StartupTest, AFailedModeSwitchAnsweredYesRunsOverABlackBackdrop) {
    xProfiles_Set("FULLSCREEN", sLong(1));
    xProfiles_Set("DIRECTDRAW", sLong(1));
    Desktop().SetModeResult(plat::MakeDevMode(640, 480, 8, 60), plat::DISP_CHANGE_BADMODE);
    dialogs().Script({plat::mb::IdYes});
    EXPECT_EQ(VQXInit(), 1);
    EXPECT_EQ(xProfiles_Values().fullScreen, 0);
    EXPECT_EQ(xProfiles_Values().directDraw, 0);
    EXPECT_EQ(xProfiles_Values().stage, 1);
    EXPECT_EQ(dialogs().Boxes().at(0).type & plat::mb::ButtonMask, plat::mb::YesNo);
    EXPECT_EQ(input().CursorCount(), 0) << "the cursor shows while the question is open, then hides again";
    EXPECT_EQ(xPlatform_GetTranslator(), Win_TranslateMessage_Windowed);
}

TEST_F(StartupTest, TheInstanceLockOfAnotherProcessStopsTheStartQuietly) {
    plat::HeadlessSystem other;
    other.SetLockFolder(locks.path());
    ASSERT_EQ(other.CreateInstanceMutex(xMessages_GetString("MSG_PRODUCTNAME")).state, plat::InstanceLock::State::Taken);
    EXPECT_EQ(VQXInit(), 0);
    EXPECT_TRUE(dialogs().Boxes().empty());
    other.CloseInstanceMutex();
    EXPECT_EQ(VQXInit(), 1) << "free once the other one has gone";
}

TEST_F(StartupTest, ALockThatCannotBeTakenRefusesTheStartSayingWhyAndAHeldOneSaysAnotherCopyRuns) {
    const std::string product = xMessages_GetString("MSG_PRODUCTNAME");
    const std::string missing = locks / "missing";
    plat::HeadlessSystem other;
    other.SetLockFolder(locks.path());
    ASSERT_EQ(other.CreateInstanceMutex(product).state, plat::InstanceLock::State::Taken);
    struct Case {
        const char* name;
        std::string folder;
        std::string said;
        const char* notSaid;
    };
    const Case cases[] = {
        {"no lock file can be made", missing,
         product + " cannot take its single-instance lock (cannot open " + missing + "/" + product +
             ".lock: No such file or directory), so it cannot make sure it is the only copy running for this user; "
             "this copy ends.\n",
         "already running"},
        {"another copy holds it", locks.path(),
         product + " is already running for this user (its lock " + locks / (product + ".lock") + " is held",
         "cannot take"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        system().SetLockFolder(c.folder);
        debug().Clear();
        testing::internal::CaptureStderr();
        EXPECT_EQ(VQXInit(), 0);
        const std::string stderrText = testing::internal::GetCapturedStderr();
        EXPECT_NE(stderrText.find(c.said), std::string::npos) << stderrText;
        EXPECT_EQ(stderrText.find(c.notSaid), std::string::npos) << stderrText;
        EXPECT_NE(traced().find(c.said), std::string::npos);
        EXPECT_TRUE(dialogs().Boxes().empty());
    }
    other.CloseInstanceMutex();
}

TEST_F(StartupTest, ARunningInstancesWindowIsBroughtBackOrWarnedAbout) {
    plat::WindowParams p;
    p.className = "Game";
    p.rect = {0, 0, 100, 100};
    const plat::WindowId previous = plat::desktop().CreateWindow(p);
    plat::desktop().Find(previous)->Show(plat::SW_SHOWMINIMIZED);
    xProfiles_Set("VQTAPPNAME", "Game");
    xProfiles_Set("WARNPREVIOUSINSTANCE", sLong(1));
    EXPECT_EQ(VQXInit(), 0);
    ASSERT_EQ(BoxTexts(), std::vector<std::string>{xMessages_GetString("MSG_PREVINSTANCE")});
    EXPECT_TRUE(plat::desktop().Find(previous)->IsMinimized());
    xProfiles_Set("OPENPREVIOUSINSTANCE", sLong(1));
    EXPECT_EQ(VQXInit(), 0);
    EXPECT_FALSE(plat::desktop().Find(previous)->IsMinimized()) << "restored instead of the warning";
    EXPECT_EQ(BoxTexts().size(), 1u);
}

TEST_F(StartupTest, SuccessfulStartChoosesTheTranslatorAndStartsTheTimers) {
    xProfiles_Set("FULLSCREEN", sLong(1));
    xProfiles_Set("DIRECTDRAW", sLong(1));
    debug().Clear();
    EXPECT_EQ(VQXInit(), 1);
    EXPECT_EQ(xPlatform_GetTranslator(), Win_TranslateMessage_XP_FSDD);
    EXPECT_NE(traced().find("Installing special message translator for Windows XP (full screen - direct draw)\n"),
              std::string::npos);
    EXPECT_TRUE(CFrameState::Get().frameTimer.running);
    EXPECT_TRUE(CMouseState::Get().clickTimer.running);
}

TEST_F(StartupTest, PreInitReadsTheEngineProfileAndTracesTheFolders) {
    TempFolder work(true);
    {
        std::FILE* f = std::fopen((work / "VQT.ini").c_str(), "w");
        std::fputs("[VQT]\nMMXAVAILABLE=0\nVERBOSE=2\n", f);
        std::fclose(f);
    }
    system().SetCommandLine("tlvgame -x");
    debug().Clear();
    EXPECT_EQ(VQXPreInit(), 1);
    EXPECT_EQ(xProfiles_Values().verbose, 2);
    EXPECT_EQ(xProfiles_Values().mmxAvailable, 0) << "the file overrides the processor's flag";
    const std::string expected = "*** VQT.INI profiles loaded\n*** Work directory : " + system().WorkingFolder() +
                                 "\n*** Command Line   : tlvgame -x\n\n";
    EXPECT_NE(traced().find(expected), std::string::npos) << traced();
    EXPECT_STREQ(xMessages_GetString("BRERR_BIGBLOCK").c_str(), "Block size too big");
    EXPECT_STREQ(xMessages_GetString("VQT_ERR_CREATEWIN").c_str(), "Failure to create application window");
}

// --- sound ---------------------------------------------------------------------------------------

TEST_F(StartupTest, SoundCodesBecomeMessagesAndFailOnlyWithTheFailureFlag) {
    struct Row {
        int16_t code; ///< what the scripted device answers (-400: it has no device)
        const char* message;
    };
    const Row rows[] = {{2, "MSG_SNDDRVBADID"},  {4, "MSG_SNDDRVBUSY"},     {6, "MSG_SNDNODRV"},
                        {7, "MSG_SNDDRVNOMEM"},  {32, "MSG_SNDDRVBADFMT"},  {35, "MSG_SNDDRVSYNCERR"},
                        {-400, "MSG_SNDNODRV"},  {33, "MSG_SNDDRVUNKNOWN"}};
    ASSERT_TRUE(OVQEngine::Startup());
    OVQEngine* engine = OVQEngine::Instance();
    xProfiles_Set("SHOWSNDINITERROR", sLong(1));
    for (const Row& row : rows) {
        ScriptedAudioOutput& device = UseScriptedAudio();
        device.devices = row.code == -400 ? 0 : 1;
        device.configuredResult = device.defaultResult = row.code;
        dialogs().Clear();
        xProfiles_Set("SNDENGINEFLAGS", sLong(0));
        EXPECT_TRUE(engine->InitSound(1)) << row.code;
        ASSERT_EQ(dialogs().Boxes().size(), 1u) << row.code;
        EXPECT_EQ(dialogs().Boxes()[0].text, xMessages_GetString(row.message)) << row.code;
        xProfiles_Set("SNDENGINEFLAGS", sLong(4 | 1));
        EXPECT_FALSE(engine->InitSound(1)) << "the failure flag makes it fatal: " << row.code;
    }
    // The default device reached on the second attempt is a start, whatever the settings say.
    for (int show = 0; show <= 1; ++show) {
        xSound_Shutdown();
        UseScriptedAudio().configuredResult = 4;
        dialogs().Clear();
        xProfiles_Set("SHOWSNDINITERROR", sLong(show));
        EXPECT_TRUE(engine->InitSound(1));
        EXPECT_TRUE(dialogs().Boxes().empty());
        EXPECT_TRUE(xSound_IsThreaded());
    }
    // Without sound nothing starts.
    xSound_Shutdown();
    ScriptedAudioOutput& device = UseScriptedAudio();
    xProfiles_Set("SOUNDENABLED", sLong(0));
    EXPECT_TRUE(engine->InitSound(1));
    EXPECT_TRUE(device.opens.empty());
    EXPECT_FALSE(xSound_IsThreaded());
    OVQEngine::Shutdown();
}

// --- engine object -------------------------------------------------------------------------------

TEST_F(StartupTest, EngineStartUpMakesTheWindowsAndShutdownTakesThemDown) {
    xProfiles_Set("FULLSCREEN", sLong(0));
    xProfiles_Set("DISPLAYDEPTH", sShort(16));
    ASSERT_TRUE(OVQEngine::Startup());
    EXPECT_FALSE(OVQEngine::Startup()) << "one engine object";
    ASSERT_TRUE(OVQEngine::Instance()->Init(1));
    OWindow* window = OVQEngine::Instance()->GetMainWindow();
    ASSERT_NE(window, nullptr);
    const plat::Window* app = plat::desktop().Find(window->GetWindowId());
    ASSERT_NE(app, nullptr);
    EXPECT_TRUE(app->IsVisible());
    // The stage centred on the 1024 x 768 desktop.
    EXPECT_EQ(app->ClientToScreen({0, 0}), (plat::WinPoint{192, 144}));
    EXPECT_EQ(window->GetDisplaySurface()->GetSurfaceKind(), kSurfaceDIBSection);
    EXPECT_EQ(GetDisplayChangeInProgress(), 1u) << "left set after the start";
    EXPECT_EQ(xPlatform_GetMainWindow(), window);
    EXPECT_TRUE(xSound_IsThreaded());

    OVQEngine::Shutdown();
    EXPECT_EQ(OVQEngine::Instance(), nullptr);
    EXPECT_EQ(plat::desktop().TopLevelWindows().size(), 0u);
    EXPECT_EQ(xPlatform_GetMainWindow(), nullptr);
    EXPECT_FALSE(xSound_IsThreaded());
    OVQEngine::Shutdown(); // again: nothing more
}

TEST_F(StartupTest, DisplaySurfaceFallsBackToAWindowedOne) {
    xProfiles_Set("FULLSCREEN", sLong(1));
    xProfiles_Set("DIRECTDRAW", sLong(1));
    plat::ddraw().script().loadFails = true; // the full-screen surface finds no display
    std::unique_ptr<CDrawSurface> surface(CreateDisplaySurface());
    ASSERT_NE(surface, nullptr);
    EXPECT_NE(dynamic_cast<CDIBSurface*>(surface.get()), nullptr);
    EXPECT_EQ(xProfiles_Values().fullScreen, 0);
    EXPECT_EQ(xProfiles_Values().directDraw, 0);
}

// --- keyboard hook ---------------------------------------------------------------------------

TEST_F(StartupTest, KeyboardHookSwallowsSystemKeysOnlyWhileTheyAreDisabled) {
    xProfiles_Set("FULLSCREEN", sLong(0));
    ASSERT_TRUE(OVQEngine::Startup());
    ASSERT_TRUE(OVQEngine::Instance()->Init(1));
    const uint32_t lwin = uint32_t(plat::VK_LWIN);
    xProfiles_Set("WINDOWSKEYENABLED", sLong(1));
    EXPECT_EQ(KeyboardHookProc(HC_ACTION, plat::WM_KEYDOWN, lwin, 0), 0) << "enabled: passed on";
    xProfiles_Set("WINDOWSKEYENABLED", sLong(0));
    EXPECT_EQ(KeyboardHookProc(HC_ACTION, plat::WM_KEYDOWN, lwin, 0), 1);
    EXPECT_EQ(KeyboardHookProc(HC_ACTION, plat::WM_SYSKEYUP, uint32_t(plat::VK_RWIN), 0), 1);
    EXPECT_EQ(KeyboardHookProc(1, plat::WM_KEYDOWN, lwin, 0), 0) << "not an action";
    EXPECT_EQ(KeyboardHookProc(HC_ACTION, plat::WM_KEYDOWN, 0x09, LLKHF_ALTDOWN), 0) << "Alt+Tab without a dialog";
    SetDialogRunning(1);
    xProfiles_Set("FULLSCREEN", sLong(1));
    EXPECT_EQ(KeyboardHookProc(HC_ACTION, plat::WM_SYSKEYDOWN, 0x09, LLKHF_ALTDOWN), 1);
    EXPECT_EQ(KeyboardHookProc(HC_ACTION, plat::WM_SYSKEYDOWN, 0x1B, LLKHF_ALTDOWN), 1);
    EXPECT_EQ(KeyboardHookProc(HC_ACTION, plat::WM_KEYDOWN, 0x1B, 0), 0);
    input().SetKeyDown(plat::VK_CONTROL, true);
    EXPECT_EQ(KeyboardHookProc(HC_ACTION, plat::WM_KEYDOWN, 0x1B, 0), 1) << "Ctrl+Escape";
    plat::desktop().Find(OVQEngine::Instance()->GetMainWindow()->GetWindowId())->Show(plat::SW_MINIMIZE);
    EXPECT_EQ(KeyboardHookProc(HC_ACTION, plat::WM_KEYDOWN, lwin, 0), 0) << "minimised: passed on";
    OVQEngine::Shutdown();
}

// --- memory errors ---------------------------------------------------------------------------

TEST_F(StartupTest, OutOfMemoryFailsTheCallAfterTheBox) {
    MemErrorRecord record;
    record.code = MEM_OUT_OF_MEMORY;
    EXPECT_EQ(CStartupState::MemErrorHandler(&record), 0);
    ASSERT_EQ(dialogs().Boxes().size(), 1u);
    EXPECT_EQ(dialogs().Boxes()[0].text, xMessages_GetString("MSG_NOMEMORY"));
    EXPECT_EQ(CStartupState::Get().lastMemError, &record);
}

TEST(StartupDeathTest, OtherMemoryErrorsEndTheProgram) {
    MemErrorRecord record;
    record.code = 4;
    EXPECT_DEATH(CStartupState::MemErrorHandler(&record), "");
    record.code = 99;
    EXPECT_DEATH(CStartupState::MemErrorHandler(&record), "");
}

} // namespace

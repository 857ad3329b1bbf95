#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/MessageNames.h"
#include "tests/engine/core/WindowProcsFixture.h"

namespace {

using vqt::test::WindowProcsTest;

/// The application window runs on the engine's procedures: its messages go through
/// Win_MainEventProc.
class MainProcTest : public WindowProcsTest {
protected:
    void SetUp() override {
        WindowProcsTest::SetUp();
        plat::messages().SetWindowProc(app, Win_MainEventProc);
    }
    intptr_t Send(uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0) { return App().Send(msg, wParam, lParam); }
};

TEST_F(MainProcTest, CreationAndDestruction) {
    EXPECT_EQ(Send(plat::WM_NCCREATE), 1);
    EXPECT_EQ(Send(plat::WM_CREATE), 0);
    EXPECT_EQ(GetLastActiveWindow(), app);
    xProfiles_Set("FULLSCREEN", sLong(1));
    EXPECT_EQ(Send(plat::WM_DESTROY), 0);
    EXPECT_EQ(link.calls, "restore-mode;hide;");
    EXPECT_TRUE(IsQuitRequested());
    EXPECT_FALSE(App().IsVisible());
}

TEST_F(MainProcTest, ClosingTheWindowEndsTheRun) {
    Send(plat::WM_SYSCOMMAND, plat::SC_CLOSE);
    EXPECT_TRUE(IsQuitRequested());
    EXPECT_EQ(plat::desktop().Find(app), nullptr) << "the default procedure destroyed it";
}

TEST_F(MainProcTest, TheTranslatorsEventIsDeliveredAtOnce) {
    xProfiles_Set("FULLSCREEN", sLong(1));
    xProfiles_Set("DIRECTDRAW", sLong(1));
    xPlatform_SetTranslator(Win_TranslateMessage_XP_FSDD);
    SetAltKeyDown(1);
    EXPECT_EQ(Send(plat::WM_NCACTIVATE, 0), 1);
    EXPECT_EQ(root.events, std::vector<uint32_t>{kEvAppSuspend});
    EXPECT_NE(traced().find("suspend event from g_pWin_TranslateMessage\n"), std::string::npos);
    EXPECT_TRUE(App().IsMinimized());
    EXPECT_TRUE(root.IsAppSuspended());
}

TEST_F(MainProcTest, InputGoesThroughTheCommonTranslationFirst) {
    xPlatform_SetTranslator(Win_TranslateMessage_Windowed);
    Send(plat::WM_KEYDOWN, 'A', 0x1E0001);
    EXPECT_EQ(root.events, std::vector<uint32_t>{kEvKeyDown});
    // Unhandled messages answer the default procedure's result.
    EXPECT_EQ(Send(plat::WM_NCACTIVATE, 1), 1);
    EXPECT_EQ(root.events.size(), 1u);
}

TEST_F(MainProcTest, MessagesAreTracedAboveVerbosityTwoAndKeysAboveOne) {
    xProfiles_Set("FULLSCREEN", sLong(1));
    xProfiles_Set("DIRECTDRAW", sLong(1));
    xPlatform_SetTranslator(Win_TranslateMessage_XP_FSDD);
    const std::string procedureTrace = "Win_MainEventProc - OWindow : 0x";
    const std::string translatorTrace = "Win_TranslateMessage_XP_FSDD - OWindow : 0x";
    const std::string keyTrace = "WM_KEYUP : Scan code : 56 (65)\n";
    auto traceAt = [&](sLong verbose) {
        xProfiles_Set("VERBOSE", verbose);
        debug().Clear();
        Send(plat::WM_NCACTIVATE, 1, 0x00380001); // an activation: the translator passes it on
        xEvent event;
        intptr_t result = 0;
        Win_TranslateMessage_XP_FSDD(event, app, plat::WM_KEYUP, 'A', 0x00380001, &result);
        return traced();
    };

    const std::string quiet = traceAt(1);
    for (const std::string& line : {procedureTrace, translatorTrace, keyTrace})
        EXPECT_EQ(quiet.find(line), std::string::npos) << line << " in " << quiet;

    const std::string keys = traceAt(2);
    EXPECT_EQ(keys.find(procedureTrace), std::string::npos) << keys;
    EXPECT_EQ(keys.find(translatorTrace), std::string::npos) << keys;
    EXPECT_NE(keys.find(keyTrace), std::string::npos) << keys;

    const std::string all = traceAt(3);
    const std::string messageTrace = std::string("Msg : 0x0086 - ") + GetWindowMessageName(plat::WM_NCACTIVATE) + "\n";
    const std::string paramTrace = "wParam : 0x0001, lParam : 0x380001\n";
    for (const std::string& line : {procedureTrace, translatorTrace, messageTrace, paramTrace, keyTrace})
        EXPECT_NE(all.find(line), std::string::npos) << line << " in " << all;
    EXPECT_LT(all.find(procedureTrace), all.find(translatorTrace)) << "the procedure traces first";
}

TEST_F(MainProcTest, WindowedFocusChangesSuspendAndResume) {
    xPlatform_SetTranslator(Win_TranslateMessage_Windowed);
    plat::desktop().Deactivate(); // the user switched to another program
    EXPECT_EQ(root.events, std::vector<uint32_t>{kEvAppSuspend});
    EXPECT_TRUE(root.IsAppSuspended());
    SetAltKeyDown(1);
    plat::desktop().SetActive(app);
    EXPECT_EQ(root.events, (std::vector<uint32_t>{kEvAppSuspend, kEvAppResume}));
    EXPECT_FALSE(root.IsAppSuspended());
    EXPECT_EQ(GetAltKeyDown(), 0u);
}

TEST_F(MainProcTest, BlockedDeactivationIsUndoneByTheNextPump) {
    xProfiles_Set("FULLSCREEN", sLong(1));
    xProfiles_Set("DIRECTDRAW", sLong(1));
    xPlatform_SetTranslator(Win_TranslateMessage_XP_FSDD);
    plat::desktop().Deactivate(); // another program asks for the focus
    EXPECT_FALSE(App().IsMinimized());
    EXPECT_EQ(GetRestoreDeactivate(), 1u);
    EXPECT_EQ(TraceCount("Deactivation blocked\n"), 1);
    EXPECT_TRUE(root.events.empty());

    input().SetKeyDown(plat::VK_CONTROL, true);
    link.calls.clear();
    PumpMessage();
    EXPECT_EQ(link.calls, "topmost;foreground;redraw+present;");
    EXPECT_EQ(GetRestoreDeactivate(), 0u);
    EXPECT_EQ(GetCtrlKeyDown(), 1u);
    EXPECT_TRUE(App().IsTopmost());
    EXPECT_EQ(plat::desktop().Active(), app);
    EXPECT_EQ(GetLastActiveWindow(), app);
    EXPECT_EQ(TraceCount("Restore deactivate\n"), 1);
}

TEST_F(MainProcTest, ThePumpRestoresTheDesktopOnceTheModeCanBeRestored) {
    SetWaitToRestoreDesktop(1);
    link.restoreResult = -1;
    PumpMessage();
    EXPECT_EQ(GetWaitToRestoreDesktop(), 1u) << "the restore failed: it waits on";
    link.restoreResult = 0;
    PumpMessage();
    EXPECT_EQ(GetWaitToRestoreDesktop(), 0u);
    EXPECT_EQ(link.calls, "restore-mode;restore-mode;");
    EXPECT_EQ(TraceCount("Setting wait to restore desktop\n"), 1);
}

TEST_F(WindowProcsTest, StageWindowQueuesActivationEvents) {
    EXPECT_EQ(Win_StageEventProc(app, plat::WM_NCCREATE, 0, 0), 1);
    EXPECT_EQ(Win_StageEventProc(app, plat::WM_NCACTIVATE, 1, 0), 0);
    EXPECT_EQ(Win_StageEventProc(app, plat::WM_NCACTIVATE, 0, 0), 0);
    EXPECT_EQ(Queued(), (std::vector<uint32_t>{kEvAppResume, kEvAppSuspend}));
    EXPECT_EQ(CEventRing::Get().Waiting(1).category, uint32_t(kEventApplication));
    EXPECT_TRUE(root.events.empty());
    EXPECT_EQ(Win_StageEventProc(app, plat::WM_MOUSEMOVE, 0, 0), 0);
    EXPECT_EQ(Win_StageEventProc(app, plat::WM_DESTROY, 0, 0), 0);
    EXPECT_TRUE(IsQuitRequested());
    EXPECT_FALSE(App().IsVisible());
}

class DialogProcTest : public WindowProcsTest {
protected:
    static void Paint(plat::WindowId window) { painted.push_back(window); }
    void SetUp() override {
        WindowProcsTest::SetUp();
        painted.clear();
        xPlatform_SetDialogPainter(Paint);
        xProfiles_Set("FULLSCREEN", sLong(1));
        xProfiles_Set("DIRECTDRAW", sLong(0));
    }
    static inline std::vector<plat::WindowId> painted;
};

TEST_F(DialogProcTest, ChoiceByModeAndSystem) {
    EXPECT_EQ(xPlatform_ChooseDialogProc(), Win_DialogProc_FullScreen);
    system().SetVersion({1, 4, 10, 1998});
    EXPECT_EQ(xPlatform_ChooseDialogProc(), Win_DialogProc_FullScreen9x);
    xProfiles_Set("FULLSCREEN", sLong(0));
    EXPECT_EQ(xPlatform_ChooseDialogProc(), Win_DialogProc_Windowed);
}

TEST_F(DialogProcTest, CloseRequestsQuitAndPaintRepaintsTheBox) {
    EXPECT_EQ(Win_DialogProc_Windowed(app, plat::WM_PAINT, 0, 0), 0);
    EXPECT_EQ(painted, std::vector<plat::WindowId>{app});
    EXPECT_EQ(Win_DialogProc_FullScreen9x(app, plat::WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsQuitRequested());
    EXPECT_NE(plat::desktop().Find(app), nullptr) << "the window stays";
    EXPECT_EQ(GetDialogRunning(), 0u) << "only the full-screen procedure of other systems marks it";
    Win_DialogProc_FullScreen(app, plat::WM_PAINT, 0, 0);
    EXPECT_EQ(GetDialogRunning(), 1u);
}

TEST_F(DialogProcTest, PendingRestoreBringsTheWindowBackFirst) {
    SetRestoreDeactivate(1);
    SetWinKeyDown(1);
    input().SetKeyDown(plat::VK_MENU, true);
    plat::desktop().Deactivate();
    link.calls.clear();
    Win_DialogProc_FullScreen9x(app, plat::WM_NULL, 0, 0);
    EXPECT_EQ(link.calls, "show;foreground;focus;redraw;");
    EXPECT_EQ(GetRestoreDeactivate(), 0u);
    EXPECT_EQ(GetWinKeyDown(), 0u);
    EXPECT_EQ(GetAltKeyDown(), 1u);
    EXPECT_EQ(plat::desktop().Focus(), app);
    EXPECT_EQ(GetLastActiveWindow(), app);
}

TEST_F(DialogProcTest, DeactivationInFullScreen) {
    EXPECT_EQ(Win_DialogProc_FullScreen(app, plat::WM_NCACTIVATE, 1, 0), 0);
    EXPECT_EQ(Win_DialogProc_FullScreen(app, plat::WM_NCACTIVATE, 0, 0), 0);
    EXPECT_EQ(GetRestoreDeactivate(), 1u);
    EXPECT_EQ(TraceCount("Deactivation blocked\n"), 1);
    EXPECT_EQ(TraceCount("WM_NCACTIVATE - maximized\n"), 2);
    // With the restore done and Ctrl held, the window goes.
    SetRestoreDeactivate(0);
    input().SetKeyDown(plat::VK_CONTROL, true);
    link.calls.clear();
    EXPECT_EQ(Win_DialogProc_Windowed(app, plat::WM_NCACTIVATE, 0, 0), 1);
    EXPECT_EQ(link.calls, "restore-mode;minimise-noactivate;");
    EXPECT_EQ(GetCtrlKeyDown(), 1u);
}

TEST_F(DialogProcTest, CancelModeMinimisesAndEatsTheRestoreOfAnUncoveredStage) {
    EXPECT_EQ(Win_DialogProc_FullScreen(app, plat::WM_CANCELMODE, 0, 0), 0);
    EXPECT_EQ(link.calls, "minimise;restore-mode;");
    EXPECT_EQ(GetEatNextRestore(), 1u);
    link.calls.clear();
    EXPECT_EQ(Win_DialogProc_FullScreen(app, plat::WM_SYSCOMMAND, plat::SC_RESTORE, 0), 0);
    EXPECT_EQ(TraceCount("SC_RESTORE ignored\n"), 1);
    EXPECT_EQ(GetEatNextRestore(), 0u);
    EXPECT_EQ(link.calls, "");
    EXPECT_EQ(Win_DialogProc_FullScreen(app, plat::WM_SYSCOMMAND, plat::SC_RESTORE, 0), 0);
    EXPECT_EQ(link.calls, "restore;stage-mode;foreground;");
    EXPECT_EQ(GetRestoreDeactivate(), 1u);
    EXPECT_FALSE(App().IsMinimized());
}

TEST_F(DialogProcTest, SystemCommandsBlockedKeysKeptAndFocusRedrawsInFullScreen) {
    for (uintptr_t command : {plat::SC_KEYMENU, plat::SC_SCREENSAVE, plat::SC_MONITORPOWER})
        EXPECT_EQ(Win_DialogProc_FullScreen(app, plat::WM_SYSCOMMAND, command, 0), 0);
    EXPECT_EQ(TraceCount("SC_SCREENSAVER\nignored\n") + TraceCount("SC_MONITORPOWER\nignored\n"), 2);

    Win_DialogProc_FullScreen9x(app, plat::WM_SYSKEYDOWN, plat::VK_MENU, 0);
    Win_DialogProc_FullScreen9x(app, plat::WM_KEYDOWN, plat::VK_LWIN, 0);
    EXPECT_EQ(GetAltKeyDown(), 1u);
    EXPECT_EQ(GetWinKeyDown(), 1u);
    link.calls.clear();
    Win_DialogProc_FullScreen(app, plat::WM_SETFOCUS, 0, 0);
    EXPECT_EQ(link.calls, "redraw+present;invalidate;");
    EXPECT_EQ(GetAltKeyDown(), 1u) << "focus clears the flags only when windowed";
    // Windowed, the default procedure gets the commands and focus clears the flags.
    xProfiles_Set("FULLSCREEN", sLong(0));
    Win_DialogProc_Windowed(app, plat::WM_SYSCOMMAND, plat::SC_SCREENSAVE, 0);
    EXPECT_EQ(TraceCount("ignored\n"), 2);
    Win_DialogProc_Windowed(app, plat::WM_SETFOCUS, 0, 0);
    EXPECT_EQ(GetAltKeyDown() + GetWinKeyDown(), 0u);
}

TEST_F(WindowProcsTest, CoveringWindowsAreTheCaptionedTopLevelWindowsOfOthers) {
    EXPECT_EQ(IsStageWindowCovered(app), 0);
    const plat::WindowId other = AddCoveringWindow();
    EXPECT_EQ(IsStageWindowCovered(app), 1);
    EXPECT_EQ(IsStageWindowCovered(other), 1) << "the stage itself counts for another window";

    auto add = [](const char* title, uint32_t style, uint32_t exStyle, plat::WindowId owner, plat::WinRect rect,
                  bool show) {
        plat::WindowParams p;
        p.className = "X";
        p.title = title;
        p.style = style;
        p.exStyle = exStyle;
        p.parent = owner;
        p.rect = rect;
        const plat::WindowId id = plat::desktop().CreateWindow(p);
        if (show) plat::desktop().Find(id)->Show(plat::SW_SHOWNA);
    };
    const plat::WinRect r{0, 0, 50, 50};
    add("tool", plat::WS_POPUP, plat::WS_EX_TOOLWINDOW, 0, r, true);
    add("owned", plat::WS_POPUP, 0, other, r, true);
    add("", plat::WS_POPUP, 0, 0, r, true);
    add("hidden", plat::WS_POPUP, 0, 0, r, false);
    add("plain", 0, 0, 0, r, true);
    add("empty", plat::WS_SYSMENU, 0, 0, plat::WinRect{5, 5, 5, 5}, true);
    add("child", plat::WS_CHILD | plat::WS_BORDER, 0, app, r, true);
    EXPECT_EQ(IsStageWindowCovered(app), 1);
    add("framed", plat::WS_SYSMENU, 0, 0, r, true);
    EXPECT_EQ(IsStageWindowCovered(app), 2);
}

TEST_F(WindowProcsTest, SystemPaletteIsTakenOnceAndGivenBack) {
    xProfiles_Set("DIRECTDRAW", sLong(0));
    for (int32_t e = 0; e < CWindowProcState::kSystemColorCount; ++e) link.colors[e] = 0x101010u * uint32_t(e);
    const auto before = link.colors;
    SystemPalette_Take();
    SystemPalette_Take();
    EXPECT_EQ(link.calls, "nostatic;colours;");
    EXPECT_EQ(link.colors[10], 0x000000u) << "active border black";
    EXPECT_EQ(link.colors[1], 0xFFFFFFu) << "desktop white";
    EXPECT_EQ(link.colors[18], 0x000000u) << "button text black";
    EXPECT_EQ(link.colors[14], 0xFFFFFFu) << "highlight text white";
    SystemPalette_Restore();
    EXPECT_EQ(link.colors, before);
    EXPECT_EQ(link.calls, "nostatic;colours;static;colours;");
    SystemPalette_Restore();
    EXPECT_EQ(link.calls, "nostatic;colours;static;colours;") << "given back once";

    xProfiles_Set("FULLSCREEN", sLong(1));
    xProfiles_Set("DIRECTDRAW", sLong(1));
    link.calls.clear();
    SystemPalette_Take();
    SystemPalette_Restore();
    EXPECT_EQ(link.calls, "") << "DirectDraw keeps the palette itself";
}

TEST(MessageNames, TraceNamesAndTheRest) {
    EXPECT_STREQ(GetWindowMessageName(0x0400), "WM_USER");
    EXPECT_STREQ(GetWindowMessageName(0x0086), "WM_NCACTIVATE");
    EXPECT_STREQ(GetWindowMessageName(0x8000), "WM_APP");
    EXPECT_STREQ(GetWindowMessageName(0x7FFF), "Unspecified");
}

} // namespace

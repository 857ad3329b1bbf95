#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "tests/engine/core/WindowProcsFixture.h"

namespace {

using vqt::test::WindowProcsTest;

constexpr intptr_t kUntouched = -99;
constexpr uint32_t kNone = kEvNone;

/// One message handed to one translator in one situation, and everything that must follow.
struct Case {
    const char* name;
    xTranslator translator;
    uint32_t msg;
    uintptr_t wParam = 0;
    // The situation.
    bool fullScreen = true;
    bool directDraw = false;
    bool minimised = false;
    bool covered = false;
    bool altFlag = false;
    bool ctrlNow = false;
    bool winFlag = false;
    int32_t windowsKeyEnabled = 1;
    bool restoreDeactivate = false;
    bool eatNextRestore = false;
    bool eatNextDeactivate = false;
    bool displayChange = false;
    // What must follow.
    int32_t handled = 0;
    intptr_t result = kUntouched;
    const char* actions = "";
    uint32_t made = kNone;      ///< the event type in the record
    uint32_t queued = kNone;    ///< the event type queued in the ring
    uint32_t delivered = kNone; ///< the event type delivered at once
    int restoreDeactivateAfter = -1;
    int eatNextRestoreAfter = -1;
    int eatNextDeactivateAfter = -1;
    int keyFlagsAfter = -1; ///< Ctrl+Alt+Windows flags set after, as a count
    const char* traced = nullptr;
};

const Case kCases[] = {
    // Windowed mode: focus suspends and resumes; a restore command brings the window back.
    {.name = "windowed kill focus", .translator = Win_TranslateMessage_Windowed, .msg = plat::WM_KILLFOCUS,
     .fullScreen = false, .handled = 1, .made = kEvAppSuspend},
    {.name = "windowed set focus clears the key flags", .translator = Win_TranslateMessage_Windowed,
     .msg = plat::WM_SETFOCUS, .fullScreen = false, .altFlag = true, .winFlag = true, .handled = 1,
     .made = kEvAppResume, .keyFlagsAfter = 0},
    {.name = "windowed focus ignored in full screen", .translator = Win_TranslateMessage_Windowed,
     .msg = plat::WM_KILLFOCUS, .handled = 0},
    {.name = "windowed restore", .translator = Win_TranslateMessage_Windowed, .msg = plat::WM_SYSCOMMAND,
     .wParam = plat::SC_RESTORE, .fullScreen = false, .minimised = true, .altFlag = true, .handled = 1, .result = 0,
     .actions = "clear-foreground;restore;", .made = kEvAppResume, .keyFlagsAfter = 0},
    {.name = "windowed restore in GDI full screen sets the stage mode first",
     .translator = Win_TranslateMessage_Windowed, .msg = plat::WM_SYSCOMMAND, .wParam = plat::SC_RESTORE | 2,
     .minimised = true, .handled = 1, .result = 0, .actions = "stage-mode;clear-foreground;restore;",
     .made = kEvAppResume},
    {.name = "windowed restore eaten", .translator = Win_TranslateMessage_Windowed, .msg = plat::WM_SYSCOMMAND,
     .wParam = plat::SC_RESTORE, .minimised = true, .eatNextRestore = true, .handled = 1, .result = 0,
     .eatNextRestoreAfter = 0, .traced = "SC_RESTORE ignored\n"},

    // XP: a deactivation without a system key is refused; with one the window goes.
    {.name = "XP deactivation blocked", .translator = Win_TranslateMessage_XP_FSDD, .msg = plat::WM_NCACTIVATE,
     .directDraw = true, .handled = 1, .result = 0, .restoreDeactivateAfter = 1, .traced = "Deactivation blocked\n"},
    {.name = "XP deactivation with Alt", .translator = Win_TranslateMessage_XP_FSDD, .msg = plat::WM_NCACTIVATE,
     .directDraw = true, .altFlag = true, .winFlag = true, .handled = 1, .result = 1,
     .actions = "restore-mode;minimise-noactivate;", .made = kEvAppSuspend, .restoreDeactivateAfter = 0,
     .keyFlagsAfter = 0},
    {.name = "XP deactivation with Ctrl held now", .translator = Win_TranslateMessage_XP_FSGDI,
     .msg = plat::WM_NCACTIVATE, .ctrlNow = true, .handled = 1, .result = 1,
     .actions = "restore-mode;minimise-noactivate;", .made = kEvAppSuspend},
    {.name = "XP Windows key counts only while enabled", .translator = Win_TranslateMessage_XP_FSGDI,
     .msg = plat::WM_NCACTIVATE, .winFlag = true, .windowsKeyEnabled = 0, .handled = 1, .result = 0,
     .restoreDeactivateAfter = 1},
    {.name = "XP Windows key while enabled", .translator = Win_TranslateMessage_XP_FSGDI,
     .msg = plat::WM_NCACTIVATE, .winFlag = true, .handled = 1, .result = 1,
     .actions = "restore-mode;minimise-noactivate;", .made = kEvAppSuspend},
    {.name = "XP deactivation while minimised", .translator = Win_TranslateMessage_XP_FSDD,
     .msg = plat::WM_NCACTIVATE, .minimised = true, .handled = 0, .result = 1, .restoreDeactivateAfter = 0},
    {.name = "XP activation", .translator = Win_TranslateMessage_XP_FSDD, .msg = plat::WM_NCACTIVATE, .wParam = 1,
     .handled = 0, .result = 0},
    {.name = "XP activation while a restore waits", .translator = Win_TranslateMessage_XP_FSDD,
     .msg = plat::WM_NCACTIVATE, .restoreDeactivate = true, .handled = 0},
    {.name = "XP windowed deactivation", .translator = Win_TranslateMessage_XP_FSDD, .msg = plat::WM_NCACTIVATE,
     .fullScreen = false, .handled = 0},
    {.name = "XP Windows key down in GDI full screen", .translator = Win_TranslateMessage_XP_FSGDI,
     .msg = plat::WM_KEYDOWN, .wParam = plat::VK_LWIN, .handled = 0, .actions = "minimise;restore-mode;"},
    {.name = "XP Windows key down in DirectDraw", .translator = Win_TranslateMessage_XP_FSDD,
     .msg = plat::WM_KEYDOWN, .wParam = plat::VK_RWIN, .directDraw = true, .handled = 0,
     .actions = "restore-mode;"},
    {.name = "XP Windows key disabled", .translator = Win_TranslateMessage_XP_FSDD, .msg = plat::WM_KEYDOWN,
     .wParam = plat::VK_LWIN, .windowsKeyEnabled = 0, .handled = 0},
    {.name = "XP Windows key up clears its flag", .translator = Win_TranslateMessage_XP_FSDD, .msg = plat::WM_KEYUP,
     .wParam = plat::VK_LWIN, .winFlag = true, .handled = 0, .keyFlagsAfter = 0},
    {.name = "XP restore in GDI full screen", .translator = Win_TranslateMessage_XP_FSGDI, .msg = plat::WM_SYSCOMMAND,
     .wParam = plat::SC_RESTORE, .minimised = true, .ctrlNow = true, .winFlag = true, .handled = 1, .result = 0,
     .actions = "stage-mode;redraw+present;clear-foreground;restore;topmost;", .made = kEvAppResume,
     .restoreDeactivateAfter = 1, .keyFlagsAfter = 1},
    {.name = "XP restore in DirectDraw", .translator = Win_TranslateMessage_XP_FSDD, .msg = plat::WM_SYSCOMMAND,
     .wParam = plat::SC_RESTORE, .directDraw = true, .minimised = true, .handled = 1, .result = 0,
     .actions = "clear-foreground;restore;topmost;", .made = kEvAppResume, .restoreDeactivateAfter = 1},
    {.name = "XP restore eaten", .translator = Win_TranslateMessage_XP_FSDD, .msg = plat::WM_SYSCOMMAND,
     .wParam = plat::SC_RESTORE, .minimised = true, .eatNextRestore = true, .handled = 1, .result = 0,
     .eatNextRestoreAfter = 0, .traced = "SC_RESTORE ignored\n"},

    // The default translator (NT 4).
    {.name = "default cancel mode, stage not covered", .translator = Win_TranslateMessage,
     .msg = plat::WM_CANCELMODE, .handled = 0, .actions = "minimise;restore-mode;", .queued = kEvAppSuspend,
     .eatNextRestoreAfter = 1},
    {.name = "default cancel mode, covered, DirectDraw", .translator = Win_TranslateMessage,
     .msg = plat::WM_CANCELMODE, .directDraw = true, .covered = true, .handled = 0, .actions = "minimise;",
     .queued = kEvAppSuspend, .eatNextRestoreAfter = 0},
    {.name = "default cancel mode while minimised", .translator = Win_TranslateMessage, .msg = plat::WM_CANCELMODE,
     .minimised = true, .handled = 0},
    {.name = "default display change with Alt over a covered stage", .translator = Win_TranslateMessage,
     .msg = plat::WM_DISPLAYCHANGE, .covered = true, .altFlag = true, .handled = 1, .result = 1,
     .actions = "minimise;", .queued = kEvAppSuspend, .traced = "WM_DISPLAYCHANGE\nDisplay change handler\n"},
    {.name = "default display change of the engine's own", .translator = Win_TranslateMessage,
     .msg = plat::WM_DISPLAYCHANGE, .covered = true, .altFlag = true, .displayChange = true, .handled = 0},
    {.name = "default display change without a covering window", .translator = Win_TranslateMessage,
     .msg = plat::WM_DISPLAYCHANGE, .altFlag = true, .handled = 0},
    {.name = "default display change without a system key", .translator = Win_TranslateMessage,
     .msg = plat::WM_DISPLAYCHANGE, .covered = true, .handled = 0},
    {.name = "default deactivation blocked", .translator = Win_TranslateMessage, .msg = plat::WM_NCACTIVATE,
     .handled = 1, .result = 0, .restoreDeactivateAfter = 1,
     .traced = "WM_NCACTIVATE\ndeactivate no sys key\ndeactivate not minimized\n"},
    {.name = "default deactivation while minimised", .translator = Win_TranslateMessage, .msg = plat::WM_NCACTIVATE,
     .minimised = true, .handled = 0, .result = 1, .queued = kEvAppSuspend, .traced = "deactivate minimized\n"},
    {.name = "default deactivation with Ctrl held", .translator = Win_TranslateMessage, .msg = plat::WM_NCACTIVATE,
     .ctrlNow = true, .winFlag = true, .handled = 1, .result = 1, .actions = "restore-mode;minimise;",
     .made = kEvAppSuspend, .keyFlagsAfter = 1, .traced = "deactivate with sys key\n"},
    {.name = "default deactivation while a restore waits", .translator = Win_TranslateMessage,
     .msg = plat::WM_NCACTIVATE, .altFlag = true, .restoreDeactivate = true, .handled = 0,
     .traced = "deactivate while restore deactivate active\n"},
    {.name = "default activation", .translator = Win_TranslateMessage, .msg = plat::WM_NCACTIVATE, .wParam = 1,
     .handled = 1, .result = 0, .traced = "activating\n"},
    {.name = "default restore in GDI full screen", .translator = Win_TranslateMessage, .msg = plat::WM_SYSCOMMAND,
     .wParam = plat::SC_RESTORE, .minimised = true, .handled = 1, .result = 0, .actions = "restore;stage-mode;",
     .made = kEvAppResume, .restoreDeactivateAfter = 1, .traced = "WM_COMMAND : SC_RESTORE\n"},
    {.name = "default restore in DirectDraw, stage not covered", .translator = Win_TranslateMessage,
     .msg = plat::WM_SYSCOMMAND, .wParam = plat::SC_RESTORE, .directDraw = true, .minimised = true, .handled = 1,
     .result = 0, .actions = "restore;", .made = kEvAppResume, .restoreDeactivateAfter = 0},
    {.name = "default system key up", .translator = Win_TranslateMessage, .msg = plat::WM_SYSKEYUP,
     .wParam = plat::VK_MENU, .altFlag = true, .handled = 0, .keyFlagsAfter = 0},

    // 2000: display changes restore the desktop and suspend at once; no cancel-mode handling.
    {.name = "2000 display change with Alt", .translator = Win_TranslateMessage_2000_FSDD,
     .msg = plat::WM_DISPLAYCHANGE, .directDraw = true, .covered = true, .altFlag = true, .handled = 1, .result = 1,
     .actions = "minimise;restore-mode;", .delivered = kEvAppSuspend},
    {.name = "2000 cancel mode", .translator = Win_TranslateMessage_2000_FSGDI, .msg = plat::WM_CANCELMODE,
     .handled = 0},
    {.name = "2000 monitor power", .translator = Win_TranslateMessage_2000_FSGDI, .msg = plat::WM_SYSCOMMAND,
     .wParam = plat::SC_MONITORPOWER, .handled = 0, .traced = "WM_SYSCOMMAND\nSC_MONITORPOWER\n"},
    {.name = "2000 deactivation with Alt", .translator = Win_TranslateMessage_2000_FSGDI, .msg = plat::WM_NCACTIVATE,
     .altFlag = true, .handled = 1, .result = 1, .actions = "restore-mode;minimise;", .made = kEvAppSuspend},

    // 9x.
    {.name = "9x deactivation blocked in GDI", .translator = Win_TranslateMessage_9x_FSGDI,
     .msg = plat::WM_NCACTIVATE, .handled = 1, .result = 0, .actions = "redraw+present;",
     .restoreDeactivateAfter = 1, .traced = "deactivate\ndeactivate no sys key\ndeactivate maximized\n"},
    {.name = "9x deactivation blocked in DirectDraw", .translator = Win_TranslateMessage_9x_FSDD,
     .msg = plat::WM_NCACTIVATE, .directDraw = true, .handled = 1, .result = 0, .restoreDeactivateAfter = 1},
    {.name = "9x deactivation while minimised", .translator = Win_TranslateMessage_9x_FSDD,
     .msg = plat::WM_NCACTIVATE, .minimised = true, .handled = 1, .result = 1, .restoreDeactivateAfter = 0},
    {.name = "9x deactivation with Alt", .translator = Win_TranslateMessage_9x_FSDD, .msg = plat::WM_NCACTIVATE,
     .directDraw = true, .altFlag = true, .handled = 1, .result = 1, .actions = "minimise;restore-mode;",
     .made = kEvAppSuspend, .traced = "deactivate with sys key\n"},
    {.name = "9x eaten deactivation", .translator = Win_TranslateMessage_9x_FSGDI, .msg = plat::WM_NCACTIVATE,
     .eatNextDeactivate = true, .handled = 1, .result = 1, .actions = "minimise;restore-mode;",
     .made = kEvAppSuspend, .eatNextDeactivateAfter = 0, .traced = "g_bEatNextDeactivate\n"},
    {.name = "9x Windows key counts only when set to 1", .translator = Win_TranslateMessage_9x_FSGDI,
     .msg = plat::WM_NCACTIVATE, .winFlag = true, .windowsKeyEnabled = 2, .handled = 1, .result = 0,
     .actions = "redraw+present;", .restoreDeactivateAfter = 1},
    {.name = "9x activation", .translator = Win_TranslateMessage_9x_FSDD, .msg = plat::WM_NCACTIVATE, .wParam = 1,
     .handled = 0, .traced = "activate\n"},
    {.name = "9x cancel mode with Alt", .translator = Win_TranslateMessage_9x_FSGDI, .msg = plat::WM_CANCELMODE,
     .altFlag = true, .handled = 0, .actions = "minimise;", .traced = "WM_CANCELMODE\nminimizing\n"},
    {.name = "9x cancel mode without a system key", .translator = Win_TranslateMessage_9x_FSGDI,
     .msg = plat::WM_CANCELMODE, .handled = 0},
    {.name = "9x GDI leaves display changes alone", .translator = Win_TranslateMessage_9x_FSGDI,
     .msg = plat::WM_DISPLAYCHANGE, .altFlag = true, .handled = 0},
    {.name = "9x DirectDraw display change", .translator = Win_TranslateMessage_9x_FSDD,
     .msg = plat::WM_DISPLAYCHANGE, .directDraw = true, .altFlag = true, .handled = 0, .actions = "minimise;"},
    {.name = "9x restore, stage not covered", .translator = Win_TranslateMessage_9x_FSDD, .msg = plat::WM_SYSCOMMAND,
     .wParam = plat::SC_RESTORE, .directDraw = true, .minimised = true, .handled = 1, .result = 0,
     .actions = "restore;stage-mode;ready?;", .made = kEvAppResume, .eatNextDeactivateAfter = 1},
    {.name = "9x restore, stage covered", .translator = Win_TranslateMessage_9x_FSDD, .msg = plat::WM_SYSCOMMAND,
     .wParam = plat::SC_RESTORE, .directDraw = true, .minimised = true, .covered = true, .handled = 1, .result = 0,
     .actions = "restore;stage-mode;ready?;", .made = kEvAppResume, .eatNextDeactivateAfter = 0},
    {.name = "9x key down keeps the Ctrl flag", .translator = Win_TranslateMessage_9x_FSDD, .msg = plat::WM_KEYDOWN,
     .wParam = plat::VK_CONTROL, .handled = 0, .keyFlagsAfter = 1},
};

class TranslatorTableTest : public WindowProcsTest, public ::testing::WithParamInterface<Case> {};

TEST_P(TranslatorTableTest, ActsAndMakesItsEvent) {
    const Case& c = GetParam();
    xProfiles_Set("FULLSCREEN", sLong(c.fullScreen));
    xProfiles_Set("DIRECTDRAW", sLong(c.directDraw));
    xProfiles_Set("WINDOWSKEYENABLED", sLong(c.windowsKeyEnabled));
    if (c.minimised) App().Show(plat::SW_SHOWMINNOACTIVE);
    if (c.covered) AddCoveringWindow();
    SetAltKeyDown(c.altFlag);
    SetWinKeyDown(c.winFlag);
    input().SetKeyDown(plat::VK_CONTROL, c.ctrlNow);
    CWindowProcState::Get().restoreDeactivate = c.restoreDeactivate;
    CWindowProcState::Get().eatNextRestore = c.eatNextRestore;
    CWindowProcState::Get().eatNextDeactivate = c.eatNextDeactivate;
    CWindowProcState::Get().displayChangeInProgress = c.displayChange;
    link.calls.clear();
    root.events.clear();
    debug().Clear();

    xEvent event = xPlatform_TemplateEvent();
    intptr_t result = kUntouched;
    const int32_t handled = c.translator(event, app, c.msg, c.wParam, 0x00380001, &result);

    EXPECT_EQ(handled, c.handled);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(link.calls, c.actions);
    EXPECT_EQ(event.type, c.made);
    if (c.made != kNone) {
        EXPECT_EQ(event.category, uint32_t(kEventApplication));
    }
    EXPECT_EQ(Queued(), c.queued == kNone ? std::vector<uint32_t>{} : std::vector<uint32_t>{c.queued});
    EXPECT_EQ(root.events, c.delivered == kNone ? std::vector<uint32_t>{} : std::vector<uint32_t>{c.delivered});
    if (c.restoreDeactivateAfter >= 0) {
        EXPECT_EQ(GetRestoreDeactivate(), uint32_t(c.restoreDeactivateAfter));
    }
    if (c.eatNextRestoreAfter >= 0) {
        EXPECT_EQ(GetEatNextRestore(), uint32_t(c.eatNextRestoreAfter));
    }
    if (c.eatNextDeactivateAfter >= 0) {
        EXPECT_EQ(GetEatNextDeactivate(), uint32_t(c.eatNextDeactivateAfter));
    }
    if (c.keyFlagsAfter >= 0) {
        EXPECT_EQ(int(GetCtrlKeyDown() + GetAltKeyDown() + GetWinKeyDown()), c.keyFlagsAfter);
    }
    if (c.traced) {
        EXPECT_NE(traced().find(c.traced), std::string::npos) << traced();
    }
    EXPECT_EQ(GetDisplayChangeInProgress(), uint32_t(c.displayChange)) << "a display change of the engine's own "
                                                                         "puts the mark back as it was";
    EXPECT_EQ(GetRestoreInProgress(), 0u);
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Translators, TranslatorTableTest, ::testing::ValuesIn(kCases), CaseName);

TEST_F(WindowProcsTest, TranslatorsLeaveMessagesOfOtherWindowsAlone) {
    xProfiles_Set("FULLSCREEN", sLong(1));
    const xTranslator all[] = {Win_TranslateMessage,          Win_TranslateMessage_Windowed,
                               Win_TranslateMessage_XP_FSDD,  Win_TranslateMessage_XP_FSGDI,
                               Win_TranslateMessage_2000_FSDD, Win_TranslateMessage_2000_FSGDI,
                               Win_TranslateMessage_9x_FSDD,  Win_TranslateMessage_9x_FSGDI};
    for (xTranslator t : all) {
        xEvent event;
        intptr_t result = kUntouched;
        EXPECT_EQ(t(event, app + 77, plat::WM_NCACTIVATE, 0, 0, &result), 0);
        EXPECT_EQ(result, kUntouched);
        EXPECT_EQ(event.type, kNone);
    }
    EXPECT_EQ(link.calls, "");
    EXPECT_EQ(GetRestoreDeactivate(), 0u);
}

TEST_F(WindowProcsTest, TranslatorChoiceFollowsModeAndVersion) {
    struct Row {
        bool fullScreen;
        bool directDraw;
        plat::VersionInfo version;
        xTranslator expected;
        const char* trace;
    };
    const plat::VersionInfo xp{2, 5, 1, 2600}, w2000{2, 5, 0, 2195}, nt4{2, 4, 0, 1381}, w98{1, 4, 10, 1998};
    const Row rows[] = {
        {false, true, w98, Win_TranslateMessage_Windowed, "Installing special message translator for windowed mode\n"},
        {true, true, xp, Win_TranslateMessage_XP_FSDD,
         "Installing special message translator for Windows XP (full screen - direct draw)\n"},
        {true, false, xp, Win_TranslateMessage_XP_FSGDI,
         "Installing special message translator for Windows XP (full screen - GDI)\n"},
        {true, true, w98, Win_TranslateMessage_9x_FSDD,
         "Installing special message translator for Windows 9x (full screen - direct draw)\n"},
        {true, false, w98, Win_TranslateMessage_9x_FSGDI,
         "Installing special message translator for Windows 9x (full screen - GDI)\n"},
        {true, true, w2000, Win_TranslateMessage_2000_FSDD,
         "Installing special message translator for Windows 2000 (full screen - direct draw)\n"},
        {true, false, w2000, Win_TranslateMessage_2000_FSGDI,
         "Installing special message translator for Windows 2000 (full screen - GDI)\n"},
        {true, true, nt4, Win_TranslateMessage, "Using default message translator\n"},
        {true, false, nt4, Win_TranslateMessage, "Using default message translator\n"},
    };
    for (const Row& row : rows) {
        xProfiles_Set("FULLSCREEN", sLong(row.fullScreen));
        xProfiles_Set("DIRECTDRAW", sLong(row.directDraw));
        system().SetVersion(row.version);
        debug().Clear();
        xPlatform_SetTranslator(Win_TranslateMessage_Windowed);
        xPlatform_ChooseTranslator();
        EXPECT_EQ(xPlatform_GetTranslator(), row.expected) << row.trace;
        EXPECT_EQ(traced(), row.trace);
    }
}

} // namespace

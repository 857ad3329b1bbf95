#include "engine/core/WindowProcs.h"

#include <algorithm>

#include "engine/base/Trace.h"
#include "engine/core/CoreState.h"
#include "engine/core/MessageNames.h"
#include "engine/core/Process.h"
#include "engine/core/RunLoop.h"
#include "engine/data/Profiles.h"
#include "platform/Platform.h"

namespace {

using plat::WindowId;

CWindowProcState& S() { return CWindowProcState::Get(); }
CMainWindowLink& Link() { return xPlatform_Link(); }

// The profile's values are read from their storage: the procedures run for every message.
bool FullScreen() { return xProfiles_Values().fullScreen != 0; }
bool DirectDraw() { return xProfiles_Values().directDraw != 0; }
int32_t Verbosity() { return xProfiles_Values().verbose; }
bool KeyDownNow(int32_t virtualKey) { return plat::input().AsyncKeyState(virtualKey) < 0; }
bool IsWindowsKey(uintptr_t key) { return key == uintptr_t(plat::VK_LWIN) || key == uintptr_t(plat::VK_RWIN); }
bool IsRestoreCommand(uintptr_t wParam) { return (wParam & 0xFFF0) == plat::SC_RESTORE; }

/// The Windows-key, Ctrl and Alt flags cleared.
void ClearKeyFlags() {
    SetWinKeyDown(0);
    SetCtrlKeyDown(0);
    SetAltKeyDown(0);
}

/// Whether Ctrl, Alt or (when it counts) the Windows key is down, by flag or by key state.
bool SystemKeyDown(bool windowsKeyCounts) {
    return GetCtrlKeyDown() || GetAltKeyDown() || (windowsKeyCounts && GetWinKeyDown()) || KeyDownNow(plat::VK_CONTROL) ||
           KeyDownNow(plat::VK_MENU);
}

/// The Windows key counts as a system key only while the Windows keys are enabled.
bool WindowsKeyEnabled() { return xProfiles_Values().windowsKeyEnabled != 0; }

int32_t MakeEvent(xEvent& event, uint32_t type) {
    event.category = kEventApplication;
    event.type = type;
    return 1;
}

/// A new application event of the type, in the ring for a later frame.
void QueueEvent(uint32_t type) {
    xEvent event;
    MakeEvent(event, type);
    CreateEvent(event);
}

/// A new application event of the type, delivered at once.
void DeliverNow(uint32_t type) {
    xEvent event;
    MakeEvent(event, type);
    DispatchAppEvent(&event, 0);
}

/// Runs a display-mode change of the engine's own with the display-change mark set, and puts
/// the mark back as it was.
template <typename F>
void InsideDisplayChange(F&& change) {
    const uint32_t before = S().displayChangeInProgress;
    S().displayChangeInProgress = 1;
    change();
    S().displayChangeInProgress = before;
}

/// Every translator starts alike: the message traced, the record reset, and messages of other
/// windows left alone (false).
bool BeginTranslation(const char* name, xEvent& event, WindowId window, uint32_t msg, uintptr_t wParam,
                      intptr_t lParam) {
    xPlatform_TraceMessage(name, msg, wParam, lParam);
    event.StartTranslation(wParam, lParam);
    return !(xPlatform_GetMainWindow() && window != xPlatform_GetAppWindow());
}

/// Focus changes of windowed mode: a resume or suspend event; nothing in full screen.
int32_t WindowedFocus(xEvent& event, uint32_t msg) {
    if (FullScreen()) return 0;
    if (msg == plat::WM_SETFOCUS) {
        ClearKeyFlags();
        return MakeEvent(event, kEvAppResume);
    }
    return MakeEvent(event, kEvAppSuspend);
}

bool IsMinimised() { return Link().IsMinimised(); }

// --- windowed ----------------------------------------------------------------------------

int32_t TranslateWindowed(xEvent& event, uint32_t msg, uintptr_t wParam, intptr_t* result) {
    switch (msg) {
    case plat::WM_SETFOCUS:
    case plat::WM_KILLFOCUS:
        return WindowedFocus(event, msg);
    case plat::WM_SYSCOMMAND:
        if (!IsRestoreCommand(wParam)) return 0;
        if (S().eatNextRestore) {
            xTrace("SC_RESTORE ignored\n");
        } else {
            if (IsMinimised()) {
                if (FullScreen() && !DirectDraw()) Link().SetStageMode();
                Link().ClearForegroundAndActive();
                Link().Restore();
            }
            MakeEvent(event, kEvAppResume);
        }
        *result = 0;
        ClearKeyFlags();
        S().eatNextRestore = 0;
        return 1;
    default:
        return 0;
    }
}

// --- XP ----------------------------------------------------------------------------------

int32_t TranslateXP(xEvent& event, uint32_t msg, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    switch (msg) {
    case plat::WM_SETFOCUS:
    case plat::WM_KILLFOCUS:
        return WindowedFocus(event, msg);
    case plat::WM_KEYDOWN:
        xPlatform_TraceKey(msg, wParam, lParam);
        if (IsWindowsKey(wParam) && WindowsKeyEnabled() && FullScreen()) {
            if (!DirectDraw()) Link().Minimise();
            Link().RestoreDisplayMode();
        }
        return 0;
    case plat::WM_KEYUP:
        xPlatform_TraceKey(msg, wParam, lParam);
        if (IsWindowsKey(wParam)) SetWinKeyDown(0);
        return 0;
    case plat::WM_NCACTIVATE:
        if (!FullScreen() || S().restoreDeactivate) return 0;
        if (wParam != 0) {
            *result = 0;
            return 0;
        }
        if (!SystemKeyDown(WindowsKeyEnabled())) {
            if (IsMinimised()) {
                *result = 1;
                return 0;
            }
            SetRestoreDeactivate(1);
            *result = 0;
            xTrace("Deactivation blocked\n");
            return 1;
        }
        Link().RestoreDisplayMode();
        Link().MinimiseNoActivate();
        MakeEvent(event, kEvAppSuspend);
        ClearKeyFlags();
        *result = 1;
        return 1;
    case plat::WM_SYSCOMMAND:
        if (!IsRestoreCommand(wParam)) return 0;
        if (S().eatNextRestore) {
            xTrace("SC_RESTORE ignored\n");
        } else {
            if (IsMinimised()) {
                if (FullScreen() && !DirectDraw()) {
                    Link().SetStageMode();
                    Link().PostFullRedraw(true);
                }
                Link().ClearForegroundAndActive();
                Link().Restore();
                Link().MakeTopmost();
                SetRestoreDeactivate(1);
            }
            MakeEvent(event, kEvAppResume);
        }
        *result = 0;
        UpdateKeyFlags();
        S().eatNextRestore = 0;
        return 1;
    default:
        return 0;
    }
}

// --- default (NT 4) and 2000 -----------------------------------------------------------------

int32_t TranslateNT(xEvent& event, uint32_t msg, uintptr_t wParam, intptr_t* result, bool is2000) {
    switch (msg) {
    case plat::WM_CANCELMODE:
        if (is2000 || !FullScreen() || IsMinimised()) return 0;
        if (IsStageWindowCovered(xPlatform_GetAppWindow()) == 0) SetEatNextRestore(1);
        Link().Minimise();
        if (!DirectDraw()) InsideDisplayChange([] { Link().RestoreDisplayMode(); });
        QueueEvent(kEvAppSuspend);
        return 0;
    case plat::WM_DISPLAYCHANGE: {
        xTrace("WM_DISPLAYCHANGE\n");
        OProcess* mainWindow = xPlatform_GetMainWindow();
        if (IsMinimised() || (mainWindow && mainWindow->IsAppSuspended()) || !SystemKeyDown(true) ||
            S().displayChangeInProgress || IsStageWindowCovered(xPlatform_GetAppWindow()) == 0)
            return 0;
        xTrace("Display change handler\n");
        Link().Minimise();
        *result = 1;
        if (!is2000) {
            QueueEvent(kEvAppSuspend);
        } else {
            if (FullScreen()) Link().RestoreDisplayMode();
            DeliverNow(kEvAppSuspend);
        }
        return 1;
    }
    case plat::WM_NCACTIVATE:
        xTrace("WM_NCACTIVATE\n");
        if (!FullScreen()) return 0;
        if (S().restoreDeactivate) {
            xTrace(wParam ? "activate while restore deactivate active\n" : "deactivate while restore deactivate active\n");
            return 0;
        }
        if (wParam != 0) {
            xTrace("activating\n");
            *result = 0;
            return 1;
        }
        if (!SystemKeyDown(true)) {
            xTrace("deactivate no sys key\n");
            if (IsMinimised()) {
                xTrace("deactivate minimized\n");
                *result = 1;
                QueueEvent(kEvAppSuspend);
                return 0;
            }
            xTrace("deactivate not minimized\n");
            SetRestoreDeactivate(1);
            *result = 0;
            xTrace("Deactivation blocked\n");
            return 1;
        }
        xTrace("deactivate with sys key\n");
        InsideDisplayChange([] { Link().RestoreDisplayMode(); });
        Link().Minimise();
        MakeEvent(event, kEvAppSuspend);
        UpdateKeyFlags();
        *result = 1;
        return 1;
    case plat::WM_SYSKEYUP:
        if (wParam == uintptr_t(plat::VK_CONTROL)) SetCtrlKeyDown(0);
        if (wParam == uintptr_t(plat::VK_MENU)) SetAltKeyDown(0);
        return 0;
    case plat::WM_SYSCOMMAND:
        if (is2000) {
            xTrace("WM_SYSCOMMAND\n");
            if ((wParam & 0xFFF0) == plat::SC_MONITORPOWER) xTrace("SC_MONITORPOWER\n");
        }
        if (!IsRestoreCommand(wParam)) return 0;
        xTrace("WM_COMMAND : SC_RESTORE\n");
        if (S().eatNextRestore) {
            xTrace("SC_RESTORE ignored\n");
        } else {
            if (IsMinimised()) {
                Link().Restore();
                if (FullScreen() && (!DirectDraw() || IsStageWindowCovered(xPlatform_GetAppWindow()) > 0)) {
                    InsideDisplayChange([] { Link().SetStageMode(); });
                    SetRestoreDeactivate(1);
                }
            }
            MakeEvent(event, kEvAppResume);
        }
        *result = 0;
        UpdateKeyFlags();
        S().eatNextRestore = 0;
        return 1;
    default:
        return 0;
    }
}

// --- 9x ----------------------------------------------------------------------------------

int32_t Translate9x(xEvent& event, uint32_t msg, uintptr_t wParam, intptr_t lParam, intptr_t* result,
                    bool directDraw) {
    const bool windowsKeyCounts = xProfiles_Values().windowsKeyEnabled == 1;
    switch (msg) {
    case plat::WM_DISPLAYCHANGE:
        if (!directDraw) return 0;
        [[fallthrough]];
    case plat::WM_CANCELMODE:
        xTracef("%s\n", GetWindowMessageName(msg));
        if (FullScreen() && !S().restoreInProgress && SystemKeyDown(windowsKeyCounts) && !IsMinimised()) {
            xTrace("minimizing\n");
            Link().Minimise();
        }
        return 0;
    case plat::WM_NCACTIVATE: {
        if (!FullScreen()) return 0;
        if (wParam != 0) {
            xTrace("activate\n");
            return 0;
        }
        xTrace("deactivate\n");
        const bool eat = S().eatNextDeactivate != 0;
        S().eatNextDeactivate = 0;
        if ((!SystemKeyDown(windowsKeyCounts) || S().restoreInProgress) && !eat) {
            xTrace("deactivate no sys key\n");
            if (IsMinimised()) {
                xTrace("deactivate minimized\n");
                *result = 1;
            } else {
                xTrace("deactivate maximized\n");
                *result = 0;
                SetRestoreDeactivate(1);
                xTrace("deactivation blocked\n");
                if (!DirectDraw()) Link().PostFullRedraw(true);
            }
            return 1;
        }
        xTrace(eat ? "g_bEatNextDeactivate\n" : "deactivate with sys key\n");
        Link().Minimise();
        Link().RestoreDisplayMode();
        MakeEvent(event, kEvAppSuspend);
        *result = 1;
        return 1;
    }
    case plat::WM_KEYDOWN:
    case plat::WM_KEYUP:
    case plat::WM_SYSKEYDOWN:
    case plat::WM_SYSKEYUP: {
        xPlatform_TraceKey(msg, wParam, lParam);
        const uint32_t down = (msg == plat::WM_KEYDOWN || msg == plat::WM_SYSKEYDOWN) ? 1 : 0;
        if (wParam == uintptr_t(plat::VK_CONTROL)) SetCtrlKeyDown(down);
        if (wParam == uintptr_t(plat::VK_MENU)) SetAltKeyDown(down);
        return 0;
    }
    case plat::WM_SYSCOMMAND:
        if (!IsRestoreCommand(wParam)) return 0;
        xTrace("WM_COMMAND : SC_RESTORE\n");
        if (S().eatNextRestore) {
            xTrace("SC_RESTORE ignored\n");
        } else {
            S().restoreInProgress = 1;
            if (IsMinimised()) {
                Link().Restore();
                if (FullScreen()) InsideDisplayChange([] { Link().SetStageMode(); });
            }
            MakeEvent(event, kEvAppResume);
            Link().IsDisplayReady();
            S().restoreInProgress = 0;
            if (IsStageWindowCovered(xPlatform_GetAppWindow()) == 0) S().eatNextDeactivate = 1;
        }
        *result = 0;
        UpdateKeyFlags();
        S().eatNextRestore = 0;
        return 1;
    default:
        return 0;
    }
}

// --- dialog procedures -------------------------------------------------------------------------

enum class DialogKind { Windowed, FullScreen9x, FullScreen };

/// Deactivation of the application window while the box runs.
intptr_t DialogDeactivation(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam, DialogKind kind) {
    if (FullScreen() && !S().restoreDeactivate) {
        if (kind == DialogKind::FullScreen)
            xTrace(IsMinimised() ? "WM_NCACTIVATE - minimized\n" : "WM_NCACTIVATE - maximized\n");
        if (wParam != 0) return 0;
        if (SystemKeyDown(true)) {
            Link().RestoreDisplayMode();
            Link().MinimiseNoActivate();
            UpdateKeyFlags();
            return 1;
        }
        if (!IsMinimised()) {
            SetRestoreDeactivate(1);
            xTrace("Deactivation blocked\n");
            return 0;
        }
    }
    return Link().DefaultProc(window, msg, wParam, lParam);
}

intptr_t DialogProc(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam, DialogKind kind) {
    if (kind == DialogKind::FullScreen) S().dialogRunning = 1;
    if (S().restoreDeactivate) {
        Link().Show();
        Link().BringToForeground();
        Link().Focus();
        S().lastActiveWindow = xPlatform_GetAppWindow();
        S().restoreDeactivate = 0;
        UpdateKeyFlags();
        if (!DirectDraw()) Link().PostFullRedraw(false);
    }
    if (!CFrameState::Get().engineExists || !xPlatform_GetMainWindow())
        return Link().DefaultProc(window, msg, wParam, lParam);

    const bool full = FullScreen();
    switch (msg) {
    case plat::WM_NCACTIVATE:
        return DialogDeactivation(window, msg, wParam, lParam, kind);
    case plat::WM_CANCELMODE:
        if (full && !IsMinimised()) {
            if (IsStageWindowCovered(xPlatform_GetAppWindow()) == 0) SetEatNextRestore(1);
            Link().Minimise();
            if (!DirectDraw()) Link().RestoreDisplayMode();
            return DialogDeactivation(window, msg, 0, lParam, kind);
        }
        break;
    case plat::WM_SETFOCUS:
    case plat::WM_KILLFOCUS:
        if (msg == plat::WM_SETFOCUS && !full) ClearKeyFlags();
        if (kind == DialogKind::FullScreen) {
            Link().PostFullRedraw(true);
            Link().InvalidateWindow();
        }
        break;
    case plat::WM_PAINT:
        if (S().dialogPainter) S().dialogPainter(window);
        Link().ValidateUpdateRect();
        return 0;
    case plat::WM_CLOSE:
        RequestQuit();
        return 0;
    case plat::WM_KEYDOWN:
        if (wParam == uintptr_t(plat::VK_CONTROL)) SetCtrlKeyDown(1);
        if (IsWindowsKey(wParam)) SetWinKeyDown(1);
        break;
    case plat::WM_KEYUP:
        if (wParam == uintptr_t(plat::VK_CONTROL)) SetCtrlKeyDown(0);
        break;
    case plat::WM_SYSKEYDOWN:
    case plat::WM_SYSKEYUP: {
        const uint32_t down = msg == plat::WM_SYSKEYDOWN ? 1 : 0;
        if (wParam == uintptr_t(plat::VK_CONTROL)) SetCtrlKeyDown(down);
        if (wParam == uintptr_t(plat::VK_MENU)) SetAltKeyDown(down);
        break;
    }
    case plat::WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case plat::SC_MOUSEMENU:
        case plat::SC_KEYMENU:
            if (full) return 0;
            break;
        case plat::SC_RESTORE:
            if (kind == DialogKind::FullScreen) xTrace("SC_RESTORE\n");
            if (S().eatNextRestore) {
                xTrace("SC_RESTORE ignored\n");
            } else {
                if (IsMinimised()) Link().Restore();
                if (full) {
                    Link().SetStageMode();
                    SetRestoreDeactivate(1);
                }
                Link().BringToForeground();
            }
            UpdateKeyFlags();
            S().eatNextRestore = 0;
            return 0;
        case plat::SC_SCREENSAVE:
        case plat::SC_MONITORPOWER:
            xTrace((wParam & 0xFFF0) == plat::SC_SCREENSAVE ? "SC_SCREENSAVER\n" : "SC_MONITORPOWER\n");
            if (full && !IsMinimised()) {
                xTrace("ignored\n");
                return 0;
            }
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return Link().DefaultProc(window, msg, wParam, lParam);
}

struct SystemColor {
    int32_t element;
    uint32_t color;
};

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

// The system colours while the palette is taken (element numbers of the system's colour table).
constexpr SystemColor kTakenColors[CWindowProcState::kSystemColorCount] = {
    {10, kBlack}, // active border
    {2, kWhite},  // active caption
    {12, kWhite}, // application workspace
    {1, kWhite},  // desktop background
    {15, kBlack}, // button face
    {16, kBlack}, // button shadow
    {18, kBlack}, // button text
    {9, kBlack},  // caption text
    {17, kBlack}, // grey text
    {13, kWhite}, // highlight
    {14, kWhite}, // highlight text
    {11, kWhite}, // inactive border
    {3, kWhite},  // inactive caption
    {4, kWhite},  // menu
    {7, kBlack},  // menu text
    {0, kWhite},  // scroll bar
    {5, kWhite},  // window background
    {6, kBlack},  // window frame
    {8, kBlack},  // window text
};

} // namespace

void xPlatform_TraceMessage(const char* procedure, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (Verbosity() <= 2) return;
    xTracef("%s - OWindow : 0x%08X\n", procedure,
            unsigned(uint32_t(reinterpret_cast<uintptr_t>(xPlatform_GetMainWindow()))));
    xTracef("Msg : 0x%04X - %s\n", unsigned(msg), GetWindowMessageName(msg));
    xTracef("wParam : 0x%04X, lParam : 0x%04X\n", unsigned(wParam), unsigned(lParam));
}

void xPlatform_TraceKey(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (Verbosity() <= 1) return;
    const unsigned scan = unsigned((uintptr_t(lParam) >> 16) & 0xFF);
    switch (msg) {
    case plat::WM_KEYDOWN: xTracef("WM_KEYDOWN : Scan code : %u (%u)\n", scan, unsigned(wParam)); break;
    case plat::WM_KEYUP: xTracef("WM_KEYUP : Scan code : %u (%u)\n", scan, unsigned(wParam)); break;
    case plat::WM_CHAR: xTracef("WM_CHAR : Scan code : %u (%u)\n", scan, unsigned(wParam)); break;
    case plat::WM_SYSKEYDOWN: xTracef("WM_SYSKEYDOWN : Scan code : %u\n", scan); break;
    case plat::WM_SYSKEYUP: xTracef("WM_SYSKEYUP : Scan code : %u\n", scan); break;
    default: break;
    }
}

CWindowProcState& CWindowProcState::Get() { return xCore_State().windowProcs; }

// --- flags -------------------------------------------------------------------------------------

uint32_t GetRestoreDeactivate() { return S().restoreDeactivate; }
void SetRestoreDeactivate(uint32_t on) {
    if (on) xTrace("Setting restore deactivate\n");
    S().restoreDeactivate = on;
}
uint32_t GetEatNextRestore() { return S().eatNextRestore; }
void SetEatNextRestore(uint32_t on) {
    if (on) xTrace("Setting eat next restore\n");
    S().eatNextRestore = on;
}
uint32_t GetWaitToRestoreDesktop() { return S().waitToRestoreDesktop; }
void SetWaitToRestoreDesktop(uint32_t on) {
    if (on) xTrace("Setting wait to restore desktop\n");
    S().waitToRestoreDesktop = on;
}
uint32_t GetDisplayChangeInProgress() { return S().displayChangeInProgress; }
void SetDisplayChangeInProgress(uint32_t on) { S().displayChangeInProgress = on; }
uint32_t GetRestoreInProgress() { return S().restoreInProgress; }
void SetRestoreInProgress(uint32_t on) { S().restoreInProgress = on; }
uint32_t GetEatNextDeactivate() { return S().eatNextDeactivate; }
void SetEatNextDeactivate(uint32_t on) { S().eatNextDeactivate = on; }
uint32_t GetDialogRunning() { return S().dialogRunning; }
void SetDialogRunning(uint32_t on) { S().dialogRunning = on; }
WindowId GetLastActiveWindow() { return S().lastActiveWindow; }
void SetLastActiveWindow(WindowId window) { S().lastActiveWindow = window; }

void UpdateKeyFlags() {
    SetWinKeyDown(0);
    SetCtrlKeyDown(KeyDownNow(plat::VK_CONTROL) ? 1 : 0);
    SetAltKeyDown(KeyDownNow(plat::VK_MENU) ? 1 : 0);
}

// --- versions ------------------------------------------------------------------------------------

bool IsWindows9x() { return plat::system().Version().platformId == 1; }
bool IsWindows95() {
    const plat::VersionInfo v = plat::system().Version();
    return v.platformId == 1 && v.major == 4 && v.minor == 0;
}
bool IsWindowsNT() { return plat::system().Version().platformId == 2; }
bool IsWindowsNT4() {
    const plat::VersionInfo v = plat::system().Version();
    return v.platformId == 2 && v.major == 4;
}
bool IsWindows2000() {
    const plat::VersionInfo v = plat::system().Version();
    return v.platformId == 2 && v.major == 5 && v.build < 2600;
}
bool IsWindowsXP() {
    const plat::VersionInfo v = plat::system().Version();
    return v.platformId == 2 && v.major == 5 && v.build >= 2600;
}

// --- translators ---------------------------------------------------------------------------------

int32_t Win_TranslateMessage(xEvent& event, WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam,
                             intptr_t* result) {
    if (!BeginTranslation("Win_TranslateMessage", event, window, msg, wParam, lParam)) return 0;
    return TranslateNT(event, msg, wParam, result, false);
}

int32_t Win_TranslateMessage_Windowed(xEvent& event, WindowId window, uint32_t msg, uintptr_t wParam,
                                      intptr_t lParam, intptr_t* result) {
    if (!BeginTranslation("Win_TranslateMessage", event, window, msg, wParam, lParam)) return 0;
    return TranslateWindowed(event, msg, wParam, result);
}

int32_t Win_TranslateMessage_XP_FSDD(xEvent& event, WindowId window, uint32_t msg, uintptr_t wParam,
                                     intptr_t lParam, intptr_t* result) {
    if (!BeginTranslation("Win_TranslateMessage_XP_FSDD", event, window, msg, wParam, lParam)) return 0;
    return TranslateXP(event, msg, wParam, lParam, result);
}

// Full screen through the window system translates as through DirectDraw (under that name).
int32_t Win_TranslateMessage_XP_FSGDI(xEvent& event, WindowId window, uint32_t msg, uintptr_t wParam,
                                      intptr_t lParam, intptr_t* result) {
    return Win_TranslateMessage_XP_FSDD(event, window, msg, wParam, lParam, result);
}

int32_t Win_TranslateMessage_2000_FSDD(xEvent& event, WindowId window, uint32_t msg, uintptr_t wParam,
                                       intptr_t lParam, intptr_t* result) {
    if (!BeginTranslation("Win_TranslateMessage", event, window, msg, wParam, lParam)) return 0;
    return TranslateNT(event, msg, wParam, result, true);
}

int32_t Win_TranslateMessage_2000_FSGDI(xEvent& event, WindowId window, uint32_t msg, uintptr_t wParam,
                                        intptr_t lParam, intptr_t* result) {
    return Win_TranslateMessage_2000_FSDD(event, window, msg, wParam, lParam, result);
}

int32_t Win_TranslateMessage_9x_FSDD(xEvent& event, WindowId window, uint32_t msg, uintptr_t wParam,
                                     intptr_t lParam, intptr_t* result) {
    if (!BeginTranslation("Win_TranslateMessage", event, window, msg, wParam, lParam)) return 0;
    return Translate9x(event, msg, wParam, lParam, result, true);
}

int32_t Win_TranslateMessage_9x_FSGDI(xEvent& event, WindowId window, uint32_t msg, uintptr_t wParam,
                                      intptr_t lParam, intptr_t* result) {
    if (!BeginTranslation("Win_TranslateMessage", event, window, msg, wParam, lParam)) return 0;
    return Translate9x(event, msg, wParam, lParam, result, false);
}

xTranslator xPlatform_GetTranslator() { return S().translator; }
void xPlatform_SetTranslator(xTranslator translator) { S().translator = translator ? translator : Win_TranslateMessage; }

void xPlatform_ChooseTranslator() {
    struct Choice {
        xTranslator translator;
        const char* trace;
    };
    Choice choice{Win_TranslateMessage, "Using default message translator\n"};
    if (!FullScreen()) {
        choice = {Win_TranslateMessage_Windowed, "Installing special message translator for windowed mode\n"};
    } else if (DirectDraw()) {
        if (IsWindowsXP())
            choice = {Win_TranslateMessage_XP_FSDD,
                      "Installing special message translator for Windows XP (full screen - direct draw)\n"};
        else if (IsWindows9x())
            choice = {Win_TranslateMessage_9x_FSDD,
                      "Installing special message translator for Windows 9x (full screen - direct draw)\n"};
        else if (IsWindows2000())
            choice = {Win_TranslateMessage_2000_FSDD,
                      "Installing special message translator for Windows 2000 (full screen - direct draw)\n"};
    } else {
        if (IsWindowsXP())
            choice = {Win_TranslateMessage_XP_FSGDI,
                      "Installing special message translator for Windows XP (full screen - GDI)\n"};
        else if (IsWindows9x())
            choice = {Win_TranslateMessage_9x_FSGDI,
                      "Installing special message translator for Windows 9x (full screen - GDI)\n"};
        else if (IsWindows2000())
            choice = {Win_TranslateMessage_2000_FSGDI,
                      "Installing special message translator for Windows 2000 (full screen - GDI)\n"};
    }
    xTrace(choice.trace);
    S().translator = choice.translator;
}

// --- window procedures ---------------------------------------------------------------------------

intptr_t Win_MainEventProc(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    xEvent event = xPlatform_TemplateEvent();
    intptr_t result = 0;
    xPlatform_TraceMessage("Win_MainEventProc", msg, wParam, lParam);
    switch (msg) {
    case plat::WM_CREATE:
        S().lastActiveWindow = window;
        return 0;
    case plat::WM_DESTROY:
        if (FullScreen()) Link().RestoreDisplayMode();
        Link().Hide();
        RequestQuit();
        return 0;
    case plat::WM_NCCREATE:
        return 1;
    default:
        break;
    }
    int32_t handled = Win_TranslateMessage_Common(event, window, msg, wParam, lParam, &result);
    if (!handled) {
        handled = S().translator(event, window, msg, wParam, lParam, &result);
        if (handled && event.type == kEvAppSuspend) xTrace("suspend event from g_pWin_TranslateMessage\n");
    }
    if (!handled) result = Link().DefaultProc(window, msg, wParam, lParam);
    DispatchAppEvent(&event, 0);
    return result;
}

intptr_t Win_StageEventProc(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    xPlatform_TraceMessage("Win_StageEventProc", msg, wParam, lParam);
    switch (msg) {
    case plat::WM_NCCREATE:
        return 1;
    case plat::WM_CREATE:
        S().lastActiveWindow = window;
        return 0;
    case plat::WM_DESTROY:
        if (plat::Window* w = plat::desktop().Find(window)) w->Show(plat::SW_HIDE);
        RequestQuit();
        return 0;
    case plat::WM_SETCURSOR:
    case plat::WM_MOUSEMOVE:
        return 0;
    case plat::WM_NCACTIVATE:
        QueueEvent(wParam ? kEvAppResume : kEvAppSuspend);
        return 0;
    default:
        Link().DefaultProc(window, msg, wParam, lParam);
        return 0;
    }
}

intptr_t Win_DialogProc_Windowed(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return DialogProc(window, msg, wParam, lParam, DialogKind::Windowed);
}

intptr_t Win_DialogProc_FullScreen9x(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return DialogProc(window, msg, wParam, lParam, DialogKind::FullScreen9x);
}

intptr_t Win_DialogProc_FullScreen(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return DialogProc(window, msg, wParam, lParam, DialogKind::FullScreen);
}

plat::WindowProc xPlatform_ChooseDialogProc() {
    if (!FullScreen()) return Win_DialogProc_Windowed;
    return IsWindows9x() ? Win_DialogProc_FullScreen9x : Win_DialogProc_FullScreen;
}

void xPlatform_SetDialogPainter(xDialogPainter painter) { S().dialogPainter = painter; }

// --- covering windows and the system palette -----------------------------------------------------

int32_t IsStageWindowCovered(WindowId window) {
    std::vector<WindowId>& list = S().covering;
    list.clear();
    plat::Desktop& desktop = plat::desktop();
    for (WindowId id : desktop.TopLevelWindows()) {
        if (id == window || id == 0) continue;
        const plat::Window* w = desktop.Find(id);
        if (!w || !w->IsVisible() || w->IsChild()) continue;
        if ((w->Style() & (plat::WS_POPUP | plat::WS_BORDER | plat::WS_SYSMENU)) == 0) continue;
        if ((w->ExStyle() & plat::WS_EX_TOOLWINDOW) || w->Parent() != 0 || w->Title().empty()) continue;
        if (w->ClientRect().IsEmpty()) continue;
        if (std::find(list.begin(), list.end(), id) != list.end()) continue;
        if (int32_t(list.size()) >= CWindowProcState::kMaxCoveringWindows) break;
        list.push_back(id);
    }
    return int32_t(list.size());
}

void SystemPalette_Take() {
    CWindowProcState& s = S();
    if (DirectDraw()) {
        s.systemPaletteTaken = 1;
        return;
    }
    if (s.systemPaletteTaken) return;
    int32_t elements[CWindowProcState::kSystemColorCount];
    uint32_t colors[CWindowProcState::kSystemColorCount];
    for (int32_t i = 0; i < CWindowProcState::kSystemColorCount; ++i) {
        elements[i] = kTakenColors[i].element;
        colors[i] = kTakenColors[i].color;
        s.savedColors[i] = Link().GetSystemColor(elements[i]);
    }
    Link().SetSystemPaletteStatic(false);
    Link().SetSystemColors(CWindowProcState::kSystemColorCount, elements, colors);
    s.systemPaletteTaken = 1;
}

void SystemPalette_Restore() {
    CWindowProcState& s = S();
    if (s.systemPaletteTaken && !DirectDraw()) {
        int32_t elements[CWindowProcState::kSystemColorCount];
        for (int32_t i = 0; i < CWindowProcState::kSystemColorCount; ++i) elements[i] = kTakenColors[i].element;
        Link().SetSystemPaletteStatic(true);
        Link().SetSystemColors(CWindowProcState::kSystemColorCount, elements, s.savedColors);
    }
    s.systemPaletteTaken = 0;
}

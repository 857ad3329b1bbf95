#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Event.h"
#include "platform/Messages.h"

// The procedures of the engine's windows and the message translators. The application
// window's procedure first lets Win_TranslateMessage_Common turn input into an event, then the
// translator chosen at start-up by system version and display mode handles activation,
// minimising, restoring and display changes; the resulting event is delivered at once. While
// the engine's own modal box runs, one of three dialog procedures takes the place of the
// application window's procedure. Everything acts on the windows and the display through the
// main window's link (xPlatform_Link).

/// A message translator: fills the event (type 255 when none), may set the procedure's result,
/// and answers nonzero when it handled the message.
using xTranslator = int32_t (*)(xEvent& event, plat::WindowId window, uint32_t msg, uintptr_t wParam,
                                intptr_t lParam, intptr_t* result);

/// The default translator (NT 4, and whatever no other one is chosen for).
int32_t Win_TranslateMessage(xEvent& event, plat::WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam,
                             intptr_t* result);
/// Windowed mode on every system.
int32_t Win_TranslateMessage_Windowed(xEvent& event, plat::WindowId window, uint32_t msg, uintptr_t wParam,
                                      intptr_t lParam, intptr_t* result);
/// Full screen on XP, through DirectDraw and through GDI (the two behave the same).
int32_t Win_TranslateMessage_XP_FSDD(xEvent& event, plat::WindowId window, uint32_t msg, uintptr_t wParam,
                                     intptr_t lParam, intptr_t* result);
int32_t Win_TranslateMessage_XP_FSGDI(xEvent& event, plat::WindowId window, uint32_t msg, uintptr_t wParam,
                                      intptr_t lParam, intptr_t* result);
/// Full screen on 2000 (the two behave the same).
int32_t Win_TranslateMessage_2000_FSDD(xEvent& event, plat::WindowId window, uint32_t msg, uintptr_t wParam,
                                       intptr_t lParam, intptr_t* result);
int32_t Win_TranslateMessage_2000_FSGDI(xEvent& event, plat::WindowId window, uint32_t msg, uintptr_t wParam,
                                        intptr_t lParam, intptr_t* result);
/// Full screen on 9x; only the DirectDraw one handles display changes.
int32_t Win_TranslateMessage_9x_FSDD(xEvent& event, plat::WindowId window, uint32_t msg, uintptr_t wParam,
                                     intptr_t lParam, intptr_t* result);
int32_t Win_TranslateMessage_9x_FSGDI(xEvent& event, plat::WindowId window, uint32_t msg, uintptr_t wParam,
                                      intptr_t lParam, intptr_t* result);

/// The translator in use (the default one until a choice is made).
xTranslator xPlatform_GetTranslator();
void xPlatform_SetTranslator(xTranslator translator);
/// Chooses the translator by display mode and system version (XP, then 9x, then 2000, else
/// the default one) and traces the choice.
void xPlatform_ChooseTranslator();

/// The translators' traces: with VERBOSE above 2 the procedure's name with the main window
/// object, the message's name and its parameters; with VERBOSE above 1 the scan code (and the
/// key code) of a key, character or system key message.
void xPlatform_TraceMessage(const char* procedure, uint32_t msg, uintptr_t wParam, intptr_t lParam);
void xPlatform_TraceKey(uint32_t msg, uintptr_t wParam, intptr_t lParam);

/// The application window's procedure: window creation and destruction, then the common
/// translation, the translator and the default procedure; the event is delivered at once.
intptr_t Win_MainEventProc(plat::WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam);
/// The procedure of the black backdrop window of stage mode.
intptr_t Win_StageEventProc(plat::WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam);

/// The procedures that replace the application window's while the engine's modal box runs:
/// windowed, full screen on 9x, and full screen on other systems (which also marks a dialog
/// running).
intptr_t Win_DialogProc_Windowed(plat::WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam);
intptr_t Win_DialogProc_FullScreen9x(plat::WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam);
intptr_t Win_DialogProc_FullScreen(plat::WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam);
/// The dialog procedure for the current display mode and system.
plat::WindowProc xPlatform_ChooseDialogProc();
/// What the dialog procedures call to repaint the box (the modal box sets it while it runs).
using xDialogPainter = void (*)(plat::WindowId window);
void xPlatform_SetDialogPainter(xDialogPainter painter);

/// The number of other visible, captioned top-level windows (with a title, a client area, no
/// owner, not tool windows) that could cover the stage; at most kMaxCoveringWindows are kept.
int32_t IsStageWindowCovered(plat::WindowId window);

/// Saves the system colours and takes the whole system palette (8-bit modes, not DirectDraw).
void SystemPalette_Take();
/// Gives the system palette and the saved colours back.
void SystemPalette_Restore();

// The system version the engine runs on.
bool IsWindows9x();
bool IsWindows95();
bool IsWindowsNT();
bool IsWindowsNT4();
bool IsWindows2000();
bool IsWindowsXP();

// State flags shared by the procedures, the translators and the message pump.
uint32_t GetRestoreDeactivate();
/// Traces "Setting restore deactivate\n" when set.
void SetRestoreDeactivate(uint32_t on);
uint32_t GetEatNextRestore();
/// Traces "Setting eat next restore\n" when set.
void SetEatNextRestore(uint32_t on);
uint32_t GetWaitToRestoreDesktop();
/// Traces "Setting wait to restore desktop\n" when set.
void SetWaitToRestoreDesktop(uint32_t on);
uint32_t GetDisplayChangeInProgress();
void SetDisplayChangeInProgress(uint32_t on);
uint32_t GetRestoreInProgress();
void SetRestoreInProgress(uint32_t on);
uint32_t GetEatNextDeactivate();
void SetEatNextDeactivate(uint32_t on);
uint32_t GetDialogRunning();
void SetDialogRunning(uint32_t on);
/// The window the engine's boxes are owned by.
plat::WindowId GetLastActiveWindow();
void SetLastActiveWindow(plat::WindowId window);
/// Clears the Windows-key flag and sets the Ctrl and Alt flags as the keys are now.
void UpdateKeyFlags();

/// The state of the window procedures.
struct CWindowProcState {
    static constexpr int32_t kMaxCoveringWindows = 532;
    static constexpr int32_t kSystemColorCount = 19;

    uint32_t restoreDeactivate = 0;
    uint32_t eatNextRestore = 0;
    uint32_t waitToRestoreDesktop = 0;
    uint32_t displayChangeInProgress = 0;
    uint32_t restoreInProgress = 0;
    uint32_t eatNextDeactivate = 0;
    uint32_t dialogRunning = 0;
    plat::WindowId lastActiveWindow = 0;
    xTranslator translator = Win_TranslateMessage;
    xDialogPainter dialogPainter = nullptr;
    std::vector<plat::WindowId> covering;
    uint32_t systemPaletteTaken = 0;
    uint32_t savedColors[kSystemColorCount] = {};

    /// The record of the engine context.
    static CWindowProcState& Get();
};

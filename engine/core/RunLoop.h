#pragma once
#include <cstdint>
#include <string>

#include "engine/base/AppInstance.h"
#include "engine/base/Rect.h"
#include "engine/core/Event.h"
#include "engine/core/Timer.h"
#include "platform/Messages.h"

class OProcess;
class ONode;

// The run loop and its frame tick, the two walks that hand idle time and events to the
// processes under the main window, the message pump and the translation of window messages into
// events. Everything runs on the engine's one thread.

/// What the run loop asks of the main window and the window layer beyond the tree itself.
/// The main window installs it with xPlatform_SetMainWindow; each answer defaults to "no
/// window, nothing to do".
class CMainWindowLink {
public:
    virtual ~CMainWindowLink() = default;
    /// Full screen: the display surface is lost or the desktop no longer matches the stage.
    virtual bool IsDisplayUnavailable() { return false; }
    /// The application window is minimised.
    virtual bool IsMinimised() { return false; }
    /// The message translator is handling a restore.
    virtual bool IsRestoreInProgress() { return false; }
    /// Minimises the application window.
    virtual void Minimise() {}
    /// Restores the desktop's display mode; the display layer's result (0 success).
    virtual int32_t RestoreDisplayMode() { return 0; }
    /// Before the pump takes a message: restore the desktop's display mode when that is
    /// still waiting.
    virtual void ServiceWaitToRestoreDesktop() {}
    /// After the pump: bring the window back when a deactivation was blocked.
    virtual void ServiceRestoreDeactivate() {}
    /// The window's update rectangle (false when it has none); reading it validates it.
    virtual bool TakeUpdateRect(CRect16& /*rect*/) { return false; }
    /// Validates the window's update rectangle.
    virtual void ValidateUpdateRect() {}

    // What the window procedures and message translators do to the application window, the
    // display and the main window.

    /// Shows the application window minimised without activating it.
    virtual void MinimiseNoActivate() {}
    /// Restores the minimised application window.
    virtual void Restore() {}
    /// Shows the application window and activates it.
    virtual void Show() {}
    virtual void Hide() {}
    /// No window is the foreground or the active window any more.
    virtual void ClearForegroundAndActive() {}
    /// Makes the application window topmost at (0, 0) with the stage size and shows it.
    virtual void MakeTopmost() {}
    virtual void BringToForeground() {}
    /// Gives the application window the keyboard focus.
    virtual void Focus() {}
    /// Adds the whole client area of the application window to its update region.
    virtual void InvalidateWindow() {}
    /// Sets the display mode to the stage width and height and the display surface's depth.
    virtual void SetStageMode() {}
    /// Has the main window redraw the whole stage, and show it at once when asked.
    virtual void PostFullRedraw(bool /*present*/) {}
    /// Whether the display surface can be drawn to (a lost surface is restored on asking).
    virtual bool IsDisplayReady() { return true; }
    /// The default window procedure.
    virtual intptr_t DefaultProc(plat::WindowId /*window*/, uint32_t /*msg*/, uintptr_t /*wParam*/,
                                 intptr_t /*lParam*/) {
        return 0;
    }
    /// The colour of a system display element (GetSysColor).
    virtual uint32_t GetSystemColor(int32_t /*element*/) { return 0; }
    /// Sets the colours of system display elements (SetSysColors).
    virtual void SetSystemColors(int32_t /*count*/, const int32_t* /*elements*/, const uint32_t* /*colours*/) {}
    /// Lets the system keep its static palette colours, or gives every entry to the program.
    virtual void SetSystemPaletteStatic(bool /*keepStatic*/) {}
};

/// The installed link of the main window, or one that answers "no window, nothing to do".
CMainWindowLink& xPlatform_Link();

/// Runs frame ticks until a quit is requested; in full screen it first minimises and
/// suspends the application when the display became unavailable.
void VQXRun();
/// One frame: sleeps, frame counting, one queued event or one window message (the key presses
/// taken in the frame before over first: plat::Input::StartFrame), one step of a
/// pending activity switch, the OnIdle walk, and every 32 frames the deferred deletions.
/// Returns at once when a tick runs already, unless forced.
void FrameTick(int32_t force);
/// A reduced tick for code that waits inside a frame: one event or message and the deferred
/// deletions, no switch step, no OnIdle walk, no frame counting.
void PumpEventsOnce();
/// With fromQueue 0 delivers the given record at once (nothing for null or type 255) and
/// answers 1; with 1 delivers the oldest queued record, answering 0 when the ring is empty.
/// 0 without a main window.
int32_t DispatchAppEvent(const xEvent* event, int32_t fromQueue);
/// Delivers an event down the tree: a process's own handler before its children (events
/// first) or after them, children from the last to the first, only to children whose mask
/// shares a bit with the category (or when it has kEventForAll); a suspended child gets
/// application events only. 0 when a handler stopped the delivery.
int32_t DeliverEvent(OProcess* process, const xEvent& event);
/// Hands a frame's idle time to a process and its subtree: children from the last to the
/// first, the process itself after them (before them when idle-first); disabled and suspended
/// processes are skipped. 0 when an OnIdle of a childless or idle-first process answered 0.
int32_t IdleWalk(OProcess* process);
/// Takes and dispatches at most one window message; 1 when one was dispatched.
int32_t PumpMessage();
/// Sorts the node's child list and those of its direct children that are marked for it.
void ResortChildLists(ONode* node);
/// Installs the handler that the translator gives the input-method messages while the keyboard
/// layout has an input method (null: they are not handled).
void xPlatform_SetImeHandler(bool (*handler)(plat::WindowId, uint32_t, uintptr_t, intptr_t));
/// Turns a window message into an event record; nonzero when it handled the message.
int32_t Win_TranslateMessage_Common(xEvent& event, plat::WindowId window, uint32_t msg,
                                    uintptr_t wParam, intptr_t lParam, intptr_t* result);

void RequestQuit();
bool IsQuitRequested();
/// Ends the run because it cannot go on: the program's end tells why on standard error (and,
/// with `box`, in an error box) and the program ends with a failure. The first fault stays.
void RequestQuitForFault(const std::string& why, bool box);
/// Why the run ended early; empty after a run that ended normally.
const std::string& GetRunFault();
/// Whether that fault is shown in an error box as well.
bool IsRunFaultBoxed();
int32_t GetFramesPerSecond();
void SleepMs(uint32_t ms);

// Key flags shared with the message translators.
uint32_t GetAltKeyDown();
void SetAltKeyDown(uint32_t down);
uint32_t GetCtrlKeyDown();
void SetCtrlKeyDown(uint32_t down);
uint32_t GetWinKeyDown();
void SetWinKeyDown(uint32_t down);

/// The main window: the root of the tree, its application window and its link (any of them
/// may be null/0; a null window means none).
void xPlatform_SetMainWindow(OProcess* window, plat::WindowId appWindow, CMainWindowLink* link);
OProcess* xPlatform_GetMainWindow();
/// Whether the engine object exists; without it a tick only counts towards the deferred
/// deletions.
void xPlatform_SetEngineExists(bool exists);
/// Starts the frame-measuring timer (1000 ms) and the click timer (200 ms).
void xPlatform_StartTimers();
/// The record the pump fills for each message it takes; window procedures start from a copy.
const xEvent& xPlatform_TemplateEvent();

/// Frame timing and the run's control: the quit request, the tick under way, the frame count
/// and rate, and the count towards the next deferred deletions.
struct CFrameState {
    static constexpr int32_t kFrameMeasureMs = 1000;
    static constexpr int16_t kFlushEvery = 32;

    bool quit = false;
    std::string fault; ///< why the run could not go on
    bool faultBox = false;
    bool inTick = false;
    bool engineExists = false;
    int32_t frameCounter = 0;
    int32_t framesPerSecond = 0;
    CTimerRec frameTimer;
    int16_t deferredFlushCounter = 0;

    /// The record of the engine context.
    static CFrameState& Get();
};

/// What the translation of mouse messages remembers: the last position (the first move after
/// start only records it) and the click timer.
struct CMouseState {
    static constexpr int32_t kClickTimeMs = 200;

    int16_t lastMouseX = 0;
    int16_t lastMouseY = 0;
    bool skipNextMove = true;
    CTimerRec clickTimer;

    /// The record of the engine context.
    static CMouseState& Get();
};

/// The modifier keys the translators track (1 while down).
struct CKeyFlags {
    uint32_t altDown = 0;
    uint32_t ctrlDown = 0;
    uint32_t winDown = 0;

    /// The record of the engine context.
    static CKeyFlags& Get();
};

/// The main window of the run loop, its link, and the record the pump fills for each message.
struct CMainWindowState {
    OProcess* mainWindow = nullptr;
    CMainWindowLink* link = nullptr;
    xEvent templateEvent;
    /// The input-method handler of the media layer (installed at start-up).
    bool (*imeHandler)(plat::WindowId, uint32_t, uintptr_t, intptr_t) = nullptr;

    /// The record of the engine context.
    static CMainWindowState& Get();
};

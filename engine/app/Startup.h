#pragma once
#include <cstdint>
#include <string>

#include "platform/System.h"

struct MemErrorRecord;

// The program's life: the start-up order from the memory manager to the run loop, the
// platform's two start-up steps, and the ordered shutdown.

/// The game's four start-up hooks; the program's entry hands them to WinMain. A missing hook
/// counts as a failing one.
struct xAppHooks {
    /// Message tables, profile defaults and the game's INI file; false ends the start-up.
    bool (*VQAppPreInit)() = nullptr;
    /// Finds the part file; false ends the start-up.
    bool (*VQAppInit)() = nullptr;
    /// Makes the game object and requests the first activity; false skips the run.
    bool (*VQAppStart)() = nullptr;
    /// Destroys the game object.
    bool (*VQAppEnd)() = nullptr;
};

/// The whole life of the program: answers 2 when a run limit of the environment cannot be read
/// (saying so, before anything starts), -1 when a step up to the engine's start-up fails, 1 when
/// the engine's initialisation or the activity manager fails after it or the run could not go
/// on (GetRunFault, told on standard error and, when boxed, in an error box), else 0. The
/// engine's own shutdown runs before it returns once the engine object was made.
int32_t WinMain(uintptr_t instance, const xAppHooks& hooks);

/// Keyboard hook, processor features, "VQT.ini", the traces of the work folder and command
/// line, the language and the message tables; 1 to go on.
int32_t VQXPreInit();
/// Single instance, system version, memory, display depth and mode, the display module, the
/// timers and the message translator; 1 to go on, 0 to stop.
int32_t VQXInit();
/// The platform's part of the engine's shutdown.
void VQXShutdown();

/// HeldElsewhere when another instance runs: the single-instance lock is held elsewhere, or a
/// window of the application's or the stage's class exists. Failed, saying why, when no lock
/// could be taken safely (nothing then tells whether another instance runs). Otherwise Taken:
/// this process holds the lock from now on.
plat::InstanceLock CheckPreviousInstance();
/// What a copy that does not get the single-instance lock of `product` says as it ends (a
/// line); empty when the lock was taken.
std::string InstanceLockRefusal(const plat::InstanceLock& lock, const std::string& product);
/// With OPENPREVIOUSINSTANCE brings the running instance's window back (restores it when it is
/// minimised), else with WARNPREVIOUSINSTANCE shows MSG_PREVINSTANCE; 0 when that window cannot
/// be found (another process's windows never can).
int32_t HandlePreviousInstance();
/// The two window classes; true when both are registered.
bool RegisterWindowClasses();
/// The start-up's error box: the message of the id (with its one argument when given) in a
/// system-modal box titled "Error" with the error icon and an OK button.
void xStartup_ErrorBox(const char* id, const char* arg = nullptr);

// Actions and message kinds of the low-level keyboard hook.
inline constexpr int32_t HC_ACTION = 0;
inline constexpr uint32_t LLKHF_ALTDOWN = 0x20;
/// The low-level keyboard hook's decision: 1 swallows the key, 0 passes it on. It acts only
/// while the main window exists and is not minimised and WINDOWSKEYENABLED is clear: the
/// Windows keys are swallowed, and while a full-screen dialog runs also Alt+Tab, Alt+Escape and
/// Ctrl+Escape.
int32_t KeyboardHookProc(int32_t code, uint32_t msg, uint32_t virtualKey, uint32_t flags);

/// The state of the start-up.
struct CStartupState {
    using Handler = int (*)(MemErrorRecord*);
    /// The memory manager's error callback that the start-up installs: out of memory shows a
    /// box and fails the call; every other error shows its box and ends the program.
    static int MemErrorHandler(MemErrorRecord* record);

    Handler previousMemHandler = nullptr;
    MemErrorRecord* lastMemError = nullptr;
    bool keyboardHookInstalled = false;
    bool engineShutdownDue = false;

    /// The record of the engine context.
    static CStartupState& Get();
};

#include "engine/app/Startup.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/app/AppState.h"
#include "engine/app/Engine.h"
#include "engine/base/CycleTimer.h"
#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/DeferredDelete.h"
#include "engine/core/RunLimits.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "engine/core/WindowProcs.h"
#include "engine/data/IniFiles.h"
#include "engine/data/Memory.h"
#include "engine/data/MessageBox.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DirectX.h"
#include "engine/graphics/Print.h"
#include "engine/media/Application.h"
#include "engine/media/AssetWatcher.h"
#include "engine/media/InputMethod.h"
#include "engine/media/MemWatcher.h"
#include "engine/media/MouseProcess.h"
#include "engine/media/MouseWatcher.h"
#include "engine/media/SysFont.h"
#include "engine/media/VersionWatcher.h"
#include "platform/Platform.h"
#include "platform/posix/PathChecks.h"

namespace {

std::string Message(const char* id, const char* arg = nullptr) {
    const char* args[] = {arg};
    return xMessages_GetString(id, arg ? args : nullptr, arg ? 1 : 0);
}

/// A question in the error box (Yes/No); true for Yes.
bool Question(const std::string& text) { return xErrorBox(text.c_str()) == plat::mb::IdYes; }

std::string Number(int32_t value) { return std::to_string(value); }

/// Whether the processor has the multimedia extensions.
bool HasMmx() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("mmx");
#else
    return false;
#endif
}

/// The exit-time shutdown: the engine, then the global work buffers.
void EngineShutdownAtExit() {
    CStartupState& s = CStartupState::Get();
    if (!s.engineShutdownDue) return;
    s.engineShutdownDue = false;
    try {
        OVQEngine::Shutdown();
    } catch (...) {
        xTrace("********** Exception terminating and deleting engine\n");
    }
}

/// The statistics displays whose profile keys are set.
void StartWatchers() {
    const ProfileValues& keys = xProfiles_Values();
    if (keys.memStatsVisible) ShowMemWatcher();
    if (keys.mouseStatsVisible) CMouseWatcher::Create();
    if (keys.assetStatsVisible) CAssetWatcher::Create();
    if (keys.versionVisible) CVersionWatcher::Create();
}

/// Runs the exit-time shutdown when WinMain leaves, whichever way it leaves.
struct ShutdownAtExit {
    ~ShutdownAtExit() { EngineShutdownAtExit(); }
};

} // namespace

void xStartup_ErrorBox(const char* id, const char* arg) {
    const char* args[] = {arg};
    xErrorMessage(id, 0, arg ? args : nullptr, arg ? 1 : 0);
}

CStartupState& CStartupState::Get() { return xApp_State().startup; }

// --- the program's life ----------------------------------------------------------------------

int32_t WinMain(uintptr_t instance, const xAppHooks& hooks) {
    CStartupState& state = CStartupState::Get();
    // A run limit that cannot be read would let a scripted run go on for ever, and a variable
    // naming what cannot be used would fail the run late or not at all: nothing starts.
    if (const std::string faults = CRunLimits::Faults() + plat::VariableFaults(); !faults.empty()) {
        xTrace_Tell(faults);
        return 2;
    }
    CCycleTimer::Calibrate();
    // The memory manager gets a client and the engine's error handler.
    PoolAddClient();
    state.previousMemHandler = PoolSetErrorHandler(CStartupState::MemErrorHandler);
    // The instance handle and the names of the two window classes.
    SetAppInstance(instance);
    xProfiles_Set("VQTAPPCLASS", "VQTWindow");
    xProfiles_Set("VQTSTAGECLASS", "VQTStage");

    if (!VQXPreInit()) {
        xTrace("VQXPreInit() failed\n");
        return -1;
    }
    if (!hooks.VQAppPreInit || !hooks.VQAppPreInit()) {
        xTrace("VQAppPreInit() failed\n");
        return -1;
    }
    if (!VQXInit()) {
        xTrace("VQXInit() failed\n");
        return -1;
    }
    // The last picture's file is tried only now that this copy holds its folder.
    if (const std::string fault = CRunLimits::PictureCannotBeMade(); !fault.empty()) {
        xTrace_Tell(fault);
        return 2;
    }
    if (!hooks.VQAppInit || !hooks.VQAppInit()) {
        xTrace("VQAppInit() failed\n");
        return -1;
    }
    if (!OVQEngine::Startup()) {
        xTrace("OVQEngine::Startup() failed\n");
        return -1;
    }
    // From here on the engine's shutdown runs when the program ends.
    state.engineShutdownDue = true;
    ShutdownAtExit atExit;

    // A failure from here on still runs the engine's shutdown, and the exit code tells a
    // launcher that the program did not run.
    if (!OVQEngine::Instance()->Init(instance)) {
        xTrace("engine failed to initialise\n");
        return 1;
    }
    if (!CreateActivityManager()) return 1;

    try {
        if (hooks.VQAppStart && hooks.VQAppStart()) {
            uint32_t start = 0;
            xProfiles_GetULong("STARTACTIVITY", &start);
            if (start != 0) {
                OActivityManager* manager = GetActivityManager();
                CPartFile* file = manager ? manager->GetPartFile() : nullptr;
                const uint8_t index = file ? file->FindDataIndex(Tag4("actv")) : 0;
                const ChunkId id = MakeChunkId(index, uint16_t(start));
                // The game has asked for its first activity already and no frame has run: the
                // profile's choice takes the place of that request.
                if (manager && !manager->ReplacePendingRequest(id)) manager->RequestActivity(id);
            }
            StartWatchers();
            VQXRun();
        }
    } catch (const char* text) {
        xTracef("********** Exception : \"%s\"\n", text);
    } catch (...) {
        xTrace("********** Unhandled Run-time exception\n");
    }
    // A run that could not go on says why, in a box too when its user should see one there.
    const std::string fault = GetRunFault();
    if (!fault.empty()) {
        xTrace_Tell(fault + "\n");
        if (IsRunFaultBoxed()) xMessageBox(fault.c_str(), "Error", 0);
    }

    // The ordered shutdown.
    DestroyActivityManager();
    CAssetWatcher::Destroy();
    HideMemWatcher();
    CMouseWatcher::Destroy();
    CVersionWatcher::Destroy();
    OApplication* app = OApplication::Get();
    if (OMouseProcess* mouse = app ? app->GetMouseProcess() : nullptr) {
        // Out of the window's tree the pointer view has no owner left: it goes with the
        // deferred deletions, which forget it should anything delete it first.
        OView* pointer = mouse->GetCursorView();
        mouse->ClearCursorView(0);
        if (pointer) AddDeferredDelete(pointer);
    }
    if (hooks.VQAppEnd) hooks.VQAppEnd();
    if (OWindow* window = OVQEngine::Instance()->GetMainWindow()) window->DestroyChildren();
    return fault.empty() ? 0 : 1;
}

// --- the platform's start-up ---------------------------------------------------------------------

int32_t VQXPreInit() {
    CStartupState& state = CStartupState::Get();
    // The low-level keyboard hook on the NT family.
    if (IsWindowsNT()) {
        plat::messages().SetKeyboardHook(KeyboardHookProc);
        state.keyboardHookInstalled = true;
    }
    // Processor features before "VQT.ini", so the file can override them.
    xProfiles_Set("MMXAVAILABLE", sLong(HasMmx() ? 1 : 0));
    if (xProfiles_LoadIniFile("VQT.ini", "VQT", -1)) xTrace("*** VQT.INI profiles loaded\n");
    // The working folder and the command line to the trace.
    std::string folder = plat::system().WorkingFolder();
    if (folder.size() > 1023) folder.resize(1023);
    xTracef("*** Work directory : %s\n", folder.c_str());
    xTracef("*** Command Line   : %s\n", plat::system().CommandLine().c_str());
    xTrace("\n");
    // Language and messages.
    xLanguage_Init();
    xPlatform_SetImeHandler(xIME_HandleMessage);
    SetDefaultSysFont(1);
    xMessages_Init();
    xMessages_AddTable(xMessages_MemoryErrorTable());
    xMessages_AddTable(xMessages_EngineErrorTable());
    return 1;
}

namespace {

/// The running instance's window: of the class named by the text of VQTAPPNAME, else of the
/// stage class; 0 when there is none.
plat::WindowId FindPreviousInstanceWindow() {
    char appName[256] = {};
    char stageClass[256] = {};
    xProfiles_GetString("VQTAPPNAME", appName);
    xProfiles_GetString("VQTSTAGECLASS", stageClass);
    if (plat::WindowId found = appName[0] ? plat::desktop().FindWindow(appName, "") : 0) return found;
    return stageClass[0] ? plat::desktop().FindWindow(stageClass, "") : 0;
}

} // namespace

plat::InstanceLock CheckPreviousInstance() {
    plat::InstanceLock lock = plat::system().CreateInstanceMutex(Message("MSG_PRODUCTNAME"));
    if (lock.state == plat::InstanceLock::State::Taken && FindPreviousInstanceWindow() != 0)
        lock.state = plat::InstanceLock::State::HeldElsewhere;
    return lock;
}

std::string InstanceLockRefusal(const plat::InstanceLock& lock, const std::string& product) {
    switch (lock.state) {
    case plat::InstanceLock::State::Taken:
        return {};
    case plat::InstanceLock::State::Failed:
    case plat::InstanceLock::State::HandOverRefused:
        return product + " cannot take its single-instance lock (" + lock.why +
               "), so it cannot make sure it is the only copy running for this user; this copy ends.\n";
    case plat::InstanceLock::State::HeldElsewhere:
        break;
    }
    return product + " is already running for this user (its lock " + plat::system().LockPath(product) +
           " is held, or its window is open); this copy ends.\n";
}

int32_t HandlePreviousInstance() {
    const bool warn = xProfiles_Flag("WARNPREVIOUSINSTANCE");
    const bool open = xProfiles_Flag("OPENPREVIOUSINSTANCE");
    const plat::WindowId previous = FindPreviousInstanceWindow();
    plat::Window* window = previous ? plat::desktop().Find(previous) : nullptr;
    if (!window) return 0;
    if (open) {
        if (window->IsMinimized()) window->Show(plat::SW_RESTORE);
        else plat::desktop().SetActive(previous);
    } else if (warn) {
        xStartup_ErrorBox("MSG_PREVINSTANCE");
    }
    return 1;
}

int32_t VQXInit() {
    ProfileValues& v = xProfiles_Values();
    const ProfileStore& store = xProfiles_Store();
    // One instance at a time; the one that leaves says why where its user sees it. Without a
    // safe lock two copies could run at once and both write the save file: none starts.
    const plat::InstanceLock lock = CheckPreviousInstance();
    if (const std::string why = InstanceLockRefusal(lock, Message("MSG_PRODUCTNAME")); !why.empty()) {
        std::fputs(why.c_str(), stderr);
        xTrace(why.c_str());
        if (lock.state == plat::InstanceLock::State::HeldElsewhere) HandlePreviousInstance();
        return 0;
    }
    // The system version.
    const plat::VersionInfo version = plat::system().Version();
    if (version.platformId == 0) { // the 16-bit system with its 32-bit extension
        xStartup_ErrorBox("VQT_ERR_NOWIN32S");
        return 0;
    }
    if (version.platformId == 1 && version.major < 4) {
        xStartup_ErrorBox("VQT_ERR_OLDOS");
        return 0;
    }
    // Memory.
    const plat::MemoryStatus memory = plat::system().Memory();
    if (memory.totalPageFile == 0 || memory.availPageFile == 0) {
        xStartup_ErrorBox("MSG_NOVIRTUALMEMORY");
        return 0;
    }
    // Full screen and the display module.
    const int32_t width = store.stageWidth;
    const int32_t height = store.stageHeight;
    if (v.dxDesired || v.fullScreen) {
        if (plat::desktop().BitsPerPixel() < 8) {
            xStartup_ErrorBox("MSG_MINDISPDEPTH", Number(v.minDispDepth).c_str());
            return 0;
        }
        if (DirectX_Init()) {
            if (!DirectX_CheckVideoMode(width, height, v.minDispDepth)) {
                DirectX_Shutdown();
                char mode[64];
                std::snprintf(mode, sizeof mode, "%d x %d x %d bit", int(width), int(height), int(v.minDispDepth));
                xStartup_ErrorBox("MSG_NOVIDEOMODE", mode);
                return 0;
            }
            if (!GDI_SetDisplayMode(width, height, v.minDispDepth, 0xFFFF)) {
                DirectX_Shutdown();
                if (!Question(Message("MSG_SWITCHREBOOT"))) return 0;
                xProfiles_Set("FULLSCREEN", sLong(0));
                xProfiles_Set("DIRECTDRAW", sLong(0));
                xProfiles_Set("STAGE", sLong(1));
            }
        } else {
            xProfiles_Set("DIRECTDRAW", sLong(0));
            boolean show = 0;
            VQT_ASSERT(xProfiles_GetBoolean("SHOWDXINITERROR", &show));
            if (show && !v.dxRequired && !Question(Message("MSG_NODIRECTX") + Message("MSG_CONTINUE"))) return 0;
        }
    }
    // Without the display module: the desktop must hold the stage.
    if (!DirectX_IsAvailable()) {
        if (plat::desktop().BitsPerPixel() < v.minDispDepth) {
            xStartup_ErrorBox("MSG_MINDISPDEPTH", Number(v.minDispDepth).c_str());
            return 0;
        }
        const plat::WinRect desk = plat::desktop().Rect();
        if (desk.Width() < width || desk.Height() < height) {
            char size[48];
            std::snprintf(size, sizeof size, "%d x %d", int(width), int(height));
            xStartup_ErrorBox("MSG_MINDISPSIZE", size);
            return 0;
        }
    }
    // The printer.
    if (!xPrint_HasDefaultPrinter() && xProfiles_Flag("SHOWPRINTERINITERROR") && !Question(Message("MSG_NOPRINTER")))
        return 0;
    // The frame and click timers, and the message translator for this system.
    xPlatform_StartTimers();
    xPlatform_ChooseTranslator();
    // Under DirectDraw on the 95 family the system cursor is hidden.
    if (IsWindows95() && xProfiles_Flag("DIRECTDRAW")) plat::input().ShowCursor(false);
    return 1;
}

void VQXShutdown() {
    CStartupState& state = CStartupState::Get();
    // The system cursor shows again as often as it was hidden.
    for (int32_t count = plat::input().ShowCursor(false); count < 0;) count = plat::input().ShowCursor(true);
    if (state.keyboardHookInstalled) {
        plat::messages().SetKeyboardHook(nullptr);
        state.keyboardHookInstalled = false;
    }
    DeleteAllDeferred();
}

bool RegisterWindowClasses() {
    boolean custom = 0;
    VQT_ASSERT(xProfiles_GetBoolean("CUSTOMCURSOR", &custom));
    char windowName[256] = {};
    char stageName[256] = {};
    VQT_ASSERT(xProfiles_GetString("VQTAPPCLASS", windowName));
    VQT_ASSERT(xProfiles_GetString("VQTSTAGECLASS", stageName));
    // The desktop makes windows of any class name; the procedures are given to each window.
    OWindow::SetEventProcs(Win_MainEventProc, Win_StageEventProc);
    return windowName[0] != 0 && stageName[0] != 0;
}

int32_t KeyboardHookProc(int32_t code, uint32_t msg, uint32_t virtualKey, uint32_t flags) {
    const bool keyMessage = msg == plat::WM_KEYDOWN || msg == plat::WM_KEYUP || msg == plat::WM_SYSKEYDOWN ||
                            msg == plat::WM_SYSKEYUP;
    OWindow* window = OVQEngine::Instance() ? OVQEngine::Instance()->GetMainWindow() : nullptr;
    const plat::Window* appWindow = window ? plat::desktop().Find(window->GetWindowId()) : nullptr;
    if (!appWindow || appWindow->IsMinimized() || code != HC_ACTION || !keyMessage ||
        xProfiles_Values().windowsKeyEnabled)
        return 0;
    if (virtualKey == uint32_t(plat::VK_LWIN) || virtualKey == uint32_t(plat::VK_RWIN)) return 1;
    if (GetDialogRunning() && xProfiles_Values().fullScreen) {
        const bool alt = (flags & LLKHF_ALTDOWN) != 0;
        const bool ctrl = plat::input().AsyncKeyState(plat::VK_CONTROL) < 0;
        if (virtualKey == 0x09 && alt) return 1;
        if (virtualKey == 0x1B && (alt || ctrl)) return 1;
    }
    return 0;
}

int CStartupState::MemErrorHandler(MemErrorRecord* record) {
    const int code = record ? record->code : 0;
    const char* id = "BRERR_UNKNOWN";
    switch (code) {
    case MEM_OUT_OF_MEMORY:
        xStartup_ErrorBox("MSG_NOMEMORY");
        CStartupState::Get().lastMemError = record;
        return 0;
    case 3: id = "BRERR_BIGBLOCK"; break;
    case 4: id = "BRERR_ZEROALLOC"; break;
    case 5: id = "BRERR_REALLOCFAILED"; break;
    case 6: id = "BRERR_LOCKERROR"; break;
    case 7: id = "BRERR_CEILING"; break;
    default: break;
    }
    xStartup_ErrorBox(id);
    std::abort();
}

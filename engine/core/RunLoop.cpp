#include "engine/core/RunLoop.h"

#include "engine/base/Trace.h"
#include "engine/core/ActivityHooks.h"
#include "engine/core/CoreState.h"
#include "engine/core/DeferredDelete.h"
#include "engine/core/Process.h"
#include "engine/core/RunLimits.h"
#include "engine/core/WindowProcs.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DirtyRects.h"
#include "platform/Platform.h"

namespace {

CMainWindowLink& Link() { return xPlatform_Link(); }

void CountDeferredFlush() {
    CFrameState& s = CFrameState::Get();
    if (++s.deferredFlushCounter >= CFrameState::kFlushEvery) {
        s.deferredFlushCounter = 0;
        FlushDeferredDeletes();
    }
}

xEvent MakeEvent(uint32_t category, uint32_t type) {
    xEvent event;
    event.category = category;
    event.type = type;
    return event;
}

bool IsKeyDownNow(int32_t virtualKey) { return plat::input().AsyncKeyState(virtualKey) < 0; }

/// The one event or window message of a frame. The keys pressed in the frame before are over
/// first: a press latched with its key-down reads as down to every poll of its key until the
/// next frame takes its own event or message.
void TakeFrameInput() {
    plat::input().StartFrame();
    if (DispatchAppEvent(nullptr, 1) == 0) PumpMessage();
}

bool IsWindowsKey(uintptr_t key) { return key == uintptr_t(plat::VK_LWIN) || key == uintptr_t(plat::VK_RWIN); }

} // namespace

CFrameState& CFrameState::Get() { return xCore_State().frame; }
CMouseState& CMouseState::Get() { return xCore_State().mouse; }
CKeyFlags& CKeyFlags::Get() { return xCore_State().keys; }
CMainWindowState& CMainWindowState::Get() { return xCore_State().mainWindow; }

CMainWindowLink& xPlatform_Link() {
    static CMainWindowLink none;
    CMainWindowLink* link = CMainWindowState::Get().link;
    return link ? *link : none;
}

void xPlatform_SetMainWindow(OProcess* window, plat::WindowId appWindow, CMainWindowLink* link) {
    CMainWindowState& s = CMainWindowState::Get();
    s.mainWindow = window;
    CAppInstance::Get().appWindow = appWindow;
    s.link = link;
}

OProcess* xPlatform_GetMainWindow() { return CMainWindowState::Get().mainWindow; }
void xPlatform_SetEngineExists(bool exists) { CFrameState::Get().engineExists = exists; }

void xPlatform_StartTimers() {
    CFrameState::Get().frameTimer.Start(CFrameState::kFrameMeasureMs);
    CMouseState::Get().clickTimer.Start(CMouseState::kClickTimeMs);
}

const xEvent& xPlatform_TemplateEvent() { return CMainWindowState::Get().templateEvent; }

void RequestQuit() { CFrameState::Get().quit = true; }
bool IsQuitRequested() { return CFrameState::Get().quit; }
void RequestQuitForFault(const std::string& why, bool box) {
    CFrameState& s = CFrameState::Get();
    if (s.fault.empty()) {
        s.fault = why;
        s.faultBox = box;
    }
    s.quit = true;
}
const std::string& GetRunFault() { return CFrameState::Get().fault; }
bool IsRunFaultBoxed() { return CFrameState::Get().faultBox; }
int32_t GetFramesPerSecond() { return CFrameState::Get().framesPerSecond; }
void SleepMs(uint32_t ms) { plat::clock().Sleep(ms); }

uint32_t GetAltKeyDown() { return CKeyFlags::Get().altDown; }
void SetAltKeyDown(uint32_t down) { CKeyFlags::Get().altDown = down; }
uint32_t GetCtrlKeyDown() { return CKeyFlags::Get().ctrlDown; }
void SetCtrlKeyDown(uint32_t down) { CKeyFlags::Get().ctrlDown = down; }
uint32_t GetWinKeyDown() { return CKeyFlags::Get().winDown; }
void SetWinKeyDown(uint32_t down) { CKeyFlags::Get().winDown = down; }

void VQXRun() {
    CFrameState& s = CFrameState::Get();
    const ProfileValues& profile = xProfiles_Values();
    const CRunLimits limits = CRunLimits::FromEnvironment();
    const uint32_t startTick = plat::clock().TickCount();
    uint32_t ticks = 0;
    while (!s.quit) {
        if (profile.fullScreen) {
            CMainWindowLink& link = Link();
            if (link.IsDisplayUnavailable() && !link.IsMinimised() && !link.IsRestoreInProgress()) {
                xTrace("Suspend from VQXRun\n");
                link.Minimise();
                const xEvent suspend = MakeEvent(kEventApplication, kEvAppSuspend);
                DispatchAppEvent(&suspend, 0);
            }
        }
        FrameTick(0);
        if (limits.Reached(++ticks, plat::clock().TickCount() - startTick)) RequestQuit();
    }
    s.frameTimer.Stop();
    if (!limits.screenshot.empty() && !xPlatform_SaveWindowPicture(limits.screenshot))
        RequestQuitForFault("the last picture could not be written to VQT_SCREENSHOT=\"" + limits.screenshot + "\"", false);
}

void FrameTick(int32_t force) {
    CFrameState& s = CFrameState::Get();
    OProcess*& mainWindow = CMainWindowState::Get().mainWindow;
    if (s.inTick && force == 0) return;
    // A forced tick inside a running one must leave the outer tick guarded when it ends.
    const bool outerTick = s.inTick;
    s.inTick = true;

    if (xProfiles_Values().systemIdle) SleepMs(1);
    if (s.engineExists) {
        if (mainWindow && mainWindow->IsAppSuspended()) SleepMs(10);
        if (s.frameTimer.HasElapsed()) {
            s.framesPerSecond = s.frameCounter;
            s.frameCounter = 0;
            s.frameTimer.Restart();
        }
        ++s.frameCounter;
        TakeFrameInput();
        if (!s.quit && mainWindow) {
            CActivityHooks* hooks = xPlatform_GetActivityHooks();
            if (hooks && hooks->IsSwitchPending() && mainWindow->IsEnabled()) hooks->StepSwitch();
            if (mainWindow) IdleWalk(mainWindow);
        }
    }
    CountDeferredFlush();
    s.inTick = outerTick;
}

void PumpEventsOnce() {
    if (xProfiles_Values().systemIdle) SleepMs(1);
    if (CFrameState::Get().engineExists) TakeFrameInput();
    CountDeferredFlush();
}

int32_t DispatchAppEvent(const xEvent* event, int32_t fromQueue) {
    OProcess* window = CMainWindowState::Get().mainWindow;
    if (!window) return 0;
    if (fromQueue == 0) {
        if (event && event->type != kEvNone) DeliverEvent(window, *event);
        return 1;
    }
    CEventRing& ring = CEventRing::Get();
    const xEvent* oldest = ring.Oldest();
    if (!oldest) return 0;
    // The record stays waiting while it is delivered, so a repeat queued meanwhile coalesces.
    const xEvent record = *oldest;
    if (record.type != kEvNone) {
        if (record.type == kEvAppSuspend) xTrace("suspend event from DispatchAppEvent\n");
        DeliverEvent(window, record);
    }
    ring.PopOldest();
    return 1;
}

int32_t DeliverEvent(OProcess* process, const xEvent& event) {
    if (!process->AcceptsEvents()) return 1;
    if (process->IsSuspended() && (event.category & (kEventApplication | kEventPaint)) == 0) return 1;
    if (process->IsEventsFirst() && process->HandleEvent(event) == 0) return 0;
    for (int32_t i = process->ChildCount() - 1; i >= 0; --i) {
        if (i >= process->ChildCount()) continue; // a handler took children out meanwhile
        OProcess* child = process->ChildAt(i)->AsProcess();
        if (!child) continue;
        if (child->IsSuspended() && (event.category & kEventApplication) == 0) continue;
        if (!child->AcceptsEvents()) continue;
        if ((child->GetEventMask() & event.category) == 0 && (event.category & kEventForAll) == 0) continue;
        if (DeliverEvent(child, event) == 0) return 0;
    }
    if (process->IsEventsFirst()) return 1;
    return process->HandleEvent(event);
}

int32_t IdleWalk(OProcess* process) {
    if (!process->IsEnabled() || process->IsSuspended()) return 1;
    if (process->IsIdleFirst() && process->OnIdle() == 0) return 0;
    for (int32_t i = process->ChildCount() - 1; i >= 0; --i) {
        if (i >= process->ChildCount()) continue; // an OnIdle took children out meanwhile
        OProcess* child = process->ChildAt(i)->AsProcess();
        if (!child || !child->IsEnabled() || child->IsSuspended()) continue;
        const int32_t result = child->ChildCount() == 0 ? child->OnIdle() : IdleWalk(child);
        if (result == 0) return 0;
    }
    if (!process->IsIdleFirst() && process->IsEnabled()) process->OnIdle();
    return 1;
}

int32_t PumpMessage() {
    CMainWindowState& s = CMainWindowState::Get();
    if (s.mainWindow && s.mainWindow->IsAppSuspended()) SleepMs(100);
    Link().ServiceWaitToRestoreDesktop();
    plat::WinMsg msg;
    const bool got = plat::messages().Peek(msg, true);
    if (got) {
        xEvent& t = s.templateEvent;
        t = xEvent{};
        const plat::WinPoint client = plat::input().ScreenToClient(msg.window, msg.pt);
        t.cursor = CPoint16(int16_t(client.x), int16_t(client.y));
        t.time = uint32_t(uint64_t(msg.time) * 60 / 1000);
        plat::messages().Translate(msg);
        plat::messages().Dispatch(msg);
    }
    Link().ServiceRestoreDeactivate();
    return got ? 1 : 0;
}

void ResortChildLists(ONode* node) {
    if (node->ChildCount() < 2) return;
    if (node->SortsGrandchildren()) {
        for (int32_t i = 0; i < node->ChildCount(); ++i) {
            ONode* child = node->ChildAt(i);
            if (child->NeedsResort() && child->ChildCount() >= 2) child->SortChildren();
        }
    }
    if (node->NeedsResort()) node->SortChildren();
}

void xPlatform_SetImeHandler(bool (*handler)(plat::WindowId, uint32_t, uintptr_t, intptr_t)) {
    CMainWindowState::Get().imeHandler = handler;
}

int32_t Win_TranslateMessage_Common(xEvent& event, plat::WindowId window, uint32_t msg,
                                    uintptr_t wParam, intptr_t lParam, intptr_t* /*result*/) {
    using namespace plat;
    const OProcess* mainWindow = CMainWindowState::Get().mainWindow;
    const plat::WindowId appWindow = CAppInstance::Get().appWindow;
    CMouseState& mouse = CMouseState::Get();
    CKeyFlags& keys = CKeyFlags::Get();
    const ProfileValues& profile = xProfiles_Values();
    xPlatform_TraceMessage("Win_TranslateMessage_Common", msg, wParam, lParam);
    event.StartTranslation(wParam, lParam);
    if (mainWindow && window != appWindow) return 0;

    const bool rightAllowed = profile.allowRightClick != 0;
    auto make = [&](uint32_t category, uint32_t type) {
        event.category = category;
        event.type = type;
        return 1;
    };

    switch (msg) {
    case WM_MOUSEMOVE: {
        const WinPoint client = input().ScreenToClient(mainWindow ? appWindow : window, input().CursorPos());
        const int16_t x = int16_t(client.x);
        const int16_t y = int16_t(client.y);
        if (mouse.skipNextMove) {
            mouse.skipNextMove = false;
            mouse.lastMouseX = x;
            mouse.lastMouseY = y;
            return 0;
        }
        int32_t handled = 0;
        if (x != mouse.lastMouseX || y != mouse.lastMouseY) handled = make(kEventMouse, kEvMouseMove);
        mouse.lastMouseX = x;
        mouse.lastMouseY = y;
        return handled;
    }
    case WM_RBUTTONDOWN:
        if (!rightAllowed) return 0;
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        mouse.clickTimer.Restart();
        return make(kEventMouse, kEvButtonDown);
    case WM_RBUTTONUP:
        if (!rightAllowed) return 0;
        [[fallthrough]];
    case WM_LBUTTONUP:
        if (mouse.clickTimer.HasElapsed()) return make(kEventMouse, kEvButtonUp);
        make(kEventMouse, kEvClick);
        {
            // The click goes out now, the button up in a later frame.
            xEvent up = event;
            up.category = kEventMouse;
            up.type = kEvButtonUp;
            CreateEvent(up);
        }
        return 1;
    case WM_RBUTTONDBLCLK:
        if (!rightAllowed) return 0;
        [[fallthrough]];
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        return make(kEventMouse, kEvDoubleClick);
    case WM_KEYDOWN:
        xPlatform_TraceKey(msg, wParam, lParam);
        if (wParam == uintptr_t(VK_CONTROL)) keys.ctrlDown = 1;
        if (IsWindowsKey(wParam)) {
            keys.winDown = 1;
            return 0;
        }
        return make(kEventKeyboard, kEvKeyDown);
    case WM_KEYUP: {
        xPlatform_TraceKey(msg, wParam, lParam);
        if (wParam == uintptr_t(VK_CONTROL)) keys.ctrlDown = 0;
        if (wParam == uintptr_t(VK_DELETE) && IsWindowsXP() && profile.fullScreen &&
            profile.ctrlAltDelEnabled && (keys.ctrlDown || IsKeyDownNow(VK_CONTROL)) &&
            (keys.altDown || IsKeyDownNow(VK_MENU))) {
            if (!profile.directDraw) Link().Minimise();
            Link().RestoreDisplayMode();
        }
        if (IsWindowsKey(wParam)) return 0;
        return make(kEventKeyboard, kEvKeyUp);
    }
    case WM_CHAR:
        xPlatform_TraceKey(msg, wParam, lParam);
        if ((wParam & 0xFF) < 32) return 0;
        event.param1 = wParam & 0xFF;
        return make(kEventKeyboard, kEvChar);
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
        const bool down = msg == WM_SYSKEYDOWN;
        xPlatform_TraceKey(msg, wParam, lParam);
        if (wParam == uintptr_t(VK_CONTROL)) keys.ctrlDown = down ? 1 : 0;
        if (wParam == uintptr_t(VK_MENU)) keys.altDown = down ? 1 : 0;
        return 0;
    }
    case WM_PAINT:
        if (!profile.directDraw && profile.dirtyRects) {
            CRect16 update;
            if (Link().TakeUpdateRect(update) && !update.IsEmpty()) {
                xDirtyRects_Add(update);
                make(kEventPaint, kEvPaint);
                Link().ValidateUpdateRect();
            }
            return 1;
        }
        Link().ValidateUpdateRect();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case 0x010D: // the input-method messages: start, end and composition,
    case 0x010E:
    case 0x010F:
    case 0x0281: // set context, notify and character
    case 0x0282:
    case 0x0286: {
        const auto handler = CMainWindowState::Get().imeHandler;
        return xLanguage_HasIME() && handler && handler(window, msg, wParam, lParam) ? 1 : 0;
    }
    case WM_SYSCOMMAND: {
        const bool fullScreen = profile.fullScreen != 0;
        switch (wParam & 0xFFF0) {
        case SC_MOUSEMENU:
            return fullScreen && !Link().IsMinimised() ? 1 : 0;
        case SC_KEYMENU:
            return fullScreen ? 1 : 0;
        case SC_SCREENSAVE:
            if (!fullScreen || Link().IsMinimised()) return 0;
            xTrace("Screen saver activation blocked\n");
            return 1;
        case SC_MONITORPOWER:
            xTrace("Power management - monitor power down request detected\n");
            return 0;
        default:
            return 0;
        }
    }
    default:
        return 0;
    }
}

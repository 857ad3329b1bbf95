#include "engine/core/AppWindowLink.h"

#include "engine/base/Trace.h"
#include "engine/core/WindowProcs.h"
#include "engine/data/Profiles.h"
#include "platform/Platform.h"

plat::Window* CAppWindowLink::AppWindow() {
    const plat::WindowId id = xPlatform_GetAppWindow();
    return id ? plat::desktop().Find(id) : nullptr;
}

bool CAppWindowLink::IsMinimised() {
    plat::Window* w = AppWindow();
    return w && w->IsMinimized();
}

bool CAppWindowLink::IsRestoreInProgress() { return GetRestoreInProgress() != 0; }

void CAppWindowLink::Minimise() {
    if (plat::Window* w = AppWindow()) w->Show(plat::SW_MINIMIZE);
}

void CAppWindowLink::MinimiseNoActivate() {
    if (plat::Window* w = AppWindow()) w->Show(plat::SW_SHOWMINNOACTIVE);
}

void CAppWindowLink::Restore() {
    if (plat::Window* w = AppWindow()) w->Show(plat::SW_RESTORE);
}

void CAppWindowLink::Show() {
    if (plat::Window* w = AppWindow()) w->Show(plat::SW_SHOW);
}

void CAppWindowLink::Hide() {
    if (plat::Window* w = AppWindow()) w->Show(plat::SW_HIDE);
}

void CAppWindowLink::ClearForegroundAndActive() {
    if (plat::desktop().Active() != 0) plat::desktop().Deactivate();
}

void CAppWindowLink::MakeTopmost() {
    plat::Window* w = AppWindow();
    if (!w) return;
    const ProfileStore& store = xProfiles_Store();
    w->SetPos(plat::HWND_TOPMOST, 0, 0, store.stageWidth, store.stageHeight, plat::SWP_SHOWWINDOW);
}

void CAppWindowLink::BringToForeground() {
    if (AppWindow()) plat::desktop().SetActive(xPlatform_GetAppWindow());
}

void CAppWindowLink::Focus() {
    if (AppWindow()) plat::desktop().SetFocus(xPlatform_GetAppWindow());
}

void CAppWindowLink::InvalidateWindow() {
    if (plat::Window* w = AppWindow()) w->Invalidate(nullptr);
}

bool CAppWindowLink::TakeUpdateRect(CRect16& rect) {
    plat::Window* w = AppWindow();
    plat::WinRect update;
    if (!w || !w->GetUpdateRect(update)) return false;
    rect = CRect16(int16_t(update.left), int16_t(update.top), int16_t(update.right), int16_t(update.bottom));
    return true;
}

void CAppWindowLink::ValidateUpdateRect() {
    if (plat::Window* w = AppWindow()) w->Validate();
}

intptr_t CAppWindowLink::DefaultProc(plat::WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return plat::desktop().DefWindowProc(window, msg, wParam, lParam);
}

void CAppWindowLink::ServiceWaitToRestoreDesktop() {
    if (GetWaitToRestoreDesktop() && RestoreDisplayMode() == 0) SetWaitToRestoreDesktop(0);
}

void CAppWindowLink::ServiceRestoreDeactivate() {
    if (!GetRestoreDeactivate()) return;
    xTrace("Restore deactivate\n");
    if (xProfiles_Flag("FULLSCREEN")) {
        MakeTopmost();
        BringToForeground();
        SetLastActiveWindow(xPlatform_GetAppWindow());
    }
    SetRestoreDeactivate(0);
    UpdateKeyFlags();
    PostFullRedraw(true);
}

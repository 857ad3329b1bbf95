#pragma once
#include "engine/core/RunLoop.h"

namespace plat {
class Window;
}

/// The main window's link acting on the application window through the platform's desktop:
/// show states, activation, focus, z-order and the update region; the message pump's two
/// services (restoring the desktop mode that had to wait, bringing the window back after a
/// blocked deactivation); and the 9x restore mark. What belongs to the display and the main
/// window object (mode switches, redraws, surface state) is left to a subclass.
class CAppWindowLink : public CMainWindowLink {
public:
    bool IsMinimised() override;
    bool IsRestoreInProgress() override;
    void Minimise() override;
    void ServiceWaitToRestoreDesktop() override;
    void ServiceRestoreDeactivate() override;
    bool TakeUpdateRect(CRect16& rect) override;
    void ValidateUpdateRect() override;
    void MinimiseNoActivate() override;
    void Restore() override;
    void Show() override;
    void Hide() override;
    void ClearForegroundAndActive() override;
    void MakeTopmost() override;
    void BringToForeground() override;
    void Focus() override;
    void InvalidateWindow() override;
    intptr_t DefaultProc(plat::WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) override;

protected:
    /// The application window, null when it does not exist (any more).
    plat::Window* AppWindow();
};

#include "engine/app/EngineLink.h"

#include <cstdlib>

#include "engine/app/AppState.h"
#include "engine/core/Window.h"
#include "engine/graphics/DirectX.h"
#include "engine/graphics/WindowSurface.h"
#include "platform/Platform.h"

bool CEngineLink::IsDisplayUnavailable() {
    OWindow* window = OWindow::Main();
    if (!window) return false;
    CDrawSurface* surface = window->GetDisplaySurface();
    if (surface && surface->IsSurfaceLost()) return true;
    const plat::WinRect desk = plat::desktop().Rect();
    return std::abs(desk.right - desk.left) != window->GetStageWidth() ||
           std::abs(desk.bottom - desk.top) != window->GetStageHeight();
}

int32_t CEngineLink::RestoreDisplayMode() { return int32_t(DirectX_RestoreDisplayMode()); }

void CEngineLink::SetStageMode() {
    OWindow* window = OWindow::Main();
    if (!window) return;
    const CDrawSurface* surface = window->GetDisplaySurface();
    DirectX_SetDisplayMode(window->GetStageWidth(), window->GetStageHeight(),
                           surface ? surface->GetBitsPerPixel() : window->GetDepth(), 0);
}

void CEngineLink::PostFullRedraw(bool present) {
    OWindow* window = OWindow::Main();
    if (!window) return;
    window->PostFullRedraw();
    if (present) window->UpdateScreen();
}

bool CEngineLink::IsDisplayReady() {
    OWindow* window = OWindow::Main();
    CWindowSurface* surface = window ? window->GetWindowSurface() : nullptr;
    return !surface || surface->IsDisplayReady();
}

void xEngine_InstallLink() {
    CEngineLink* link = &xApp_State().engineLink;
    if (CMainWindowState::Get().link != link)
        xPlatform_SetMainWindow(xPlatform_GetMainWindow(), xPlatform_GetAppWindow(), link);
}

#include "engine/core/EngineLink.h"

#include <cstdlib>

#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DirectX.h"
#include "engine/graphics/WindowSurface.h"
#include "platform/Platform.h"

namespace {

CWindowSurface* DisplaySurface() {
    OWindow* window = OWindow::Main();
    CDrawSurface* surface = window ? window->GetDisplaySurface() : nullptr;
    const int16_t kind = surface ? surface->GetSurfaceKind() : -1;
    return kind == kSurfaceDIBSection || kind == kSurfaceDDraw ? static_cast<CWindowSurface*>(surface) : nullptr;
}

} // namespace

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
    CWindowSurface* surface = DisplaySurface();
    return !surface || surface->IsDisplayReady();
}

void xEngine_InstallLink() {
    static CEngineLink link;
    if (CPlatformState::Get().link != &link)
        xPlatform_SetMainWindow(xPlatform_GetMainWindow(), xPlatform_GetAppWindow(), &link);
}

#include "engine/graphics/GDIDXSurface.h"

#include "engine/data/Profiles.h"
#include "engine/graphics/DDrawError.h"
#include "platform/Platform.h"

CGDIDXSurface::~CGDIDXSurface() { DirectX_Shutdown(); }

bool CGDIDXSurface::Create(plat::WindowId window) {
    if (!IsDisplayAvailable()) return false;
    int32_t width = GetWidth();
    int32_t height = GetHeight();
    int32_t bits = GetBitsPerPixel();
    DirectX_SetWindow(window);
    DirectX_ReportCaps();
    const DirectXMode* mode = DirectX_FindMode(&width, &height, &bits);
    if (!mode || !DirectX_GetDirectDraw()) return false;
    m_mode = *mode;
    DirectX_SetWindow(window);
    const plat::dd::Result r = DirectX_SetDisplayMode(width, height, bits, 0);
    if (plat::dd::Failed(r)) {
        if (xProfiles_Values().verbose >= 2) VQT_DDRAW_REPORT(r, nullptr);
        return false;
    }
    if (plat::Window* w = plat::desktop().Find(window)) {
        const plat::WinRect screen = plat::desktop().Rect();
        w->SetPos(plat::HWND_TOPMOST, 0, 0, screen.Width(), screen.Height(),
                  plat::SWP_NOSIZE | plat::SWP_NOMOVE | plat::SWP_SHOWWINDOW);
    }
    return true;
}

bool CGDIDXSurface::Shutdown() {
    DirectX_Shutdown();
    return true;
}

bool CGDIDXSurface::IsDisplayAvailable() { return DirectX_Init() && DirectX_IsAvailable(); }

void CGDIDXSurface::RestoreDisplay() { DirectX_RestoreDisplayMode(); }

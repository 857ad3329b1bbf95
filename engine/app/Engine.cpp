#include "engine/app/Engine.h"

#include <new>
#include <string>

#include "engine/app/AppState.h"
#include "engine/app/EngineLink.h"
#include "engine/app/Startup.h"
#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "engine/core/WindowProcs.h"
#include "engine/data/Profiles.h"
#include "engine/data/TempBuffers.h"
#include "engine/graphics/DDrawSurface.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/graphics/DirectX.h"
#include "engine/graphics/GDIDXSurface.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/media/Sound.h"
#include "platform/Platform.h"

namespace {

/// The message of a sound start-up code.
const char* SoundMessage(int16_t code) {
    switch (code) {
    case 2: return "MSG_SNDDRVBADID";
    case 4: return "MSG_SNDDRVBUSY";
    case 6: return "MSG_SNDNODRV";
    case 7: return "MSG_SNDDRVNOMEM";
    case 32: return "MSG_SNDDRVBADFMT";
    case 35: return "MSG_SNDDRVSYNCERR";
    case -400: return "MSG_SNDNODRV";
    case -444: return "MSG_SNDDRVBUSYVERBOSE";
    case -555: return "MSG_NODSOUND";
    default: return "MSG_SNDDRVUNKNOWN";
    }
}

/// The code of the sound engine's second attempt that opened the default device: started.
constexpr int16_t kSoundStartedOnFallback = -301;

/// Whether the display depth in use and the screen's are palette modes of a full-screen or
/// stage run.
bool UsesSystemPalette(int16_t depthInUse) {
    return depthInUse <= 8 && plat::desktop().BitsPerPixel() <= 8 && (xProfiles_Flag("FULLSCREEN") || xProfiles_Flag("STAGE"));
}

} // namespace

bool OVQEngine::Startup() {
    std::unique_ptr<OVQEngine>& engine = xApp_State().engine;
    if (engine) return false;
    engine.reset(new (std::nothrow) OVQEngine);
    if (!engine) return false;
    xSRand(plat::clock().TickCount());
    xPlatform_SetEngineExists(true);
    return true;
}

OVQEngine* OVQEngine::Instance() { return xApp_State().engine.get(); }

void OVQEngine::Shutdown() {
    xSound_Shutdown();
    OVQEngine* engine = Instance();
    if (!engine) return;
    if (UsesSystemPalette(engine->depthInUse_)) SystemPalette_Restore();
    engine->DeleteMainWindow();
    DirectX_Shutdown();
    engine->stageWindow_.reset();
    xTempBuffers_ReleaseAll();
    VQXShutdown();
    xApp_State().engine.reset();
    xGraphics_GlobalPalette().Free16BitTable();
}

OVQEngine::~OVQEngine() {
    DeleteMainWindow();
    stageWindow_.reset();
    xPlatform_SetEngineExists(false);
}

void OVQEngine::DeleteMainWindow() {
    if (!mainWindow_) return;
    // The window's last messages (it hides and loses the focus) reach no tree any more.
    if (xPlatform_GetMainWindow() == mainWindow_.get()) xPlatform_SetMainWindow(nullptr, 0, CMainWindowState::Get().link);
    mainWindow_.reset();
}

void OVQEngine::SetMainWindow(std::unique_ptr<OWindow> window) {
    if (window.get() != mainWindow_.get()) DeleteMainWindow();
    mainWindow_ = std::move(window);
    // The window's link to the platform layer (installed by the start-up) stays as it is.
    if (mainWindow_) xPlatform_SetMainWindow(mainWindow_.get(), mainWindow_->GetWindowId(), CMainWindowState::Get().link);
}

void OVQEngine::GetStageRect(CRect16* rect) const {
    if (!rect || !mainWindow_) return;
    *rect = CRect16(0, 0, mainWindow_->GetStageWidth(), mainWindow_->GetStageHeight());
}

bool OVQEngine::Init(uintptr_t instance) {
    if (this != Instance()) return false;
    xEngine_InstallLink();
    // The pools are made on first use.
    xTrace("Engine initialization : Pre-allocating temp buffers...\n");
    for (const auto& [count, size] : kPreallocated) xTempBuffers_Preallocate(uint32_t(count), uint32_t(size));
    if (!InitSound(instance) || !RegisterWindowClasses()) return false;
    SetDisplayChangeInProgress(1);
    if (!CreateMainWindow()) {
        SetDisplayChangeInProgress(0);
        return false;
    }
    if (UsesSystemPalette(depthInUse_)) SystemPalette_Take();
    if (xProfiles_Values().frameRateLimited) {
        mainWindow_->SetFrameLimit(true);
        mainWindow_->SetFrameRate(xProfiles_Values().frameRate);
    }
    return true;
}

bool OVQEngine::InitSound(uintptr_t instance) {
    const ProfileValues& v = xProfiles_Values();
    if (!v.soundEnabled) return true;
    const int16_t code = xSound_Startup(v.numPipes, uint32_t(instance), uint32_t(v.sndEngineFlags));
    // A start on the second attempt through the default device is a start.
    if (code == 0 || code == kSoundStartedOnFallback) return true;
    if (v.showSndInitError) xStartup_ErrorBox(SoundMessage(code));
    return (v.sndEngineFlags & 4) == 0;
}

CDrawSurface* CreateDisplaySurface() {
    CDrawSurface* surface = nullptr;
    if (xProfiles_Flag("DIRECTDRAW")) {
        surface = new (std::nothrow) CDDrawSurface;
    } else if (xProfiles_Flag("FULLSCREEN")) {
        surface = new (std::nothrow) CGDIDXSurface;
    }
    if (surface && !static_cast<CWindowSurface*>(surface)->IsDisplayAvailable()) {
        delete surface;
        surface = nullptr;
    }
    if (!surface) {
        xProfiles_Set("FULLSCREEN", sLong(0));
        xProfiles_Set("DIRECTDRAW", sLong(0));
        surface = new (std::nothrow) CDIBSurface;
    }
    return surface;
}

void OVQEngine::DeleteWindows(std::unique_ptr<CDrawSurface> surface) {
    if (mainWindow_ && mainWindow_->GetDisplaySurface() == surface.get()) surface.release(); // the window owns it
    DeleteMainWindow();
    surface.reset();
    stageWindow_.reset();
}

bool OVQEngine::CreateMainWindow() {
    const ProfileStore& store = xProfiles_Store();
    const plat::WinRect desk = plat::desktop().Rect();
    const int32_t left = (desk.Width() - store.stageWidth) / 2;
    const int32_t top = (desk.Height() - store.stageHeight) / 2;
    const CRect16 rect(int16_t(left), int16_t(top), int16_t(left + store.stageWidth), int16_t(top + store.stageHeight));
    const int16_t depth = xProfiles_Values().displayDepth;

    if (xProfiles_Flag("STAGE")) {
        stageWindow_.reset(new (std::nothrow) OWindow("OWindow", OWindow::kClassId));
        if (!stageWindow_ ||
            !stageWindow_->Create(CRect16(int16_t(desk.left), int16_t(desk.top), int16_t(desk.right), int16_t(desk.bottom)),
                                  true, 0)) {
            DeleteWindows(nullptr);
            xStartup_ErrorBox("VQT_ERR_CREATEWIN");
            return false;
        }
        if (!IsWindows95()) {
            if (plat::Window* w = plat::desktop().Find(stageWindow_->GetWindowId())) {
                w->Show(plat::SW_SHOW);
                w->Invalidate(nullptr);
            }
        }
    }
    std::unique_ptr<CDrawSurface> surface(CreateDisplaySurface());
    if (!surface) {
        DeleteWindows(nullptr);
        xStartup_ErrorBox("VQT_ERR_CREATEWIN");
        return false;
    }
    OWindow* window = new (std::nothrow) OWindow("OWindow", OWindow::kClassId);
    if (window) {
        window->SetDepth(depth);
        window->SetDisplaySurface(surface.get());
        mainWindow_.reset(window);
    }
    if (!window || !window->Create(rect, false, stageWindow_ ? stageWindow_->GetWindowId() : 0)) {
        DeleteWindows(std::move(surface));
        xStartup_ErrorBox("VQT_ERR_CREATEWIN");
        return false;
    }
    CDrawSurface* display = surface.release(); // the window's from now on
    xPlatform_SetMainWindow(window, window->GetWindowId(), CMainWindowState::Get().link);
    SetLastActiveWindow(window->GetWindowId());

    if (xProfiles_Flag("FULLSCREEN")) {
        OWindow* owner = stageWindow_ ? stageWindow_.get() : window;
        if (!static_cast<CWindowSurface*>(display)->Create(owner->GetWindowId())) {
            xProfiles_Set("FULLSCREEN", sLong(0));
            if (plat::desktop().BitsPerPixel() < xProfiles_Values().minDispDepth) {
                DeleteWindows(nullptr);
                xStartup_ErrorBox("MSG_MINDISPDEPTH", std::to_string(xProfiles_Values().minDispDepth).c_str());
                return false;
            }
        }
    }
    if (!xProfiles_Flag("FULLSCREEN")) {
        if (plat::Window* w = plat::desktop().Find(window->GetWindowId())) w->Show(plat::SW_SHOW);
    }
    depthInUse_ = depth;
    return true;
}

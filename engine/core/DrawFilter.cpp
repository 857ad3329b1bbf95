#include "engine/core/DrawFilter.h"

#include <algorithm>
#include <exception>
#include <new>

#include "engine/core/ActivityManager.h"
#include "engine/base/Trace.h"
#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/WindowSurface.h"
#include "platform/Platform.h"

namespace {

/// The elapsed milliseconds of a running timer (its paused span not counted).
uint32_t Elapsed(const CTimerRec& timer) { return timer.Now() - timer.start; }

CClipRect ClipOf(const CRect16& r) { return CClipRect(r.left, r.top, r.right, r.bottom); }

} // namespace

CDrawFilter::CDrawFilter() : OProcess("OProcess", OProcess::kClassId) {}

CDrawFilterBlend::CDrawFilterBlend() {
    SetUserData(0x7FFFFFFF);
    stepTimer_.Start(kStepMs);
    blendTimer_.Start(kFadeMs);
}

void CDrawFilterBlend::Attach(OWindow* window) {
    window_ = window;
    CDrawSurface* display = window ? window->GetDisplaySurface() : nullptr;
    if (display) {
        rect_ = CRect16(0, 0, display->GetWidth(), display->GetHeight());
        if (snapshot_.Create(display->GetWidth(), display->GetHeight(), display->GetBitsPerPixel()))
            snapshot_.SetPixelFormat(display->GetPixelFormat());
    }
    stepTimer_.Restart();
    blendTimer_.Restart();
}

bool CDrawFilterBlend::HitTest(const CPoint16& point) {
    return point.x >= rect_.left && point.x < rect_.right && point.y >= rect_.top && point.y < rect_.bottom;
}

void CDrawFilterBlend::FillNearBlack() {
    snapshot_.FillRect(CClipRect(0, 0, snapshot_.GetWidth(), snapshot_.GetHeight()), ColorWord(0, 0, 1));
}

void CDrawFilterBlend::Capture(CDrawSurface* display) {
    if (!display) return;
    display->LockSysSurface();
    display->StretchCopy(ClipOf(rect_), &snapshot_, ClipOf(rect_), kDrawSolid);
    display->UnlockSysSurface();
}

void CDrawFilterBlend::StartFade() {
    blendLevel_ = 0;
    xGraphics_SetBlendLevel(0);
    blendTimer_.Restart();
    // The first step is measured from the start of the fade, not from the last fade's end.
    stepTimer_.Restart();
    blending_ = 1;
    switchSeen_ = 1;
    if (captureNeeded_) {
        FillNearBlack();
        captureNeeded_ = 0;
    }
}

void CDrawFilterBlend::StepFade() {
    if (stepTimer_.HasElapsed()) {
        blendLevel_ = int16_t(std::min<uint32_t>(255, Elapsed(blendTimer_) * 255 / kFadeMs));
        xGraphics_SetBlendLevel(blendLevel_);
        stepTimer_.Restart();
        if (!xProfiles_Values().directDraw && window_) window_->InvalidateAll();
    }
    // The fade runs its whole second; a level of 0 in its first steps does not end it.
    if (Elapsed(blendTimer_) < uint32_t(kFadeMs)) return;
    blending_ = 0;
    blendTimer_.Stop();
    blendTimer_.Restart();
    captureNeeded_ = 1;
    // The end may come between two steps: the stage is drawn once more without the snapshot.
    if (!xProfiles_Values().directDraw && window_) window_->InvalidateAll();
}

int32_t CDrawFilterBlend::OnIdle() {
    if (blending_) {
        StepFade();
        return 1;
    }
    OActivityManager* manager = GetActivityManager();
    if (!manager) return 1;
    const int16_t phase = manager->GetPhase();
    if (phase == OActivityManager::kPhaseAttach && captureNeeded_) {
        try {
            if (!manager->GetCurrentActivity()) {
                FillNearBlack();
            } else {
                Capture(window_ ? window_->GetDisplaySurface() : nullptr);
                captureNeeded_ = 0;
            }
        } catch (...) {
            xTrace("**** CDrawFilterBlend::OnIdle - unhandled rendering exception\n");
        }
    } else if (phase < OActivityManager::kPhaseSwapIn || switchSeen_) {
        if (!manager->IsSwitchPending()) switchSeen_ = 0;
    } else {
        StartFade();
    }
    return 1;
}

bool CDrawFilterBlend::Draw(CDrawSurface* destination) {
    if (!destination) return true;
    if (blending_ && !captureNeeded_) {
        destination->LockSysSurface();
        snapshot_.StretchCopy(ClipOf(rect_), destination, ClipOf(rect_), kDrawBlended16);
        destination->UnlockSysSurface();
    }
    if (!window_ || !window_->GetWindowId()) return true;
    CWindowSurface* surface = window_->GetWindowSurface();
    if (!surface || surface != destination) return true;
    if (destination->GetSurfaceKind() == kSurfaceDDraw) {
        surface->Flip();
    } else {
        plat::Dc* dc = plat::gdi().GetDc(window_->GetWindowId());
        surface->BlitToWindow(dc, ClipOf(rect_));
        plat::gdi().ReleaseDc(window_->GetWindowId(), dc);
    }
    return true;
}

void CDrawFilterBlend::OnAppSuspend() {
    OProcess::OnAppSuspend();
    stepTimer_.Pause();
    blendTimer_.Pause();
}

void CDrawFilterBlend::OnAppResume() {
    OProcess::OnAppResume();
    stepTimer_.Resume();
    blendTimer_.Resume();
}

bool xDrawFilter_InstallBlend(OWindow* window) {
    if (!window) return false;
    auto* filter = new (std::nothrow) CDrawFilterBlend;
    if (!filter) return false;
    if (!window->SetDrawFilter(filter)) {
        delete filter;
        return false;
    }
    filter->AttachToWindow(window);
    return true;
}

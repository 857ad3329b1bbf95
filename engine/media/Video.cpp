#include "engine/media/Video.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "engine/base/Trace.h"
#include "engine/core/RunLoop.h"
#include "engine/core/View.h"
#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DDrawOffscreenSurface.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/media/Application.h"
#include "engine/media/MovieClip.h"
#include "platform/Platform.h"

namespace {

constexpr int16_t kStageWidth = 640;
constexpr int16_t kStageHeight = 480;
/// The frame number from which a held button or the skip test ends a blocking player.
constexpr uint32_t kFirstSkippableFrame = 11;
/// Milliseconds slept while a movie cannot show a frame (no focus).
constexpr uint32_t kIdleSleepMs = 10;
/// The gain at which a movie's sound plays as recorded.
constexpr int32_t kUnityGain = 32768;

bool MouseButtonHeld() {
    for (int32_t key : {1, 2, 4}) // left, right, middle
        if (plat::input().AsyncKeyState(key) & 0x8000) return true;
    return false;
}

bool HasFocus(const OWindow* window) {
    return window && window->GetWindowId() != 0 && plat::desktop().Focus() == window->GetWindowId();
}

/// What a blocking player takes for its run and gives back on every way out: the extra
/// process suspended and, under DirectDraw, the window's drawing flag cleared.
class CPlayerScope {
public:
    CPlayerScope(OWindow* window, bool directDraw) : window_(directDraw ? window : nullptr) {
        if (OApplication* app = OApplication::Get()) app->SuspendExtra();
        if (window_) {
            drawing_ = window_->IsDrawingEnabled();
            window_->SetDrawingEnabled(false);
        }
    }
    ~CPlayerScope() {
        if (window_) window_->SetDrawingEnabled(drawing_);
        if (OApplication* app = OApplication::Get()) app->ResumeExtra();
    }
    CPlayerScope(const CPlayerScope&) = delete;
    CPlayerScope& operator=(const CPlayerScope&) = delete;

private:
    OWindow* window_;
    bool drawing_ = true;
};

/// Clears the display surface and presents it twice, so both buffers show black around a
/// movie smaller than the stage.
void ClearDisplayTwice(OWindow* window) {
    CDrawSurface* display = window ? window->GetDisplaySurface() : nullptr;
    if (!display) return;
    for (int i = 0; i < 2; ++i) {
        {
            CSysLockForDraw lock(display);
            display->FillRect(CClipRect(0, 0, display->GetWidth(), display->GetHeight()), 0);
        }
        window->Present();
    }
}

/// The mixer volume (0..127) of a gain where 32768 is unity.
int32_t VolumeOfGain(int32_t gain) { return int32_t(std::clamp(gain, 0, kUnityGain) * 127 / kUnityGain); }

bool PlayBlocking(CPartFile* file, ChunkId id, uint8_t preload, xVideo_SkipTest skip, bool directDraw,
                  int32_t gain = kUnityGain) {
    OWindow* window = OWindow::Main();
    CPlayerScope scope(window, directDraw);
    const int16_t pixelFormat = xProfiles_Values().pixelFormat;
    std::unique_ptr<CDrawSurface> frame;
    if (directDraw) frame = std::make_unique<CDDrawOffscreenSurface>();
    else frame = std::make_unique<CPixelSurface>();
    if (frame->Create(kStageWidth, kStageHeight, 16)) {
        frame->SetPixelFormat(pixelFormat);
        CSysLockForDraw lock(frame.get());
        frame->FillRect(CClipRect(0, 0, kStageWidth, kStageHeight), 0);
    }
    std::unique_ptr<CMovieClip> clip = CMovieClip::OpenChunk(file, id, preload != 0);
    if (!clip) {
        char name[32];
        std::snprintf(name, sizeof name, "{%d, %d, %d}", int(ChunkIndexOf(id)), int(ChunkSecondOf(id)),
                      int(ChunkEntryOf(id)));
        if (directDraw) xTracef("Unable to access id: %s", name);
        else xTracef("Unable to access file: %s\n", name);
        return false;
    }
    plat::Movie& movie = clip->Movie();
    movie.SetVolume(VolumeOfGain(gain));
    if (directDraw && (movie.Width() != kStageWidth || movie.Height() != kStageHeight)) ClearDisplayTwice(window);
    const int32_t x = (kStageWidth - movie.Width()) / 2;
    const int32_t y = (kStageHeight - movie.Height()) / 2;
    const uint32_t bufferFormat = xVideo_BufferFormat(pixelFormat);
    bool first = true;
    bool ended = false;
    uint32_t last = 0;
    while (!IsQuitRequested()) {
        PumpEventsOnce();
        if (window && window->overlayView) window->overlayView->OnIdle();
        if (directDraw && !HasFocus(window)) {
            plat::clock().Sleep(kIdleSleepMs);
            continue;
        }
        if (first || !movie.Wait()) {
            if (ended) break;
            if (clip->ShowFrame(frame.get(), x, y, bufferFormat)) {
                window->Present();
                first = false;
                ended = movie.CurrentFrame() == last;
                last = movie.CurrentFrame();
            } else {
                plat::clock().Sleep(kIdleSleepMs);
            }
        } else {
            plat::clock().Sleep(1);
        }
        if (movie.CurrentFrame() >= kFirstSkippableFrame && (MouseButtonHeld() || (skip && skip() != 0))) break;
    }
    return true;
}

} // namespace

uint32_t xVideo_BufferFormat(int32_t pixelFormat) {
    if (pixelFormat == 1) return plat::kMoviePixels555;
    if (pixelFormat == 2) return plat::kMoviePixels565;
    xTrace("Unsupported pixel format specified for Bink buffer");
    return plat::kMoviePixelsNone;
}

bool xVideo_PlayClip(CPartFile* file, ChunkId id, uint8_t preload, xVideo_SkipTest skip) {
    if (xProfiles_Values().directDraw != 0) return PlayVideoClip(file, id, preload, skip);
    return PlayBlocking(file, id, preload, skip, false);
}

bool PlayVideoClip(CPartFile* file, ChunkId id, uint8_t preload, xVideo_SkipTest skip) {
    return PlayBlocking(file, id, preload, skip, true);
}

bool xVideo_Play(CPartFile* file, ChunkId id, uint32_t flags, int32_t gain, xVideo_SkipTest skip) {
    return PlayBlocking(file, id, flags != 0 ? 1 : 0, skip, xProfiles_Values().directDraw != 0, gain);
}

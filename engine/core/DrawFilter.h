#pragma once
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/core/Process.h"
#include "engine/base/Rect.h"
#include "engine/core/Timer.h"
#include "engine/graphics/PixelSurface.h"

class CDrawSurface;
class OWindow;

/// A process that stands between the main window and the screen: it bounds the drawing area,
/// is asked first whether a point may be picked, and presents each frame itself after drawing
/// over it. The window owns it as a child.
class CDrawFilter : public OProcess {
public:
    CDrawFilter();

    /// Works for the window from now on: the filter rectangle and the snapshot take the size
    /// of its display surface.
    virtual void Attach(OWindow* window) = 0;
    void AttachToWindow(OWindow* window) { Attach(window); }
    /// Draws over the finished frame in `destination` and presents it; true.
    virtual bool Draw(CDrawSurface* destination) = 0;
    /// Whether a stage point lies in the filter rectangle (right and bottom exclusive).
    virtual bool HitTest(const CPoint16& point) = 0;
    /// A frame of the full-screen display begins.
    virtual void OnFrameBegin() {}
    virtual void GetRect(CRect16* rect) = 0;

    OWindow* GetWindow() const { return window_; }
    bool IsBlending() const { return blending_ != 0; }
    bool IsCaptureNeeded() const { return captureNeeded_ != 0; }
    int16_t GetBlendLevel() const { return blendLevel_; }
    CPixelSurface& Snapshot() { return snapshot_; }

protected:
    OWindow* window_ = nullptr;
    CTimerRec stepTimer_;
    CTimerRec blendTimer_;
    CRect16 rect_;
    uint8_t blending_ = 0;
    uint8_t captureNeeded_ = 1;
    int16_t blendLevel_ = 0;
    CPixelSurface snapshot_;
    uint8_t switchSeen_ = 0;
};

/// The cross-fade of activity switches: while the old activity is unloaded it keeps a snapshot
/// of the last screen, and once the new one is in place it draws the snapshot over every new
/// frame with a blend level that rises from 0 to 255 over one second.
class CDrawFilterBlend : public CDrawFilter {
public:
    static constexpr int32_t kStepMs = 10;
    static constexpr int32_t kFadeMs = 1000;

    CDrawFilterBlend();

    void Attach(OWindow* window) override;
    bool Draw(CDrawSurface* destination) override;
    bool HitTest(const CPoint16& point) override;
    void GetRect(CRect16* rect) override { *rect = rect_; }
    /// Follows the activity manager's switch: the capture, the start and the steps of a fade.
    int32_t OnIdle() override;
    /// Time spent switched out does not count towards the fade.
    void OnAppSuspend() override;
    void OnAppResume() override;

private:
    /// The snapshot becomes the colour red 0, green 0, blue 1 (black in 16 bits).
    void FillNearBlack();
    /// The display surface's filter rectangle into the snapshot.
    void Capture(CDrawSurface* display);
    void StartFade();
    void StepFade();
};

/// Gives the main window a new blend filter as its draw filter and attaches it (a filter set
/// earlier goes to deferred deletion); false without a window or memory.
bool xDrawFilter_InstallBlend(OWindow* window);

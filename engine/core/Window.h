#pragma once
#include <cstdint>
#include <vector>

#include "engine/base/Rect.h"
#include "engine/blit/ColorPalette.h"
#include "engine/core/Process.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Timer.h"
#include "platform/Messages.h"

class CDrawFilter;
class CDrawSurface;
class CWindowSurface;
class OView;

/// The main window (class id 21): the process at the root of the engine's tree. It owns the
/// platform window that shows the stage and the display surface that frames are drawn into;
/// each frame its OnIdle redraws what changed (the dirty rectangles or the whole stage) and
/// presents it, paced to the frame rate; its HandleEvent turns mouse events into hover, press,
/// click and drag calls on the views under the cursor.
class OWindow : public OProcess {
public:
    static constexpr uint32_t kClassId = 21;
    /// Told when a dragged view comes over (or leaves) a target: (dragged view, target).
    using DragCallback = void (*)(OView* dragged, OView* target);

    OWindow(const char* name = "OWindow", uint32_t classId = kClassId);
    /// Hides and destroys the platform window, hands the draw filter to deferred deletion and
    /// deletes the display surface.
    ~OWindow() override;

    bool IsA(uint32_t classId) const override;
    /// Renders and presents a frame when one is due; always 1.
    int32_t OnIdle() override;
    /// OnSwitchOut.
    void OnAppSuspend() override;
    /// OnSwitchIn.
    void OnAppResume() override;
    int32_t HandleEvent(const xEvent& event) override;
    /// Hands the draw filter to deferred deletion, then deletes the other children.
    void DestroyChildren() override;
    /// Forgets the draw filter when it is taken out of the children.
    void OnChildRemoved(ONode* child) override;
    /// The root view's OnRequestA and OnRequestB.
    virtual void ForwardRequestA();
    virtual void ForwardRequestB();

    /// Creates the platform window over `rect` (screen coordinates): the application window, or
    /// with `stage` the full-desktop backdrop window; `parent` is the owner (0 for none).
    bool Create(const CRect16& rect, bool stage, plat::WindowId parent);
    /// Hands over the display surface (the window owns it from now on).
    void SetDisplaySurface(CDrawSurface* surface) { displaySurface_ = surface; }
    CDrawSurface* GetDisplaySurface() const { return displaySurface_; }
    /// The display surface when it is of a kind that presents into a window, else null.
    CWindowSurface* GetWindowSurface() const;
    /// Passes the size and depth to the display surface when it exists and both sizes are set.
    void SetDisplaySize(int16_t width, int16_t height, int16_t depth);

    void RenderFrame();
    void Present();
    /// With DirectDraw, renders and presents twice (both buffers).
    void Refresh();
    void UpdateScreen();
    /// Adds the whole stage to the dirty rectangles (while DIRTYRECTS is on).
    void PostFullRedraw();
    void InvalidateAll() { PostFullRedraw(); }
    /// Marks the next frame as a full redraw.
    void SetFullRedraw() { fullRedraw_ = 1; }
    bool IsFullRedrawPending() const { return fullRedraw_ != 0; }
    void SetRootView(OView* view, bool redraw);
    OView* GetRootView() const { return rootView_; }
    /// A rate of 0 is taken as 1.
    void SetFrameRate(int32_t framesPerSecond);
    int32_t GetFrameRate() const { return frameRate_; }
    int32_t GetMsPerFrame() const { return msPerFrame_; }
    void SetFrameLimit(bool on) { frameLimit_ = on ? 1 : 0; }
    bool IsFrameLimited() const { return frameLimit_ != 0; }
    void SetPalette(const CColorPalette& palette);
    const CColorPalette& GetPalette() const { return palette_; }
    void ResetPointerState();
    /// Drops every pointer the window keeps to a view that is being destroyed.
    void ForgetView(OView* view);
    /// Makes `filter` the window's draw filter and child; a filter set earlier is taken out of
    /// the children and handed to deferred deletion. Null only removes the old one. False when
    /// the filter cannot be added (the caller keeps it).
    bool SetDrawFilter(CDrawFilter* filter);
    CDrawFilter* GetDrawFilter() const { return drawFilter_; }
    /// The view under a stage point for the mouse (OWindow::HandleEvent); none outside the
    /// draw filter's rectangle.
    OView* ViewAtPoint(const CPoint16& point);
    /// The same walk without the event-mask condition; views of class 8 are left out only
    /// with the flag.
    OView* ViewAtPointDeep(const CPoint16& point, bool skipPointer);
    OView* ViewAtPointExcluding(const CPoint16& point, bool skipPointer) { return ViewAtPointDeep(point, skipPointer); }
    /// Shows or hides the draw-statistics panel when there is one.
    void SetDrawStatsVisible(bool visible);
    /// The "DrawStats Watcher" panel, or null (a stage window has none, nor a window made
    /// without the media layer).
    OView* GetDrawStatsView() const { return statsView_; }
    /// Copies the display surface into a 24-bit picture and prints it as "OWindow screen dump".
    bool PrintScreenDump();
    bool SaveScreenDump() { return PrintScreenDump(); }

    void SetDragCallbacks(DragCallback entered, DragCallback left) {
        dragEntered_ = entered;
        dragLeft_ = left;
    }
    plat::WindowId GetWindowId() const { return window_; }
    OView* GetPressedView() const { return pressedView_; }
    OView* GetDragView() const { return dragView_; }
    CPoint16 GetPressPosition() const { return pressPosition_; }
    bool IsSwitchedOut() const { return switchedOut_; }
    bool IsDrawingEnabled() const { return drawingEnabled_ != 0; }
    void SetDrawingEnabled(bool on) { drawingEnabled_ = on ? 1 : 0; }
    int16_t GetStageWidth() const { return stageWidth_; }
    int16_t GetStageHeight() const { return stageHeight_; }
    void SetStageSize(int16_t width, int16_t height) {
        stageWidth_ = width;
        stageHeight_ = height;
    }
    int16_t GetDepth() const { return depth_; }
    void SetDepth(int16_t depth) { depth_ = depth; }
    /// Frames drawn in the last whole second, and views drawn in the last frame.
    int32_t GetDrawsPerSecond() const { return drawsPerSecond_; }
    int32_t GetViewsDrawn() const { return viewsDrawn_; }
    /// Frames drawn (and presented) since the window was made.
    uint32_t GetFramesDrawn() const { return framesDrawn_; }
    /// Views the game may lay over movies and an extra view; nothing in the engine sets them.
    OView* overlayView = nullptr;
    OView* extraView = nullptr;

    /// The main window of the run (the platform's main window when it is an OWindow).
    static OWindow* Main();
    /// Whether an OnSwitchIn runs now.
    static bool IsSwitchingIn();
    /// The window procedures that Create installs (the message translation of the start-up);
    /// without them messages take the platform's default route.
    static void SetEventProcs(plat::WindowProc main, plat::WindowProc stage);

private:
    void OnSwitchOut();
    void OnSwitchIn();
    /// Whether the display surface can take a frame now.
    bool IsDisplayReady();
    /// Draws one view clipped to a rectangle of the display surface.
    void DrawViewClipped(OView* view, const CRect16& rect);
    /// Draws the activity's background under a stage rectangle.
    void DrawBackground(const CRect16& rect);
    bool IsDirectDraw() const;
    /// Starts a drag of the view from a press at `cursor`.
    void BeginDragOf(OView* view, const CPoint16& cursor);
    /// Ends the running drag: OnDragEnd and the drop on the first accepting sibling.
    void DropDragView();
    /// The first sibling of the dragged view (first to last) that takes the drop.
    OView* FindDropTarget(OView* dragged);
    /// The hover target update of a drag move.
    void UpdateDragTarget(OView* dragged);
    void HandleMouseMove(OView* hit);
    void HandleButtonUp(OView* hit, const xEvent& event);
    void HandleClick(OView* hit, const xEvent& event);
    /// Removes the waiting mouse and key messages of the window.
    void DiscardInput();
    /// Adds the last frame's times to the sums and, every 500 ms, shows their averages on the
    /// draw-statistics panel.
    void UpdateDrawStats();

    DragCallback dragEntered_ = nullptr;
    DragCallback dragLeft_ = nullptr;
    /// The draw-statistics panel, a child of the window (null when it is destroyed).
    OView* statsView_ = nullptr;
    CTimerRec drawCountTimer_;
    int32_t drawsThisSecond_ = 0;
    int32_t drawsPerSecond_ = 0;
    uint32_t backgroundMs_ = 0;
    uint32_t lockMs_ = 0;
    uint32_t objectMs_ = 0;
    uint32_t presentMs_ = 0;
    int32_t viewsDrawn_ = 0;
    // The statistics of the frames since the panel was last refreshed.
    CTimerRec statsTimer_;
    uint32_t statsFrames_ = 0;
    uint64_t sumBackgroundMs_ = 0;
    uint64_t sumLockMs_ = 0;
    uint64_t sumObjectMs_ = 0;
    uint64_t sumPresentMs_ = 0;
    /// The dirty rectangles of the last frame drawn.
    int32_t rectsDrawn_ = 0;
    uint32_t framesDrawn_ = 0;
    plat::WindowId window_ = 0;
    bool stage_ = false;
    OView* rootView_ = nullptr;
    OView* pressedView_ = nullptr;
    OView* dragView_ = nullptr;
    int16_t dragOffsetV_ = 0;
    int16_t dragOffsetH_ = 0;
    CPoint16 pressPosition_;
    CDrawSurface* displaySurface_ = nullptr;
    int16_t depth_ = 8;
    uint8_t drawingEnabled_ = 1;
    uint8_t savedDrawing_ = 1;
    int16_t frameOffsetH_ = 0;
    int16_t frameOffsetV_ = 0;
    CColorPalette palette_;
    uint8_t fullRedraw_ = 0;
    CTimerRec frameTimer_;
    uint32_t ticksPerSecond_ = 60;
    uint8_t frameLimit_ = 0;
    int32_t frameRate_ = 15;
    int32_t msPerFrame_ = 66;
    int32_t ticksPerFrame_ = 4;
    std::vector<OView*> drawList_;
    /// Owned as a child; it bounds the drawing area and presents the frames.
    CDrawFilter* drawFilter_ = nullptr;
    int16_t stageWidth_ = 0;
    int16_t stageHeight_ = 0;
    bool switchedOut_ = false;
    bool inIdle_ = false;
    /// The program had the system pointer hidden when the window switched out.
    bool cursorHiddenBefore_ = false;
};

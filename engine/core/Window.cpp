#include "engine/core/Window.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "engine/base/Trace.h"
#include "engine/core/Activity.h"
#include "engine/core/CoreState.h"
#include "engine/core/Cursor.h"
#include "engine/core/DeferredDelete.h"
#include "engine/core/DiagnosticsLink.h"
#include "engine/core/DrawFilter.h"
#include "engine/core/View.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DDrawSurface.h"
#include "engine/graphics/DirtyRects.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/graphics/Print.h"
#include "engine/graphics/SoundLink.h"
#include "engine/graphics/WindowSurface.h"
#include "platform/Platform.h"

namespace {

CWindowStatics& Statics() { return xCore_State().windows; }

/// Holds the display surface locked for drawing; unlocks it also when a draw throws.
class SysSurfaceLock {
public:
    explicit SysSurfaceLock(CDrawSurface* surface) : surface_(surface) { surface_->LockSysSurface(); }
    ~SysSurfaceLock() { surface_->UnlockSysSurface(); }
    SysSurfaceLock(const SysSurfaceLock&) = delete;
    SysSurfaceLock& operator=(const SysSurfaceLock&) = delete;

private:
    CDrawSurface* surface_;
};

/// Whether `a` is `b` or lies on `b`'s parent chain, or the other way round.
bool Related(OView* a, OView* b) { return a == b || a->IsDescendantOf(b) || b->IsDescendantOf(a); }

uint32_t Now() { return plat::clock().TickCount(); }

} // namespace

OWindow::OWindow(const char* name, uint32_t classId) : OProcess(name, classId) {
    SetEventMask(0x7FFFFF00);
    AddEventMask(kEventApplication);
    drawCountTimer_.Start(1000);
    statsTimer_.Start(500);
    SetFrameRate(15);
    xTrace("OWindow constructed\n");
}

OWindow::~OWindow() {
    delete statsView_; // clears the pointer
    ResetPointerState();
    SetDrawFilter(nullptr);
    if (window_) {
        if (plat::Window* w = plat::desktop().Find(window_)) w->Show(plat::SW_HIDE);
        plat::desktop().DestroyWindow(window_);
        window_ = 0;
    }
    if (xPlatform_GetMainWindow() == this) xPlatform_SetMainWindow(nullptr, 0, CMainWindowState::Get().link);
    delete displaySurface_;
    displaySurface_ = nullptr;
}

bool OWindow::IsA(uint32_t classId) const { return classId == kClassId || OProcess::IsA(classId); }

OWindow* OWindow::Main() {
    OProcess* main = xPlatform_GetMainWindow();
    return main && main->IsA(kClassId) ? static_cast<OWindow*>(main) : nullptr;
}

bool OWindow::IsSwitchingIn() { return Statics().switchingIn; }

void OWindow::SetEventProcs(plat::WindowProc main, plat::WindowProc stage) {
    Statics().mainProc = main;
    Statics().stageProc = stage;
}

CWindowSurface* OWindow::GetWindowSurface() const {
    const int16_t kind = displaySurface_ ? displaySurface_->GetSurfaceKind() : -1;
    if (kind != kSurfaceDIBSection && kind != kSurfaceDDraw) return nullptr;
    return static_cast<CWindowSurface*>(displaySurface_);
}

bool OWindow::IsDirectDraw() const { return xProfiles_Values().directDraw != 0; }

// ---- creation and set-up -----------------------------------------------------------------

bool OWindow::Create(const CRect16& rect, bool stage, plat::WindowId parent) {
    char className[256] = {};
    char title[256] = {};
    if (stage) {
        VQT_ASSERT(xProfiles_GetString("VQTSTAGECLASS", className));
    } else {
        xProfiles_GetString("VQTAPPCLASS", className);
    }
    xProfiles_GetString("VQTAPPNAME", title);

    plat::WindowParams params;
    params.className = className;
    params.title = title;
    params.rect = plat::WinRect{rect.left, rect.top, rect.right, rect.bottom};
    params.parent = parent;
    frameOffsetH_ = frameOffsetV_ = 0;
    if (stage) {
        params.style = plat::WS_POPUP | plat::WS_CLIPCHILDREN;
    } else if (parent) {
        params.style = plat::WS_CHILD | plat::WS_CLIPSIBLINGS;
    } else if (!xProfiles_Values().fullScreen) {
        params.style = plat::WS_CAPTION | plat::WS_SYSMENU | plat::WS_MINIMIZEBOX;
        params.exStyle = plat::WS_EX_APPWINDOW;
        const plat::WinRect outer = plat::desktop().AdjustWindowRect(params.rect, params.style, params.exStyle);
        frameOffsetH_ = ClampToInt16(params.rect.left - outer.left);
        frameOffsetV_ = ClampToInt16(params.rect.top - outer.top);
        params.rect = outer;
    } else {
        params.style = plat::WS_POPUP | plat::WS_SYSMENU | plat::WS_MINIMIZEBOX;
    }

    stage_ = stage;
    stageWidth_ = ClampToInt16(rect.Width());
    stageHeight_ = ClampToInt16(rect.Height());
    xStage_SetClipRect(CRect16(0, 0, stageWidth_, stageHeight_));

    window_ = plat::desktop().CreateWindow(params);
    if (!window_) return false;
    plat::Window* w = plat::desktop().Find(window_);
    if (!stage && Statics().mainProc) plat::messages().SetWindowProc(window_, Statics().mainProc);
    if (stage && !IsDirectDraw() && Statics().stageProc) plat::messages().SetWindowProc(window_, Statics().stageProc);
    w->SetUserData(reinterpret_cast<uintptr_t>(this));
    w->SetTitle(title);
    if (parent) {
        if (plat::Window* p = plat::desktop().Find(parent)) p->Invalidate(nullptr);
    }
    if (!stage) SetDisplaySize(stageWidth_, stageHeight_, depth_);
    xDirtyRects_Add(CRect16(0, 0, stageWidth_, stageHeight_));
    CDiagnosticsLink* link = xDiagnostics_Link();
    if (!stage && !statsView_ && link && link->MakePanel(&statsView_, 540, 440, 250, 120, "DrawStats Watcher", this))
        statsView_->SetVisible(xProfiles_Values().drawStatsVisible != 0 ? 1 : 0, 0);
    return true;
}

void OWindow::SetDisplaySize(int16_t width, int16_t height, int16_t depth) {
    if (displaySurface_ && width != 0 && height != 0) displaySurface_->Create(width, height, depth);
}

void OWindow::SetFrameRate(int32_t framesPerSecond) {
    // The rate comes from the profile unchecked; 0 would divide by zero.
    frameRate_ = std::max<int32_t>(1, framesPerSecond);
    ticksPerSecond_ = xProfiles_Values().ticksPerSecond;
    ticksPerFrame_ = int32_t(ticksPerSecond_ / uint32_t(frameRate_));
    msPerFrame_ = 1000 / frameRate_;
    frameTimer_.Start(msPerFrame_);
}

void OWindow::SetPalette(const CColorPalette& palette) {
    if (auto* surface = GetWindowSurface()) {
        surface->SetPendingPalette(&palette);
        // Above 8 bits the palette changes no pixel shown, only how 8-bit pictures are drawn
        // from now on: the full redraw asked for below must already draw with it, or what does
        // not change afterwards keeps the old colours.
        if (displaySurface_->GetBitsPerPixel() > 8) displaySurface_->SetPalette(&palette, 0);
    }
    palette_.Assign(palette);
    fullRedraw_ = 1;
}

bool OWindow::SetDrawFilter(CDrawFilter* filter) {
    CDrawFilter* old = drawFilter_;
    drawFilter_ = nullptr;
    if (old && old != filter) {
        RemoveChild(old);
        AddDeferredDelete(old);
    }
    if (filter && filter->GetParent() != this && !AddChild(filter)) return false;
    drawFilter_ = filter;
    return true;
}

void OWindow::OnChildRemoved(ONode* child) {
    if (child == drawFilter_) drawFilter_ = nullptr;
    OProcess::OnChildRemoved(child);
}

void OWindow::DestroyChildren() {
    SetDrawFilter(nullptr);
    OProcess::DestroyChildren();
}

void OWindow::SetRootView(OView* view, bool redraw) {
    rootView_ = view;
    if (view && redraw) InvalidateAll();
}

void OWindow::PostFullRedraw() {
    xDirtyRects_Add(CRect16(0, 0, stageWidth_, stageHeight_));
}

void OWindow::ResetPointerState() {
    pressedView_ = nullptr;
    dragView_ = nullptr;
    OView::SetHoverView(nullptr);
}

void OWindow::ForgetView(OView* view) {
    if (pressedView_ == view) pressedView_ = nullptr;
    if (dragView_ == view) dragView_ = nullptr;
    if (rootView_ == view) rootView_ = nullptr;
    if (overlayView == view) overlayView = nullptr;
    if (extraView == view) extraView = nullptr;
}

// ---- frames ------------------------------------------------------------------------------

bool OWindow::IsDisplayReady() {
    if (!displaySurface_) return false;
    if (auto* surface = GetWindowSurface()) return surface->IsDisplayReady();
    return true;
}

int32_t OWindow::OnIdle() {
    if (!window_ || switchedOut_ || !drawingEnabled_ || !rootView_) return 1;
    plat::Window* w = plat::desktop().Find(window_);
    if (!w || !w->IsVisible() || w->IsMinimized()) return 1;
    if (IsDirectDraw()) {
        w->Show(plat::SW_SHOW);
        w->SetPos(plat::HWND_TOP, 0, 0, 0, 0, plat::SWP_NOMOVE | plat::SWP_NOSIZE);
    }
    if (!IsDisplayReady()) return 1;
    if (frameLimit_) {
        if (!frameTimer_.HasElapsed()) return 1;
        frameTimer_.Restart();
    }
    if (inIdle_) return 1;
    inIdle_ = true;

    if (drawCountTimer_.HasElapsed()) {
        drawsPerSecond_ = drawsThisSecond_;
        drawsThisSecond_ = 0;
        drawCountTimer_.Restart();
    }
    const bool dirtyRects = xProfiles_Values().dirtyRects != 0;
    if (fullRedraw_) PostFullRedraw();
    if (!dirtyRects || CDirtyRects::Get().Count() > 0 || fullRedraw_) {
        ++drawsThisSecond_;
        rectsDrawn_ = CDirtyRects::Get().Count();
        try {
            RenderFrame();
            const uint32_t start = Now();
            Present();
            presentMs_ = Now() - start;
            ++framesDrawn_;
            xDirtyRects_Clear();
        } catch (...) {
            xTrace("Exception rendering/drawing\n");
        }
    }
    UpdateDrawStats();
    fullRedraw_ = 0;
    inIdle_ = false;
    return 1;
}

void OWindow::UpdateDrawStats() {
    ++statsFrames_;
    sumBackgroundMs_ += backgroundMs_;
    sumLockMs_ += lockMs_;
    sumObjectMs_ += objectMs_;
    sumPresentMs_ += presentMs_;
    if (!statsView_ || !statsTimer_.HasElapsed()) return;
    CDiagnosticsLink* link = xDiagnostics_Link();
    if (link) {
        char text[320];
        std::snprintf(text, sizeof text,
                      "Background rendering: %ld\rSystem surface lock: %ld\rObject rendering: %ld\r"
                      "Surface flipping: %ld\rRects/Views drawn: %ld/%ld\rIdles per second: %ld\r"
                      "Draws per second: %ld",
                      long(sumBackgroundMs_ / statsFrames_), long(sumLockMs_ / statsFrames_),
                      long(sumObjectMs_ / statsFrames_), long(sumPresentMs_ / statsFrames_), long(rectsDrawn_),
                      long(viewsDrawn_), long(GetFramesPerSecond()), long(drawsPerSecond_));
        link->SetPanelText(statsView_, text);
    }
    statsFrames_ = 0;
    sumBackgroundMs_ = sumLockMs_ = sumObjectMs_ = sumPresentMs_ = 0;
    statsTimer_.Restart();
}

void OWindow::SetDrawStatsVisible(bool visible) {
    if (statsView_) statsView_->SetVisible(visible ? 1 : 0, 0);
}

void OWindow::DrawBackground(const CRect16& rect) {
    if (!rootView_ || !rootView_->IsA(OActivity::kClassId) || rect.IsEmpty()) return;
    auto* activity = static_cast<OActivity*>(rootView_);
    // The background shows the map under the stage rectangle at the scroll offset.
    const int32_t dx = int32_t(activity->GetScrollOffset().x);
    const int32_t dy = int32_t(activity->GetScrollOffset().y);
    activity->DrawBackgroundRect(ToClip(rect.Offset(dx, dy)), displaySurface_, ToClip(rect));
}

void OWindow::DrawViewClipped(OView* view, const CRect16& rect) {
    if (!view->HasRightAngleRotation()) return;
    const CRect16 bounds = CentredRect(view->GetPosition(), view->GetWidth(), view->GetHeight());
    const CRect16 part = bounds.Intersect(rect);
    if (part.IsEmpty()) return;
    view->Draw(displaySurface_, CPoint16(0, 0), ToClip(part.Offset(-bounds.left, -bounds.top)), ToClip(part));
    ++viewsDrawn_;
}

void OWindow::RenderFrame() {
    viewsDrawn_ = 0;
    ResortChildLists(this);
    if (!displaySurface_) return;
    const bool directDraw = displaySurface_->GetSurfaceKind() == kSurfaceDDraw;
    if (directDraw) {
        if (!IsDisplayReady()) return;
        static_cast<CDDrawSurface*>(displaySurface_)->GetBackBuffer();
    }
    CRect16 area(0, 0, displaySurface_->GetWidth(), displaySurface_->GetHeight());
    if (drawFilter_) drawFilter_->GetRect(&area);
    const bool dirtyRects = xProfiles_Values().dirtyRects != 0;
    const CDirtyRects& dirty = CDirtyRects::Get();

    uint32_t start = Now();
    if (directDraw && rootView_ && rootView_->IsA(OActivity::kClassId)) {
        if (drawFilter_) drawFilter_->OnFrameBegin();
        if (!dirtyRects) {
            DrawBackground(area);
        } else if (rootView_->IsVisible()) {
            for (int16_t i = 0; i < dirty.Count() && !displaySurface_->IsSurfaceLost(); ++i)
                DrawBackground(dirty.At(i).Intersect(area));
        }
    }
    backgroundMs_ = Now() - start;

    start = Now();
    SysSurfaceLock lock(displaySurface_);
    lockMs_ = Now() - start;

    start = Now();
    drawList_.clear();
    for (int32_t i = 0; i < ChildCount(); ++i) {
        ONode* child = ChildAt(i);
        if (child->IsA(OView::kClassId) && static_cast<OView*>(child)->IsVisible())
            drawList_.push_back(static_cast<OView*>(child));
    }
    auto drawInto = [&](const CRect16& rect) {
        if (rect.IsEmpty()) return;
        if (!directDraw) DrawBackground(rect);
        for (OView* view : drawList_) {
            if (directDraw && displaySurface_->IsSurfaceLost()) return;
            DrawViewClipped(view, rect);
        }
    };
    if (!dirtyRects) {
        drawInto(area);
    } else {
        for (int16_t i = 0; i < dirty.Count(); ++i) {
            if (directDraw && displaySurface_->IsSurfaceLost()) break;
            drawInto(dirty.At(i).Intersect(area));
        }
    }
    objectMs_ = Now() - start;
}

void OWindow::Present() {
    if (drawFilter_) {
        drawFilter_->Draw(displaySurface_);
        return;
    }
    auto* surface = GetWindowSurface();
    if (!surface || !window_) return;
    if (displaySurface_->GetSurfaceKind() == kSurfaceDDraw) {
        surface->Flip();
        return;
    }
    plat::Dc* dc = plat::gdi().GetDc(window_);
    surface->BlitToWindow(dc, CClipRect(0, 0, displaySurface_->GetWidth(), displaySurface_->GetHeight()));
    plat::gdi().ReleaseDc(window_, dc);
}

void OWindow::Refresh() {
    if (!IsDirectDraw()) return;
    for (int i = 0; i < 2; ++i) {
        RenderFrame();
        Present();
    }
}

void OWindow::UpdateScreen() {
    xTrace("OWindow::UpdateScreen\n");
    if (IsDirectDraw() && !drawingEnabled_) return;
    RenderFrame();
    Present();
    xDirtyRects_Clear();
}

bool OWindow::PrintScreenDump() {
    if (!displaySurface_) return false;
    CPixelSurface copy;
    if (!copy.Create(displaySurface_->GetWidth(), displaySurface_->GetHeight(), 24)) return false;
    const CClipRect all(0, 0, displaySurface_->GetWidth(), displaySurface_->GetHeight());
    displaySurface_->LockSysSurface();
    displaySurface_->StretchCopy(all, &copy, all, kDrawSolid);
    displaySurface_->UnlockSysSurface();
    return xPrint_Surface("OWindow screen dump", &copy, this, 0, 0, 0);
}

// ---- switching out and in ------------------------------------------------------------------

void OWindow::OnAppSuspend() {
    OProcess::OnAppSuspend();
    OnSwitchOut();
}

void OWindow::OnAppResume() {
    OProcess::OnAppResume();
    OnSwitchIn();
}

void OWindow::OnSwitchOut() {
    xTrace("OWindow::OnSwitchOut\n");
    if (switchedOut_) return;
    xTrace("Switching out...\n");
    switchedOut_ = true;
    SetEnabled(false);
    savedDrawing_ = drawingEnabled_;
    drawingEnabled_ = 0;
    // The pointer shows while the application is switched out, and hides again on return when
    // the program had hidden it.
    cursorHiddenBefore_ = xCursor_HiddenState() == -1;
    xCursor_Show(true);
    xSoundLink().ReleaseDevice();
}

void OWindow::OnSwitchIn() {
    xTrace("OWindow::OnSwitchIn\n");
    Statics().switchingIn = true;
    if (switchedOut_) {
        xTrace("Switching In...\n");
        PostFullRedraw();
        if (cursorHiddenBefore_) xCursor_Show(false);
        cursorHiddenBefore_ = false;
        SetEnabled(true);
        drawingEnabled_ = savedDrawing_;
        xSoundLink().ReacquireDevice();
        switchedOut_ = false;
    }
    Statics().switchingIn = false;
}

// ---- mouse ---------------------------------------------------------------------------------

OView* OWindow::ViewAtPoint(const CPoint16& point) {
    if (drawFilter_ && !drawFilter_->HitTest(point)) return nullptr;
    OView* hit = nullptr;
    for (int32_t i = ChildCount() - 1; i >= 0 && !hit; --i) {
        ONode* child = ChildAt(i);
        if (child == rootView_ || child->IsA(8) || !child->IsA(OView::kClassId)) continue;
        auto* view = static_cast<OView*>(child);
        if ((view->GetEventMask() & kEventMouse) == 0) continue;
        hit = view->HitTestPointDeep(point);
    }
    if (!hit && rootView_ && (rootView_->GetEventMask() & kEventMouse) != 0) hit = rootView_->HitTestPointDeep(point);
    if (hit && hit->IsSuspendedInChain()) return nullptr;
    return hit;
}

OView* OWindow::ViewAtPointDeep(const CPoint16& point, bool skipPointer) {
    if (drawFilter_ && !drawFilter_->HitTest(point)) return nullptr;
    OView* hit = nullptr;
    for (int32_t i = ChildCount() - 1; i >= 0 && !hit; --i) {
        ONode* child = ChildAt(i);
        if (child == rootView_ || (skipPointer && child->IsA(8)) || !child->IsA(OView::kClassId)) continue;
        hit = static_cast<OView*>(child)->HitTestPointAny(point);
    }
    if (!hit && rootView_) hit = rootView_->HitTestPointAny(point);
    if (hit && hit->IsSuspendedInChain()) return nullptr;
    return hit;
}

void OWindow::BeginDragOf(OView* view, const CPoint16& cursor) {
    dragView_ = view;
    dragOffsetH_ = ClampToInt16(int32_t(view->GetPosition().x) - cursor.x);
    dragOffsetV_ = ClampToInt16(int32_t(view->GetPosition().y) - cursor.y);
}

OView* OWindow::FindDropTarget(OView* dragged) {
    ONode* parent = dragged->GetParent();
    if (!parent) return nullptr;
    for (int32_t i = 0; i < parent->ChildCount(); ++i) {
        ONode* node = parent->ChildAt(i);
        if (!node->IsA(OView::kClassId)) continue;
        auto* view = static_cast<OView*>(node);
        if (view->AcceptsDrops() && !Related(view, dragged) && dragged->IntersectsView(view)) return view;
    }
    return nullptr;
}

void OWindow::DropDragView() {
    OView* dragged = dragView_;
    dragged->OnDragEnd();
    if (OView* target = FindDropTarget(dragged)) target->OnDrop(dragged);
    dragView_ = nullptr;
}

void OWindow::UpdateDragTarget(OView* dragged) {
    if (OView* host = dragged->GetHost()) {
        if (dragged->IntersectsView(host)) return;
        host->OnDragLeave(dragged);
        dragged->OnDragLeaveTarget(host);
        host->DetachChildView(dragged);
        if (dragLeft_) dragLeft_(dragged, host);
        return;
    }
    ONode* parent = dragged->GetParent();
    if (!parent || !dragged->AnnouncesDragOvers()) return;
    for (int32_t i = parent->ChildCount() - 1; i >= 0; --i) {
        ONode* node = parent->ChildAt(i);
        if (!node->IsA(OView::kClassId)) continue;
        auto* target = static_cast<OView*>(node);
        if (!target->IsAttachable() || Related(target, dragged) || !dragged->IntersectsView(target)) continue;
        target->AttachToView(dragged, 0);
        if (dragEntered_) dragEntered_(dragged, target);
        dragged->OnDragEnterTarget(target);
        target->OnDragEnter(dragged);
        return;
    }
}

void OWindow::HandleMouseMove(OView* hit) {
    if (!dragView_) {
        OView* hover = OView::HoverView();
        if (hit == hover) {
            if (hit && hit->HasHoverRepeat()) hit->OnCursorOver();
        } else {
            if (hover && hover->GetCursorMode() != 0) hover->OnCursorLeave();
            OView::SetHoverView(hit);
            if (hit) hit->OnCursorEnter();
        }
    } else {
        OView* dragged = dragView_;
        const plat::WinPoint cursor = plat::input().ScreenToClient(window_, plat::input().CursorPos());
        const float x = float(cursor.x + dragOffsetH_);
        const float y = float(cursor.y + dragOffsetV_);
        if (x != dragged->GetPosition().x || y != dragged->GetPosition().y) dragged->MoveBy(x, y, 0, 1);
        UpdateDragTarget(dragged);
        if (dragged->ContinueDrag() == 0) {
            dragged->EndDrag();
            DropDragView();
        }
    }
    if (!dragView_ && hit) hit->OnMouseMove();
}

void OWindow::HandleButtonUp(OView* hit, const xEvent& event) {
    OView* pressed = pressedView_;
    pressedView_ = nullptr;
    if (hit && hit == pressed && hit->EffectiveClickMode() == OView::kClickClick) {
        xEvent click = event;
        click.type = kEvClick;
        HandleClick(hit, click);
        return;
    }
    if (dragView_ && dragView_->EffectiveClickMode() == OView::kClickPressDrag) {
        if (dragView_->EndDrag() != 0) DropDragView();
        return;
    }
    if (hit) hit->OnButtonUp();
}

void OWindow::HandleClick(OView* hit, const xEvent& event) {
    if (dragView_ && dragView_->EffectiveClickMode() == OView::kClickClick) {
        if (dragView_->EndDrag() != 0) DropDragView();
        return;
    }
    if (hit->IsDraggable() && hit->EffectiveClickMode() == OView::kClickClick && hit->BeginDrag() != 0) {
        BeginDragOf(hit, event.cursor);
        return;
    }
    hit->OnClick();
}

void OWindow::DiscardInput() {
    plat::messages().RemoveInput(window_);
}

int32_t OWindow::HandleEvent(const xEvent& event) {
    if ((xProfiles_Values().fullScreen && switchedOut_) || !AcceptsEvents()) return OProcess::HandleEvent(event);
    if (event.category == kEventMouse) {
        if (event.type == kEvClick || event.type == kEvDoubleClick) return 1;
        OView* hit = ViewAtPoint(event.cursor);
        switch (event.type) {
        case kEvMouseMove:
            HandleMouseMove(hit);
            break;
        case kEvButtonDown:
            pressedView_ = hit;
            pressPosition_ = event.cursor;
            if (!dragView_ && hit) {
                if (hit->IsDraggable() && hit->EffectiveClickMode() == OView::kClickPressDrag && hit->BeginDrag() != 0)
                    BeginDragOf(hit, event.cursor);
                else
                    hit->OnButtonDown();
            }
            break;
        case kEvButtonUp:
            HandleButtonUp(hit, event);
            break;
        default:
            break;
        }
    } else {
        switch (event.type) {
        case kEvPaint:
            UpdateScreen();
            break;
        case kEvDiscardInput:
            DiscardInput();
            break;
        case kEvRequestA:
            ForwardRequestA();
            break;
        case kEvRequestB:
            ForwardRequestB();
            break;
        case kEvPaletteRequest:
            if (event.param2 == 0) {
                xEvent notice;
                notice.category = kEventWindowRequest;
                notice.type = kEvPaletteNotice;
                CColorPalette* palette = displaySurface_ ? displaySurface_->OwnPalette() : nullptr;
                notice.param1 = reinterpret_cast<uintptr_t>(palette ? palette : &xGraphics_GlobalPalette());
                CreateEvent(notice);
                return 0;
            }
            break;
        default:
            break;
        }
    }
    return OProcess::HandleEvent(event);
}

void OWindow::ForwardRequestA() {
    if (rootView_) rootView_->OnRequestA();
}

void OWindow::ForwardRequestB() {
    if (rootView_) rootView_->OnRequestB();
}

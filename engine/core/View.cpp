#include "engine/core/View.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "engine/base/Segment.h"
#include "engine/core/CoreState.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DirtyRects.h"
#include "engine/graphics/DrawSurface.h"

CRect16 CentredRect(const CPointF& centre, int16_t width, int16_t height) {
    const int32_t left = int32_t(centre.x) - (width >> 1);
    const int32_t top = int32_t(centre.y) - (height >> 1);
    return CRect16(ClampToInt16(left), ClampToInt16(top), ClampToInt16(left + width), ClampToInt16(top + height));
}

namespace {

CViewStatics& Statics() { return xCore_State().views; }

} // namespace

OView::OView(const char* name, uint32_t classId) : OProcess(name, classId) { AddEventMask(kEventMouse); }

OView::~OView() {
    if (Statics().hoverView == this) Statics().hoverView = nullptr;
    // The main window must not keep a root, pressed or dragged view that is gone.
    if (OWindow* window = OWindow::Main()) window->ForgetView(this);
    if (host_) host_->DetachChildView(this);
    if (attached_) {
        for (int32_t i = 0; i < attached_->Count(); ++i) {
            OView* view = attached_->At(i);
            view->host_ = nullptr;
            view->offsetV_ = view->offsetH_ = 0;
        }
        attached_.reset();
    }
}

bool OView::IsA(uint32_t classId) const { return classId == kClassId || OProcess::IsA(classId); }

bool OView::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return OProcess::HandleProperty(msg, set);
    const bool store = set != 0;
    switch (msg->id) {
    case kPropPosition:
        if (store) {
            int16_t x = 0;
            int16_t y = 0;
            if (msg->Get(0, x) && msg->Get(2, y)) position_ = drawnPosition_ = CPointF(x, y);
        } else {
            msg->Put(0, int16_t(position_.x));
            msg->Put(2, int16_t(position_.y));
        }
        break;
    case kPropSize:
        if (store) {
            int16_t w = 0;
            int16_t h = 0;
            if (msg->Get(0, w) && msg->Get(2, h)) {
                width_ = baseWidth_ = baseWidth2_ = w;
                height_ = baseHeight_ = baseHeight2_ = h;
                OnSizeChanged();
            }
        } else {
            msg->Put(0, width_);
            msg->Put(2, height_);
        }
        break;
    case kPropCursorMode:
        msg->Exchange(0, cursorMode_, set);
        break;
    case kPropVisible:
        msg->Exchange(0, visible_, set);
        break;
    case kPropDraggable:
        msg->Exchange(0, draggable_, set);
        break;
    case kPropOutline:
        msg->Exchange(0, outline_, set);
        break;
    case kPropWrapH:
        msg->Exchange(0, wrapH_, set);
        break;
    case kPropWrapV:
        msg->Exchange(0, wrapV_, set);
        if (store) SetPosition(position_, 0, 1); // place it again so that the wrap applies
        break;
    default:
        break;
    }
    return true;
}

bool OView::WindowTakesDirtyRects() {
    if (!xPlatform_GetMainWindow()) return false;
    return xProfiles_Values().dirtyRects != 0;
}

OView* OView::ParentView() const {
    ONode* parent = GetParent();
    return parent && parent->IsA(kClassId) ? static_cast<OView*>(parent) : nullptr;
}

CRect16 OView::GetScreenRect() {
    CRect16 rect;
    GetBoundsRect(&rect);
    if (OView* parent = ParentView()) {
        CPoint16 corner;
        parent->GetAnchorInt(&corner, 1);
        rect = rect.Offset(corner.x, corner.y);
    }
    return rect;
}

void OView::Invalidate() {
    dirty_ = 1;
    if (WindowTakesDirtyRects()) xDirtyRects_Add(GetScreenRect());
}

void OView::InvalidateIfShown() {
    if (!visible_ || !GetParent()) return;
    OView* parent = ParentView();
    if (parent && !parent->IsShownThroughParents()) return;
    Invalidate();
}

bool OView::IsShownThroughParents() const {
    if (!visible_) return false;
    for (const OView* view = ParentView(); view; view = view->ParentView())
        if (!view->visible_) return false;
    return true;
}

bool OView::IsDescendantOf(const OView* view) const {
    for (ONode* parent = GetParent(); parent; parent = parent->GetParent())
        if (parent == view) return true;
    return false;
}

void OView::GetAnchor(CPointF* point, int32_t n) const {
    if (!point || n < 1 || n > 9) return;
    const int32_t column = (n - 1) % 3;
    const int32_t row = (n - 1) / 3;
    point->x = column == 0 ? GetLeft() : column == 1 ? position_.x : GetRight();
    point->y = row == 0 ? GetTop() : row == 1 ? position_.y : GetBottom();
}

void OView::GetAnchorInt(CPoint16* point, int32_t n) const {
    if (!point || n < 1 || n > 9) return;
    CPointF anchor;
    GetAnchor(&anchor, n);
    *point = CPoint16(ClampToInt16(int32_t(anchor.x)), ClampToInt16(int32_t(anchor.y)));
}

void OView::DestroyChildren() {
    if (IsShownThroughParents()) InvalidateIfShown();
    ONode::DestroyChildren();
}

bool OView::OnParentChanging(ONode* /*newParent*/) {
    if (Statics().hoverView == this) {
        OnCursorLeave();
        Statics().hoverView = nullptr;
    }
    InvalidateIfShown();
    ONode* old = GetParent();
    if (old && attached_) {
        for (int32_t i = attached_->Count() - 1; i >= 0; --i) {
            OView* view = attached_->At(i);
            if (view->GetParent() == old) old->RemoveChild(view);
        }
    }
    return true;
}

void OView::OnParentChanged(ONode* newParent) {
    if (!newParent) return;
    // The parent link is set after this call: erase at the place the new parent gives.
    if (visible_ && (!newParent->IsA(kClassId) || static_cast<OView*>(newParent)->IsShownThroughParents())) {
        dirty_ = 1;
        if (WindowTakesDirtyRects()) {
            CRect16 rect;
            GetBoundsRect(&rect);
            if (newParent->IsA(kClassId)) {
                CPoint16 corner;
                static_cast<OView*>(newParent)->GetAnchorInt(&corner, 1);
                rect = rect.Offset(corner.x, corner.y);
            }
            xDirtyRects_Add(rect);
        }
    }
    if (attached_) {
        for (int32_t i = 0; i < attached_->Count(); ++i) newParent->AddChild(attached_->At(i));
    }
}

bool OView::AttachToView(OView* view, uint8_t force) {
    if (!view || view == this) return false;
    if (!attachable_ && force != 1) return false;
    if (view->host_ == this) return true;
    // A view that this one hangs on (directly or further up) cannot hang on it in turn.
    for (const OView* h = host_; h; h = h->host_)
        if (h == view) return false;
    if (!attached_) {
        attached_.reset(new (std::nothrow) CPtrList<OView>);
        if (!attached_) return false;
    }
    if (!attached_->ReserveOneMore()) return false;
    if (view->host_) view->host_->DetachChildView(view);
    view->offsetV_ = ClampToInt16(int32_t(view->position_.y) - int32_t(position_.y));
    view->offsetH_ = ClampToInt16(int32_t(view->position_.x) - int32_t(position_.x));
    attached_->Append(view);
    view->host_ = this;
    return true;
}

bool OView::DetachChildView(OView* view) {
    if (!view || !attached_ || !attached_->Remove(view)) return false;
    view->host_ = nullptr;
    view->offsetV_ = view->offsetH_ = 0;
    return true;
}

void OView::PlaceAttachedViews() {
    if (!attached_) return;
    for (int32_t i = 0; i < attached_->Count(); ++i) {
        OView* view = attached_->At(i);
        view->SetPosition(CPointF(float(int32_t(position_.x) + view->offsetH_),
                                  float(int32_t(position_.y) + view->offsetV_)),
                          0, 1);
        view->PlaceAttachedViews();
    }
}

void OView::OnSizeChanged() {}

void OView::GetBoundsRect(CRect16* rect) {
    if (!rect || !HasRightAngleRotation()) return;
    *rect = CentredRect(position_, width_, height_);
}

float OView::Wrap(float value, float extent) {
    if (extent <= 0.0f || (value >= 0.0f && value < extent)) return value;
    float wrapped = std::fmod(value, extent);
    if (wrapped < 0.0f) wrapped += extent;
    if (wrapped >= extent || wrapped == 0.0f) wrapped = 0.0f;
    return wrapped;
}

void OView::SetPosition(const CPointF& point, uint8_t relative, uint8_t moveAttached) {
    const bool shown = WindowTakesDirtyRects() && IsShownThroughParents();
    CRect16 oldRect;
    if (shown && HasRightAngleRotation()) oldRect = GetScreenRect();

    float dx;
    float dy;
    if (relative) {
        dx = point.x;
        dy = point.y;
        position_.x += dx;
        position_.y += dy;
    } else {
        dx = point.x - position_.x;
        dy = point.y - position_.y;
        position_ = point;
    }

    OView* parent = ParentView();
    if (parent) {
        if (wrapH_) {
            const float wrapped = Wrap(position_.x, float(parent->width_));
            dx += wrapped - position_.x;
            position_.x = wrapped;
        }
        if (wrapV_) {
            const float wrapped = Wrap(position_.y, float(parent->height_));
            dy += wrapped - position_.y;
            position_.y = wrapped;
        }
    }

    drawnPosition_ = position_;
    if (parent && HasRightAngleRotation()) {
        const float w = float(parent->width_);
        const float h = float(parent->height_);
        if (wrapH_ && w > 0.0f) {
            if (GetLeft() < 0.0f) drawnPosition_.x += w;
            else if (GetRight() > w) drawnPosition_.x -= w;
        }
        if (wrapV_ && h > 0.0f) {
            if (GetTop() < 0.0f) drawnPosition_.y += h;
            else if (GetBottom() > h) drawnPosition_.y -= h;
        }
    }

    if (moveAttached && !attachedHeld_ && attached_) {
        for (int32_t i = 0; i < attached_->Count(); ++i) attached_->At(i)->MoveBy(dx, dy, 1, 1);
    }

    if (shown) {
        CRect16 rect;
        if (HasRightAngleRotation()) rect = GetScreenRect();
        if (!oldRect.IsEmpty() && !rect.IsEmpty()) rect = rect.Union(oldRect);
        dirty_ = 1;
        xDirtyRects_Add(rect);
    }
}

void OView::MoveBy(float x, float y, uint8_t relative, uint8_t moveAttached) {
    SetPosition(CPointF(x, y), relative, moveAttached);
}

void OView::SetSize(const CPoint16& size, uint8_t relative) {
    InvalidateIfShown();
    if (relative) {
        height_ = int16_t(height_ + size.y);
        width_ = int16_t(width_ + size.x);
    } else {
        height_ = size.y;
        width_ = size.x;
    }
    OnSizeChanged();
    InvalidateIfShown();
}

void OView::SetScale(float vertical, float horizontal) {
    if (vertical <= 0.0f || horizontal <= 0.0f) return;
    if (vertical == scaleV_ && horizontal == scaleH_) return;
    const float oldV = scaleV_;
    const float oldH = scaleH_;
    scaleV_ = vertical;
    scaleH_ = horizontal;
    InvalidateIfShown();
    const int32_t turn = ((rotation_ % 360) + 360) % 360;
    if (turn == 90 || turn == 270) {
        SetSize(CPoint16(ClampToInt16(int32_t(baseHeight_ * vertical)), ClampToInt16(int32_t(baseWidth_ * horizontal))),
                0);
    } else {
        SetSize(CPoint16(ClampToInt16(int32_t(baseWidth_ * horizontal)), ClampToInt16(int32_t(baseHeight_ * vertical))),
                0);
    }
    if (!attached_) return;
    for (int32_t i = 0; i < attached_->Count(); ++i) {
        OView* view = attached_->At(i);
        view->SetScale(vertical, horizontal);
        const CPointF p = view->position_;
        view->SetPosition(CPointF(position_.x + (p.x - position_.x) * (horizontal / oldH),
                                  position_.y + (p.y - position_.y) * (vertical / oldV)),
                          0, 1);
    }
}

void OView::SetVisible(uint8_t visible, uint8_t alsoAttached) {
    visible_ = visible;
    if (alsoAttached == 1 && attached_) {
        for (int32_t i = 0; i < attached_->Count(); ++i) attached_->At(i)->SetVisible(visible, 1);
    }
    Invalidate();
}

OView* OView::HitTestPoint(const CPoint16& point) {
    CRect16 bounds;
    GetBoundsRect(&bounds);
    switch (cursorMode_) {
    case kHitChildrenThenSelf: {
        if (!bounds.ContainsPoint(point.x, point.y)) return nullptr;
        OView* hit = HitTestPointDeep(point);
        return hit ? hit : this;
    }
    case kHitSelf: {
        OView* parent = ParentView();
        if (parent && !parent->IsShownThroughParents()) return nullptr;
        return visible_ && bounds.ContainsPoint(point.x, point.y) ? this : nullptr;
    }
    case kHitChildrenOnly: {
        OView* hit = HitTestPointDeep(point);
        return hit == this ? nullptr : hit;
    }
    default:
        return nullptr;
    }
}

bool OView::BoundsContain(const CPoint16& point) {
    CRect16 bounds;
    GetBoundsRect(&bounds);
    return bounds.ContainsPoint(point.x, point.y);
}

CPoint16 OView::ToChildCoordinates(const CPoint16& point) const {
    CPoint16 corner;
    GetAnchorInt(&corner, 1);
    return CPoint16(int16_t(point.x - corner.x), int16_t(point.y - corner.y));
}

OView* OView::HitTestPointDeep(const CPoint16& point) {
    OView* parent = ParentView();
    if ((parent && parent->cursorMode_ == kHitNever) || cursorMode_ == kHitNever) return nullptr;
    if (!BoundsContain(point)) return nullptr;
    if (cursorMode_ != kHitSelf) {
        const CPoint16 local = ToChildCoordinates(point);
        for (int32_t i = ChildCount() - 1; i >= 0; --i) {
            ONode* child = ChildAt(i);
            if (!child->IsA(kClassId)) continue;
            if (OView* hit = static_cast<OView*>(child)->HitTestPoint(local)) return hit;
        }
    }
    return IsShownThroughParents() && cursorMode_ != kHitChildrenOnly ? this : nullptr;
}

OView* OView::HitTestPointAny(const CPoint16& point) {
    if (!BoundsContain(point)) return nullptr;
    const CPoint16 local = ToChildCoordinates(point);
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        ONode* child = ChildAt(i);
        if (!child->IsA(kClassId)) continue;
        if (OView* hit = static_cast<OView*>(child)->HitTestPointAny(local)) return hit;
    }
    return IsShownThroughParents() ? this : nullptr;
}

OView* OView::HitTestPointAt(const CPoint16& point, OView* skipped) {
    if (!BoundsContain(point)) return nullptr;
    const CPoint16 local = ToChildCoordinates(point);
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        ONode* child = ChildAt(i);
        if (child == skipped || !child->IsA(kClassId)) continue;
        auto* view = static_cast<OView*>(child);
        CRect16 rect;
        view->GetBoundsRect(&rect);
        if (!rect.ContainsPoint(local.x, local.y)) continue;
        if (OView* hit = view->HitTestPointAt(local, skipped)) return hit;
    }
    return this;
}

bool OView::IntersectsSegment(const CPoint32 segment[2], uint32_t /*unused*/, uint8_t* outside) {
    CRect16 bounds;
    GetBoundsRect(&bounds);
    if (outside) *outside = bounds.ContainsPoint(segment[0].x, segment[0].y) ? 0 : 1;
    return SegmentMeetsRect(segment[0].x, segment[0].y, segment[1].x, segment[1].y, bounds);
}

bool OView::IntersectsSegment16(const CPoint16 segment[2], uint32_t /*unused*/, uint8_t* outside) {
    const CPoint32 wide[2] = {CPoint32(segment[0].x, segment[0].y), CPoint32(segment[1].x, segment[1].y)};
    return IntersectsSegment(wide, 0, outside);
}

bool OView::IntersectsView(OView* view) {
    if (!view) return false;
    CRect16 a;
    CRect16 b;
    GetBoundsRect(&a);
    view->GetBoundsRect(&b);
    return a.Overlaps(b);
}

void OView::OnMouseMove() {}
void OView::OnCursorOver() {}

void OView::OnCursorEnter() {
    if (cursorMode_ == kHitNever || cursorMode_ == kHitChildrenOnly) return;
    if (Statics().hoverCursor) Statics().hoverCursor->OnEnterView(this);
}

void OView::OnCursorLeave() {
    if (cursorMode_ == kHitNever || cursorMode_ == kHitChildrenOnly) return;
    if (Statics().hoverCursor) Statics().hoverCursor->OnLeaveView(this);
}

void OView::OnButtonDown() {}
void OView::OnButtonUp() {}
void OView::OnClick() {}
void OView::OnHook() {}
void OView::OnRequestA() {}
void OView::OnRequestB() {}
int32_t OView::BeginDrag() { return 1; }
int32_t OView::OnDragEnd() { return 1; }
int32_t OView::ContinueDrag() { return 1; }
int32_t OView::EndDrag() { return 1; }
int32_t OView::OnDragEnterTarget(OView* /*target*/) { return 1; }
int32_t OView::OnDragEnter(OView* /*dragged*/) { return 1; }
int32_t OView::OnDragLeave(OView* /*dragged*/) { return 1; }
int32_t OView::OnDragLeaveTarget(OView* /*target*/) { return 1; }
int32_t OView::OnDrop(OView* /*dragged*/) { return 1; }

void OView::Broadcast(uintptr_t value) {
    for (int32_t i = 0; i < ChildCount(); ++i) {
        ONode* child = ChildAt(i);
        if (child->IsA(kClassId)) static_cast<OView*>(child)->Broadcast(value);
    }
}

void OView::CallGroup(uintptr_t value, int32_t wholeGroup) {
    if (!wholeGroup) {
        OnGroupCall(value, 0);
        return;
    }
    std::vector<OView*> group{this};
    for (size_t i = 0; i < group.size(); ++i) {
        OView* view = group[i];
        for (int32_t k = 0; k < view->AttachedCount(); ++k) {
            OView* attached = view->AttachedAt(k);
            if (std::find(group.begin(), group.end(), attached) == group.end()) group.push_back(attached);
        }
    }
    std::stable_sort(group.begin(), group.end(), [](const OView* a, const OView* b) {
        if (a->GetPriority() != b->GetPriority()) return a->GetPriority() < b->GetPriority();
        return a->GetSequence() < b->GetSequence();
    });
    for (OView* view : group) view->OnGroupCall(value, 0);
}

void OView::OnGroupCall(uintptr_t value, int32_t wholeGroup) {
    if (!wholeGroup || !attached_) return;
    for (int32_t i = 0; i < attached_->Count(); ++i) attached_->At(i)->CallGroup(value, wholeGroup);
}

namespace {

/// The border pixels of a rectangle (right and bottom exclusive) that lie inside `clip`, in a
/// colour word; on 8-bit surfaces in the palette's nearest index.
void DrawOutline(CDrawSurface* d, const CRect16& rect, const CRect16& clip, uint32_t colour) {
    const CRect16 area = rect.Intersect(clip);
    if (area.IsEmpty()) return;
    const bool eight = d->GetBitsPerPixel() == 8;
    const uint8_t index = eight ? uint8_t(d->EffectivePalette()->FindNearestColor(colour)) : 0;
    auto row = [&](int16_t y) {
        if (y < area.top || y >= area.bottom) return;
        if (eight) d->DrawLine8(area.left, y, area.right, y, index); // a row leaves out its right end
        else d->DrawLineRGB(area.left, y, int16_t(area.right - 1), y, colour);
    };
    auto column = [&](int16_t x) {
        if (x < area.left || x >= area.right) return;
        if (eight) d->DrawLine8(x, area.top, x, int16_t(area.bottom - 1), index);
        else d->DrawLineRGB(x, area.top, x, int16_t(area.bottom - 1), colour);
    };
    row(rect.top);
    row(int16_t(rect.bottom - 1));
    column(rect.left);
    column(int16_t(rect.right - 1));
}

} // namespace

void OView::Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& /*source*/,
                 const CClipRect& target) {
    if (!destination) return;
    DrawChildren(destination, point, target);
    if (ShowBounds() || outline_ == 1) {
        const CRect16 bounds = CentredRect(position_, width_, height_).Offset(point.x, point.y);
        const CRect16 surface(0, 0, destination->GetWidth(), destination->GetHeight());
        DrawOutline(destination, bounds, FromClip(target).Intersect(surface), outlineColor_);
    }
}

void OView::DrawChildren(CDrawSurface* destination, CPoint16 point, const CClipRect& target) {
    if (ChildCount() == 0) return;
    const CPoint16 origin(ClampToInt16(point.x + int32_t(position_.x - float(width_ / 2))),
                          ClampToInt16(point.y + int32_t(position_.y - float(height_ / 2))));
    const CRect16 area = FromClip(target);
    for (int32_t i = 0; i < ChildCount(); ++i) {
        ONode* child = ChildAt(i);
        if (!child->IsA(kClassId)) continue;
        auto* view = static_cast<OView*>(child);
        if (!view->visible_) continue;
        const CRect16 rect = CentredRect(view->position_, view->width_, view->height_).Offset(origin.x, origin.y);
        const CRect16 part = rect.Intersect(area);
        if (part.IsEmpty()) continue;
        view->Draw(destination, origin, ToClip(part.Offset(-rect.left, -rect.top)), ToClip(part));
    }
}

OView* OView::HoverView() { return Statics().hoverView; }
void OView::SetHoverView(OView* view) { Statics().hoverView = view; }
void OView::SetHoverCursor(CHoverCursor* cursor) { Statics().hoverCursor = cursor; }
CHoverCursor* OView::GetHoverCursor() { return Statics().hoverCursor; }

int32_t& OView::DefaultClickMode() { return Statics().defaultClickMode; }
uint8_t& OView::ShowBounds() { return Statics().showBounds; }

#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/Point.h"
#include "engine/base/Rect.h"
#include "engine/core/Process.h"
#include "engine/core/PtrList.h"
#include "engine/graphics/ClipRect.h"

class CDrawSurface;
class OView;

/// A stage rectangle as the clip rectangle the drawing calls take, and back.
inline CClipRect ToClip(const CRect16& r) { return CClipRect(r.left, r.top, r.right, r.bottom); }
inline CRect16 FromClip(const CClipRect& r) { return CRect16(r.left, r.top, r.right, r.bottom); }
/// The rectangle of the given size centred on `centre` (truncated), held to 16 bits: where a
/// view at that place covers its parent.
CRect16 CentredRect(const CPointF& centre, int16_t width, int16_t height);

/// A point of two signed 32-bit values (vertical first; built from (x, y)).
struct CPoint32 {
    int32_t y = 0;
    int32_t x = 0;
    constexpr CPoint32() = default;
    constexpr CPoint32(int32_t h, int32_t v) : y(v), x(h) {}
};

/// The pointer side of hovering: told when the pointer enters or leaves a view whose hover
/// cursor mode is 1 or 2. The game's mouse process installs it (OView::SetHoverCursor); it
/// shows the view's hover cursor and restores the normal one.
class CHoverCursor {
public:
    virtual ~CHoverCursor() = default;
    virtual void OnEnterView(OView* view) = 0;
    virtual void OnLeaveView(OView* view) = 0;
};

/// Every visible object of the stage (class id 50): a centre position in its parent's
/// coordinates, a size, scale, rotation, visibility, a hover cursor mode that is also its hit
/// mode, and attached views that move, scale and show with it. Moving, sizing and showing a
/// view report the rectangles to redraw to the main window's dirty list.
class OView : public OProcess {
public:
    static constexpr uint32_t kClassId = 50;

    /// Property family 50.
    enum : uint32_t {
        kPropPosition = 1,
        kPropSize = 2,
        kPropCursorMode = 3,
        kPropVisible = 4,
        kPropDraggable = 5,
        kPropOutline = 6,
        kPropWrapH = 7,
        kPropWrapV = 8,
    };

    /// Hit and hover cursor modes.
    enum : uint16_t {
        kHitNever = 0,
        kHitChildrenThenSelf = 1,
        kHitSelf = 2,
        kHitChildrenOnly = 3,
    };

    /// How the main window treats a press on a view (0 takes DefaultClickMode).
    enum : int32_t { kClickDefault = 0, kClickPressDrag = 1, kClickClick = 2 };

    OView(const char* name, uint32_t classId);
    ~OView() override;

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// Erases the view's area when it is shown, then deletes the children.
    void DestroyChildren() override;
    /// Leaves the hover, erases the area and takes the attached views out of the old parent.
    bool OnParentChanging(ONode* newParent) override;
    /// With a new parent: erases the area and lists the attached views there too.
    void OnParentChanged(ONode* newParent) override;

    /// Attaches `view` to this one (from another host if need be); refused when this view is
    /// not attachable unless forced. True when attached (also when it already was).
    virtual bool AttachToView(OView* view, uint8_t force);
    /// Detaches an attached view; false when it is not attached here.
    virtual bool DetachChildView(OView* view);
    /// Moves every attached view to this view's position plus its stored offset, recursively.
    virtual void PlaceAttachedViews();
    /// Called after every size change.
    virtual void OnSizeChanged();
    /// The view's rectangle in its parent's coordinates; untouched when the rotation is not a
    /// multiple of 90.
    virtual void GetBoundsRect(CRect16* rect);
    /// Moves the view to `point` (or by it when relative), wrapping in its parent when asked,
    /// moving the attached views along, and reporting the old and new place as dirty.
    virtual void SetPosition(const CPointF& point, uint8_t relative, uint8_t moveAttached);
    virtual void MoveBy(float x, float y, uint8_t relative, uint8_t moveAttached);
    /// The view under a point of the parent's coordinates, by the hit mode.
    virtual OView* HitTestPoint(const CPoint16& point);
    virtual OView* HitTestPointDeep(const CPoint16& point);
    /// As HitTestPointDeep without regard to hit modes.
    virtual OView* HitTestPointAny(const CPoint16& point);
    /// The child under the point (skipping one), or this view; null outside the bounds.
    virtual OView* HitTestPointAt(const CPoint16& point, OView* skipped);
    /// Whether a segment meets the bounds; `outside` (when given) is set to 0 when the first
    /// point lies inside the bounds, else to 1.
    virtual bool IntersectsSegment(const CPoint32 segment[2], uint32_t unused, uint8_t* outside);
    virtual bool IntersectsSegment16(const CPoint16 segment[2], uint32_t unused, uint8_t* outside);
    virtual bool IntersectsView(OView* view);
    virtual void OnMouseMove();
    virtual void OnCursorOver();
    /// Shows the hover cursor (modes 1 and 2).
    virtual void OnCursorEnter();
    /// Restores the normal cursor (modes 1 and 2).
    virtual void OnCursorLeave();
    virtual void OnButtonDown();
    virtual void OnButtonUp();
    virtual void OnClick();
    virtual void OnHook();
    virtual void OnRequestA();
    virtual void OnRequestB();
    virtual int32_t BeginDrag();
    virtual int32_t OnDragEnd();
    virtual int32_t ContinueDrag();
    virtual int32_t EndDrag();
    virtual int32_t OnDragEnterTarget(OView* target);
    virtual int32_t OnDragEnter(OView* dragged);
    virtual int32_t OnDragLeave(OView* dragged);
    virtual int32_t OnDragLeaveTarget(OView* target);
    virtual int32_t OnDrop(OView* dragged);
    /// Passes the value to every child view.
    virtual void Broadcast(uintptr_t value);
    /// OnGroupCall on this view, or with `wholeGroup` on it and every view attached to it
    /// (recursively), in priority and then insertion order.
    virtual void CallGroup(uintptr_t value, int32_t wholeGroup);
    virtual void OnGroupCall(uintptr_t value, int32_t wholeGroup);
    /// Draws the visible child views into `destination`: `point` is where the view's parent
    /// origin lies in it, `source` the part of the view to draw (relative to its top-left
    /// corner) and `target` the same part in the destination. Then, with the outline byte 1
    /// or the show-bounds switch on, the view's border in the outline colour, clipped to
    /// `target`.
    virtual void Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source,
                      const CClipRect& target);

    /// Sets (or adds to) the drawn size, reporting the old and new area as dirty.
    void SetSize(const CPoint16& size, uint8_t relative);
    void MoveToPoint(const CPoint16& size, uint8_t relative) { SetSize(size, relative); }
    /// Scales the base size (vertical factor first) and moves the attached views with it.
    void SetScale(float vertical, float horizontal);
    void SetVisible(uint8_t visible, uint8_t alsoAttached);
    void SetCursorMode(uint16_t mode) { cursorMode_ = mode; }
    /// Reports the view's screen rectangle as dirty.
    void Invalidate();
    /// Visible, and no parent view (up to the first parent that is not a view) is hidden.
    bool IsShownThroughParents() const;
    /// Whether `view` is on this view's parent chain.
    bool IsDescendantOf(const OView* view) const;
    /// One of nine points of the rectangle, numbered as a keypad read from the top (1
    /// top-left ... 5 centre ... 9 bottom-right); untouched for other numbers.
    void GetAnchor(CPointF* point, int32_t n) const;
    void GetAnchorInt(CPoint16* point, int32_t n) const;
    float GetTop() const { return position_.y - float(height_ / 2); }
    float GetLeft() const { return position_.x - float(width_ / 2); }
    float GetBottom() const { return GetTop() + float(height_); }
    float GetRight() const { return GetLeft() + float(width_); }
    void SetPositionInt(const CPoint16& point, uint8_t relative, uint8_t moveAttached) {
        SetPosition(CPointF(point.x, point.y), relative, moveAttached);
    }
    void SetPositionXY(float x, float y, uint8_t relative, uint8_t moveAttached) {
        MoveBy(x, y, relative, moveAttached);
    }
    /// The rectangle on the stage: the bounds moved by the parent view's top-left corner.
    CRect16 GetScreenRect();

    const CPointF& GetPosition() const { return position_; }
    const CPointF& GetDrawnPosition() const { return drawnPosition_; }
    int16_t GetWidth() const { return width_; }
    int16_t GetHeight() const { return height_; }
    CPoint16 GetSize() const { return CPoint16(width_, height_); }
    CPoint16 GetBaseSize() const { return CPoint16(baseWidth_, baseHeight_); }
    float GetScaleV() const { return scaleV_; }
    float GetScaleH() const { return scaleH_; }
    int32_t GetRotation() const { return rotation_; }
    void SetRotation(int32_t degrees) { rotation_ = degrees; }
    bool HasRightAngleRotation() const { return rotation_ % 90 == 0; }
    uint16_t GetCursorMode() const { return cursorMode_; }
    uint8_t IsVisible() const { return visible_; }
    uint8_t IsAttachable() const { return attachable_; }
    void SetAttachable(uint8_t on) { attachable_ = on; }
    uint8_t WrapsH() const { return wrapH_; }
    uint8_t WrapsV() const { return wrapV_; }
    uint8_t HasOutline() const { return outline_; }
    void SetOutline(uint8_t on) { outline_ = on; }
    uint32_t GetOutlineColor() const { return outlineColor_; }
    uint8_t IsDraggable() const { return draggable_; }
    void SetDraggable(uint8_t on) { draggable_ = on; }
    int32_t GetClickMode() const { return clickMode_; }
    void SetClickMode(int32_t mode) { clickMode_ = mode; }
    /// The click mode in effect (0 stands for the engine-wide default).
    int32_t EffectiveClickMode() const { return clickMode_ != 0 ? clickMode_ : DefaultClickMode(); }
    uint8_t HasHoverRepeat() const { return hoverRepeat_; }
    void SetHoverRepeat(uint8_t on) { hoverRepeat_ = on; }
    uint8_t AnnouncesDragOvers() const { return announcesDragOvers_; }
    void SetAnnouncesDragOvers(uint8_t on) { announcesDragOvers_ = on; }
    uint8_t AcceptsDrops() const { return acceptsDrops_; }
    void SetAcceptsDrops(uint8_t on) { acceptsDrops_ = on; }
    uint8_t IsDirty() const { return dirty_; }
    void SetDirty(uint8_t on) { dirty_ = on; }
    uint8_t AreAttachedViewsHeld() const { return attachedHeld_; }
    void SetAttachedViewsHeld(uint8_t on) { attachedHeld_ = on; }
    OView* GetHost() const { return host_; }
    CPoint16 GetHostOffset() const { return CPoint16(offsetH_, offsetV_); }
    int32_t AttachedCount() const { return attached_ ? attached_->Count() : 0; }
    OView* AttachedAt(int32_t index) const { return attached_->At(index); }

    /// The parent as a view, or null when the parent is none or not a view.
    OView* ParentView() const;

    /// The engine-wide click mode of views whose own mode is 0 (1 until the game sets one).
    static int32_t& DefaultClickMode();
    /// The engine-wide switch that outlines every view.
    static uint8_t& ShowBounds();
    /// The view the pointer is over (held for the main window), or null.
    static OView* HoverView();
    static void SetHoverView(OView* view);
    /// Who shows hover cursors; null until the mouse process installs itself.
    static void SetHoverCursor(CHoverCursor* cursor);
    static CHoverCursor* GetHoverCursor();

private:
    /// Draws the visible children, each clipped to its part of `target`.
    void DrawChildren(CDrawSurface* destination, CPoint16 point, const CClipRect& target);
    /// Whether the main window takes dirty rectangles now.
    static bool WindowTakesDirtyRects();
    /// Invalidates the view when it is visible and has a parent that is not a hidden view
    /// (erasing the old area or drawing the new one).
    void InvalidateIfShown();
    /// Wraps one coordinate into [0, extent).
    static float Wrap(float value, float extent);
    /// Whether a point in the parent's coordinates lies inside the view's bounds.
    bool BoundsContain(const CPoint16& point);
    /// A point in the parent's coordinates turned into the children's (from the top left corner).
    CPoint16 ToChildCoordinates(const CPoint16& point) const;

    CPointF position_;
    CPointF drawnPosition_;
    int16_t height_ = 0;
    int16_t width_ = 0;
    int16_t baseHeight_ = 0;
    int16_t baseWidth_ = 0;
    int16_t baseHeight2_ = 0;
    int16_t baseWidth2_ = 0;
    float scaleV_ = 1.0f;
    float scaleH_ = 1.0f;
    int32_t rotation_ = 0;
    uint16_t cursorMode_ = 0;
    uint8_t visible_ = 1;
    uint8_t attachable_ = 0;
    uint8_t wrapH_ = 0;
    uint8_t wrapV_ = 0;
    uint8_t outline_ = 0;
    uint32_t outlineColor_ = 0x00FFFF00; // bytes 0, 255, 255, 0
    uint8_t draggable_ = 0;
    int32_t clickMode_ = 0;
    uint8_t hoverRepeat_ = 0;
    uint8_t announcesDragOvers_ = 0;
    uint8_t acceptsDrops_ = 0;
    uint8_t dirty_ = 0;
    uint8_t attachedHeld_ = 0;
    std::unique_ptr<CPtrList<OView>> attached_;
    OView* host_ = nullptr;
    int16_t offsetV_ = 0;
    int16_t offsetH_ = 0;
};

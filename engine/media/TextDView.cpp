#include "engine/media/TextDView.h"

#include <new>

#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DDrawOffscreenSurface.h"
#include "engine/graphics/TextDIBSurface.h"
#include "engine/media/SysFont.h"

OTextDView::OTextDView(const char* name, uint32_t classId) : OTextView(name, classId) {
    AddEventMask(kEventWindowRequest);
}

OTextDView::~OTextDView() = default;

bool OTextDView::IsA(uint32_t classId) const { return classId == kClassId || OTextView::IsA(classId); }

bool OTextDView::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return OTextView::HandleProperty(msg, set);
    if (msg->id == kPropCentreVertically) msg->Exchange(0, centreVertically_, set);
    return true;
}

bool OTextDView::SetFont(OFont* font) { return font && font->IsA(OSysFont::kClassId); }

CDrawSurface* OTextDView::MeasuringSurface() {
    OWindow* window = OWindow::Main();
    return window ? window->GetDisplaySurface() : nullptr;
}

void OTextDView::MakeSurface(int16_t width, int16_t height) {
    if (!surface_) {
        if (xProfiles_Flag("DIRECTDRAW")) {
            auto offscreen = std::make_unique<CDDrawOffscreenSurface>();
            offscreen->SetMemoryPreference(CDDrawOffscreenSurface::kSystemMemory);
            surface_ = std::move(offscreen);
        } else {
            surface_ = std::make_unique<CTextDIBSurface>();
        }
    }
    surface_->Create(width, height, xText_StageDepth());
}

void OTextDView::OnSizeChanged() { MakeSurface(GetWidth(), GetHeight()); }

void OTextDView::FitToText(uint8_t on) {
    if (on == fitToText_) return;
    fitToText_ = on;
    if (on && !text_.Empty() && font_) {
        // A view of no size has no surface to measure in yet.
        if (!surface_ || !surface_->IsValid()) MakeSurface(1, 1);
        const CTextStyle style = Style(false);
        const CPoint16 size = font_->MeasureText(text_.c_str(), surface_.get(), nullptr, &style);
        surface_->Create(size.x, size.y, surface_->GetBitsPerPixel());
        SetSize(size, 0);
        fitToText_ = 0;
    }
    Reformat();
}

void OTextDView::Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) {
    // The view's rectangle in the destination; empty unless turned by quarter turns.
    CRect16 rect;
    if (HasRightAngleRotation()) rect = CentredRect(GetPosition(), GetWidth(), GetHeight()).Offset(point.x, point.y);
    if (destination && source.Width() > 0 && source.Height() > 0 && target.Width() > 0 && target.Height() > 0 &&
        (!text_.Empty() || drawWhenEmpty_)) {
        DrawBackground(destination, ToClip(rect), target);
        if (font_) DrawTextPart(destination, source, target, ToClip(rect));
    }
    if (xText_SurfaceUsable(destination)) OActivityProp::Draw(destination, point, source, target);
}

void OTextDView::DrawBackground(CDrawSurface* destination, const CClipRect& view, const CClipRect& target) {
    CDrawSurface* own = surface_.get();
    if (!transparent_) {
        if (!buffered_) {
            // Only the part being drawn now: the rest of the stage keeps what lies over it.
            const CRect16 fill = FromClip(view).Intersect(FromClip(target));
            if (!fill.IsEmpty() && xText_SurfaceUsable(destination)) FillColour(destination, ToClip(fill), backColor_);
        } else if (xText_SurfaceUsable(own)) {
            ClearBackground(own);
        }
    } else if (buffered_ && xText_SurfaceUsable(own) && xText_SurfaceUsable(destination)) {
        // The text lands on what the stage shows under the view.
        const CRect16 under =
            FromClip(view).Intersect(CRect16(0, 0, destination->GetWidth(), destination->GetHeight()));
        if (!under.IsEmpty())
            destination->CopyRect(ToClip(under), own,
                                  CPoint16(int16_t(under.left - view.left), int16_t(under.top - view.top)), kDrawSolid);
    }
}

CRect16 OTextDView::TextLayout() {
    CRect16 layout(0, 0, GetWidth(), GetHeight());
    if (centreVertically_ && font_) {
        const int32_t height = font_->GetTextHeight(text_.c_str(), surface_.get());
        if (GetHeight() > height) layout = layout.Offset(0, (GetHeight() - height) / 2);
    }
    return layout;
}

std::vector<CTextLine> OTextDView::LaidOutLines() {
    if (!font_ || text_.Empty()) return {};
    const CRect16 view = GetScreenRect();
    const CTextStyle style = Style(false);
    return font_->LayOutText(text_.c_str(), ToClip(TextLayout().Offset(view.left, view.top)), &style);
}

void OTextDView::DrawTextPart(CDrawSurface* destination, const CClipRect& source, const CClipRect& target,
                              const CClipRect& view) {
    const char* text = text_.c_str();
    const CRect16 layout = TextLayout();
    font_->SetTextColor(textColor_);
    const CTextStyle style = Style(false);
    if (!buffered_) {
        if (!xText_SurfaceUsable(destination)) return;
        const CRect16 clip = FromClip(view).Intersect(FromClip(target));
        font_->DrawTextInRect(text, destination, ToClip(layout.Offset(view.left, view.top)),
                              clip.IsEmpty() ? CClipRect() : ToClip(clip), &style);
        return;
    }
    CDrawSurface* own = surface_.get();
    if (!xText_SurfaceUsable(own) || !xText_SurfaceUsable(destination)) return;
    font_->DrawTextInRect(text, own, ToClip(layout), ToClip(layout), &style);
    own->CopyRect(source, destination, CPoint16(target.left, target.top), kDrawSolid);
}

OTextDView* CreateTextDView(int16_t x, int16_t y, int16_t width, int16_t height, ONode* parent) {
    return static_cast<OTextDView*>(
        xText_PlaceView(new (std::nothrow) OTextDView("OTextDView", OTextDView::kClassId), x, y, width, height, parent));
}

#include "engine/core/BackgroundView.h"

#include <algorithm>

#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/FrameImage.h"

OBackgroundView::OBackgroundView(const char* name, uint32_t classId) : OView(name, classId) {}

OBackgroundView::~OBackgroundView() = default;

bool OBackgroundView::IsA(uint32_t classId) const { return classId == kClassId || OView::IsA(classId); }

void OBackgroundView::SetBackgroundSurface(std::unique_ptr<CDrawSurface> surface) {
    surface_ = std::move(surface);
    // Drawn under the stage every frame: its converted lines are kept rather than redone.
    if (surface_) surface_->KeepConvertedLines();
}

std::unique_ptr<CDrawSurface> OBackgroundView::TakeBackgroundSurface() { return std::move(surface_); }

float OBackgroundView::ClampScroll(float value, float smallest, float largest) {
    return std::max(smallest, std::min(largest, value));
}

void OBackgroundView::Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source,
                           const CClipRect& target) {
    if (destination && surface_) {
        const int32_t dx = int32_t(scroll_.x);
        const int32_t dy = int32_t(scroll_.y);
        const CClipRect from(int16_t(source.left + dx), int16_t(source.top + dy), int16_t(source.right + dx),
                             int16_t(source.bottom + dy));
        surface_->StretchCopy(from, destination, target, drawFlags_);
    }
    OView::Draw(destination, point, source, target);
}

bool OBackgroundView::LoadBackground(CPartFile* file, ChunkId id) {
    RememberBackground(file, id);
    std::unique_ptr<CDrawSurface> loaded(xFrame_CreateSurface(file, id, nullptr, 1));
    if (!loaded) return false;
    const CPoint16 size(loaded->GetWidth(), loaded->GetHeight());
    SetBackgroundSurface(std::move(loaded));
    Invalidate();
    SetSize(size, 0);
    return true;
}

bool OBackgroundView::ScrollTo(const CPointF& point, uint8_t relative) {
    CPointF next = relative ? CPointF(scroll_.x + point.x, scroll_.y + point.y) : point;
    next.x = ClampScroll(next.x, scrollMin_.x, scrollMax_.x);
    next.y = ClampScroll(next.y, scrollMin_.y, scrollMax_.y);
    if (next == scroll_) return false;
    scroll_ = next;
    Invalidate();
    return true;
}

CPointF OBackgroundView::GetBackgroundSize() {
    if (!surface_) return CPointF();
    return CPointF(float(surface_->GetWidth()), float(surface_->GetHeight()));
}

void OBackgroundView::DrawBackgroundRect(const CClipRect& source, CDrawSurface* destination,
                                         const CClipRect& target) {
    if (!surface_ || !destination || source.Width() <= 0 || source.Height() <= 0 || target.Width() <= 0 ||
        target.Height() <= 0)
        return;
    surface_->StretchCopy(source, destination, target, drawFlags_);
}

#include "engine/media/TextCView.h"

#include <algorithm>
#include <new>

#include "engine/blit/Blitter.h"
#include "engine/base/Unaligned.h"
#include "engine/graphics/DrawSurface.h"

OTextCView::OTextCView(const char* name, uint32_t classId) : OTextRenderView(name, classId) {}

bool OTextCView::IsA(uint32_t classId) const { return classId == kClassId || OTextRenderView::IsA(classId); }

void OTextCView::OnSizeChanged() {
    if (surface_.GetWidth() == GetWidth() && surface_.GetHeight() == GetHeight()) return;
    surface_.Create(GetWidth(), GetHeight(), xText_StageDepth());
    dirty_ = 1;
}

void OTextCView::Render() {
    paletteRefresh_ = 0;
    dirty_ = 0;
    if (!xText_SurfaceUsable(&surface_)) surface_.Create(16, 16, HasValidRequest() ? requestedDepth_ : xText_StageDepth());
    else if (HasValidRequest() && surface_.GetBitsPerPixel() != requestedDepth_)
        surface_.Create(GetWidth(), GetHeight(), requestedDepth_);
    font_->SetTextColor(textColor_);
    if (fitToText_ && !text_.Empty()) FitSurface(HasValidRequest() ? requestedDepth_ : surface_.GetBitsPerPixel());
    ClearBackground(&surface_);
    if (!text_.Empty()) {
        DrawTextInMargin(Style(true));
    }
    if (transparent_) BuildSpans();
    // The new text must reach the screen even where nothing else is redrawn.
    if (IsShownThroughParents()) OView::Invalidate();
}

void OTextCView::BuildSpans() {
    const int16_t height = surface_.GetHeight();
    spans_.resize(size_t(std::max<int16_t>(height, 0))); // a vector keeps its room when it shrinks
    if (surface_.GetBitsPerPixel() != 16) return;
    const CSurfaceLock lock(&surface_);
    if (!lock.Pixels()) return;
    const int32_t pitch = surface_.GetPitch();
    const int16_t width = surface_.GetWidth();
    for (int16_t y = 0; y < height; ++y) {
        const uint8_t* row = lock.Pixels() + int64_t(pitch) * y;
        RowSpan span;
        for (int16_t x = 0; x < width; ++x) {
            if (unaligned::Load16(row + 2 * x) == 0) continue;
            if (span.first < 0) span.first = x;
            span.end = int16_t(x + 1);
        }
        spans_[size_t(y)] = span;
    }
}

void OTextCView::Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) {
    if (destination && xText_SurfaceUsable(&surface_) && source.Width() == target.Width() &&
        source.Height() == target.Height()) {
        if (!transparent_) surface_.StretchCopy(source, destination, target, kDrawSolid);
        else if (DrawsSpans()) DrawSpans(destination, source, target);
        else surface_.StretchCopy(source, destination, target, kDrawTransparent);
    }
    OView::Draw(destination, point, source, target);
}

int32_t OTextCView::TextDrop() {
    if (!centreVertically_ || !font_ || !DrawsSpans()) return 0;
    // The view's whole height, not the part being drawn: a view redrawn piece by piece puts its
    // text where a whole draw does.
    const int32_t height = font_->GetTextHeight(text_.c_str(), &surface_);
    return GetHeight() > height ? (GetHeight() - height) / 2 : 0;
}

void OTextCView::DrawSpans(CDrawSurface* destination, const CClipRect& source, const CClipRect& target) {
    const BltFunc line = GetBltTrans(16, destination->GetBitsPerPixel(), 0);
    if (spans_.size() != size_t(surface_.GetHeight()) || !line) return;
    BltSettings& blt = BltContext();
    blt.BltSrcPixelFormat = surface_.GetPixelFormat();
    blt.BltDstPixelFormat = destination->GetPixelFormat();
    blt.BltColorKey16 = 0; // unlit pixels are 0
    // Rows and columns stay inside the destination rectangle and the destination.
    const int32_t bottom = std::min<int32_t>(target.bottom, destination->GetHeight());
    const int32_t right = std::min<int32_t>(target.right, destination->GetWidth());
    const int32_t dstBytes = destination->GetBitsPerPixel() / 8;
    const int32_t drop = TextDrop();
    const CSurfaceLock src(&surface_);
    const CSurfaceLock dst(destination);
    if (!src.Pixels() || !dst.Pixels()) return;
    for (int32_t y = std::max<int32_t>(target.top, 0); y < bottom; ++y) {
        const int32_t row = source.top + (y - target.top) - drop;
        if (row < 0 || row >= surface_.GetHeight()) continue;
        const RowSpan span = spans_[size_t(row)];
        if (span.first < 0) continue;
        const int32_t from = std::max<int32_t>(source.left, span.first);
        const int32_t to = std::min<int32_t>(span.end, source.right);
        int32_t x = target.left + (from - source.left);
        const int32_t xEnd = std::min(right, target.left + (to - source.left));
        const int32_t skip = std::max(0, -x); // columns left of the destination
        x += skip;
        if (xEnd <= x) continue;
        const uint8_t* pixels = src.Pixels() + int64_t(surface_.GetPitch()) * row + 2 * (from + skip);
        uint8_t* out = dst.Pixels() + int64_t(destination->GetPitch()) * y + int64_t(dstBytes) * x;
        line(pixels, int16_t(2 * (xEnd - x)), out, surface_.EffectivePalette());
    }
}

OTextCView* CreateTextCView(int16_t x, int16_t y, int16_t width, int16_t height, ONode* parent) {
    return static_cast<OTextCView*>(
        xText_PlaceView(new (std::nothrow) OTextCView("OTextCView", OTextCView::kClassId), x, y, width, height, parent));
}

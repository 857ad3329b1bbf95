#include "engine/media/TextFXView.h"

#include <algorithm>

#include "engine/core/Activity.h"
#include "engine/core/ActivityManager.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/GraphicsContext.h"

namespace {

uint32_t Colour(uint32_t r, uint32_t g, uint32_t b) { return std::min(r, 255u) | std::min(g, 255u) << 8 | std::min(b, 255u) << 16; }

} // namespace

OTextFXView::OTextFXView(const char* name, uint32_t classId) : OTextRenderView(name, classId) {}

bool OTextFXView::IsA(uint32_t classId) const { return classId == kClassId || OTextRenderView::IsA(classId); }

void OTextFXView::SetTransparent(uint8_t on) {
    transparent_ = on;
    dirty_ = 1;
}

void OTextFXView::SetTextColor(uint32_t colour) {
    textColor_ = colour;
    dirty_ = 1;
}

void OTextFXView::SetBackColor(uint32_t colour) {
    backColor_ = colour;
    dirty_ = 1;
}

void OTextFXView::OnSizeChanged() {
    if (surface_.GetWidth() == GetWidth() && surface_.GetHeight() == GetHeight()) return;
    surface_.Create(GetWidth(), GetHeight(), xText_StageDepth());
    const CClipRect whole(0, 0, surface_.GetWidth(), surface_.GetHeight());
    if (surface_.GetBitsPerPixel() == 8) surface_.FillRect8(whole, 0);
    else surface_.FillRect(whole, 0);
    dirty_ = 1;
}

void OTextFXView::Render() {
    if (paletteRefresh_) {
        OActivityManager* manager = GetActivityManager();
        if (OActivity* activity = manager ? manager->GetCurrentActivity() : nullptr) ApplyPalette(&activity->GetPalette());
        paletteRefresh_ = 0;
    }
    OView::Invalidate();
    dirty_ = 0;
    ClearBackground(&surface_);
    if (text_.Empty()) return;
    font_->SetTextColor(textColor_);
    const CTextStyle style = Style(true);
    if (surface_.GetWidth() <= 0 || surface_.GetHeight() <= 0) surface_.Create(1, 1, surface_.GetBitsPerPixel());
    if (fitToText_) {
        FitSurface(surface_.GetBitsPerPixel());
        ClearBackground(&surface_);
    }
    if (border_) DrawBorder();
    DrawTextInMargin(style);
}

void OTextFXView::DrawBorder() {
    const uint32_t r = ColorRed(backColor_), g = ColorGreen(backColor_), b = ColorBlue(backColor_);
    const uint32_t rings[3] = {Colour(2 * r, 2 * g, 2 * b), backColor_, Colour(r / 2, g / 2, b / 2)};
    const int16_t w = surface_.GetWidth();
    const int16_t h = surface_.GetHeight();
    // Rows and columns i from the edge: top and left in ring colour i, right and bottom in the
    // opposite one, so the outer ring stands raised and the inner one sunken.
    for (int16_t i = 0; i < 3; ++i)
        surface_.DrawLineRGB(i, i, int16_t(w - 1 - i), i, rings[i]);
    for (int16_t i = 0; i < 3; ++i)
        surface_.DrawLineRGB(i, i, i, int16_t(h - 1 - i), rings[i]);
    for (int16_t i = 0; i < 3; ++i)
        surface_.DrawLineRGB(int16_t(w - 1 - i), i, int16_t(w - 1 - i), int16_t(h - 1 - i), rings[2 - i]);
    for (int16_t i = 0; i < 3; ++i)
        surface_.DrawLineRGB(i, int16_t(h - 1 - i), int16_t(w - 1 - i), int16_t(h - 1 - i), rings[2 - i]);
}

void OTextFXView::Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) {
    if (destination && xText_SurfaceUsable(&surface_)) {
        uint32_t mode = transparent_ ? kDrawTransparent : kDrawSolid;
        if (surface_.GetBitsPerPixel() >= 16 && blend_) {
            xGraphics_SetBlendLevel(textBlendLevel_);
            mode = kDrawBlended;
        }
        surface_.StretchCopy(source, destination, target, mode);
    }
    OView::Draw(destination, point, source, target);
}

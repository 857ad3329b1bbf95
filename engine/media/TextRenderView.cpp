#include "engine/media/TextRenderView.h"

#include "engine/blit/ColorPalette.h"

OTextRenderView::OTextRenderView(const char* name, uint32_t classId) : OTextView(name, classId) {
    AddEventMask(kEventWindowRequest);
}

OTextRenderView::~OTextRenderView() = default;

int32_t OTextRenderView::OnIdle() {
    if ((dirty_ || paletteRefresh_) && IsShownThroughParents() && font_) Render();
    return 1;
}

int32_t OTextRenderView::HandleEvent(const xEvent& event) {
    if (event.type == kEvPaletteNotice) {
        ApplyPalette(reinterpret_cast<const CColorPalette*>(event.param2));
        return 1;
    }
    return OTextView::HandleEvent(event);
}

void OTextRenderView::Broadcast(uintptr_t value) {
    ApplyPalette(reinterpret_cast<const CColorPalette*>(value));
    OTextView::Broadcast(value);
}

void OTextRenderView::OnParentChanged(ONode* newParent) {
    OTextView::OnParentChanged(newParent);
    paletteRefresh_ = newParent ? 1 : 0;
    dirty_ = 1;
}

bool OTextRenderView::SetFont(OFont* font) { return font && font->IsA(OFont::kClassId); }

void OTextRenderView::SetBlend(uint8_t on, int16_t level) {
    blend_ = on;
    textBlendLevel_ = level;
}

void OTextRenderView::FitToText(uint8_t on) {
    if (on == fitToText_) return;
    fitToText_ = on;
    dirty_ = 1;
}

void OTextRenderView::SetMargin(int16_t pixels) {
    margin_ = pixels;
    dirty_ = 1;
}

std::vector<CTextLine> OTextRenderView::LaidOutLines() {
    if (!font_ || text_.Empty() || !xText_SurfaceUsable(&surface_)) return {};
    const CRect16 view = GetScreenRect();
    const int32_t top = view.top + TextDrop();
    const CClipRect shown(view.left, int16_t(top), int16_t(view.left + surface_.GetWidth()),
                          int16_t(top + surface_.GetHeight()));
    const CTextStyle style = Style(true);
    // As DrawTextInMargin lays the text out: over the surface inside its margin.
    const CClipRect inside(int16_t(shown.left + margin_), int16_t(shown.top + margin_),
                           int16_t(shown.right - margin_), int16_t(shown.bottom - margin_));
    return font_->LayOutWholeSurface(text_.c_str(), inside, &style);
}

void OTextRenderView::ApplyPalette(const CColorPalette* palette) {
    if (palette && surface_.GetBitsPerPixel() <= 8) surface_.SetPalette(palette);
    dirty_ = 1;
    paletteRefresh_ = 1;
}

void OTextRenderView::FitSurface(int16_t depth) {
    const CTextStyle style = Style(true);
    const CPoint16 text = font_->MeasureText(text_.c_str(), &surface_, nullptr, &style);
    const CPoint16 size(int16_t(text.x + 2 * margin_), int16_t(text.y + 2 * margin_));
    surface_.Create(size.x, size.y, depth);
    SetSize(size, 0);
    fitToText_ = 0;
}

void OTextRenderView::DrawTextInMargin(const CTextStyle& style) {
    if (margin_ == 0) {
        font_->DrawText(text_.c_str(), &surface_, 0, &style);
        return;
    }
    // Laid out as over the whole surface, so that the margin only moves the text inwards.
    const CClipRect inside(margin_, margin_, int16_t(surface_.GetWidth() - margin_),
                           int16_t(surface_.GetHeight() - margin_));
    font_->DrawTextInArea(text_.c_str(), &surface_, inside, &style);
}

#pragma once
#include <cstdint>
#include <vector>

#include "engine/graphics/TextDIBSurface.h"
#include "engine/media/TextView.h"

class CColorPalette;

/// What the effect and caption views share (they add their class ids): the text is rendered once
/// into a text surface of their own and the surface is copied every frame. Setters only mark the
/// view dirty; the per-frame update renders a dirty view when it is shown and has a font.
/// Palette notices (event 50) and palette broadcasts give an 8-bit text surface the new colours.
class OTextRenderView : public OTextView {
public:
    ~OTextRenderView() override;

    /// Renders when dirty or waiting for a palette, shown through its parents and with a font;
    /// always 1.
    int32_t OnIdle() override;
    /// A palette notice applies the palette of its second parameter (answered 1); other events
    /// go on as for any view.
    int32_t HandleEvent(const xEvent& event) override;
    /// Applies the palette the value points at, then passes it to the children.
    void Broadcast(uintptr_t value) override;
    /// Joining a parent asks for a palette refresh, leaving one drops the request; both mark the
    /// view dirty.
    void OnParentChanged(ONode* newParent) override;

    /// Takes any OFont.
    bool SetFont(OFont* font) override;
    void Reformat() override { dirty_ = 1; }
    /// Stores the blend flag and level.
    void SetBlend(uint8_t on, int16_t level) override;
    /// Stores the request; the next render fits the view.
    void FitToText(uint8_t on) override;
    /// Keeps the text `pixels` inside each edge of the view, where its background and border
    /// still show; 0 (the text over the whole view) at construction. Marks the view dirty.
    void SetMargin(int16_t pixels);
    int16_t GetMargin() const { return margin_; }

    /// Where the view draws its text: the text surface laid out as DrawText fills it (inside the
    /// margin, when one is set), lying on the stage as the view copies it (see TextDrop).
    std::vector<CTextLine> LaidOutLines() override;

    /// A copy of the palette becomes the text surface's when it has 8 bits; the view is marked
    /// dirty and waits for a palette refresh.
    void ApplyPalette(const CColorPalette* palette);

    uint8_t IsDirty() const { return dirty_; }
    uint8_t NeedsPaletteRefresh() const { return paletteRefresh_; }
    CDrawSurface* GetTextSurface() { return &surface_; }

protected:
    OTextRenderView(const char* name, uint32_t classId);

    CDrawSurface* MeasuringSurface() override { return &surface_; }
    virtual void Render() = 0;
    /// How many rows lower than the view's top the text surface's top is drawn: none here.
    virtual int32_t TextDrop() { return 0; }
    /// Recreates the text surface at the measured size of the text and the margin around it (at
    /// `depth`) and makes the view that size.
    void FitSurface(int16_t depth);
    /// Draws the text on the text surface in the style, inside the margin.
    void DrawTextInMargin(const CTextStyle& style);

    CTextDIBSurface surface_;
    uint8_t dirty_ = 1;
    uint8_t paletteRefresh_ = 1;

private:
    int16_t margin_ = 0;
};

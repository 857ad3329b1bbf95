#pragma once
#include <cstdint>

#include "engine/media/TextRenderView.h"

/// The effect text view (class id 72), used for the captions of voice lines: an opaque or
/// transparent text surface, a bevelled border of the back colour, and blended drawing.
class OTextFXView : public OTextRenderView {
public:
    static constexpr uint32_t kClassId = 72;

    OTextFXView(const char* name = "OTextFXView", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// Copies the text surface: solid when opaque, colour 0 transparent when transparent, blended
    /// by the view's blend level at 16 bits and more when blending is on.
    void Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) override;
    void DrawTo(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) {
        Draw(destination, point, source, target);
    }
    /// A text surface of another size than the view is made again at the view's size and the
    /// stage's depth, cleared to black.
    void OnSizeChanged() override;

    // These mark the view dirty even when the value stays.
    void SetTransparent(uint8_t on) override;
    void SetTextColor(uint32_t colour) override;
    void SetBackColor(uint32_t colour) override;

protected:
    void Render() override;

private:
    /// The twelve lines of the border: three rings of colours made from the back colour.
    void DrawBorder();
};

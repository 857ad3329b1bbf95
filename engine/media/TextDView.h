#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/media/TextView.h"

class ONode;

/// The text view most texts use (class id 76): it draws its text straight into the surface the
/// window draws it into, or, when buffered, through a surface of its own that is then copied.
/// Opaque views fill their rectangle with the back colour; a part, when the view has one, is
/// drawn over the text.
class OTextDView : public OTextView {
public:
    static constexpr uint32_t kClassId = 76;
    /// Property family 76: id 1, centre the text vertically (one byte).
    static constexpr uint32_t kPropCentreVertically = 1;

    OTextDView(const char* name = "OTextDView", uint32_t classId = kClassId);
    ~OTextDView() override;

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    void Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) override;
    /// Makes the own surface (a text surface, or an off-screen surface of the display under
    /// DIRECTDRAW) at the view's size and the stage's depth.
    void OnSizeChanged() override;

    /// Where Draw puts the lines: laid out over the view, lowered to the middle when it centres
    /// its text vertically.
    std::vector<CTextLine> LaidOutLines() override;
    /// Takes only an OSysFont.
    bool SetFont(OFont* font) override;
    /// Reports the view's rectangle for redrawing.
    void Reformat() override { OView::Invalidate(); }
    /// Blending is not drawn by this view.
    void SetBlend(uint8_t, int16_t) override {}
    /// With on and a text, makes the view (and its surface) the measured size of the text: the
    /// widest line by the sum of the line heights. The request reads back as off afterwards.
    void FitToText(uint8_t on) override;

    void SetBuffered(uint8_t on) { buffered_ = on; }
    uint8_t IsBuffered() const { return buffered_; }
    void SetDrawWhenEmpty(uint8_t on) { drawWhenEmpty_ = on; }
    uint8_t DrawsWhenEmpty() const { return drawWhenEmpty_; }
    void SetCentreVertically(uint8_t on) { centreVertically_ = on; }
    uint8_t CentresVertically() const { return centreVertically_; }
    CDrawSurface* GetOwnSurface() const { return surface_.get(); }

protected:
    /// The main window's display surface.
    CDrawSurface* MeasuringSurface() override;

private:
    /// The rectangle the text is laid out in, in the view's own coordinates.
    CRect16 TextLayout();
    /// Paints the background of Draw; `view` is the view's rectangle in the destination.
    void DrawBackground(CDrawSurface* destination, const CClipRect& view, const CClipRect& target);
    /// Makes the own surface when there is none and creates it at that size and the stage's depth.
    void MakeSurface(int16_t width, int16_t height);
    /// Draws the text of Draw.
    void DrawTextPart(CDrawSurface* destination, const CClipRect& source, const CClipRect& target,
                      const CClipRect& view);

    std::unique_ptr<CDrawSurface> surface_;
    uint8_t buffered_ = 0;
    uint8_t drawWhenEmpty_ = 0;
    uint8_t centreVertically_ = 0;
};

/// A text view centred at (x, y) with that size and the default system font, added to the parent
/// when one is given; null when it cannot be made.
OTextDView* CreateTextDView(int16_t x, int16_t y, int16_t width, int16_t height, ONode* parent);

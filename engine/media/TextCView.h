#pragma once
#include <cstdint>
#include <vector>

#include "engine/media/TextRenderView.h"

class ONode;

/// The caption and statistics text view (class id 74): when transparent over a 16-bit text
/// surface it copies only the lit part of each row, found once per render.
class OTextCView : public OTextRenderView {
public:
    static constexpr uint32_t kClassId = 74;

    /// The lit columns of one row of the text surface: first and one past the last; -1 and -1
    /// for a blank row.
    struct RowSpan {
        int16_t first = -1;
        int16_t end = -1;
    };

    OTextCView(const char* name = "OTextCView", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// Draws nothing unless the text surface is usable and the two rectangles are of one size:
    /// opaque a solid copy; transparent from a 16-bit surface the lit spans of each row (kept
    /// inside the destination rectangle and the destination); else a colour 0 transparent copy.
    void Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) override;
    /// A text surface of another size than the view is made again at the view's size and the
    /// stage's depth.
    void OnSizeChanged() override;

    /// The depth asked of the text surface (8, 16 or 24 are honoured; -1 none).
    void SetRequestedDepth(int16_t depth) { requestedDepth_ = depth; }
    int16_t GetRequestedDepth() const { return requestedDepth_; }
    void SetCentreVertically(uint8_t on) { centreVertically_ = on; }
    uint8_t CentresVertically() const { return centreVertically_; }
    const std::vector<RowSpan>& GetRowSpans() const { return spans_; }

protected:
    void Render() override;
    /// A vertically centred view whose spans are drawn lowers its text by half of what the view
    /// is taller than the text.
    int32_t TextDrop() override;

private:
    bool HasValidRequest() const { return requestedDepth_ == 8 || requestedDepth_ == 16 || requestedDepth_ == 24; }
    /// Whether Draw copies the lit spans (a transparent view of a 16-bit text surface).
    bool DrawsSpans() { return transparent_ && surface_.GetBitsPerPixel() == 16; }
    /// One span a row of the text surface; the lit span of every row of a 16-bit one is found.
    void BuildSpans();
    /// The spans of a transparent 16-bit text surface drawn through the blitters' line routine,
    /// TextDrop rows lower.
    void DrawSpans(CDrawSurface* destination, const CClipRect& source, const CClipRect& target);

    std::vector<RowSpan> spans_;
    int16_t requestedDepth_ = -1;
    uint8_t centreVertically_ = 0;
};

/// A caption view centred at (x, y) with that size and the default system font, added to the
/// parent when one is given; null when it cannot be made.
OTextCView* CreateTextCView(int16_t x, int16_t y, int16_t width, int16_t height, ONode* parent);

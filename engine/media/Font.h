#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Object.h"
#include "engine/base/Point.h"
#include "engine/graphics/ClipRect.h"

class CDrawSurface;

/// Text alignment and direction values of a draw style.
enum : int32_t { kAlignLeft = 0, kAlignRight = 1, kAlignCentre = 2 };
enum : int32_t { kTextLeftToRight = 0, kTextRightToLeft = 1, kTextBaseline = 2 };

/// The draw style handed to every text draw: colour words (red, green, blue, 0) by reference,
/// alignment, direction and word wrap.
struct CTextStyle {
    const uint32_t* textColor = nullptr;
    const uint32_t* backColor = nullptr;
    int32_t alignment = kAlignLeft;
    int32_t direction = kTextLeftToRight;
    uint8_t wordWrap = 0;
};

/// The abstract font (class id 5): point size, line height, style flags, text and back colours
/// and a draw style of its own; its subclasses measure and draw texts in surfaces. Texts are
/// terminated bytes of the system's code page, of any length.
/// Where one line of a text is drawn on its surface: its cell (from the line's aligned start by
/// its measured width, a line height tall) and its ink, the pixels its glyphs cover (empty for a
/// line of blanks).
struct CTextLine {
    CClipRect cell;
    CClipRect ink;
};

class OFont : public OObject {
public:
    static constexpr uint32_t kClassId = 5;
    /// Style flags.
    enum : uint32_t { kBold = 1, kItalic = 2, kUnderline = 4 };

    bool IsA(uint32_t classId) const override;
    /// Stores the point size.
    virtual void SetSize(int16_t size) { pointSize_ = size; }

    /// Width of a one-character text (a value above 255 is a lead byte and its trail byte).
    virtual int32_t GetCharWidth(uint16_t ch, CDrawSurface* surface) = 0;
    virtual int32_t GetTextWidth(const char* text, CDrawSurface* surface) = 0;
    virtual int32_t GetCharHeight(uint16_t ch, CDrawSurface* surface) = 0;
    /// The character height in the surface; 0 when the surface cannot draw text.
    virtual int32_t GetLineHeight(CDrawSurface* surface) = 0;
    virtual int32_t GetTextHeight(const char* text, CDrawSurface* surface) = 0;
    /// {widest line, line height x lines}, also stored in *out when given; {0, 0} for a missing
    /// or empty text and for a surface that cannot draw text. Under a style with word wrap the
    /// blanks that end a line are not measured (its lines are not wrapped: there is no width).
    virtual CPoint16 MeasureText(const char* text, CDrawSurface* surface, CPoint16* out, const CTextStyle* style) = 0;
    virtual bool DrawChar(uint16_t ch, CDrawSurface* surface, int32_t extra, const CTextStyle* style) = 0;
    /// Draws the text laid out in `destination`, touching only pixels inside `clip`.
    virtual void DrawTextInRect(const char* text, CDrawSurface* surface, const CClipRect& destination,
                                const CClipRect& clip, const CTextStyle* style) = 0;
    /// Draws the text over the whole surface in the font's own colours; false when the surface
    /// cannot draw text.
    virtual bool DrawText(const char* text, CDrawSurface* surface, int32_t extra, const CTextStyle* style) = 0;
    /// Draws the text as DrawText does, laid out over `area` of the surface as over a whole
    /// surface of that size, touching only pixels inside it.
    virtual bool DrawTextInArea(const char* text, CDrawSurface* surface, const CClipRect& area, const CTextStyle* style) = 0;
    virtual void DrawCharInRect(uint16_t ch, CDrawSurface* surface, const CClipRect& destination,
                                const CClipRect& clip, const CTextStyle* style) = 0;
    /// Where DrawTextInRect puts each line of the text laid out in `destination`, in order (the
    /// clip aside). None for a font that cannot tell.
    virtual std::vector<CTextLine> LayOutText(const char* /*text*/, const CClipRect& /*destination*/,
                                              const CTextStyle* /*style*/) {
        return {};
    }
    /// Where DrawText puts each line of the text on a surface that is shown as `surface` (its
    /// rectangle where it lands), in order, under the style DrawText would take (null: the
    /// font's own draw style); DrawTextInArea puts them so in its area. None for a font that
    /// cannot tell.
    virtual std::vector<CTextLine> LayOutWholeSurface(const char* /*text*/, const CClipRect& /*surface*/,
                                                      const CTextStyle* /*style*/) {
        return {};
    }

    int16_t GetSize() const { return pointSize_; }
    uint16_t GetLineSpacing() const { return lineHeight_; }
    uint32_t GetStyle() const { return style_; }
    void SetStyle(uint32_t flags) { style_ = flags; }
    uint32_t GetTextColor() const { return textColor_; }
    void SetTextColor(uint32_t colour) { textColor_ = colour; }
    uint32_t GetBackColor() const { return backColor_; }
    void SetBackColor(uint32_t colour) { backColor_ = colour; }
    const CTextStyle& GetDrawStyle() const { return drawStyle_; }

protected:
    OFont(const char* name, uint32_t classId);

    int16_t pointSize_ = 12;
    uint16_t lineHeight_ = 16;
    uint32_t style_ = 0;
    uint32_t textColor_ = 0x00000000u; ///< black
    uint32_t backColor_ = 0x00FFFFFFu; ///< white
    CTextStyle drawStyle_;
};

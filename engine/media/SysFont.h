#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/media/Font.h"

namespace plat {
class Font;
struct TextDraw;
} // namespace plat

/// The engine's one concrete font (class id 6): a font of the platform's font service made by
/// face name or from one of four standard faces, measuring and drawing multi-line texts in a
/// surface's drawing context. Languages outside the western list use the stock font whatever is
/// asked for.
class OSysFont : public OFont {
public:
    static constexpr uint32_t kClassId = 6;
    /// The standard kind of a font not made yet.
    static constexpr int32_t kNoKind = 4;
    /// Point sizes of 0 or less mean this size; sizes past kMaxPointSize are cut to it.
    static constexpr int16_t kDefaultPointSize = 12;
    static constexpr int16_t kMaxPointSize = 288;

    OSysFont(const char* name = "OSysFont", uint32_t classId = kClassId);
    /// A font of that size, bold or not, made from the standard face "System".
    OSysFont(int16_t size, bool bold);
    ~OSysFont() override;

    bool IsA(uint32_t classId) const override;
    /// Stores the size and, once the font has been made from a standard kind, makes it again.
    void SetSize(int16_t size) override;
    /// True when a font stands at the end (the stock font counts); false when making it failed
    /// and the stock font took its place.
    virtual bool CreateFontByName(const char* face);
    virtual bool CreateFont(int32_t kind);
    virtual void BeginDraw() {}
    virtual void EndDraw() {}

    int32_t GetCharWidth(uint16_t ch, CDrawSurface* surface) override;
    int32_t GetTextWidth(const char* text, CDrawSurface* surface) override;
    int32_t GetCharHeight(uint16_t ch, CDrawSurface* surface) override;
    int32_t GetLineHeight(CDrawSurface* surface) override;
    int32_t GetTextHeight(const char* text, CDrawSurface* surface) override;
    CPoint16 MeasureText(const char* text, CDrawSurface* surface, CPoint16* out, const CTextStyle* style) override;
    bool DrawChar(uint16_t ch, CDrawSurface* surface, int32_t extra, const CTextStyle* style) override;
    void DrawTextInRect(const char* text, CDrawSurface* surface, const CClipRect& destination,
                        const CClipRect& clip, const CTextStyle* style) override;
    bool DrawText(const char* text, CDrawSurface* surface, int32_t extra, const CTextStyle* style) override;
    bool DrawTextInArea(const char* text, CDrawSurface* surface, const CClipRect& area, const CTextStyle* style) override;
    void DrawCharInRect(uint16_t ch, CDrawSurface* surface, const CClipRect& destination, const CClipRect& clip,
                        const CTextStyle* style) override;
    std::vector<CTextLine> LayOutText(const char* text, const CClipRect& destination, const CTextStyle* style) override;
    std::vector<CTextLine> LayOutWholeSurface(const char* text, const CClipRect& surface, const CTextStyle* style) override;

    /// The standard kind the font was last made from (0 after CreateFontByName; kNoKind before).
    int32_t GetKind() const { return kind_; }
    /// Whether the font was made for this object (not the system's stock font).
    bool IsOwned() const { return owned_ != 0; }
    /// The platform font in use (the stock font until one is made).
    plat::Font* Handle() const;

private:
    bool Make(const std::string& face);
    /// The lines of the platform's layout of the text in `rect`.
    std::vector<CTextLine> LaidOut(const char* text, const CClipRect& rect, const plat::TextDraw& how) const;
    /// The em height in pixels of the point size at 96 pixels per inch.
    int32_t EmHeight() const;

    std::shared_ptr<plat::Font> handle_;
    int32_t kind_ = kNoKind;
    uint8_t owned_ = 1;
};

/// Copies the standard face of kind 0-3 ("System", "Courier New", "Comic Sans MS", "Times New
/// Roman") into the buffer (at least 32 bytes); false for another kind.
bool xFont_GetStandardName(int32_t kind, char* buffer);

/// The default system font: made on first use, set up by the first SetDefaultSysFont.
OSysFont* GetDefaultSysFont();
/// Only the first call counts: the default font becomes 10 points of that standard kind.
void SetDefaultSysFont(int32_t kind);

/// The fonts' part of the media record: the default system font.
struct CFontState {
    std::unique_ptr<OSysFont> defaultFont;
    bool defaultSet = false;
};
/// The installed media record's font state.
CFontState& xFont_Context();

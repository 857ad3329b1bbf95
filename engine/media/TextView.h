#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/ActivityProp.h"
#include "engine/media/Font.h"
#include "engine/media/String.h"

class CDrawSurface;
class CPartFile;
class ONode;

/// The base of every text on the stage (class id 70): a prop holding one text, a font, colours,
/// alignment, word wrap and direction. Loaded from activity data, it takes its settings from
/// property family 70 and its text from a 'utxt' chunk of the application's part file in the
/// current language (falling back to language 10). Setters ask for a redraw; the concrete views
/// say how (Reformat) and draw.
class OTextView : public OActivityProp {
public:
    static constexpr uint32_t kClassId = 70;
    /// Property family 70.
    enum : uint32_t {
        kPropTextEntry = 1,
        kPropLanguage = 2,
        kPropWordWrap = 3,
        kPropAlignment = 4,
        kPropFontKind = 5,
        kPropFontStyle = 6,
        kPropFontSize = 7,
        kPropTransparent = 8,
        kPropTextColor = 9,
        kPropBackColor = 10,
        kPropFaceName = 11,
        kPropSecondName = 12,
        kPropDirection = 13,
    };
    /// Language settings of the text: the current language, and the fallback language 10.
    static constexpr int32_t kLanguageCurrent = -1;
    static constexpr int32_t kLanguageFallback = -2;
    static constexpr uint32_t kFallbackLanguage = 10;
    /// Bytes of the face-name fields (with the terminator).
    static constexpr size_t kNameBytes = 256;

    ~OTextView() override;

    bool IsA(uint32_t classId) const override;
    /// Family 70: every id reports or takes its field (ids past 13 are taken and ignored); other
    /// families go to OActivityProp.
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// After loading: the text from the 'utxt' chunk, the settings of the data, a font of its own
    /// (made from the face name, DEFWINFONT or the standard kind; "System" when that fails).
    int32_t OnPropertiesLoaded() override;

    // ---- the text interface
    /// Stores the setting; a change asks for a redraw.
    virtual void SetWordWrap(uint8_t on);
    virtual void SetTransparent(uint8_t on);
    /// Copies the text and asks for a redraw; answers the text's length.
    virtual uint32_t SetText(const OString& text);
    /// Copies the text and asks for a redraw; a null text is ignored.
    virtual void SetText(const char* text);
    /// Copies the text into a buffer of `size` bytes, cut to fit and terminated; nothing for a
    /// null buffer or a size of 0.
    virtual void GetText(char* buffer, size_t size) const;
    /// The font's measures in the view's measuring surface; -1 without a font.
    virtual int32_t GetCharWidth(uint16_t ch);
    virtual int32_t GetTextWidth(const char* text);
    virtual int32_t GetCharHeight(uint16_t ch);
    virtual int32_t GetTextHeight(const char* text);
    /// Whether the view takes the font (the caller then stores it, see UseFont).
    virtual bool SetFont(OFont* font) = 0;
    /// Asks for a redraw.
    virtual void Reformat() = 0;
    virtual void SetAlignment(int32_t alignment);
    /// Colour words: red, green, blue, 0.
    virtual void SetTextColor(uint32_t colour);
    virtual void SetBackColor(uint32_t colour);
    virtual void SetBlend(uint8_t on, int16_t level) = 0;
    /// Sizes the view (and its surface) to the measured text.
    virtual void FitToText(uint8_t on) = 0;

    /// Where the view draws each line of its text on the stage, in order, as the font lays it
    /// out; none without a font or a text. Each view takes it from the computation its drawing
    /// uses, so the report cannot drift from what is drawn.
    virtual std::vector<CTextLine> LaidOutLines() = 0;

    /// The text interface's name of Reformat (OView::Invalidate stays reachable through OView).
    void Invalidate() { Reformat(); }
    /// Makes `font` the view's font when SetFont takes it: an owned previous font is deleted, the
    /// new one is owned when `owned` is set, and the view is reformatted. False when refused (a
    /// refused font stays the caller's).
    bool UseFont(OFont* font, bool owned);

    const char* GetTextPtr() const { return text_.c_str(); }
    OFont* GetFont() const { return font_; }
    bool OwnsFont() const { return ownedFont_ != nullptr; }
    uint32_t GetTextColor() const { return textColor_; }
    uint32_t GetBackColor() const { return backColor_; }
    int32_t GetAlignment() const { return alignment_; }
    uint8_t GetWordWrap() const { return wordWrap_; }
    uint8_t IsTransparent() const { return transparent_; }
    uint16_t GetDirection() const { return direction_; }
    void SetDirection(uint16_t direction) { direction_ = direction; }
    uint8_t IsBlended() const { return blend_; }
    int16_t GetTextBlendLevel() const { return textBlendLevel_; }
    uint8_t GetFitToText() const { return fitToText_; }
    uint8_t HasBorder() const { return border_; }
    void SetBorder(uint8_t on) { border_ = on; }
    const char* GetFaceName() const { return faceName_; }

protected:
    OTextView(const char* name, uint32_t classId);

    /// The surface the measuring operations use.
    virtual CDrawSurface* MeasuringSurface() = 0;
    /// The draw style of the view: its text colour, the back colour when `withBack`, alignment,
    /// direction and word wrap.
    CTextStyle Style(bool withBack) const;
    /// Fills a rectangle of the surface with a colour word (an 8-bit surface with the palette's
    /// nearest index).
    static void FillColour(CDrawSurface* surface, const CClipRect& rect, uint32_t colour);
    /// The background of a rendered text surface: the back colour when opaque, else index 0 or
    /// black.
    void ClearBackground(CDrawSurface* surface) const;

    OString text_;
    OFont* font_ = nullptr;
    std::unique_ptr<OFont> ownedFont_;
    uint8_t border_ = 0;
    uint32_t backColor_ = 0x00000000u; ///< black
    uint32_t textColor_ = 0x00FFFFFFu; ///< white
    int32_t alignment_ = kAlignLeft;
    int16_t textBlendLevel_ = 0;
    uint8_t blend_ = 0;
    uint8_t wordWrap_ = 0;
    uint8_t transparent_ = 1;
    uint8_t fitToText_ = 0;
    uint16_t direction_ = 0;

private:
    /// The text of the data's 'utxt' entry in the chosen language (else language 10) into the
    /// view; the text stays as it was when neither exists.
    void LoadText();
    /// The font of the data's face, kind, size and style.
    void LoadFont();

    uint16_t textEntry_ = 0;
    int32_t textLanguage_ = kLanguageCurrent;
    uint32_t dataWordWrap_ = 0;
    uint32_t dataAlignment_ = 0;
    int32_t fontKind_ = -1;
    int32_t fontStyle_ = -1;
    int16_t fontSize_ = 0;
    uint8_t dataTransparent_ = 0;
    uint32_t dataTextColor_ = 0;
    uint32_t dataBackColor_ = 0;
    char faceName_[kNameBytes] = {};
    char secondName_[kNameBytes] = {};
};

/// The text of a 'utxt' chunk of the file in the language, else in language 10, in the code
/// page's bytes; false (the text untouched) when the chunk holds neither.
bool xText_ReadChunkText(CPartFile* file, ChunkId id, uint32_t language, std::string* text);

/// The stage's colour depth (8, 16 or 24): the main window's, 16 without one.
int16_t xText_StageDepth();

/// The set-up of a view made in code: centred at (x, y) with that size, the default system font
/// (not owned), a redraw asked for, and added to the parent when one is given. Answers the view.
OTextView* xText_PlaceView(OTextView* view, int16_t x, int16_t y, int16_t width, int16_t height, ONode* parent);

/// Whether a surface can be drawn: it exists and has pixels, a lost one restored first.
bool xText_SurfaceUsable(CDrawSurface* surface);

#include "engine/media/SysFont.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/base/Trace.h"
#include "engine/blit/ColorPalette.h"
#include "engine/data/MessageTexts.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/media/MediaState.h"
#include "platform/Platform.h"

namespace {

constexpr const char* kStandardFaces[] = {"System", "Courier New", "Comic Sans MS", "Times New Roman"};

/// Languages whose fonts are made from a description; every other one draws with the stock font.
bool DescribesFonts(uint32_t language) {
    return (language >= 3 && language <= 18) || (language >= 21 && language <= 23) ||
           (language >= 26 && language <= 28) || language == 30 || language == 31 ||
           (language >= 34 && language <= 37);
}

/// A one-character text: a value above 255 is a lead byte and its trail byte.
std::string CharText(uint16_t ch) {
    std::string text;
    if (ch > 0xFF) text.push_back(char(ch >> 8));
    text.push_back(char(ch & 0xFF));
    return text;
}

plat::TextRect ToTextRect(const CClipRect& r) { return {r.left, r.top, r.right, r.bottom}; }

int16_t Cut16(int64_t v) { return int16_t(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }

/// A surface's drawing context for the length of a scope.
class SurfaceDc {
public:
    explicit SurfaceDc(CDrawSurface* surface) : surface_(surface), dc_(surface ? surface->GetDC() : nullptr) {}
    ~SurfaceDc() {
        if (dc_) surface_->ReleaseDC(dc_);
    }
    SurfaceDc(const SurfaceDc&) = delete;
    SurfaceDc& operator=(const SurfaceDc&) = delete;
    plat::Dc* get() const { return dc_; }

private:
    CDrawSurface* surface_;
    plat::Dc* dc_;
};

} // namespace

OSysFont::OSysFont(const char* name, uint32_t classId) : OFont(name, classId) {
    textColor_ = 0x00000000u;
    backColor_ = 0x00FFFFFFu;
}

OSysFont::OSysFont(int16_t size, bool bold) : OSysFont() {
    SetSize(size);
    if (bold) style_ |= kBold;
    CreateFont(0);
}

OSysFont::~OSysFont() = default;

bool OSysFont::IsA(uint32_t classId) const { return classId == kClassId || OFont::IsA(classId); }

void OSysFont::SetSize(int16_t size) {
    OFont::SetSize(size);
    if (kind_ != kNoKind) CreateFont(kind_);
}

plat::Font* OSysFont::Handle() const { return handle_ ? handle_.get() : plat::fonts().Stock().get(); }

int32_t OSysFont::EmHeight() const {
    int32_t points = pointSize_;
    if (points <= 0) {
        points = kDefaultPointSize;
    } else if (points > kMaxPointSize) {
        xTracef("OSysFont : %d points is past the largest size; %d points used\n", int(points), int(kMaxPointSize));
        points = kMaxPointSize;
    }
    return (points * plat::Fonts::kPixelsPerInch + 36) / 72;
}

bool OSysFont::Make(const std::string& face) {
    handle_.reset();
    owned_ = 0;
    if (DescribesFonts(xLanguage_Get())) {
        plat::FontDesc desc;
        desc.face = face;
        desc.emHeight = EmHeight();
        desc.weight = (style_ & kBold) ? 700 : 400;
        desc.italic = (style_ & kItalic) != 0;
        desc.underline = (style_ & kUnderline) != 0;
        handle_ = plat::fonts().Create(desc);
        if (handle_) {
            owned_ = 1;
            return true;
        }
    }
    // The stock font: chosen for the language, or taken because the font could not be made.
    const bool stockLanguage = !DescribesFonts(xLanguage_Get());
    handle_ = plat::fonts().Stock();
    return stockLanguage;
}

bool OSysFont::CreateFontByName(const char* face) {
    kind_ = 0;
    const std::string name = face ? face : "";
    if (DescribesFonts(xLanguage_Get()) && !plat::fonts().FamilyExists(name))
        xTrace("************ Font not found!!!  Using default.\n");
    return Make(name);
}

bool OSysFont::CreateFont(int32_t kind) {
    kind_ = kind;
    char face[32] = {};
    xFont_GetStandardName(kind, face);
    return Make(face);
}

int32_t OSysFont::GetCharWidth(uint16_t ch, CDrawSurface* surface) { return GetTextWidth(CharText(ch).c_str(), surface); }

int32_t OSysFont::GetTextWidth(const char* text, CDrawSurface* surface) {
    return MeasureText(text, surface, nullptr, nullptr).x;
}

int32_t OSysFont::GetCharHeight(uint16_t ch, CDrawSurface* surface) {
    return GetTextHeight(CharText(ch).c_str(), surface);
}

int32_t OSysFont::GetLineHeight(CDrawSurface* surface) {
    BeginDraw();
    const SurfaceDc dc(surface);
    plat::Font* font = Handle();
    const int32_t height = dc.get() && font ? font->Metrics().height : 0;
    EndDraw();
    return height;
}

int32_t OSysFont::GetTextHeight(const char* text, CDrawSurface* surface) {
    return MeasureText(text, surface, nullptr, nullptr).y;
}

CPoint16 OSysFont::MeasureText(const char* text, CDrawSurface* surface, CPoint16* out, const CTextStyle* style) {
    CPoint16 size;
    if (text && *text && surface) {
        BeginDraw();
        const SurfaceDc dc(surface);
        plat::Font* font = Handle();
        if (dc.get() && font) {
            // Lines end where drawing ends them: at CR, LF and CRLF; word-wrapped drawing
            // aligns a line without the blanks that end it, and so it measures.
            const plat::TextLines lines = font->Measure(text, style && style->wordWrap != 0);
            size = CPoint16(Cut16(lines.widest), Cut16(int64_t(lines.count) * font->Metrics().height));
        }
        EndDraw();
    }
    if (out) *out = size;
    return size;
}

bool OSysFont::DrawChar(uint16_t ch, CDrawSurface* surface, int32_t extra, const CTextStyle* style) {
    return DrawText(CharText(ch).c_str(), surface, extra, style);
}

namespace {

/// How a text of the style is laid out: alignment, word wrap and direction; `rightToLeftOnBaseline`
/// also stands a right-to-left text on its baseline.
plat::TextDraw LayoutSettings(const CTextStyle& style, bool rightToLeftOnBaseline) {
    plat::TextDraw how;
    how.align = style.alignment == kAlignRight    ? plat::TextDraw::kRight
                : style.alignment == kAlignCentre ? plat::TextDraw::kCentre
                                                  : plat::TextDraw::kLeft;
    how.wordBreak = style.wordWrap != 0;
    how.rightToLeft = style.direction == kTextRightToLeft;
    how.baseline = how.rightToLeft ? rightToLeftOnBaseline : style.direction == kTextBaseline;
    return how;
}

// Each draw and the layout that reports it take their settings from one of these two, so what
// is reported is what is drawn.

/// DrawTextInRect and LayOutText: a right-to-left text hangs from the rectangle's top.
plat::TextDraw InRectLayout(const CTextStyle& style) { return LayoutSettings(style, false); }

/// DrawText, DrawTextInArea and LayOutWholeSurface: a right-to-left text stands on the
/// surface's (or the area's) top.
plat::TextDraw WholeSurfaceLayout(const CTextStyle& style) { return LayoutSettings(style, true); }

/// The platform's draw settings: the layout's, with the colour for a surface of that depth.
plat::TextDraw DrawSettings(plat::TextDraw how, uint32_t colour, CDrawSurface* surface) {
    how.red = ColorRed(colour);
    how.green = ColorGreen(colour);
    how.blue = ColorBlue(colour);
    if (surface->GetBitsPerPixel() == 8) how.index = uint8_t(surface->EffectivePalette()->FindNearestColorWeighted(colour));
    if (how.rightToLeft) xTrace("Right to left text rendering supported only for Arabic and Hebrew\n");
    return how;
}

} // namespace

void OSysFont::DrawTextInRect(const char* text, CDrawSurface* surface, const CClipRect& destination,
                              const CClipRect& clip, const CTextStyle* style) {
    if (!text || !style || !surface) return;
    BeginDraw();
    const bool wasLocked = surface->IsLocked();
    if (wasLocked) surface->Unlock();
    {
        const SurfaceDc dc(surface);
        plat::Font* font = Handle();
        if (dc.get() && font) {
            const uint32_t colour = style->textColor ? *style->textColor : 0;
            font->Draw(dc.get()->Target(), text, ToTextRect(destination), ToTextRect(clip),
                       DrawSettings(InRectLayout(*style), colour, surface));
        }
    }
    if (wasLocked) surface->Lock();
    EndDraw();
}

std::vector<CTextLine> OSysFont::LaidOut(const char* text, const CClipRect& rect, const plat::TextDraw& how) const {
    std::vector<CTextLine> lines;
    if (!text) return lines;
    const auto clip = [](const plat::TextRect& r) {
        return CClipRect(Cut16(r.left), Cut16(r.top), Cut16(r.right), Cut16(r.bottom));
    };
    for (const plat::TextLineBox& line : Handle()->LayOut(text, ToTextRect(rect), how))
        lines.push_back({clip(line.cell), clip(line.ink)});
    return lines;
}

std::vector<CTextLine> OSysFont::LayOutText(const char* text, const CClipRect& destination, const CTextStyle* style) {
    if (!style) return {};
    return LaidOut(text, destination, InRectLayout(*style));
}

std::vector<CTextLine> OSysFont::LayOutWholeSurface(const char* text, const CClipRect& surface, const CTextStyle* style) {
    return LaidOut(text, surface, WholeSurfaceLayout(style ? *style : drawStyle_));
}

bool OSysFont::DrawText(const char* text, CDrawSurface* surface, int32_t, const CTextStyle* style) {
    if (!text || !surface) return false;
    return DrawTextInArea(text, surface, CClipRect(0, 0, surface->GetWidth(), surface->GetHeight()), style);
}

bool OSysFont::DrawTextInArea(const char* text, CDrawSurface* surface, const CClipRect& area, const CTextStyle* style) {
    if (!text || !surface) return false;
    if (style) {
        drawStyle_.alignment = style->alignment;
        drawStyle_.direction = style->direction;
        drawStyle_.wordWrap = style->wordWrap;
    }
    BeginDraw();
    const SurfaceDc dc(surface);
    plat::Font* font = Handle();
    if (dc.get() && font) {
        font->Draw(dc.get()->Target(), text, ToTextRect(area), ToTextRect(area),
                   DrawSettings(WholeSurfaceLayout(drawStyle_), textColor_, surface));
    }
    EndDraw();
    return dc.get() != nullptr;
}

void OSysFont::DrawCharInRect(uint16_t ch, CDrawSurface* surface, const CClipRect& destination, const CClipRect& clip,
                              const CTextStyle* style) {
    DrawTextInRect(CharText(ch).c_str(), surface, destination, clip, style);
}

bool xFont_GetStandardName(int32_t kind, char* buffer) {
    if (!buffer || kind < 0 || kind > 3) return false;
    std::strcpy(buffer, kStandardFaces[kind]);
    return true;
}

CFontState& xFont_Context() { return xMedia_State().fonts; }

OSysFont* GetDefaultSysFont() {
    CFontState& c = xFont_Context();
    if (!c.defaultFont) c.defaultFont = std::make_unique<OSysFont>();
    return c.defaultFont.get();
}

void SetDefaultSysFont(int32_t kind) {
    CFontState& c = xFont_Context();
    if (c.defaultSet) return;
    c.defaultSet = true;
    OSysFont* font = GetDefaultSysFont();
    font->SetSize(10);
    font->CreateFont(kind);
}

#include "platform/Fonts.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

#include "platform/Platform.h"
#include "platform/fonts/CodePage.h"
#include "platform/fonts/FontLibrary.h"
#include "platform/fonts/GlyphCache.h"
#include "platform/fonts/GlyphPainter.h"
#include "platform/fonts/TextLines.h"

namespace plat {

namespace {

/// The stock font's em height: DejaVu Sans then stands 16 pixels high.
constexpr int32_t kStockEmHeight = 14;

int32_t Cut32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

} // namespace

struct Font::Parts {
    std::unique_ptr<fontsys::GlyphCache> glyphs;
    std::unique_ptr<fontsys::CodePage> codePage;
    std::string family;
    // Work buffers kept between calls.
    std::u32string chars;
    std::vector<fontsys::TextLine> lines;
    std::u32string shown; ///< a right-to-left line in display order

    void Decode(std::string_view text) {
        chars.clear();
        codePage->Decode(text, chars);
    }

    /// Lays the text out in the rectangle as drawing does and hands each line, in order, to
    /// `line(chars in display order, left, top, width)` until it answers false.
    template <class Line>
    void Place(std::string_view text, const TextRect& layout, const TextDraw& how, Line line) {
        Decode(text);
        const int64_t layoutWidth = int64_t(layout.right) - layout.left;
        fontsys::BreakLines(*glyphs, chars, how.wordBreak, int32_t(std::clamp<int64_t>(layoutWidth, 0, INT32_MAX)),
                            lines);
        const FontMetrics& m = glyphs->Metrics();
        int64_t top = int64_t(layout.top) - (how.baseline ? m.ascent : 0);
        for (const fontsys::TextLine& laid : lines) {
            std::u32string_view shownChars = std::u32string_view(chars).substr(laid.first, laid.count);
            int32_t width = laid.width;
            if (how.rightToLeft) {
                shown.assign(shownChars);
                fontsys::ToDisplayOrder(shown);
                shownChars = shown;
                width = fontsys::WidthOf(*glyphs, shownChars); // joined forms may change it
            }
            int64_t x = layout.left;
            if (how.align == TextDraw::kRight) x = layout.right - int64_t(width);
            else if (how.align == TextDraw::kCentre) x = layout.left + (layoutWidth - width) / 2;
            if (!line(shownChars, x, top, width)) return;
            top += m.height;
        }
    }
};

Font::Font() : parts_(std::make_unique<Parts>()) {}
Font::~Font() = default;

const FontMetrics& Font::Metrics() const { return parts_->glyphs->Metrics(); }
const std::string& Font::Family() const { return parts_->family; }

TextLines Font::Measure(std::string_view text, bool wordBreak) {
    Parts& p = *parts_;
    p.Decode(text);
    fontsys::BreakLines(*p.glyphs, p.chars, wordBreak, INT32_MAX, p.lines);
    TextLines out;
    out.count = int32_t(std::min<size_t>(p.lines.size(), INT32_MAX));
    for (const fontsys::TextLine& line : p.lines) out.widest = std::max(out.widest, line.width);
    return out;
}

int32_t Font::Extent(std::string_view line) {
    Parts& p = *parts_;
    p.Decode(line);
    return fontsys::WidthOf(*p.glyphs, p.chars);
}

void Font::Draw(const PixelTarget& target, std::string_view text, const TextRect& layout, const TextRect& clip,
                const TextDraw& how) {
    Parts& p = *parts_;
    const TextRect area = fontsys::ClipToTarget(target, clip);
    if (text.empty() || area.right <= area.left) return;
    const FontMetrics& m = p.glyphs->Metrics();
    p.Place(text, layout, how, [&](std::u32string_view chars, int64_t x, int64_t top, int32_t width) {
        if (top >= area.bottom) return false;
        if (top + m.height <= area.top) return true;
        const int64_t baseline = top + m.ascent;
        const int64_t start = x;
        for (char32_t c : chars) {
            if (x >= area.right) break; // the rest of the line lies right of the clip
            const fontsys::Glyph& g = p.glyphs->Get(c);
            if (x + g.left + g.width > area.left)
                fontsys::PaintGlyph(target, area, int32_t(x + g.left), int32_t(baseline - g.top), g, how);
            x += g.advance;
        }
        if (p.glyphs->Underlined()) {
            const int64_t y = baseline + p.glyphs->UnderlineOffset();
            fontsys::PaintBar(target, area,
                              {Cut32(start), Cut32(y), Cut32(start + width), Cut32(y + p.glyphs->UnderlineThickness())},
                              how);
        }
        return true;
    });
}

std::vector<TextLineBox> Font::LayOut(std::string_view text, const TextRect& layout, const TextDraw& how) {
    Parts& p = *parts_;
    std::vector<TextLineBox> lines;
    if (text.empty()) return lines;
    const FontMetrics& m = p.glyphs->Metrics();
    p.Place(text, layout, how, [&](std::u32string_view chars, int64_t x, int64_t top, int32_t width) {
        TextLineBox box{{Cut32(x), Cut32(top), Cut32(x + width), Cut32(top + m.height)}, {}};
        // No ink yet: an empty box at the cell's corner, as a line of blanks keeps.
        int64_t inkLeft = box.cell.left, inkTop = box.cell.top, inkRight = inkLeft, inkBottom = inkTop;
        bool inked = false;
        const auto cover = [&](int64_t left, int64_t top, int64_t right, int64_t bottom) {
            if (right <= left || bottom <= top) return;
            inkLeft = inked ? std::min(inkLeft, left) : left;
            inkTop = inked ? std::min(inkTop, top) : top;
            inkRight = inked ? std::max(inkRight, right) : right;
            inkBottom = inked ? std::max(inkBottom, bottom) : bottom;
            inked = true;
        };
        const int64_t baseline = top + m.ascent;
        for (char32_t c : chars) {
            const fontsys::Glyph& g = p.glyphs->Get(c);
            cover(x + g.left, baseline - g.top, x + g.left + g.width, baseline - g.top + g.rows);
            x += g.advance;
        }
        if (p.glyphs->Underlined()) {
            const int64_t y = baseline + p.glyphs->UnderlineOffset();
            cover(box.cell.left, y, box.cell.right, y + p.glyphs->UnderlineThickness());
        }
        box.ink = {Cut32(inkLeft), Cut32(inkTop), Cut32(inkRight), Cut32(inkBottom)};
        lines.push_back(box);
        return true;
    });
    return lines;
}

Fonts::Fonts(Setup setup) : setup_(setup) {}
Fonts::~Fonts() = default;

fontsys::FontLibrary& Fonts::Library() {
    if (!library_)
        library_ = std::make_shared<fontsys::FontLibrary>(setup_ == Setup::Pinned ? fontsys::FontFinder::Setup::Pinned
                                                                                : fontsys::FontFinder::Setup::System);
    return *library_;
}

bool Fonts::FamilyExists(std::string_view face) { return Library().finder().FamilyExists(face); }

std::shared_ptr<Font> Fonts::Create(const FontDesc& desc) {
    if (script_.failCreate > 0) {
        --script_.failCreate;
        return nullptr;
    }
    // Texts are bytes of the system's code page, whatever the font.
    const CodePageInfo codePage = locale().AnsiCodePage();
    std::string key = desc.face;
    for (char& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
    key += "|" + std::to_string(desc.emHeight) + "|" + std::to_string(desc.weight >= 600) + std::to_string(desc.italic) +
           std::to_string(desc.underline) + "|" + std::to_string(codePage.codePage);
    for (const auto& [first, last] : codePage.leadByteRanges) key += "," + std::to_string(first) + "-" + std::to_string(last);
    if (auto found = made_.find(key); found != made_.end())
        if (std::shared_ptr<Font> made = found->second.lock()) return made;

    fontsys::FontLibrary& library = Library();
    fontsys::FontMatch match;
    if (!library.finder().Match(desc.face, desc.weight >= 600, desc.italic, match)) return nullptr;
    std::shared_ptr<Font> font(new Font);
    font->parts_->glyphs = std::make_unique<fontsys::GlyphCache>(library_, match, desc);
    if (!font->parts_->glyphs->ok()) return nullptr;
    font->parts_->codePage = std::make_unique<fontsys::CodePage>(codePage);
    font->parts_->family = match.family;
    std::erase_if(made_, [](const auto& entry) { return entry.second.expired(); });
    made_[key] = font;
    return font;
}

std::shared_ptr<Font> Fonts::Stock() {
    if (!stock_) {
        const int failures = std::exchange(script_.failCreate, 0); // the stock font cannot fail
        FontDesc desc;
        desc.face = fontsys::kStockFamily;
        desc.emHeight = kStockEmHeight;
        stock_ = Create(desc);
        script_.failCreate = failures;
    }
    return stock_;
}

} // namespace plat

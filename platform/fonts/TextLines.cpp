#include "platform/fonts/TextLines.h"

#include <fribidi.h>

#include <algorithm>
#include <cstdint>

#include "platform/fonts/CodePage.h"
#include "platform/fonts/GlyphCache.h"

namespace plat::fontsys {

namespace {

bool IsBlank(char32_t c) { return c == U' '; }
bool IsBreak(char32_t c) { return c == U'\r' || c == U'\n'; }

void AddLine(GlyphCache& glyphs, const std::u32string& text, size_t first, size_t count, std::vector<TextLine>& out) {
    out.push_back({first, count, WidthOf(glyphs, std::u32string_view(text).substr(first, count))});
}

/// The paragraph of n characters from `base` (no breaks inside) wrapped greedily at blanks.
void WrapParagraph(GlyphCache& glyphs, const std::u32string& text, size_t base, size_t n, int32_t maxWidth,
                   std::vector<TextLine>& out) {
    const char32_t* p = text.data() + base;
    size_t start = 0;
    while (true) {
        int64_t width = 0;
        size_t cut = 0; // where the last word before a run of blanks ends; 0: no such word yet
        size_t i = start;
        for (; i < n; ++i) {
            const int32_t advance = glyphs.Get(p[i]).advance;
            if (IsBlank(p[i])) {
                if (i > start && !IsBlank(p[i - 1])) cut = i;
            } else if (cut != 0 && width + advance > maxWidth) {
                break;
            }
            width += advance;
        }
        if (i >= n) {
            size_t end = n;
            while (end > start && IsBlank(p[end - 1])) --end;
            AddLine(glyphs, text, base + start, end - start, out);
            return;
        }
        AddLine(glyphs, text, base + start, cut - start, out);
        start = cut;
        while (start < n && IsBlank(p[start])) ++start;
    }
}

} // namespace

int32_t WidthOf(GlyphCache& glyphs, std::u32string_view chars) {
    int64_t width = 0;
    for (char32_t c : chars) width += glyphs.Get(c).advance;
    return int32_t(std::min<int64_t>(width, INT32_MAX));
}

void BreakLines(GlyphCache& glyphs, const std::u32string& text, bool wrap, int32_t maxWidth,
                std::vector<TextLine>& out) {
    out.clear();
    if (text.empty()) return;
    size_t start = 0;
    while (true) {
        size_t end = start;
        while (end < text.size() && !IsBreak(text[end])) ++end;
        if (wrap) WrapParagraph(glyphs, text, start, end - start, maxWidth, out);
        else AddLine(glyphs, text, start, end - start, out);
        if (end >= text.size()) return;
        start = end + (text[end] == U'\r' && end + 1 < text.size() && text[end + 1] == U'\n' ? 2 : 1);
    }
}

void ToDisplayOrder(std::u32string& line) {
    if (line.empty()) return;
    const auto length = FriBidiStrIndex(line.size());
    // The missing-glyph stand-in lies outside Unicode: the algorithm sees a replacement
    // character there and the stand-in is put back afterwards.
    std::vector<FriBidiChar> logical(line.begin(), line.end());
    for (FriBidiChar& c : logical)
        if (c == kMissingChar) c = 0xFFFD;
    std::vector<FriBidiChar> visual(line.size());
    std::vector<FriBidiStrIndex> toLogical(line.size());
    FriBidiParType direction = FRIBIDI_PAR_RTL;
    if (!fribidi_log2vis(logical.data(), length, &direction, visual.data(), nullptr, toLogical.data(), nullptr))
        return;
    const std::u32string original = line;
    for (size_t i = 0; i < line.size(); ++i) {
        const FriBidiStrIndex from = toLogical[i];
        const bool missing = from >= 0 && size_t(from) < original.size() && original[size_t(from)] == kMissingChar;
        line[i] = missing ? kMissingChar : visual[i];
    }
}

} // namespace plat::fontsys

#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::fontsys {

class GlyphCache;

/// One line of a laid-out text: where its characters lie in the text and its width in pixels.
struct TextLine {
    size_t first = 0;
    size_t count = 0;
    int32_t width = 0;
};

/// The width of characters in pixels: the sum of their advances.
int32_t WidthOf(GlyphCache& glyphs, std::u32string_view chars);

/// Breaks characters into lines as the window system's text drawing does: a line ends at CR,
/// LF or CRLF (the break itself is not drawn); with `wrap`, a line that would grow wider than
/// `maxWidth` ends at the last run of blanks before it (the blanks are dropped and the next line
/// starts after them), a single word wider than the width keeps its line unsplit, and blanks
/// never start a wrap; blanks that end a paragraph are left out of its last line too, so no
/// wrapped line ends in blanks. Every break gives one more line, so "a\r" has two.
void BreakLines(GlyphCache& glyphs, const std::u32string& text, bool wrap, int32_t maxWidth,
                std::vector<TextLine>& out);

/// Reorders the characters of a line from reading order into display order for a right-to-left
/// paragraph (the bidirectional algorithm, with mirrored brackets and joined Arabic forms).
void ToDisplayOrder(std::u32string& line);

} // namespace plat::fontsys

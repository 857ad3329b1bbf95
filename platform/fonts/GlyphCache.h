#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/Fonts.h"
#include "platform/fonts/FontHandles.h"

namespace plat::fontsys {

class FontLibrary;
struct FontMatch;

/// One rendered character: 8-bit coverage rows and where they lie from the pen position on the
/// baseline.
struct Glyph {
    int32_t advance = 0; ///< whole pixels
    int32_t left = 0;    ///< columns from the pen to the first column
    int32_t top = 0;     ///< rows from the first row down to the baseline
    int32_t width = 0;
    int32_t rows = 0;
    std::vector<uint8_t> coverage; ///< width x rows, top row first
};

/// A FreeType face at one pixel size with the glyphs it has rendered, kept for the face's life.
/// Weight and slant the file lacks are made up (emboldened outlines, a slanted transform).
class GlyphCache {
public:
    /// Loads the face; ok() answers whether it could.
    GlyphCache(std::shared_ptr<FontLibrary> library, const FontMatch& match, const FontDesc& desc);
    bool ok() const { return face_ != nullptr; }

    const FontMetrics& Metrics() const { return metrics_; }
    /// The glyph of a character (the missing glyph for kMissingChar and for characters the
    /// face lacks).
    const Glyph& Get(char32_t ch);
    bool Underlined() const { return underline_; }
    /// Rows from the baseline down to the underline, and its thickness.
    int32_t UnderlineOffset() const { return underlineOffset_; }
    int32_t UnderlineThickness() const { return underlineThickness_; }

private:
    Glyph Render(char32_t ch);

    std::shared_ptr<FontLibrary> library_; ///< kept while the face lives
    FtFacePtr face_;
    FontMetrics metrics_;
    bool embolden_ = false;
    bool underline_ = false;
    int32_t underlineOffset_ = 0;
    int32_t underlineThickness_ = 1;
    std::array<std::unique_ptr<Glyph>, 256> low_{};  ///< characters below 256, the usual case
    std::unordered_map<char32_t, Glyph> others_;
};

} // namespace plat::fontsys

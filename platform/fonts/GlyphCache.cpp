#include "platform/fonts/GlyphCache.h"

#include <algorithm>
#include <cstdlib>

#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include "platform/fonts/CodePage.h"
#include "platform/fonts/FontLibrary.h"

namespace plat::fontsys {

namespace {

/// The largest em height made: bounds the memory of one glyph.
constexpr int32_t kMaxEmHeight = 1024;

/// Font units scaled to whole pixels, rounded.
int32_t Scale(int32_t units, int32_t em, int32_t unitsPerEm) {
    const int64_t scaled = int64_t(units) * em;
    return int32_t((scaled + (scaled >= 0 ? unitsPerEm / 2 : -unitsPerEm / 2)) / unitsPerEm);
}

} // namespace

GlyphCache::GlyphCache(std::shared_ptr<FontLibrary> library, const FontMatch& match, const FontDesc& desc)
    : library_(std::move(library)) {
    FT_Face face = nullptr;
    if (!library_->ft() || FT_New_Face(library_->ft(), match.file.c_str(), match.index, &face) != 0) return;
    face_.reset(face);
    const int32_t em = std::clamp(desc.emHeight, 1, kMaxEmHeight);
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(em)) != 0) {
        face_.reset();
        return;
    }
    const int32_t upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    // The character height of the window system: the face's Windows ascent and descent.
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        metrics_.ascent = Scale(os2->usWinAscent, em, upem);
        metrics_.descent = Scale(os2->usWinDescent, em, upem);
    } else {
        metrics_.ascent = int32_t((face->size->metrics.ascender + 63) >> 6);
        metrics_.descent = int32_t((-face->size->metrics.descender + 63) >> 6);
    }
    metrics_.height = metrics_.ascent + metrics_.descent;

    const bool bold = desc.weight >= 600;
    embolden_ = bold && !match.bold;
    if (desc.italic && !match.italic) {
        FT_Matrix slant{0x10000, 0x0366A, 0, 0x10000}; // about 12 degrees
        FT_Set_Transform(face, &slant, nullptr);
    }
    underline_ = desc.underline;
    underlineOffset_ = std::max(1, Scale(-face->underline_position, em, upem));
    underlineThickness_ = std::max(1, Scale(face->underline_thickness, em, upem));
}

const Glyph& GlyphCache::Get(char32_t ch) {
    if (ch < low_.size()) {
        std::unique_ptr<Glyph>& slot = low_[ch];
        if (!slot) slot = std::make_unique<Glyph>(Render(ch));
        return *slot;
    }
    auto found = others_.find(ch);
    if (found == others_.end()) found = others_.emplace(ch, Render(ch)).first;
    return found->second;
}

Glyph GlyphCache::Render(char32_t ch) {
    Glyph g;
    FT_Face face = face_.get();
    const FT_UInt index = ch == kMissingChar ? 0 : FT_Get_Char_Index(face, FT_ULong(ch));
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) return g;
    FT_GlyphSlot slot = face->glyph;
    if (embolden_) FT_GlyphSlot_Embolden(slot);
    g.advance = int32_t((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return g;
    const FT_Bitmap& bitmap = slot->bitmap;
    // Rendered outlines come as 8-bit rows from the top down (a positive pitch).
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0 || bitmap.pitch <= 0)
        return g;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = int32_t(bitmap.width);
    g.rows = int32_t(bitmap.rows);
    g.coverage.resize(size_t(g.width) * size_t(g.rows));
    for (int32_t y = 0; y < g.rows; ++y)
        std::copy_n(bitmap.buffer + size_t(y) * size_t(bitmap.pitch), g.width,
                    g.coverage.data() + size_t(y) * size_t(g.width));
    return g;
}

} // namespace plat::fontsys

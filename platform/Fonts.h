#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Gdi.h"

namespace plat {

namespace fontsys {
class FontFinder;
class FontLibrary;
class GlyphCache;
class CodePage;
} // namespace fontsys

/// What a font is made from: the parts of a logical-font description that choose and size it.
struct FontDesc {
    std::string face;       ///< family name as the caller knows it ("Arial", "Courier New", ...)
    int32_t emHeight = 16;  ///< em height in pixels (the negative height of a logical font)
    int32_t weight = 400;   ///< 700 and more is bold
    bool italic = false;
    bool underline = false;
};

/// A font's text metrics: the character height is ascent + descent.
struct FontMetrics {
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
};

/// A rectangle of pixels; right and bottom are exclusive.
struct TextRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

/// Where one line of a text is drawn: its cell (advances by the character height) and its ink,
/// the pixels its glyphs cover (empty, left == right, for a line of blanks).
struct TextLineBox {
    TextRect cell;
    TextRect ink;
};

/// How a text is laid out in its rectangle and drawn (with a transparent background).
struct TextDraw {
    enum Align : uint8_t { kLeft, kRight, kCentre };
    Align align = kLeft;
    bool wordBreak = false;   ///< wrap lines at blanks to the rectangle's width
    bool rightToLeft = false; ///< right-to-left reading order
    bool baseline = false;    ///< the rectangle's top is the first line's baseline
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t index = 0;        ///< the palette index written into 8-bit pixels
};

/// The widest line of a text and the number of its lines.
struct TextLines {
    int32_t widest = 0;
    int32_t count = 0;
};

/// A font at one size, made by Fonts. Texts are bytes of the system's code page; lines end at
/// CR, LF or CRLF. Glyphs are kept once rendered. A font stays usable after the service that
/// made it is gone.
class Font {
public:
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const FontMetrics& Metrics() const;
    /// The family of the file the font was made from.
    const std::string& Family() const;
    /// The widest line (by Extent) and the number of lines; {0, 0} for an empty text. With
    /// `wordBreak` the lines measure as word-wrapped drawing lays them out: blanks that end a
    /// line count as nothing (no line is wrapped: the width is unbounded).
    TextLines Measure(std::string_view text, bool wordBreak);
    /// The width of one line: the sum of its characters' advances (rounded to pixels, no kerning).
    int32_t Extent(std::string_view line);
    /// Draws the text into the pixels: each line aligned in the layout rectangle (with
    /// `wordBreak` by its width without the blanks that end it; the text may run past the
    /// rectangle), pixels written only inside the clip rectangle and the target, antialiased
    /// over the pixels at 16, 24 and 32 bits, the palette index where a glyph covers at least
    /// half of a pixel at 8 bits. Unlit pixels are left alone.
    void Draw(const PixelTarget& target, std::string_view text, const TextRect& layout, const TextRect& clip,
              const TextDraw& how);
    /// Where Draw puts each line of the text, in order (the clip aside): its cell from the line's
    /// aligned start by the sum of its advances, one character height tall, and its ink.
    std::vector<TextLineBox> LayOut(std::string_view text, const TextRect& layout, const TextDraw& how);

private:
    friend class Fonts;
    Font();
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

/// The font service (the stand-in for the window system's fonts): families by name, fonts made
/// from descriptions, and the stock font, all at 96 pixels per inch. FreeType draws, fontconfig
/// finds the files, FriBidi orders right-to-left lines. Made lazily: nothing is loaded until the
/// first call.
class Fonts {
public:
    /// Pinned: the Liberation faces and DejaVu Sans only (tests and headless runs); System: the
    /// machine's fontconfig configuration.
    enum class Setup { Pinned, System };
    struct Script {
        int failCreate = 0; ///< the next n Create calls answer null
    };
    static constexpr int32_t kPixelsPerInch = 96;

    explicit Fonts(Setup setup);
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    /// Whether a family of that name (without regard to case) is installed, or the face is one
    /// whose metric-compatible stand-in is ("Arial", "Courier New", "Times New Roman").
    bool FamilyExists(std::string_view face);
    /// A font for the description (an unknown face gets fontconfig's substitute); null when
    /// no font can be made. Descriptions alike share one font (and its glyphs) while it is in use.
    std::shared_ptr<Font> Create(const FontDesc& desc);
    /// The stock font: DejaVu Sans at a 16-pixel character height; null when not installed.
    std::shared_ptr<Font> Stock();

    Script& script() { return script_; }

private:
    fontsys::FontLibrary& Library();

    Setup setup_;
    Script script_;
    std::shared_ptr<fontsys::FontLibrary> library_;
    std::shared_ptr<Font> stock_;
    std::map<std::string, std::weak_ptr<Font>> made_; ///< by description and code page
};

} // namespace plat

#pragma once
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Locale.h"

namespace plat::fontsys {

class IconvHandle;

/// The character drawn for bytes the code page cannot turn into one: the font's missing glyph.
inline constexpr char32_t kMissingChar = 0x110000;

/// Turns text bytes of the system's code page into characters for drawing. A lead byte and the
/// byte after it make one character; a lead byte at the end of the text, a byte the code page
/// leaves unassigned and a pair it cannot convert each give kMissingChar, so every byte is
/// drawn and nothing past the text is read.
class CodePage {
public:
    explicit CodePage(const CodePageInfo& info);
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

    /// Appends the characters of `bytes` to `out`.
    void Decode(std::string_view bytes, std::u32string& out) const;
    bool IsLeadByte(uint8_t byte) const { return lead_[byte]; }

private:
    char32_t Convert(const char* bytes, size_t count) const;

    uint32_t codePage_;
    std::array<bool, 256> lead_{};
    std::unique_ptr<IconvHandle> iconv_; ///< null for code page 1252, which has its own table
};

} // namespace plat::fontsys

#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plat {

/// What the system says about its ANSI code page (GetCPInfo).
struct CodePageInfo {
    uint32_t codePage = 1252;
    /// Bytes of the longest character: 1 on single-byte code pages, 2 on double-byte ones.
    uint32_t maxCharSize = 1;
    /// Ranges of lead bytes, first and last byte of each, inclusive.
    std::vector<std::pair<uint8_t, uint8_t>> leadByteRanges;
};

/// Language and text facts of the system: language ids, the ANSI code page and whether the
/// keyboard layout has an input method.
class Locale {
public:
    virtual ~Locale() = default;
    /// The system's default language id: primary language in the low 10 bits, sublanguage in
    /// the high 6 bits (GetSystemDefaultLangID).
    virtual uint16_t SystemDefaultLangId() = 0;
    /// The user's default language id (GetUserDefaultLangID).
    virtual uint16_t UserDefaultLangId() = 0;
    /// Whether the system handles double-byte text (the DBCS system metric).
    virtual bool IsDbcsEnabled() = 0;
    virtual CodePageInfo AnsiCodePage() = 0;
    /// Whether the current keyboard layout is an input-method layout.
    virtual bool KeyboardHasIme() = 0;
    /// Wide (UTF-16) text in the ANSI code page; characters it cannot hold become '?'.
    virtual std::string WideToMulti(std::u16string_view text) = 0;
};

/// The language id that a POSIX locale name such as "de_DE.UTF-8" stands for: "en_US" gives
/// 0x0409, "de_DE" 0x0407, "de_CH" 0x0807; a language without a known country takes its
/// default sublanguage; an unknown, empty, "C" or "POSIX" name gives 0x0409.
uint16_t LangIdFromLocaleName(std::string_view name);

/// The byte of a code point in code page 1252; nothing when the code page lacks it.
std::optional<uint8_t> Cp1252Byte(char32_t codePoint);

/// The code point of a byte of code page 1252; nothing for the five bytes it leaves unassigned.
std::optional<char32_t> Cp1252CodePoint(uint8_t byte);

/// UTF-16 text in code page 1252; code points the code page lacks (and lone surrogates) give '?'.
std::string WideToCp1252(std::u16string_view text);

/// UTF-8 text in a code page: 1252 by its table, any other through the system's converter
/// ("CP932", "CP949" ...). Characters the code page lacks are left out whole (never half a
/// double-byte character), as are stray and cut-off UTF-8 bytes; a code page the converter
/// does not know gives nothing.
std::string CodePageFromUtf8(std::string_view text, uint32_t codePage);

} // namespace plat

#include "platform/Locale.h"

#include <iconv.h>

#include <cctype>
#include <string>

namespace plat {

namespace {

struct Country {
    const char* code;
    uint8_t sublanguage;
};

struct Language {
    const char* code;
    uint16_t primary;
    std::vector<Country> countries; ///< countries whose sublanguage is not 1
};

const std::vector<Language>& Languages() {
    static const std::vector<Language> table = {
        {"ar", 0x01, {{"IQ", 2}, {"EG", 3}, {"LY", 4}, {"DZ", 5}, {"MA", 6}, {"TN", 7}, {"OM", 8},
                      {"YE", 9}, {"SY", 10}, {"JO", 11}, {"LB", 12}, {"KW", 13}, {"AE", 14},
                      {"BH", 15}, {"QA", 16}}},
        {"bg", 0x02, {}},
        {"ca", 0x03, {}},
        {"zh", 0x04, {{"CN", 2}, {"HK", 3}, {"SG", 4}, {"MO", 5}}},
        {"cs", 0x05, {}},
        {"da", 0x06, {}},
        {"de", 0x07, {{"CH", 2}, {"AT", 3}, {"LU", 4}, {"LI", 5}}},
        {"el", 0x08, {}},
        {"en", 0x09, {{"GB", 2}, {"AU", 3}, {"CA", 4}, {"NZ", 5}, {"IE", 6}, {"ZA", 7}, {"JM", 8},
                      {"BZ", 10}, {"TT", 11}, {"ZW", 12}, {"PH", 13}, {"IN", 16}, {"MY", 17},
                      {"SG", 18}}},
        {"es", 0x0A, {{"MX", 2}, {"GT", 4}, {"CR", 5}, {"PA", 6}, {"DO", 7}, {"VE", 8}, {"CO", 9},
                      {"PE", 10}, {"AR", 11}, {"EC", 12}, {"CL", 13}, {"UY", 14}, {"PY", 15},
                      {"BO", 16}, {"SV", 17}, {"HN", 18}, {"NI", 19}, {"PR", 20}, {"US", 21}}},
        {"fi", 0x0B, {}},
        {"fr", 0x0C, {{"BE", 2}, {"CA", 3}, {"CH", 4}, {"LU", 5}, {"MC", 6}}},
        {"he", 0x0D, {}},
        {"hu", 0x0E, {}},
        {"is", 0x0F, {}},
        {"it", 0x10, {{"CH", 2}}},
        {"ja", 0x11, {}},
        {"ko", 0x12, {}},
        {"nl", 0x13, {{"BE", 2}}},
        {"nb", 0x14, {}},
        {"no", 0x14, {}},
        {"nn", 0x14, {{"NO", 2}, {"", 2}}},
        {"pl", 0x15, {}},
        {"pt", 0x16, {{"PT", 2}}},
        {"ro", 0x18, {}},
        {"ru", 0x19, {}},
        {"hr", 0x1A, {}},
        {"sk", 0x1B, {}},
        {"sq", 0x1C, {}},
        {"sv", 0x1D, {{"FI", 2}}},
        {"th", 0x1E, {}},
        {"tr", 0x1F, {}},
        {"ur", 0x20, {{"IN", 2}}},
        {"id", 0x21, {}},
        {"uk", 0x22, {}},
        {"be", 0x23, {}},
        {"sl", 0x24, {}},
        {"et", 0x25, {}},
        {"lv", 0x26, {}},
        {"lt", 0x27, {}},
        {"hi", 0x39, {}},
    };
    return table;
}

constexpr uint16_t kEnglishUs = 0x0409;

/// The code points of bytes 0x80-0x9F in code page 1252 (0 where the code page has no character).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

} // namespace

std::optional<uint8_t> Cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<uint8_t>(cp);
    }
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] != 0 && kCp1252High[i] == cp) {
            return static_cast<uint8_t>(0x80 + i);
        }
    }
    return std::nullopt;
}

std::optional<char32_t> Cp1252CodePoint(uint8_t byte) {
    if (byte < 0x80 || byte >= 0xA0) {
        return char32_t(byte);
    }
    const char16_t cp = kCp1252High[byte - 0x80];
    if (cp == 0) {
        return std::nullopt;
    }
    return char32_t(cp);
}

uint16_t LangIdFromLocaleName(std::string_view name) {
    // "ll_CC.encoding@modifier": keep the language and the country.
    const size_t cut = name.find_first_of(".@");
    if (cut != std::string_view::npos) {
        name = name.substr(0, cut);
    }
    const size_t sep = name.find_first_of("_-");
    std::string language(name.substr(0, sep));
    std::string country(sep == std::string_view::npos ? std::string_view{} : name.substr(sep + 1));
    for (char& c : language) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (char& c : country) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    for (const Language& entry : Languages()) {
        if (language != entry.code) {
            continue;
        }
        uint16_t sublanguage = 1;
        for (const Country& c : entry.countries) {
            if (country == c.code) {
                sublanguage = c.sublanguage;
                break;
            }
        }
        return static_cast<uint16_t>(sublanguage << 10 | entry.primary);
    }
    return kEnglishUs;
}

std::string WideToCp1252(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; // a lone surrogate
        }
        out.push_back(static_cast<char>(Cp1252Byte(cp).value_or('?')));
    }
    return out;
}

namespace {

/// A conversion from UTF-32LE to a code page; closed when destroyed.
class ToCodePage {
public:
    explicit ToCodePage(uint32_t codePage) : cd_(iconv_open(("CP" + std::to_string(codePage)).c_str(), "UTF-32LE")) {}
    ~ToCodePage() {
        if (Valid()) iconv_close(cd_);
    }
    ToCodePage(const ToCodePage&) = delete;
    ToCodePage& operator=(const ToCodePage&) = delete;
    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    /// The bytes of one character, appended whole or not at all.
    void Append(char32_t code, std::string& out) const {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr); // a fresh shift state
        char in[4] = {char(code), char(code >> 8), char(code >> 16), char(code >> 24)};
        char bytes[8];
        char* inPtr = in;
        char* outPtr = bytes;
        size_t inLeft = sizeof in;
        size_t outLeft = sizeof bytes;
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0) return;
        out.append(bytes, sizeof bytes - outLeft);
    }

private:
    iconv_t cd_;
};

} // namespace

std::string CodePageFromUtf8(std::string_view text, uint32_t codePage) {
    std::string out;
    std::optional<ToCodePage> converter;
    if (codePage != 1252) {
        converter.emplace(codePage);
        if (!converter->Valid()) return out;
    }
    size_t i = 0;
    while (i < text.size()) {
        const uint8_t lead = uint8_t(text[i]);
        uint32_t code = 0;
        size_t length = 1;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            code = lead & 0x1F;
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            code = lead & 0x0F;
            length = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            code = lead & 0x07;
            length = 4;
        } else {
            ++i; // a stray continuation byte
            continue;
        }
        if (i + length > text.size()) break;
        bool valid = true;
        for (size_t k = 1; k < length; ++k) {
            const uint8_t b = uint8_t(text[i + k]);
            if ((b & 0xC0) != 0x80) valid = false;
            code = (code << 6) | (b & 0x3F);
        }
        i += valid ? length : 1;
        if (!valid) continue;
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) continue;
        if (converter) converter->Append(code, out);
        else if (const auto byte = Cp1252Byte(code)) out.push_back(char(*byte));
    }
    return out;
}

} // namespace plat

#include "platform/headless/HeadlessLocale.h"

#include <cstdlib>

namespace plat {

namespace {

uint16_t LangIdFromEnvironment() {
    const char* lang = std::getenv("LANG");
    return LangIdFromLocaleName(lang != nullptr ? lang : "");
}

} // namespace

uint16_t HeadlessLocale::SystemDefaultLangId() {
    return systemLangId_ ? *systemLangId_ : LangIdFromEnvironment();
}

uint16_t HeadlessLocale::UserDefaultLangId() {
    return userLangId_ ? *userLangId_ : LangIdFromEnvironment();
}

void HeadlessLocale::SetDoubleByteCodePage(uint32_t codePage,
                                           std::vector<std::pair<uint8_t, uint8_t>> ranges) {
    dbcs_ = true;
    codePage_.codePage = codePage;
    codePage_.maxCharSize = 2;
    codePage_.leadByteRanges = std::move(ranges);
}

std::string HeadlessLocale::WideToMulti(std::u16string_view text) {
    // Only code page 1252 has a conversion table; an injected double-byte code page stands in
    // for the lead-byte layout alone.
    return WideToCp1252(text);
}

} // namespace plat

#pragma once
#include <optional>

#include "platform/Locale.h"

namespace plat {

/// The locale of this process: the language from the LANG variable, code page 1252 (which has
/// no lead bytes), no input method. Tests inject other language ids and a double-byte code page.
class HeadlessLocale final : public Locale {
public:
    uint16_t SystemDefaultLangId() override;
    uint16_t UserDefaultLangId() override;
    bool IsDbcsEnabled() override { return dbcs_; }
    CodePageInfo AnsiCodePage() override { return codePage_; }
    bool KeyboardHasIme() override { return ime_; }
    std::string WideToMulti(std::u16string_view text) override;

    /// Fixes both language ids (the system's and the user's).
    void SetLangId(uint16_t id) { systemLangId_ = userLangId_ = id; }
    void SetSystemLangId(uint16_t id) { systemLangId_ = id; }
    void SetUserLangId(uint16_t id) { userLangId_ = id; }
    /// A double-byte code page: the DBCS metric is set and the lead-byte ranges are reported.
    void SetDoubleByteCodePage(uint32_t codePage, std::vector<std::pair<uint8_t, uint8_t>> ranges);
    void SetIme(bool ime) { ime_ = ime; }

private:
    std::optional<uint16_t> systemLangId_;
    std::optional<uint16_t> userLangId_;
    bool dbcs_ = false;
    bool ime_ = false;
    CodePageInfo codePage_;
};

} // namespace plat

#include <gtest/gtest.h>

#include <string>

#include "platform/headless/HeadlessLocale.h"
#include "tests/support/Environment.h"

namespace {

TEST(LocaleNames, LanguageAndCountryGiveTheLanguageId) {
    EXPECT_EQ(plat::LangIdFromLocaleName("en_US"), 0x0409);
    EXPECT_EQ(plat::LangIdFromLocaleName("en_US.UTF-8"), 0x0409);
    EXPECT_EQ(plat::LangIdFromLocaleName("en_GB.ISO-8859-1"), 0x0809);
    EXPECT_EQ(plat::LangIdFromLocaleName("en_AU"), 0x0C09);
    EXPECT_EQ(plat::LangIdFromLocaleName("de_DE"), 0x0407);
    EXPECT_EQ(plat::LangIdFromLocaleName("de_CH.utf8"), 0x0807);
    EXPECT_EQ(plat::LangIdFromLocaleName("de_AT@euro"), 0x0C07);
    EXPECT_EQ(plat::LangIdFromLocaleName("fr_CA"), 0x0C0C);
    EXPECT_EQ(plat::LangIdFromLocaleName("ja_JP.eucJP"), 0x0411);
    EXPECT_EQ(plat::LangIdFromLocaleName("zh_CN"), 0x0804);
    EXPECT_EQ(plat::LangIdFromLocaleName("zh_TW"), 0x0404);
    EXPECT_EQ(plat::LangIdFromLocaleName("pt_BR"), 0x0416);
    EXPECT_EQ(plat::LangIdFromLocaleName("pt_PT"), 0x0816);
    EXPECT_EQ(plat::LangIdFromLocaleName("ar_QA"), 0x4001);
    EXPECT_EQ(plat::LangIdFromLocaleName("nn_NO"), 0x0814);
    EXPECT_EQ(plat::LangIdFromLocaleName("hi_IN"), 0x0439);
}

TEST(HeadlessLocale, ReadsLangUnlessOverridden) {
    const vqt::test::ScopedVariable lang("LANG", "de_DE.UTF-8");
    plat::HeadlessLocale locale;
    EXPECT_EQ(locale.SystemDefaultLangId(), 0x0407);
    EXPECT_EQ(locale.UserDefaultLangId(), 0x0407);
    locale.SetUserLangId(0x040C);
    EXPECT_EQ(locale.SystemDefaultLangId(), 0x0407);
    EXPECT_EQ(locale.UserDefaultLangId(), 0x040C);
    locale.SetLangId(0x0411);
    EXPECT_EQ(locale.SystemDefaultLangId(), 0x0411);
    EXPECT_EQ(locale.UserDefaultLangId(), 0x0411);
}

TEST(HeadlessLocale, CodePage1252UnlessADoubleByteOneIsInjected) {
    plat::HeadlessLocale locale;
    EXPECT_FALSE(locale.IsDbcsEnabled());
    EXPECT_FALSE(locale.KeyboardHasIme());
    plat::CodePageInfo info = locale.AnsiCodePage();
    EXPECT_EQ(info.codePage, 1252u);
    EXPECT_EQ(info.maxCharSize, 1u);
    EXPECT_TRUE(info.leadByteRanges.empty());

    locale.SetDoubleByteCodePage(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
    locale.SetIme(true);
    EXPECT_TRUE(locale.IsDbcsEnabled());
    EXPECT_TRUE(locale.KeyboardHasIme());
    info = locale.AnsiCodePage();
    EXPECT_EQ(info.codePage, 932u);
    EXPECT_EQ(info.maxCharSize, 2u);
    ASSERT_EQ(info.leadByteRanges.size(), 2u);
    EXPECT_EQ(info.leadByteRanges[1].first, 0xE0);
    EXPECT_EQ(info.leadByteRanges[1].second, 0xFC);
}

TEST(WideToMulti, Cp1252TableAndReplacement) {
    plat::HeadlessLocale locale;
    EXPECT_EQ(locale.WideToMulti(u"Hello"), "Hello");
    EXPECT_EQ(locale.WideToMulti(u"Gr\u00FC\u00DFe"), "Gr\xFC\xDF" "e");
    EXPECT_EQ(locale.WideToMulti(u"\u20AC\u2122\u0178\u017E"), "\x80\x99\x9F\x9E");
    EXPECT_EQ(locale.WideToMulti(u"\u0416\u65E5"), "??") << "characters the code page lacks";
    EXPECT_EQ(locale.WideToMulti(u"\U0001F600x"), "?x") << "a surrogate pair is one character";
    EXPECT_EQ(locale.WideToMulti(std::u16string(1, char16_t(0xD800)) + u"y"), "?y");
    EXPECT_EQ(locale.WideToMulti(std::u16string(1, char16_t(0x81))), "?")
        << "0x81 has no character in code page 1252";
    EXPECT_EQ(locale.WideToMulti(u""), "");
}

TEST(CodePageFromUtf8, CharactersTheCodePageLacksAreLeftOutWhole) {
    struct Row {
        uint32_t codePage;
        const char* utf8;
        std::string bytes;
        const char* why;
    };
    const Row rows[] = {
        {1252, "a\xC3\xA9\xE2\x82\xAC", "a\xE9\x80", "the western table"},
        {1252, "\xE2\x86\x92x", "x", "an arrow has no place"},
        {1252, "\xC5\xA0\xC2\xA0", "\x8A\xA0", ""},
        {1252, "\x80z\xC3", "z", "stray and cut-off bytes"},
        {1252, "\xC3(y", "(y", ""},
        {932, "A\xE3\x81\x82\xE6\x97\xA5", "A\x82\xA0\x93\xFA", "two double-byte characters"},
        {932, "\xEF\xBD\xB1", "\xB1", "a half-width katakana is one byte"},
        {932, "\xED\x95\x9C\xC3\xA9" "b", "b", "a hangul syllable and an accented letter are missing"},
        {949, "\xED\x95\x9C\xE2\x82\xAC", "\xC7\xD1\xA2\xE6", ""},
        {949, "\xEF\xBD\xB1x\xE6\x97", "x", "missing, then cut off"},
        {60000, "abc", "", "a code page the converter does not know"},
    };
    for (const Row& r : rows) EXPECT_EQ(plat::CodePageFromUtf8(r.utf8, r.codePage), r.bytes) << r.codePage << " " << r.why;
}

} // namespace

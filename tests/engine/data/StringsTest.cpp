#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/data/Strings.h"
#include "tests/support/HeadlessTest.h"

namespace {

/// Text functions over a double-byte code page whose lead bytes are 0x81-0x9F and 0xE0-0xFC.
class DoubleByteStrings : public vqt::test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        locale().SetDoubleByteCodePage(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
        xStr_InitLeadBytes();
    }
};

class SingleByteStrings : public vqt::test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        xStr_InitLeadBytes();
    }
};

/// A heap copy of exactly the text's bytes and its terminator, so AddressSanitizer sees any read
/// past the terminator.
std::unique_ptr<char[]> Exact(const std::string& bytes) {
    auto copy = std::make_unique<char[]>(bytes.size() + 1);
    std::memcpy(copy.get(), bytes.c_str(), bytes.size() + 1);
    return copy;
}

TEST_F(DoubleByteStrings, LeadBytesComeFromTheLocale) {
    for (char lead : {'\x81', '\x9F', '\xE0', '\xFC'}) EXPECT_TRUE(xStr_IsLeadByte(lead)) << int(lead);
    for (char other : {'\x80', '\xA0', '\xFD', 'a'}) EXPECT_FALSE(xStr_IsLeadByte(other)) << int(other);
}

TEST_F(DoubleByteStrings, TrailByteIsNotASeparator) {
    const char text[] = "\x81\x7C\x7C";
    EXPECT_EQ(xStr_CharCount(text), 2);
    EXPECT_EQ(xStr_FindChar(text, '\x7C'), text + 2);
    EXPECT_EQ(xStr_FindAny(text, "|"), text + 2);
    EXPECT_EQ(xStr_FindCharN(text, '|', 1), nullptr) << "only the first character is searched";
    EXPECT_EQ(xStr_FindCharN(text, '|', 2), text + 2);
    EXPECT_EQ(xStr_NextChar(text), text + 2);
    EXPECT_EQ(xStr_CharPtr(text, 1), text + 2);
    EXPECT_EQ(xStr_CharOffset(text, 2), 3);
    EXPECT_EQ(xStr_CharOffset(text, -1), 3);
    // The byte-wise backward scan is allowed to hit the trail byte.
    EXPECT_EQ(xStr_FindLastByte(text, '\x7C'), text + 2);
}

TEST_F(DoubleByteStrings, CaseChangesSkipTrailBytes) {
    char text[] = "\x81\x61\x61z\xE0\x41Q";
    xStr_ToUpper(text);
    EXPECT_STREQ(text, "\x81\x61" "AZ\xE0\x41Q");
    xStr_ToLower(text);
    EXPECT_STREQ(text, "\x81\x61" "az\xE0\x41q");
    EXPECT_EQ(xStr_UpperChar('\xE9'), '\xE9') << "only ASCII letters change case";
    EXPECT_EQ(xStr_LowerChar('\xC9'), '\xC9');
    EXPECT_EQ(xStr_UpperChar('m'), 'M');
    EXPECT_EQ(xStr_LowerChar('M'), 'm');
    EXPECT_EQ(xStr_ToUpper(nullptr), nullptr);
}

TEST_F(DoubleByteStrings, CopyNCountsCharacters) {
    char out[16];
    std::memset(out, 'X', sizeof out);
    EXPECT_EQ(xStr_CopyN(out, "\x81\x40" "abc", 3), out);
    EXPECT_EQ(std::memcmp(out, "\x81\x40" "ab\0", 5), 0);
    EXPECT_EQ(out[5], 'X') << "four bytes and the terminator, nothing more";
    EXPECT_EQ(xStr_CopyN(nullptr, "a", 1), nullptr);
    EXPECT_EQ(xStr_CopyN(out, nullptr, 1), nullptr);
    EXPECT_STREQ(xStr_Copy(out, "\x81\x40xyz"), "\x81\x40xyz");
}

TEST_F(DoubleByteStrings, CopyBytesKeepsWithinTheDestinationAndNeverSplitsACharacter) {
    char out[8];
    std::memset(out, 'X', sizeof out);
    xStr_CopyBytes(out, "ab\x81\x40" "cd", 4);
    EXPECT_STREQ(out, "ab") << "the pair does not fit in the last byte before the terminator";
    EXPECT_EQ(out[3], 'X');
    xStr_CopyBytes(out, "ab\x81\x40" "cd", 5);
    EXPECT_STREQ(out, "ab\x81\x40");
    xStr_CopyBytes(out, "abcdefghijk", sizeof out);
    EXPECT_STREQ(out, "abcdefg");
    out[0] = 'Q';
    xStr_CopyBytes(out, "abc", 0);
    EXPECT_EQ(out[0], 'Q') << "size 0 writes nothing";
    xStr_CopyBytes(out, "abc", 1);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(xStr_CopyBytes(nullptr, "abc", 4), nullptr);
}

TEST_F(DoubleByteStrings, LoneLeadByteAtTheEndIsOneCharacter) {
    const auto text = Exact("ab\x81");
    EXPECT_EQ(xStr_CharCount(text.get()), 3);
    EXPECT_EQ(xStr_CharPtr(text.get(), -1), text.get() + 3);
    EXPECT_EQ(xStr_CharPtr(text.get(), 10), text.get() + 3);
    EXPECT_EQ(xStr_NextChar(text.get() + 2), text.get() + 3);
    EXPECT_EQ(xStr_NextChar(text.get() + 3), text.get() + 3) << "the terminator is not stepped over";
    EXPECT_EQ(xStr_FindChar(text.get(), 'z'), nullptr);
    EXPECT_EQ(xStr_FindAny(text.get(), "xyz"), nullptr);
    EXPECT_EQ(xStr_SkipSet(text.get(), "ab\x81"), text.get() + 3);
    xStr_ToUpper(text.get());
    EXPECT_STREQ(text.get(), "AB\x81");
    xStr_TrimRight(text.get());
    EXPECT_STREQ(text.get(), "AB\x81");

    char out[8];
    std::memset(out, 'X', sizeof out);
    xStr_CopyN(out, text.get(), -1);
    EXPECT_EQ(std::memcmp(out, "AB\x81\0", 4), 0);
    EXPECT_EQ(out[4], 'X');
    xStr_CopyBytes(out, text.get(), sizeof out);
    EXPECT_STREQ(out, "AB\x81");

    const auto other = Exact("AB\x81");
    const auto longer = Exact("AB\x81\x40");
    EXPECT_EQ(xStr_CompareNoCase(text.get(), other.get()), 0);
    EXPECT_LT(xStr_Compare(text.get(), longer.get()), 0);
    EXPECT_GT(xStr_CompareNoCase(longer.get(), text.get()), 0);

    const auto lone = Exact("\x81");
    EXPECT_EQ(xStr_CharCount(lone.get()), 1);
    char appended[8] = "a";
    xStr_Append(appended, lone.get());
    EXPECT_STREQ(appended, "a\x81");
}

TEST_F(DoubleByteStrings, CompareFoldsOnlySingleByteCharacters) {
    EXPECT_EQ(xStr_CompareNoCase("abc", "ABC"), 0);
    EXPECT_NE(xStr_Compare("abc", "ABC"), 0);
    // Trail bytes 0x61 and 0x41 are different characters, not a case pair.
    EXPECT_NE(xStr_CompareNoCase("\x81\x61", "\x81\x41"), 0);
    EXPECT_EQ(xStr_CompareNoCase("\x81\x61x", "\x81\x61X"), 0);
    // Result: the first differing unfolded bytes as signed 8-bit values.
    EXPECT_EQ(xStr_CompareNoCase("a", "B"), 'a' - 'B');
    EXPECT_EQ(xStr_Compare("\xE0", "a"), static_cast<int8_t>('\xE0') - 'a');
    EXPECT_LT(xStr_Compare("\xE0", "a"), 0);
    EXPECT_EQ(xStr_Compare("abc", "abd"), 'c' - 'd');
    EXPECT_EQ(xStr_Compare("ab", "abc"), -'c');
    // Null compares as empty.
    EXPECT_EQ(xStr_Compare(nullptr, ""), 0);
    EXPECT_EQ(xStr_CompareNoCase(nullptr, "a"), -'a');
    EXPECT_EQ(xStr_CompareNoCase("a", nullptr), 'a');
    // The limits count bytes.
    EXPECT_EQ(xStr_CompareN("abcX", "abcY", 3), 0);
    EXPECT_NE(xStr_CompareN("abcX", "abcY", 4), 0);
    EXPECT_EQ(xStr_CompareNoCaseN("abcX", "ABCY", 3), 0);
    EXPECT_EQ(xStr_CompareN("x", "y", 0), 0);
}

TEST_F(SingleByteStrings, NullAndEmptyTexts) {
    EXPECT_EQ(xStr_CharCount(""), 0);
    EXPECT_EQ(xStr_CharCount(nullptr), 0);
    EXPECT_EQ(xStr_SafeByteLength(nullptr), 0);
    EXPECT_EQ(xStr_SafeByteLength("abc"), 3);
    EXPECT_EQ(xStr_ByteLength("ab\xE9"), 3);
    const char* empty = "";
    EXPECT_EQ(xStr_End(empty), empty);
    EXPECT_EQ(xStr_End(static_cast<const char*>(nullptr)), nullptr);
    const char* abc = "abc";
    EXPECT_EQ(xStr_End(abc), abc + 3);
    EXPECT_EQ(xStr_CharPtr(static_cast<const char*>(nullptr), 2), nullptr);
    EXPECT_EQ(xStr_NextChar(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(xStr_FindChar(static_cast<const char*>(nullptr), 'a'), nullptr);
    EXPECT_EQ(xStr_FindChar(empty, 'a'), nullptr);
    EXPECT_EQ(xStr_FindChar(abc, '\0'), nullptr) << "the terminator is not a character";
    EXPECT_EQ(xStr_FindLastByte(abc, '\0'), abc + 3) << "the backward scan starts at the terminator";
    EXPECT_EQ(xStr_FindLastByte(empty, 'a'), nullptr);
    EXPECT_EQ(xStr_FindAny(abc, nullptr), nullptr);
    EXPECT_EQ(xStr_TrimLeft(nullptr), nullptr);
    EXPECT_EQ(xStr_Trim(nullptr), nullptr);
    char buffer[4] = "ab";
    EXPECT_STREQ(xStr_Append(buffer, nullptr), "ab");
    EXPECT_EQ(xStr_Append(nullptr, "x"), nullptr);
}

TEST_F(SingleByteStrings, FindAndSkip) {
    const char* text = "a,b x,c";
    EXPECT_EQ(xStr_FindChar(text, ','), text + 1);
    EXPECT_EQ(xStr_FindLastByte(text, ','), text + 5);
    EXPECT_EQ(xStr_FindAny(text, "x, "), text + 1);
    EXPECT_EQ(xStr_FindAny(text, " x"), text + 3);
    EXPECT_EQ(xStr_FindAnyN(text, " ", 3), nullptr);
    EXPECT_EQ(xStr_FindAnyN(text, " ", 4), text + 3);
    const char* padded = " \t, x";
    EXPECT_EQ(xStr_SkipSet(padded, " \t,"), padded + 4);
    EXPECT_EQ(xStr_SkipSet(padded, ""), padded);
}

TEST_F(SingleByteStrings, Trimming) {
    char blanks[] = " \t  ";
    EXPECT_STREQ(xStr_TrimLeft(blanks), "");
    char both[] = " \t a b \t ";
    EXPECT_STREQ(xStr_Trim(both), "a b");
    char right[] = "x\t";
    EXPECT_STREQ(xStr_TrimRight(right), "x");
    char other[] = "\nx\n";
    EXPECT_STREQ(xStr_Trim(other), "\nx\n") << "only tabs and blanks are white";
    EXPECT_TRUE(xStr_IsWhite(' '));
    EXPECT_TRUE(xStr_IsWhite('\t'));
    EXPECT_FALSE(xStr_IsWhite('\n'));
}

TEST_F(DoubleByteStrings, TrimRightKeepsADoubleByteCharacterWhoseTrailLooksWhite) {
    // With a lead byte whose trail is a tab-like byte, the pair is one character and stays.
    xStr_Context().leadBytes[0x88] = true;
    char text[] = "a\x88\t";
    EXPECT_STREQ(xStr_TrimRight(text), "a\x88\t");
    char spaced[] = "a\x88\t \t";
    EXPECT_STREQ(xStr_TrimRight(spaced), "a\x88\t");
}

TEST(WideCopy, CopiesAtMostNUnitsAndTerminates) {
    char16_t out[8];
    std::fill(std::begin(out), std::end(out), u'X');
    EXPECT_EQ(xStr_WideCopyN(out, u"abcdef", 3), out);
    EXPECT_EQ(std::u16string(out), u"abc");
    EXPECT_EQ(out[4], u'X');
    xStr_WideCopyN(out, u"hi", -1);
    EXPECT_EQ(std::u16string(out), u"hi");
    EXPECT_EQ(xStr_WideCopyN(nullptr, u"a", 1), nullptr);
}

} // namespace

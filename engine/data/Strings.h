#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// Text functions of the engine. Text is NUL-terminated bytes in the system's ANSI code page: a
// character is one byte, or two when the first is a lead byte of the lead-byte table. Every
// function that walks characters steps over a lead byte and its trail byte together, so a trail
// byte is never taken for a separator, a case letter or a blank. A lead byte right before the
// terminator counts as a character of one byte: no function steps over the terminator.
// Counts of characters are signed 32-bit; a count of -1 means no limit. Engine thread only.

/// The lead-byte table shared by the text functions and the language start-up: one flag per
/// byte value, all clear on single-byte code pages.
struct StrContext {
    std::array<bool, 256> leadBytes{};
};
StrContext& xStr_Context();

/// Fills the lead-byte table from the platform's locale: cleared, then, when the system handles
/// double-byte text and its code page has characters of more than one byte, every byte of each
/// lead-byte range is marked.
void xStr_InitLeadBytes();
bool xStr_IsLeadByte(char byte);

/// The next character; the terminator itself when the text is at its end; null for null text.
const char* xStr_NextChar(const char* text);
char* xStr_NextChar(char* text);
/// Character n (after n characters), stopping at the terminator; null for null text.
const char* xStr_CharPtr(const char* text, int32_t n);
char* xStr_CharPtr(char* text, int32_t n);
/// The byte offset of character n.
int32_t xStr_CharOffset(const char* text, int32_t n);

/// Tab or blank.
bool xStr_IsWhite(char byte);
/// Only the 26 ASCII letters change case; every other byte is answered unchanged.
char xStr_UpperChar(char byte);
char xStr_LowerChar(char byte);
/// Change the case of every single-byte character in place (double-byte characters stay).
char* xStr_ToUpper(char* text);
char* xStr_ToLower(char* text);

/// Number of characters (a lead byte with its trail byte counts once); 0 for null or empty.
int32_t xStr_CharCount(const char* text);
/// Bytes before the terminator; 0 for null text.
int32_t xStr_SafeByteLength(const char* text);
/// Bytes before the terminator.
int32_t xStr_ByteLength(const char* text);
/// The terminator; the text itself for null or empty text.
const char* xStr_End(const char* text);
char* xStr_End(char* text);

/// Compare at most n bytes with the 26 ASCII letters of single-byte characters folded to upper
/// case: 0 when equal, else the difference of the first differing (unfolded) bytes as signed
/// 8-bit values. Null text compares as empty.
int32_t xStr_CompareNoCaseN(const char* a, const char* b, int32_t n);
int32_t xStr_CompareNoCase(const char* a, const char* b);
/// Compare at most n bytes exactly: 0 when equal, else the difference of the first differing
/// bytes as signed 8-bit values. Null text compares as empty.
int32_t xStr_CompareN(const char* a, const char* b, int32_t n);
int32_t xStr_Compare(const char* a, const char* b);

/// Copies at most n characters (a double-byte character whole) and terminates; the destination
/// needs room for up to 2n + 1 bytes. Null destination or source: null. Answers the destination.
char* xStr_CopyN(char* destination, const char* source, int32_t n);
char* xStr_Copy(char* destination, const char* source);
/// Copies into a destination of `size` bytes: at most size - 1 bytes, never half of a double-byte
/// character, always terminated (nothing is written when size is 0). Null destination or source:
/// null. Answers the destination.
char* xStr_CopyBytes(char* destination, const char* source, size_t size);
/// Copies at most n 16-bit units of wide text and terminates (n + 1 units of room).
char16_t* xStr_WideCopyN(char16_t* destination, const char16_t* source, int32_t n);
/// Copies the source at the destination's end; null destination or source changes nothing.
char* xStr_Append(char* destination, const char* source);

/// The first character among the first n whose first byte equals the byte; null when there is
/// none or the text is null or empty.
const char* xStr_FindCharN(const char* text, char byte, int32_t n);
char* xStr_FindCharN(char* text, char byte, int32_t n);
const char* xStr_FindChar(const char* text, char byte);
char* xStr_FindChar(char* text, char byte);
/// Scans back byte by byte from the terminator (included) to the first byte; null when none.
const char* xStr_FindLastByte(const char* text, char byte);
char* xStr_FindLastByte(char* text, char byte);
/// The first character among the first n whose first byte is one of the bytes of `set`.
const char* xStr_FindAnyN(const char* text, const char* set, int32_t n);
char* xStr_FindAnyN(char* text, const char* set, int32_t n);
const char* xStr_FindAny(const char* text, const char* set);
char* xStr_FindAny(char* text, const char* set);
/// Past the leading characters whose first byte is in `set`.
const char* xStr_SkipSet(const char* text, const char* set);
char* xStr_SkipSet(char* text, const char* set);

/// Remove leading, trailing, or both runs of tabs and blanks in place; answer the text.
char* xStr_TrimLeft(char* text);
char* xStr_TrimRight(char* text);
char* xStr_Trim(char* text);

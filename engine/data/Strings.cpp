#include "engine/data/Strings.h"

#include <cstring>

#include "engine/data/DataState.h"
#include "platform/Platform.h"

namespace {

bool IsLead(const char* p) { return xStr_Context().leadBytes[static_cast<uint8_t>(*p)]; }

/// Bytes of the character at p: 2 for a lead byte with a trail byte, else 1 (0 at the end).
int Width(const char* p) {
    if (*p == '\0') {
        return 0;
    }
    return IsLead(p) && p[1] != '\0' ? 2 : 1;
}

bool InSet(const char* set, char byte) {
    if (set == nullptr || byte == '\0') {
        return false;
    }
    return std::strchr(set, byte) != nullptr;
}

/// The first character among the first n (all when n < 0) whose first byte matches; null when
/// none does or the text is null.
template <typename Match>
const char* FindFirst(const char* text, int32_t n, Match matches) {
    if (text == nullptr) {
        return nullptr;
    }
    for (int32_t i = 0; (n < 0 || i < n) && *text != '\0'; ++i) {
        if (matches(*text)) {
            return text;
        }
        text += Width(text);
    }
    return nullptr;
}

/// Byte-wise comparison over at most n bytes; `fold` folds single-byte characters only.
int32_t CompareBytes(const char* a, const char* b, int32_t n, bool fold) {
    a = a != nullptr ? a : "";
    b = b != nullptr ? b : "";
    int trailA = 0; // bytes left of the current double-byte character in each text
    int trailB = 0;
    for (int32_t i = 0; n < 0 || i < n; ++i) {
        const char ca = a[i];
        const char cb = b[i];
        const bool singleA = trailA == 0 && !(IsLead(a + i) && a[i + 1] != '\0');
        const bool singleB = trailB == 0 && !(IsLead(b + i) && b[i + 1] != '\0');
        const char fa = fold && singleA ? xStr_UpperChar(ca) : ca;
        const char fb = fold && singleB ? xStr_UpperChar(cb) : cb;
        if (fa != fb) {
            return static_cast<int8_t>(ca) - static_cast<int8_t>(cb);
        }
        if (ca == '\0') {
            return 0;
        }
        trailA = trailA > 0 ? trailA - 1 : (singleA ? 0 : 1);
        trailB = trailB > 0 ? trailB - 1 : (singleB ? 0 : 1);
    }
    return 0;
}

} // namespace

StrContext& xStr_Context() { return xData_State().strings; }

void xStr_InitLeadBytes() {
    StrContext& context = xStr_Context();
    context.leadBytes.fill(false);
    plat::Locale& locale = plat::locale();
    if (!locale.IsDbcsEnabled()) {
        return;
    }
    const plat::CodePageInfo info = locale.AnsiCodePage();
    if (info.maxCharSize <= 1) {
        return;
    }
    for (const auto& [first, last] : info.leadByteRanges) {
        if (first == 0) {
            break; // the list ends at a pair starting with 0
        }
        for (unsigned b = first; b <= last; ++b) {
            context.leadBytes[b] = true;
        }
    }
}

bool xStr_IsLeadByte(char byte) { return xStr_Context().leadBytes[static_cast<uint8_t>(byte)]; }

const char* xStr_NextChar(const char* text) {
    return text == nullptr ? nullptr : text + Width(text);
}
char* xStr_NextChar(char* text) {
    return const_cast<char*>(xStr_NextChar(static_cast<const char*>(text)));
}

const char* xStr_CharPtr(const char* text, int32_t n) {
    if (text == nullptr) {
        return nullptr;
    }
    for (int32_t i = 0; (n < 0 || i < n) && *text != '\0'; ++i) {
        text += Width(text);
    }
    return text;
}
char* xStr_CharPtr(char* text, int32_t n) {
    return const_cast<char*>(xStr_CharPtr(static_cast<const char*>(text), n));
}

int32_t xStr_CharOffset(const char* text, int32_t n) {
    return text == nullptr ? 0 : static_cast<int32_t>(xStr_CharPtr(text, n) - text);
}

bool xStr_IsWhite(char byte) { return byte == ' ' || byte == '\t'; }

char xStr_UpperChar(char byte) { return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 32) : byte; }

char xStr_LowerChar(char byte) { return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte; }

char* xStr_ToUpper(char* text) {
    for (char* p = text; p != nullptr && *p != '\0'; p += Width(p)) {
        *p = xStr_UpperChar(*p); // a lead byte is never an ASCII letter
    }
    return text;
}

char* xStr_ToLower(char* text) {
    for (char* p = text; p != nullptr && *p != '\0'; p += Width(p)) {
        *p = xStr_LowerChar(*p);
    }
    return text;
}

int32_t xStr_CharCount(const char* text) {
    int32_t count = 0;
    for (const char* p = text; p != nullptr && *p != '\0'; p += Width(p)) {
        ++count;
    }
    return count;
}

int32_t xStr_SafeByteLength(const char* text) {
    return text == nullptr ? 0 : static_cast<int32_t>(std::strlen(text));
}

int32_t xStr_ByteLength(const char* text) { return xStr_SafeByteLength(text); }

const char* xStr_End(const char* text) { return text == nullptr ? nullptr : text + std::strlen(text); }
char* xStr_End(char* text) { return text == nullptr ? nullptr : text + std::strlen(text); }

int32_t xStr_CompareNoCaseN(const char* a, const char* b, int32_t n) { return CompareBytes(a, b, n, true); }
int32_t xStr_CompareNoCase(const char* a, const char* b) { return CompareBytes(a, b, -1, true); }
int32_t xStr_CompareN(const char* a, const char* b, int32_t n) { return CompareBytes(a, b, n, false); }
int32_t xStr_Compare(const char* a, const char* b) { return CompareBytes(a, b, -1, false); }

char* xStr_CopyN(char* destination, const char* source, int32_t n) {
    if (destination == nullptr || source == nullptr) {
        return nullptr;
    }
    char* out = destination;
    for (int32_t i = 0; (n < 0 || i < n) && *source != '\0'; ++i) {
        const int width = Width(source);
        for (int k = 0; k < width; ++k) {
            *out++ = *source++;
        }
    }
    *out = '\0';
    return destination;
}

char* xStr_Copy(char* destination, const char* source) { return xStr_CopyN(destination, source, -1); }

char* xStr_CopyBytes(char* destination, const char* source, size_t size) {
    if (destination == nullptr || source == nullptr) {
        return nullptr;
    }
    if (size == 0) {
        return destination;
    }
    size_t used = 0;
    while (*source != '\0') {
        const int width = Width(source);
        if (used + static_cast<size_t>(width) > size - 1) {
            break;
        }
        for (int k = 0; k < width; ++k) {
            destination[used++] = *source++;
        }
    }
    destination[used] = '\0';
    return destination;
}

char16_t* xStr_WideCopyN(char16_t* destination, const char16_t* source, int32_t n) {
    if (destination == nullptr || source == nullptr) {
        return nullptr;
    }
    int32_t i = 0;
    for (; (n < 0 || i < n) && source[i] != 0; ++i) {
        destination[i] = source[i];
    }
    destination[i] = 0;
    return destination;
}

char* xStr_Append(char* destination, const char* source) {
    if (destination == nullptr || source == nullptr) {
        return destination;
    }
    xStr_Copy(xStr_End(destination), source);
    return destination;
}

const char* xStr_FindCharN(const char* text, char byte, int32_t n) {
    return FindFirst(text, n, [byte](char first) { return first == byte; });
}
char* xStr_FindCharN(char* text, char byte, int32_t n) {
    return const_cast<char*>(xStr_FindCharN(static_cast<const char*>(text), byte, n));
}
const char* xStr_FindChar(const char* text, char byte) { return xStr_FindCharN(text, byte, -1); }
char* xStr_FindChar(char* text, char byte) { return xStr_FindCharN(text, byte, -1); }

const char* xStr_FindLastByte(const char* text, char byte) {
    if (text == nullptr) {
        return nullptr;
    }
    for (const char* p = xStr_End(text);; --p) {
        if (*p == byte) {
            return p;
        }
        if (p == text) {
            return nullptr;
        }
    }
}
char* xStr_FindLastByte(char* text, char byte) {
    return const_cast<char*>(xStr_FindLastByte(static_cast<const char*>(text), byte));
}

const char* xStr_FindAnyN(const char* text, const char* set, int32_t n) {
    return FindFirst(text, n, [set](char first) { return InSet(set, first); });
}
char* xStr_FindAnyN(char* text, const char* set, int32_t n) {
    return const_cast<char*>(xStr_FindAnyN(static_cast<const char*>(text), set, n));
}
const char* xStr_FindAny(const char* text, const char* set) { return xStr_FindAnyN(text, set, -1); }
char* xStr_FindAny(char* text, const char* set) { return xStr_FindAnyN(text, set, -1); }

const char* xStr_SkipSet(const char* text, const char* set) {
    if (text == nullptr) {
        return nullptr;
    }
    while (InSet(set, *text)) {
        text += Width(text);
    }
    return text;
}
char* xStr_SkipSet(char* text, const char* set) {
    return const_cast<char*>(xStr_SkipSet(static_cast<const char*>(text), set));
}

char* xStr_TrimLeft(char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    const char* first = text;
    while (xStr_IsWhite(*first)) {
        ++first;
    }
    if (first != text) {
        std::memmove(text, first, std::strlen(first) + 1);
    }
    return text;
}

char* xStr_TrimRight(char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    char* run = nullptr; // start of the trailing run of single-byte white characters
    for (char* p = text; *p != '\0'; p += Width(p)) {
        if (xStr_IsWhite(*p)) {
            if (run == nullptr) {
                run = p;
            }
        } else {
            run = nullptr;
        }
    }
    if (run != nullptr) {
        *run = '\0';
    }
    return text;
}

char* xStr_Trim(char* text) { return xStr_TrimRight(xStr_TrimLeft(text)); }

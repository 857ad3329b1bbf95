#pragma once
// Reading and writing a key's storage by its type and size, and the decimal readers of the
// profile store and the INI reader. Internal to engine/data.
#include <cstdint>
#include <cstring>

#include "engine/base/Unaligned.h"
#include "engine/data/Profiles.h"

namespace profile_storage {

/// The storage read as a number: one, two or four bytes, signed or not by the type.
inline int64_t ReadNumber(const t_sProfileKey& row) {
    const bool isSigned = row.type == kProfileShort || row.type == kProfileLong ||
                          row.type == kProfileBoolWord || row.type == kProfileBoolean;
    if (row.value == nullptr) {
        return 0;
    }
    switch (row.size) {
    case 1: {
        uint8_t v;
        std::memcpy(&v, row.value, 1);
        return v;
    }
    case 2: {
        const uint16_t v = unaligned::Load16(row.value);
        return isSigned ? static_cast<int64_t>(static_cast<int16_t>(v)) : v;
    }
    case 4: {
        const uint32_t v = unaligned::Load32(row.value);
        return isSigned ? static_cast<int64_t>(static_cast<int32_t>(v)) : v;
    }
    default:
        return 0;
    }
}

/// Stores the low bytes of a number in a storage of one, two or four bytes (other sizes take
/// nothing). A one-byte boolean stores 1 for any non-zero number.
inline void WriteNumber(const t_sProfileKey& row, int64_t number) {
    if (row.value == nullptr) {
        return;
    }
    const uint32_t bits = static_cast<uint32_t>(number);
    switch (row.size) {
    case 1: {
        const uint8_t v = row.type == kProfileBoolean ? (number != 0 ? 1 : 0) : static_cast<uint8_t>(bits);
        std::memcpy(row.value, &v, 1);
        break;
    }
    case 2:
        unaligned::Store16(row.value, static_cast<uint16_t>(bits));
        break;
    case 4:
        unaligned::Store32(row.value, bits);
        break;
    default:
        break;
    }
}

inline bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

/// The magnitude and sign of a decimal number after leading white space; the magnitude stops
/// growing past 2^33, so any overflow is seen.
inline void ReadDecimal(const char* text, bool& negative, uint64_t& magnitude) {
    negative = false;
    magnitude = 0;
    if (text == nullptr) {
        return;
    }
    while (IsSpace(*text)) {
        ++text;
    }
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (magnitude < (uint64_t{1} << 33)) {
            magnitude = magnitude * 10 + static_cast<uint64_t>(*text - '0');
        }
    }
}

/// A signed decimal number (leading white space and a sign allowed, no digits gives 0), held
/// within the 32-bit range.
inline int32_t ParseSigned(const char* text) {
    bool negative;
    uint64_t magnitude;
    ReadDecimal(text, negative, magnitude);
    if (negative) {
        return magnitude >= uint64_t{1} << 31 ? INT32_MIN : -static_cast<int32_t>(magnitude);
    }
    return magnitude > INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
}

/// An unsigned decimal number: above the 32-bit range it holds at the largest value; a minus
/// sign negates it modulo 2^32.
inline uint32_t ParseUnsigned(const char* text) {
    bool negative;
    uint64_t magnitude;
    ReadDecimal(text, negative, magnitude);
    if (magnitude > UINT32_MAX) {
        return UINT32_MAX;
    }
    const uint32_t value = static_cast<uint32_t>(magnitude);
    return negative ? 0u - value : value;
}

} // namespace profile_storage

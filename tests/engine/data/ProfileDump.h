#pragma once
// Writes every key of the profile store as text, one line a key, for comparisons in tests;
// the fixture of the profile store's tests.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/data/Profiles.h"
#include "engine/data/Strings.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {

/// One key's value as text: strings quoted, numbers in decimal (signed by the type, at the
/// storage's width), colours as four bytes, points as two numbers; custom keys show nothing.
inline std::string ProfileValueText(const t_sProfileKey& row) {
    char out[64];
    const auto* bytes = static_cast<const uint8_t*>(row.value);
    switch (row.type) {
    case kProfileString:
        return "\"" + std::string(static_cast<const char*>(row.value), strnlen(static_cast<const char*>(row.value), row.size)) + "\"";
    case kProfileCustom:
        return "-";
    case kProfileColor:
        std::snprintf(out, sizeof out, "%u,%u,%u,%u", bytes[0], bytes[1], bytes[2], bytes[3]);
        return out;
    case kProfilePoint: {
        int16_t first;
        int16_t second;
        std::memcpy(&first, bytes, 2);
        std::memcpy(&second, bytes + 2, 2);
        std::snprintf(out, sizeof out, "%d,%d", first, second);
        return out;
    }
    default:
        break;
    }
    const bool isSigned = row.type != kProfileUShort && row.type != kProfileULong;
    long long number = 0;
    if (row.size == 1) {
        number = bytes[0];
    } else if (row.size == 2) {
        uint16_t v;
        std::memcpy(&v, bytes, 2);
        number = isSigned ? static_cast<int16_t>(v) : v;
    } else if (row.size == 4) {
        uint32_t v;
        std::memcpy(&v, bytes, 4);
        number = isSigned ? static_cast<int32_t>(v) : static_cast<long long>(v);
    }
    std::snprintf(out, sizeof out, "%lld", number);
    return out;
}

/// Every key of every registered table, "NAME type size value", then the values the hooks keep.
inline std::string DumpProfiles() {
    std::string dump;
    for (const t_sProfileKey* table : xProfiles_Store().tables) {
        for (const t_sProfileKey* row = table; row->name != nullptr; ++row) {
            dump += std::string(row->name) + " " + std::to_string(row->type) + " " +
                    std::to_string(row->size) + " " + ProfileValueText(*row) + "\n";
        }
    }
    const ProfileStore& store = xProfiles_Store();
    dump += "(stage size) " + std::to_string(store.stageWidth) + "x" + std::to_string(store.stageHeight) + "\n";
    dump += "(caption size) " + std::to_string(store.captionWidth) + "x" + std::to_string(store.captionHeight) + "\n";
    return dump;
}

/// A fresh profile store around each case (and the string functions' lead-byte table reset
/// after it).
class ProfileStoreTest : public HeadlessTest {
protected:
    /// The key's value as text, "(missing)" for an unknown key.
    static std::string Value(const char* name) {
        const t_sProfileKey* row = xProfiles_FindKey(name);
        return row == nullptr ? "(missing)" : ProfileValueText(*row);
    }
};

} // namespace vqt::test

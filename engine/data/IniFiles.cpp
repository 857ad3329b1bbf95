#include "engine/data/IniFiles.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/base/Trace.h"
#include "engine/data/DrvFile.h"
#include "engine/data/FileLayer.h"
#include "engine/data/ProfileStorage.h"
#include "engine/data/Profiles.h"
#include "engine/data/Strings.h"
#include "platform/Platform.h"

using namespace profile_storage;

namespace {

/// Names copied into the INI object hold at most this many bytes.
constexpr size_t kNameSize = 256;
/// A registry text counts when it holds at most this many bytes.
constexpr size_t kMaxRegistryText = 1023;
/// Reading a file stops here; no INI file comes near it.
constexpr size_t kMaxFileBytes = size_t{16} << 20;

/// Cuts a trailing run of the set's bytes, looking only at whole single-byte characters.
void TrimRight(char* text, const char* set) {
    char* run = nullptr;
    for (char* p = text; *p != '\0'; p = xStr_NextChar(p)) {
        const bool single = xStr_NextChar(p) == p + 1;
        if (single && std::strchr(set, *p) != nullptr) {
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
}

std::string Bounded(const char* text, size_t size) {
    std::string out(size, '\0');
    xStr_CopyBytes(out.data(), text != nullptr ? text : "", size);
    out.resize(std::strlen(out.c_str()));
    return out;
}

/// Copies into `out` within `size` bytes; nothing when there is no room at all.
void CopyOut(char* out, size_t size, const char* text) {
    if (out != nullptr && size > 0) {
        xStr_CopyBytes(out, text, size);
    }
}

/// The text without the white space around it.
std::string Trimmed(const char* text) {
    std::string copy(xStr_SkipSet(text, " \t\r\n"));
    TrimRight(copy.data(), " \t\r\n");
    copy.resize(std::strlen(copy.c_str()));
    return copy;
}

/// The registry's text value of the key (at most 1023 bytes), traced when found.
bool RegistryString(const std::optional<plat::RegistryValue>& value, const char* key, std::string& out) {
    if (!value || value->type != plat::RegistryValue::Type::String) {
        return false;
    }
    const size_t length = strnlen(value->text.c_str(), value->text.size());
    if (length > kMaxRegistryText) {
        return false; // too long for the value buffer: not read
    }
    out.assign(value->text.c_str(), length);
    xTracef("*** Found key in registry - %s - %s\n", key, out.c_str());
    return true;
}

} // namespace

void CIniFile::SetNames(const char* rootKey, const char* companyName, const char* productName) {
    rootKey_ = Bounded(rootKey, kNameSize);
    registryPath_ = "Software\\" + Bounded(companyName, kNameSize) + "\\" + Bounded(productName, kNameSize);
}

CIniFile::~CIniFile() { Detach(); }

void CIniFile::Detach() {
    if (ownsDriver_) {
        delete driver_;
    }
    driver_ = nullptr;
    ownsDriver_ = false;
}

void CIniFile::Attach(ODriver* driver, bool owned) {
    Detach();
    driver_ = driver;
    ownsDriver_ = owned;
}

bool CIniFile::Load(const char* fileName, int where) {
    sections_.clear();
    if (fileName == nullptr || *fileName == '\0') {
        return false;
    }
    std::unique_ptr<plat::File> file;
    if (where == -1 || where == 1) {
        file = xOpenFile(fileName, 1);
    }
    if (!file && (where == -1 || where == 0)) {
        file = xOpenFileInWindowsDir(fileName, 1);
    }
    if (!file) {
        return false;
    }
    fileName_ = fileName;
    xTracef("\n*** Information - INI file opened : [%s]\n", fileName);
    auto driver = std::make_unique<ODrvFile>();
    driver->AdoptFile(std::move(file));
    Attach(driver.release(), true);
    Parse();
    Detach(); // closes the file
    return true;
}

void CIniFile::Parse() {
    std::string text;
    if (driver_ != nullptr) {
        char buffer[4096];
        uint32_t got = 0;
        while (text.size() < kMaxFileBytes) {
            got = 0;
            const int32_t code = driver_->Read(buffer, sizeof buffer, &got);
            text.append(buffer, std::min<uint32_t>(got, sizeof buffer));
            if (code != DRV_OK || got == 0) {
                break; // the end of the data (or a read that failed)
            }
        }
    }
    ParseText(text);
}

void CIniFile::ParseText(const std::string& data) {
    sections_.clear();
    const size_t size = data.size();
    size_t pos = 0;
    while (pos < size) {
        // One line: bytes up to a line feed, a carriage return (with a line feed after it) or
        // the end; a NUL ends the line's text as in any text.
        const size_t start = pos;
        while (pos < size && data[pos] != '\n' && data[pos] != '\r') {
            ++pos;
        }
        const size_t end = pos;
        if (pos < size && data[pos] == '\r') {
            ++pos;
            if (pos < size && data[pos] == '\n') {
                ++pos;
            }
        } else if (pos < size) {
            ++pos;
        }
        const size_t length = strnlen(data.data() + start, end - start);
        const std::string whole(data.data() + start, length);
        char line[kMaxLine + 1];
        xStr_CopyBytes(line, whole.c_str(), sizeof line);

        // Blanks, carriage returns and line feeds go from both ends; tabs stay.
        TrimRight(line, " \r\n");
        char* text = xStr_SkipSet(line, " \r\n");
        if (*text == '\0' || *text == ';' || *text == '0') {
            continue;
        }
        if (*text == '[') {
            char* name = text + 1;
            if (char* close = xStr_FindChar(name, ']')) {
                *close = '\0';
            }
            sections_.push_back(Section{name, {}});
            continue;
        }
        char* equals = xStr_FindChar(text, '=');
        if (equals == nullptr || sections_.empty()) {
            continue;
        }
        *equals = '\0';
        TrimRight(text, " ");
        char* value = equals + 1;
        TrimRight(value, " ");
        if (*text == '\0' || *value == '\0') {
            continue;
        }
        sections_.back().entries.push_back(Entry{text, Bounded(value, kMaxValue + 1)});
    }
}

bool CIniFile::Matches(const Section& section, const char* name) const {
    if (name == nullptr) {
        return false;
    }
    return xStr_Compare(name, "*") == 0 || xStr_CompareNoCase(section.name.c_str(), name) == 0;
}

bool CIniFile::HasSection(const char* name) const {
    for (const Section& section : sections_) {
        if (Matches(section, name)) {
            return true;
        }
    }
    return false;
}

std::optional<plat::RegistryValue> CIniFile::QueryRegistry(const char* key) const {
    return plat::registry().QueryMachineValue(registryPath_, key);
}

int32_t CIniFile::GetString(const char* section, const char* key, const char* def, char* out, size_t size) {
    if (key == nullptr) {
        key = "";
    }
    return GetStringWith(QueryRegistry(key), section, key, def, out, size);
}

int32_t CIniFile::GetStringWith(const std::optional<plat::RegistryValue>& registryValue, const char* section,
                                const char* key, const char* def, char* out, size_t size) {
    const auto given = [&]() -> int32_t {
        return out == nullptr || size == 0 ? 0 : static_cast<int32_t>(strnlen(out, size));
    };
    std::string registry;
    const bool inRegistry = RegistryString(registryValue, key, registry);
    if (inRegistry) {
        CopyOut(out, size, registry.c_str());
    }
    for (const Section& s : sections_) {
        if (!Matches(s, section)) {
            continue;
        }
        for (const Entry& entry : s.entries) {
            if (xStr_CompareNoCase(entry.key.c_str(), key) == 0) {
                CopyOut(out, size, entry.value.c_str());
                return given();
            }
        }
    }
    if (!inRegistry && def != out) {
        CopyOut(out, size, def != nullptr ? def : "");
    }
    return given();
}

int32_t CIniFile::GetLong(const char* section, const char* key, int32_t def) {
    if (key == nullptr) {
        key = "";
    }
    const auto value = QueryRegistry(key);
    if (value && value->type == plat::RegistryValue::Type::Dword) {
        def = static_cast<int32_t>(value->dword);
        xTracef("*** Found key in registry - %s - %ld\n", key, static_cast<long>(def));
    }
    char text[kMaxRegistryText + 1];
    std::snprintf(text, sizeof text, "%" PRId32, def);
    GetStringWith(value, section, key, text, text, sizeof text);
    // The words count without regard to case, white space around them allowed.
    const std::string word = Trimmed(text);
    const auto is = [&word](const char* name) { return xStr_CompareNoCase(word.c_str(), name) == 0; };
    if (is("FALSE") || is("OFF")) {
        return 0;
    }
    if (is("TRUE") || is("ON")) {
        return 1;
    }
    return ParseSigned(text);
}

int xProfiles_ApplySection(CIniFile& ini, const char* section) {
    char rootKey[kNameSize] = "";
    char companyName[kNameSize] = "";
    char productName[kNameSize] = "";
    xProfiles_GetString("ROOT_KEY", rootKey);
    xProfiles_GetString("COMPANY_NAME", companyName);
    xProfiles_GetString("PRODUCT_NAME", productName);
    ini.SetNames(rootKey, companyName, productName);

    const std::vector<const t_sProfileKey*> tables = xProfiles_Store().tables;
    for (const t_sProfileKey* table : tables) {
        for (const t_sProfileKey* row = table; row->name != nullptr; ++row) {
            char text[kNameSize] = "";
            switch (row->type) {
            case kProfileString:
                if (row->value != nullptr && row->size > 0) {
                    char* storage = static_cast<char*>(row->value);
                    ini.GetString(section, row->name, storage, storage, row->size);
                }
                break;
            case kProfileCustom:
                ini.GetString(section, row->name, "", text, sizeof text);
                break;
            case kProfileBoolean:
            case kProfileShort:
            case kProfileUShort:
            case kProfileLong:
            case kProfileULong:
            case kProfileBoolWord:
                WriteNumber(*row, ini.GetLong(section, row->name, static_cast<int32_t>(ReadNumber(*row))));
                break;
            case kProfileColor:
                ini.GetString(section, row->name, "", text, sizeof text);
                if (text[0] != '\0' && row->value != nullptr && row->size >= sizeof(rgbColor)) {
                    rgbColor colour;
                    std::memcpy(&colour, row->value, sizeof colour);
                    const char* second = xStr_FindChar(text, ',');
                    const char* third = second != nullptr ? xStr_FindChar(second + 1, ',') : nullptr;
                    colour.red = static_cast<uint8_t>(ParseSigned(text));
                    colour.green = static_cast<uint8_t>(second != nullptr ? ParseSigned(second + 1) : 0);
                    colour.blue = static_cast<uint8_t>(third != nullptr ? ParseSigned(third + 1) : 0);
                    std::memcpy(row->value, &colour, sizeof colour);
                }
                break;
            case kProfilePoint:
                ini.GetString(section, row->name, "", text, sizeof text);
                if (text[0] != '\0' && row->value != nullptr && row->size >= sizeof(t_sPoint)) {
                    const char* second = xStr_FindChar(text, ',');
                    const t_sPoint point{static_cast<int16_t>(ParseSigned(text)),
                                         static_cast<int16_t>(second != nullptr ? ParseSigned(second + 1) : 0)};
                    std::memcpy(row->value, &point, sizeof point);
                }
                break;
            default:
                continue; // not a type of the store
            }
            if (row->hook != nullptr) {
                row->hook(text);
            }
        }
    }
    return 1;
}

int xProfiles_LoadIniFile(const char* fileName, const char* section, int where) {
    CIniFile ini;
    if (!ini.Load(fileName, where)) {
        return 0;
    }
    if (!ini.HasSection(section)) {
        xTracef("*** Warning - INI file section not found : [%s] (File : %s)\n\n",
                section != nullptr ? section : "", fileName);
        return 0;
    }
    return xProfiles_ApplySection(ini, section);
}

int xProfiles_LoadIniSection(ODriver* driver, const char* section) {
    CIniFile ini;
    ini.Attach(driver, false);
    ini.Parse();
    if (!ini.HasSection(section)) {
        xTracef("*** Warning - INI file section not found : [%s]\n\n", section != nullptr ? section : "");
        return 0;
    }
    return xProfiles_ApplySection(ini, section);
}

#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

// INI files and the registry fallback of the profile store. An INI text is parsed into sections
// of key=value entries; one section is then applied to every key of every registered key table:
// each key is looked up first in the registry (HKEY_LOCAL_MACHINE "Software\<company>\<product>",
// with COMPANY_NAME and PRODUCT_NAME as they stand when the apply begins), then in the section,
// the INI entry winning; a key found in neither keeps its value. Engine thread only.
//
// Format: lines end at a line feed, a carriage return or both; a line holds at most 255 bytes
// (the rest of a longer line is dropped); blanks around a line are dropped (tabs stay); lines
// beginning with ";" or "0" are comments; "[name]" opens a section (sections of the same name
// are all kept, in file order); "key = value" is an entry of the open section, its value cut
// to 127 bytes (whole characters). Malformed lines are skipped. A requested section "*" matches
// every section; other names match without regard to case.

class ODriver;

class CIniFile {
public:
    /// A value holds at most this many bytes.
    static constexpr size_t kMaxValue = 127;
    /// A line holds at most this many bytes.
    static constexpr size_t kMaxLine = 255;

    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    CIniFile() = default;
    /// Deletes the attached driver when the INI object owns it.
    ~CIniFile();
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    /// The root-key text, company name and product name (at most 255 bytes each); the last two
    /// make the registry path.
    void SetNames(const char* rootKey, const char* companyName, const char* productName);

    /// Opens a file for reading, parses it through a file driver and closes it. `where`: -1
    /// the path, and when it cannot be opened the name in the Windows folder; 0 the Windows
    /// folder only; 1 the path only. False when no file could be opened (the file layer traces
    /// "Error opening : %s\n" for the Windows folder).
    bool Load(const char* fileName, int where);
    /// Attaches a driver to parse from, deleting it with the INI object when `owned`; a driver
    /// attached before is let go (deleted when it was owned).
    void Attach(ODriver* driver, bool owned);
    /// Parses the attached driver's data from its position to its end, dropping earlier
    /// sections.
    void Parse();

    /// Whether any section matches the name.
    bool HasSection(const char* name) const;
    /// The registry's text value of the key, else the first matching INI entry, else `def`
    /// (nothing is copied when `def` is `out`), into `out` of `size` bytes (at most size - 1
    /// bytes, whole characters, terminated). Answers the length of the text given.
    int32_t GetString(const char* section, const char* key, const char* def, char* out, size_t size);
    /// A registry number replaces `def`; then a registry text or an INI entry replaces it:
    /// "TRUE" and "ON" answer 1, "FALSE" and "OFF" 0 (without regard to case), other text its
    /// decimal value (leading white space and a sign allowed, no digits give 0).
    int32_t GetLong(const char* section, const char* key, int32_t def);

    const std::string& RootKey() const { return rootKey_; }
    /// The name of the file read (empty for an attached driver).
    const std::string& FileName() const { return fileName_; }
    const std::vector<Section>& Sections() const { return sections_; }

private:
    bool Matches(const Section& section, const char* name) const;
    /// The key's value under the registry path.
    std::optional<plat::RegistryValue> QueryRegistry(const char* key) const;
    /// GetString with the key's registry value already queried.
    int32_t GetStringWith(const std::optional<plat::RegistryValue>& registry, const char* section,
                          const char* key, const char* def, char* out, size_t size);

    std::string rootKey_;
    /// "Software\<company>\<product>", made by SetNames.
    std::string registryPath_ = "Software\\\\";
    void ParseText(const std::string& text);
    void Detach();

    std::string fileName_;
    ODriver* driver_ = nullptr;
    bool ownsDriver_ = false;
    std::vector<Section> sections_;
};

/// Applies one section of the INI object (and the registry) to every registered key; the
/// names of the INI object are taken from ROOT_KEY, COMPANY_NAME and PRODUCT_NAME first.
/// Answers 1.
int xProfiles_ApplySection(CIniFile& ini, const char* section);

/// Reads an INI file (`where` as CIniFile::Load) and applies the section: 1 when the section
/// was found and applied, else 0.
int xProfiles_LoadIniFile(const char* fileName, const char* section, int where);

/// Parses INI text from a driver that the caller opened and keeps (the part file's
/// "app_props.txt") and applies the section: 1 when the section was found and applied, else 0.
int xProfiles_LoadIniSection(ODriver* driver, const char* section);

// Feeds arbitrary bytes as an INI file through the INI apply: parsing, every key of the store
// looked up, numbers, colours, points and the hooks. The first byte picks the section and
// whether a double-byte lead-byte table is in force.
#include <cstddef>
#include <cstdint>

#include "engine/data/DrvMemory.h"
#include "engine/data/IniFiles.h"
#include "engine/data/Profiles.h"
#include "engine/data/Strings.h"
#include "platform/Platform.h"
#include "platform/headless/IniRegistry.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput();
    static const bool ready = [] {
        static_cast<plat::IniRegistry&>(plat::registry())
            .SetContents("[Software\\\\]\nFRAMERATE=dword:1e\nPARTFILE=\"/reg/part.vqk\"\n");
        return true;
    }();
    (void)ready;
    const uint8_t mode = size > 0 ? data[0] : 0;
    if (mode & 1) {
        for (int b = 0x81; b <= 0x9F; ++b) xStr_Context().leadBytes[b] = true;
        for (int b = 0xE0; b <= 0xFC; ++b) xStr_Context().leadBytes[b] = true;
    }
    static const char* const kSections[] = {"*", "VQT", "a", ""};
    ODrvMemory driver;
    driver.AdoptMemory(const_cast<uint8_t*>(data), size, size); // read only
    xProfiles_LoadIniSection(&driver, kSections[(mode >> 1) & 3]);

    // The store must still hold terminated texts within their sizes.
    char buffer[1024];
    for (const t_sProfileKey* row = xProfiles_Store().tables[0]; row->name != nullptr; ++row) {
        if (row->type == kProfileString && xProfiles_GetString(row->name, buffer) != 1) __builtin_trap();
    }
    return 0;
}

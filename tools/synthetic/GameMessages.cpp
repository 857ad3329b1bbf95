#include "tools/synthetic/GameMessages.h"

#include <filesystem>
#include <string_view>
#include <vector>

using namespace vqt::test;

namespace {

/// The game's messages: its names, its window, and the files and registry key it uses.
constexpr struct {
    const char* id;
    std::u16string_view text;
} kMessages[] = {
    {"MSG_ROOTKEY", u"HKEY_LOCAL_MACHINE\\Software"},
    {"MSG_COMPANYNAME", u"Varnique"},
    {"MSG_PRODUCTNAME", u"Tollivar Fennmark Rovadu"},
    {"MSG_WINDOWCLASS", u"Tollivar Fennmark Rovadu"},
    {"MSG_INSERTCD", u"Please insert the Tollivar Fennmark Rovadu CD into the CDROM drive, then click OK and try again."},
    {"APP_NAME_IN_WINDOW_TITLEBAR", u"Tollivar Fennmark Rovadu"},
    {"APP_ERR_CANTOPENPF", u"Please insert the Tollivar Fennmark Rovadu CD, then click OK and try again."},
    {"APP_INI_FILENAME", u"TLVFMH.ini"},
    {"APP_INI_SECTION", u"FennmarkRovadu"},
    {"APP_PARTFILE_NAME", u"TLVFMH.vqk"},
    {"APP_CACHEFILE_NAME", u"TLVCache.vqk"},
    {"TLV_PRINTJOB_NAME", u"Tollivar Fennmark Rovadu Certificate"},
};

} // namespace

ChunkFileBuilder GameMessageFile() {
    ChunkFileBuilder file;
    const uint8_t texts = file.AddIndex("utxt", 8, uint16_t(std::size(kMessages)));
    const uint8_t lists = file.AddIndex("clst", 8, 1); // the second index: the list is {2, 0, 1}
    std::vector<uint32_t> named;
    for (const auto& m : kMessages)
        named.push_back(file.AddChunk(texts, TextRecords({{.id = 10, .text = std::u16string(m.text)}}), {.name = m.id}));
    file.AddChunk(lists, ChunkListData(named), {.entry = 1, .name = "Game messages"});
    return file;
}

std::string GameMessageFileBeside(const std::string& partFile) {
    return (std::filesystem::path(partFile).parent_path() / kGameMessageFileName).string();
}

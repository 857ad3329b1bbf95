#include "engine/data/MessageTexts.h"

#include <algorithm>
#include <cstring>

#include "engine/base/Trace.h"
#include "engine/data/ChunkRecords.h"
#include "engine/data/DataState.h"
#include "engine/data/FileSearch.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/data/Strings.h"
#include "platform/Platform.h"

namespace {

constexpr size_t kIdRoom = 64;        // a message id holds at most 63 characters
constexpr size_t kTextRoom = 2048;    // a looked-up text holds at most 2047 bytes
constexpr size_t kWideRoom = 4096;    // a message file's text: at most 2047 UTF-16 characters
constexpr size_t kMultiRoom = 1024;   // converted text: at most 1023 bytes
constexpr const char* kLocalMessageFile = "VQT.vqk";
constexpr const char* kNotFound = "Err: MsgID not found - ";

const xMessagePair kEngineTable[] = {
    {"MSG_ROOTKEY", "HKEY_LOCAL_MACHINE\\Software"},
    {"MSG_COMPANYNAME", "Varnique"},
    {"MSG_PRODUCTNAME", "Varnique Application."},
    {"MSG_WINDOWCLASS", "VQTWindowClass"},
    {"MSG_INSERTCD", "Please insert the game CD into the CDROM drive."},
    {"MSG_NOPRINTER", "There is no printer installed.|nPrinting will not function correctly.|n|nWould you like "
                      "to continue anyway?"},
    {"MSG_DSPFAILED", "Unable to change the screen resolution. The program will exit."},
    {"MSG_SWITCHREBOOT", "Unable to switch to desired video mode.\nPlease change your desktop display depth to "
                         "16 bit and try again.\n\nWould you like to continue anyway?"},
    {"MSG_MINDISPDEPTH", "A minimum of |1 bit display mode is required."},
    {"MSG_MINDISPSIZE", "A minimum resolution of |1 display mode is required."},
    {"MSG_SWAPFAILED", "Unable to create a temp swap file.|nNow playing entirely from CD-ROM."},
    {"MSG_SNDNODRV", "No sound device found.|n|nPlease check the installation of your audio drivers"},
    {"MSG_SNDDRVBUSY", "System sound device is already in use."},
    {"MSG_SNDDRVBADID", "Sound driver : Bad device ID.|n|nPlease check Windows sound drivers."},
    {"MSG_SNDDRVNOMEM", "Sound driver : No memory.|n|nPlease check Windows sound drivers."},
    {"MSG_SNDDRVBADFMT", "Sound driver : Bad wave format.|n|nPlease check Windows sound drivers."},
    {"MSG_SNDDRVSYNCERR", "Sound driver : Sync flag error.|n|nPlease check Windows sound drivers."},
    {"MSG_SNDDRVUNKNOWN", "Sound driver : Unknown error encountered.|n|nPlease check Windows sound drivers."},
    {"MSG_NOMEMORY", "Out of memory."},
    {"MSG_NEEDDX", "This product requires the installation of Microsoft(tm) DirectX.|n|nPlease rerun the "
                   "setup and choose \"yes\" on the DirectX setup dialog."},
    {"MSG_HITESC", "Or hit ESC to quit the game."},
    {"MSG_NODIRECTX", "DirectDraw failed to initialise.|n|nPlease check your DirectX installation|n|n"},
    {"MSG_CONTINUE", " Would you like to continue?"},
    {"MSG_NOVIDEOMODE", "Requested video mode not available from DirectX : |1\n\nPlease re-install DirectX and "
                        "try again."},
    {"MSG_NODSOUND", "DirectSound failed to initialize.|nYou may experience sound latency.|nPlease check your "
                     "DirectX installation|n"},
    {"MSG_SNDDRVBUSYVERBOSE", "Error: Sound channel is being used.|nPlease quit any open audio applications."},
    {"MSG_NOVIRTUALMEMORY",
     "Error: This product requires virtual memory to be enabled.|nThe virtual memory settings can be changed "
     "doing the following:|n1. Open the control panel.|n2. Double click on the \"System\" icon.|n3. Click on the "
     "\"Performance\" tab.|n4. Click the \"Virtual Memory\" button.|n5. Enable virtual memory."},
    {nullptr, nullptr},
};

const xMessagePair kMemoryErrorTable[] = {
    {"BRERR_CEILING", "Exceeded ceiling on pool memory error"},
    {"BRERR_ZEROALLOC", "Block size of zero passed to Brimalloc alloc function"},
    {"BRERR_BIGBLOCK", "Block size too big"},
    {"BRERR_LOCKERROR", "Mac memory manager API not supported or lock ref count error"},
    {"BRERR_REALLOCFAILED", "Attempt to resize a block of memory failed"},
    {"BRERR_MEMOVERWRITE", "Memory at end of allocated block overwritten"},
    {"BRERR_MEMUNDERWRITE", "Memory at head of allocated block overwritten"},
    {"BRERR_DOUBLEFREE", "Free attempt on a previously freed memory block"},
    {"BRERR_FREEREAD", "Read on free mem block"},
    {"BRERR_FREEWRITE", "Attempt to write to freed memory block"},
    {"BRERR_UNINITREAD", "Attempt to read from uninitialized memory block"},
    {"BRERR_STACKWRITE", "Stack over or under write"},
    {"BRERR_UNKNOWN", "Unrecognized memory error"},
    {nullptr, nullptr},
};

const xMessagePair kEngineErrorTable[] = {
    {"VQT_ERR_OLDOS", "This version of the operating system is not capable of running this product"},
    {"VQT_ERR_NOWIN32S", "This application will not run under Windws 3.x"},
    {"VQT_ERR_CREATEWIN", "Failure to create application window"},
    {"VQT_ERR_CREATEPOOLS", "Failure to create memory pools"},
    {"MSG_PREVINSTANCE", "There is a previous instance of the application running.  Click on its icon in your "
                         "task bar"},
    {nullptr, nullptr},
};

/// Copies text into a buffer of `room` bytes: at most room - 1 bytes, never half of a
/// double-byte character, terminated.
std::string Cut(const char* text, size_t room) {
    std::string out(room, '\0');
    xStr_CopyBytes(out.data(), text != nullptr ? text : "", room);
    out.resize(std::strlen(out.c_str()));
    return out;
}

/// The raw (unexpanded) text of an id, as the lookup holds it.
std::string LookUp(const char* askedId) {
    const std::string id = Cut(askedId, kIdRoom);
    MessagesContext& c = xMessages_Context();
    for (auto it = c.loaded.rbegin(); it != c.loaded.rend(); ++it) {
        if (it->id == id) {
            return Cut(it->text.c_str(), kTextRoom);
        }
    }
    for (auto table = c.tables.rbegin(); table != c.tables.rend(); ++table) {
        for (const xMessagePair* pair = *table; pair->id != nullptr; ++pair) {
            if (id == pair->id) {
                return Cut(pair->text, kTextRoom);
            }
        }
    }
    return Cut((kNotFound + id).c_str(), kTextRoom);
}

/// What the messages of one load share, looked up once for the load rather than per message.
struct MessageLoad {
    uint8_t utxt = 0; ///< the file's "utxt" index, 0 when it has none
    uint32_t language = kLanguageEnglishUs;
    uint32_t fallback = kLanguageEnglishUs; ///< the LANGUAGE key
    bool verbose = false;

    explicit MessageLoad(CPartFile* file) : utxt(file->FindDataIndex("utxt")), language(xLanguage_Get()) {
        xProfiles_GetULong("LANGUAGE", &fallback);
        int32_t level = 0;
        xProfiles_GetLong("VERBOSE", &level);
        verbose = level > 0;
    }
};

/// Loads one message chunk of a message file; false when it is skipped.
bool LoadMessage(CPartFile* file, ChunkId id, const MessageLoad& load) {
    if (ChunkIndexOf(id) != load.utxt || !file->ChunkExists(id)) {
        return false;
    }
    CChunkList records;
    if (!records.Load(file, id)) {
        return false;
    }
    uint32_t language = load.language;
    if (!records.Has(language)) {
        language = load.fallback;
        if (!records.Has(language)) {
            return false;
        }
    }
    std::vector<char16_t> wide(kWideRoom / 2, 0);
    if (!records.GetText(language, wide.data(), kWideRoom)) {
        wide[0] = 0; // a record of length 0: an empty text
    }
    uint8_t header[ravo::kChunkHeaderLength];
    if (!file->ReadChunkHeader(id, header)) {
        return false;
    }
    char text[kMultiRoom];
    xText_WideToMulti(text, wide.data());
    MessagesContext::Loaded message{Cut(reinterpret_cast<const char*>(header), kIdRoom), text};
    if (load.verbose) {
        xTracef("* Unicode message loaded - %s : %s\n", message.id.c_str(), message.text.c_str());
    }
    xMessages_Context().loaded.push_back(std::move(message));
    return true;
}

} // namespace

const xMessagePair* xMessages_EngineTable() { return kEngineTable; }
const xMessagePair* xMessages_MemoryErrorTable() { return kMemoryErrorTable; }
const xMessagePair* xMessages_EngineErrorTable() { return kEngineErrorTable; }

MessagesContext& xMessages_Context() { return xData_State().messages; }

void xMessages_Init() {
    MessagesContext& c = xMessages_Context();
    if (c.initialised) {
        return;
    }
    c.initialised = true;
    c.loaded.reserve(64);
    c.tables.reserve(64);
    xMessages_AddTable(kEngineTable);
    if (xFile_Exists(kLocalMessageFile, 1)) {
        CPartFile file;
        if (file.Open(kLocalMessageFile, 1)) {
            xTracef("*** Loading local message file : %s\n", kLocalMessageFile);
            xMessages_LoadFile(&file);
            file.Close();
        }
    }
}

void xMessages_AddTable(const xMessagePair* table) {
    xMessages_Init();
    MessagesContext& c = xMessages_Context();
    if (table == nullptr || std::find(c.tables.begin(), c.tables.end(), table) != c.tables.end()) {
        return;
    }
    c.tables.push_back(table);
}

void xMessages_LoadFile(CPartFile* file) {
    xMessages_Init();
    if (file == nullptr) {
        return;
    }
    const MessageLoad load(file);
    RavoIndex* index = load.utxt == 0 ? nullptr : file->GetIndex(MakeChunkId(load.utxt, 0));
    if (index == nullptr) {
        return;
    }
    for (uint32_t e = 1; e <= index->capacity; ++e) {
        LoadMessage(file, MakeChunkId(load.utxt, static_cast<uint16_t>(e)), load);
    }
}

void xMessages_LoadUnicode(CPartFile* file, ChunkId listId) {
    xMessages_Init();
    if (file == nullptr) {
        return;
    }
    const MessageLoad load(file);
    const uint8_t clst = file->FindDataIndex("clst");
    if (load.utxt == 0 || clst == 0 || ChunkIndexOf(listId) != clst || !file->ChunkExists(listId)) {
        return;
    }
    void* list = LoadChunkList(file, listId);
    if (list == nullptr) {
        return;
    }
    for (int i = 0; i < ChunkListCount(list); ++i) {
        LoadMessage(file, ChunkListId(list, i), load);
    }
    CPartFile::FreeBlock(list);
}

char* xMessages_Get(const char* id, char* output, size_t outputSize, const char* const* args, int16_t count) {
    xMessages_Init();
    if (output == nullptr || outputSize == 0) {
        return output;
    }
    const std::string text = LookUp(id != nullptr ? id : "");
    size_t out = 0;
    const size_t limit = outputSize - 1;
    auto put = [&](char ch) {
        if (out < limit) {
            output[out++] = ch;
        }
    };
    for (size_t i = 0; i < text.size() && out < limit;) {
        const char ch = text[i];
        if (xStr_IsLeadByte(ch) && i + 1 < text.size()) {
            // A double-byte character goes whole, or not at all when the output is full.
            if (out + 2 > limit) {
                break;
            }
            put(ch);
            put(text[i + 1]);
            i += 2;
            continue;
        }
        if (ch != '|') {
            put(ch);
            ++i;
            continue;
        }
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (next == '|') {
            put('|');
        } else if (next == 'n') {
            put('\n');
        } else if (next >= '1' && next <= '9') {
            const int n = next - '0';
            if (args != nullptr && n <= count && args[n - 1] != nullptr) {
                for (const char* a = args[n - 1]; *a != 0 && out < limit; ++a) {
                    put(*a);
                }
            }
        } else {
            break; // any other character, or the end of the text, ends the output
        }
        i += 2;
    }
    output[out] = 0;
    return output;
}

std::string xMessages_GetString(const char* id, const char* const* args, int16_t count) {
    std::string out(kTextRoom * 4, '\0');
    xMessages_Get(id, out.data(), out.size(), args, count);
    out.resize(std::strlen(out.c_str()));
    return out;
}

size_t xText_WideToMulti(char* output, const char16_t* wide) {
    if (output == nullptr) {
        return 0;
    }
    const std::string multi = plat::locale().WideToMulti(wide != nullptr ? std::u16string_view(wide) : u"");
    xStr_CopyBytes(output, multi.c_str(), kMultiRoom);
    return std::strlen(output);
}

// ---- Language -------------------------------------------------------------------------------

namespace {

struct LanguageRow {
    uint8_t charSet;
    const char* locale;
};

const LanguageRow kLanguages[kLanguageCount] = {
    {0, "chinese-simplified"}, {0, "chinese-traditional"}, {3, "czech"}, {0, "danish"},
    {0, "belgian"}, {0, "dutch"}, {0, "australian"}, {0, "canadian"}, {0, "english-nz"},
    {0, "english-uk"}, {0, "american"}, {0, "finnish"}, {0, "french-belgian"}, {0, "french-canadian"},
    {0, "french"}, {0, "french-swiss"}, {0, "german-austrian"}, {0, "german"}, {0, "german-swiss"},
    {5, "greek"}, {3, "hungarian"}, {0, "icelandic"}, {0, "italian"}, {0, "italian-swiss"},
    {0, "japanese"}, {0, "korean"}, {0, "norwegian-bokmal"}, {0, "norwegian"}, {0, "norwegian-nynorsk"},
    {3, "polish"}, {0, "portuguese-brazilian"}, {0, "portuguese"}, {0, "russian"}, {3, "slovak"},
    {0, "spanish"}, {0, "spanish-mexican"}, {0, "spanish-modern"}, {0, "swedish"}, {10, "turkish"},
    {12, nullptr}, {12, nullptr}, {12, nullptr}, {12, nullptr}, {12, nullptr}, {12, nullptr},
    {12, nullptr}, {12, nullptr}, {12, nullptr}, {12, nullptr}, {12, nullptr}, {12, nullptr},
    {12, nullptr}, {12, nullptr}, {12, nullptr}, {12, nullptr}, // 39-54 Arabic
    {11, nullptr}, {0, nullptr}, {0, nullptr}, {13, nullptr}, {0, nullptr}, {0, nullptr},
};

} // namespace

LanguageContext& xLanguage_Context() { return xData_State().language; }

uint32_t xLanguage_FromLangId(uint16_t langId) {
    const uint32_t primary = langId & 0x3FF;
    const uint32_t sub = langId >> 10;
    switch (primary) {
    case 1: return sub >= 1 && sub <= 16 ? 38 + sub : 41;
    case 4: return sub == 2 ? 0 : 1;
    case 5: return 2;
    case 6: return 3;
    case 7: return sub == 2 ? 18 : sub == 3 ? 16 : 17;
    case 8: return 19;
    case 9:
        switch (sub) {
        case 1: return 10;
        case 3: return 6;
        case 4: return 7;
        case 5: return 8;
        default: return 9;
        }
    case 10: return sub == 2 ? 35 : sub == 3 ? 36 : 34;
    case 11: return 11;
    case 12: return sub == 2 ? 12 : sub == 3 ? 13 : sub == 4 ? 15 : 14;
    case 13: return 55;
    case 14: return 20;
    case 15: return 21;
    case 16: return sub == 2 ? 23 : 22;
    case 17: return 24;
    case 18: return 25;
    case 19: return sub == 2 ? 4 : 5;
    case 20: return sub == 1 ? 26 : sub == 2 ? 28 : 27;
    case 21: return 29;
    case 22: return sub == 1 ? 30 : 31;
    case 24: return 57;
    case 25: return 32;
    case 27: return 33;
    case 29: return 37;
    case 30: return 58;
    case 31: return 38;
    case 32: return sub == 1 ? 60 : 59;
    case 57: return 56;
    default: return kLanguageEnglishUs;
    }
}

void xLanguage_Init() {
    LanguageContext& c = xLanguage_Context();
    if (c.initialised) {
        return;
    }
    c.initialised = true;
    uint8_t useUser = 0;
    xProfiles_GetBoolean("USEUSERLANGUAGE", &useUser);
    plat::Locale& locale = plat::locale();
    const uint16_t langId = useUser ? locale.UserDefaultLangId() : locale.SystemDefaultLangId();
    c.language = xLanguage_FromLangId(langId);
    c.charSetIndex = kLanguages[c.language].charSet;
    // The C library's locale is left alone: the engine converts text through the locale
    // service, and a switched locale would change how numbers are read and written everywhere.
    xStr_InitLeadBytes();
    c.hasIme = locale.IsDbcsEnabled() && locale.KeyboardHasIme();
}

uint32_t xLanguage_Get() { return xLanguage_Context().language; }

uint8_t xLanguage_GetCharSetIndex() { return xLanguage_Context().charSetIndex; }

uint8_t xLanguage_CharSetFromIndex(int index) {
    static constexpr uint8_t kCharSets[15] = {0, 186, 136, 238, 134, 161, 129, 77, 204, 128, 162, 177, 178, 222, 163};
    return index >= 0 && index < 15 ? kCharSets[index] : 1;
}

bool xLanguage_HasIME() { return xLanguage_Context().hasIme; }

uint8_t xLanguage_CharSetIndexOf(uint32_t language) {
    return language < kLanguageCount ? kLanguages[language].charSet : 0;
}

const char* xLanguage_LocaleNameOf(uint32_t language) {
    return language < kLanguageCount ? kLanguages[language].locale : nullptr;
}

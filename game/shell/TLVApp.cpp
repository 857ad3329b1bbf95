// The least start-up of the game: its message texts, the profile values the engine needs from
// it, the part file named by PARTFILE (looked for on the CD-ROM drives when it is not where the
// name says) and the first activity {1, 0, 26}.
#include "game/shell/TLVApp.h"

#include <memory>
#include <new>
#include <string>

#include "engine/core/ActivityManager.h"
#include "engine/core/Platform.h"
#include "engine/core/Startup.h"
#include "engine/core/TempBuffers.h"
#include "engine/core/Trace.h"
#include "engine/data/ChunkId.h"
#include "engine/data/Driver.h"
#include "engine/data/FileSearch.h"
#include "engine/data/IniFiles.h"
#include "engine/data/Messages.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"

namespace {

CTLVApp* g_app = nullptr;
bool g_iniRead = false;

// The texts the game falls back on when its message file cannot be read.
const xMessagePair kFallbackMessages[] = {
    {"MSG_ROOTKEY", "HKEY_LOCAL_MACHINE\\Software"},
    {"MSG_COMPANYNAME", "Varnique"},
    {"MSG_PRODUCTNAME", "Tollivar Fennmark Rovadu"},
    {"MSG_WINDOWCLASS", "Tollivar Fennmark Rovadu"},
    {"MSG_INSERTCD", "Please insert the Tollivar Fennmark Rovadu CD into the CDROM drive, then click OK and try again."},
    {"APP_NAME_IN_WINDOW_TITLEBAR", "Tollivar Fennmark Rovadu"},
    {"APP_ERR_CANTOPENPF", "Please insert the Tollivar Fennmark Rovadu CD, then click OK and try again."},
    {"APP_INI_FILENAME", "TLVFMH.ini"},
    {"APP_INI_SECTION", "FennmarkRovadu"},
    {"APP_PARTFILE_NAME", "TLVFMH.vqk"},
    {"APP_CACHEFILE_NAME", "TLVCache.vqk"},
    {"TLV_PRINTJOB_NAME", "Tollivar Fennmark Rovadu Certificate"},
    {nullptr, nullptr},
};

constexpr ChunkId kMessageList = MakeChunkId(2, 1);
constexpr ChunkId kFirstActivity = MakeChunkId(1, 26);

std::string Text(const char* id) { return xMessages_GetString(id); }

bool ReadIniFile() {
    return xProfiles_LoadIniFile(Text("APP_INI_FILENAME").c_str(), Text("APP_INI_SECTION").c_str(), -1) != 0;
}

std::string PartFileName() {
    char path[1024] = {};
    xProfiles_GetString("PARTFILE", path);
    return path;
}

/// Applies the part file's "app_props.txt" to every profile key.
void ApplyPartFileSettings(CPartFile& file) {
    const uint8_t index = file.FindDataIndex(Tag4("text"));
    if (index == 0) return;
    const ChunkId id = file.FindChunkByName("app_props.txt", MakeChunkId(index, 0));
    if (id == kNullChunkId) return;
    uint32_t size = 0;
    ODriver* stream = nullptr;
    if (!file.OpenChunkStream(id, &size, &stream)) return;
    xProfiles_LoadIniSection(stream, "*");
    file.CloseChunkStream(id, &stream);
}

} // namespace

bool CTLVApp::Create() {
    if (g_app) return false;
    g_app = new (std::nothrow) CTLVApp;
    return g_app != nullptr;
}

bool CTLVApp::Destroy() {
    if (!g_app) return false;
    delete g_app;
    g_app = nullptr;
    return true;
}

CTLVApp* CTLVApp::Get() { return g_app; }

int32_t CTLVApp::Init() { return CreateProcesses(); }

bool VQAppPreInit() {
    auto messages = std::make_unique<CPartFile>();
    if (messages->Open("VQTMsg.vqk", 1)) {
        xMessages_LoadUnicode(messages.get(), kMessageList);
        messages->Close();
    } else {
        xMessages_AddTable(kFallbackMessages);
    }
    xProfiles_Set("ROOT_KEY", Text("MSG_ROOTKEY").c_str());
    xProfiles_Set("COMPANY_NAME", Text("MSG_COMPANYNAME").c_str());
    xProfiles_Set("PRODUCT_NAME", Text("MSG_PRODUCTNAME").c_str());
    xProfiles_Set("PARTFILE", Text("APP_PARTFILE_NAME").c_str());
    xTempBuffers_SetCount(256);
    xProfiles_Set("NUMPIPES", sShort(11));
    xProfiles_Set("VQTAPPNAME", Text("APP_NAME_IN_WINDOW_TITLEBAR").c_str());
    xProfiles_Set("PATCHFILE", Text("APP_CACHEFILE_NAME").c_str());
    g_iniRead = ReadIniFile();
    SetIconResourceId(112);
    return true;
}

bool VQAppInit() {
    xProfiles_Set("USERFILE", "TLVSave.vqk");
    auto file = std::make_unique<CPartFile>();
    const std::string path = PartFileName();
    if (file->Open(path.c_str(), 1)) {
        ApplyPartFileSettings(*file);
        return true;
    }
    char name[257] = {};
    xFile_GetFileName(path.c_str(), name, 256);
    if (const char* folder = xFile_FindOnCDROM(name); folder && *folder) {
        const std::string found = std::string(folder) + name;
        if (file->Open(found.c_str(), 1)) {
            xProfiles_Set("PARTFILE", found.c_str());
            xProfiles_Set("DATAFILES", folder);
            return true;
        }
    }
    xProfiles_Set("DIRECTDRAW", sLong(0));
    xStartup_ErrorBox("APP_ERR_CANTOPENPF", path.c_str());
    return false;
}

bool VQAppStart() {
    if (!CTLVApp::Create()) return false;
    if (!g_iniRead) g_iniRead = ReadIniFile();
    auto file = std::make_unique<CPartFile>();
    file->SetChunkLogging(xProfiles_Flag("CHUNKLOGGING"));
    const std::string path = PartFileName();
    if (!file->Open(path.c_str(), 1)) {
        xTracef("*** Error - unable to open part file in VQAppStart : %s\n", path.c_str());
        return false;
    }
    char patch[1024] = {};
    xProfiles_GetString("PATCHFILE", patch);
    if (patch[0] && xFile_Exists(patch, 1)) file->OpenPatch(patch);
    CPartFile* partFile = file.release();
    CTLVApp::Get()->SetPartFile(partFile);
    CTLVApp::Get()->Init();

    OActivityManager* manager = GetActivityManager();
    if (!manager) return false;
    if (!manager->IsSwitchPending()) manager->SetVariant(OActivityManager::kUnloadFirst);
    manager->CreateWatcher(partFile, uint32_t(-1));
    manager->RequestActivity(kFirstActivity);
    return true;
}

bool VQAppEnd() { return CTLVApp::Destroy(); }

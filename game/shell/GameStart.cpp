#include "game/shell/GameStart.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "engine/core/ActivityManager.h"
#include "engine/base/Trace.h"
#include "engine/core/DrawFilter.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "engine/data/TempBuffers.h"
#include "engine/data/ChunkId.h"
#include "engine/data/Driver.h"
#include "engine/data/FileSearch.h"
#include "engine/data/IniFiles.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/blit/ColorPalette.h"
#include "engine/media/CommonDlg.h"
#include "engine/data/MessageBox.h"
#include "game/shell/GameShellState.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVFactory.h"
#include "platform/Platform.h"

namespace {

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

constexpr const char* kMessageFile = "VQTMsg.vqk";
constexpr ChunkId kMessageList = MakeChunkId(2, 1);
constexpr ChunkId kFirstActivity = MakeChunkId(1, 26);
constexpr uint16_t kWindowIcon = 112;
constexpr int32_t kTempBuffers = 256;
constexpr int32_t kSoundFailureEndsStart = 4;

std::string Text(const char* id) { return xMessages_GetString(id); }

/// Whether the loaded messages hold every id of the built-in table.
bool MessagesComplete() {
    const auto& loaded = xMessages_Context().loaded;
    for (const xMessagePair* pair = kFallbackMessages; pair->id; ++pair) {
        const auto same = [&](const MessagesContext::Loaded& m) { return m.id == pair->id; };
        if (std::find_if(loaded.begin(), loaded.end(), same) == loaded.end()) return false;
    }
    return true;
}

/// The game's messages from its message file. The built-in texts stand in when the file does
/// not open, and also behind a damaged file that lacks some of them (the file's own texts
/// still win).
void LoadMessages() {
    std::unique_ptr<CPartFile> file(new (std::nothrow) CPartFile);
    if (file && file->Open(kMessageFile, 1)) {
        xMessages_LoadUnicode(file.get(), kMessageList);
        file->Close();
        if (MessagesComplete()) return;
        xTracef("*** %s lacks some of the game's messages; the built-in texts stand in\n", kMessageFile);
    }
    xMessages_AddTable(kFallbackMessages);
}

/// The game's profile defaults, in the order the game sets them.
void SetProfileDefaults() {
    VQT_ASSERT(xProfiles_Set("ROOT_KEY", Text("MSG_ROOTKEY").c_str()));
    VQT_ASSERT(xProfiles_Set("COMPANY_NAME", Text("MSG_COMPANYNAME").c_str()));
    VQT_ASSERT(xProfiles_Set("PRODUCT_NAME", Text("MSG_PRODUCTNAME").c_str()));
    VQT_ASSERT(xProfiles_Set("PARTFILE", Text("APP_PARTFILE_NAME").c_str()));
    VQT_ASSERT(xProfiles_Set("DISPLAYDEPTH", sShort(16)));
    VQT_ASSERT(xProfiles_Set("MINDISPDEPTH", sShort(16)));
    VQT_ASSERT(xProfiles_Set("STAGESIZE", "640,480"));
    xTempBuffers_SetCount(kTempBuffers);
    // A sound engine that fails to start ends the start-up.
    sLong soundFlags = 0;
    VQT_ASSERT(xProfiles_GetLong("SNDENGINEFLAGS", &soundFlags));
    VQT_ASSERT(xProfiles_Set("SNDENGINEFLAGS", sLong(soundFlags | kSoundFailureEndsStart)));
    VQT_ASSERT(xProfiles_Set("NUMPIPES", sShort(11)));
    VQT_ASSERT(xProfiles_Set("NUMCHANNELS", sShort(2)));
    VQT_ASSERT(xProfiles_Set("SAMPLESIZE", sShort(16)));
    VQT_ASSERT(xProfiles_Set("SHOWSNDINITERROR", boolean(1)));
    VQT_ASSERT(xProfiles_Set("SHOWDXINITERROR", boolean(1)));
    VQT_ASSERT(xProfiles_Set("VQTAPPCLASS", Text("MSG_WINDOWCLASS").c_str()));
    VQT_ASSERT(xProfiles_Set("VQTAPPNAME", Text("APP_NAME_IN_WINDOW_TITLEBAR").c_str()));
    VQT_ASSERT(xProfiles_Set("WINDOWSKEYENABLED", boolean(0)));
    VQT_ASSERT(xProfiles_Set("CTRLALTDELENABLED", boolean(0)));
    VQT_ASSERT(xProfiles_Set("HMCAPTIONS", boolean(0)));
    VQT_ASSERT(xProfiles_Set("HMCAPTIONPOSITION", t_sPoint{320, 460 - 35}));
    const uint32_t blue = CColorPalette::kRGBBlue;
    VQT_ASSERT(xProfiles_Set("HMCAPTIONBACKCOLOR", rgbColor{uint8_t(blue), uint8_t(blue >> 8), uint8_t(blue >> 16), 0}));
    VQT_ASSERT(xProfiles_Set("HMCAPTIONBORDER", boolean(1)));
    VQT_ASSERT(xProfiles_Set("PATCHFILE", Text("APP_CACHEFILE_NAME").c_str()));
}

bool ReadIniFile() {
    return xProfiles_LoadIniFile(Text("APP_INI_FILENAME").c_str(), Text("APP_INI_SECTION").c_str(), -1) != 0;
}

/// Why the settings file in the working folder was not read although it is there (a folder of
/// that name, a file that does not open or read); empty when it is not there or reads.
std::string SettingsFileFault() {
    const std::string name = Text("APP_INI_FILENAME");
    plat::Files& files = plat::files();
    if (name.empty() || !files.Exists(name)) return {};
    std::string why;
    if (files.IsDirectory(name)) {
        why = "it is a folder";
    } else if (const std::unique_ptr<plat::File> file = files.Open(name, plat::OpenMode::Read); !file) {
        why = "it does not open";
    } else {
        char byte = 0;
        if (file->Read(&byte, 1) < 0) why = "reading it fails";
    }
    if (why.empty()) return {};
    return "The settings file \"" + name + "\" cannot be read (" + why + "); the game cannot start.";
}

std::string ProfileText(const char* key) {
    char text[1024] = {};
    xProfiles_GetString(key, text);
    return text;
}

/// The folder and the file name with one separator between them.
std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder + name;
    return folder + "/" + name;
}

/// Applies the part file's "app_props.txt" (a text chunk) to every profile key.
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

/// What keeps the game from starting on the part file, for its user.
std::string PartFileFault(const std::string& path, CPartFile::OpenFailure failure) {
    const std::string file = "\"" + path + "\"";
    switch (failure) {
    case CPartFile::OpenFailure::NotPartFile:
        return "The file " + file + " is not a part file of the game; the game cannot start.";
    case CPartFile::OpenFailure::DamagedIndex:
        return "The part file " + file + " is damaged: its index cannot be read; the game cannot start.";
    default:
        return "The part file " + file +
               " cannot be opened (it is missing or cannot be read), and no CD-ROM drive holds it; the game "
               "cannot start.";
    }
}

} // namespace

CGameShellState& CGameShellState::Get() {
    static CGameShellState state;
    return state;
}

void CGameShellState::ResetForTest() { Get() = CGameShellState{}; }

const xMessagePair* GameFallbackMessages() { return kFallbackMessages; }

bool VQAppPreInit() {
    LoadMessages();
    SetProfileDefaults();
    CGameShellState::Get().iniRead = ReadIniFile();
    SetWindowIconId(kWindowIcon);
    return true;
}

bool VQAppInit() {
    // Settings that are there but unread would leave the game on defaults its user did not choose.
    if (const std::string fault = CGameShellState::Get().iniRead ? std::string() : SettingsFileFault(); !fault.empty()) {
        VQT_ASSERT(xProfiles_Set("DIRECTDRAW", boolean(0)));
        xTrace_Tell(fault + "\n");
        xMessageBox(fault.c_str(), "Error", 0);
        return false;
    }
    VQT_ASSERT(xProfiles_Set("USERFILE", "TLVSave.vqk"));
    std::unique_ptr<CPartFile> file(new (std::nothrow) CPartFile);
    if (!file) return true;
    const std::string path = ProfileText("PARTFILE");
    if (file->Open(path.c_str(), 1)) {
        ApplyPartFileSettings(*file);
        return true;
    }
    const CPartFile::OpenFailure failure = file->GetOpenFailure();
    char name[257] = {};
    xFile_GetFileName(path.c_str(), name, 256);
    if (const char* folder = xFile_FindOnCDROM(name); folder && *folder) {
        const std::string found = JoinPath(folder, name);
        if (file->Open(found.c_str(), 1)) {
            VQT_ASSERT(xProfiles_Set("PARTFILE", found.c_str()));
            VQT_ASSERT(xProfiles_Set("DATAFILES", folder));
            return true;
        }
    }
    VQT_ASSERT(xProfiles_Set("DIRECTDRAW", boolean(0)));
    xTrace_Tell(PartFileFault(path, failure) + "\n");
    if (failure == CPartFile::OpenFailure::Unopened) {
        // A file that is not there may be on the game's disc.
        const char* args[] = {path.c_str()};
        xMessageBox(xMessages_GetString("APP_ERR_CANTOPENPF", args, 1).c_str(), "Error", 0);
    } else {
        xMessageBox(PartFileFault(path, failure).c_str(), "Error", 0);
    }
    return false;
}

bool VQAppStart() {
    if (!CTLVApp::Create()) return false;
    CTLVApp* app = CTLVApp::Get();
    CGameShellState& state = CGameShellState::Get();
    if (!state.iniRead) state.iniRead = ReadIniFile();

    std::unique_ptr<CPartFile> file(new (std::nothrow) CPartFile);
    if (!file) return false;
    app->CreateExtraProcess();
    file->SetAccessFailureHandler(xDriver_OnAccessFailure);
    file->SetCacheEnabled(true);
    file->SetChunkLogging(xProfiles_Flag("CHUNKLOGGING"));
    const std::string path = ProfileText("PARTFILE");
    if (!file->Open(path.c_str(), 1)) {
        xTracef("*** Error - unable to open part file in VQAppStart : %s\n", path.c_str());
        return false;
    }
    const std::string patch = ProfileText("PATCHFILE");
    if (!patch.empty() && xFile_Exists(patch.c_str(), 1)) file->OpenPatch(patch.c_str());

    CPartFile* partFile = file.get();
    app->SetPartFile(std::move(file));
    app->Init();
    // Without its processes the game cannot leave an activity (nothing plays or ends a sound):
    // say so in the trace.
    if (!app->GetMouseProcess() || (app->createSoundProcess && !app->GetSoundProcess()))
        xTrace("*** Error - CTLVApp::Init could not make the game's processes\n");

    OActivityManager* manager = GetActivityManager();
    if (!manager) return false;
    if (!manager->IsSwitchPending()) manager->SetVariant(OActivityManager::kUnloadFirst);
    manager->CreateWatcher(partFile, uint32_t(-1));
    std::unique_ptr<CTLVFactory> factory(new (std::nothrow) CTLVFactory);
    if (factory && manager->AddFactory(factory.get())) factory.release(); // the manager owns it
    manager->RequestActivity(kFirstActivity);

    // The cross-fade of activity switches: a blend filter becomes the main window's draw filter.
    xDrawFilter_InstallBlend(OWindow::Main());
    return true;
}

bool VQAppEnd() { return CTLVApp::Destroy(); }

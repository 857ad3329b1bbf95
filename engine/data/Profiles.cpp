#include "engine/data/Profiles.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/base/Trace.h"
#include "engine/data/DataState.h"
#include "engine/data/ProfileStorage.h"
#include "engine/data/Strings.h"

using namespace profile_storage;

namespace {

constexpr size_t kHookTextSize = 256;

std::vector<t_sProfileKey> MakeEngineTable(ProfileValues& v) {
    TraceKeys& trace = xTrace_Keys();
    ProfileHook onMode = xProfiles_OnDisplayMode;
    auto text = [](const char* name, char* storage, size_t size) {
        return t_sProfileKey{name, kProfileString, static_cast<uint32_t>(size), storage, nullptr};
    };
    auto row = [](const char* name, uint32_t type, auto& storage, ProfileHook hook = nullptr) {
        return t_sProfileKey{name, type, static_cast<uint32_t>(sizeof storage), &storage, hook};
    };
    return {
        text("ROOT_KEY", v.rootKey, sizeof v.rootKey),
        text("COMPANY_NAME", v.companyName, sizeof v.companyName),
        text("PRODUCT_NAME", v.productName, sizeof v.productName),
        text("VQTAPPCLASS", v.vqtAppClass, sizeof v.vqtAppClass),
        text("VQTAPPNAME", v.vqtAppName, sizeof v.vqtAppName),
        text("VQTSTAGECLASS", v.vqtStageClass, sizeof v.vqtStageClass),
        text("PARTFILE", v.partFile, sizeof v.partFile),
        text("USERFILE", v.userFile, sizeof v.userFile),
        text("PATCHFILE", v.patchFile, sizeof v.patchFile),
        text("PATCHCHAIN", v.patchChain, sizeof v.patchChain),
        text("DATAFILES", v.dataFiles, sizeof v.dataFiles),
        text("INSTALLEDDATAFILES", v.installedDataFiles, sizeof v.installedDataFiles),
        text("INSTALLEDTO", v.installedTo, sizeof v.installedTo),
        text("INSTALLEDFROM", v.installedFrom, sizeof v.installedFrom),
        text("SWAPFILE", v.swapFile, sizeof v.swapFile),
        row("SWAPSIZE", kProfileLong, v.swapSize),
        text("LOGTRACEMESSAGES", v.logTraceMessages, sizeof v.logTraceMessages),
        text("LOGCHUNKACCESS", v.logChunkAccess, sizeof v.logChunkAccess),
        row("VERBOSE", kProfileLong, v.verbose),
        row("CHUNKLOGGING", kProfileBoolWord, v.chunkLogging),
        row("SHOWPRINTERINITERROR", kProfileBoolean, v.showPrinterInitError),
        row("SHOWSNDINITERROR", kProfileBoolean, v.showSndInitError),
        row("SHOWDXINITERROR", kProfileBoolean, v.showDxInitError),
        row("OPENPREVIOUSINSTANCE", kProfileBoolean, v.openPreviousInstance),
        row("WARNPREVIOUSINSTANCE", kProfileBoolean, v.warnPreviousInstance),
        row("TICKSPERSECOND", kProfileULong, v.ticksPerSecond),
        row("IDLESPERSECOND", kProfileULong, v.idlesPerSecond),
        row("FRAMERATE", kProfileShort, v.frameRate),
        row("FRAMERATELIMITED", kProfileBoolWord, v.frameRateLimited),
        row("DRAWSTATSVISIBLE", kProfileBoolWord, v.drawStatsVisible),
        row("MEMSTATSVISIBLE", kProfileBoolean, v.memStatsVisible),
        row("MOUSESTATSVISIBLE", kProfileBoolean, v.mouseStatsVisible),
        row("ASSETSTATSVISIBLE", kProfileBoolean, v.assetStatsVisible),
        row("VERSIONVISIBLE", kProfileBoolean, v.versionVisible),
        row("MEMCEILINGENFORCED", kProfileBoolean, v.memCeilingEnforced),
        row("MEMCEILING", kProfileLong, v.memCeiling),
        row("SYSTEMIDLE", kProfileBoolWord, v.systemIdle),
        row("USERLANGUAGE", kProfileULong, v.userLanguage),
        row("STAGE", kProfileBoolean, v.stage),
        t_sProfileKey{"STAGESIZE", kProfileCustom, 0, nullptr, xProfiles_OnStageSize},
        row("DISPLAYDEPTH", kProfileShort, v.displayDepth, xProfiles_OnDisplayDepth),
        row("MINDISPDEPTH", kProfileShort, v.minDispDepth),
        row("DIRTYRECTS", kProfileBoolWord, v.dirtyRects, onMode),
        row("VBLANKSYNCON", kProfileBoolean, v.vblankSyncOn),
        row("DIRECTDRAW", kProfileBoolWord, v.directDraw, onMode),
        row("FULLSCREEN", kProfileBoolWord, v.fullScreen, onMode),
        row("DXREQUIRED", kProfileBoolean, v.dxRequired, onMode),
        row("DXDESIRED", kProfileBoolean, v.dxDesired, onMode),
        row("QUICKDRAW", kProfileBoolean, v.quickDraw),
        row("PIXELFORMAT", kProfileShort, v.pixelFormat, xProfiles_OnPixelFormat),
        row("ALLOWSWITCH", kProfileBoolean, v.allowSwitch),
        row("MMXAVAILABLE", kProfileBoolean, v.mmxAvailable),
        row("SOUNDFLIPPED", kProfileBoolean, v.soundFlipped),
        row("SOUNDENABLED", kProfileBoolean, v.soundEnabled),
        row("MUSICENABLED", kProfileBoolean, v.musicEnabled),
        row("NUMPIPES", kProfileShort, v.numPipes),
        row("SNDENGINEFLAGS", kProfileLong, v.sndEngineFlags),
        row("NUMCHANNELS", kProfileShort, v.numChannels),
        row("SAMPLESIZE", kProfileShort, v.sampleSize),
        row("DIRECTSOUND", kProfileBoolean, v.directSound),
        row("WINDOWSKEYENABLED", kProfileBoolWord, v.windowsKeyEnabled),
        row("CTRLALTDELENABLED", kProfileBoolWord, v.ctrlAltDelEnabled),
        row("DOUBLECLICKS", kProfileBoolean, v.doubleClicks),
        row("ALLOWRIGHTCLICK", kProfileBoolean, v.allowRightClick),
        row("USEUSERLANGUAGE", kProfileBoolean, v.useUserLanguage),
        row("LANGUAGE", kProfileULong, v.language),
        text("DEFWINFONT", v.defWinFont, sizeof v.defWinFont),
        text("DEFMACFONT", v.defMacFont, sizeof v.defMacFont),
        row("TEXTDIRECTION", kProfileShort, v.textDirection),
        row("CHEATSENABLED", kProfileBoolean, v.cheatsEnabled),
        row("TRACELOGGING", kProfileBoolWord, trace.logging),
        row("TRACELOGFILE", kProfileBoolWord, trace.logFile),
        row("CUSTOMCURSOR", kProfileBoolean, v.customCursor),
        row("STARTACTIVITY", kProfileULong, v.startActivity),
        row("HMFRAMERATE", kProfileLong, v.hmFrameRate),
        row("HMCAPTIONS", kProfileBoolean, v.hmCaptions),
        t_sProfileKey{"HMCAPTIONSIZE", kProfileCustom, 0, nullptr, xProfiles_OnCaptionSize},
        row("HMCAPTIONPOSITION", kProfilePoint, v.hmCaptionPosition),
        row("HMCAPTIONCOLOR", kProfileColor, v.hmCaptionColor),
        row("HMCAPTIONBACKGROUND", kProfileBoolean, v.hmCaptionBackground),
        row("HMCAPTIONBACKBLEND", kProfileShort, v.hmCaptionBackBlend),
        row("HMCAPTIONBACKCOLOR", kProfileColor, v.hmCaptionBackColor),
        row("HMCAPTIONBORDER", kProfileBoolean, v.hmCaptionBorder),
        row("HMCAPTIONBORDERCOLOR", kProfileColor, v.hmCaptionBorderColor),
        t_sProfileKey{nullptr, 0, 0, nullptr, nullptr},
    };
}

/// Runs a row's hook with at most 255 bytes of the text (whole characters).
void RunHook(const t_sProfileKey& row, const char* text) {
    if (row.hook == nullptr) {
        return;
    }
    char copy[kHookTextSize];
    xStr_CopyBytes(copy, text != nullptr ? text : "", sizeof copy);
    row.hook(copy);
}

bool IsNumeric(uint32_t type) {
    return type == kProfileBoolean || type == kProfileShort || type == kProfileUShort ||
           type == kProfileLong || type == kProfileULong || type == kProfileBoolWord;
}

/// The numeric setters: stores the number (a custom key takes none) and runs the hook with its
/// decimal text; 0 for a missing key or one that refuses numbers.
int SetNumber(const char* name, int64_t number) {
    t_sProfileKey* row = xProfiles_FindKey(name);
    if (row == nullptr || (row->type != kProfileCustom && !IsNumeric(row->type))) {
        return 0;
    }
    if (row->type != kProfileCustom) {
        WriteNumber(*row, number);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%" PRId64, number);
    RunHook(*row, text);
    return 1;
}

/// The colour and point setters: the value's bytes into a key of that type.
template <typename T>
int SetBytes(const char* name, uint32_t type, const T& value) {
    t_sProfileKey* row = xProfiles_FindKey(name);
    if (row == nullptr || row->type != type || row->value == nullptr || row->size < sizeof value) {
        return 0;
    }
    std::memcpy(row->value, &value, sizeof value);
    return 1;
}

/// The stage-size text: the first number, a separator from "x, ", then the second number.
/// Empty text answers false; text without a separator (or a first number of 0) answers the
/// fallback.
bool ReadSize(const char* text, int32_t& width, int32_t& height, int32_t fallbackWidth,
              int32_t fallbackHeight, int32_t largest) {
    if (text == nullptr || *text == '\0') {
        return false;
    }
    const char* p = text;
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    const int32_t first = ParseSigned(p);
    // The separator is looked for after the first number, so leading blanks are not taken
    // for it.
    if (*p == '+' || *p == '-') {
        ++p;
    }
    while (*p >= '0' && *p <= '9') {
        ++p;
    }
    const char* separator = xStr_FindAny(p, "x, ");
    width = fallbackWidth;
    height = fallbackHeight;
    if (separator != nullptr && first != 0) {
        const int32_t second = ParseSigned(xStr_SkipSet(separator, "x, "));
        if (first > 0 && second > 0 && first <= largest && second <= largest) {
            width = first;
            height = second;
        }
    }
    return true;
}

/// The numeric getters: 1 with the value when the key exists and has the type, else 0 with
/// the output untouched.
template <typename T>
int GetNumber(const char* name, uint32_t type, T* value) {
    const t_sProfileKey* row = xProfiles_FindKey(name);
    if (row == nullptr || row->type != type || value == nullptr) {
        return 0;
    }
    *value = static_cast<T>(ReadNumber(*row));
    return 1;
}

} // namespace

ProfileStore::ProfileStore() : engineTable(MakeEngineTable(values)) { tables.push_back(engineTable.data()); }

ProfileStore& xProfiles_Store() { return xData_State().profiles; }

ProfileValues& xProfiles_Values() { return xProfiles_Store().values; }

int xProfiles_AddTable(const t_sProfileKey* table) {
    ProfileStore& store = xProfiles_Store();
    if (table == nullptr || std::find(store.tables.begin(), store.tables.end(), table) != store.tables.end()) {
        return 0;
    }
    store.tables.push_back(table);
    return 1;
}

t_sProfileKey* xProfiles_FindKey(const char* name) {
    ProfileStore& store = xProfiles_Store();
    if (name == nullptr) {
        return nullptr;
    }
    for (const t_sProfileKey* table : store.tables) {
        for (const t_sProfileKey* row = table; row->name != nullptr; ++row) {
            if (xStr_CompareNoCase(row->name, name) == 0) {
                return const_cast<t_sProfileKey*>(row);
            }
        }
    }
    return nullptr;
}

int xProfiles_Set(const char* name, const char* text) {
    t_sProfileKey* row = xProfiles_FindKey(name);
    if (row == nullptr) {
        return 0;
    }
    if (text == nullptr) {
        text = "";
    }
    switch (row->type) {
    case kProfileString:
        if (row->value != nullptr && row->size > 0) {
            xStr_CopyBytes(static_cast<char*>(row->value), text, row->size);
        }
        break;
    case kProfileCustom:
        break;
    case kProfileBoolean:
    case kProfileShort:
    case kProfileLong:
    case kProfileBoolWord:
        WriteNumber(*row, ParseSigned(text));
        break;
    case kProfileUShort:
    case kProfileULong:
        WriteNumber(*row, ParseUnsigned(text));
        break;
    default:
        return 0; // colour and point keys take text only through an INI apply
    }
    RunHook(*row, text);
    return 1;
}

int xProfiles_Set(const char* name, sLong value) { return SetNumber(name, value); }

int xProfiles_Set(const char* name, uint32_t value) { return SetNumber(name, value); }

int xProfiles_Set(const char* name, sShort value) { return xProfiles_Set(name, static_cast<sLong>(value)); }

int xProfiles_Set(const char* name, boolean value) { return xProfiles_Set(name, static_cast<uint32_t>(value)); }

int xProfiles_Set(const char* name, rgbColor value) { return SetBytes(name, kProfileColor, value); }

int xProfiles_Set(const char* name, t_sPoint value) { return SetBytes(name, kProfilePoint, value); }

int xProfiles_GetString(const char* name, char* buffer, size_t size) {
    const t_sProfileKey* row = xProfiles_FindKey(name);
    if (row == nullptr || row->type != kProfileString || buffer == nullptr || size == 0) {
        return 0;
    }
    // Another module's table may hold text without a terminator: read no further than the size.
    const char* value = static_cast<const char*>(row->value);
    const std::string text = value == nullptr ? std::string() : std::string(value, strnlen(value, row->size));
    xStr_CopyBytes(buffer, text.c_str(), size);
    return 1;
}

int xProfiles_GetLong(const char* name, sLong* value) { return GetNumber(name, kProfileLong, value); }

int xProfiles_GetULong(const char* name, uint32_t* value) { return GetNumber(name, kProfileULong, value); }

int xProfiles_GetShort(const char* name, sShort* value) { return GetNumber(name, kProfileShort, value); }

int xProfiles_GetBoolean(const char* name, boolean* value) {
    const t_sProfileKey* row = xProfiles_FindKey(name);
    if (row == nullptr || (row->type != kProfileBoolean && row->type != kProfileBoolWord) || value == nullptr) {
        return 0;
    }
    // The whole storage counts: a 32-bit boolean holding 256 is true.
    *value = ReadNumber(*row) != 0 ? 1 : 0;
    return 1;
}

bool xProfiles_Flag(const char* name) {
    boolean value = 0;
    xProfiles_GetBoolean(name, &value);
    return value != 0;
}

sLong xProfiles_Long(const char* name) {
    sLong value = 0;
    xProfiles_GetLong(name, &value);
    return value;
}

void xProfiles_OnStageSize(const char* text) {
    ProfileStore& store = xProfiles_Store();
    int32_t width;
    int32_t height;
    if (ReadSize(text, width, height, 640, 480, INT32_MAX)) {
        store.stageWidth = width;
        store.stageHeight = height;
    }
}

void xProfiles_OnCaptionSize(const char* text) {
    ProfileStore& store = xProfiles_Store();
    int32_t width;
    int32_t height;
    if (ReadSize(text, width, height, 400, 40, INT16_MAX)) {
        store.captionWidth = static_cast<int16_t>(width);
        store.captionHeight = static_cast<int16_t>(height);
    }
}

void xProfiles_OnDisplayDepth(const char*) {
    ProfileValues& v = xProfiles_Values();
    switch (v.displayDepth) {
    case 8:
        v.pixelFormat = 0;
        break;
    case 16:
        v.pixelFormat = 1;
        break;
    case 24:
        v.pixelFormat = 3;
        break;
    case 32:
        v.pixelFormat = 4;
        break;
    default:
        break;
    }
}

void xProfiles_OnPixelFormat(const char* text) {
    ProfileValues& v = xProfiles_Values();
    if (xStr_Compare(text, "565") == 0) {
        v.pixelFormat = 2;
    } else if (xStr_Compare(text, "555") == 0) {
        v.pixelFormat = 1;
    }
}

void xProfiles_OnDisplayMode(const char*) {
    ProfileValues& v = xProfiles_Values();
    if (v.fullScreen == 0) {
        v.directDraw = 0;
        v.dirtyRects = 1;
    } else {
        v.dirtyRects = v.directDraw == 0 ? 1 : 0;
    }
}

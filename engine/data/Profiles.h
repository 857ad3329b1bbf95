#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The profile store: every engine setting is a named, typed key with a built-in default. Keys
// are set by name from start-up code, INI files, the registry and the part file's text chunk,
// and read by name through the typed getters, or, for the hottest keys, straight from their
// storage (xProfiles_Values()). Names compare without regard to case. A key may carry a change
// hook that runs whenever the key is set. Engine thread only.

using sLong = int32_t;
using sShort = int16_t;
using boolean = uint8_t;

/// A colour key's value: the bytes red, green, blue and a fourth byte.
struct rgbColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t extra = 0;
};

/// A point key's value: two 16-bit numbers, first then second (the low and the high half of
/// one 32-bit word).
struct t_sPoint {
    int16_t first = 0;
    int16_t second = 0;
};

static_assert(sizeof(rgbColor) == 4 && sizeof(t_sPoint) == 4);

/// Type codes of a key.
enum ProfileType : uint32_t {
    kProfileString = 0,   ///< `size` bytes of text, at most size - 1 characters
    kProfileCustom = 1,   ///< no storage; only the hook acts
    kProfileBoolean = 2,  ///< one byte, or a 32-bit word when the size is 4
    kProfileShort = 3,    ///< signed 16 bits
    kProfileUShort = 4,   ///< unsigned 16 bits
    kProfileLong = 5,     ///< signed 32 bits
    kProfileULong = 6,    ///< unsigned 32 bits (16 when the size is 2)
    kProfileColor = 7,    ///< rgbColor
    kProfilePoint = 8,    ///< t_sPoint
    kProfileBoolWord = 9, ///< 32 bits, true when non-zero
};

/// A change hook: gets the key's text each time the key is set.
using ProfileHook = void (*)(const char* text);

/// One row of a key table; a table ends with a row whose name is null. The storage belongs to
/// the module that declares the table.
struct t_sProfileKey {
    const char* name;
    uint32_t type;
    uint32_t size;
    void* value;
    ProfileHook hook;
};

/// Storage of the engine's keys (all but TRACELOGGING and TRACELOGFILE, which live in the
/// trace's own keys, and the custom keys STAGESIZE and HMCAPTIONSIZE, which have none). The
/// member initialisers are the keys' defaults.
struct ProfileValues {
    char rootKey[1024] = "";
    char companyName[1024] = "";
    char productName[1024] = "";
    char vqtAppClass[32] = "";
    char vqtAppName[32] = "";
    char vqtStageClass[32] = "";
    char partFile[1024] = "";
    char userFile[1024] = "";
    char patchFile[1024] = "";
    char patchChain[1024] = "";
    char dataFiles[1024] = "";
    char installedDataFiles[1024] = "";
    char installedTo[1024] = "";
    char installedFrom[1024] = "";
    char swapFile[1024] = "";
    int32_t swapSize = 0;
    char logTraceMessages[1024] = "";
    char logChunkAccess[1024] = "";
    int32_t verbose = 0;
    int32_t chunkLogging = 0;
    uint8_t showPrinterInitError = 0;
    uint8_t showSndInitError = 0;
    uint8_t showDxInitError = 1;
    uint8_t openPreviousInstance = 0;
    uint8_t warnPreviousInstance = 0;
    uint32_t ticksPerSecond = 60;
    uint32_t idlesPerSecond = 30;
    int16_t frameRate = 12;
    int32_t frameRateLimited = 0;
    int32_t drawStatsVisible = 0;
    uint8_t memStatsVisible = 0;
    uint8_t mouseStatsVisible = 0;
    uint8_t assetStatsVisible = 0;
    uint8_t versionVisible = 0;
    uint8_t memCeilingEnforced = 0;
    int32_t memCeiling = 6291456;
    int32_t systemIdle = 0;
    uint32_t userLanguage = 10;
    int32_t stage = 0;
    int16_t displayDepth = 8;
    int16_t minDispDepth = 8;
    int32_t dirtyRects = 0;
    uint8_t vblankSyncOn = 0;
    int32_t directDraw = 1;
    int32_t fullScreen = 1;
    uint8_t dxRequired = 0;
    uint8_t dxDesired = 1;
    uint8_t quickDraw = 0;
    int16_t pixelFormat = 0; ///< the current pixel-format code
    uint8_t allowSwitch = 1;
    int32_t mmxAvailable = 0;
    uint8_t soundFlipped = 0;
    uint8_t soundEnabled = 1;
    uint8_t musicEnabled = 1;
    int16_t numPipes = 8;
    int32_t sndEngineFlags = 0;
    int16_t numChannels = 2;
    int16_t sampleSize = 16;
    uint8_t directSound = 1;
    int32_t windowsKeyEnabled = 1;
    int32_t ctrlAltDelEnabled = 0;
    uint8_t doubleClicks = 0;
    uint8_t allowRightClick = 1;
    uint8_t useUserLanguage = 0;
    uint16_t language = 10;
    char defWinFont[256] = "";
    char defMacFont[256] = "";
    int16_t textDirection = 0;
    uint8_t cheatsEnabled = 0;
    uint8_t customCursor = 1;
    uint32_t startActivity = 0;
    int32_t hmFrameRate = 15;
    uint8_t hmCaptions = 0;
    t_sPoint hmCaptionPosition{};
    rgbColor hmCaptionColor{};
    uint8_t hmCaptionBackground = 1;
    int16_t hmCaptionBackBlend = 50;
    rgbColor hmCaptionBackColor{};
    uint8_t hmCaptionBorder = 0;
    rgbColor hmCaptionBorderColor{};
};

/// The store: the registered key tables (the engine's first), the engine keys' storage and the
/// values the hooks derive.
struct ProfileStore {
    ProfileStore();
    ProfileStore(const ProfileStore&) = delete;
    ProfileStore& operator=(const ProfileStore&) = delete;

    ProfileValues values;
    int32_t stageWidth = 640;
    int32_t stageHeight = 480;
    int16_t captionWidth = 400;
    int16_t captionHeight = 40;
    /// Registered tables in registration order.
    std::vector<const t_sProfileKey*> tables;
    /// The engine's key table (ends with a null row).
    std::vector<t_sProfileKey> engineTable;
};

/// The store of the engine context, with the engine's table registered.
ProfileStore& xProfiles_Store();
/// The engine keys' storage, for readers of the hottest keys.
ProfileValues& xProfiles_Values();

/// Registers a further key table at the end; 0 for a null table or one already registered.
int xProfiles_AddTable(const t_sProfileKey* table);
/// The first row, over the tables in registration order, whose name equals `name` without
/// regard to case; null when there is none.
t_sProfileKey* xProfiles_FindKey(const char* name);

// Setters answer 1 when the key exists and takes the value, else 0 with nothing changed.
// Text sets a key by its type (colour and point keys refuse text; an INI apply sets them);
// a string key keeps at most size - 1 bytes of it, whole characters only. The hook gets a
// copy of at most 255 bytes of the text. Numbers set a numeric or boolean key (string, colour
// and point keys refuse them) and the hook gets them as decimal text. A one-byte boolean
// stores 1 for every non-zero number.
int xProfiles_Set(const char* name, const char* text);
int xProfiles_Set(const char* name, sLong value);
int xProfiles_Set(const char* name, uint32_t value);
int xProfiles_Set(const char* name, sShort value);
int xProfiles_Set(const char* name, boolean value);
/// Colour keys only; no hook runs.
int xProfiles_Set(const char* name, rgbColor value);
/// Point keys only; no hook runs.
int xProfiles_Set(const char* name, t_sPoint value);

// Getters answer 1 when the key exists and has the getter's type, else 0 with the output
// untouched.
/// String keys: copies at most size - 1 bytes (whole characters) and terminates.
int xProfiles_GetString(const char* name, char* buffer, size_t size);
template <size_t N>
int xProfiles_GetString(const char* name, char (&buffer)[N]) {
    return xProfiles_GetString(name, buffer, N);
}
/// Signed 32-bit keys (type 5).
int xProfiles_GetLong(const char* name, sLong* value);
/// Unsigned 32-bit keys (type 6; a 16-bit one such as LANGUAGE is widened).
int xProfiles_GetULong(const char* name, uint32_t* value);
/// Signed 16-bit keys (type 3).
int xProfiles_GetShort(const char* name, sShort* value);
/// Boolean keys (types 2 and 9): 1 when the stored value is non-zero, else 0.
int xProfiles_GetBoolean(const char* name, boolean* value);
/// For code that only reads a setting: the boolean key's value, false where the key is missing
/// or not boolean.
bool xProfiles_Flag(const char* name);
/// The signed 32-bit key's value, 0 where the key is missing or of another type.
sLong xProfiles_Long(const char* name);

// The engine's change hooks.
/// STAGESIZE: "<width><x, or blank><height>"; empty text changes nothing; text without a
/// separator, or a width or height that is not positive, gives 640 by 480.
void xProfiles_OnStageSize(const char* text);
/// HMCAPTIONSIZE: as the stage size on the caption box (16-bit), fallback 400 by 40.
void xProfiles_OnCaptionSize(const char* text);
/// DISPLAYDEPTH: depth 8, 16, 24, 32 sets the pixel-format code 0, 1, 3, 4.
void xProfiles_OnDisplayDepth(const char* text);
/// PIXELFORMAT: the text "565" sets the pixel-format code 2, "555" sets 1.
void xProfiles_OnPixelFormat(const char* text);
/// DIRTYRECTS, DIRECTDRAW, FULLSCREEN, DXREQUIRED, DXDESIRED: a windowed stage never uses
/// DirectDraw, and dirty rectangles are used unless the stage is full screen through DirectDraw.
void xProfiles_OnDisplayMode(const char* text);

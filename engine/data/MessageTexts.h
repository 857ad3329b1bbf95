#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/data/ChunkId.h"

class CPartFile;

// User-visible texts by message id. Texts come from message files (chunk files whose "utxt"
// chunks hold one message each, named by the message id, with one text per language) and,
// behind them, from built-in tables of id and text pairs. Engine thread only.

/// One pair of a built-in table; a table ends with a pair whose id is null.
struct xMessagePair {
    const char* id;
    const char* text;
};

/// The built-in tables of the engine: its default texts (27 pairs), the memory errors (13) and
/// the engine errors (5). The engine's default table is registered by the message start-up; the
/// platform's pre-initialisation registers the other two, in that order.
const xMessagePair* xMessages_EngineTable();
const xMessagePair* xMessages_MemoryErrorTable();
const xMessagePair* xMessages_EngineErrorTable();

/// The module's state: the loaded messages (in load order) and the registered tables.
struct MessagesContext {
    struct Loaded {
        std::string id;
        std::string text;
    };
    bool initialised = false;
    std::vector<Loaded> loaded;
    std::vector<const xMessagePair*> tables;
};
MessagesContext& xMessages_Context();

/// Runs once, on first use of any message operation: registers the engine's default table and
/// loads the local message file "VQT.vqk" when it exists in the working folder.
void xMessages_Init();
/// Registers a table at the end of the table list; null or a registered table is ignored.
void xMessages_AddTable(const xMessagePair* table);
/// Loads every message of an open message file's "utxt" index.
void xMessages_LoadFile(CPartFile* file);
/// Loads the messages that a chunk list (in the file's "clst" index) names in its "utxt" index.
void xMessages_LoadUnicode(CPartFile* file, ChunkId listId);

/// Writes the expanded text of the id into `output` (at most outputSize - 1 bytes, always
/// terminated when outputSize is not 0) and answers `output`. Escapes: "||" is "|", "|n" a line
/// feed, "|1" to "|9" argument text 1 to 9 (when given and within `count`; else nothing); "|"
/// before any other character, or at the end, ends the text there. An id no source holds gives
/// "Err: MsgID not found - " and the id.
char* xMessages_Get(const char* id, char* output, size_t outputSize, const char* const* args = nullptr,
                    int16_t count = 0);
/// The same into a string.
std::string xMessages_GetString(const char* id, const char* const* args = nullptr, int16_t count = 0);

/// Wide text in the current code page into `output` (1024 bytes: at most 1023 and the NUL);
/// answers the bytes written.
size_t xText_WideToMulti(char* output, const char16_t* wide);

// ---- Language -------------------------------------------------------------------------------

inline constexpr uint32_t kLanguageCount = 61;
inline constexpr uint32_t kLanguageEnglishUs = 10;

struct LanguageContext {
    bool initialised = false;
    uint32_t language = kLanguageCount; ///< 61 until decided
    uint8_t charSetIndex = 0;
    bool hasIme = false;
};
LanguageContext& xLanguage_Context();

/// Decides the language once (later calls do nothing): from the system's default language id,
/// or the user's when USEUSERLANGUAGE is set; fills the lead-byte table and the input-method flag.
void xLanguage_Init();
/// The current language number, 61 before `xLanguage_Init`.
uint32_t xLanguage_Get();
/// The language number of a Windows language id.
uint32_t xLanguage_FromLangId(uint16_t langId);
uint8_t xLanguage_GetCharSetIndex();
/// A character-set index 0-14 as a GDI character set (DEFAULT_CHARSET, 1, for any other).
uint8_t xLanguage_CharSetFromIndex(int index);
bool xLanguage_HasIME();
/// The character-set index and the C-library locale name (or null) of a language number.
uint8_t xLanguage_CharSetIndexOf(uint32_t language);
const char* xLanguage_LocaleNameOf(uint32_t language);

#pragma once
// The sign-in name filter: whether a name holds a word of the blocked-word list. The list is
// not in the code: it is the chunk "blocked_words" of the part file's "text" index, entries of
// 15 bytes, each a word padded with NUL bytes (a word of 15 letters fills its entry).
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class CPartFile;

/// The filter's module state: the list in use.
struct CNameFilterState {
    static constexpr size_t kEntryBytes = 15;
    static constexpr size_t kMaxEntries = 564;

    std::vector<std::array<char, kEntryBytes>> words;
    /// The list was looked for in the application's part file (done at the first check).
    bool looked = false;

    /// The record of the engine context.
    static CNameFilterState& Get();
};

/// Takes a list from a chunk's bytes. A size that is not a whole number of entries, or more
/// than 564 of them, is refused with a trace and leaves the list empty.
bool xText_SetBlockedWords(const uint8_t* bytes, size_t size);
/// Takes the list of a part file's "blocked_words" chunk; false (traced, list empty) when the
/// file has none or it is refused.
bool xText_LoadBlockedWords(CPartFile* file);
/// True when one of the text's words (its lower-cased pieces between blanks) equals an entry
/// of the list. The list is taken from the application's part file at the first check.
bool xText_ContainsBlockedWord(const char* text);

#include "engine/media/NameFilter.h"

#include <cstring>
#include <string>
#include <string_view>

#include "engine/base/Trace.h"
#include "engine/data/PartFile.h"
#include "engine/data/Strings.h"
#include "engine/media/Application.h"
#include "engine/media/MediaState.h"

namespace {

constexpr const char* kListName = "blocked_words";
/// Bytes of a text the filter looks at (its working buffer held 512 with the NUL).
constexpr size_t kWorkBytes = 511;

bool IsBlocked(std::string_view word) {
    for (const auto& entry : CNameFilterState::Get().words) {
        const size_t length = strnlen(entry.data(), entry.size()); // a full entry has no NUL
        if (length == word.size() && std::memcmp(entry.data(), word.data(), length) == 0) return true;
    }
    return false;
}

} // namespace

CNameFilterState& CNameFilterState::Get() { return xMedia_State().nameFilter; }

bool xText_SetBlockedWords(const uint8_t* bytes, size_t size) {
    CNameFilterState& s = CNameFilterState::Get();
    s.words.clear();
    if (!bytes || size % CNameFilterState::kEntryBytes != 0 ||
        size / CNameFilterState::kEntryBytes > CNameFilterState::kMaxEntries) {
        xTracef("Blocked word list refused: %zu bytes is not a list of up to %zu entries of %zu bytes\n", size,
                CNameFilterState::kMaxEntries, CNameFilterState::kEntryBytes);
        return false;
    }
    s.words.resize(size / CNameFilterState::kEntryBytes);
    if (size > 0) std::memcpy(s.words.data(), bytes, size);
    return true;
}

bool xText_LoadBlockedWords(CPartFile* file) {
    CNameFilterState::Get().words.clear();
    const uint8_t index = file ? file->FindDataIndex(Tag4("text")) : 0;
    const ChunkId id = index != 0 ? file->FindChunkByName(kListName, MakeChunkId(index, 0)) : kNullChunkId;
    uint32_t size = 0;
    uint32_t offset = 0;
    if (id == kNullChunkId || !file->GetChunkLocation(id, &size, &offset)) {
        xTrace("Blocked word list not found\n");
        return false;
    }
    if (size == 0) return xText_SetBlockedWords(reinterpret_cast<const uint8_t*>(""), 0);
    void* data = file->GetChunk(id);
    if (!data) {
        xTrace("Blocked word list not found\n");
        return false;
    }
    const bool taken = xText_SetBlockedWords(static_cast<const uint8_t*>(data), size);
    CPartFile::FreeBlock(data);
    return taken;
}

bool xText_ContainsBlockedWord(const char* text) {
    CNameFilterState& s = CNameFilterState::Get();
    if (!s.looked) {
        s.looked = true;
        OApplication* app = OApplication::Get();
        xText_LoadBlockedWords(app ? app->GetPartFile() : nullptr);
    }
    if (!text) return false;
    std::string work(text, strnlen(text, kWorkBytes));
    xStr_ToLower(work.data());
    // Every word counts: empty pieces (blanks in a row, at the start) are skipped, not the end.
    size_t start = 0;
    while (start < work.size()) {
        size_t end = work.find(' ', start);
        if (end == std::string::npos) end = work.size();
        if (end > start && IsBlocked(std::string_view(work).substr(start, end - start))) return true;
        start = end + 1;
    }
    return false;
}

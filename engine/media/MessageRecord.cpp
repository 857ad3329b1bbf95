#include "engine/media/MessageRecord.h"

#include <algorithm>
#include <cstring>

#include "engine/data/PartFile.h"
#include "engine/media/Application.h"
#include "engine/media/Snippet.h"

namespace {

/// A voice's buffer is at least this large, so that a record reused for the next line rarely
/// has to grow it.
constexpr uint32_t kVoiceBuffer = 30000;

CPartFile* GameFile() {
    OApplication* app = OApplication::Get();
    return app != nullptr ? app->GetPartFile() : nullptr;
}

} // namespace

OMessageRecord::OMessageRecord() { Reset(); }

OMessageRecord::~OMessageRecord() { xSnippet_Unload(voice); }

void OMessageRecord::Reset() {
    roleName.clear();
    states.clear();
    endState = 0;
    stopAnimation = 0;
    doneWithVoice = 0;
    queueStates = 0;
    xSnippet_Unload(voice);
    voice = nullptr;
    spare = -1;
    lipSync = 0;
    caption.clear();
    hold = 0;
    skipTest = nullptr;
    endCallback = nullptr;
    userValue = -1;
    chained = nullptr;
    start = CViewActions{};
    end = CViewActions{};
    keepLastFrame = 0;
    inUse = 0;
    hostFinished = 0;
}

void OMessageRecord::FreeChain() {
    // The chain is taken apart first: each reset clears the link to the next record.
    std::vector<OMessageRecord*> behind;
    for (OMessageRecord* r = chained; r != nullptr && r != this; r = r->chained) {
        if (std::find(behind.begin(), behind.end(), r) != behind.end()) break; // a loop
        behind.push_back(r);
    }
    for (OMessageRecord* r : behind) r->Reset();
    Reset();
}

void OMessageRecord::SetSnippet(ChunkId id) {
    xSnippet* loaded = nullptr;
    if (loadSnippet(&loaded, GameFile(), id, kVoiceBuffer, nullptr) == nullptr) return;
    xSnippet_Unload(voice);
    voice = loaded;
}

void OMessageRecord::SetText(ChunkId id, const char* text) {
    caption.clear();
    if (text != nullptr) {
        caption = text;
        return;
    }
    CPartFile* file = GameFile();
    uint32_t size = 0;
    uint32_t offset = 0;
    if (file == nullptr || !file->ChunkExists(id) || !file->GetChunkLocation(id, &size, &offset)) return;
    std::string data(size, '\0');
    if (size != 0 && file->ReadChunkInto(id, size, data.data()) == nullptr) return;
    data.resize(std::strlen(data.c_str())); // the text ends at its terminator, if it has one
    caption = std::move(data);
}

void OMessageRecord::SetStates(const int32_t* list, int32_t count) {
    states.clear();
    if (list != nullptr && count > 0) states.assign(list, list + count);
}

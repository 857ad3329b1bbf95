// The game activity's own sound snippets and what it plays on the pipes 3 (engine sounds),
// 7 (clicks) and 8 (a loop behind the play) and on free pipes.
#include <iterator>

#include "engine/core/ActivityProp.h"
#include "engine/graphics/Part.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"

namespace {

constexpr uint32_t kEnginePipe = 3;
constexpr uint32_t kClickPipe = 7;
constexpr uint32_t kLoopPipe = 8;
constexpr int32_t kEngineRate = 22050;
constexpr int32_t kLoopVolume = 115;
constexpr ChunkId kClickSound = MakeChunkId(7, 838);

/// The props whose part's sound value picks their sound, and the default sound.
constexpr uint32_t kValueSoundClasses[] = {1530, 1510, 1560};
constexpr ChunkId kPropSounds[] = {MakeChunkId(7, 189), MakeChunkId(7, 190), MakeChunkId(7, 188),
                                   MakeChunkId(7, 158), MakeChunkId(7, 61),  MakeChunkId(7, 98),
                                   MakeChunkId(7, 571), MakeChunkId(7, 821), MakeChunkId(7, 133),
                                   MakeChunkId(7, 834)};
constexpr ChunkId kDefaultPropSound = MakeChunkId(7, 13);
constexpr int32_t kPropVolume = 127;
constexpr int32_t kFirstValueVolume = 100;

} // namespace

xSnippet* CTLVActivity::FindSound(ChunkId id) const {
    for (int32_t i = soundIds_.Count() - 1; i >= 0; --i)
        if (soundIds_.GetAt(i) == id) return sounds_.GetAt(i);
    CTLVApp* app = CTLVApp::Get();
    return app ? app->FindSnippet(id) : nullptr;
}

xSnippet* CTLVActivity::LoadSound(ChunkId id) {
    if (id == kNullChunkId) return nullptr; // names no sound
    if (xSnippet* known = FindSound(id)) return known;
    xSnippet* snippet = xSnippet_Load(GameFile(), id, nullptr);
    if (!snippet) return nullptr;
    if (!sounds_.Append(snippet)) {
        xSnippet_Unload(snippet);
        return nullptr;
    }
    if (!soundIds_.Append(id)) { // both lists or neither
        xSnippet_Unload(sounds_.PopBack());
        return nullptr;
    }
    return snippet;
}

void CTLVActivity::UnloadSounds() {
    while (sounds_.Count() > 0) xSnippet_Unload(sounds_.PopBack());
    sounds_.Free();
    soundIds_.Free();
}

void CTLVActivity::PlaySound(ChunkId id, uint32_t pipe, int32_t volume) {
    xSnippet* snippet = LoadSound(id);
    OSoundProcess* sound = GameSound();
    if (!snippet || !sound) return;
    xSound_SetSnippetVolume(snippet, volume);
    sound->Play(snippet, pipe, 0, 0);
}

void CTLVActivity::PlayAfresh(xSnippet* snippet, uint32_t pipe, uint8_t loop) {
    OSoundProcess* sound = GameSound();
    if (!sound) return;
    sound->Stop(pipe);
    if (snippet) sound->Play(snippet, pipe, 0, loop);
}

void CTLVActivity::PlayOnPipe3(ChunkId id) {
    PlayAfresh(LoadSound(id), kEnginePipe, 1);
    if (OSoundProcess* sound = GameSound()) xSound_SetPlaybackRate(sound->GetChannel(kEnginePipe), kEngineRate);
}

void CTLVActivity::PlayOnPipe3Ex(ChunkId id, int32_t rate, uint8_t loop) {
    PlayAfresh(LoadSound(id), kEnginePipe, loop);
    if (OSoundProcess* sound = GameSound()) xSound_SetPlaybackRate(sound->GetChannel(kEnginePipe), rate);
    pipe3Rate_ = rate;
    pipe3RateFixed_ = 1;
}

void CTLVActivity::StopPipe3() {
    pipe3RateFixed_ = 0;
    if (OSoundProcess* sound = GameSound()) sound->Stop(kEnginePipe);
}

void CTLVActivity::PlayOnPipe8(ChunkId id) {
    xSnippet* snippet = LoadSound(id);
    OSoundProcess* sound = GameSound();
    if (!sound) return;
    sound->Stop(kLoopPipe);
    if (sound->GetPipeCount() > kLoopPipe) xSound_SetVolume(sound->GetChannel(kLoopPipe), kLoopVolume);
    if (snippet) sound->Play(snippet, kLoopPipe, 0, 1);
}

void CTLVActivity::StopPipe8() {
    if (OSoundProcess* sound = GameSound()) sound->Stop(kLoopPipe);
}

void CTLVActivity::PlayOnPipe7() { PlayAfresh(LoadSound(kClickSound), kClickPipe, 0); }

void CTLVActivity::PlayPropSound(OActivityProp* prop) {
    if (!prop) return;
    const uint8_t value = prop->GetAnimSet() ? prop->GetAnimSet()->GetPropSoundValue() : 0;
    bool byValue = false;
    for (const uint32_t classId : kValueSoundClasses) byValue = byValue || prop->IsA(classId);
    ChunkId id = kDefaultPropSound;
    if (byValue && value >= 1 && value <= std::size(kPropSounds)) id = kPropSounds[value - 1];
    PlaySound(id, kAnyPipe, byValue && value == 1 ? kFirstValueVolume : kPropVolume);
}

#include "engine/media/SoundEngineLink.h"

#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"

xSnippet* CSoundEngineLink::LoadSnippet(CPartFile* file, ChunkId id) { return xSnippet_Load(file, id, nullptr); }

void CSoundEngineLink::UnloadSnippet(xSnippet* snippet) { xSnippet_Unload(snippet); }

void CSoundEngineLink::SetSnippetLoop(xSnippet* snippet, uint16_t mode) { xSound_SetSnippetLoop(snippet, mode); }

SoundChannel* CSoundEngineLink::FindFreePipe(uint32_t* pipe) {
    OSoundProcess* sound = Process();
    SoundChannel* channel = sound != nullptr ? sound->FindFreePipe() : nullptr;
    if (channel != nullptr && pipe != nullptr) {
        *pipe = sound->FindPipeByChannel(channel);
    }
    return channel;
}

void CSoundEngineLink::PlayOnPipe(xSnippet* snippet, uint32_t pipe, uint32_t priority, uint8_t loop) {
    if (OSoundProcess* sound = Process()) {
        sound->Play(snippet, pipe, priority, loop);
    }
}

void CSoundEngineLink::StopOnPipe(const xSnippet* snippet, uint32_t pipe) {
    if (OSoundProcess* sound = Process()) {
        sound->StopSnippet(snippet, pipe);
    }
}

void CSoundEngineLink::ClearQueues() {
    if (OSoundProcess* sound = Process()) {
        sound->ClearQueues();
    }
}

bool CSoundEngineLink::IsPlaying(const SoundChannel* channel) { return xSound_IsPlaying(channel) != 0; }

void CSoundEngineLink::SetBalance(SoundChannel* channel, int32_t left, int32_t right) {
    xSound_SetBalance(channel, left, right);
}

void CSoundEngineLink::SetVolume(SoundChannel* channel, int32_t volume) { xSound_SetVolume(channel, volume); }

void CSoundEngineLink::StopAll() { xSound_StopAll(); }

void CSoundEngineLink::ReleaseDevice() { xSound_ReleaseDevice(); }

void CSoundEngineLink::ReacquireDevice() { xSound_ReacquireDevice(); }

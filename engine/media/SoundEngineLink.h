#pragma once
#include "engine/graphics/SoundLink.h"

class OSoundProcess;

/// The sound engine's side of the sound link: the snippet and channel calls go to the sound
/// services, the pipe calls to the sound process that `soundProcess` finds (the application's;
/// null when there is none).
class CSoundEngineLink : public CSoundLink {
public:
    using SoundProcessFinder = OSoundProcess* (*)();

    explicit CSoundEngineLink(SoundProcessFinder soundProcess) : soundProcess_(soundProcess) {}

    xSnippet* LoadSnippet(CPartFile* file, ChunkId id) override;
    void UnloadSnippet(xSnippet* snippet) override;
    void SetSnippetLoop(xSnippet* snippet, uint16_t mode) override;
    SoundChannel* FindFreePipe(uint32_t* pipe) override;
    void PlayOnPipe(xSnippet* snippet, uint32_t pipe, uint32_t priority, uint8_t loop) override;
    void StopOnPipe(const xSnippet* snippet, uint32_t pipe) override;
    void ClearQueues() override;
    bool IsPlaying(const SoundChannel* channel) override;
    void SetBalance(SoundChannel* channel, int32_t left, int32_t right) override;
    void SetVolume(SoundChannel* channel, int32_t volume) override;
    void StopAll() override;
    void ReleaseDevice() override;
    void ReacquireDevice() override;

private:
    OSoundProcess* Process() const { return soundProcess_ != nullptr ? soundProcess_() : nullptr; }

    SoundProcessFinder soundProcess_;
};

#pragma once
// The sound calls of the animation states, props, activities and windows. The sound engine sits
// above these layers, so they reach it only through this link, which the sound engine installs
// at start-up. Without one installed every call does nothing and every channel is silent.
#include <cstdint>

#include "engine/data/ChunkId.h"

class CPartFile;
struct SoundChannel;
struct xSnippet;

/// Loop modes of a snippet: mode 3 with the loop bit, and mode 3 played once.
inline constexpr uint16_t kSnippetLoop = 0x4003;
inline constexpr uint16_t kSnippetOnce = 3;

class CSoundLink {
public:
    virtual ~CSoundLink() = default;

    /// The snippet chunk `id` of the part file, loaded; null when it cannot be had.
    virtual xSnippet* LoadSnippet(CPartFile* /*file*/, ChunkId /*id*/) { return nullptr; }
    /// Releases a loaded snippet; nothing for null.
    virtual void UnloadSnippet(xSnippet* /*snippet*/) {}
    /// Stores the loop mode in the snippet.
    virtual void SetSnippetLoop(xSnippet* /*snippet*/, uint16_t /*mode*/) {}

    /// The channel of the first free pipe of the application's sound process, its pipe number
    /// in `*pipe`; null when there is no free pipe or no sound process.
    virtual SoundChannel* FindFreePipe(uint32_t* /*pipe*/) { return nullptr; }
    /// Plays the snippet on a pipe of the application's sound process (with the loop flag it
    /// loops); nothing without a sound process.
    virtual void PlayOnPipe(xSnippet* /*snippet*/, uint32_t /*pipe*/, uint32_t /*priority*/, uint8_t /*loop*/) {}
    /// Ends the pipe's sound when it is that snippet; nothing without a sound process.
    virtual void StopOnPipe(const xSnippet* /*snippet*/, uint32_t /*pipe*/) {}
    /// Empties the waiting snippets of the application's sound process.
    virtual void ClearQueues() {}

    /// Whether the channel plays; false for null.
    virtual bool IsPlaying(const SoundChannel* /*channel*/) { return false; }
    /// Sets the channel's left and right levels (0..255).
    virtual void SetBalance(SoundChannel* /*channel*/, int32_t /*left*/, int32_t /*right*/) {}
    /// Sets the channel's volume (0..511).
    virtual void SetVolume(SoundChannel* /*channel*/, int32_t /*volume*/) {}
    /// Ends every channel's sound.
    virtual void StopAll() {}
    /// Gives the output device back while the application is switched out, and takes it again.
    virtual void ReleaseDevice() {}
    virtual void ReacquireDevice() {}
};

/// The installed link, or one that does nothing.
CSoundLink& xSoundLink();
/// Installs the sound engine's link (null: none).
void xSoundLink_Install(CSoundLink* link);

#pragma once
// The sound services that animation states and props call, in their least form until the
// sound engine is built: snippets are records that name their chunk, channels keep the volume,
// balance and playing flag they are given, and every call is recorded so that tests can read
// what the engine asked for. No sample is ever played.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/data/ChunkId.h"

class CPartFile;

/// One loaded sound.
struct xSnippet {
    ChunkId id = kNullChunkId;
    uint16_t loopMode = 0; ///< low byte 0..4, bit 0x4000 loops
    int16_t volume = 511;
};

/// One sound channel.
struct SoundChannel {
    int32_t number = 0;
    int16_t volume = 0;      ///< 0..511
    int16_t left = 511;      ///< 0..255 once set
    int16_t right = 511;
    uint8_t playing = 0;
    const xSnippet* snippet = nullptr;
};

inline constexpr uint16_t kSnippetLoop = 0x4003;  ///< mode 3 with the loop bit
inline constexpr uint16_t kSnippetOnce = 3;

/// Loads the snippet chunk `id` of the part file; null when the file lacks it (after the box
/// "VQT : Missing Snippet {%d, %d, %d}" and a trace). `nameOut` is not filled.
xSnippet* xSnippet_Load(CPartFile* partFile, ChunkId id, char* nameOut);
/// Releases a loaded snippet; nothing for null.
void xSnippet_Unload(xSnippet* snippet);
/// Channel n (0 .. channel count - 1), else null.
SoundChannel* xSound_GetChannel(int32_t n);
/// 1 while the channel plays; 0 for null.
uint8_t xSound_IsPlaying(const SoundChannel* channel);
/// Sets the channel's levels, each clamped to 0..255.
void xSound_SetBalance(SoundChannel* channel, int32_t left, int32_t right);
/// Sets the channel's volume, clamped to 0..511.
void xSound_SetVolume(SoundChannel* channel, int32_t volume);
/// Stores the loop mode in the snippet (low byte below 5, else 4; the loop bit kept).
void xSound_SetSnippetLoop(xSnippet* snippet, uint16_t mode);
/// Starts the snippet on the channel.
void xSound_PlaySnippet(xSnippet* snippet, SoundChannel* channel);
/// Ends the channel's sound when it plays `snippet` (any when null).
void xSound_StopSnippet(const xSnippet* snippet, SoundChannel* channel);

/// Starts the sound engine with one channel per pipe (at most the stand-in's channels); 0 when
/// started, also when it was started before. The second word is not read. The stand-in answers
/// its `startupCode`: 0 and -301 (started on the second attempt through the default device)
/// start it, any other code is a failure.
int16_t xSound_Startup(int32_t pipes, uint32_t unused, uint32_t flags);
/// Ends every channel and stops the engine; nothing when it is not started.
void xSound_Shutdown();
/// Ends every channel's sound; 0.
int32_t xSound_StopAll();
/// Gives the output device back while the application is switched out, and takes it again.
void xSound_ReleaseDevice();
void xSound_ReacquireDevice();

/// The recording side: every call above with its arguments as given.
struct SoundCall {
    std::string op;      ///< "load", "unload", "balance", "volume", "loop", "play", "stop",
                         ///< "startup", "shutdown", "stopall", "release", "reacquire"
    int32_t channel = -1;
    int32_t a = 0;
    int32_t b = 0;
    ChunkId snippet = kNullChunkId;
};

class CSoundStandIn {
public:
    static constexpr int32_t kChannels = 16;

    static CSoundStandIn& Get();
    std::vector<SoundCall> calls;
    SoundChannel channels[kChannels];
    int32_t loadedSnippets = 0;
    uint8_t started = 0;
    int16_t startupCode = 0;
    uint8_t deviceHeld = 0;

    /// Marks a channel silent, as a sound that ends by itself.
    void EndSound(SoundChannel* channel);
    /// Calls of one kind, in order.
    std::vector<SoundCall> CallsOf(const std::string& op) const;
    void ResetForTest();

private:
    CSoundStandIn();
};

#pragma once
// The sound engine: a fixed table of channels, one mixer voice each, over the platform's
// audio output. It starts the output (the "DirectSound" or "WinMM" choice, both one device of
// ours that differ in trace and buffer size), starts snippets on channels, sets a channel's
// volume, balance, loop mode, rate and pause, feeds streaming channels once a frame and shuts
// down. Every channel operation runs under the sound lock (the mixer's, shared with the thread
// that renders) while the engine is started and holds its device; without a started engine
// the operations find no channel and do nothing. Volumes are 0..511, levels 0..255.
#include <cstdint>
#include <vector>

#include "engine/media/Snippet.h"
#include "platform/AudioMixer.h"

struct MemPool;
class OSoundProcess;

/// One sound channel: what plays on one mixer voice.
struct SoundChannel {
    int16_t volume = 0;         ///< 0..511
    int16_t left = 511;         ///< 0..255 once set by the balance; 511 after a reset
    int16_t right = 511;
    uint16_t bits = 8;          ///< of the playing snippet
    uint16_t channels = 1;      ///< 1 mono, 2 stereo
    uint16_t isFree = 1;        ///< no playing snippet
    uint16_t started = 0;
    uint16_t loopMode = 0;      ///< low byte 0..4, 0x4000 loops, 0x1000 snippet released while playing
    uint16_t index = 0;
    uint8_t paused = 0;         ///< last value given to xSound_SetPaused
    plat::AudioMixer::Voice voice = -1;
    void* data = nullptr;       ///< the playing snippet's data (a stream's buffer)
    const void* playAddress = nullptr;
    uint32_t size = 0;
    uint32_t sizeCopy = 0;
    xSnippet* snippet = nullptr; ///< not owned
    uint8_t streaming = 0;
    SnippetFill fill = nullptr;
    uintptr_t fillUser = 0;
};

inline constexpr uint16_t kChannelReleasedMark = 0x1000;

/// The engine's state, kept in the media module's record of the engine context.
struct CSoundState {
    uint8_t started = 0;
    uint8_t deviceHeld = 0;
    int16_t masterVolume = 511;
    int16_t channelCount = 0;
    SoundChannel* channels = nullptr; ///< one pool block of channelCount records
    plat::AudioFormat format;
    uint32_t outputRate = 22050;
    MemPool* pool = nullptr;
    int32_t snippets = 0; ///< snippet records alive
    /// The live sound processes, whose queues a released snippet leaves.
    std::vector<OSoundProcess*> processes;
};

/// The installed context's sound state.
CSoundState& xSound_State();

// ---- Start-up, shutdown and the device --------------------------------------------------------

/// Output buffer of the two output choices, in frames.
inline constexpr uint32_t kDirectSoundBufferFrames = 1024;
inline constexpr uint32_t kWinMmBufferFrames = 4096;

/// Starts the engine with `count` channels (`extra` is not read); flags: 1 WinMM output, 2 when
/// the first open fails only test the default device and fail. 0 when started (also when it
/// was already), -301 when started on the default device after the configured one failed;
/// -207 no memory for the channels, -400 no device, -300/-303 the flag-2 test, or the
/// device's error code. A failure leaves nothing behind.
int16_t xSound_Startup(int32_t count, uint32_t extra, uint32_t flags);
/// Ends every channel and closes the output; 0; nothing when not started.
int16_t xSound_Shutdown();
/// Gives the output device back (the application is switched out) and takes it again.
int16_t xSound_ReleaseDevice();
int16_t xSound_ReacquireDevice();
/// Started and holding the device: the state in which the sound lock is real.
bool xSound_IsThreaded();
bool xSound_Lock();
void xSound_Unlock();
int16_t xSound_GetMasterVolume();
/// Clamps to 0..511, stores it and gives the mixer half of it; answers the stored value.
int16_t xSound_SetMasterVolume(int32_t volume);

// ---- Channels ----------------------------------------------------------------------------------

/// Channel n, or null outside 0 .. count - 1 (or without a started engine).
SoundChannel* xSound_GetChannel(int32_t n);
void xSound_GetChannel(int32_t n, SoundChannel** out);
/// Starts the snippet on the channel; nothing unless started with the device held and given a
/// snippet with data (or a fill callback) and a channel.
void xSound_PlaySnippet(xSnippet* snippet, SoundChannel* channel);
/// `StopSnippetEx(null, channel)`.
int32_t StopSnippet(SoundChannel** channel);
/// Ends the channel's sound when it plays `filter` (any sound for null): 0; -1 for a null
/// handle. While the device is given back the caller's handle is cleared as well.
int32_t StopSnippetEx(const xSnippet* filter, SoundChannel** channel);
/// `StopSnippetEx` on every channel (the all-channels handle of the original calls); 0.
int32_t xSound_StopSnippetEverywhere(const xSnippet* filter);
/// `StopSnippet` on every channel, stopping at the first non-zero result, which it answers.
int32_t xSound_StopAll();
/// Ends the channel's sound and resets the record: volume 0, levels 511, free, no snippet.
void xSound_ResetChannel(SoundChannel* channel);
/// Clamps to 0..511 (the mixer gets min(volume / 2, 127)); the stored volume, -1 for null.
int16_t xSound_SetVolume(SoundChannel* channel, int32_t volume);
/// Clamps each level to 0..255 and applies the pan; the levels in force (left in the low
/// half, right in the high half), both -1 for null.
int32_t xSound_SetBalance(SoundChannel* channel, int32_t left, int32_t right);
/// Pan 127 - p, p = left x 127 / (left + right), 63 when both are 0.
void xSound_ApplyPan(SoundChannel* channel);
/// Stores the low byte when below 5, else 4, with the loop bit when asked and the mode is 1-4;
/// the stored mode, -1 for null.
int16_t xSound_SetLoopMode(SoundChannel* channel, int32_t mode);
/// Pauses (non-zero) or resumes the channel's sound.
void xSound_SetPaused(SoundChannel* channel, uint8_t flag);
/// 1 while the channel's sound plays or is paused (a streaming channel while busy); 0 while
/// not started or the device is given back.
uint8_t xSound_IsPlaying(const SoundChannel* channel);
void xSound_SetPlaybackRate(SoundChannel* channel, int32_t rate);
/// The rate; -1 without a channel or voice.
int32_t xSound_GetPlaybackRate(const SoundChannel* channel);
/// Fills the free half of every busy streaming channel through its fill callback.
void xSound_ServiceStreams();

// ---- Snippets ----------------------------------------------------------------------------------

/// Stores the low byte of `mode` when below 5, else 4, with the loop bit whenever asked; the
/// stored mode, -2 for null.
int16_t xSound_SetSnippetLoop(xSnippet* snippet, int32_t mode);
/// Clamps to 0..511 and stores it; -2 for null.
int16_t xSound_SetSnippetVolume(xSnippet* snippet, int32_t volume);
/// Ends every channel playing the snippet and marks it free; 0, -2 for null.
int16_t xSound_FreeSnippetChannels(xSnippet* snippet);
/// Ends every channel playing the snippet, drops it from the pipes' queues, frees it and
/// clears the caller's variable; 0, -2 for null.
int16_t xSound_ReleaseSnippet(xSnippet** snippet);

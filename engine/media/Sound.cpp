#include "engine/media/Sound.h"

#include <algorithm>
#include <new>

#include "engine/base/Trace.h"
#include "engine/data/Memory.h"
#include "engine/data/Profiles.h"
#include "engine/media/MediaState.h"
#include "engine/media/SoundProcess.h"
#include "platform/Platform.h"

namespace {

/// Started on the default device after the configured one failed.
constexpr int16_t kStartedOnFallback = -301;

plat::AudioMixer& Mixer() { return plat::audio().Mixer(); }

/// The sound lock for a scope: real only while the engine is started and holds its device.
class SoundLock {
public:
    SoundLock() : locked_(xSound_IsThreaded()) {
        if (locked_) Mixer().lock();
    }
    ~SoundLock() {
        if (locked_) Mixer().unlock();
    }
    SoundLock(const SoundLock&) = delete;
    SoundLock& operator=(const SoundLock&) = delete;

private:
    bool locked_;
};

/// The channel when it is a record of the current table; handles kept from an earlier start
/// (or never given out) are ignored.
SoundChannel* Checked(const SoundChannel* channel) {
    const CSoundState& s = xSound_State();
    if (channel == nullptr || s.channels == nullptr) return nullptr;
    if (channel < s.channels || channel >= s.channels + s.channelCount) return nullptr;
    return const_cast<SoundChannel*>(channel);
}

template <class F>
void ForEachChannel(F f) {
    CSoundState& s = xSound_State();
    for (int16_t i = 0; i < s.channelCount; ++i) f(s.channels[i]);
}

/// Ends the channel's voice and clears what it played.
void EndChannel(SoundChannel& ch) {
    Mixer().End(ch.voice);
    ch.isFree = 1;
    ch.started = 0;
    ch.streaming = 0;
    ch.fill = nullptr;
    ch.fillUser = 0;
    ch.snippet = nullptr;
    ch.data = nullptr;
    ch.playAddress = nullptr;
    ch.size = 0;
    ch.sizeCopy = 0;
}

bool Plays(const SoundChannel& ch, const xSnippet* snippet) {
    return ch.snippet == snippet || (snippet->data != nullptr && ch.data == snippet->data) ||
           (snippet->streamBuffer != nullptr && ch.data == snippet->streamBuffer);
}

int32_t LibraryVolume(int32_t volume) { return std::min(volume / 2, 127); }

void FreeTable() {
    CSoundState& s = xSound_State();
    PoolFreeBlock(s.channels);
    s.channels = nullptr;
    s.channelCount = 0;
}

/// Clears both flags and forgets the table: what a failed start leaves.
int16_t FailStartup(int16_t code) {
    CSoundState& s = xSound_State();
    FreeTable();
    s.started = 0;
    s.deviceHeld = 0;
    return code;
}

bool IsNt4OrOlder() {
    const plat::VersionInfo v = plat::system().Version();
    return v.platformId == 2 && v.major < 5;
}

} // namespace

CSoundState& xSound_State() { return xMedia_State().sound; }

// ---- Start-up, shutdown and the device --------------------------------------------------------

int16_t xSound_Startup(int32_t count, uint32_t /*extra*/, uint32_t flags) {
    CSoundState& s = xSound_State();
    if (s.started || s.deviceHeld) {
        if (s.started && !s.deviceHeld) plat::audio().SetDeviceHeld(true);
        s.started = 1;
        s.deviceHeld = 1;
        return 0;
    }
    s.pool = PoolForThread();
    plat::Audio& audio = plat::audio();

    const int32_t channels = std::clamp<int32_t>(count, 0, INT16_MAX);
    if (channels > 0) {
        void* block = PoolAllocBlock(s.pool, sizeof(SoundChannel) * size_t(channels), BLOCK_ZEROINIT);
        if (block == nullptr) return FailStartup(-207);
        s.channels = static_cast<SoundChannel*>(block);
        for (int32_t i = 0; i < channels; ++i) {
            new (&s.channels[i]) SoundChannel;
            s.channels[i].index = uint16_t(i);
        }
    }
    const ProfileValues& values = xProfiles_Values();
    s.format.channels = uint16_t(values.numChannels);
    s.format.bits = uint16_t(values.sampleSize);
    s.format.rate = s.outputRate;
    s.masterVolume = 511;
    s.channelCount = int16_t(channels);

    if (audio.DeviceCount() == 0) return FailStartup(-400);
    if (values.directSound) {
        xProfiles_Set("DIRECTSOUND", boolean(audio.HasHardwareDevice() ? 1 : 0));
    }
    uint32_t buffer = kDirectSoundBufferFrames;
    if (IsNt4OrOlder() || (flags & 1) != 0 || !xProfiles_Values().directSound) {
        xTrace("*** Sound engine - Using WinMM\n");
        buffer = kWinMmBufferFrames;
    } else {
        xTrace("*** Sound engine - Using DirectSound\n");
    }
    int16_t result = 0;
    if (audio.Open(s.format, plat::AudioOutput::kConfiguredDevice, buffer) != 0) {
        const int code = audio.Open(s.format, plat::AudioOutput::kDefaultDevice, kWinMmBufferFrames);
        if ((flags & 2) != 0) {
            audio.Close();
            return FailStartup(code == 0 ? -300 : -303);
        }
        if (code != 0) return FailStartup(int16_t(code));
        result = kStartedOnFallback;
    }
    plat::AudioMixer& mixer = audio.Mixer();
    mixer.SetMaster(s.masterVolume / 2);
    ForEachChannel([&](SoundChannel& ch) {
        ch.voice = mixer.AllocVoice();
        mixer.InitVoice(ch.voice);
        mixer.SetRate(ch.voice, s.outputRate);
    });
    s.started = 1;
    s.deviceHeld = 1;
    return result;
}

int16_t xSound_Shutdown() {
    CSoundState& s = xSound_State();
    if (!s.started) return 0;
    xSound_StopAll();
    plat::Audio& audio = plat::audio();
    ForEachChannel([&](SoundChannel& ch) {
        audio.Mixer().ReleaseVoice(ch.voice);
        ch.voice = -1;
    });
    audio.Close();
    ForEachChannel([](SoundChannel& ch) { xSound_ResetChannel(&ch); });
    FreeTable();
    s.started = 0;
    s.deviceHeld = 0;
    return 0;
}

int16_t xSound_ReleaseDevice() {
    CSoundState& s = xSound_State();
    if (s.started) plat::audio().SetDeviceHeld(false);
    s.deviceHeld = 0;
    return 0;
}

int16_t xSound_ReacquireDevice() {
    CSoundState& s = xSound_State();
    s.deviceHeld = 1;
    if (s.started) plat::audio().SetDeviceHeld(true);
    return 0;
}

bool xSound_IsThreaded() {
    const CSoundState& s = xSound_State();
    return s.started == 1 && s.deviceHeld == 1;
}

bool xSound_Lock() {
    if (xSound_IsThreaded()) Mixer().lock();
    return true;
}

void xSound_Unlock() {
    if (xSound_IsThreaded()) Mixer().unlock();
}

int16_t xSound_GetMasterVolume() { return xSound_State().masterVolume; }

int16_t xSound_SetMasterVolume(int32_t volume) {
    CSoundState& s = xSound_State();
    s.masterVolume = int16_t(std::clamp(volume, 0, 511));
    Mixer().SetMaster(s.masterVolume / 2);
    return s.masterVolume;
}

// ---- Channels ----------------------------------------------------------------------------------

SoundChannel* xSound_GetChannel(int32_t n) {
    CSoundState& s = xSound_State();
    if (s.channels == nullptr || n < 0 || n >= s.channelCount) return nullptr;
    return &s.channels[n];
}

void xSound_GetChannel(int32_t n, SoundChannel** out) {
    if (out != nullptr) *out = xSound_GetChannel(n);
}

void xSound_PlaySnippet(xSnippet* snippet, SoundChannel* channel) {
    SoundChannel* ch = Checked(channel);
    if (!xSound_IsThreaded() || snippet == nullptr || ch == nullptr) return;
    if (snippet->data == nullptr && snippet->fill == nullptr) return;
    SoundLock lock;
    plat::AudioMixer& mixer = Mixer();
    mixer.End(ch->voice);
    ch->isFree = 1;
    const bool known = snippet->kind >= 0 && snippet->kind <= 2;
    ch->volume = known ? snippet->volume : 511;
    ch->left = known ? snippet->left : 511;
    ch->right = known ? snippet->right : 511;
    ch->snippet = snippet;
    ch->streaming = snippet->streaming;
    if (snippet->streaming) {
        ch->data = snippet->streamBuffer;
        ch->size = snippet->streamSize;
        ch->playAddress = nullptr;
    } else {
        ch->data = snippet->data;
        ch->size = snippet->size;
        ch->playAddress = snippet->data;
    }
    ch->sizeCopy = snippet->size;
    const bool format = snippet->rate != 0;
    ch->bits = format ? snippet->bits : 8;
    ch->channels = format && snippet->mono != 1 ? 2 : 1;
    ch->loopMode = snippet->loopMode;

    mixer.InitVoice(ch->voice);
    switch (snippet->kind) {
    case 0: {
        mixer.SetRate(ch->voice, xSound_State().outputRate);
        const auto type = plat::PcmType((ch->channels == 2 ? 2 : 0) + (ch->bits == 16 ? 1 : 0));
        mixer.SetPcm(ch->voice, type, snippet->streaming ? nullptr : snippet->data, snippet->streaming ? 0 : snippet->size);
        break;
    }
    case 1: mixer.SetWave(ch->voice, snippet->data, snippet->size); break;
    case 2:
        if (!mixer.SetMp3(ch->voice, snippet->data, snippet->size)) xTrace("Failed to set up MP3 snippet\n");
        break;
    default: break; // a kind we do not play starts without data
    }
    if (!snippet->streaming && (ch->loopMode & kSnippetLoopBit) != 0) mixer.SetLoopCount(ch->voice, 0);
    xSound_ApplyPan(ch);
    mixer.SetVolume(ch->voice, LibraryVolume(ch->volume));
    if (!snippet->streaming) mixer.Start(ch->voice);
    xSound_ApplyPan(ch);
    ch->isFree = 0;
    ch->started = 1;
    if (snippet->streaming) {
        ch->fill = snippet->fill;
        ch->fillUser = snippet->fillUser;
        if (snippet->service != nullptr) snippet->service(snippet);
        xSound_ServiceStreams();
    }
}

int32_t StopSnippet(SoundChannel** channel) { return StopSnippetEx(nullptr, channel); }

int32_t StopSnippetEx(const xSnippet* filter, SoundChannel** channel) {
    if (channel == nullptr || *channel == nullptr) return -1;
    SoundChannel* ch = Checked(*channel);
    if (ch == nullptr) return 0;
    SoundLock lock;
    // A stop while the device is given back ends the voice too, so that it cannot go on after
    // the device comes back with memory freed meanwhile.
    if (filter == nullptr || ch->snippet == filter) EndChannel(*ch);
    if (!xSound_IsThreaded()) *channel = nullptr;
    return 0;
}

int32_t xSound_StopSnippetEverywhere(const xSnippet* filter) {
    SoundLock lock;
    ForEachChannel([&](SoundChannel& ch) {
        if (filter == nullptr || ch.snippet == filter) EndChannel(ch);
    });
    return 0;
}

int32_t xSound_StopAll() {
    if (!xSound_State().started) return 0;
    SoundLock lock;
    int32_t result = 0;
    CSoundState& s = xSound_State();
    for (int16_t i = 0; i < s.channelCount && result == 0; ++i) {
        SoundChannel* handle = &s.channels[i];
        result = StopSnippet(&handle);
    }
    return result;
}

void xSound_ResetChannel(SoundChannel* channel) {
    SoundChannel* ch = Checked(channel);
    if (ch == nullptr) return;
    SoundLock lock;
    EndChannel(*ch);
    ch->volume = 0;
    ch->left = 511;
    ch->right = 511;
    ch->loopMode = 0;
}

int16_t xSound_SetVolume(SoundChannel* channel, int32_t volume) {
    SoundChannel* ch = Checked(channel);
    if (ch == nullptr) return -1;
    SoundLock lock;
    const int16_t v = int16_t(std::clamp(volume, 0, 511));
    if (v != ch->volume) {
        ch->volume = v;
        xSound_ApplyPan(ch);
    }
    Mixer().SetVolume(ch->voice, LibraryVolume(v));
    return ch->volume;
}

int32_t xSound_SetBalance(SoundChannel* channel, int32_t left, int32_t right) {
    SoundChannel* ch = Checked(channel);
    if (ch == nullptr) return -1;
    SoundLock lock;
    if (left != ch->left || right != ch->right) {
        ch->left = int16_t(std::clamp(left, 0, 255));
        ch->right = int16_t(std::clamp(right, 0, 255));
        xSound_ApplyPan(ch);
    }
    return int32_t(uint32_t(uint16_t(ch->left)) | uint32_t(uint16_t(ch->right)) << 16);
}

void xSound_ApplyPan(SoundChannel* channel) {
    SoundChannel* ch = Checked(channel);
    if (ch == nullptr) return;
    const int32_t sum = ch->left + ch->right;
    const int32_t p = sum == 0 ? 63 : ch->left * 127 / sum;
    Mixer().SetPan(ch->voice, 127 - p);
}

int16_t xSound_SetLoopMode(SoundChannel* channel, int32_t mode) {
    SoundChannel* ch = Checked(channel);
    if (ch == nullptr) return -1;
    SoundLock lock;
    if (mode != ch->loopMode) {
        const uint16_t low = uint16_t(mode & 0xFF) < 5 ? uint16_t(mode & 0xFF) : 4;
        const bool loop = (mode & kSnippetLoopBit) != 0 && low >= 1;
        ch->loopMode = uint16_t(low | (loop ? kSnippetLoopBit : 0));
    }
    return int16_t(ch->loopMode);
}

void xSound_SetPaused(SoundChannel* channel, uint8_t flag) {
    SoundChannel* ch = Checked(channel);
    if (ch == nullptr) return;
    SoundLock lock;
    ch->paused = flag;
    if (flag != 0) {
        Mixer().Stop(ch->voice);
    } else {
        Mixer().Resume(ch->voice);
    }
}

uint8_t xSound_IsPlaying(const SoundChannel* channel) {
    const SoundChannel* ch = Checked(channel);
    if (!xSound_IsThreaded() || ch == nullptr || ch->voice < 0) return 0;
    SoundLock lock;
    const int status = Mixer().Status(ch->voice);
    // A streaming channel plays while it is busy, whatever its voice says.
    const bool playing = status == plat::kVoicePlaying || status == plat::kVoiceStopped;
    return playing || (ch->streaming && !ch->isFree) ? 1 : 0;
}

void xSound_SetPlaybackRate(SoundChannel* channel, int32_t rate) {
    SoundChannel* ch = Checked(channel);
    if (ch == nullptr) return;
    SoundLock lock;
    Mixer().SetRate(ch->voice, uint32_t(std::max(rate, 0)));
}

int32_t xSound_GetPlaybackRate(const SoundChannel* channel) {
    const SoundChannel* ch = Checked(channel);
    if (ch == nullptr || ch->voice < 0) return -1;
    SoundLock lock;
    return int32_t(Mixer().Rate(ch->voice));
}

void xSound_ServiceStreams() {
    if (!xSound_IsThreaded()) return;
    SoundLock lock;
    plat::AudioMixer& mixer = Mixer();
    ForEachChannel([&](SoundChannel& ch) {
        if (!ch.streaming || ch.isFree || ch.fill == nullptr || ch.data == nullptr) return;
        const int half = mixer.BufferReady(ch.voice);
        if (half < 0) return;
        const uint32_t halfBytes = ch.size / 2;
        uint8_t* buffer = static_cast<uint8_t*>(ch.data) + size_t(half) * halfBytes;
        uint32_t filled = 0;
        if (ch.fill(buffer, halfBytes, ch.fillUser, &filled) != 0) {
            mixer.LoadBuffer(ch.voice, half, buffer, std::min(filled, halfBytes));
        }
    });
}

// ---- Snippets ----------------------------------------------------------------------------------

int16_t xSound_SetSnippetLoop(xSnippet* snippet, int32_t mode) {
    if (snippet == nullptr) return -2;
    SoundLock lock;
    if (mode != snippet->loopMode) {
        const uint16_t low = uint16_t(mode & 0xFF) < 5 ? uint16_t(mode & 0xFF) : 4;
        snippet->loopMode = uint16_t(low | (mode & kSnippetLoopBit));
    }
    return int16_t(snippet->loopMode);
}

int16_t xSound_SetSnippetVolume(xSnippet* snippet, int32_t volume) {
    if (snippet == nullptr) return -2;
    SoundLock lock;
    snippet->volume = int16_t(std::clamp(volume, 0, 511));
    return snippet->volume;
}

int16_t xSound_FreeSnippetChannels(xSnippet* snippet) {
    if (snippet == nullptr) return -2;
    SoundLock lock;
    ForEachChannel([&](SoundChannel& ch) {
        if (!Plays(ch, snippet)) return;
        // The voice ends here: the snippet's memory may be freed once this returns.
        Mixer().End(ch.voice);
        ch.isFree = 1;
        ch.started = 0;
        if ((ch.loopMode & kChannelReleasedMark) != 0) {
            ch.data = nullptr;
            ch.loopMode = uint16_t(ch.loopMode & ~kChannelReleasedMark);
        }
    });
    return 0;
}

int16_t xSound_ReleaseSnippet(xSnippet** snippet) {
    if (snippet == nullptr || *snippet == nullptr) return -2;
    xSnippet* s = *snippet;
    {
        SoundLock lock;
        ForEachChannel([&](SoundChannel& ch) {
            if (ch.isFree) {
                xSound_ResetChannel(&ch);
            } else if (Plays(ch, s)) {
                Mixer().End(ch.voice);
                ch.isFree = 1;
                ch.started = 0;
                ch.loopMode = uint16_t(ch.loopMode | kChannelReleasedMark);
                ch.snippet = nullptr;
                ch.fill = nullptr;
                ch.sizeCopy = 0;
                ch.playAddress = nullptr;
            }
        });
        for (OSoundProcess* process : xSound_State().processes) process->ForgetSnippet(s);
    }
    xSnippet_Free(s);
    *snippet = nullptr;
    return 0;
}

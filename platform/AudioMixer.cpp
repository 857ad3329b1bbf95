#include "platform/AudioMixer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/AudioOutput.h"
#include "platform/Mp3Decoder.h"
#include "platform/WaveImage.h"

static_assert(std::endian::native == std::endian::little, "16-bit samples are read in place as little-endian");

namespace plat {

namespace {

constexpr uint64_t kUnity = 65536; // one source frame in 16.16

int32_t PanLeft(int32_t pan) { return pan <= 64 ? 32768 : (127 - pan) * 32768 / 63; }
int32_t PanRight(int32_t pan) { return pan >= 64 ? 32768 : pan * 512; }

uint64_t StepOf(uint32_t rate) { return uint64_t(std::max<uint32_t>(rate, 1)) * kUnity / AudioMixer::kOutputRate; }

/// Sample c of frame i of a source of Channels channels and Bits bits.
template <int Channels, int Bits>
inline int32_t SampleAt(const uint8_t* data, uint64_t i, int c) {
    if constexpr (Bits == 8) {
        return (int32_t(data[i * Channels + uint64_t(c)]) - 128) * 256;
    } else {
        int16_t s;
        std::memcpy(&s, data + 2 * (i * Channels + uint64_t(c)), 2);
        return s;
    }
}

/// Adds `frames` output frames of a source to the sums, moving the position by `step` per
/// frame. The caller guarantees that every frame read lies before the source's end.
template <int Channels, int Bits>
void MixRun(const uint8_t* data, uint32_t sourceFrames, uint64_t& position, uint64_t step, int32_t gainLeft,
            int32_t gainRight, int32_t* sums, uint32_t frames) {
    const int right = Channels == 2 ? 1 : 0;
    if (step == kUnity && (position & 0xFFFF) == 0) {
        const uint64_t first = position >> 16;
        for (uint32_t n = 0; n < frames; ++n) {
            sums[2 * n] += (SampleAt<Channels, Bits>(data, first + n, 0) * gainLeft) >> 15;
            sums[2 * n + 1] += (SampleAt<Channels, Bits>(data, first + n, right) * gainRight) >> 15;
        }
        position += uint64_t(frames) * kUnity;
        return;
    }
    const uint64_t last = sourceFrames - 1;
    for (uint32_t n = 0; n < frames; ++n) {
        const uint64_t i = position >> 16;
        const int64_t f = int64_t(position & 0xFFFF);
        const uint64_t next = i < last ? i + 1 : i;
        for (int c = 0; c < 2; ++c) {
            const int ch = c == 0 ? 0 : right;
            const int32_t s0 = SampleAt<Channels, Bits>(data, i, ch);
            const int32_t s1 = SampleAt<Channels, Bits>(data, next, ch);
            const int32_t s = s0 + int32_t((int64_t(s1 - s0) * f) >> 16);
            sums[2 * n + uint32_t(c)] += (s * (c == 0 ? gainLeft : gainRight)) >> 15;
        }
        position += step;
    }
}

using RunFunc = void (*)(const uint8_t*, uint32_t, uint64_t&, uint64_t, int32_t, int32_t, int32_t*, uint32_t);

RunFunc RunFor(uint16_t channels, uint16_t bits) {
    if (channels == 2) return bits == 16 ? MixRun<2, 16> : MixRun<2, 8>;
    return bits == 16 ? MixRun<1, 16> : MixRun<1, 8>;
}

} // namespace

class AudioMixer::Scope {
public:
    explicit Scope(AudioMixer& mixer) : lock_(mixer.mutex_) {
        if (mixer.pump_ != nullptr && !mixer.pumping_) {
            mixer.pumping_ = true;
            mixer.pump_->Pump();
            mixer.pumping_ = false;
        }
    }

private:
    std::lock_guard<std::recursive_mutex> lock_;
};

AudioMixer::AudioMixer() = default;
AudioMixer::~AudioMixer() = default;

void AudioMixer::SetOutputFormat(const AudioFormat& format) {
    std::lock_guard lock(mutex_);
    format_ = format;
}

AudioFormat AudioMixer::OutputFormat() {
    std::lock_guard lock(mutex_);
    return format_;
}

void AudioMixer::SetPump(AudioOutput* output) {
    std::lock_guard lock(mutex_);
    pump_ = output;
}

AudioMixer::VoiceState* AudioMixer::Find(Voice v) {
    if (v < 0 || size_t(v) >= voices_.size() || !voices_[size_t(v)].inUse) return nullptr;
    return &voices_[size_t(v)];
}

void AudioMixer::ResetVoice(VoiceState& voice) {
    voice = VoiceState{};
    voice.inUse = true;
}

AudioMixer::Voice AudioMixer::AllocVoice() {
    Scope scope(*this);
    for (size_t i = 0; i < voices_.size(); ++i) {
        if (!voices_[i].inUse) {
            ResetVoice(voices_[i]);
            return Voice(i);
        }
    }
    try {
        voices_.emplace_back();
    } catch (const std::bad_alloc&) {
        return -1;
    }
    ResetVoice(voices_.back());
    return Voice(voices_.size() - 1);
}

void AudioMixer::ReleaseVoice(Voice v) {
    Scope scope(*this);
    if (VoiceState* voice = Find(v)) *voice = VoiceState{};
}

void AudioMixer::InitVoice(Voice v) {
    Scope scope(*this);
    if (VoiceState* voice = Find(v)) ResetVoice(*voice);
}

void AudioMixer::SetPcm(Voice v, PcmType type, const void* data, uint32_t bytes) {
    Scope scope(*this);
    VoiceState* voice = Find(v);
    if (voice == nullptr) return;
    const int t = int(type) & 3;
    voice->decoded.clear();
    voice->source = Source{};
    voice->source.channels = t >= 2 ? 2 : 1;
    voice->source.bits = (t & 1) != 0 ? 16 : 8;
    voice->stream = data == nullptr;
    if (!voice->stream) {
        voice->source.data = static_cast<const uint8_t*>(data);
        voice->source.frames = bytes / voice->source.FrameBytes();
    }
}

bool AudioMixer::SetWave(Voice v, const void* image, uint32_t bytes) {
    Scope scope(*this);
    VoiceState* voice = Find(v);
    if (voice == nullptr) return false;
    voice->decoded.clear();
    voice->source = Source{};
    voice->stream = false;
    const auto wave = ReadWaveImage({static_cast<const uint8_t*>(image), image ? bytes : 0});
    if (!wave) return false;
    voice->source = {wave->samples.data(), uint32_t(wave->samples.size() / wave->FrameBytes()), wave->channels, wave->bits};
    voice->rate = wave->rate;
    return true;
}

bool AudioMixer::SetMp3(Voice v, const void* image, uint32_t bytes) {
    Scope scope(*this);
    VoiceState* voice = Find(v);
    if (voice == nullptr) return false;
    voice->decoded.clear();
    voice->source = Source{};
    voice->stream = false;
    auto sound = DecodeMp3({static_cast<const uint8_t*>(image), image ? bytes : 0});
    if (!sound) return false;
    voice->decoded = std::move(sound->samples);
    voice->source = {reinterpret_cast<const uint8_t*>(voice->decoded.data()),
                     uint32_t(voice->decoded.size() / sound->channels), sound->channels, 16};
    voice->rate = sound->rate;
    return true;
}

void AudioMixer::SetLoopCount(Voice v, uint32_t count) {
    Scope scope(*this);
    if (VoiceState* voice = Find(v)) voice->loopCount = count;
}

void AudioMixer::SetVolume(Voice v, int32_t volume) {
    Scope scope(*this);
    if (VoiceState* voice = Find(v)) voice->volume = std::clamp(volume, 0, 127);
}

void AudioMixer::SetPan(Voice v, int32_t pan) {
    Scope scope(*this);
    if (VoiceState* voice = Find(v)) voice->pan = std::clamp(pan, 0, 127);
}

void AudioMixer::SetRate(Voice v, uint32_t rate) {
    Scope scope(*this);
    if (VoiceState* voice = Find(v)) voice->rate = rate;
}

int32_t AudioMixer::Volume(Voice v) {
    Scope scope(*this);
    const VoiceState* voice = Find(v);
    return voice ? voice->volume : 0;
}

int32_t AudioMixer::Pan(Voice v) {
    Scope scope(*this);
    const VoiceState* voice = Find(v);
    return voice ? voice->pan : 0;
}

uint32_t AudioMixer::Rate(Voice v) {
    Scope scope(*this);
    const VoiceState* voice = Find(v);
    return voice ? voice->rate : 0;
}

void AudioMixer::Start(Voice v) {
    Scope scope(*this);
    VoiceState* voice = Find(v);
    if (voice == nullptr) return;
    voice->position = 0;
    voice->loopsDone = 0;
    // A voice without a source has nothing to play (a stream starts when loaded).
    voice->status = voice->source.frames != 0 || voice->stream ? kVoicePlaying : kVoiceDone;
}

void AudioMixer::Stop(Voice v) {
    Scope scope(*this);
    VoiceState* voice = Find(v);
    if (voice != nullptr && voice->status == kVoicePlaying) voice->status = kVoiceStopped;
}

void AudioMixer::Resume(Voice v) {
    Scope scope(*this);
    VoiceState* voice = Find(v);
    if (voice != nullptr && voice->status == kVoiceStopped) voice->status = kVoicePlaying;
}

void AudioMixer::End(Voice v) {
    Scope scope(*this);
    VoiceState* voice = Find(v);
    if (voice == nullptr) return;
    voice->status = kVoiceDone;
    voice->position = 0;
    voice->halves[0] = voice->halves[1] = Half{};
    voice->playHalf = voice->fillHalf = 0;
    voice->streamLoaded = false;
    if (voice->stream) voice->source.data = nullptr;
}

int AudioMixer::Status(Voice v) {
    Scope scope(*this);
    const VoiceState* voice = Find(v);
    return voice ? voice->status : kVoiceDone;
}

uint32_t AudioMixer::Position(Voice v) {
    Scope scope(*this);
    const VoiceState* voice = Find(v);
    if (voice == nullptr) return 0;
    return uint32_t((voice->position >> 16) * voice->source.FrameBytes());
}

int AudioMixer::BufferReady(Voice v) {
    Scope scope(*this);
    const VoiceState* voice = Find(v);
    if (voice == nullptr || !voice->stream || voice->halves[voice->fillHalf].queued) return -1;
    return voice->fillHalf;
}

void AudioMixer::LoadBuffer(Voice v, int half, const void* data, uint32_t bytes) {
    Scope scope(*this);
    VoiceState* voice = Find(v);
    if (voice == nullptr || !voice->stream || (half != 0 && half != 1)) return;
    voice->halves[half] = {static_cast<const uint8_t*>(data), data ? bytes : 0, true};
    voice->fillHalf = half ^ 1;
    if (voice->status == kVoiceDone) {
        voice->status = kVoicePlaying;
        voice->position = 0;
    }
}

void AudioMixer::SetMaster(int32_t master) {
    Scope scope(*this);
    master_ = std::clamp(master, 0, 255);
}

int32_t AudioMixer::Master() {
    Scope scope(*this);
    return master_;
}

bool AudioMixer::PassEnd(VoiceState& voice) {
    const uint64_t length = uint64_t(voice.source.frames) << 16;
    if (voice.stream) {
        voice.halves[voice.playHalf].queued = false;
        voice.playHalf ^= 1;
        voice.streamLoaded = false;
        voice.position = length == 0 ? 0 : voice.position - length;
        return true;
    }
    if (length == 0) {
        voice.status = kVoiceDone;
        voice.position = 0;
        return false;
    }
    const uint64_t wraps = voice.position / length;
    if (voice.loopCount != 0) {
        voice.loopsDone += uint32_t(std::min<uint64_t>(wraps, voice.loopCount));
        if (voice.loopsDone >= voice.loopCount) {
            voice.status = kVoiceDone;
            voice.position = 0;
            return false;
        }
    }
    voice.position %= length;
    return true;
}

void AudioMixer::MixVoice(VoiceState& voice, int32_t* sums, uint32_t frames) {
    const int32_t master = std::min(master_, 127);
    const int32_t gainLeft = voice.volume * master * PanLeft(voice.pan) / 16129;
    const int32_t gainRight = voice.volume * master * PanRight(voice.pan) / 16129;
    const uint64_t step = StepOf(voice.rate);
    uint32_t done = 0;
    while (voice.status == kVoicePlaying) {
        if (voice.stream && !voice.streamLoaded) {
            const Half& half = voice.halves[voice.playHalf];
            if (!half.queued) return; // starved: silence until the next half comes
            voice.source.data = half.data;
            voice.source.frames = half.bytes / voice.source.FrameBytes();
            voice.streamLoaded = true;
        }
        // The end is passed as soon as it is reached, so that the status is right between
        // renders.
        const uint64_t end = uint64_t(voice.source.frames) << 16;
        if (voice.position >= end) {
            if (!PassEnd(voice)) return;
            continue;
        }
        if (done == frames) return;
        const uint64_t left = (end - voice.position + step - 1) / step;
        const uint32_t n = uint32_t(std::min<uint64_t>(frames - done, left));
        RunFor(voice.source.channels, voice.source.bits)(voice.source.data, voice.source.frames, voice.position, step,
                                                         gainLeft, gainRight, sums + 2 * done, n);
        done += n;
    }
}

void AudioMixer::Render(void* out, uint32_t frames) {
    std::lock_guard lock(mutex_);
    sums_.assign(size_t(frames) * 2, 0);
    for (VoiceState& voice : voices_) {
        if (voice.inUse && voice.status == kVoicePlaying) MixVoice(voice, sums_.data(), frames);
    }
    const uint32_t channels = format_.channels == 2 ? 2 : 1;
    if (channels == 1) {
        for (uint32_t n = 0; n < frames; ++n) sums_[n] = (sums_[2 * n] + sums_[2 * n + 1]) >> 1;
    }
    limiter_.Apply(sums_.data(), frames, channels);
    const size_t count = size_t(frames) * channels;
    if (format_.bits == 16) {
        auto* out16 = static_cast<int16_t*>(out);
        for (size_t i = 0; i < count; ++i) out16[i] = int16_t(sums_[i]);
    } else {
        auto* out8 = static_cast<uint8_t*>(out);
        for (size_t i = 0; i < count; ++i) out8[i] = uint8_t((sums_[i] >> 8) + 128);
    }
}

} // namespace plat

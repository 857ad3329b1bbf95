#pragma once
// Our own mixer of voices: the stand-in for the sound library's sample handles.
//
// The laws of the mix, one arithmetic for every voice and output (tests model them exactly):
// - Source samples: 8-bit samples are unsigned (128 is silence) and widen to (u - 128) x 256;
//   16-bit samples are signed little-endian. Stereo sources interleave left and right.
// - Rate: a voice starts at source frame 0 and moves step = rate x 65536 / 22050 (truncated;
//   a rate below 1 counts as 1) in 16.16 fixed point per output frame. Between source frames
//   i and i + 1 at fraction f (16 bits) the sample is s(i) + ((s(i+1) - s(i)) x f) >> 16,
//   where s(i+1) is s(i) at the last frame of a source (no blending across its end).
// - Gains are Q15 (32768 is unity). Volume v 0..127, master m 0..255 (127 and above are full),
//   pan p 0..127 (0 left, 64 centre, 127 right):
//     panLeft = p <= 64 ? 32768 : (127 - p) x 32768 / 63     panRight = p >= 64 ? 32768 : p x 512
//     gainLeft = v x min(m, 127) x panLeft / 16129            (likewise right; truncated)
//   A mono source feeds both sides; a stereo source its left samples left and right right.
//   A voice adds (sample x gain) >> 15 (arithmetic shift) to 32-bit sums per side.
// - Output: stereo takes each side's sum, mono (left + right) >> 1; the limiter of MixLimiter.h
//   then keeps them within +-MixLimiter::kCeiling, so no sample reaches full scale. The mix
//   comes out unchanged only while it has not passed the ceiling within the limiter's release
//   (up to half a second): after a peak, samples inside the ceiling come out quieter too
//   until the gain is back at unity. 8-bit output is (limited >> 8) + 128.
// - Loop count n: 1 plays once (the default), 0 loops endlessly, n > 1 plays n times. At the
//   end of the source the position wraps by whole source lengths and keeps its fraction.
// - Status: done (2) until started and after the end, playing (4), stopped (8): Stop pauses
//   and keeps the position, Resume goes on from it, End forgets it. Starting a voice without
//   a source (nor a stream) leaves it done.
// - Position: the bytes of the source behind the current frame (whole frames x frame bytes);
//   for MP3 sources, bytes of the decoded 16-bit samples.
// - Streams: a voice set to raw PCM without data plays the buffers loaded into its two halves,
//   in turn; `BufferReady` names the half to fill next while it is empty (-1 otherwise), and a
//   half is empty again once played. Loading a buffer starts a voice that is done. A stream
//   whose next half is not loaded yet plays silence and stays playing.
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/MixLimiter.h"

namespace plat {

class AudioOutput;

/// The wave format of the output: 22050 frames per second, 1 or 2 channels of 8 or 16 bits.
struct AudioFormat {
    uint16_t channels = 2;
    uint16_t bits = 16;
    uint32_t rate = 22050;

    uint32_t FrameBytes() const { return uint32_t(channels) * bits / 8; }
};

/// Raw PCM sample types, numbered as the sound library numbers them.
enum class PcmType : int { Mono8 = 0, Mono16 = 1, Stereo8 = 2, Stereo16 = 3 };

/// Voice states, numbered as the sound library reports them.
inline constexpr int kVoiceDone = 2;
inline constexpr int kVoicePlaying = 4;
inline constexpr int kVoiceStopped = 8;

class AudioMixer {
public:
    using Voice = int32_t; ///< a voice handle; -1 is none
    static constexpr uint32_t kOutputRate = 22050;

    AudioMixer();
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    /// The sound lock: recursive, shared with the thread that renders.
    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }

    /// The format `Render` writes.
    void SetOutputFormat(const AudioFormat& format);
    AudioFormat OutputFormat();
    /// An output that renders on demand: every operation below first lets it render what is
    /// due (null: none).
    void SetPump(AudioOutput* output);

    /// A new voice in its initial state, or -1 when no memory is left.
    Voice AllocVoice();
    /// Ends the voice and forgets it; unknown handles are ignored, as everywhere below.
    void ReleaseVoice(Voice v);
    /// Back to the initial state: done, no source, volume 127, pan 64, loop count 1, rate 22050.
    void InitVoice(Voice v);
    /// Raw PCM read in place (the memory must outlive the voice's use of it: end the voice
    /// before freeing it); null data makes the voice a stream of that type.
    void SetPcm(Voice v, PcmType type, const void* data, uint32_t bytes);
    /// A RIFF/WAVE image read in place; its rate becomes the voice's. False (no source) for an
    /// image that is not one we play.
    bool SetWave(Voice v, const void* image, uint32_t bytes);
    /// An MP3 image decoded now into the voice's own samples; its rate becomes the voice's.
    /// False (no source) when not one frame decodes.
    bool SetMp3(Voice v, const void* image, uint32_t bytes);

    void SetLoopCount(Voice v, uint32_t count);
    void SetVolume(Voice v, int32_t volume);
    void SetPan(Voice v, int32_t pan);
    void SetRate(Voice v, uint32_t rate);
    int32_t Volume(Voice v);
    int32_t Pan(Voice v);
    uint32_t Rate(Voice v); ///< 0 for an unknown voice

    void Start(Voice v);
    void Stop(Voice v);
    void Resume(Voice v);
    void End(Voice v);
    int Status(Voice v); ///< kVoiceDone for an unknown voice
    uint32_t Position(Voice v);

    int BufferReady(Voice v);
    void LoadBuffer(Voice v, int half, const void* data, uint32_t bytes);

    void SetMaster(int32_t master);
    int32_t Master();

    /// Mixes `frames` output frames into `out` in the output format; from any thread.
    void Render(void* out, uint32_t frames);

private:
    struct Source {
        const uint8_t* data = nullptr;
        uint32_t frames = 0;
        uint16_t channels = 1;
        uint16_t bits = 8;
        uint32_t FrameBytes() const { return uint32_t(channels) * bits / 8; }
    };
    struct Half {
        const uint8_t* data = nullptr;
        uint32_t bytes = 0;
        bool queued = false;
    };
    struct VoiceState {
        bool inUse = false;
        int status = kVoiceDone;
        Source source;
        std::vector<int16_t> decoded; ///< an MP3 source's samples
        bool stream = false;
        bool streamLoaded = false; ///< the playing half is the source
        Half halves[2];
        int playHalf = 0;
        int fillHalf = 0;
        uint64_t position = 0; ///< 16.16 source frames
        uint32_t rate = kOutputRate;
        uint32_t loopCount = 1;
        uint32_t loopsDone = 0;
        int32_t volume = 127;
        int32_t pan = 64;
    };
    /// The lock held with the pump run first.
    class Scope;

    VoiceState* Find(Voice v);
    void ResetVoice(VoiceState& voice);
    void MixVoice(VoiceState& voice, int32_t* sums, uint32_t frames);
    /// Handles the source's end; false when the voice stops producing in this render.
    bool PassEnd(VoiceState& voice);

    std::recursive_mutex mutex_;
    std::vector<VoiceState> voices_;
    AudioFormat format_;
    int32_t master_ = 127;
    AudioOutput* pump_ = nullptr;
    bool pumping_ = false;
    std::vector<int32_t> sums_;
    MixLimiter limiter_;
};

} // namespace plat

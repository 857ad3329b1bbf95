#pragma once
#include <cstdint>
#include <optional>

#include "engine/core/Process.h"

struct SoundChannel;
struct xSnippet;

/// What music plays: the entry of the first snippet in the part file's 'snip' index, and the
/// entry that follows once it has ended (1: none).
struct MusicDescriptor {
    static constexpr uint16_t kNoFollowUp = 1;

    uint16_t followEntry = kNoFollowUp;
    uint16_t firstEntry = 0;

    /// A chunk id written {follow-up, 0, first} as some callers pass the descriptor.
    static constexpr MusicDescriptor FromId(uint32_t id) { return {uint16_t(id & 0xFFFF), uint16_t(id >> 16)}; }
    bool operator==(const MusicDescriptor&) const = default;
};

/// The background music on sound channel 0, looping, with fades of its volume in sixteenths of
/// a second stepped every frame. It works only while the sound engine is started and holds its
/// device.
class OMusicProcess : public OProcess {
public:
    static constexpr uint32_t kChannel = 0;
    static constexpr int16_t kStartVolume = 128;
    /// Loop modes: 4 once, with the loop bit endlessly.
    static constexpr int32_t kOnce = 4;
    static constexpr int32_t kLooping = 0x4004;

    OMusicProcess();
    /// Stops the music.
    ~OMusicProcess() override;

    /// A fade step when one is due; always 1, so the frame's walk goes on without sound too.
    int32_t OnIdle() override;
    /// Starts the descriptor's first snippet looping on channel 0 at the current volume, unless
    /// playing; without a descriptor it only counts as playing.
    virtual void Play();
    /// Ends the music and gives its snippet back.
    virtual void Stop();
    /// Once the snippet has ended, plays the follow-up entry on the channel.
    virtual void Advance();

    /// Keeps a copy of the descriptor (none: null) and answers the one it replaces.
    std::optional<MusicDescriptor> SetSnippetData(std::optional<MusicDescriptor> descriptor);
    const std::optional<MusicDescriptor>& GetSnippetData() const { return descriptor_; }
    /// Stop, and the descriptor forgotten.
    void Release();
    /// Pause and resume the channel while the music plays.
    void Pause();
    void Resume();
    /// The process's resume (with its flag) stays beside it.
    using OProcess::Resume;
    /// Moves the volume by `step` (down, or up when `up` is set) every time more than `period`
    /// sixteenths of a second have passed, until it reaches the target.
    void StartFade(uint8_t up, uint16_t step, int16_t target, uint32_t period);

    bool IsPlaying() const { return playing_ != 0; }
    bool IsFading() const { return fading_ != 0; }
    int16_t GetVolume() const { return volume_; }
    xSnippet* GetSnippet() const { return snippet_; }
    SoundChannel* GetChannel() const { return channel_; }

private:
    /// The clock of the fades: sixteenths of a second.
    static uint32_t Sixteenths();
    void FadeStep();

    uint8_t playing_ = 0;
    std::optional<MusicDescriptor> descriptor_;
    xSnippet* snippet_ = nullptr;
    SoundChannel* channel_ = nullptr;
    uint8_t advancing_ = 0;
    uint8_t fading_ = 0;
    uint8_t fadeUp_ = 0;
    uint16_t fadeStep_ = 0;
    int16_t volume_ = kStartVolume;
    int16_t target_ = kStartVolume;
    uint32_t period_ = 0;
    uint32_t lastStep_ = 0;
};

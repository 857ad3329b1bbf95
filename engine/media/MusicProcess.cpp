#include "engine/media/MusicProcess.h"

#include <algorithm>

#include "engine/data/PartFile.h"
#include "engine/media/Application.h"
#include "engine/media/Snippet.h"
#include "engine/media/Sound.h"
#include "platform/Platform.h"

namespace {

/// The music snippet of an entry of the application's part file, or null.
xSnippet* LoadEntry(uint16_t entry) {
    OApplication* app = OApplication::Get();
    CPartFile* file = app != nullptr ? app->GetPartFile() : nullptr;
    if (file == nullptr) return nullptr;
    return xSnippet_Load(file, MakeChunkId(file->FindDataIndex(Tag4("snip")), entry), nullptr);
}

} // namespace

OMusicProcess::OMusicProcess() : OProcess("OProcess", 20) {}

OMusicProcess::~OMusicProcess() {
    Stop();
    // While the program is switched out (as its window closes) Stop leaves the sound alone:
    // the snippet still goes back before the part file it is cached in closes.
    if (snippet_ != nullptr) xSnippet_Unload(snippet_);
    snippet_ = nullptr;
    channel_ = nullptr;
}

uint32_t OMusicProcess::Sixteenths() { return uint32_t(uint64_t(plat::clock().TickCount()) * 16 / 1000); }

std::optional<MusicDescriptor> OMusicProcess::SetSnippetData(std::optional<MusicDescriptor> descriptor) {
    std::optional<MusicDescriptor> old = descriptor_;
    descriptor_ = descriptor;
    return old;
}

void OMusicProcess::Play() {
    if (!xSound_IsThreaded() || playing_) return;
    if (descriptor_) {
        snippet_ = LoadEntry(descriptor_->firstEntry);
        xSound_SetSnippetLoop(snippet_, kLooping);
        channel_ = xSound_GetChannel(int32_t(kChannel));
        xSound_PlaySnippet(snippet_, channel_);
        xSound_SetBalance(channel_, 255, 255);
        xSound_SetVolume(channel_, volume_);
    }
    playing_ = 1;
}

void OMusicProcess::Stop() {
    if (!xSound_IsThreaded() || !playing_) return;
    // Playing without a descriptor has nothing to end, but it is stopped all the same, so that
    // a later Play with a descriptor starts.
    if (channel_ != nullptr) {
        SoundChannel* channel = channel_;
        if (xSound_IsPlaying(channel)) StopSnippet(&channel);
        xSnippet_Unload(snippet_);
        snippet_ = nullptr;
        channel_ = nullptr;
    }
    playing_ = 0;
}

void OMusicProcess::Advance() {
    if (!xSound_IsThreaded() || advancing_ || !descriptor_ || channel_ == nullptr) return;
    if (xSound_IsPlaying(channel_) || descriptor_->followEntry == MusicDescriptor::kNoFollowUp) return;
    advancing_ = 1;
    xSnippet_Unload(snippet_); // the channels that play it are marked free first
    const uint16_t entry = descriptor_->followEntry;
    snippet_ = LoadEntry(entry);
    xSound_SetSnippetLoop(snippet_, kOnce);
    xSound_PlaySnippet(snippet_, channel_);
    xSound_SetBalance(channel_, 255, 255);
    xSound_SetLoopMode(channel_, entry < 2 ? kLooping : kOnce);
    xSound_ServiceStreams();
    advancing_ = 0;
}

void OMusicProcess::Release() {
    Stop();
    descriptor_.reset();
}

void OMusicProcess::Pause() {
    if (xSound_IsThreaded() && playing_ && channel_ != nullptr) xSound_SetPaused(channel_, 1);
}

void OMusicProcess::Resume() {
    if (xSound_IsThreaded() && playing_ && channel_ != nullptr) xSound_SetPaused(channel_, 0);
}

void OMusicProcess::StartFade(uint8_t up, uint16_t step, int16_t target, uint32_t period) {
    fading_ = 1;
    fadeUp_ = up;
    fadeStep_ = step;
    target_ = std::clamp<int16_t>(target, 0, 511);
    period_ = period;
    lastStep_ = Sixteenths();
}

int32_t OMusicProcess::OnIdle() {
    if (xSound_IsThreaded() && fading_ && Sixteenths() - lastStep_ > period_) FadeStep();
    return 1;
}

void OMusicProcess::FadeStep() {
    // Each step stops at the target, so a step that does not divide the distance still ends.
    const int32_t moved = fadeUp_ ? std::min<int32_t>(volume_ + fadeStep_, target_)
                                  : std::max<int32_t>(volume_ - fadeStep_, target_);
    volume_ = int16_t(std::clamp(moved, 0, 511));
    if (volume_ == target_) fading_ = 0;
    xSound_SetVolume(channel_, volume_);
    lastStep_ = Sixteenths();
}

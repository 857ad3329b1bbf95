#include "engine/media/SoundProcess.h"

#include <algorithm>

#include "engine/data/Profiles.h"
#include "engine/media/Sound.h"
#include "platform/Platform.h"

namespace {
/// The sweep runs on the call where the frame counter already exceeds this: every 52nd call.
constexpr uint32_t kSweepAfter = 50;
} // namespace

OSoundProcess::OSoundProcess() : OSoundProcess(uint32_t(std::max<int16_t>(xProfiles_Values().numPipes, 0))) {}

OSoundProcess::OSoundProcess(uint32_t pipeCount)
    : OProcess("OProcess", kClassId), count_(pipeCount), pipes_(std::make_unique<Pipe[]>(pipeCount)) {
    for (uint32_t i = 0; i < count_; ++i) pipes_[i].channel = xSound_GetChannel(int32_t(i));
    xSound_State().processes.push_back(this);
}

OSoundProcess::~OSoundProcess() { std::erase(xSound_State().processes, this); }

int32_t OSoundProcess::Play(xSnippet* snippet, uint32_t pipe, uint32_t priority, uint8_t loop) {
    if (loop != 0) xSound_SetSnippetLoop(snippet, kSnippetLoop);
    if (pipe >= count_) {
        if (const int32_t same = StartedJustNow(snippet); same >= 0) return same;
        const int32_t free = FreePipeNumber();
        if (free >= 0) {
            xSound_PlaySnippet(snippet, pipes_[free].channel);
            pipes_[free].startedAt = plat::clock().TickCount();
        }
        return free;
    }
    Pipe& p = pipes_[pipe];
    if (priority >= p.priority) {
        if (p.channel == nullptr) p.channel = xSound_GetChannel(int32_t(pipe));
        xSound_PlaySnippet(snippet, p.channel);
        p.priority = priority;
    } else {
        // The waiting entry carries the priority of the sound that holds the pipe.
        Queue(snippet, pipe, p.priority);
    }
    if (pipe == 0 && !xProfiles_Values().musicEnabled) xSound_SetVolume(pipes_[0].channel, 1);
    return int32_t(pipe);
}

int32_t OSoundProcess::Queue(xSnippet* snippet, uint32_t pipe, uint32_t priority) {
    if (pipe >= count_) return int32_t(pipe);
    CDynArray<Waiting>& queue = pipes_[pipe].queue;
    return queue.Append(Waiting{snippet, priority}) ? queue.Count() : 0;
}

int32_t OSoundProcess::Stop(uint32_t pipe) {
    if (pipe >= count_) return int32_t(pipe);
    const int32_t result = ::StopSnippet(&pipes_[pipe].channel);
    pipes_[pipe].priority = 0;
    return result;
}

void OSoundProcess::StopSnippet(const xSnippet* snippet, uint32_t pipe) {
    if (pipe >= count_) return;
    StopSnippetEx(snippet, &pipes_[pipe].channel);
    pipes_[pipe].priority = 0;
}

void OSoundProcess::StopAllExcept(uint32_t keep) {
    for (uint32_t i = 0; i < count_; ++i) {
        if (i == keep) continue;
        ::StopSnippet(&pipes_[i].channel);
        pipes_[i].priority = 0;
    }
}

int32_t OSoundProcess::SetPaused(uint32_t pipe, uint8_t flag) {
    if (pipe >= count_ || !xSound_IsPlaying(pipes_[pipe].channel)) return 0;
    xSound_SetPaused(pipes_[pipe].channel, flag);
    pipes_[pipe].paused = flag;
    return 1;
}

uint32_t OSoundProcess::FindPipeByChannel(const SoundChannel* channel) const {
    for (uint32_t i = 0; i < count_; ++i) {
        if (pipes_[i].channel == channel) return i;
    }
    return 0;
}

int32_t OSoundProcess::FreePipeNumber() {
    if (count_ <= kFirstFreePipe) return -1;
    for (uint32_t i = kFirstFreePipe; i < count_; ++i) {
        if (!pipes_[i].reserved && !xSound_IsPlaying(pipes_[i].channel)) return int32_t(i);
    }
    return -1;
}

int32_t OSoundProcess::StartedJustNow(const xSnippet* snippet) const {
    const uint32_t now = plat::clock().TickCount();
    for (uint32_t i = kFirstFreePipe; i < count_; ++i) {
        const SoundChannel* channel = pipes_[i].channel;
        if (channel && channel->snippet == snippet && xSound_IsPlaying(channel) && now - pipes_[i].startedAt < kSameMomentMs)
            return int32_t(i);
    }
    return -1;
}

SoundChannel* OSoundProcess::FindFreePipe() {
    const int32_t free = FreePipeNumber();
    return free >= 0 ? pipes_[free].channel : nullptr;
}

void OSoundProcess::ReservePipe(uint32_t pipe) {
    if (pipe < count_) pipes_[pipe].reserved = 1;
}

void OSoundProcess::ClearQueues() {
    for (uint32_t i = 0; i < count_; ++i) pipes_[i].queue.Free();
}

void OSoundProcess::ForgetSnippet(const xSnippet* snippet) {
    for (uint32_t i = 0; i < count_; ++i) {
        CDynArray<Waiting>& queue = pipes_[i].queue;
        for (int32_t at = queue.Count() - 1; at >= 0; --at) {
            if (queue.GetAt(at).snippet == snippet) queue.RemoveAt(at);
        }
    }
}

int32_t OSoundProcess::OnIdle() {
    if (frames_ > kSweepAfter) {
        frames_ = 0;
        for (uint32_t i = kFirstFreePipe; i < count_; ++i) {
            if (pipes_[i].priority != 0 && !xSound_IsPlaying(pipes_[i].channel)) pipes_[i].priority = 0;
        }
    } else {
        ++frames_;
    }
    for (uint32_t i = 0; i < count_; ++i) {
        CDynArray<Waiting>& queue = pipes_[i].queue;
        if (queue.Count() == 0 || xSound_IsPlaying(pipes_[i].channel)) continue;
        const Waiting first = queue.GetAt(0);
        if (first.snippet != nullptr) Play(first.snippet, i, first.priority, 0);
        queue.RemoveAt(0); // a re-queued entry went to the end
    }
    return 1;
}

void OSoundProcess::OnAppSuspend() {
    for (uint32_t i = 0; i < count_; ++i) {
        Pipe& p = pipes_[i];
        if (xSound_IsPlaying(p.channel) && !p.paused) {
            xSound_SetPaused(p.channel, 1);
            p.paused = 1;
        }
    }
    OProcess::OnAppSuspend();
}

void OSoundProcess::OnAppResume() {
    for (uint32_t i = 0; i < count_; ++i) {
        Pipe& p = pipes_[i];
        if (xSound_IsPlaying(p.channel) && p.paused) {
            xSound_SetPaused(p.channel, 0);
            p.paused = 0;
        }
    }
    OProcess::OnAppResume();
}

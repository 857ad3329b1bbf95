#include "engine/media/SoundProcess.h"

#include "engine/media/Sound.h"

OSoundProcess::OSoundProcess(uint32_t pipeCount) : OProcess("OProcess", kClassId), pipes_(pipeCount) {
    for (uint32_t i = 0; i < pipeCount; ++i) {
        pipes_[i].channel = xSound_GetChannel(static_cast<int32_t>(i));
    }
}

OSoundProcess::~OSoundProcess() = default;

int32_t OSoundProcess::Play(xSnippet* snippet, uint32_t pipe, uint32_t priority, uint8_t loop) {
    if (loop != 0) {
        xSound_SetSnippetLoop(snippet, kSnippetLoop);
    }
    if (pipe >= pipes_.size()) {
        SoundChannel* channel = FindFreePipe();
        if (channel == nullptr) {
            return -1;
        }
        xSound_PlaySnippet(snippet, channel);
        return static_cast<int32_t>(FindPipeByChannel(channel));
    }
    Pipe& p = pipes_[pipe];
    if (priority >= p.priority) {
        xSound_PlaySnippet(snippet, p.channel);
        p.priority = priority;
    }
    return static_cast<int32_t>(pipe);
}

void OSoundProcess::StopSnippet(const xSnippet* snippet, uint32_t pipe) {
    if (pipe >= pipes_.size()) {
        return;
    }
    xSound_StopSnippet(snippet, pipes_[pipe].channel);
    pipes_[pipe].priority = 0;
}

SoundChannel* OSoundProcess::FindFreePipe() {
    for (size_t i = kFirstFreePipe; i < pipes_.size(); ++i) {
        if (!pipes_[i].reserved && !xSound_IsPlaying(pipes_[i].channel)) {
            return pipes_[i].channel;
        }
    }
    return nullptr;
}

uint32_t OSoundProcess::FindPipeByChannel(const SoundChannel* channel) const {
    for (size_t i = 0; i < pipes_.size(); ++i) {
        if (pipes_[i].channel == channel) {
            return static_cast<uint32_t>(i);
        }
    }
    return 0;
}

void OSoundProcess::ReservePipe(uint32_t pipe) {
    if (pipe < pipes_.size()) {
        pipes_[pipe].reserved = 1;
    }
}

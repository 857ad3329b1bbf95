#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Process.h"

struct SoundChannel;
struct xSnippet;

/// The sound pipes in their least form: numbered pipes bound to the channels of the same
/// number, each with a priority and a reserved flag. Pipes from 4 up can be chosen
/// automatically. Queues, pausing and the per-frame sweep come with the sound engine.
class OSoundProcess : public OProcess {
public:
    static constexpr uint32_t kFirstFreePipe = 4;

    explicit OSoundProcess(uint32_t pipeCount = 8);
    ~OSoundProcess() override;

    int32_t OnIdle() override { return 1; }

    /// Plays the snippet on the pipe (a pipe not below the pipe count: on a free pipe). With
    /// the loop flag the snippet loops. The pipe number, -1 when no pipe is free.
    int32_t Play(xSnippet* snippet, uint32_t pipe, uint32_t priority, uint8_t loop);
    /// Ends the pipe's sound when it is that snippet; the pipe's priority becomes 0.
    void StopSnippet(const xSnippet* snippet, uint32_t pipe);
    /// The channel of the first pipe from 4 up that neither plays nor is reserved; null when
    /// none or when there are fewer than 5 pipes.
    SoundChannel* FindFreePipe();
    /// The number of the first pipe whose channel is `channel`; 0 when none.
    uint32_t FindPipeByChannel(const SoundChannel* channel) const;
    void ReservePipe(uint32_t pipe);
    /// Empties the waiting snippets of every pipe; what the pipes play goes on. These pipes
    /// keep no waiting snippets yet, so only the call is counted.
    void ClearQueues() { ++queueClears_; }
    uint32_t GetQueueClears() const { return queueClears_; }
    uint32_t GetPipeCount() const { return static_cast<uint32_t>(pipes_.size()); }
    uint32_t GetPriority(uint32_t pipe) const { return pipe < pipes_.size() ? pipes_[pipe].priority : 0; }

private:
    struct Pipe {
        SoundChannel* channel = nullptr;
        uint32_t priority = 0;
        uint8_t reserved = 0;
    };
    std::vector<Pipe> pipes_;
    uint32_t queueClears_ = 0;
};

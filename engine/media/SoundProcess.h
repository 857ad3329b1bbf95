#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/Process.h"
#include "engine/data/DynArray.h"

struct SoundChannel;
struct xSnippet;

/// The sound pipes: numbered pipes bound to the sound channels of the same number. A sound
/// of equal or higher priority replaces what a pipe plays; a lower one waits in the pipe's
/// queue until the pipe falls silent. Pipes from 4 up that are neither playing nor reserved
/// can be chosen automatically. Switching the application out pauses the playing pipes and
/// switching back resumes the ones this process paused. Snippets are never owned.
class OSoundProcess : public OProcess {
public:
    static constexpr uint32_t kFirstFreePipe = 4;
    static constexpr uint32_t kSameMomentMs = 20;

    /// NUMPIPES pipes.
    OSoundProcess();
    explicit OSoundProcess(uint32_t pipeCount);
    ~OSoundProcess() override;

    /// Sweeps the priorities of silent pipes from 4 up every 52nd call, then starts the first
    /// waiting snippet of every silent pipe; 1.
    int32_t OnIdle() override;
    void OnAppSuspend() override;
    void OnAppResume() override;

    /// Plays the snippet on the pipe (a pipe not below the pipe count: on a free pipe, -1 when
    /// none); with the loop flag's low byte set the snippet loops. The pipe number. A snippet
    /// asked for on a free pipe within kSameMomentMs of its start on another free pipe is not
    /// started again (that pipe's number): copies started together play in step, and only add
    /// up to one sound twice as loud that the mix may clip.
    int32_t Play(xSnippet* snippet, uint32_t pipe, uint32_t priority, uint8_t loop);
    /// Appends {snippet, priority} to the pipe's queue: its new length (0 when it cannot
    /// grow); the pipe number when out of range.
    int32_t Queue(xSnippet* snippet, uint32_t pipe, uint32_t priority);
    /// Ends the pipe's sound; priority 0. The stop's result; the pipe number when out of range.
    int32_t Stop(uint32_t pipe);
    /// Ends the pipe's sound when it is that snippet; priority 0 either way.
    void StopSnippet(const xSnippet* snippet, uint32_t pipe);
    /// Stops every pipe but `keep`, whose sound and priority stay.
    void StopAllExcept(uint32_t keep);
    /// Pauses or resumes the pipe's sound while it plays; 0 when the pipe is silent or out of
    /// range, else 1.
    int32_t SetPaused(uint32_t pipe, uint8_t flag);
    /// The number of the first pipe on that channel; 0 when none (the same as pipe 0).
    uint32_t FindPipeByChannel(const SoundChannel* channel) const;
    /// The channel of the first pipe from 4 up that neither plays nor is reserved; null when
    /// none or when there are fewer than 5 pipes.
    SoundChannel* FindFreePipe();
    /// Skipped by the automatic choice from now on.
    void ReservePipe(uint32_t pipe);
    /// Empties every pipe's queue; the sounds that play go on.
    void ClearQueues();
    /// Drops every queue entry naming the snippet (it is being freed).
    void ForgetSnippet(const xSnippet* snippet);

    uint32_t GetPipeCount() const { return count_; }
    uint32_t GetPriority(uint32_t pipe) const { return pipe < count_ ? pipes_[pipe].priority : 0; }
    int32_t GetQueueLength(uint32_t pipe) const { return pipe < count_ ? pipes_[pipe].queue.Count() : 0; }
    SoundChannel* GetChannel(uint32_t pipe) const { return pipe < count_ ? pipes_[pipe].channel : nullptr; }

private:
    struct Waiting {
        xSnippet* snippet;
        uint32_t priority;
    };
    struct Pipe {
        SoundChannel* channel = nullptr;
        uint32_t priority = 0;
        uint8_t reserved = 0;
        uint8_t paused = 0; ///< paused by this process
        uint32_t startedAt = 0; ///< the clock's tick when the automatic choice started its sound
        CDynArray<Waiting> queue;
    };
    /// The first pipe from 4 up that neither plays nor is reserved; -1 when none.
    int32_t FreePipeNumber();
    /// The pipe from 4 up where the automatic choice started the snippet less than
    /// kSameMomentMs ago and it still plays; -1 when none.
    int32_t StartedJustNow(const xSnippet* snippet) const;

    uint32_t count_ = 0;
    std::unique_ptr<Pipe[]> pipes_;
    uint32_t frames_ = 0;
};

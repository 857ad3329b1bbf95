#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Process.h"
#include "engine/media/MessageRecord.h"

class OHost;
class OSoundProcess;
class OTextFXView;

/// The voice lines: records handed out from a pool of 20, filled in by game code and queued,
/// then played one at a time in queue order: the voice on sound pipe 1, the caption in a text
/// view at the bottom of the stage (while HMCAPTIONS is on), the host view named by the record
/// acting it, and the record's end callback once it is over. A skip test ends the playing line
/// early and a flush ends every queued line at once. Suspending the process pauses pipe 1.
class OMessageProcess : public OProcess {
public:
    static constexpr int32_t kPoolSize = 20;
    static constexpr uint32_t kVoicePipe = 1;
    static constexpr int32_t kCaptionPriority = 31000;
    /// How far the caption's text keeps inside its box: past the border's three rings, a few
    /// pixels more.
    static constexpr int16_t kCaptionMargin = 6;
    /// QueueMessage's refusals.
    enum : int32_t { kNullRecord = -1, kForeignRecord = -2, kAlreadyQueued = -3, kNotInUse = -4 };

    /// Plays the voices through `sound` (none: the lines end without a voice playing).
    explicit OMessageProcess(OSoundProcess* sound);
    /// The queued lines are dropped without callbacks or end actions; the caption view stays
    /// with the main window.
    ~OMessageProcess() override;

    /// Pauses pipe 1, then suspends.
    void Suspend(int32_t flag) override;
    /// Resumes pipe 1, then resumes.
    void Resume(int32_t flag) override;
    /// Skips the playing line when its skip test says so, else ends it when it is done; 1.
    int32_t OnIdle() override;
    /// A host view's speaking ended: the line it acts may end, or waits for its voice.
    virtual void OnHostFinished(OHost* view);

    /// The newest free record, marked in use; with `grow` a new one when none is free; null.
    OMessageRecord* AllocMessage(uint8_t grow);
    /// Queues the record and starts it when it is the only one; 0, or kNullRecord,
    /// kForeignRecord, kAlreadyQueued (also chained behind a queued record) or kNotInUse.
    int32_t QueueMessage(OMessageRecord* record);
    /// The newest record of the pool whose caption is the text; null.
    OMessageRecord* FindMessageByText(const char* text) const;
    /// Ends every queued line now, as skipped; nothing while a flush or skip runs.
    void FlushMessages();
    /// The queued lines let go of their records and voices, no callback run: before the file
    /// the voices came from closes.
    void ReleaseQueue();
    /// Host views that act lines, by their role names.
    void AddView(OHost* view);
    void RemoveView(OHost* view);
    /// Sets up the caption view from the HMCAPTION keys (made on first use) with the text;
    /// nothing for a null or empty text.
    void SetCaptionText(const char* text);
    void ShowCaption(uint8_t show);

    int32_t QueueLength() const { return int32_t(queue_.size()); }
    OMessageRecord* Head() const { return queue_.empty() ? nullptr : queue_.front(); }
    /// The queued record at the index (0 is the head).
    OMessageRecord* QueuedAt(int32_t index) const { return queue_.at(size_t(index)); }
    int32_t PoolCount() const { return int32_t(pool_.size()); }
    int32_t GetVoicePipe() const { return voicePipe_; }
    /// The caption view while the main window holds it; null.
    OTextFXView* GetCaptionView() const;
    int32_t ViewCount() const { return int32_t(views_.size()); }

private:
    /// A view's state after a flush: its end state and the last actions recorded for it.
    struct PendingEnd {
        OHost* view = nullptr;
        int32_t endState = 0;
        CViewActions actions;
        uint8_t keepLastFrame = 0;
    };
    /// Keeps the queue from starting a line while lines end (their callbacks may queue more).
    class Ending;

    void StartMessage();
    void EndMessage();
    /// Ends lines as skipped: the whole queue, or from the head on while each next head's skip
    /// test says so.
    void EndSkipped(bool wholeQueue);
    /// Starts the head when it waits and no line is ending.
    void StartWaitingHead();
    bool IsDone(const OMessageRecord& record) const;
    bool VoicePlays() const;
    void ApplyStartActions(const OMessageRecord& record);
    void ApplyEndActions(const OMessageRecord& record);
    void CollectPending(const OMessageRecord& record);
    void ApplyPending();
    OHost* FindView(const std::string& roleName) const;
    bool IsFromPool(const OMessageRecord* record) const;
    /// Queued, chained behind a queued record, or in the chain being ended.
    bool IsTaken(const OMessageRecord* record) const;

    OSoundProcess* sound_;
    int32_t voicePipe_ = int32_t(kVoicePipe);
    std::vector<std::unique_ptr<OMessageRecord>> pool_;
    std::deque<OMessageRecord*> queue_;
    uint8_t flushGuard_ = 0;
    std::vector<PendingEnd> pending_;
    OTextFXView* caption_ = nullptr;
    std::vector<OHost*> views_;
    bool headStarted_ = false;
    int32_t ending_ = 0;
    OMessageRecord* endingChain_ = nullptr;
};

/// The record and the records chained behind it, each once.
std::vector<OMessageRecord*> xMessage_Chain(OMessageRecord* head);

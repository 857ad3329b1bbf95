#include "engine/media/MessageProcess.h"

#include <algorithm>
#include <new>

#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/media/Application.h"
#include "engine/media/Host.h"
#include "engine/media/LipSync.h"
#include "engine/media/Snippet.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "engine/media/SysFont.h"
#include "engine/media/TextFXView.h"

namespace {

/// The loop mode a voice's channel plays in: once.
constexpr int32_t kVoiceLoopMode = 3;

uint32_t ColourWord(const rgbColor& c) { return uint32_t(c.red) | uint32_t(c.green) << 8 | uint32_t(c.blue) << 16; }

/// Applies the actions whose flags are set.
void ApplyActions(OHost& view, const CViewActions& actions) {
    if (actions.setVisible) view.SetVisible(actions.visible, 0);
    if (actions.setCursor) view.SetCursorMode(actions.cursorMode);
    if (actions.setPriority) view.SetPriority(actions.priority);
}

/// The actions of `later` that are set, over those of `earlier`.
void Override(CViewActions& earlier, const CViewActions& later) {
    if (later.setVisible) {
        earlier.setVisible = 1;
        earlier.visible = later.visible;
    }
    if (later.setCursor) {
        earlier.setCursor = 1;
        earlier.cursorMode = later.cursorMode;
    }
    if (later.setPriority) {
        earlier.setPriority = 1;
        earlier.priority = later.priority;
    }
}

} // namespace

std::vector<OMessageRecord*> xMessage_Chain(OMessageRecord* head) {
    std::vector<OMessageRecord*> chain;
    for (OMessageRecord* r = head; r != nullptr; r = r->chained) {
        if (std::find(chain.begin(), chain.end(), r) != chain.end()) break; // a chain that loops
        chain.push_back(r);
    }
    return chain;
}

/// While one exists no line starts; the last one to go starts the head that waits.
class OMessageProcess::Ending {
public:
    Ending(OMessageProcess& process, OMessageRecord* chain) : process_(process), previous_(process.endingChain_) {
        ++process_.ending_;
        process_.endingChain_ = chain;
    }
    ~Ending() {
        process_.endingChain_ = previous_;
        --process_.ending_;
        process_.StartWaitingHead();
    }
    Ending(const Ending&) = delete;
    Ending& operator=(const Ending&) = delete;

private:
    OMessageProcess& process_;
    OMessageRecord* previous_;
};

OMessageProcess::OMessageProcess(OSoundProcess* sound) : OProcess("OProcess", 20), sound_(sound) {
    for (int32_t i = 0; i < kPoolSize; ++i) pool_.push_back(std::make_unique<OMessageRecord>());
}

OMessageProcess::~OMessageProcess() {
    ReleaseQueue();
    if (OApplication* app = OApplication::Get()) app->ForgetProcess(this);
}

void OMessageProcess::ReleaseQueue() {
    for (OMessageRecord* r : queue_) r->FreeChain();
    queue_.clear();
}

// ---- The pool and the queue -------------------------------------------------------------------

OMessageRecord* OMessageProcess::AllocMessage(uint8_t grow) {
    for (auto it = pool_.rbegin(); it != pool_.rend(); ++it) {
        OMessageRecord* r = it->get();
        if (!r->inUse && !IsTaken(r)) {
            r->inUse = 1;
            return r;
        }
    }
    if (!grow) return nullptr;
    auto* made = new (std::nothrow) OMessageRecord;
    if (made == nullptr) return nullptr;
    pool_.emplace_back(made);
    made->inUse = 1;
    return made;
}

bool OMessageProcess::IsFromPool(const OMessageRecord* record) const {
    return std::any_of(pool_.begin(), pool_.end(), [&](const auto& r) { return r.get() == record; });
}

bool OMessageProcess::IsTaken(const OMessageRecord* record) const {
    auto inChain = [&](OMessageRecord* head) {
        const std::vector<OMessageRecord*> chain = xMessage_Chain(head);
        return std::find(chain.begin(), chain.end(), record) != chain.end();
    };
    return inChain(endingChain_) || std::any_of(queue_.begin(), queue_.end(), inChain);
}

int32_t OMessageProcess::QueueMessage(OMessageRecord* record) {
    if (record == nullptr) return kNullRecord;
    if (!IsFromPool(record)) return kForeignRecord;
    if (IsTaken(record)) return kAlreadyQueued;
    if (!record->inUse) return kNotInUse;
    queue_.push_back(record);
    StartWaitingHead();
    return 0;
}

OMessageRecord* OMessageProcess::FindMessageByText(const char* text) const {
    if (text == nullptr) return nullptr;
    for (auto it = pool_.rbegin(); it != pool_.rend(); ++it)
        if ((*it)->caption == text) return it->get();
    return nullptr;
}

void OMessageProcess::StartWaitingHead() {
    if (!queue_.empty() && !headStarted_ && ending_ == 0) StartMessage();
}

// ---- Views ------------------------------------------------------------------------------------

void OMessageProcess::AddView(OHost* view) {
    if (view != nullptr && std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void OMessageProcess::RemoveView(OHost* view) {
    std::erase(views_, view);
    std::erase_if(pending_, [&](const PendingEnd& e) { return e.view == view; });
}

OHost* OMessageProcess::FindView(const std::string& roleName) const {
    if (roleName.empty()) return nullptr;
    for (OHost* view : views_)
        if (roleName == view->GetRoleName()) return view;
    return nullptr;
}

// ---- A line from start to end -----------------------------------------------------------------

void OMessageProcess::StartMessage() {
    headStarted_ = true;
    OMessageRecord& head = *queue_.front();
    const std::vector<OMessageRecord*> chain = xMessage_Chain(&head);
    if (head.voice != nullptr && sound_ != nullptr) {
        // The mouth table runs at the fastest rate of the views that move their mouths.
        int32_t rate = 0;
        for (const OMessageRecord* r : chain) {
            OHost* view = r->lipSync ? FindView(r->roleName) : nullptr;
            if (view != nullptr) rate = std::max(rate, view->QueryAnimSet());
        }
        if (rate != 0) xSound_BuildLipSyncTable(head.voice, rate);
        xSound_SetSnippetVolume(head.voice, xSound_GetMasterVolume());
        voicePipe_ = sound_->Play(head.voice, kVoicePipe, 0, 0);
        if (voicePipe_ >= 0) xSound_SetLoopMode(sound_->GetChannel(uint32_t(voicePipe_)), kVoiceLoopMode);
    }
    if (xProfiles_Values().hmCaptions && !head.caption.empty() && head.voice != nullptr) {
        SetCaptionText(head.caption.c_str());
        ShowCaption(1);
    }
    for (const OMessageRecord* r : chain) ApplyStartActions(*r);
    if (head.voice == nullptr && head.states.empty() && !head.hold) EndMessage();
}

void OMessageProcess::ApplyStartActions(const OMessageRecord& record) {
    OHost* view = FindView(record.roleName);
    if (view == nullptr) return;
    ApplyActions(*view, record.start);
    if (record.states.empty()) return;
    view->SetManualStep(0);
    if (record.lipSync) {
        view->Speak(record.states.front(), voicePipe_);
    } else {
        view->SpeakSequence(record.states.data(), record.StateCount());
    }
}

bool OMessageProcess::VoicePlays() const {
    if (sound_ == nullptr || voicePipe_ < 0) return false;
    return xSound_IsPlaying(sound_->GetChannel(uint32_t(voicePipe_))) != 0;
}

bool OMessageProcess::IsDone(const OMessageRecord& record) const {
    // A voice pipe that is none of the sound process's pipes plays nothing, so it counts as
    // silent rather than holding the queue for ever.
    if (record.hold || record.voice == nullptr || VoicePlays()) return false;
    return FindView(record.roleName) == nullptr || record.states.empty() || record.hostFinished ||
           record.doneWithVoice || record.lipSync;
}

int32_t OMessageProcess::OnIdle() {
    StartWaitingHead(); // a line that ends as it starts leaves the queue at once
    if (queue_.empty()) return 1;
    OMessageRecord* head = queue_.front();
    if (head->skipTest != nullptr && head->skipTest() != 0) {
        EndSkipped(false);
    } else if (IsDone(*head)) {
        EndMessage();
    }
    return 1;
}

void OMessageProcess::EndMessage() {
    OMessageRecord* head = queue_.front();
    queue_.pop_front();
    headStarted_ = false;
    Ending ending(*this, head);
    ShowCaption(0);
    for (OMessageRecord* r : xMessage_Chain(head)) {
        ApplyEndActions(*r);
        xSnippet_Unload(r->voice);
        r->voice = nullptr;
        if (r->endCallback != nullptr) r->endCallback(r->userValue, 0);
    }
    head->FreeChain();
}

void OMessageProcess::ApplyEndActions(const OMessageRecord& record) {
    OHost* view = FindView(record.roleName);
    if (view == nullptr) return;
    ApplyActions(*view, record.end);
    view->SetManualStep(record.keepLastFrame ? 1 : 0);
    if (!record.states.empty()) {
        view->StopSpeaking(record.endState);
    } else if (view->GetState() != record.endState) {
        view->SetState(record.endState);
    }
    if (!record.queueStates) return;
    for (auto it = record.states.rbegin(); it != record.states.rend(); ++it)
        if (*it != 0 && *it != record.endState) view->QueueState(*it, 1);
}

void OMessageProcess::OnHostFinished(OHost* view) {
    if (view == nullptr) return;
    if (queue_.empty()) {
        view->StopSpeaking(0);
        return;
    }
    OMessageRecord* head = queue_.front();
    if (FindView(head->roleName) != view) return;
    if (head->voice == nullptr || !VoicePlays()) {
        EndMessage();
        return;
    }
    head->hostFinished = 1;
    if (head->stopAnimation) view->SetManualStep(1);
}

// ---- Skips and flushes ------------------------------------------------------------------------

void OMessageProcess::FlushMessages() { EndSkipped(true); }

void OMessageProcess::EndSkipped(bool wholeQueue) {
    if (queue_.empty() || flushGuard_) return;
    flushGuard_ = 1;
    ++ending_;
    if (sound_ != nullptr && voicePipe_ >= 0) sound_->Stop(uint32_t(voicePipe_));
    ShowCaption(0);
    // The playing line's skip test has answered already; lines that the callbacks queue
    // meanwhile are not part of it.
    bool first = true;
    for (size_t left = queue_.size(); left > 0 && !queue_.empty(); --left, first = false) {
        OMessageRecord* head = queue_.front();
        if (!wholeQueue && !first && (head->skipTest == nullptr || head->skipTest() == 0)) break;
        queue_.pop_front();
        headStarted_ = false;
        Ending ending(*this, head);
        const std::vector<OMessageRecord*> records = xMessage_Chain(head);
        for (const OMessageRecord* r : records) CollectPending(*r);
        for (const OMessageRecord* r : records)
            if (OHost* view = FindView(r->roleName)) view->StopSpeaking(0);
        for (const OMessageRecord* r : records)
            if (r->endCallback != nullptr) r->endCallback(r->userValue, 1);
        head->FreeChain();
    }
    ApplyPending();
    --ending_;
    flushGuard_ = 0;
    StartWaitingHead();
}

void OMessageProcess::CollectPending(const OMessageRecord& record) {
    OHost* view = FindView(record.roleName);
    if (view == nullptr) return;
    auto entry = std::find_if(pending_.begin(), pending_.end(), [&](const PendingEnd& e) { return e.view == view; });
    if (entry == pending_.end()) entry = pending_.insert(pending_.end(), PendingEnd{.view = view, .endState = 0, .actions = {}, .keepLastFrame = 0});
    entry->endState = record.endState;
    Override(entry->actions, record.start);
    Override(entry->actions, record.end);
    entry->keepLastFrame = record.keepLastFrame;
}

void OMessageProcess::ApplyPending() {
    std::vector<PendingEnd> entries = std::move(pending_);
    pending_.clear();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        OHost& view = *it->view;
        view.SetState(it->endState);
        ApplyActions(view, it->actions);
        if (it->keepLastFrame) {
            view.SetManualStep(1);
            view.SetFrame(view.GetFrameCount() - 1);
        } else {
            view.SetManualStep(0);
        }
    }
}

// ---- Pausing ----------------------------------------------------------------------------------

void OMessageProcess::Suspend(int32_t flag) {
    if (sound_ != nullptr) sound_->SetPaused(kVoicePipe, 1);
    OProcess::Suspend(flag);
}

void OMessageProcess::Resume(int32_t flag) {
    if (sound_ != nullptr) sound_->SetPaused(kVoicePipe, 0);
    OProcess::Resume(flag);
}

// ---- Captions ---------------------------------------------------------------------------------

OTextFXView* OMessageProcess::GetCaptionView() const {
    OWindow* window = OWindow::Main();
    return window != nullptr && caption_ != nullptr && window->HasChild(caption_) ? caption_ : nullptr;
}

void OMessageProcess::SetCaptionText(const char* text) {
    if (text == nullptr || *text == '\0') return;
    OTextFXView* view = GetCaptionView();
    if (view == nullptr) {
        OWindow* window = OWindow::Main();
        if (window == nullptr) return;
        view = new (std::nothrow) OTextFXView("OTextFXView", OTextFXView::kClassId);
        if (view == nullptr) return;
        caption_ = view;
        view->UseFont(GetDefaultSysFont(), false);
        view->SetPriority(kCaptionPriority);
        view->SetAlignment(kAlignCentre);
        view->SetWordWrap(1);
        view->SetMargin(kCaptionMargin);
        window->AddChild(view);
    }
    const ProfileValues& keys = xProfiles_Values();
    const ProfileStore& store = xProfiles_Store();
    view->SetBorder(keys.hmCaptionBorder);
    xText_PlaceView(view, keys.hmCaptionPosition.first, keys.hmCaptionPosition.second, store.captionWidth,
                    store.captionHeight, nullptr);
    view->SetTextColor(ColourWord(keys.hmCaptionColor));
    view->SetTransparent(keys.hmCaptionBackground ? 0 : 1);
    view->SetBackColor(ColourWord(keys.hmCaptionBackColor));
    view->SetBlend(keys.hmCaptionBackBlend != 0 ? 1 : 0, keys.hmCaptionBackBlend);
    view->SetText(text);
    view->Invalidate();
}

void OMessageProcess::ShowCaption(uint8_t show) {
    if (OTextFXView* view = GetCaptionView()) view->SetVisible(show, 0);
}

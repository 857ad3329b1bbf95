#include "engine/media/Host.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/base/Random.h"
#include "engine/core/PropertyMsg.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/Part.h"
#include "engine/media/Application.h"
#include "engine/media/LipSync.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/SoundProcess.h"

namespace {

/// The mouth moves this many times in 4 seconds of ticks.
constexpr uint32_t kSpeechTicks = 4000;

OMessageProcess* MessageProcess() {
    OApplication* app = OApplication::Get();
    return app != nullptr ? app->GetMessageProcess() : nullptr;
}

OSoundProcess* SoundProcess() {
    OApplication* app = OApplication::Get();
    return app != nullptr ? app->GetSoundProcess() : nullptr;
}

/// The channel of the pipe, null when there is no such pipe.
SoundChannel* PipeChannel(int32_t pipe) {
    OSoundProcess* sound = SoundProcess();
    return sound != nullptr && pipe >= 0 ? sound->GetChannel(uint32_t(pipe)) : nullptr;
}

bool Due(const CTimerRec& timer) { return timer.running != 0 && timer.paused == 0 && timer.HasElapsed(); }

} // namespace

OHost::OHost(const char* name, uint32_t classId) : OActivityProp(name, classId) {
    // A tick rate of 0 counts as the default 60.
    const uint32_t ticks = xProfiles_Values().ticksPerSecond != 0 ? xProfiles_Values().ticksPerSecond : 60;
    speechTimer_.rate = ticks;
    idleTimer_.rate = ticks;
    speechTimer_.Start(int32_t(kSpeechTicks / ticks));
    idleTimer_.Start(GetIdleInterval());
}

OHost::~OHost() {
    if (OMessageProcess* messages = MessageProcess()) messages->RemoveView(this);
}

bool OHost::IsA(uint32_t classId) const { return classId == kClassId || OActivityProp::IsA(classId); }

bool OHost::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (msg == nullptr || msg->family != kClassId) return OActivityProp::HandleProperty(msg, set);
    if (msg->id == kPropRoleName) msg->ExchangeText(roleName_, sizeof roleName_, set);
    return true;
}

void OHost::OnParentChanged(ONode* newParent) {
    OActivityProp::OnParentChanged(newParent);
    OMessageProcess* messages = MessageProcess();
    if (messages == nullptr) return;
    if (newParent != nullptr) {
        messages->AddView(this);
    } else {
        messages->RemoveView(this);
    }
}

void OHost::SetRoleName(const char* name) {
    roleName_[0] = '\0';
    if (name != nullptr) std::strncat(roleName_, name, sizeof roleName_ - 1);
}

// ---- Per frame ------------------------------------------------------------------------------

int32_t OHost::OnIdle() {
    if (mode_ == kIdle && Due(idleTimer_)) {
        const int32_t drawn = GetIdleInterval();
        idleTimer_.Start(drawn != 0 ? drawn : idleTimer_.duration);
        PlayIdleAnimation();
    } else if (mode_ == kSpeaking && Due(speechTimer_)) {
        speechTimer_.Restart();
        UpdateMouth();
    }
    return OActivityProp::OnIdle();
}

void OHost::UpdateMouth() {
    const int32_t frames = GetFrameCount();
    int32_t level = 0;
    if (SoundProcess() != nullptr) {
        SoundChannel* channel = PipeChannel(speechPipe_);
        // The table is read at the rate it was built at, whatever the host's own.
        const int32_t rate = xSound_GetLipSyncTableRate(channel);
        level = std::abs(xSound_GetLipSyncLevel(channel, rate != 0 ? rate : lipSyncRate_));
    }
    mouthLevel_ = level;
    int32_t frame = mouthPeak_ != 0 ? std::abs(frames * level / mouthPeak_) : 0;
    // Every third open mouth is a little less open, so that a steady voice does not stare.
    if (frame > 0 && ++damping_ % 3 == 0 && frame > 1) --frame;
    if (frames <= 0) return;
    mouthFrame_ = std::min(frame, frames - 1);
    SetFrame(mouthFrame_);
}

int32_t OHost::OnAnimationEnd() {
    if (mode_ == kIdle) {
        // An idle animation goes back to its key state; anything else queued is dropped.
        if (!IsOwnIdleState(GetState())) ClearPendingStates();
    } else if (mode_ == kSpeakingList && (GetAnimSet() == nullptr || GetAnimSet()->GetQueuedCount() == 0)) {
        const uint32_t lines = lines_;
        if (OMessageProcess* messages = MessageProcess()) {
            messages->OnHostFinished(this);
        } else {
            StopSpeaking(0);
        }
        // The report may have started the next line, whose states must not be stepped on.
        if (lines_ != lines) return 1;
    }
    return OActivityProp::OnAnimationEnd();
}

void OHost::Suspend(int32_t flag) {
    speechTimer_.Pause();
    idleTimer_.Pause();
    OActivityProp::Suspend(flag);
}

void OHost::Resume(int32_t flag) {
    speechTimer_.Resume();
    idleTimer_.Resume();
    OActivityProp::Resume(flag);
}

// ---- Speaking -------------------------------------------------------------------------------

void OHost::Speak(int32_t state, int32_t pipe) {
    mode_ = kSpeaking;
    speechPipe_ = pipe;
    OSoundProcess* sound = SoundProcess();
    const bool exists = sound != nullptr && pipe >= 0 && uint32_t(pipe) < sound->GetPipeCount();
    mouthPeak_ = exists ? xSound_GetLipSyncPeak(sound->GetChannel(uint32_t(pipe))) : 1;
    SetAnimFlag(1);
    SetState(state);
    QueueNextState(state);
    speechTimer_.Restart();
    ++lines_;
}

void OHost::SpeakSequence(const int32_t* states, int32_t count) {
    if (states == nullptr || count < 1) return;
    mode_ = kSpeakingList;
    SetAnimFlag(0);
    ClearPendingStates();
    int32_t first = 0;
    if (!queueStateChanges) {
        SetState(states[0]);
        first = 1;
    }
    for (int32_t i = first; i < count; ++i) QueueState(states[i], 1);
    speechTimer_.Stop();
    ++lines_;
}

void OHost::StopSpeaking(int32_t endState) {
    if (mode_ == kIdle) return;
    mode_ = kIdle;
    SetAnimFlag(0);
    if (queueStateChanges) {
        QueueState(endState, 1);
    } else if (GetState() != endState) {
        SetState(endState);
    }
    speechTimer_.Stop();
}

// ---- Idle animations ------------------------------------------------------------------------

void OHost::SetIdleInterval(int32_t base, int32_t spread) {
    idleBase_ = base != 0 ? base : kIdleBase;
    idleSpread_ = spread;
}

void OHost::RestartIdleTimer(int32_t interval) { idleTimer_.Start(interval != 0 ? interval : GetIdleInterval()); }

int32_t OHost::GetIdleInterval() const {
    if (idleSpread_ <= 0) return idleBase_;
    const int32_t r = xRand() % idleSpread_;
    if (r == 0) return idleBase_;
    if (xRand() % 2 == 1) return idleBase_ + r;
    return idleBase_ > r ? idleBase_ - r : 0;
}

void OHost::AddIdleAnimation(int32_t keyState, const int32_t* states, int32_t count) {
    IdleAnimation entry;
    entry.keyState = keyState;
    if (states != nullptr && count > 0) entry.states.assign(states, states + count);
    idle_.push_back(std::move(entry));
}

bool OHost::IsIdleState() {
    std::erase_if(idle_, [](const IdleAnimation& e) { return e.states.empty(); });
    const int32_t state = GetState();
    return std::any_of(idle_.begin(), idle_.end(), [&](const IdleAnimation& e) { return e.keyState == state; });
}

bool OHost::IsOwnIdleState(int32_t state) const {
    return std::any_of(idle_.begin(), idle_.end(), [&](const IdleAnimation& e) {
        return e.keyState == state || std::find(e.states.begin(), e.states.end(), state) != e.states.end();
    });
}

OHost::IdleAnimation* OHost::FindIdleAnimation() {
    const int32_t state = GetState();
    for (size_t i = idle_.size(); i-- > 0;) {
        if (idle_[i].keyState != state) continue;
        if (!idle_[i].states.empty()) return &idle_[i];
        idle_.erase(idle_.begin() + ptrdiff_t(i));
    }
    return nullptr;
}

void OHost::PlayIdleAnimation() {
    const ONode* parent = GetParent();
    if (parent != nullptr && parent->IsA(OView::kClassId) && !static_cast<const OView*>(parent)->IsShownThroughParents())
        return;
    if (!IsVisible()) return;
    IdleAnimation* entry = FindIdleAnimation();
    if (entry == nullptr) return;
    const int32_t count = int32_t(entry->states.size());
    int32_t state;
    if (idleInOrder_) {
        if (entry->next >= count) entry->next = 0;
        state = entry->states[size_t(entry->next)];
        entry->next = (entry->next + 1) % count;
    } else {
        state = entry->states[size_t(xRand() % count)];
    }
    if (GetAnimSet() == nullptr || state < 0 || state >= GetAnimSet()->GetStateCount()) return;
    const int32_t key = entry->keyState;
    SetState(state);
    QueueNextState(key);
}

void OHost::ClearPendingStates() {
    if (CPart* part = GetAnimSet()) part->ClearQueue();
}

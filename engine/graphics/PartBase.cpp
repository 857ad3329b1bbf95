#include "engine/graphics/PartBase.h"

#include "engine/blit/ColorPalette.h"
#include "engine/graphics/State.h"

CPartBase::CPartBase() = default;

CPartBase::~CPartBase() { DeleteStates(); }

void CPartBase::SetBandA(uint32_t, uint8_t band, uint8_t) { bandA_ = band; }

void CPartBase::SetBandB(uint32_t, uint8_t band, uint8_t) { bandB_ = band; }

void CPartBase::SetBands(uint32_t, uint8_t bandA, uint8_t bandB, uint8_t) {
    bandA_ = bandA;
    bandB_ = bandB;
}

CState* CPartBase::GetState(int32_t index) const {
    return index >= 0 && index < states_.Count() ? states_.GetAt(index) : nullptr;
}

uint32_t CPartBase::GetStateId(int32_t index) const {
    const CState* state = GetState(index);
    return state != nullptr ? state->stateId : 0;
}

void CPartBase::AddState(CState* state) {
    if (state != nullptr) {
        state->drawMode = drawMode_;
    }
    states_.Append(state);
}

void CPartBase::SetState(int32_t index) {
    CState* next = GetState(index);
    if (next == nullptr) {
        currentState_ = nullptr;
        return;
    }
    if (unloadOnLeave_ && currentState_ != nullptr && currentState_ != next) {
        currentState_->Unload();
    }
    currentState_ = next;
    const uint32_t now = CFrameSequencer::Now();
    next->startTick = now;
    next->pauseTick = 0;
    next->changed = 1;
    next->SetFrame(0);
    if (paused_ && next->pauseTick == 0) {
        next->pauseTick = CFrameSequencer::PauseTick();
    }
    next->hold = 0;
    next->endReported = 0;
}

void CPartBase::UnloadState(int32_t index) {
    if (CState* state = GetState(index)) {
        state->Unload();
    }
}

int32_t CPartBase::GetCurrentIndex() {
    if (currentState_ == nullptr) return -1;
    for (int32_t i = 0; i < states_.Count(); ++i) {
        if (states_.GetAt(i) == currentState_) return i;
    }
    return -1;
}

int32_t CPartBase::GetFrameCount() { return currentState_ != nullptr ? currentState_->GetFrameCount() : -1; }

int32_t CPartBase::GetCurrentFrame() { return currentState_ != nullptr ? currentState_->currentFrame : -1; }

int32_t CPartBase::GetFrameRate() { return currentState_ != nullptr ? currentState_->frameRate : -1; }

int32_t CPartBase::GetFirstQueued() { return queue_.Count() > 0 ? queue_.GetAt(0) : -1; }

int32_t CPartBase::AdvanceQueue() {
    if (currentState_ == nullptr || queue_.Count() == 0) {
        return 0;
    }
    int32_t index = queue_.GetAt(0);
    if (index >= states_.Count()) {
        index = states_.Count() - 1;
    }
    if (GetState(index) != nullptr) {
        SetState(index);
    }
    queue_.RemoveAt(0);
    return 1;
}

void CPartBase::DeleteStates() {
    for (int32_t i = 0; i < states_.Count(); ++i) {
        delete states_.GetAt(i);
    }
    states_.Free();
    queue_.Free();
    currentState_ = nullptr;
}

int32_t CPartBase::Step() { return currentState_ != nullptr ? currentState_->Step() : 0; }

void CPartBase::SetStateAndHold(int32_t index) {
    SetState(index);
    if (currentState_ != nullptr) {
        currentState_->hold = 1;
        currentState_->endReported = 0;
    }
}

void CPartBase::Pause() {
    // The flag is kept without a current state too, so that a state made current later starts
    // paused.
    if (currentState_ != nullptr && currentState_->pauseTick == 0) {
        currentState_->pauseTick = CFrameSequencer::PauseTick();
    }
    paused_ = 1;
}

void CPartBase::Resume() {
    if (currentState_ != nullptr && currentState_->pauseTick != 0) {
        currentState_->startTick += CFrameSequencer::Now() - currentState_->pauseTick;
        currentState_->pauseTick = 0;
    }
    paused_ = 0;
}

void CPartBase::SetMirrored(uint32_t flag) {
    if (flag == mirrored_) {
        return;
    }
    for (int32_t i = 0; i < states_.Count(); ++i) {
        if (CState* state = states_.GetAt(i)) {
            state->mirrorX = state->mirrorX == 0 ? 1 : 0;
        }
    }
    mirrored_ = flag;
}

void CPartBase::SetDrawMode(uint32_t mode) {
    drawMode_ = mode;
    for (int32_t i = 0; i < states_.Count(); ++i) {
        if (CState* state = states_.GetAt(i)) state->drawMode = mode;
    }
}

void CPartBase::SetTint(uint32_t colour, int16_t level) {
    tintColour_ = colour;
    tintLevel_ = level;
    for (int32_t i = 0; i < states_.Count(); ++i) {
        if (CState* state = states_.GetAt(i)) {
            state->tintColour[0] = ColorRed(colour);
            state->tintColour[1] = ColorGreen(colour);
            state->tintColour[2] = ColorBlue(colour);
            state->tintLevel = level;
        }
    }
}

void CPartBase::SetBlendLevel(int16_t level) {
    blendLevel_ = level;
    for (int32_t i = 0; i < states_.Count(); ++i) {
        if (CState* state = states_.GetAt(i)) state->blendLevel = level;
    }
}

void CPartBase::QueueState(int32_t index) {
    if (index >= 0 && index < states_.Count()) {
        queue_.Append(index);
    }
}

void CPartBase::SetNextState(int32_t index) {
    ClearQueue();
    QueueState(index);
}

uint16_t CPartBase::GetCurrentBaseValue() const {
    return currentState_ != nullptr ? currentState_->GetBaseValue() : 0;
}

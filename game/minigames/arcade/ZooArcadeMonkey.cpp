#include "game/minigames/arcade/ZooArcadeMonkey.h"

#include <cstdlib>

#include "engine/base/Trace.h"
#include "game/minigames/arcade/ArcadeHitPause.h"
#include "game/world/characters/DweebleRoutines.h"
#include "game/minigames/arcade/ZooArcadeVine.h"

namespace {

constexpr int32_t kSwingGroup = 0, kHitGroup = 3, kAcrossGroup = 5, kLeaveGroup = 6;

int32_t RandomOf(const CDynArray<int32_t>& frames) { return frames.GetAt(std::rand() % frames.Count()); }

} // namespace

Zoo_Arcade_Monkey::Zoo_Arcade_Monkey(const char* name, uint32_t classId) : Dweeble(name, classId) {
    AddFramesA(0, 2);
    AddFramesE(3, 5);
    AddFramesD(6, 8);
    SetMaxSpeed(kMaxSpeed, 0);
    SetIdleParam(kSwingPauseMs);
    SetPriority(kPriority);
    SetGroupRoutine(kSwingGroup, &SwingRoutine);
    SetGroupRoutine(kHitGroup, &HitRoutine);
    SetGroupRoutine(kAcrossGroup, &AcrossRoutine);
    SetGroupRoutine(kLeaveGroup, &LeaveRoutine);
}

bool Zoo_Arcade_Monkey::IsA(uint32_t classId) const { return classId == kClassId || Dweeble::IsA(classId); }

int32_t Zoo_Arcade_Monkey::OnIdle() {
    if (FrameInListD() && GetPosition().x >= kLeaveX && HasRoutine(kLeave)) SetBehaviourState(kLeave);
    return Dweeble::OnIdle();
}

int32_t Zoo_Arcade_Monkey::OnAnimationEnd() {
    if (IsOnStage(true, 0)) {
        if (FrameInListA()) {
            SetBehaviourState(kSwingAcross);
        } else if (InListE()) {
            vinePending_ = 1;
            SetBehaviourState(kSwing);
        }
    }
    return Dweeble::OnAnimationEnd();
}

void Zoo_Arcade_Monkey::Reset() {
    vineId_ = -1;
    hit_ = 0;
}

void Zoo_Arcade_Monkey::Hang(int16_t vineId, float x, float y) {
    Reset();
    vineId_ = vineId;
    vineX_ = x;
    SetPosition(CPointF(x, y), 0, 1);
    SetVisible(1, 0);
    ShowFrame(RandomOf(FramesA()));
    SetGroupRoutine(kSwingGroup, &SwingRoutine);
    SetBehaviourState(kSwingPause);
}

void Zoo_Arcade_Monkey::LetGo() {
    SetVisible(0, 0);
    SetGroupRoutine(kSwingGroup, &DoNothing);
    SetBehaviourState(kSwingPause);
}

bool Zoo_Arcade_Monkey::MarkHit() {
    if (hit_) return false;
    hit_ = 1;
    return true;
}

bool Zoo_Arcade_Monkey::InListE() {
    const int32_t frame = GetState();
    for (int32_t i = 0; i < FramesE().Count(); ++i)
        if (FramesE().GetAt(i) == frame) return true;
    return false;
}

Zoo_Arcade_Vine* Zoo_Arcade_Monkey::FindVine(int32_t objectId) const {
    const ONode* parent = GetParent();
    for (int32_t i = 0; parent && i < parent->ChildCount(); ++i) {
        auto* vine = dynamic_cast<Zoo_Arcade_Vine*>(parent->ChildAt(i));
        if (vine && int32_t(vine->GetObjectId()) == objectId) return vine;
    }
    return nullptr;
}

void Zoo_Arcade_Monkey::Swing() {
    Stop();
    const float before = GetPosition().x;
    SetPosition(CPointF(kSwingStep, 0.0f), 1, 1);
    if (vinePending_) {
        vinePending_ = 0;
        if (FindVine(vineId_ + 1)) ++vineId_;
    }
    if (Zoo_Arcade_Vine* vine = FindVine(vineId_)) {
        SetPosition(CPointF(vine->GetPosition().x, GetPosition().y), 0, 1);
        vineX_ = vine->GetPosition().x;
    }
    // It lands hanging: the end of that swing sets it off across again.
    ShowFrame(RandomOf(FramesA()));
    xTracef("Orig Monkey Loc: %d ", int(before));
    xTracef("New Monkey Loc: %d\n", int(GetPosition().x));
    SetBehaviourState(kSwingPause);
}

void Zoo_Arcade_Monkey::Hit() {
    const int32_t state = GetBehaviourState();
    if (state == kHit) {
        if (StartHitPause(*this, kHitFalling)) SetVelocityXY(0.0f, kFallSpeed, 0);
    } else if (state == kHitFalling) {
        if (GetActionEndMode() == 1 && IsPauseOver()) SetBehaviourState(kSwingPause);
    } else if (state == kHitAfter) {
        switch (GetActionEndMode()) {
        case 2:
            SetBehaviourState(GetActionLoops() == -1 || GetActionEnds() < GetActionLoops() ? kHitFalling : kSwingPause);
            break;
        case 1:
            if (IsPauseOver()) SetBehaviourState(kSwingPause);
            break;
        case 0: SetBehaviourState(kSwingPause); break;
        default: break;
        }
    }
}

void Zoo_Arcade_Monkey::SwingRoutine(Dweeble* d) {
    auto* monkey = static_cast<Zoo_Arcade_Monkey*>(d);
    if (monkey->GetBehaviourState() == kSwing) {
        monkey->Swing();
    } else if (monkey->IsPauseOver()) {
        monkey->SetBehaviourState(kSwingAcross);
    }
}

void Zoo_Arcade_Monkey::HitRoutine(Dweeble* d) { static_cast<Zoo_Arcade_Monkey*>(d)->Hit(); }

void Zoo_Arcade_Monkey::AcrossRoutine(Dweeble* d) {
    auto* monkey = static_cast<Zoo_Arcade_Monkey*>(d);
    if (monkey->GetBehaviourState() != kSwingAcross) return;
    monkey->ShowFrame(RandomOf(monkey->FramesE()));
    monkey->SetBehaviourState(kSwingingAcross);
}

void Zoo_Arcade_Monkey::LeaveRoutine(Dweeble* d) {
    auto* monkey = static_cast<Zoo_Arcade_Monkey*>(d);
    if (monkey->GetBehaviourState() != kLeave) return;
    monkey->Stop();
    monkey->SetHeading(0);
    monkey->ShowFrame(kFirstLeavingFrame + std::rand() % kLeavingFrames);
    monkey->SetBehaviourState(kLeaving);
}

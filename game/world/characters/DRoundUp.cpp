#include "game/world/characters/DRoundUp.h"

#include <algorithm>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "game/world/characters/CharacterTouch.h"
#include "game/world/characters/DweebleNumbers.h"
#include "game/world/characters/DweebleRoutines.h"
#include "game/world/characters/TurnAway.h"

namespace {

constexpr uint32_t kAncestors[] = {DRoundUp::kClassId, Dweeble::kClassId};
constexpr int32_t kDwellMs = 250;
constexpr int32_t kNoticeDistance = 100;
constexpr int32_t kActionFrame = 4;
constexpr int32_t kCaughtPriority = 20000;
constexpr uint32_t kVoicePipe = 999;
constexpr int32_t kVoiceVolume = 100;
constexpr int16_t kInsideMargin = 5;
/// The look-ahead of a re-aim reaches a quarter past the next step.
constexpr float kLookAheadScale = 1.25f;

CPoint16 Whole(const CPointF& p) { return CPoint16(ToInt16(p.x), ToInt16(p.y)); }

} // namespace

DRoundUp::DRoundUp(const char* name, uint32_t classId) : Dweeble(name, classId) {
    SetGroupRoutine(3, &Dweeble_Roam);
    SetGroupRoutine(5, &DoNothing);
    SetGroupRoutine(6, &DoNothing);
    SetDwellTimes(-1, kDwellMs, kDwellMs, 250, 250);
    SetCloseDistance(0);
    SetNoticeDistance(kNoticeDistance);
    AddFramesA(0, 0);
    AddFramesB(1, 3);
    AddFramesD(kActionFrame, kActionFrame);
    bumpTimer_.duration = kBumpMs;
    StartStateTimer(GetDwellIdle());
    StartStepTimer(GetDwellWalk());
}

bool DRoundUp::IsA(uint32_t classId) const {
    return std::find(std::begin(kAncestors), std::end(kAncestors), classId) != std::end(kAncestors) ||
           Dweeble::IsA(classId);
}

int32_t DRoundUp::OnIdle() {
    if (caught_) {
        if (GetState() != caughtFrame_) {
            SetBehaviourState(kCaughtState);
            ShowFrame(caughtFrame_);
            SetWorldChecks(0);
        }
        return TLVComplex_Object::OnIdle();
    }
    const int32_t answer = Dweeble::OnIdle();
    LeaveSolid();
    if (bumped_ && !FrameInListD()) TurnBackTo(this, bumpingVehicle_, kBumpedState);
    if (bumped_ && bumpTimer_.HasElapsed()) {
        bumped_ = 0;
        bumpingVehicle_ = nullptr;
        bumpTimer_.Stop();
        SetBehaviourState(0);
    }
    return answer;
}

int32_t DRoundUp::OnAnimationEnd() {
    if (GetState() == caughtFrame_ && !gone_) {
        gone_ = 1;
        SetVisible(0, 0);
        if (CCharacterWorld* world = GetCharacterWorld()) {
            world->RetireProp(this);
            world->CheckRoundUpEnd();
        }
    }
    return Dweeble::OnAnimationEnd();
}

int32_t DRoundUp::OnContact(TLV_Object* other) {
    if (GetState() == caughtFrame_ || IsStateGroupFacing(1) || caught_) return 0;
    if (!IsVehicle(other)) {
        if (!FrameInListD()) SetBehaviourState(6);
        return kTouchRefuse;
    }
    CCharacterWorld* world = GetCharacterWorld();
    if (!bumped_ && world) world->PlaySound(kBumpVoice, kVoicePipe, kVoiceVolume);
    if (!FrameInListD()) {
        SetBehaviourState(kBumpedState);
        Stop();
    }
    bumped_ = 1;
    bumpTimer_.Start(kBumpMs);
    bumpingVehicle_ = other;
    return PushedUnlessAtEdge(this);
}

void DRoundUp::UpdateZOrder() {
    if (GetState() != caughtFrame_) Dweeble::UpdateZOrder();
}

void DRoundUp::SetActionFrames(uint8_t /*variant*/) { AddFramesD(kActionFrame, kActionFrame); }

void DRoundUp::Catch() {
    SetBehaviourState(kCaughtState);
    Stop();
    ShowFrame(RandomFrameA());
    if (OActivityProp* shadow = GetShadow()) shadow->SetVisible(0, 0);
    SetPriority(kCaughtPriority);
    SetTargetObject(nullptr);
    caught_ = 1;
}

void DRoundUp::ForgetProp(const OActivityProp* prop) {
    if (bumpingVehicle_ == prop) bumpingVehicle_ = nullptr;
}

void DRoundUp::LeaveSolid() {
    CCharacterWorld* world = GetCharacterWorld();
    CPoint16 out;
    if (!world || !GetWorldChecks() || !world->FindWayOut(Whole(GetGroundPosition()), &out)) return;
    SnapToPoint(out);
    TakeLastPosition();
}

CPointF DRoundUp::CentreOffset(const CPointF& from) {
    const CPointF m = MapCentre();
    return CPointF(m.x - from.x, m.y - from.y);
}

bool DRoundUp::FreeOrSlower(int32_t state, int32_t d, int32_t* heading) {
    Vec3 out;
    if (FindFreeDirection(&out, state, d, heading)) return true;
    SetSpeed(GetSpeed() >> 1);
    return FindFreeDirection(&out, state, d, heading, 1);
}

void DRoundUp::PickRandomHeading(int32_t state) {
    const int32_t d0 = ChooseRandomDirection(state);
    if (d0 < 0) return;
    Vec3 out;
    int32_t heading = -1;
    const bool free = FindFreeDirection(&out, state, d0, &heading);
    if (!free && FindFreeDirection(&out, state, d0, &heading, 1)) {
        xTrace("\n");
    } else if (!free) {
        xTrace("Choosing random target location - No valid directions\n");
        xTrace("\n");
        const CPointF c = GetCharacterWorld() ? CentreOffset(GetPosition()) : CPointF();
        heading = NearestDirection(state, Vec3(c.x, c.y, 0.0f));
    }
    if (heading < 0) return;
    SetHeading(heading);
    SetTargetByDirection(state, heading, false);
}

void DRoundUp::ChooseHeading(int32_t state) {
    const int32_t count = DirectionCount(state);
    CCharacterWorld* world = GetCharacterWorld();
    if (count == 0) return;
    if (!world || !world->IsRoundUp()) {
        SetHeading(xRand() % count);
        return;
    }
    const CPointF g = GetGroundPosition();
    const CPoint16 p = Whole(g);
    int16_t sideX = 0, sideY = 0;
    if (world->IsNearMapEdge(p, &sideX, &sideY)) {
        const CPointF c = CentreOffset(CPointF(p.x, p.y));
        const int32_t d = NearestDirection(state, Vec3(c.x, c.y, 0.0f));
        int32_t heading = -1;
        SetHeading(FreeOrSlower(state, d, &heading) ? heading : d);
        return;
    }
    const CPointF toCentre = CentreOffset(GetPosition());
    const Vec3 centre(toCentre.x, toCentre.y, 0.0f);
    if (!world->IsInsideMap(p, kInsideMargin)) {
        SetHeading(NearestDirection(state, centre));
        return;
    }
    const float lookAhead =
        GetSpeed() > 0 ? float(GetSpeed()) * float(GetStepInterval()) * 0.001f * kLookAheadScale : 0.0f;
    CDynArray<int32_t> left;
    for (int32_t i = 0; i < count; ++i) left.Append(i);
    while (left.Count() > 0) {
        const int32_t pick = xRand() % left.Count();
        const int32_t candidate = left.GetAt(pick);
        left.RemoveAt(pick);
        Vec3 u = DirectionVector(state, candidate);
        Vec3Normalize(u, Vec3Length(u));
        const CPointF to(float(p.x) + lookAhead * u.x, float(p.y) + lookAhead * u.y);
        if (world->CanMoveTo(CPointF(p.x, p.y), to)) {
            SetHeading(candidate);
            return;
        }
    }
    SetHeading(NearestDirection(state, centre));
}

bool DRoundUp::SteerAlongHeading(int32_t state, OActivityProp* matchObject, int32_t /*extra*/) {
    if ((state >= 2 && state <= 4) || (state >= 12 && state <= 17)) SetSpeed(GetWalkSpeed());
    else if (state == 5) SetSpeed(GetRunSpeed());
    if (matchObject != nullptr && matchObject->IsA(TLVComplex_Object::kClassId)) {
        const float length = Vec3Length(static_cast<TLVComplex_Object*>(matchObject)->GetVelocity());
        if (TruncTo32(length) > GetSpeed()) MatchSpeed(matchObject, 0, 0);
    }
    CCharacterWorld* world = GetCharacterWorld();
    if (world && world->IsRoundUp()) {
        const CPointF g = GetGroundPosition();
        const CPoint16 p = Whole(g);
        const CPointF c = CentreOffset(CPointF(p.x, p.y));
        int16_t sideX = 0, sideY = 0;
        if (world->IsNearMapEdge(p, &sideX, &sideY)) {
            SetHeading(NearestDirection(state, Vec3(c.x, c.y, 0.0f)));
        } else if (!world->IsInsideMap(p, kInsideMargin)) {
            SetHeading(NearestDirection(state, Vec3(c.x, c.y, 0.0f)));
            return true;
        }
    }
    int32_t heading = -1;
    if (!FreeOrSlower(state, GetHeading(), &heading)) return false;
    SetHeading(heading);
    return true;
}

#include "game/world/characters/Dweeble.h"

#include <algorithm>
#include <cmath>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/graphics/Part.h"
#include "game/world/characters/DweebleNumbers.h"
#include "game/world/characters/DweebleRoutines.h"

namespace {

constexpr uint32_t kAncestors[] = {Dweeble::kClassId, 1110, 1100, 54, 50, 20, 10, 1};
constexpr int32_t kStateTimerIdleMs = 3000;
constexpr int32_t kStateTimerWalkMs = 2000;
constexpr int32_t kStateTimerOtherMs = 1000;
constexpr int32_t kStepTimerMs = 100;
constexpr int32_t kTurnTimerMs = 750;

} // namespace

Dweeble::Dweeble(const char* name, uint32_t classId) : TLVComplex_Object(name, classId) {
    framesA_.Append(0);
    for (int32_t f : {1, 2, 3}) framesB_.Append(f);
    for (int32_t f : {4, 5, 6}) framesC_.Append(f);
    routines_[0] = Dweeble_Wander;
    routines_[1] = Dweeble_Wander;
    routines_[2] = Dweeble_Avoid;
    currentRoutine_ = routines_[0];
    SetLoadAllStates(1);
    SetOverlayPlacement(1);
    SetVelocity(Vec3(), 0);
    SetAcceleration(Vec3(), 0);
    StartDwellTimer(1, false);
    stateTimer_.Start(kStateTimerIdleMs);
    stepTimer_.Start(kStepTimerMs);
    turnTimer_.Start(kTurnTimerMs);
}

Dweeble::~Dweeble() { DeleteOverlay(); }

bool Dweeble::IsA(uint32_t classId) const {
    return std::find(std::begin(kAncestors), std::end(kAncestors), classId) != std::end(kAncestors) ||
           TLVComplex_Object::IsA(classId);
}

int32_t Dweeble::OnPropertiesLoaded() {
    CreateShadow();
    CreateOverlay();
    UpdateZOrder();
    return TLV_Object::OnPropertiesLoaded();
}

void Dweeble::OnPartLoaded() {
    TLV_Object::OnPartLoaded();
    CreateShadow();
    CreateOverlay();
    UpdateZOrder();
}

void Dweeble::Suspend(int32_t flag) {
    dwellTimer_.Pause();
    TLVComplex_Object::Suspend(flag);
}

void Dweeble::Resume(int32_t flag) {
    dwellTimer_.Resume();
    TLVComplex_Object::Resume(flag);
}

int32_t Dweeble::OnIdle() {
    if (!hasLastPosition_) {
        lastPosition_ = GetGroundPosition();
        hasLastPosition_ = 1;
    }
    if (currentRoutine_) currentRoutine_(this);
    const int32_t result = TLVComplex_Object::OnIdle();
    if (!IsA(kCaptiveClassId) && worldChecks_ && IsShownThroughParents()) WorldRoundTrip();
    UpdateZOrder();
    return result;
}

void Dweeble::WorldRoundTrip() {
    const bool inWorld = InWorld();
    const bool restingFrame =
        inWorld && (FrameInListA() || FrameInListD() || (world_->IsRoundUp() && FrameInListB()));
    if (restAccept_ && Vec3Length(GetVelocity()) == 0.0f && restingFrame) {
        lastPosition_ = GetGroundPosition();
        return;
    }
    restAccept_ = 0;
    const CPointF p = GetGroundPosition();
    if (!inWorld || p == lastPosition_) return;
    uint8_t apply = 1;
    const CPointF q = world_->ResolveMove(lastPosition_, p, 0, &apply);
    if (!(q == p)) {
        if (apply) SnapToPoint(CPoint16(ToInt16(RoundCorrected(q.x)), ToInt16(RoundCorrected(q.y))));
        ExpireStepTimer();
        ExpireTurnTimer();
    }
    const CPointF now = GetGroundPosition();
    if (!(now == lastPosition_) && world_->AcceptPosition(now, 0, 1)) lastPosition_ = now;
}

int32_t Dweeble::OnAnimationEnd() {
    if (FrameInListD()) {
        bool ends = actionEndMode_ == 0;
        if (actionEndMode_ == 2 && actionLoops_ != -1) ends = ++actionEnds_ >= actionLoops_;
        if (ends) {
            Stop();
            ResumeAnimation();
            SetBehaviourState(stateAfterAction_);
        }
    }
    return TLV_Object::OnAnimationEnd();
}

void Dweeble::UpdateZOrder() {
    // With a shadow the z bias is left out, as the character has always been drawn.
    if (OActivityProp* shadow = GetShadow()) {
        SetPriority(ClampTo32(5 * int64_t(TruncTo32(shadow->GetPosition().y))));
        shadow->SetPriority(ClampTo32(int64_t(GetPriority()) - 1));
        return;
    }
    SetPriority(ClampTo32(5 * (int64_t(TruncTo32(GetPosition().y)) + GetZBias())));
}

// ---- State and routines ------------------------------------------------------------------------

int32_t Dweeble::GroupOf(int32_t state) {
    if (state < 0 || state >= kStates) return -1;
    if (state < 6) return state / 2;
    return 3 + (state - 6) / 3;
}

void Dweeble::SetBehaviourState(int32_t state) {
    const int32_t group = GroupOf(state);
    if (group >= 0) currentRoutine_ = routines_[group];
    const int32_t duration = group == 0   ? kStateTimerIdleMs
                             : group == 1 ? kStateTimerWalkMs
                                          : kStateTimerOtherMs;
    state_ = state;
    SetChainHeadAnimation(state == 6 || state == 7 ? 1 : 0);
    StartDwellTimer(state, false);
    stateTimer_.Start(duration);
}

void Dweeble::SetGroupRoutine(int32_t group, DweebleRoutine r) {
    if (group >= 0 && group < kGroups) routines_[group] = r;
}

DweebleRoutine Dweeble::GetGroupRoutine(int32_t group) const {
    return group >= 0 && group < kGroups ? routines_[group] : nullptr;
}

bool Dweeble::HasRoutine(int32_t state) const {
    const int32_t group = GroupOf(state);
    return group >= 0 && routines_[group] != nullptr;
}

int32_t Dweeble::GetFacingGroup() const {
    if (state_ >= 0 && state_ <= 11) return 0;
    if (state_ >= 12 && state_ <= 14) return 1;
    if (state_ >= 15 && state_ <= 17) return 2;
    return -1;
}

bool Dweeble::IsStateGroupFacing(int32_t group) const {
    if (state_ < 12 || state_ > 17) return false;
    return group == -1 || group == GetFacingGroup();
}

void Dweeble::StartDwellTimer(int32_t state, bool halve) {
    int32_t time = halve ? 1 : 0;
    switch (GroupOf(state)) {
    case 0: time = dwellIdle_; break;
    case 1: time = dwellWalk_; break;
    case 2: time = state == 4 ? dwellFlee_ : dwellRun_; break;
    case 3: time = dwellAction_; break;
    case 4: dwellTimer_.Start(-1); return;
    case 5: time = dwellFacing1_; break;
    case 6: time = dwellFacing2_; break;
    default: break;
    }
    if (time != -1 && halve) time >>= 1;
    dwellTimer_.Start(time);
}

void Dweeble::SetDwellTimes(int32_t action, int32_t flee, int32_t run, int32_t facing1, int32_t facing2) {
    dwellAction_ = action;
    dwellFlee_ = flee;
    dwellRun_ = run;
    dwellFacing1_ = facing1;
    dwellFacing2_ = facing2;
}

// ---- Timers --------------------------------------------------------------------------------------

void Dweeble::Expire(DweebleStateTimer& timer) {
    const int32_t duration = timer.duration;
    timer.Start(duration);
    if (duration != -1) timer.start -= uint32_t(duration) + 1u;
}

void Dweeble::ExpireTimers() {
    ExpireStateTimer();
    ExpireStepTimer();
    ExpireTurnTimer();
}

bool Dweeble::IsPauseOver() {
    const bool over = skipDwell_ != 0 || dwellTimer_.HasElapsed();
    skipDwell_ = 0;
    return over;
}

// ---- Frames --------------------------------------------------------------------------------------

void Dweeble::FillFrames(CDynArray<int32_t>& list, int32_t first, int32_t last) {
    list.Free();
    // The range is held to the part's possible states, so a wild range cannot run for ages.
    if (first > last || int64_t(last) - first >= kMaxFrameList) {
        if (first <= last) xTrace("Dweeble: frame range too long\n");
        return;
    }
    for (int32_t f = first;; ++f) {
        list.Append(f); // a frame that cannot be stored is skipped
        if (f == last) break;
    }
}

void Dweeble::RepeatFrame(CDynArray<int32_t>& list, int32_t id) {
    if (id > 0 && InList(list, id)) list.Append(id);
}

bool Dweeble::InList(const CDynArray<int32_t>& list, int32_t frame) {
    for (int32_t i = 0; i < list.Count(); ++i) {
        if (list.GetAt(i) == frame) return true;
    }
    return false;
}

int32_t Dweeble::RandomFrameA() {
    if (framesA_.Count() == 0) return 0;
    return framesA_.GetAt(xRand() % framesA_.Count());
}

void Dweeble::ShowRandomFrameA() {
    Stop();
    ShowFrame(RandomFrameA());
}

int32_t Dweeble::ShowRandomFrameD(bool still) {
    if (framesD_.Count() == 0) return -1;
    const int32_t frame = framesD_.GetAt(xRand() % framesD_.Count());
    if (still) {
        SetAnimating(0);
        if (FrameExists(frame)) SetState(frame);
    } else {
        ShowFrame(frame);
    }
    SetChainHeadAnimation(1);
    return frame;
}

void Dweeble::ResumeAnimation() {
    SetAnimating(1);
    SetChainHeadAnimation(0);
}

bool Dweeble::FrameExists(int32_t frame) {
    CPartBase* part = GetAnimSet();
    if (part != nullptr && frame >= 0 && frame < part->GetStateCount()) return true;
    if (!tracedFrame_) {
        tracedFrame_ = 1;
        xTrace("Dweeble: frame not in the part\n");
    }
    return false;
}

void Dweeble::ShowFrame(int32_t frame) {
    if (!FrameExists(frame)) return;
    SetState(frame);
    QueueNextState(frame);
}

void Dweeble::SetChainHeadAnimation(int32_t value) {
    TLV_Object* head = ChainHead();
    if (head == nullptr || head == this) return;
    head->SetState(value);
    head->QueueNextState(value);
}

int32_t Dweeble::MovingFrame(const CDynArray<int32_t>& list, int32_t direction, bool* mirrored) const {
    const int32_t n = list.Count();
    *mirrored = false;
    if (direction < 0 || direction >= DirectionsFor(n)) return 0;
    if (direction < n) {
        *mirrored = true;
        return list.GetAt(n - 1 - direction);
    }
    return list.GetAt(direction - n);
}

void Dweeble::SetDirectionTable(int32_t count, const DirectionTable& table) {
    if (count == 1) directions2_ = &table;
    else if (count == 2) directions4_ = &table;
    else if (count == 3 || count == 4) directions6_ = &table;
}

// ---- Motion --------------------------------------------------------------------------------------

CPointF Dweeble::GetGroundPosition() const {
    if (const OActivityProp* shadow = GetShadow()) return shadow->GetPosition();
    return CPointF(GetPosition().x, GetBottom());
}

void Dweeble::SnapToPoint(const CPoint16& point) {
    const CPointF pos = GetPosition();
    SetPosition(CPointF(std::trunc(pos.x), std::trunc(pos.y)), 0, 1);
    const CPointF ground = GetGroundPosition();
    const int32_t dx = int32_t(point.x) - TruncTo32(RoundCorrected(ground.x));
    const int32_t dy = int32_t(point.y) - TruncTo32(RoundCorrected(ground.y));
    SetPosition(CPointF(float(dx), float(dy)), 1, 1);
}

void Dweeble::MatchSpeed(OActivityProp* object, int32_t minimum, int32_t extra) {
    if (object == nullptr) return;
    float speed = 0.0f;
    if (object->IsA(kClassId)) {
        speed = float(static_cast<Dweeble*>(object)->speed_);
    } else if (object->IsA(TLVComplex_Object::kClassId)) {
        speed = Vec3Length(static_cast<TLVComplex_Object*>(object)->GetVelocity());
    }
    const int64_t matched = int64_t(TruncTo32(speed)) + extra;
    speed_ = ClampTo32(std::max<int64_t>(matched, minimum));
}

void Dweeble::SelectSpeed(int32_t state) {
    if (state == 3 || state == 4) speed_ = walkSpeed_;
    else if (state == 5) speed_ = runSpeed_;
}

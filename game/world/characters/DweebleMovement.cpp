// Headings, frames and velocity, the direction searches and the target vectors of a character.
#include <cmath>
#include <limits>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/core/ActivityProp.h"
#include "engine/graphics/Part.h"
#include "game/world/characters/Dweeble.h"
#include "game/world/characters/DweebleNumbers.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr float kStartAngle = 6.2831855f;
constexpr double kRightAngle = 1.5707963265;
constexpr float kNearTarget = 8.0f;
constexpr int16_t kInsideMargin = 5;

double Angle(const Vec3& v, const CPointF& t) {
    const double lv = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    const double lt = std::sqrt(double(t.x) * t.x + double(t.y) * t.y);
    if (lv * lt == 0.0) return 0.0;
    const double c = (double(t.x) * v.x + double(t.y) * v.y) / (lv * lt);
    return std::acos(std::clamp(c, -1.0, 1.0));
}

CPoint16 ToPoint16(const CPointF& p) { return CPoint16(ToInt16(p.x), ToInt16(p.y)); }

} // namespace

// ---- Direction sets -------------------------------------------------------------------------

const CDynArray<int32_t>& Dweeble::MovingList(int32_t state) const { return state == 5 ? framesC_ : framesB_; }

int32_t Dweeble::DirectionCount(int32_t state) const { return DirectionsFor(MovingList(state).Count()); }

int32_t Dweeble::LookAhead(int32_t state) const { return state == 5 ? runStep_ : walkStep_; }

const DirectionTable* Dweeble::TableFor(int32_t frames) const {
    if (frames <= 0) return nullptr;
    if (frames == 1) return directions2_;
    if (frames == 2) return directions4_;
    return directions6_; // 3 or 4 frames; a longer list wraps into it
}

void Dweeble::TraceTableFault() const {
    if (tracedTable_) return;
    tracedTable_ = 1;
    xTrace("Dweeble: direction outside the direction table\n");
}

int32_t Dweeble::WrapDirection(int32_t state, int32_t direction) const {
    const int32_t count = DirectionCount(state);
    if (count == 0) return -1;
    return ((direction % count) + count) % count;
}

bool Dweeble::TableEntry(int32_t state, int32_t direction, CPointF* entry) const {
    const DirectionTable* table = TableFor(MovingList(state).Count());
    int32_t index = WrapDirection(state, direction);
    if (table == nullptr || table->count <= 0 || index < 0) {
        TraceTableFault();
        return false;
    }
    if (index != direction || index >= table->count) {
        TraceTableFault();
        index %= table->count;
    }
    *entry = table->entries[index];
    return true;
}

Vec3 Dweeble::DirectionVector(int32_t state, int32_t direction) const {
    CPointF t;
    if (!TableEntry(state, direction, &t)) return Vec3();
    const float step = float(LookAhead(state));
    return Vec3(step * t.x, step * t.y, 0.0f);
}

int32_t Dweeble::NearestDirection(int32_t state, const Vec3& v) {
    const int32_t count = DirectionCount(state);
    double best = kStartAngle;
    int32_t result = -1;
    for (int32_t i = 0; i < count; ++i) {
        CPointF t;
        if (!TableEntry(state, i, &t)) return -1;
        const double angle = Angle(v, t);
        if (angle < best) {
            best = angle;
            result = i;
        }
    }
    if (count == 0) TraceTableFault();
    return result;
}

int32_t Dweeble::OppositeDirection() {
    const Vec3 d = DirectionVector(state_, heading_);
    return NearestDirection(state_, Vec3(-d.x, -d.y, -d.z));
}

int32_t Dweeble::Candidate(int32_t preferred, int32_t k, int32_t count) {
    const int32_t offset = k == 0 ? 0 : (k % 2 == 1 ? (k + 1) / 2 : -(k / 2));
    const int64_t d = (int64_t(preferred) + offset) % count;
    return int32_t((d + count) % count);
}

// ---- Heading, velocity and frame ---------------------------------------------------------------

void Dweeble::ApplyHeading(int32_t state) {
    if (speed_ == 0) speed_ = 1;
    CPointF t;
    if (!TableEntry(state, heading_, &t)) return; // no direction: the velocity stays
    Vec3 v(t.x, t.y, 0.0f);
    Vec3Normalize(v, Vec3Length(v));
    SetVelocity(Vec3(v.x * float(speed_), v.y * float(speed_), 0.0f), 0);
    bool mirrored = false;
    const int32_t frame = MovingFrame(MovingList(state), WrapDirection(state, heading_), &mirrored);
    if (frame != GetState()) ShowFrame(frame);
    if (CPartBase* part = GetAnimSet()) part->SetMirrored(mirrored ? 1 : 0);
}

void Dweeble::HeadToTarget(int32_t state) {
    const int32_t d = NearestDirection(state, VectorToTarget());
    if (d < 0) return;
    Vec3 out;
    int32_t free = -1;
    heading_ = FindFreeDirection(&out, state, d, &free) ? free : d;
}

bool Dweeble::SteerAlongHeading(int32_t state, OActivityProp* matchObject, int32_t /*extra*/) {
    if (state == 5) speed_ = runSpeed_;
    else if ((state >= 2 && state <= 4) || (state >= 12 && state <= 17)) speed_ = walkSpeed_;
    return SteerAlongHeadingKeepSpeed(state, matchObject);
}

bool Dweeble::SteerAlongHeadingKeepSpeed(int32_t state, OActivityProp* matchObject) {
    if (matchObject != nullptr && matchObject->IsA(TLVComplex_Object::kClassId)) {
        const float length = Vec3Length(static_cast<TLVComplex_Object*>(matchObject)->GetVelocity());
        if (speed_ < TruncTo32(length)) MatchSpeed(matchObject, 0, 0);
    }
    Vec3 out;
    int32_t direction = -1;
    if (FindFreeDirection(&out, state, heading_, &direction)) {
        heading_ = direction;
    } else if (FindBestDirection(&out, state, &direction)) {
        heading_ = direction;
    }
    return true;
}

void Dweeble::MoveToTarget() {
    Vec3 v = VectorToTarget();
    const float length = Vec3Length(v);
    if (length == 0.0f) return;
    Vec3Normalize(v, length);
    SetVelocity(Vec3(v.x * float(speed_), v.y * float(speed_), 0.0f), 0);
    bool mirrored = false;
    const int32_t frame = MovingFrameB(WrapDirection(3, heading_), &mirrored);
    if (frame != GetState()) ShowFrame(frame);
    if (CPartBase* part = GetAnimSet()) part->SetMirrored(mirrored ? 1 : 0);
}

void Dweeble::SetTargetByDirection(int32_t state, int32_t direction, bool half) {
    heading_ = direction;
    CPointF t;
    if (!TableEntry(state, direction, &t)) return;
    const float step = half ? float(LookAhead(state)) * 0.5f : float(LookAhead(state));
    const CPointF g = GetGroundPosition();
    targetPoint_ = CPointF(g.x + step * t.x, g.y + step * t.y);
}

// ---- Searches ----------------------------------------------------------------------------------

float Dweeble::ProbeDistance(float minimum) const {
    const float probe = float(speed_) * float(stepTimer_.duration) * 0.001f * 1.25f;
    return std::max(probe, minimum);
}

CRect16 Dweeble::GrownBox(float grow) const {
    float l = GetPosition().x, r = l, t = GetPosition().y, b = t;
    if (HasRightAngleRotation()) {
        l = GetLeft();
        r = GetRight();
        t = GetTop();
        b = GetBottom();
    }
    return CRect16(ToInt16(l - grow), ToInt16(t - grow), ToInt16(r + grow), ToInt16(b + grow));
}

int32_t Dweeble::AboveBandFlag(const CPointF& from) {
    return world_->IsBelowTopBand(ToPoint16(from)) ? 0 : 1;
}

bool Dweeble::IsStepFree(const CPointF& from, const Vec3& step, int32_t state, int32_t callerFlag,
                         int32_t aboveBand) {
    const CPointF to(from.x + step.x, from.y + step.y);
    if (world_ == nullptr) return true;
    if (!world_->IsDrivingWorld()) return world_->CanMoveTo(from, to);
    return world_->IsMoveBoxFree(from, to, callerFlag, aboveBand, obstacles_, state == 5 ? 1 : 0);
}

bool Dweeble::FindFreeDirection(Vec3* out, int32_t state, int32_t preferred, int32_t* direction,
                                int32_t callerFlag) {
    *out = Vec3();
    *direction = -1;
    const int32_t count = DirectionCount(state);
    if (count == 0) {
        TraceTableFault();
        return false;
    }
    const CPointF from = GetGroundPosition();
    const float probe = ProbeDistance(3.0f);
    int32_t aboveBand = 0;
    if (InWorld()) {
        aboveBand = AboveBandFlag(from);
        obstacles_.Free();
        world_->CollectObstacles(GrownBox(probe), obstacles_);
    }
    for (int32_t k = 0; k < count; ++k) {
        const int32_t candidate = Candidate(preferred, k, count);
        CPointF t;
        if (!TableEntry(state, candidate, &t)) return false;
        const Vec3 step(probe * t.x, probe * t.y, 0.0f);
        if (IsStepFree(from, step, state, callerFlag, aboveBand)) {
            *out = step;
            *direction = candidate;
            return true;
        }
    }
    return false;
}

bool Dweeble::FindBestDirection(Vec3* out, int32_t state, int32_t* direction) {
    *out = Vec3();
    *direction = heading_;
    const int32_t count = DirectionCount(state);
    if (!InWorld() || count == 0) return false;
    const CPointF from = GetGroundPosition();
    const float probe = ProbeDistance(2.0f);
    double best = 0.0;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t candidate = Candidate(heading_, k, count);
        CPointF t;
        if (!TableEntry(state, candidate, &t)) return false;
        uint8_t apply = 1;
        const CPointF reached = world_->ResolveMove(from, CPointF(from.x + probe * t.x, from.y + probe * t.y), 0, &apply);
        const double dx = double(reached.x) - from.x, dy = double(reached.y) - from.y;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (distance > best) {
            best = distance;
            *direction = candidate;
            *out = Vec3(float(dx), float(dy), 0.0f);
        }
    }
    return best > 0.0;
}

int32_t Dweeble::RandomFreeDirection(int32_t state, float probe) {
    const int32_t count = DirectionCount(state);
    const CPointF from = GetGroundPosition();
    int32_t aboveBand = 0;
    if (InWorld()) {
        aboveBand = AboveBandFlag(from);
        obstacles_.Free();
        world_->CollectObstacles(GrownBox(probe), obstacles_);
    }
    candidates_.Free();
    for (int32_t i = 0; i < count; ++i) candidates_.Append(i);
    while (candidates_.Count() > 0) {
        const int32_t pick = xRand() % candidates_.Count();
        const int32_t candidate = candidates_.GetAt(pick);
        candidates_.RemoveAt(pick);
        CPointF t;
        if (!TableEntry(state, candidate, &t)) return -1;
        if (IsStepFree(from, Vec3(probe * t.x, probe * t.y, 0.0f), state, 0, aboveBand)) return candidate;
    }
    return -1;
}

int32_t Dweeble::ChooseRandomDirection(int32_t state) {
    const int32_t count = DirectionCount(state);
    if (count == 0) {
        TraceTableFault();
        return -1;
    }
    const int32_t free = RandomFreeDirection(state, float(LookAhead(state)));
    return free >= 0 ? free : xRand() % count;
}

void Dweeble::PickRandomHeading(int32_t state) {
    const int32_t d = ChooseRandomDirection(state);
    if (d < 0) return;
    Vec3 out;
    int32_t direction = -1;
    if (FindFreeDirection(&out, state, d, &direction)) {
        heading_ = direction;
    } else {
        FindBestDirection(&out, state, &direction);
        heading_ = direction;
    }
    SetTargetByDirection(state, heading_, false);
}

CPointF Dweeble::MapCentre() {
    if (world_ == nullptr) return CPointF();
    const CRect16 map = world_->GetMapRect();
    return CPointF(float(map.Width() / 2), float(map.Height() / 2));
}

void Dweeble::ChooseHeading(int32_t state) {
    if (DirectionCount(state) == 0) {
        TraceTableFault();
        return;
    }
    Vec3 out;
    int32_t direction = -1;
    if (InWorld()) {
        const CPointF g = GetGroundPosition();
        int16_t sideX = 0, sideY = 0;
        if (!world_->IsInsideMap(ToPoint16(g), kInsideMargin)) {
            const CPointF c = MapCentre();
            heading_ = NearestDirection(state, Vec3(c.x - g.x, c.y - g.y, 0.0f));
            return;
        }
        if (world_->IsNearMapEdge(ToPoint16(g), &sideX, &sideY)) {
            const int32_t d = NearestDirection(state, Vec3(-float(sideX), -float(sideY), 0.0f));
            if (FindFreeDirection(&out, state, d, &direction)) {
                heading_ = direction;
            } else {
                FindBestDirection(&out, state, &direction);
                heading_ = direction;
            }
            return;
        }
    }
    const int32_t free = RandomFreeDirection(state, ProbeDistance(std::numeric_limits<float>::lowest()));
    if (free >= 0) {
        heading_ = free;
        return;
    }
    FindBestDirection(&out, state, &direction);
    heading_ = direction;
}

int32_t Dweeble::FleeDirection(int32_t state, OActivityProp* fromObject) {
    int32_t result = heading_;
    if (!InWorld()) return result;
    const CPointF g = GetGroundPosition();
    const CPointF c = MapCentre();
    const Vec3 toCentre(c.x - g.x, c.y - g.y, 0.0f);
    int16_t sideX = 0, sideY = 0;
    if (!world_->IsInsideMap(ToPoint16(g), kInsideMargin)) {
        const int32_t d = NearestDirection(state, toCentre);
        return d >= 0 ? d : result;
    }
    if (world_->IsNearMapEdge(ToPoint16(g), &sideX, &sideY)) {
        Vec3 out;
        int32_t direction = -1;
        if (FindFreeDirection(&out, state, NearestDirection(state, toCentre), &direction)) return direction;
    }
    if (fromObject != nullptr) {
        const CPointF o = fromObject->GetPosition();
        const int32_t d = NearestDirection(state, Vec3(g.x - o.x, g.y - o.y, 0.0f));
        if (d >= 0) result = d;
    }
    return result;
}

// ---- Target and leader vectors -----------------------------------------------------------------

Vec3 Dweeble::VectorToTarget() const {
    const CPointF g = GetGroundPosition();
    return Vec3(targetPoint_.x - g.x, targetPoint_.y - g.y, 0.0f);
}

Vec3 Dweeble::VectorFromTarget() const {
    const Vec3 v = VectorToTarget();
    return Vec3(-v.x, -v.y, 0.0f);
}

CPoint16 Dweeble::TargetOffset() const {
    const Vec3 v = VectorToTarget();
    return CPoint16(ToInt16(v.x), ToInt16(v.y));
}

bool Dweeble::IsNearTarget() const { return Vec3Length(VectorToTarget()) < kNearTarget; }

double Dweeble::DistanceFromTarget() const { return Vec3Length(VectorToTarget()); }

bool Dweeble::HasPassedTarget() {
    const Vec3& v = GetVelocity();
    if (Vec3Length(v) == 0.0f) return false;
    const Vec3 t = VectorToTarget();
    return Angle(v, CPointF(t.x, t.y)) >= kRightAngle;
}

Vec3 Dweeble::VectorFromLeader() const {
    const CPointF g = GetGroundPosition();
    if (targetObject_ == nullptr) return Vec3(g.x, g.y, 0.0f);
    const CPointF o = targetObject_->GetPosition();
    return Vec3(g.x - o.x, g.y - o.y, 0.0f);
}

double Dweeble::DistanceFromLeader() const { return Vec3Length(VectorFromLeader()); }

Vec3 Dweeble::VectorFromLeaderEnd() const {
    const CPointF g = GetGroundPosition();
    if (targetObject_ == nullptr) return Vec3(g.x, g.y, 0.0f);
    CPointF o = targetObject_->GetPosition();
    if (targetObject_->IsA(TLV_Object::kClassId)) {
        TLV_Object* front = static_cast<TLV_Object*>(targetObject_)->ChainHead();
        if (front->IsA(kClassId)) {
            o = static_cast<Dweeble*>(front)->GetGroundPosition();
        } else if (front->IsA(VIsometric::kClassId)) {
            static_cast<VIsometric*>(front)->GetGroundPointF(&o);
        } else {
            o = front->GetPosition();
        }
    }
    return Vec3(g.x - o.x, g.y - o.y, 0.0f);
}

double Dweeble::DistanceFromLeaderEnd() const { return Vec3Length(VectorFromLeaderEnd()); }

int32_t Dweeble::StepDistance() const {
    if (speed_ < 1) return 0;
    return TruncTo32(double(speed_) * double(dwellTimer_.duration) * 0.001);
}

// ---- Stage tests ---------------------------------------------------------------------------------

namespace {

struct Span {
    int32_t low, high;
};

/// The stage span of one axis, scrolled and shrunk by the margin.
Span StageSpan(int32_t scroll, int32_t size, int16_t margin) { return {scroll + margin, scroll + size - margin}; }

bool SpanHolds(const Span& s, float centre) { return centre >= float(s.low) && centre < float(s.high); }

bool SpanOverlaps(const Span& s, int32_t low, int32_t high) { return low < s.high && high > s.low; }

} // namespace

bool Dweeble::IsOnStage(bool overlap, int16_t margin) {
    const CPoint16 scroll = world_ ? world_->GetScrollOffset() : CPoint16();
    const Span h = StageSpan(scroll.x, OActivityProp::kStageWidth, margin);
    const Span v = StageSpan(scroll.y, OActivityProp::kStageHeight, margin);
    if (!overlap) return SpanHolds(h, GetPosition().x) && SpanHolds(v, GetPosition().y);
    const CRect16 box = GrownBox(0.0f);
    return SpanOverlaps(h, box.left, box.right) && SpanOverlaps(v, box.top, box.bottom);
}

bool Dweeble::IsOnStageColumn(bool overlap, int16_t margin) {
    const CPoint16 scroll = world_ ? world_->GetScrollOffset() : CPoint16();
    const Span h = StageSpan(scroll.x, OActivityProp::kStageWidth, margin);
    if (!overlap) return SpanHolds(h, GetPosition().x);
    const CRect16 box = GrownBox(0.0f);
    return SpanOverlaps(h, box.left, box.right);
}

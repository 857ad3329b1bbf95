// The vehicle's contacts with the props it meets, the way points it enters, the escape toward
// free space when it is blocked, pushes, a character's contacts, and the move tests the
// characters and the vehicle share.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "game/shell/Destructible.h"
#include "game/shell/Fire.h"
#include "game/shell/Projectile.h"
#include "game/shell/Pushable.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVComplexObject.h"
#include "game/world/TLVWorldActivity.h"
#include "game/world/vehicles/VIsometric.h"
#include "game/world/vehicles/VehicleHeadings.h"

namespace {

constexpr uint32_t kVehicleClass = 2000;
constexpr uint32_t kDweebleClass = 2400;
constexpr uint32_t kChangeableClass = 1560;
constexpr uint32_t kTokenClass = 1540;
/// Touch flags a prop answers.
enum : int32_t { kRefuse = 1, kRetire = 4, kPush = 16, kSpawn = 32, kSound = 64, kBlocked = 128 };
/// The widest angle (degrees) between the heading and a prop that still reacts.
constexpr double kDweebleGate = 123.75, kPropGate = 112.5;
/// A pushed prop this near to the vehicle on an axis is pushed further on it.
constexpr float kPushNear = 60.0f;
constexpr float kDweeblePush = 0.6f, kPropPush = 0.1f;
constexpr float kEscapeProbe = 130.0f, kEscapeBackOff = 20.0f;
constexpr int32_t kEscapeTries = 32;
/// A big pushable a character reaches without a collision of their shapes.
constexpr int32_t kBigPushable = 40;
constexpr int32_t kTopBand = 50;
constexpr double kNoHit = 10000.0;
/// A fraction at least this big rounds a coordinate up (a float just below a whole number).
constexpr float kRoundUpFraction = 0.996f;

using Found = CWorldBuckets::PropList;

CPoint16 Trunc(const CPointF& p) { return CPoint16(ClampToInt16(int32_t(p.x)), ClampToInt16(int32_t(p.y))); }

int16_t RoundNear(float v) { return ClampToInt16(int32_t(std::lround(v))); }

/// Truncated, and one up when the fraction lies in [lowest, 1).
int16_t TruncUp(float v, bool strict) {
    const float whole = std::trunc(v);
    const float fraction = v - whole;
    const bool up = strict ? fraction > kRoundUpFraction && fraction < 1.0f : fraction >= kRoundUpFraction;
    return ClampToInt16(int32_t(whole) + (up ? 1 : 0));
}

TLV_Object* Head(OActivityProp* prop) {
    auto* object = dynamic_cast<TLV_Object*>(prop);
    return object ? object->ChainHead() : nullptr;
}

/// Whether the prop's chain head (or the prop, when it is no game object) meets the segment.
bool SegmentHits(OActivityProp* prop, const CPoint16& a, const CPoint16& b) {
    if (TLV_Object* head = Head(prop)) return head->HitsSegment(a, b);
    const CPoint16 segment[2] = {a, b};
    return prop->IntersectsSegment16(segment, 0, nullptr);
}

bool Shown(const OActivityProp* prop) { return prop->IsVisible() && prop->IsShownThroughParents(); }

CPointF GroundOf(OActivityProp* prop) {
    auto* object = dynamic_cast<TLV_Object*>(prop);
    const OActivityProp* ref = object ? object->GetGroundRef() : prop;
    return ref ? ref->GetPosition() : prop->GetPosition();
}

double Distance(const CPointF& a, const CPointF& b) { return std::hypot(double(a.x) - b.x, double(a.y) - b.y); }

/// The vehicle's position on the ground (its shadow's, when it has one).
CPointF GroundPlace(const TLV_Object* mover) {
    return mover->GetShadow() ? mover->GetShadow()->GetPosition() : mover->GetPosition();
}

/// Where a prop meets the vehicle's reference prop: the middle of the common part of their boxes
/// (the chain head's box for a game object). The collision tests only say whether they meet.
CPointF ContactPoint(OActivityProp* prop, const OActivityProp* reference) {
    TLV_Object* head = Head(prop);
    const CRect16 common = CWorldBuckets::BoxOf(head ? head : prop).Intersect(CWorldBuckets::BoxOf(reference));
    return CPointF((float(common.left) + float(common.right)) / 2.0f,
                   (float(common.top) + float(common.bottom)) / 2.0f);
}

/// The angle in degrees between two vectors; 0 when either has no length.
double AngleBetween(double ax, double ay, double bx, double by) {
    const double lengths = std::hypot(ax, ay) * std::hypot(bx, by);
    if (!(lengths > 0.0)) return 0.0;
    const double cosine = std::fmax(-1.0, std::fmin(1.0, (ax * bx + ay * by) / lengths));
    return std::acos(cosine) * 180.0 / 3.14159265358979323846;
}

} // namespace

bool TLVWorld_Activity::IsBlocking(const OActivityProp* prop) {
    if (prop->IsA(Blocker::kClassId) || prop->IsA(kChangeableClass) || prop->IsA(Pushable::kClassId)) return true;
    return prop->IsA(Destructible::kClassId) && !static_cast<const Destructible*>(prop)->IsBroken() && Shown(prop);
}

bool TLVWorld_Activity::InMoveRect(int32_t x, int32_t y, int32_t bandFlag) {
    const CRect16 map = GetMapRect();
    const int32_t top = int32_t(map.top) + (bandFlag ? 0 : kTopBand);
    return x >= map.left && x < map.right && y >= top && y < map.bottom;
}

// ---- The vehicle's touch ------------------------------------------------------------------------

int32_t TLVWorld_Activity::OnVehicleTouch(TLV_Object* mover) {
    if (!mover) return 0;
    // A character's contacts follow their own rules.
    if (!mover->IsA(kVehicleClass)) return TouchProps(mover);
    auto* iso = dynamic_cast<VIsometric*>(mover);
    OActivityProp* reference = iso && iso->GetChildProp() ? iso->GetChildProp() : mover->GetGroundRef();
    if (!reference) reference = mover;
    const CRect16 box = CWorldBuckets::BoxOf(reference);
    Found props;
    QueryRect(CPoint16(box.left, box.top), CPoint16(box.right, box.bottom), props);
    if (CheckWayPoints(mover)) return 0;

    const bool moving = iso && (iso->GetDriveState() == VIsometric::kMoving ||
                                iso->GetDriveState() == VIsometric::kMovingToTarget);
    Vec3 heading(0.0f, 0.0f, 0.0f);
    if (iso) iso->GetHeadingVector(&heading);
    else if (auto* complex = dynamic_cast<TLVComplex_Object*>(mover)) heading = complex->GetVelocity();
    const CPointF previous = iso ? iso->GetPreviousGroundPosition() : mover->GetPosition();
    const CPointF motion(GroundPlace(mover).x - previous.x, GroundPlace(mover).y - previous.y);

    bool refused = false;
    std::vector<OActivityProp*> blocked;
    for (size_t i = props.size(); i-- > 0;) {
        auto* prop = dynamic_cast<TLV_Object*>(props[i]);
        if (!prop || prop == mover || prop == reference || prop == mover->GetShadow()) continue;
        if (!prop->ChainHead()->HitsProp(reference, nullptr)) continue;
        // A prop reacts when its ground point or the place the vehicle meets it lies ahead: a
        // wide house's ground point can lie behind a vehicle that runs into its far end.
        const double gate = prop->IsA(kDweebleClass) ? kDweebleGate : kPropGate;
        const CPointF ground = GroundOf(prop), contact = ContactPoint(prop, reference);
        const bool ahead =
            AngleBetween(heading.x, heading.y, double(ground.x) - previous.x, double(ground.y) - previous.y) < gate ||
            AngleBetween(heading.x, heading.y, double(contact.x) - previous.x, double(contact.y) - previous.y) < gate;
        if (!ahead) continue;
        if (moving) OnCollect(prop, 1);
        int32_t flags = prop->OnContact(mover);
        if ((flags & kSound) && moving) PlayPropSound(prop);
        if (flags & kPush) {
            const float factor = prop->IsA(kDweebleClass) ? kDweeblePush : kPropPush;
            CPointF d = motion;
            if (std::fabs(mover->GetPosition().x - prop->GetPosition().x) <= kPushNear) d.x += d.x * factor;
            if (std::fabs(mover->GetPosition().y - prop->GetPosition().y) <= kPushNear) d.y += d.y * factor;
            const CPointF before = prop->GetPosition();
            prop->SetPosition(CPointF(before.x + d.x, before.y + d.y), 0, 1);
            if (!CanPushTo(prop)) {
                prop->SetPosition(before, 0, 1);
                flags |= kBlocked;
            } else {
                prop->UpdateZOrder();
            }
        }
        if (flags & kSpawn) SpawnCharacter(prop);
        if (flags & kRetire) RetireProp(prop);
        if (flags & kRefuse) refused = true;
        if (flags & kBlocked) blocked.push_back(prop);
    }
    if (!blocked.empty()) {
        if (iso && !iso->IsHeadingGoalActive()) {
            OActivityProp* nearest = nullptr;
            double best = 0.0;
            for (OActivityProp* prop : blocked) {
                const double d = Distance(prop->GetPosition(), mover->GetPosition());
                if (!nearest || d < best) nearest = prop, best = d;
            }
            FindEscapeHeading(static_cast<TLV_Object*>(nearest));
        }
        return 1;
    }
    return refused ? 1 : 0;
}

int32_t TLVWorld_Activity::CheckWayPoints(TLV_Object* prop) {
    if (!prop) return 0;
    auto* iso = dynamic_cast<VIsometric*>(vehicle_);
    for (OActivityProp* slot : wayPoints_) {
        if (!slot || !slot->IsA(Interaction_Point::kClassId)) continue;
        auto* point = static_cast<Interaction_Point*>(slot);
        if (point->flags[0]) {
            const CPoint16 at(RoundNear(point->GetPosition().x), RoundNear(point->GetPosition().y));
            // The prop's own pixel test at the point (the world's would ask the cursor modes,
            // which game props do not set); its collision body stands for it.
            OActivityProp* body = prop->GetCollisionBody();
            const bool onIt = prop->HitTestPointAt(at, point) != nullptr ||
                              (body && body != prop && body->HitTestPointAt(at, point) != nullptr);
            if (!onIt || !vehicle_) continue;
            if (point->flags[1] && !(iso && iso->GetThrottle() == 0.0f)) continue;
            point->flags[0] = 0;
            EnterArea(int32_t(point->GetNumber()), at.x, at.y, int32_t(point->GetTarget().x),
                      int32_t(point->GetTarget().y));
            return 1;
        }
        const CRect16 a = CWorldBuckets::BoxOf(point), b = CWorldBuckets::BoxOf(prop);
        const bool overlap = a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
        if (!overlap) point->flags[0] = 1;
    }
    return 0;
}

void TLVWorld_Activity::FindEscapeHeading(TLV_Object* prop) {
    auto* iso = dynamic_cast<VIsometric*>(vehicle_);
    if (!iso) return;
    const int32_t h = iso->Heading();
    CPointF start = iso->GetPosition();
    if (prop && iso->GetChildProp() && prop->HitsProp(iso->GetChildProp(), nullptr)) {
        const CPointF contact = ContactPoint(prop, iso->GetChildProp());
        const Vec3& u = UnitHeadingTable[size_t(h)];
        start = CPointF(contact.x - kEscapeBackOff * u.x, contact.y - kEscapeBackOff * u.y);
    }
    Found around;
    QueryRect(Trunc(CPointF(start.x - kEscapeProbe, start.y - kEscapeProbe)),
              Trunc(CPointF(start.x + kEscapeProbe, start.y + kEscapeProbe)), around);
    // The props the start already stands on do not close every way out.
    CDynArray<OActivityProp*> standing;
    GatherPropsAt(start, standing);
    CDynArray<OActivityProp*> tested;
    for (OActivityProp* p : around) {
        bool stands = false;
        for (int32_t i = 0; i < standing.Count(); ++i) stands = stands || standing.GetAt(i) == p;
        if (!stands && p != vehicle_) tested.Append(p);
    }
    int32_t candidate = h;
    for (int32_t k = 1; k <= kEscapeTries; ++k) {
        escapeSide ^= 1;
        const int32_t step = (k + 1) / 2;
        candidate = xVehicle_HeadingOf(h + (escapeSide ? step : -step));
        const Vec3& u = UnitHeadingTable[size_t(candidate)];
        const CPointF end(start.x + kEscapeProbe * u.x, start.y + kEscapeProbe * u.y);
        if (IsMoveBoxFree(start, end, 1, 1, &tested, 0)) break;
    }
    escapeSide ^= 1;
    iso->SetHeadingGoal(candidate);
    iso->SetSteerToTarget(0);
}

bool TLVWorld_Activity::CanPushTo(TLV_Object* prop) {
    if (!prop) return false;
    const CPoint16 ground = Trunc(GroundOf(prop));
    const CRect16 map = GetMapRect();
    if (ground.x < map.left || ground.x >= map.right || ground.y < map.top || ground.y >= map.bottom) return false;
    const CRect16 box = CWorldBuckets::BoxOf(prop);
    Found props;
    QueryRect(CPoint16(box.left, box.top), CPoint16(box.right, box.bottom), props);
    for (OActivityProp* other : props) {
        if (other == prop || !(other->IsA(Blocker::kClassId) || other->IsA(kChangeableClass))) continue;
        TLV_Object* head = Head(other);
        if (head && head->HitsObject(prop, nullptr)) return false;
    }
    return true;
}

int32_t TLVWorld_Activity::TouchProps(TLV_Object* character) {
    if (!character) return 0;
    TLV_Object* self = character->ChainHead();
    const CRect16 box = CWorldBuckets::BoxOf(self);
    Found props;
    QueryRect(CPoint16(box.left, box.top), CPoint16(box.right, box.bottom), props);
    const int32_t state = character->GetState();
    int32_t reacted = 0;
    for (size_t i = props.size(); i-- > 0;) {
        auto* prop = dynamic_cast<TLV_Object*>(props[i]);
        if (!prop || prop == character) continue;
        const bool isFire = prop->IsA(Fire::kClassId);
        if (!prop->IsA(kTokenClass) && !prop->IsA(Projectile::kClassId)) {
            if (prop->IsA(Destructible::kClassId) && static_cast<Destructible*>(prop)->IsBroken()) continue;
            if (isFire) {
                if (state >= 30 || state < 4) continue;
                const bool counts = (state >= 10 && state <= 24) ||
                                    int32_t(std::lround(character->GetPosition().y)) >= int32_t(GroundOf(prop).y);
                if (!counts) continue;
            }
        }
        const bool reachesFreely = prop->IsA(kDweebleClass) ||
                                   (prop->IsA(Pushable::kClassId) && prop->GetWidth() >= kBigPushable &&
                                    prop->GetHeight() >= kBigPushable);
        if (!reachesFreely) {
            if (isFire && character->GetPriority() > prop->GetPriority()) continue;
            if (!prop->ChainHead()->HitsObject(self, nullptr)) continue;
        }
        if (!prop->IsShownThroughParents() || !prop->IsVisible()) continue;
        const int32_t flags = prop->OnContact(character);
        OnCollect(prop, 0);
        if (flags & kSound) PlayBumpSound(prop);
        if (flags & kRetire) RetireProp(prop);
        if (flags != 0) reacted = 1;
    }
    return reacted;
}

// ---- Move tests -------------------------------------------------------------------------------

void TLVWorld_Activity::GatherPropsAt(const CPointF& point, CDynArray<OActivityProp*>& list) {
    const CPoint16 at = Trunc(point);
    Found props;
    QueryPoint(at, props);
    for (OActivityProp* prop : props) {
        TLV_Object* head = Head(prop);
        OActivityProp* shape = head ? static_cast<OActivityProp*>(head) : prop;
        if (CWorldBuckets::BoxOf(shape).ContainsPoint(at.x, at.y) && shape->HitTestPointAt(at, nullptr))
            list.Append(prop);
    }
}

bool TLVWorld_Activity::IsMoveBoxFree(const CPointF& start, const CPointF& end, int32_t vehicleFlag,
                                      int32_t bandFlag, const CDynArray<OActivityProp*>* props, int32_t escapeFlag) {
    const CPoint16 a = Trunc(start), b = Trunc(end);
    if (!InMoveRect(b.x, b.y, bandFlag)) return false;
    if (!vehicleFlag && vehicle_) {
        const CPoint16 left(ClampToInt16(a.x - 1), a.y), right(ClampToInt16(a.x + 1), a.y);
        const bool touching = escapeFlag && vehicle_->ChainHead()->HitsSegment(left, right);
        if (!touching && vehicle_->ChainHead()->HitsSegment(a, b)) return false;
    }
    for (int32_t i = props ? props->Count() - 1 : -1; i >= 0; --i) {
        OActivityProp* prop = props->GetAt(i);
        if (prop && prop != vehicle_ && IsBlocking(prop) && SegmentHits(prop, a, b)) return false;
    }
    return true;
}

bool TLVWorld_Activity::AcceptPosition(const CPointF& point, int32_t vehicleFlag, int32_t bandFlag) {
    const CPoint16 at(TruncUp(point.x, true), TruncUp(point.y, true));
    if (!InMoveRect(at.x, at.y, bandFlag)) return false;
    if (!vehicleFlag && vehicle_ && vehicle_->ChainHead()->HitsSegment(at, at)) return false;
    Found props;
    QueryPoint(at, props);
    for (size_t i = props.size(); i-- > 0;) {
        OActivityProp* prop = props[i];
        if (prop == vehicle_ || !IsBlocking(prop)) continue;
        TLV_Object* head = Head(prop);
        OActivityProp* shape = head ? static_cast<OActivityProp*>(head) : prop;
        if (CWorldBuckets::BoxOf(shape).ContainsPoint(at.x, at.y) && shape->HitTestPointAt(at, nullptr)) return false;
    }
    return true;
}

void TLVWorld_Activity::ResolveMove(CPointF* out, const CPointF& from, const CPointF& to, int32_t flag,
                                    int32_t* changed) {
    if (changed) *changed = 1;
    const CPoint16 a(TruncUp(from.x, false), TruncUp(from.y, false));
    const CPoint16 b(TruncUp(to.x, false), TruncUp(to.y, false));
    if (!out) return;
    const CRect16 map = GetMapRect();
    if (b.x < map.left || b.x >= map.right || b.y < map.top || b.y >= map.bottom) {
        *out = CPointF(a.x, a.y);
        return;
    }
    // Walks the pixels of the way from the old position (as the segment hit test does); the
    // first one a shape holds is its hit nearest to the old position.
    auto firstHit = [&](auto hits, CPoint16* hit) {
        int32_t x = a.x, y = a.y;
        const int32_t dx = std::abs(int32_t(b.x) - x), dy = -std::abs(int32_t(b.y) - y);
        const int32_t sx = x < b.x ? 1 : -1, sy = y < b.y ? 1 : -1;
        int32_t err = dx + dy;
        for (;;) {
            const CPoint16 p{int16_t(x), int16_t(y)};
            if (hits(p)) {
                *hit = p;
                return true;
            }
            if (x == b.x && y == b.y) return false;
            const int32_t e2 = 2 * err;
            if (e2 >= dy) err += dy, x += sx;
            if (e2 <= dx) err += dx, y += sy;
        }
    };
    CPoint16 hit;
    if (!flag && vehicle_ && vehicle_->ChainHead()->HitsSegment(a, b) &&
        firstHit([&](const CPoint16& p) { return vehicle_->ChainHead()->HitsSegment(p, p); }, &hit)) {
        *out = CPointF(hit.x, hit.y);
        return;
    }
    Found props;
    QueryRect(a, b, props);
    double best = kNoHit;
    // With nothing hit the position stays exactly as given: rounding it would freeze a character
    // that moves less than a pixel per frame.
    CPointF answer = to;
    for (OActivityProp* prop : props) {
        if (prop == vehicle_ || !IsBlocking(prop) || !SegmentHits(prop, a, b)) continue;
        if (!firstHit([&](const CPoint16& p) { return SegmentHits(prop, p, p); }, &hit)) continue;
        const double d = std::hypot(double(hit.x) - a.x, double(hit.y) - a.y);
        if (d < best) best = d, answer = CPointF(hit.x, hit.y);
    }
    *out = answer;
}

bool TLVWorld_Activity::CanMoveTo(const CPointF& start, const CPointF& end, int32_t bandFlag, int32_t vehicleFlag) {
    const CPoint16 a(RoundNear(start.x), RoundNear(start.y)), b(RoundNear(end.x), RoundNear(end.y));
    if (!InMoveRect(b.x, b.y, bandFlag)) return false;
    if (!vehicleFlag && vehicle_ && vehicle_->ChainHead()->HitsSegment(a, b)) return false;
    Found props;
    QueryRect(a, b, props);
    for (OActivityProp* prop : props)
        if (prop != vehicle_ && IsBlocking(prop) && SegmentHits(prop, a, b)) return false;
    return true;
}

void TLVWorld_Activity::Draw(CDrawSurface* destination, int16_t x, int16_t y, const CClipRect& source,
                             const CClipRect& target) {
    DrawOutline(destination, CPoint16(x, y), source, target);
}

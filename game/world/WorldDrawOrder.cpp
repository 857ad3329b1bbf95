// The draw order of the vehicle against the props it overlaps: the props it stands in front of
// sink below it, the ones in front of it rise above it, and the props overlapping those follow,
// from the vehicle's rotated footprint on the ground.
#include <algorithm>
#include <cmath>

#include "engine/graphics/Part.h"
#include "game/shell/Fire.h"
#include "game/shell/Hider.h"
#include "game/shell/Projectile.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVComplexObject.h"
#include "game/world/TLVWorldActivity.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr uint32_t kRoundUpAnimalClass = 2500;
constexpr int32_t kRoundUpCaughtState = 5;
/// Target offsets from the vehicle's priority.
constexpr int32_t kHiderBehind = -3, kShapeBehind = -2, kShapeInFront = 2, kBehind = -3, kInFront = 2,
                  kProjectileInFront = 3;

bool Overlap(const CRect16& a, const CRect16& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Listed(const CDynArray<OActivityProp*>& list, const OActivityProp* prop) {
    for (int32_t i = 0; i < list.Count(); ++i)
        if (list.GetAt(i) == prop) return true;
    return false;
}

int32_t BaseValue(const OActivityProp* prop) {
    const CPart* part = prop->GetAnimSet();
    return part ? int32_t(part->GetCurrentBaseValue()) : 0;
}

CPoint16 Rounded(const CPointF& p) {
    return CPoint16(ClampToInt16(int32_t(std::lround(p.x))), ClampToInt16(int32_t(std::lround(p.y))));
}

/// The y of the footprint's lower outline (the two edges meeting at its lowest corner) at x.
double LowerOutline(const CPoint16 points[4], int32_t x) {
    // Corners in order around the footprint: front+side1, front+side2, back+side2, back+side1.
    const CPoint16 ring[4] = {points[0], points[1], points[3], points[2]};
    int lowest = 0;
    for (int i = 1; i < 4; ++i)
        if (ring[i].y > ring[lowest].y) lowest = i;
    const CPoint16 low = ring[lowest];
    double best = low.y;
    bool found = false;
    for (const CPoint16& other : {ring[(lowest + 1) % 4], ring[(lowest + 3) % 4]}) {
        const int32_t x0 = std::min(low.x, other.x), x1 = std::max(low.x, other.x);
        if (x < x0 || x > x1) continue;
        const double y = x1 == x0 ? std::max(low.y, other.y)
                                  : low.y + double(other.y - low.y) * double(x - low.x) / double(other.x - low.x);
        best = found ? std::max(best, y) : y;
        found = true;
    }
    return best;
}

} // namespace

int32_t TLVWorld_Activity::GetOverlapTarget(const OActivityProp* prop) const {
    for (const auto& [p, target] : overlapTargets_)
        if (p == prop) return target;
    return prop ? prop->GetPriority() : 0;
}

void TLVWorld_Activity::SetOverlapTarget(const OActivityProp* prop, int32_t target) {
    for (auto& entry : overlapTargets_)
        if (entry.first == prop) {
            entry.second = target;
            return;
        }
    overlapTargets_.emplace_back(prop, target);
}

void TLVWorld_Activity::CollectVehicleContacts() {
    contacts2_.Free();
    contacts3_.Free();
    overlapTargets_.clear();
    auto* iso = dynamic_cast<VIsometric*>(vehicle_);
    CVehicleFootprint footprint;
    if (!iso || !iso->GetFootprint(&footprint)) return;
    for (int i = 0; i < 4; ++i) {
        footprintCorners_[i] = footprint.corners[i];
        footprintPoints_[i] = footprint.points[i];
    }
    footprintBox_ = CRect16(footprint.left, footprint.top, footprint.right, footprint.bottom);
    CRect16 reach = footprintBox_;
    reach.top = ClampToInt16(int32_t(reach.top) - int32_t(iso->GetGroundOffset()));
    const int32_t vehicle = iso->GetPriority();
    const uint16_t compass = iso->GetCompassDir();

    auto put = [&](OActivityProp* prop, int32_t target, CDynArray<OActivityProp*>& list) {
        SetOverlapTarget(prop, target);
        list.Append(prop);
    };
    for (int32_t i = 0; i < obstacles_.Count(); ++i) {
        OActivityProp* prop = obstacles_.GetAt(i);
        if (!prop || prop->IsA(Fire::kClassId)) continue;
        const CRect16 box = CWorldBuckets::BoxOf(prop);
        if (!Overlap(box, reach)) continue;
        if (prop->IsA(Hider::kClassId)) {
            if (prop->GetState() == 1 && prop->IsVisible()) put(prop, vehicle + kHiderBehind, contacts3_);
            continue;
        }
        auto* object = dynamic_cast<TLV_Object*>(prop);
        OActivityProp* ground = object ? object->GetGroundRef() : nullptr;
        if (!ground || !ground->GetAnimSet()) continue;
        const CPoint16 g = Rounded(ground->GetPosition());
        if (prop->IsA(Blocker::kClassId) && object->GetOverlay()) {
            // A shaped blocker is asked about the footprint corner nearest to it.
            int nearest = 0;
            for (int c = 1; c < 4; ++c) {
                const auto d = [&](int k) {
                    return std::hypot(double(footprintPoints_[k].x) - g.x, double(footprintPoints_[k].y) - g.y);
                };
                if (d(c) < d(nearest)) nearest = c;
            }
            const bool vehicleInFront = object->IsInFrontOfOverlay(footprintPoints_[nearest]);
            if (vehicleInFront && prop->GetPriority() >= vehicle) put(prop, vehicle + kShapeBehind, contacts3_);
            else if (!vehicleInFront && prop->GetPriority() <= vehicle) put(prop, vehicle + kShapeInFront, contacts2_);
            continue;
        }
        if (g.x < footprintBox_.left || g.x >= footprintBox_.right || g.y < footprintBox_.top ||
            g.y >= footprintBox_.bottom)
            continue;
        if (compass == 1 || compass == 3 || compass == 5 || compass == 7) {
            if (prop->GetPriority() > vehicle) put(prop, vehicle + kBehind, contacts3_);
        } else if (compass == 2 || compass == 4 || compass == 6 || compass == 8) {
            const bool projectile = prop->IsA(Projectile::kClassId);
            if (projectile || double(g.y + BaseValue(prop)) > LowerOutline(footprintPoints_, g.x)) {
                const bool lift = projectile && prop->GetPriority() <= vehicle;
                put(prop, vehicle + (lift ? kProjectileInFront : kInFront), contacts2_);
            } else {
                put(prop, vehicle + kBehind, contacts3_);
            }
        }
    }
    CollectOverlaps();
}

void TLVWorld_Activity::CollectOverlaps() {
    bool added = true;
    while (added) {
        added = false;
        for (int32_t i = 0; i < obstacles_.Count(); ++i) {
            OActivityProp* prop = obstacles_.GetAt(i);
            if (!prop || Listed(contacts2_, prop) || Listed(contacts3_, prop)) continue;
            const CRect16 box = CWorldBuckets::BoxOf(prop);
            const int32_t priority = prop->GetPriority();
            bool joined = false;
            for (int32_t f = 0; f < contacts2_.Count() && !joined; ++f) {
                const OActivityProp* front = contacts2_.GetAt(f);
                const int32_t target = GetOverlapTarget(front);
                if (Overlap(box, CWorldBuckets::BoxOf(front)) && priority > front->GetPriority() && priority < target) {
                    SetOverlapTarget(prop, target + 1);
                    contacts2_.Append(prop);
                    joined = true;
                }
            }
            for (int32_t k = 0; k < contacts3_.Count() && !joined; ++k) {
                const OActivityProp* back = contacts3_.GetAt(k);
                const int32_t target = GetOverlapTarget(back);
                if (Overlap(box, CWorldBuckets::BoxOf(back)) && priority > target && priority < back->GetPriority()) {
                    SetOverlapTarget(prop, target - 1);
                    contacts3_.Append(prop);
                    joined = true;
                }
            }
            added = added || joined;
        }
    }
}

void TLVWorld_Activity::SortOverlaps() {
    auto* iso = dynamic_cast<VIsometric*>(vehicle_);
    if (!iso || (contacts2_.Count() == 0 && contacts3_.Count() == 0)) return;
    int32_t up = 0, down = 0;
    for (int32_t i = 0; i < contacts2_.Count(); ++i)
        up = std::max(up, GetOverlapTarget(contacts2_.GetAt(i)) - contacts2_.GetAt(i)->GetPriority());
    for (int32_t i = 0; i < contacts3_.Count(); ++i)
        down = std::max(down, contacts3_.GetAt(i)->GetPriority() - GetOverlapTarget(contacts3_.GetAt(i)));
    CPoint16 vehicleGround;
    iso->GetGroundPoint(&vehicleGround);
    for (int32_t i = 0; i < obstacles_.Count(); ++i) {
        OActivityProp* prop = obstacles_.GetAt(i);
        if (!prop || (prop->IsA(kRoundUpAnimalClass) && prop->GetState() == kRoundUpCaughtState)) continue;
        int32_t shift = 0;
        if (Listed(contacts2_, prop)) shift = up;
        else if (Listed(contacts3_, prop)) shift = -down;
        else {
            auto* object = dynamic_cast<TLV_Object*>(prop);
            const OActivityProp* ground = object && object->GetGroundRef() ? object->GetGroundRef() : prop;
            const int32_t y = Rounded(ground->GetPosition()).y;
            shift = y > vehicleGround.y ? up : y < vehicleGround.y ? -down : 0;
        }
        if (shift != 0) prop->SetPriority(prop->GetPriority() + shift);
    }
    SortChildren();
}

// The driving world's searches: free boxes and the nearest props and way points.
#include <algorithm>
#include <cmath>

#include "engine/base/Trace.h"
#include "game/shell/Destructible.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVComplexObject.h"
#include "game/world/TLVWorldActivity.h"

namespace {

constexpr double kMarkerSearchStart = 100000.0;
constexpr double kPropSearchStart = 1000000.0;
constexpr double kWayPointSearchStart = 10000.0;
/// Props a box test never stops at: moving props and what the vehicle drives through.
constexpr uint32_t kPassableClasses[] = {1110, 1540, 1580, 1550};

double Distance(const CPointF& a, float x, float y) {
    const double dx = double(a.x) - x, dy = double(a.y) - y;
    return std::sqrt(dx * dx + dy * dy);
}

bool IsShown(const OActivityProp* prop) { return prop->IsVisible() && prop->IsShownThroughParents(); }

bool InList(const CDynArray<OActivityProp*>* list, const OActivityProp* prop) {
    if (!list) return false;
    for (int32_t i = 0; i < list->Count(); ++i)
        if (list->GetAt(i) == prop) return true;
    return false;
}

/// The prop's collision shape: its collision body for a game prop, else the prop itself.
OActivityProp* ShapeOf(OActivityProp* prop) {
    auto* object = dynamic_cast<TLV_Object*>(prop);
    return object ? object->GetCollisionBody() : prop;
}

} // namespace

bool TLVWorld_Activity::IsBoxFree(float x0, float y0, float x1, float y1, int list, int32_t /*a*/, int32_t /*b*/,
                                  const CDynArray<OActivityProp*>* exclude) {
    const CPoint16 first(ClampToInt16(int32_t(x0)), ClampToInt16(int32_t(y0)));
    const CPoint16 second(ClampToInt16(int32_t(x1)), ClampToInt16(int32_t(y1)));
    const CRect16 map = GetMapRect();
    if (second.x < map.left || second.x >= map.right || second.y < map.top || second.y >= map.bottom) return false;
    if (list < 0 || list >= kPropLists) {
        xTracef("TLVWorld_Activity - %s : no prop list %d to test a box against\n", GetName(), list);
        return true;
    }
    const CRect16 box(std::min(first.x, second.x), std::min(first.y, second.y), std::max(first.x, second.x),
                      std::max(first.y, second.y));
    const CDynArray<OActivityProp*>& props = lists_[list];
    for (int32_t i = props.Count() - 1; i >= 0; --i) {
        OActivityProp* prop = props.GetAt(i);
        if (std::any_of(std::begin(kPassableClasses), std::end(kPassableClasses),
                        [&](uint32_t id) { return prop->IsA(id); }))
            continue;
        if (prop->IsA(Destructible::kClassId) && static_cast<Destructible*>(prop)->IsBroken()) continue;
        if (!IsShown(prop) || InList(exclude, prop)) continue;
        if (ShapeOf(prop)->HitTestRect(box)) return false;
    }
    return true;
}

template <class Skip>
OActivityProp* TLVWorld_Activity::Nearest(int list, float x, float y, double start, Skip skip) const {
    if (list < 0 || list >= kPropLists) return nullptr;
    OActivityProp* best = nullptr;
    double bestDistance = start;
    for (int32_t i = 0; i < lists_[list].Count(); ++i) {
        OActivityProp* prop = lists_[list].GetAt(i);
        if (skip(prop)) continue;
        const double d = Distance(prop->GetPosition(), x, y);
        if (d < bestDistance) {
            bestDistance = d;
            best = prop;
        }
    }
    return best;
}

OActivityProp* TLVWorld_Activity::FindNearestFreeProp(int list, float x, float y, const OActivityProp* except) const {
    return Nearest(list, x, y, kPropSearchStart, [&](const OActivityProp* p) { return p == except; });
}

OActivityProp* TLVWorld_Activity::FindNearestShownProp(int list, float x, float y,
                                                       const OActivityProp* except) const {
    return Nearest(list, x, y, kPropSearchStart, [&](const OActivityProp* p) { return p == except || !IsShown(p); });
}

bool TLVWorld_Activity::FindNearestWayPointMarker(const CPointF& point, CPointF* position) const {
    const OActivityProp* best = nullptr;
    double bestDistance = kMarkerSearchStart;
    for (int32_t i = 0; i < markers_.Count(); ++i) {
        const double d = Distance(markers_.GetAt(i)->GetPosition(), point.x, point.y);
        if (d < bestDistance) {
            bestDistance = d;
            best = markers_.GetAt(i);
        }
    }
    if (best && position) *position = best->GetPosition();
    return best != nullptr;
}

int32_t TLVWorld_Activity::NearestWayPoint() const {
    if (!vehicle_) return -1;
    int32_t best = -1;
    double bestDistance = kWayPointSearchStart;
    for (int32_t slot = 1; slot <= 4; ++slot) {
        const OActivityProp* point = wayPoints_[slot];
        if (!point || slot == currentWayPoint_ || !point->IsA(Interaction_Point::kClassId)) continue;
        if (!static_cast<const Interaction_Point*>(point)->flags[0]) continue;
        const double d = Distance(point->GetPosition(), vehicle_->GetPosition().x, vehicle_->GetPosition().y);
        if (d < bestDistance) {
            bestDistance = d;
            best = slot;
        }
    }
    return best;
}

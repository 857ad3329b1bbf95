#include "game/minigames/race/RaceObjects.h"

#include <algorithm>

#include "engine/core/ActivityProp.h"
#include "game/shell/TLVObject.h"
#include "game/world/characters/DRacing.h"

namespace {

bool Holds(const std::vector<CGRaceObjects::Entry>& list, const OActivityProp* prop) {
    return std::any_of(list.begin(), list.end(), [&](const CGRaceObjects::Entry& e) { return e.prop == prop; });
}

/// Draw priority by the prop's new height (the shared props' own rule when they have one).
void Reorder(OActivityProp* prop) {
    if (prop->IsA(TLV_Object::kClassId)) {
        static_cast<TLV_Object*>(prop)->UpdateZOrder();
    } else {
        prop->SetPriority(int32_t(prop->GetPosition().y) * 5);
    }
}

} // namespace

void CGRaceObjects::AddLive(OActivityProp* prop, int32_t kind) {
    if (prop != nullptr) live_.push_back(Entry{prop, kind});
}

bool CGRaceObjects::IsLive(const OActivityProp* prop) const { return prop != nullptr && Holds(live_, prop); }

bool CGRaceObjects::IsRetired(const OActivityProp* prop) const { return prop != nullptr && Holds(retired_, prop); }

void CGRaceObjects::Drop(std::vector<Entry>& list, const OActivityProp* prop) {
    std::erase_if(list, [&](const Entry& e) { return e.prop == prop; });
}

void CGRaceObjects::Hide(OActivityProp* prop) {
    prop->SetVisible(0, 0);
    if (prop->IsA(TLV_Object::kClassId)) {
        if (OActivityProp* shadow = static_cast<TLV_Object*>(prop)->GetShadow()) shadow->SetVisible(0, 0);
    }
}

bool CGRaceObjects::RetireObject(OActivityProp* prop, bool hide) {
    if (!IsLive(prop)) return false;
    const auto it = std::find_if(live_.begin(), live_.end(), [&](const Entry& e) { return e.prop == prop; });
    const Entry entry = *it;
    live_.erase(it);
    if (IsRetired(prop)) return true;
    if (hide) Hide(prop);
    retired_.push_back(entry);
    return true;
}

void CGRaceObjects::RemoveObject(OActivityProp* prop) {
    if (prop == nullptr) return;
    Drop(live_, prop);
    Drop(retired_, prop);
    Hide(prop);
}

int32_t CGRaceObjects::CountOfKind(int32_t kind, int32_t tableSize) const {
    if (kind < 0 || kind >= tableSize) return 0;
    const auto ofKind = [&](const Entry& e) { return e.prop != nullptr && e.kind == kind; };
    return int32_t(std::count_if(live_.begin(), live_.end(), ofKind) +
                   std::count_if(retired_.begin(), retired_.end(), ofKind));
}

bool CGRaceObjects::StillInPlay(const OActivityProp* prop, CPoint16 origin, int32_t stageWidth, int32_t stageHeight) {
    if (prop == nullptr) return false;
    const float left = float(origin.x), top = float(origin.y);
    const float right = left + float(stageWidth), bottom = top + float(stageHeight);
    if (prop->GetTop() >= bottom || prop->GetRight() <= left || prop->GetLeft() >= right) return false;
    if (prop->GetBottom() <= top && prop->IsA(DRacing::kClassId) &&
        static_cast<const DRacing*>(prop)->GetBehaviourState() == 5) {
        return false;
    }
    return true;
}

void CGRaceObjects::Cleanup(CPoint16 origin, int32_t stageWidth, int32_t stageHeight) {
    for (std::vector<Entry>* list : {&live_, &retired_}) {
        for (size_t i = list->size(); i-- > 0;) {
            if (i >= list->size()) continue; // a removal took more than one entry
            OActivityProp* prop = (*list)[i].prop;
            if (prop == nullptr) {
                list->erase(list->begin() + std::ptrdiff_t(i));
            } else if (!StillInPlay(prop, origin, stageWidth, stageHeight)) {
                RemoveObject(prop);
            }
        }
    }
}

void CGRaceObjects::Shift(float dy, float dx) {
    for (std::vector<Entry>* list : {&live_, &retired_}) {
        for (const Entry& e : *list) {
            if (e.prop == nullptr) continue;
            e.prop->SetPosition(CPointF(dx, dy), 1, 1);
            Reorder(e.prop);
        }
    }
}

void CGRaceObjects::ShiftRacerTargets(float dy, float dx) {
    for (const Entry& e : live_) {
        if (e.prop == nullptr || !e.prop->IsA(DRacing::kClassId)) continue;
        auto* racer = static_cast<DRacing*>(e.prop);
        const CPointF t = racer->GetTargetPoint();
        racer->SetTargetPoint(CPointF(t.x + dx, t.y + dy));
    }
}

void CGRaceObjects::Clear() {
    live_.clear();
    retired_.clear();
}

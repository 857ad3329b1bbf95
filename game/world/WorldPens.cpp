// The pens the driving world makes beside the blockers that guard its fires.
#include <new>

#include "engine/base/Trace.h"
#include "game/world/TLVWorldActivity.h"
#include "game/world/characters/ConstraintObject.h"
#include "game/world/characters/DCaptive.h"

namespace {

/// A pen stands this far beside its blocker and below it.
constexpr float kPenOffset = 150.0f;
constexpr uint32_t kPenIdBase = 10;

} // namespace

void TLVWorld_Activity::AddConstraintObjects(uint32_t id) {
    for (int32_t i = 0; i < lists_[kFires].Count(); ++i) {
        const OActivityProp* fire = lists_[kFires].GetAt(i);
        if (fire->GetObjectId() != id) continue;
        const CPointF at = fire->GetPosition();
        const OActivityProp* guard = FindNearestFreeProp(kGuards, at.x, at.y, nullptr);
        const OActivityProp* blocker =
            guard ? FindNearestFreeProp(kBlockers, guard->GetPosition().x, guard->GetPosition().y, nullptr) : nullptr;
        if (!blocker) {
            xTracef("TLVWorld_Activity - %s : fire %d has no %s, it gets no pen\n", GetName(), int(i),
                    guard ? "blocker near its guard" : "guard");
            continue;
        }
        auto* pen = new (std::nothrow) ConstraintObject;
        if (!pen) continue;
        pen->SetObjectId(kPenIdBase + uint32_t(i));
        pen->SetSize(CPoint16(ConstraintObject::kMadeSize, ConstraintObject::kMadeSize), 0);
        const CPointF b = blocker->GetPosition();
        const float x = at.x <= b.x ? b.x + kPenOffset : b.x - kPenOffset;
        pen->SetPosition(CPointF(x, b.y + kPenOffset), 0, 0);
        Append(lists_[kConstraints], pen);
        AddChild(pen);
    }
    for (int32_t i = lists_[kCaptives].Count() - 1; i >= 0; --i) {
        auto* captive = dynamic_cast<DCaptive*>(lists_[kCaptives].GetAt(i));
        if (captive && captive->GetObjectId() == 0 && !captive->GetPen()) RetireProp(captive);
    }
}

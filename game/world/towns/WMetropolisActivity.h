#pragma once
#include <cstdint>

#include "game/world/TLVWorldActivity.h"

/// The city world ("WMetropolis_Activity", class id 501), so far its mission targets: the
/// destructibles of object ids 3 to 5, of which three must be destroyed.
class WMetropolis_Activity : public TLVWorld_Activity {
public:
    static constexpr uint32_t kClassId = 501;
    static constexpr int32_t kMissionTargets = 3;

    WMetropolis_Activity(const char* name = "WMetropolis_Activity", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// A Destructible (1510) of object id 3, 4 or 5.
    bool IsMissionDestructible(const TLV_Object* prop) override;
    /// One target fewer to go (never below 0).
    void OnMissionPropDestroyed() override;
    /// The props' name for it.
    void OnLootCollected() { OnMissionPropDestroyed(); }

    int32_t GetMissionTargetsLeft() const { return targetsLeft_; }

private:
    int32_t targetsLeft_ = kMissionTargets;
};

#pragma once
#include <cstdint>
#include <memory>

#include "game/world/towns/CanisterThrower.h"
#include "game/world/towns/CityTables.h"
#include "game/world/towns/TownWorld.h"

/// The city ("WMetropolis_Activity", class id 501, world 2): criminals stunned with
/// laughing-gas canisters and picked up, piles of stolen loot, tokens, and a mission of
/// destructibles rammed until they break, with a captive behind a pen.
class WMetropolis_Activity : public TownWorld {
public:
    static constexpr uint32_t kClassId = towns::city::kClassId;
    static constexpr int kWorld = towns::city::kWorld;

    WMetropolis_Activity(const char* name = "WMetropolis_Activity", uint32_t classId = kClassId);
    ~WMetropolis_Activity() override;
    bool IsA(uint32_t classId) const override;

    /// The town's start, then the vehicle's action cooldown.
    int32_t OnActivated() override;
    /// The throw burst, the music once the arrival sound has ended, then the town step.
    int32_t OnIdle() override;
    /// CTRL toggles the siren only for the vehicles that have one.
    void OnKey(uint32_t key) override;
    void SetCollectableQuotas() override;
    void ApplyCollectableQuotas() override { ThinByQuotas(); }
    void OnCollect(TLV_Object* prop, int32_t byVehicle) override;
    void DoVehicleAction() override;
    /// A Destructible of object id 3, 4 or 5.
    bool IsMissionDestructible(const TLV_Object* prop) override;
    /// One destructible fewer; the last one finishes the mission (once).
    void OnMissionPropDestroyed() override;
    void ShowTaskCounters() override;
    void ShowMissionCounters() override;

    /// The mission's destructibles still to break (quota 3 left).
    int32_t GetMissionTargetsLeft() const;
    bool GetCriminalSeen() const { return criminalSeen_ != 0; }
    bool GetLootSeen() const { return lootSeen_ != 0; }
    bool IsArrivalSoundPlaying() const { return arrivalPipe_ >= 0; }
    /// The canisters; null before the first throw.
    const CCanisterThrower* GetThrower() const { return thrower_.get(); }

protected:
    /// The arrival sound first when the city is entered from the menu's activity.
    void StartTownMusic() override;
    void CheckSightings() override;
    /// A destructible comes back in the state the record holds for it.
    void StartMissionProp(TLV_Object* prop) override;
    bool KeepsArrowTarget(OActivityProp* target) override;
    bool FindTaskTarget(OActivityProp** target, int* line) override;
    /// The loot piles still lying in the street.
    void SaveCollectablePoints() override;
    /// The loot piles by the remembered points, without a random step.
    bool ThinRememberedProps(int quota, CDynArray<OActivityProp*>& set, int32_t keep) override;

private:
    void TakeLoot(TLV_Object* bag);
    void TakeCriminal(TLV_Object* criminal);
    CCanisterThrower::Aim VehicleAim();
    void StepArrival();

    std::unique_ptr<CCanisterThrower> thrower_;
    int32_t arrivalPipe_ = -1;
    uint8_t criminalSeen_ = 0;
    uint8_t lootSeen_ = 0;
};

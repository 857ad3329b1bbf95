#pragma once
#include <cstdint>

#include "game/world/towns/TownWorld.h"
#include "game/world/towns/ZooBeam.h"
#include "game/world/towns/ZooTables.h"

/// The zoo ("WZoo_Activity", class id 503, world 1): escaped monkeys found with the vehicle's
/// spot-light beam and picked up, penguins led to the penguin house, tokens, and a mission of
/// guard monkeys patrolling the zoo keeper behind a pen.
class WZoo_Activity : public TownWorld {
public:
    static constexpr uint32_t kClassId = towns::zoo::kClassId;
    static constexpr int kWorld = towns::zoo::kWorld;

    WZoo_Activity(const char* name = "WZoo_Activity", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;

    /// The town's start, the vehicle's action cooldown, then the beam when there is none.
    int32_t OnActivated() override;
    /// The beam taken off the vehicle and deleted, then the town's stop.
    int32_t FlushSoundQueues() override;
    void OnFollowerAttached(TLV_Object* prop) override;
    void OnCollect(TLV_Object* prop, int32_t byVehicle) override;
    /// Switches a hidden beam on, then the world's action.
    void DoVehicleAction() override;
    /// The town's hiding; guard monkeys stand still too.
    void HideMissionProps() override;
    void ShowTaskCounters() override;
    void ShowMissionCounters() override;

    const CZooBeam& GetBeam() const { return beam_; }
    bool GetMonkeySeen() const { return monkeySeen_ != 0; }
    bool GetPenguinSeen() const { return penguinSeen_ != 0; }

protected:
    void CheckSightings() override;
    /// Guard monkeys wander.
    void StartMissionProp(TLV_Object* prop) override;
    /// The keeper wanders and every guard monkey patrols around it.
    void OnMissionStarted() override;
    bool KeepsArrowTarget(OActivityProp* target) override;
    bool FindTaskTarget(OActivityProp** target, int* line) override;

private:
    void PenguinLines(TLV_Object* penguin);
    void TakeMonkey(TLV_Object* monkey);
    void TakeGuard(TLV_Object* guard);

    CZooBeam beam_;
    uint8_t monkeySeen_ = 0;
    uint8_t penguinSeen_ = 0;
};

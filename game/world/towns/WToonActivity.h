#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "engine/data/DynArray.h"
#include "game/world/towns/TownWorld.h"

class Fire;
class PParticle;
class Smoke;

/// The circus town ("WToon_Activity", class id 500, world 0): fires and running fire
/// characters put out with a water spray, puppies led to the dog house, tokens, and a mission
/// of fires with a captive behind a pen.
class WToon_Activity : public TownWorld {
public:
    static constexpr uint32_t kClassId = 500;
    static constexpr int kWorld = 0;
    static constexpr CPoint16 kStartPosition{3672, 592};
    static constexpr int32_t kStartHeading = 12;
    static constexpr int32_t kSprayTimerMs = 45;
    /// Object ids of the tasks' props.
    static constexpr uint32_t kFireId = 1;
    static constexpr uint32_t kPuppyId = 2;
    /// Pens beside the fires get object id 10 + the fire's index; -1 once it is out.
    static constexpr uint32_t kFirstFirePenId = 10;
    static constexpr uint32_t kDousedPenId = uint32_t(-1);

    /// A burst of the spray: particles at their interval, flying their distance in their time.
    struct SprayBurst {
        int32_t intervalMs;
        int32_t particles;
        float distance;
        uint32_t flightMs;
        ChunkId sound;
    };
    /// The circus vehicle of the garage value; null for a value that does not drive here.
    static const TownVehicle* FindVehicleStart(uint16_t vehicle);
    /// The burst of the garage value (the circus vehicles 0 and 1); null for another.
    static const SprayBurst* FindSprayBurst(uint16_t vehicle);

    WToon_Activity(const char* name = "WToon_Activity", uint32_t classId = kClassId);
    ~WToon_Activity() override;
    bool IsA(uint32_t classId) const override;

    /// The spray burst, then the town step.
    int32_t OnIdle() override;
    /// The smoke deleted and quota 3 refilled once the mission is finished, then the town's.
    int32_t FlushSoundQueues() override;
    /// A fire character gets its guard flag and the vehicle's action frames.
    bool AcceptObject(OView* object) override;
    void Pause() override;
    void Resume() override;
    using TownWorld::Resume;
    void OnFollowerAttached(TLV_Object* prop) override;
    void ApplyCollectableQuotas() override;
    void OnCollect(TLV_Object* prop, int32_t byVehicle) override;
    void DoVehicleAction() override;
    int32_t ChooseMission() override;
    void OnFireRelit(Fire* fire) override;
    void ShowTaskCounters() override;
    void ShowMissionCounters() override;

    /// Each fire of the current mission has its flame timer reset.
    void StopMissionFires();
    /// One particle of the burst; null when none can be made (the step is skipped).
    PParticle* GetSprayParticle();
    void SprayStep();
    /// A hidden smoke of the pool, else a new one; null when none can be made.
    Smoke* GetSmoke();

    int32_t GetSprayCount() const { return sprayCount_; }
    const CTimerRec& GetSprayTimer() const { return sprayTimer_; }
    const CDynArray<PParticle*>& GetParticles() const { return particles_; }
    const CDynArray<Smoke*>& GetSmokes() const { return smokes_; }
    bool GetFireSeen() const { return fireSeen_ != 0; }
    bool GetCharacterSeen() const { return characterSeen_ != 0; }
    bool GetPuppySeen() const { return puppySeen_ != 0; }
    bool GetFirstPickUpPending() const { return firstPickUp_ != 0; }

protected:
    void CheckSightings() override;
    void OnTownStart() override { AddConstraintObjects(kFireId); }
    void StartMissionProp(TLV_Object* prop) override;
    bool KeepsArrowTarget(OActivityProp* target) override;
    bool FindTaskTarget(OActivityProp** target, int* line) override;
    void SaveCollectablePoints() override;
    /// The fires by the remembered points, then a random step over the props that are not fires.
    bool ThinRememberedProps(int quota, CDynArray<OActivityProp*>& set, int32_t keep) override;

private:
    void PutOutCharacter(TLV_Object* character);
    void DouseTaskFire(Fire* fire);
    void DouseMissionFire(Fire* fire);
    void CheckFireTask();
    /// The doused fire's pass-on mark goes to the nearest other shown fire.
    void PassOnMark(Fire* fire);
    void PutSmoke(const OActivityProp* at);
    void StepSprayBurst();
    void Shoo(TLV_Object* character);

    CDynArray<PParticle*> particles_;
    CDynArray<Smoke*> smokes_;
    int32_t sprayCount_ = 0;
    CTimerRec sprayTimer_;
    uint8_t fireSeen_ = 0;
    uint8_t characterSeen_ = 0;
    uint8_t puppySeen_ = 0;
    uint8_t firstPickUp_ = 1;
};

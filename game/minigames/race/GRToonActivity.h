#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "game/minigames/race/CGRace.h"

class CRacePickupFlash;
class PParticle;
class Smoke;
class TLV_Object;

/// The circus town's road race ("GRToon_Activity", class id 440): the fire engine races to the
/// burning fireworks factory, sprays the fires on the road out (the score), knocks barrels
/// away, sprays rats that drop badges, and picks up fireworks for a three-way spray.
class GRToon_Activity : public CGRace {
public:
    static constexpr uint32_t kClassId = 440;
    static constexpr uint16_t kWorld = 0;
    static constexpr int32_t kRaceGame = 4;
    enum Kind : int32_t { kFire = 0, kBadge = 1, kObstacle = 2, kBarrel = 3, kFireworks = 4, kRat = 5 };
    static constexpr int32_t kKinds = 6;
    static constexpr int16_t kEndPanel = 3;
    static constexpr int16_t kIntroPanel = 4;
    static constexpr uint32_t kKeyCtrl = 17;
    static constexpr int32_t kBurstMs = 45;
    /// After the first shot of a volley, this many more follow kBurstMs apart.
    static constexpr int32_t kMoreShots = 7;
    static constexpr int32_t kBonusMs = 4000;
    /// With this many rats out the road places no more.
    static constexpr int32_t kRatLimit = 5;
    static constexpr int32_t kNeutralState = 16;
    static constexpr int32_t kLightlessState = 48;
    static constexpr uint32_t kArrivalBoundMs = 10000;
    static constexpr ChunkId kTown = MakeChunkId(1, 8);
    static constexpr ChunkId kSelf = MakeChunkId(1, 11);
    static constexpr ChunkId kShotPart = MakeChunkId(2, 128);
    static constexpr ChunkId kFlashPart = MakeChunkId(2, 289);
    static constexpr ChunkId kBadgePart = MakeChunkId(2, 826);
    static constexpr ChunkId kSmokePart = MakeChunkId(2, 1069);

    GRToon_Activity(const char* name = "GRToon_Activity", uint32_t classId = kClassId);
    /// Deletes the shots, smoke puffs, flashes and finish props.
    ~GRToon_Activity() override;

    bool IsA(uint32_t classId) const override;
    /// The set-up by the player's vehicle and level, then the base's; the intro panel opens.
    int32_t OnActivated() override;
    /// The flashes and shots leave the race, then the base's teardown; the race's own props
    /// are deleted.
    int32_t FlushSoundQueues() override;
    /// The volley's further shots and the end, then the base's tick.
    int32_t OnIdle() override;
    void Pause() override;
    void Resume() override;
    using CGRace::Resume;
    void CreateButtonPanel(int16_t panel) override;
    /// The intro panel's time-out: the race's music and the blink of its button.
    void OnPanelDismissed(int16_t panel) override;
    void OnButton(int16_t panel, int16_t button) override;
    /// CTRL toggles the siren.
    void OnKey(uint32_t key) override;

    void ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t bias,
                        bool finish) override;
    int32_t OnLeftVergeHit(OActivityProp* prop, OActivityProp* piece) override;
    int32_t OnRightVergeHit(OActivityProp* prop, OActivityProp* piece) override;
    int32_t OnObjectHit(OActivityProp* prop, OActivityProp* other) override;
    TLV_Object* MakeFinishProp(int32_t side) override;
    ChunkId PartForKind(int32_t kind, uint32_t classId) override;
    void PreloadPools() override;
    /// One spray at once and kMoreShots more, three-way while the bonus clock runs.
    void Fire() override;
    void ShiftObjects(float dy, float dx) override;
    /// A rat that was hit drops a badge.
    void MakeRacerEffect(const CPointF& at) override { DropBadge(at); }

    /// A badge (kind 1) at the point, on the live list.
    void DropBadge(const CPointF& at);
    /// Queues line n of the race; lines marked quiet are dropped while another line waits.
    void Speak(int n);
    /// The converted kinds of a section's points, after the base's thinning.
    void ConvertKinds(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds);
    /// The lines spoken at the end for the score and the level the race was played at.
    static std::vector<int> ClosingLines(uint16_t score, int32_t level);

    bool HasEnded() const { return ended_ != 0; }
    bool IsArriving() const { return arriving_ != 0; }
    int32_t GetBurstShotsLeft() const { return burstShotsLeft_; }
    bool IsBurstThreeWay() const { return burstThreeWay_ != 0; }
    int32_t GetFireworksPickedUp() const { return fireworksPickedUp_; }
    bool WasRatHit() const { return firstRatHit_ != 0; }
    uint16_t GetChargesLeft() const { return chargesLeft_; }
    uint16_t GetScore() const { return chargesUsed_; }
    const std::vector<PParticle*>& Shots() const { return shots_; }
    const std::vector<TLV_Object*>& FinishProps() const { return finishProps_; }
    const std::vector<Smoke*>& SmokePuffs() const { return smoke_; }
    const std::vector<CRacePickupFlash*>& Flashes() const { return flashes_; }
    /// Ids of the lines queued so far (tests and traces).
    const std::vector<int>& SpokenLines() const { return spoken_; }

private:
    /// One shot along the vehicle's heading, or three with the neighbours.
    void FireVolley();
    PParticle* FreeShot(const std::vector<PParticle*>& volley);
    Smoke* FreeSmoke();
    void ShowFlash(const CPointF& at);
    /// The end: finish mode when the race clock runs out, then the arrival until the vehicle
    /// stands.
    void StepEnd();
    void EndRace();
    void ToggleSiren();
    void BuildEndPanel();
    void BuildIntroPanel();
    void StopMusic();
    void Request(ChunkId activity);
    int32_t KindOf(const OActivityProp* prop);
    /// A plain picture made and hidden, kept with the finish props for the race's life.
    TLV_Object* MakeHiddenProp(ChunkId part);
    void ReleaseProps();
    static bool ShotHook(TLV_Object* shot);

    std::vector<TLV_Object*> finishProps_;
    std::vector<PParticle*> shots_;
    std::vector<Smoke*> smoke_;
    std::vector<CRacePickupFlash*> flashes_;
    CTimerRec burstClock_;
    int32_t burstShotsLeft_ = 0;
    uint8_t burstThreeWay_ = 0;
    int32_t fireworksPickedUp_ = 0;
    uint8_t firstRatHit_ = 0;
    uint8_t arrivalStarted_ = 0;
    uint8_t fillingFinishPool_ = 0;
    CTimerRec arrivalClock_;
    int32_t playedLevel_ = 1;
    std::vector<int> spoken_;
};

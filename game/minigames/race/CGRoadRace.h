#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "game/minigames/race/CGRace.h"

class TLV_Object;

/// One of a road race's lines: its voice, whether it is dropped while another line waits, and
/// its caption in Windows-1252.
struct RoadRaceLine {
    uint16_t voice;
    bool quiet;
    const char* caption;
};

/// What a town's road race sets up with each of its two vehicles.
struct RoadRaceVehicle {
    ChunkId part;
    ChunkId light;
    float startSpeed;
    float targetSpeed;
};

/// Everything in which the town road races differ from one another but their own play.
struct RoadRaceRules {
    const char* name;
    uint16_t world;
    /// The player's vehicle number of the town's first vehicle; the next one is its second.
    uint16_t firstVehicle;
    std::span<const uint32_t> propTypes;
    std::span<const ChunkId> decorations;
    ChunkId scoreIcon;
    RoadRaceVehicle vehicles[2];
    ChunkId finishParts[2]; // by side
    ChunkId sirenSound;
    /// A vehicle without a light prop toggles its own picture between the neutral and the
    /// light-less state instead.
    bool lightlessSiren;
    int introLines;
    std::span<const RoadRaceLine> lines;
    ChunkId endPicture;
    ChunkId introTexts[3]; // by race level
    ChunkId introTitle;
    ChunkId introPictures[2]; // by vehicle
    ChunkId leavePicture;
    ChunkId leaveText;
    ChunkId endFanfare;
    uint16_t musicEntry;
    ChunkId town;
    ChunkId self;
};

/// What the three town road races share on top of the race base: the set-up from the rules,
/// the arrival at the goal building, the siren, the verges, the goal building's halves, the
/// spoken lines, the intro and end panels and their buttons.
class CGRoadRace : public CGRace {
public:
    static constexpr int32_t kRaceGame = 4;
    static constexpr int16_t kEndPanel = 3;
    static constexpr int16_t kIntroPanel = 4;
    static constexpr uint32_t kKeyCtrl = 17;
    static constexpr int32_t kBonusMs = 4000;
    static constexpr int32_t kNeutralState = 16;
    static constexpr int32_t kLightlessState = 48;
    static constexpr uint32_t kArrivalBoundMs = 10000;

    CGRoadRace(const char* name, uint32_t classId, const RoadRaceRules& rules);
    /// Deletes the finish props.
    ~CGRoadRace() override;

    /// The set-up by the player's vehicle and level, then the base's; the intro panel opens.
    int32_t OnActivated() override;
    /// The end, then the base's tick.
    int32_t OnIdle() override;
    void CreateButtonPanel(int16_t panel) override;
    /// CTRL toggles the siren.
    void OnKey(uint32_t key) override;
    int32_t OnLeftVergeHit(OActivityProp* prop, OActivityProp* piece) override;
    int32_t OnRightVergeHit(OActivityProp* prop, OActivityProp* piece) override;
    TLV_Object* MakeFinishProp(int32_t side) override;

    /// Queues line n of the race; lines marked quiet are dropped while another line waits.
    void Speak(int n);

    bool HasEnded() const { return ended_ != 0; }
    bool IsArriving() const { return arriving_ != 0; }
    uint16_t GetChargesLeft() const { return chargesLeft_; }
    uint16_t GetScore() const { return chargesUsed_; }
    const std::vector<TLV_Object*>& FinishProps() const { return finishProps_; }
    /// Ids of the lines queued so far (tests and traces).
    const std::vector<int>& SpokenLines() const { return spoken_; }
    const RoadRaceRules& Rules() const { return rules_; }

protected:
    /// The lines spoken at the end for the score and the level the race was played at.
    virtual std::vector<int> EndLines(uint16_t score, int32_t level) const = 0;
    /// The town's vehicle the player drives: 0 or 1.
    size_t VehicleIndex() const;
    int32_t KindOf(const OActivityProp* prop);
    /// One of the pictures the part file holds, at random; a missing one is traced and left out.
    ChunkId PickPart(std::span<const ChunkId> parts);
    /// A plain picture made and hidden, a child of the race.
    TLV_Object* MakeHiddenProp(ChunkId part);
    /// Takes the prop out of the race when it is a child, then deletes it.
    void DeleteOwned(TLV_Object* prop);
    /// Deletes the finish props; the races call it at their stop.
    void ReleaseFinishProps();

private:
    /// The end: finish mode when the race clock runs out, then the arrival until the vehicle
    /// stands.
    void StepEnd();
    void EndRace();
    void ToggleSiren();
    void BuildEndPanel();
    void BuildIntroPanel();
    void StopMusic();

    const RoadRaceRules& rules_;
    std::vector<TLV_Object*> finishProps_;
    uint8_t arrivalStarted_ = 0;
    uint8_t fillingFinishPool_ = 0;
    CTimerRec arrivalClock_;
    int32_t playedLevel_ = 1;
    std::vector<int> spoken_;
};

#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/Timer.h"
#include "game/minigames/roundup/RoundUpCharacterLink.h"
#include "game/minigames/roundup/RoundUpTown.h"
#include "game/minigames/roundup/RoundUpTrack.h"
#include "game/world/TLVWorldActivity.h"

class DRoundUp;
class VIsometric;

/// The common base of the round-ups (class id 206, never made from activity data): a small
/// driving world whose vehicle leaves a fading track; a loop of the track catches the loose
/// animals inside it, which may not walk across it. The last catch raises the player's level
/// of the round-up and, once that animal has gone home, opens the win panel. The subclasses
/// give the town's values and the vehicle's special action.
class CRoundUpActivity : public TLVWorld_Activity {
public:
    static constexpr uint32_t kClassId = 206;
    /// The round-up's slot among the player record's activities.
    static constexpr int kActivity = 6;
    static constexpr int32_t kTrackMs = 50;
    static constexpr int32_t kHintMs = 25000;
    static constexpr int16_t kWinPanel = 3;
    static constexpr int16_t kStartPanel = 4;
    static constexpr uint32_t kAnimalId = 1;
    static constexpr uint32_t kTokenId = 2;

    CRoundUpActivity(const RoundUpTown& town, const char* name, uint32_t classId);
    ~CRoundUpActivity() override;

    bool IsA(uint32_t classId) const override;
    /// Family 201 goes to the world's handler; the rest to the game activity's.
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// The level and vehicle's values, the world's start, the vehicle placed, the counters,
    /// the start panel and the start hints.
    int32_t OnActivated() override;
    /// The track step every 50 ms, the 25 s hints, the retired props, then the world's frame.
    int32_t OnIdle() override;
    /// The track and its marks and the counters go, then the world's stop (which saves the
    /// record).
    int32_t FlushSoundQueues() override;
    void Pause() override;
    /// Only when no panel shows.
    void Resume() override;
    using TLVWorld_Activity::Resume;
    /// A round-up animal is tuned to the level first.
    bool AcceptObject(OView* object) override;
    /// The siren on CTRL, then the world's keys.
    void OnKey(uint32_t key) override;
    /// The win panel (3) and the start panel (4) are the round-up's own; the rest the world's.
    void CreateButtonPanel(int16_t panel) override;
    void HidePanel(int16_t panel, uint8_t flush) override;
    /// On the start panel its music, unless it plays; then button 1 blinks.
    void OnPanelDismissed(int16_t panel) override;
    /// The town's music, the start panel's voice on pipe 0 ended.
    void StartGameMusic() override;
    /// The menu's easier level; the win panel's play again and return; the leave panel's
    /// return; the start panel closes as the world's panels do.
    void OnButton(int16_t panel, int16_t button) override;
    void SetCollectableQuotas() override;
    /// Counts the animals the quota kept.
    void OnWorldStart() override;
    bool IsBelowTopBand(const CPoint16& point) override;
    /// A badge taken raises the world's badge count and marks the first badge of the visit.
    void OnCollect(TLV_Object* prop, int32_t collected) override;
    bool HasFirstBadge() const { return firstBadge_ != 0; }
    void OnVehicleHalted() override;
    void OnVehicleAccelerating() override;
    CCharacterWorld* GetCharacterLink() override { return &roundUpLink_; }

    /// A spoken hint with its caption, 0-12, by the town's table and its conditions.
    virtual void ShowHint(int32_t hint);

    // ---- The track and the catch ------------------------------------------------------------
    /// One track step at the vehicle's place; catches in the loops it closes.
    void StepTrack();
    /// Catches the free animals inside the loop from segment `from` to the newest; how many.
    int32_t CatchEnclosed(int32_t from);
    /// The move test of the animals: not through the vehicle (unless `ignoreVehicle`), nor a
    /// solid prop that is not a character, nor across the track. The move's box holds both
    /// end points, so that a straight step is tested too.
    bool CanMoveTo(int16_t x0, int16_t y0, int16_t x1, int16_t y1, int32_t ignoreVehicle);
    /// The chain head of the prop that stops movers (a blocker, changeable, pushable or intact
    /// destructible) whose collision shape holds the point; null where the point is free.
    TLV_Object* SolidAt(const CPoint16& point);
    /// Where an animal standing at `at` inside a solid prop is put out: straight out past the
    /// nearest side of that prop's box (and of any solid touching it there) where the animal's
    /// own steps could stand (see CanStandAt). False when `at` is free, or when no way out is
    /// (the animal stays, and a loop round the prop still catches it).
    bool FindWayOut(const CPoint16& at, CPoint16* out);
    /// Whether an animal put out from `from` may stand at `at`: 5 px inside the map's edges,
    /// below its top band, in no solid, and not across the track.
    bool CanStandAt(const CPoint16& from, const CPoint16& at);
    /// With no animal left: the win panel and hints 11 and 12, once.
    void CheckRoundUpEnd();

    const RoundUpTown& GetTown() const { return town_; }
    const CRoundUpTrack& GetTrack() const { return track_; }
    CRoundUpTrack& Track() { return track_; }
    uint16_t GetAnimalCount() const { return animalCount_; }
    uint16_t GetAnimalsLeft() const { return animalsLeft_; }
    uint16_t GetLevel() const { return level_; }
    const RoundUpTown::Vehicle& GetVehicleValues() const { return *vehicleValues_; }
    bool HasEnded() const { return ended_ != 0; }
    /// The animal count of a level 1-3 (4, 8, 10); a level outside is clamped (traced).
    static uint16_t AnimalsForLevel(uint16_t level);

protected:
    VIsometric* Vehicle();
    /// The player's round-up level in this world, clamped to 1-3.
    uint16_t ReadLevel();

private:
    void SetUpVehicle();
    void SetUpCounters();
    void BuildWinPanel();
    void BuildStartPanel();
    void PlaySiren();
    /// Every panel first quiets the engine and the siren and hides the light.
    void QuietVehicle();
    /// One level down, never below 1.
    void LowerLevel();

    const RoundUpTown& town_;
    const RoundUpTown::Vehicle* vehicleValues_;
    CTimerRec trackTimer_;
    CRoundUpTrack track_;
    CRoundUpCharacterLink roundUpLink_{this};
    uint16_t level_ = 1;
    uint16_t animalCount_ = 0;
    uint16_t animalsLeft_ = 0;
    uint8_t ended_ = 0;
    uint8_t firstBadge_ = 0;
};

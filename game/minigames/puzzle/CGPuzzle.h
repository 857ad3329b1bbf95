#pragma once
#include <cstdint>
#include <vector>

#include "game/minigames/puzzle/PuzzleBoard.h"
#include "game/minigames/puzzle/PuzzleLink.h"
#include "game/minigames/puzzle/PuzzleRun.h"
#include "game/minigames/puzzle/PuzzleTownValues.h"
#include "game/shell/TLVGameActivity.h"

class OPartCursor;
class Puzzle_Character;
class Puzzle_Crowd;
class Puzzle_Dweeble;
class Puzzle_Go_Button;
class Token;
class VIsometric;

/// The track-turning puzzle, the base of the three town puzzles: a generated board of track
/// tiles the player turns by clicking, the emergency vehicle driving along joining tiles while
/// the go button (or SPACE) lets it, waiting people and badges it picks up on the way, hints,
/// the start and end panels, and the player record written when the puzzle stops (a win raises
/// the level and the count; leaving unsolved lowers the level).
class CGPuzzle : public TLVGame_Activity, public CPuzzleLink, public CPuzzleRunHost {
public:
    static constexpr int16_t kPanelEnd = 3;
    static constexpr int16_t kPuzzleActivity = 5;
    static constexpr uint32_t kHintMs = 15000;
    static constexpr float kVehicleScale = 0.6f;
    /// How near its target the vehicle's own target driving stops.
    static constexpr float kVehicleArrivalRadius = 5.0f;
    static constexpr float kPersonScale = 0.75f;
    /// A board that no attempt could generate after this many is given up (traced).
    static constexpr int32_t kMaxAttempts = 100000;

    CGPuzzle(const PuzzleTownValues& town, const char* name, uint32_t classId);
    /// Lets go of the pointer view when the puzzle did not stop first.
    ~CGPuzzle() override;

    bool IsA(uint32_t classId) const override;
    int32_t OnIdle() override;
    int32_t OnActivated() override;
    int32_t FlushSoundQueues() override;
    bool AcceptObject(OView* object) override;
    void OnAppResume() override;
    void Pause() override;
    void Resume() override;
    using TLVGame_Activity::Resume;
    void CreateButtonPanel(int16_t panel) override;
    void HidePanel(int16_t panel, uint8_t flush) override;
    /// A click on the start panel or its time-out starts the tune, unless it plays.
    void OnPanelDismissed(int16_t panel) override;
    /// The town's tune, the start panel's voice on pipe 0 ended.
    void StartGameMusic() override;
    void OnButton(int16_t panel, int16_t button) override;
    void OnKey(uint32_t key) override;

    /// The town's spoken lines; the base says nothing.
    virtual void Speak(int32_t /*line*/) {}
    void OnPersonReached(OActivityProp* /*person*/) override {}
    void CheerCrowdsTwice() override;

    // What the tiles ask.
    void RestartGoDelay() override { run_.RestartGoDelay(); }
    void UpdateVehiclePriority() override { run_.UpdateVehiclePriority(); }
    void OnTileTurned(Puzzle_Piece* tile, OActivityProp* person) override;
    bool ToggleMoving() override { return run_.ToggleMoving(); }
    Puzzle_Piece* TileAt(int32_t row, int32_t column) override { return board_.At(row, column); }
    int32_t GetLevel() override { return level_; }
    bool IsCity() override { return town_.city; }
    void OnPersonRemoved(OActivityProp* /*person*/) override {}

    // What the run asks.
    void OnVehicleStep() override;
    void OnAdvanceStarted() override;
    void OnDeadEnd() override;
    void OnStoppedOnTile() override;

    const PuzzleTownValues& Town() const { return town_; }
    const CPuzzleBoard& Board() const { return board_; }
    CPuzzleRun& Run() { return run_; }
    VIsometric* GetVehicle() const { return vehicle_; }
    Puzzle_Go_Button* GetGoButton() const { return goButton_; }
    Puzzle_Character* GetCharacter() const { return character_; }
    const std::vector<Puzzle_Dweeble*>& People() const { return people_; }
    const std::vector<Token*>& Badges() const { return badges_; }
    const std::vector<Puzzle_Crowd*>& Crowd() const { return crowd_; }
    uint16_t GetPeopleLeft() const { return peopleLeft_; }
    uint16_t GetPeopleTotal() const { return peopleTotal_; }
    uint16_t GetBadgeTotal() const { return badgeTotal_; }

protected:
    /// The puzzle's level from the player record, held to 1-3 (traced when it was not).
    int32_t ReadLevel() const;
    /// The shared table of the puzzle's spoken lines, for the towns' Speak.
    void SpeakLine(int32_t line);
    void SetVehicleArts(ChunkId vehicle, ChunkId light) {
        vehicleArt_ = vehicle;
        lightArt_ = light;
    }
    /// The player's vehicle, 0 to 5.
    static uint16_t PlayerVehicle();
    /// The town's start around the puzzle's: the vehicle's arts by the player's vehicle (none
    /// for a vehicle of another town), the town's character (taken over; dropped, traced, when
    /// its art is missing), the puzzle's start, then the counters of the people left and of
    /// the town's badges.
    int32_t StartTown(Puzzle_Character* character);
    bool ArtsPresent(const ChunkId* arts, int32_t n) const;
    /// Whether a person's tile joins the one the vehicle stands on (what the towns' effects reach).
    bool NextToVehicle(const Puzzle_Dweeble* person) const;

private:
    void PlaceVehicle();
    void PlacePeople(int32_t n);
    void PlaceBadges(int32_t n);
    void AdoptCharacter(Puzzle_Character* character);
    void RemoveCharacter();
    void MakePointer();
    void RemoveVehicle();
    void PickUpPeople();
    void CollectBadges();
    void BuildEndPanel();
    void BuildStartPanel();
    void RefreshCounters();
    void ShowPointer(bool show);

    const PuzzleTownValues& town_;
    CPuzzleBoard board_;
    CPuzzleRun run_;
    std::vector<Puzzle_Dweeble*> people_;
    std::vector<Puzzle_Crowd*> crowd_;
    std::vector<Token*> badges_;
    ChunkId vehicleArt_ = 0;
    ChunkId lightArt_ = 0;
    uint16_t peopleLeft_ = 0;
    uint16_t peopleTotal_ = 0;
    uint16_t badgeTotal_ = 0;
    int32_t level_ = 1;
    VIsometric* vehicle_ = nullptr;
    OPartCursor* pointer_ = nullptr;
    Puzzle_Go_Button* goButton_ = nullptr;
    Puzzle_Character* character_ = nullptr;
    int32_t mouseFrames_ = 0;
};

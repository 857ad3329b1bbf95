#pragma once
#include <cstdint>

#include "game/minigames/puzzle/PuzzleTrack.h"
#include "game/shell/TLVSimpleObject.h"

/// A track tile of the puzzle board ("Puzzle_Piece", 1600): a straight or a curve at one of
/// four rotations, its art resting in states 0-3 and turning a quarter in states 4-7. A click
/// turns it unless it is locked under the vehicle; one prop at a time may claim it, a vehicle
/// standing on it turns with it, and a puzzle character may lift it and set it down again. A
/// highlight shows while the pointer is over it.
class Puzzle_Piece : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1600;
    /// Property family 1600.
    enum : uint32_t { kPropRow = 1, kPropColumn = 2 };
    static constexpr ChunkId kHighlightPart = MakeChunkId(2, 70);
    static constexpr float kHighlightX = 54.0f, kHighlightY = 26.0f;
    static constexpr int32_t kTurnStates = 4;

    Puzzle_Piece(const char* name = "Puzzle_Piece", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// A vehicle on a turning tile turns with it; a lift or lowering moves the tile; then the
    /// still prop's step.
    int32_t OnIdle() override;
    void OnCursorEnter() override;
    void OnCursorLeave() override;
    void OnClick() override;
    /// The end of a turn: the tile rests again and the vehicle is put above it.
    int32_t OnAnimationEnd() override;

    /// Whether the other tile is a neighbour with an exit toward this one and this one toward it.
    bool ConnectsTo(const Puzzle_Piece* other) const;
    /// Claims the tile for the prop; false when another prop holds it.
    bool SetOccupant(OActivityProp* prop);
    void StartLift(OActivityProp* character);
    void StartLower(OActivityProp* character);
    /// The exit the tile is left by, forward or back.
    puzzle::Direction Exit(bool forward) const { return puzzle::ExitOf(straight_ != 0, rotation_, forward); }
    puzzle::TileShape Shape() const { return {row_, column_, straight_ != 0, rotation_}; }

    int16_t GetRow() const { return row_; }
    int16_t GetColumn() const { return column_; }
    void SetCell(int16_t row, int16_t column) {
        row_ = row;
        column_ = column;
    }
    bool IsTurning() const { return turning_ != 0; }
    bool IsStraight() const { return straight_ != 0; }
    void SetStraight(bool on) { straight_ = on ? 1 : 0; }
    bool IsLocked() const { return locked_ != 0; }
    void SetLocked(bool on) { locked_ = on ? 1 : 0; }
    bool HoldsBadge() const { return holdsBadge_ != 0; }
    void SetHoldsBadge(bool on) { holdsBadge_ = on ? 1 : 0; }
    uint32_t GetRotation() const { return rotation_; }
    /// Sets the rotation (0-3) and shows the tile resting at it.
    void SetRotation(uint32_t rotation);
    OActivityProp* GetOccupant() const { return occupant_; }
    /// Clears the claim, whoever held it.
    void ClearOccupant() { occupant_ = nullptr; }
    /// Occupant and lock cleared.
    void Release() {
        occupant_ = nullptr;
        locked_ = 0;
    }
    bool IsLifting() const { return lifting_ != 0; }
    bool IsLowering() const { return lowering_ != 0; }
    /// The place and priority the tile had when its lift began.
    CPointF GetSavedPosition() const { return CPointF(savedX_, savedY_); }
    int32_t GetSavedPriority() const { return savedPriority_; }
    /// Back at the place and priority it had before its lift, no longer lifted or lowered.
    void EndLift();
    OActivityProp* GetHighlight() const { return highlight_; }

private:
    /// The quarter turn from the present rotation.
    void Turn();
    void MoveWithLift();

    int16_t row_ = 0;
    int16_t column_ = 0;
    uint8_t turning_ = 0;
    uint8_t straight_ = 0;
    uint8_t locked_ = 0;
    uint8_t holdsBadge_ = 0;
    uint32_t rotation_ = 0;
    int32_t savedOccupantState_ = 0;
    OActivityProp* occupant_ = nullptr;
    /// A child of the tile, deleted with it.
    OActivityProp* highlight_ = nullptr;
    uint8_t lifting_ = 0;
    uint8_t lowering_ = 0;
    OActivityProp* liftSource_ = nullptr;
    float savedY_ = 0.0f;
    float savedX_ = 0.0f;
    int32_t savedPriority_ = 0;
};

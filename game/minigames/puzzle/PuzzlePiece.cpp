#include "game/minigames/puzzle/PuzzlePiece.h"

#include <algorithm>
#include <new>

#include "game/minigames/puzzle/PuzzleLink.h"
#include "game/shell/PropertyField.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"

namespace {

constexpr uint32_t kVehicle = 2000;
constexpr uint32_t kWaitingPerson = 1610;
/// A vehicle's 32 headings make one state group.
constexpr int32_t kHeadings = 32;
/// The lift raises the tile in five steps of a fifth of its art's lift point.
constexpr int32_t kLiftSteps = 5;
constexpr float kLiftStep = 0.2f;
/// The lift source's frame at which a lift or lowering holds.
constexpr int32_t kLiftHoldFrame = 4;

} // namespace

CPuzzleLink* CurrentPuzzleLink() { return dynamic_cast<CPuzzleLink*>(CurrentGameActivity()); }

Puzzle_Piece::Puzzle_Piece(const char* name, uint32_t classId) : TLVSimple_Object(name, classId) {
    highlight_ = new (std::nothrow) OActivityProp("OActivityProp", OActivityProp::kClassId);
    if (!highlight_) return;
    if (CPartFile* partFile = GamePartFile()) highlight_->SetPartID(partFile, kHighlightPart, 0);
    highlight_->SetVisible(0, 0);
    highlight_->SetPosition(CPointF(kHighlightX, kHighlightY), 1, 0);
    AddChild(highlight_);
}

bool Puzzle_Piece::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

bool Puzzle_Piece::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return TLV_Object::HandleProperty(msg, set);
    if (msg->id == kPropRow) xProperty_Exchange(*this, *msg, row_, set);
    if (msg->id == kPropColumn) xProperty_Exchange(*this, *msg, column_, set);
    return true;
}

void Puzzle_Piece::SetRotation(uint32_t rotation) {
    rotation_ = rotation & 3;
    SetState(int32_t(rotation_));
}

bool Puzzle_Piece::ConnectsTo(const Puzzle_Piece* other) const {
    return other && other != this && puzzle::Joins(Shape(), other->Shape());
}

bool Puzzle_Piece::SetOccupant(OActivityProp* prop) {
    if (occupant_ && occupant_ != prop) return false;
    occupant_ = prop;
    return true;
}

void Puzzle_Piece::StartLift(OActivityProp* character) {
    lifting_ = 1;
    liftSource_ = character;
    savedX_ = GetPosition().x;
    savedY_ = GetPosition().y;
    savedPriority_ = GetPriority();
    SetPriority(savedPriority_ + 3);
}

void Puzzle_Piece::StartLower(OActivityProp* character) {
    lowering_ = 1;
    liftSource_ = character;
}

void Puzzle_Piece::EndLift() {
    SetPriority(savedPriority_);
    SetPosition(GetSavedPosition(), 0, 1);
    lifting_ = lowering_ = 0;
    liftSource_ = nullptr;
}

void Puzzle_Piece::Turn() {
    if (occupant_) savedOccupantState_ = occupant_->GetState();
    const uint32_t from = rotation_;
    rotation_ = (rotation_ + 1) & 3;
    if (GetCurrentStateObject() == nullptr) {
        // Without art no turn animation would ever end: the tile rests at once at its new
        // rotation, so the vehicle is not held for good.
        return;
    }
    turning_ = 1;
    SetState(kTurnStates + int32_t(from));
    QueueNextState(int32_t(rotation_));
}

void Puzzle_Piece::OnClick() {
    if (!occupant_) locked_ = 0;
    if (!locked_) {
        if (!turning_) Turn();
        return;
    }
    if (occupant_ && occupant_->IsA(kWaitingPerson)) {
        Turn();
        if (CPuzzleLink* puzzle = CurrentPuzzleLink()) puzzle->OnTileTurned(this, occupant_);
    }
}

void Puzzle_Piece::MoveWithLift() {
    const int32_t frame = liftSource_->GetCurrentFrame();
    const int32_t k = std::min(kLiftSteps, lifting_ ? frame + 1 : kLiftSteps + 1 - frame);
    const CPointF lift = GetFramePoint(GetState(), GetCurrentFrame());
    SetPosition(CPointF(savedX_ - float(k) * kLiftStep * lift.x, savedY_ - float(k) * kLiftStep * lift.y), 0, 1);
}

int32_t Puzzle_Piece::OnIdle() {
    if (turning_ && occupant_ && occupant_->IsA(kVehicle)) {
        // The vehicle turns by two headings per frame of the turn, within its state group.
        const int32_t group = savedOccupantState_ - (savedOccupantState_ % kHeadings + kHeadings) % kHeadings;
        const int32_t heading = savedOccupantState_ - group - (2 * GetCurrentFrame() + 2);
        occupant_->SetState(group + (heading % kHeadings + kHeadings) % kHeadings);
        if (CPuzzleLink* puzzle = CurrentPuzzleLink()) puzzle->RestartGoDelay();
    }
    if (liftSource_ && (lifting_ || lowering_)) MoveWithLift();
    if (liftSource_ && (liftSource_ != occupant_ || liftSource_->GetCurrentFrame() == kLiftHoldFrame)) {
        if (lowering_ && !lifting_) {
            SetPriority(savedPriority_);
            liftSource_->SetPriority(GetPriority() - 1);
            SetPosition(GetSavedPosition(), 0, 1);
        }
        lifting_ = lowering_ = 0;
        liftSource_ = nullptr;
    }
    return TLVSimple_Object::OnIdle();
}

void Puzzle_Piece::OnCursorEnter() {
    if (highlight_) {
        highlight_->SetVisible(1, 0);
        highlight_->SetPriority(GetPriority());
    }
    OView::OnCursorEnter();
}

void Puzzle_Piece::OnCursorLeave() {
    if (highlight_) highlight_->SetVisible(0, 0);
    OView::OnCursorLeave();
}

int32_t Puzzle_Piece::OnAnimationEnd() {
    if (turning_) {
        turning_ = 0;
        if (CPuzzleLink* puzzle = CurrentPuzzleLink()) puzzle->UpdateVehiclePriority();
    }
    return TLV_Object::OnAnimationEnd();
}

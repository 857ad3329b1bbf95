#include "game/minigames/puzzle/PuzzleRun.h"

#include <algorithm>
#include <cmath>

#include "engine/core/ActivityProp.h"
#include "game/minigames/puzzle/PuzzleBoard.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr uint32_t kWaitingPerson = 1610;
constexpr uint32_t kBadge = 1540;
constexpr uint32_t kVehicle = 2000;

int32_t Wrap(int32_t heading) { return ((heading % CPuzzleRun::kHeadings) + CPuzzleRun::kHeadings) % CPuzzleRun::kHeadings; }

} // namespace

bool xPuzzle_IsVisible(const OActivityProp* prop) { return prop && prop->IsShownThroughParents(); }

CPuzzleRun::CPuzzleRun(const CPuzzleBoard& board, CPuzzleRunHost& host) : board_(board), host_(host) {
    stepTimer_.duration = kStepMs;
    stepTimer_.Stop();
    goDelay_.Start(-1);
}

void CPuzzleRun::Place(VIsometric* vehicle, Puzzle_Piece* tile) {
    vehicle_ = vehicle;
    current_ = tile;
    previous_ = next_ = nullptr;
    if (!vehicle_ || !tile) return;
    tile->SetOccupant(vehicle_);
    row_ = tile->GetRow();
    column_ = tile->GetColumn();
    point_ = CPointF(tile->GetPosition().x, tile->GetPosition().y + float(offset_));
    vehicle_->SetPosition(point_, 0, 1);
    UpdateVehiclePriority();
    step_ = 1;
    forward_ = previousForward_ = true;
    SetHeading(puzzle::HeadingOnTile(tile->IsStraight(), tile->GetRotation(), true));
}

void CPuzzleRun::Pause() {
    stepTimer_.Pause();
    goDelay_.Pause();
}

void CPuzzleRun::Resume() {
    stepTimer_.Resume();
    goDelay_.Resume();
}

void CPuzzleRun::SetHeading(int32_t state) {
    if (vehicle_) vehicle_->SetState(state);
}

bool CPuzzleRun::Frame() {
    if (!vehicle_ || !current_) return false;
    if (stepTimer_.HasElapsed() && next_) {
        DriveStep();
        return true;
    }
    // An advance that has started drives all its steps before the vehicle arrives anywhere:
    // while the first step is still due, the tiles do not move on.
    if (current_->IsTurning() || step_ != 1 || stepTimer_.running) return false;
    if (!moving_) {
        if (next_) {
            ReleaseIfHeld(previous_);
            ReleaseIfHeld(current_);
            next_->SetLocked(false);
            MoveOn();
            host_.OnStoppedOnTile();
        }
        SetVehicleHeading();
        return false;
    }
    Arrive();
    return true;
}

void CPuzzleRun::DriveStep() {
    const int32_t s = step_;
    const CPointF from = current_->GetPosition(), to = next_->GetPosition();
    const float part = float(s) * (1.0f / float(kSteps));
    point_ = CPointF(from.x + (to.x - from.x) * part, from.y + (to.y - from.y) * part + float(offset_));
    vehicle_->SetFrame(s % 2);
    TurnOnCurves(s);
    if (s < kSteps) {
        step_ = s + 1;
        stepTimer_.Start(kStepMs);
    } else {
        step_ = 1;
        stepTimer_.Stop();
    }
    vehicle_->SetPosition(point_, 0, 1);
    host_.OnVehicleStep();
}

void CPuzzleRun::Arrive() {
    savedHeading_ = vehicle_->GetState();
    if (next_) MoveOn();
    SetVehicleHeading();
    if (!goDelay_.HasElapsed()) return;
    Advance();
    if (moving_) {
        host_.OnAdvanceStarted();
        stepTimer_.Start(kStepMs);
        return;
    }
    ReleaseIfHeld(previous_);
    ReleaseIfHeld(next_);
    current_->SetLocked(false);
    host_.OnDeadEnd();
}

void CPuzzleRun::MoveOn() {
    if (previous_) previous_->Release();
    previous_ = current_;
    current_ = next_;
    next_ = nullptr;
}

void CPuzzleRun::ReleaseIfHeld(Puzzle_Piece* tile) {
    if (tile && tile->GetOccupant() == vehicle_) tile->Release();
}

void CPuzzleRun::Advance() {
    const puzzle::CellStep move = puzzle::StepOf(current_->Exit(forward_));
    Puzzle_Piece* tile = board_.At(row_ + move.dr, column_ + move.dc);
    if (!tile || tile->IsTurning() || !current_->ConnectsTo(tile)) {
        moving_ = false;
        return;
    }
    row_ = int16_t(row_ + move.dr);
    column_ = int16_t(column_ + move.dc);
    next_ = tile;
    // A character that lifts the tile has locked it for its visit: a stop there keeps that lock.
    const bool lockedBefore = next_->IsLocked();
    current_->SetLocked(true);
    next_->SetLocked(true);
    moving_ = true;
    OActivityProp* displaced = next_->GetOccupant();
    if (!next_->SetOccupant(vehicle_)) {
        if (!displaced->IsA(kWaitingPerson) && !displaced->IsA(kBadge) && !displaced->IsA(kVehicle)) {
            // A puzzle character holds the tile: the vehicle stays where it is.
            row_ = int16_t(row_ - move.dr);
            column_ = int16_t(column_ - move.dc);
            current_->SetLocked(false);
            next_->SetLocked(lockedBefore);
            if (previous_) previous_->Release();
            next_ = nullptr;
            moving_ = false;
            return;
        }
        next_->ClearOccupant();
        next_->SetOccupant(vehicle_);
    } else {
        displaced = nullptr;
    }
    if (lookAhead_) {
        lookAhead_ = false;
    } else if (displaced && displaced->IsA(kWaitingPerson) && xPuzzle_IsVisible(displaced) && !city_) {
        host_.OnPersonReached(displaced);
    }
    if (previous_) previous_->Release();
    previousForward_ = forward_;
    forward_ = puzzle::EntersForward(next_->IsStraight(), next_->GetRotation(), move);
    LookAhead();
}

void CPuzzleRun::LookAhead() {
    if (!next_ || city_) return;
    const puzzle::CellStep move = puzzle::StepOf(next_->Exit(forward_));
    const Puzzle_Piece* beyond = board_.At(next_->GetRow() + move.dr, next_->GetColumn() + move.dc);
    OActivityProp* person = beyond ? beyond->GetOccupant() : nullptr;
    if (!person || !person->IsA(kWaitingPerson) || !xPuzzle_IsVisible(person)) return;
    if (angleTest_ && !InSight(person)) return;
    lookAhead_ = true;
    host_.OnPersonReached(person);
}

bool CPuzzleRun::InSight(OActivityProp* person) {
    Vec3 heading;
    vehicle_->GetHeadingVector(&heading);
    CPointF ground;
    vehicle_->GetGroundPointF(&ground);
    const double hx = heading.x, hy = heading.y / kProjection;
    const double px = double(person->GetPosition().x) - ground.x, py = (double(person->GetPosition().y) - ground.y) / kProjection;
    const double lengths = std::hypot(hx, hy) * std::hypot(px, py);
    if (lengths == 0.0) return true;
    return std::acos(std::clamp((hx * px + hy * py) / lengths, -1.0, 1.0)) < kLookAngle;
}

void CPuzzleRun::SetVehicleHeading() {
    SetHeading(puzzle::HeadingOnTile(current_->IsStraight(), current_->GetRotation(), forward_));
}

void CPuzzleRun::TurnOnCurves(int32_t s) {
    if (!current_->IsStraight() && s < 5) {
        SetHeading(Wrap(previousForward_ ? savedHeading_ - s : savedHeading_ + s));
        if (s == 4) savedHeading_ = vehicle_->GetState();
    }
    if (next_ && !next_->IsStraight() && kSteps - s < 4)
        SetHeading(Wrap(forward_ ? savedHeading_ - s + 26 : savedHeading_ + s - 26));
}

void CPuzzleRun::UpdateVehiclePriority() {
    if (!vehicle_ || !current_) return;
    Puzzle_Piece* reference = current_;
    if (next_ && next_->GetPriority() >= current_->GetPriority()) {
        reference = previous_ && previous_->GetPriority() >= next_->GetPriority() ? previous_ : next_;
    } else if (previous_ && previous_->GetPriority() >= current_->GetPriority()) {
        reference = previous_;
    }
    int32_t highest = reference->GetPriority();
    for (const bool leaving : {true, false}) {
        const puzzle::CellStep move = puzzle::StepOf(reference->Exit(leaving ? forward_ : !forward_));
        if (const Puzzle_Piece* tile = board_.At(reference->GetRow() + move.dr, reference->GetColumn() + move.dc))
            highest = std::max(highest, tile->GetPriority());
    }
    vehicle_->SetDrawPriority(highest + 1);
}

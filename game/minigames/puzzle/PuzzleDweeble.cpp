#include "game/minigames/puzzle/PuzzleDweeble.h"

#include <algorithm>

#include "game/minigames/puzzle/PuzzleLink.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/PropertyField.h"
#include "game/world/characters/DweebleRoutines.h"

namespace {

constexpr int32_t kWalkSpeed = 100;
constexpr int32_t kRunSpeed = 50;
constexpr uint32_t kVehicleClass = 2000;
constexpr uint32_t kProjectileClass = 2300;
constexpr int32_t kReachedAnswer = 68;
constexpr int32_t kHitAnswer = 65;

void PuzzleWalk(Dweeble* d) { static_cast<Puzzle_Dweeble*>(d)->Walk(); }

} // namespace

Puzzle_Dweeble::Puzzle_Dweeble(const char* name, uint32_t classId) : Dweeble(name, classId) {
    SetGroupRoutine(0, &PuzzleWalk);
    SetGroupRoutine(1, &PuzzleWalk);
    SetGroupRoutine(2, nullptr);
    SetGroupRoutine(3, &Dweeble_Roam);
    SetBehaviourState(0);
    SetWalkSpeed(kWalkSpeed);
    SetRunSpeed(kRunSpeed);
    CPuzzleLink* puzzle = CurrentPuzzleLink();
    const bool city = puzzle && puzzle->IsCity();
    AddFramesA(0, 0);
    AddFramesB(city ? 0 : 1, city ? 0 : 2);
    AddFramesC(city ? 0 : 3, city ? 0 : 3);
    const int32_t level = puzzle ? puzzle->GetLevel() : 1;
    walkTimer_.duration = level >= 1 && level <= 3 ? kStepMs : -1;
    walkTimer_.Stop();
}

bool Puzzle_Dweeble::IsA(uint32_t classId) const { return classId == kClassId || Dweeble::IsA(classId); }

bool Puzzle_Dweeble::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return Dweeble::HandleProperty(msg, set);
    if (msg->id == kPropRow) xProperty_Exchange(*this, *msg, row_, set);
    if (msg->id == kPropColumn) xProperty_Exchange(*this, *msg, column_, set);
    return true;
}

int32_t Puzzle_Dweeble::OnIdle() {
    CPuzzleLink* puzzle = CurrentPuzzleLink();
    if (const Puzzle_Piece* tile = puzzle ? puzzle->TileAt(row_, column_) : nullptr)
        if (tile->GetPriority() > GetPriority()) SetPriority(tile->GetPriority());
    StartStepTimer();
    return Dweeble::OnIdle();
}

void Puzzle_Dweeble::StartStepTimer() {
    if (!walkTimer_.running) walkTimer_.Start(walkTimer_.duration);
}

bool Puzzle_Dweeble::StepDue() {
    if (!walkTimer_.HasElapsed()) return false;
    walkTimer_.Stop();
    return true;
}

void Puzzle_Dweeble::Walk() {
    CPuzzleLink* puzzle = CurrentPuzzleLink();
    const int32_t level = puzzle ? puzzle->GetLevel() : 1;
    switch (GetBehaviourState()) {
    case 0:
        ShowRandomFrameA();
        if (HasRoutine(1)) SetBehaviourState(1);
        break;
    case 1:
        if (level == 1) {
            if (current_) current_->SetOccupant(this);
            break;
        }
        if (!StepDue()) {
            Unlock(current_);
            break;
        }
        if (blocked_ || blockedByVehicle_) {
            StartStepTimer();
            if (StepAlongTrack() && current_) current_->SetLocked(true);
        } else {
            StepAlongTrack();
        }
        break;
    case 2:
        if (!StepDue()) break;
        StartStepTimer();
        SetOff();
        SetBehaviourState(3);
        break;
    case 3:
        if (!IsNearTarget() && !HasPassedTarget()) {
            if (Vec3Length(GetVelocity()) == 0.0f) SetOff();
            break;
        }
        Stop();
        StartStepTimer();
        if (!StepDue()) break;
        if (StepAlongTrack()) {
            // Straight on to the next tile: the step's state change is taken back.
            SetBehaviourState(3);
            SetOff();
        } else {
            ShowRandomFrameA();
            SetBehaviourState(1);
        }
        break;
    default: break;
    }
}

bool Puzzle_Dweeble::StepAlongTrack() {
    CPuzzleLink* puzzle = CurrentPuzzleLink();
    if (next_) {
        if (previous_ != current_ && previous_ != next_) ReleaseIfHeld(previous_);
        previous_ = current_;
        current_ = next_;
        next_ = nullptr;
    } else {
        current_ = puzzle ? puzzle->TileAt(row_, column_) : nullptr;
    }
    // A person whose cell lost its tile stays where it is.
    if (!current_ || !puzzle) return false;
    const puzzle::CellStep move = puzzle::StepOf(current_->Exit(forward_ != 0));
    Puzzle_Piece* tile = puzzle->TileAt(row_ + move.dr, column_ + move.dc);
    if (!tile || tile->IsTurning() || current_->IsTurning() || !current_->ConnectsTo(tile)) {
        TurnBack();
        return false;
    }
    if (tile->SetOccupant(this)) {
        row_ = int16_t(row_ + move.dr);
        column_ = int16_t(column_ + move.dc);
        next_ = tile;
        tile->SetLocked(true);
        blocked_ = 0;
        blockedByVehicle_ = 0;
        forward_ = puzzle::EntersForward(tile->IsStraight(), tile->GetRotation(), move) ? 1 : 0;
        SetPriority(std::max(current_->GetPriority(), tile->GetPriority()));
        const CPointF stand = StandPoint(tile), ground = GetGroundPosition(), at = GetPosition();
        SetTargetPoint(CPointF(stand.x + ground.x - at.x, stand.y + ground.y - at.y));
        SetBehaviourState(2);
        return true;
    }
    // Turned back before it is marked, so that only a second failure in a row lets go.
    TurnBack();
    blocked_ = 1;
    if (tile->GetOccupant()->IsA(kVehicleClass)) {
        blockedByVehicle_ = 1;
        Unlock(current_);
    }
    return false;
}

void Puzzle_Dweeble::TurnBack() {
    if (blocked_) {
        Unlock(current_);
        if (GetBehaviourState() != 1) SetBehaviourState(0);
        ReleaseIfHeld(previous_);
    } else {
        blocked_ = 1;
    }
    forward_ = forward_ ? 0 : 1;
}

int32_t Puzzle_Dweeble::OnHit(OActivityProp* other) {
    if (!other) return 0;
    if (other->IsA(kVehicleClass)) {
        if (CPuzzleLink* puzzle = CurrentPuzzleLink()) puzzle->OnPersonReached(this);
        PickUp();
        return kReachedAnswer;
    }
    if (!other->IsA(kProjectileClass)) return 0;
    const CDynArray<int32_t>& walking = FramesC();
    bool isWalking = false;
    for (int32_t i = 0; i < walking.Count(); ++i) isWalking = isWalking || walking.GetAt(i) == GetState();
    if (!isWalking) {
        SetBehaviourState(6);
        ShowRandomFrameD(false);
    }
    return kHitAnswer;
}

void Puzzle_Dweeble::SetOff() {
    const Vec3 to = VectorToTarget();
    const float length = Vec3Length(to);
    if (length == 0.0f) return;
    const float speed = float(GetWalkSpeed()) / length;
    SetVelocity(Vec3(to.x * speed, to.y * speed, 0.0f), 0);
}

CPointF Puzzle_Dweeble::StandPoint(const Puzzle_Piece* tile) const {
    CPuzzleLink* puzzle = CurrentPuzzleLink();
    const float height = puzzle && puzzle->IsCity() ? kCityStandHeight : kStandHeight;
    return CPointF(tile->GetPosition().x, tile->GetPosition().y - height);
}

void Puzzle_Dweeble::Unlock(Puzzle_Piece* tile) {
    if (tile) tile->SetLocked(false);
}

void Puzzle_Dweeble::ReleaseIfHeld(Puzzle_Piece* tile) {
    if (tile && tile->GetOccupant() == this) tile->Release();
}

void Puzzle_Dweeble::PickUp() {
    SetGroupRoutine(0, nullptr);
    SetGroupRoutine(1, nullptr);
    // The state is taken again so that the routine it runs is the emptied one: a person taken
    // off the board walks no more.
    SetBehaviourState(GetBehaviourState());
    Stop();
    ReleaseIfHeld(previous_);
    ReleaseIfHeld(next_);
    if (current_) current_->Release();
    ShowRandomFrameA();
    SetVisible(0, 1);
    if (CPuzzleLink* puzzle = CurrentPuzzleLink()) puzzle->OnPersonRemoved(this);
}

void Puzzle_Dweeble::TileTurned(Puzzle_Piece* /*tile*/) {
    if (!next_) return;
    ShowRandomFrameA();
    SetBehaviourState(1);
    SetPosition(StandPoint(next_), 0, 1);
    SetPriority(next_->GetPriority());
    ReleaseIfHeld(previous_);
    previous_ = current_;
    current_ = next_;
    next_ = nullptr;
}

#include "game/minigames/puzzle/PuzzleDweeble.h"

#include "game/minigames/puzzle/PuzzleLink.h"
#include "game/minigames/puzzle/PuzzlePiece.h"
#include "game/shell/PropertyField.h"
#include "game/world/characters/DweebleRoutines.h"

namespace {

constexpr int32_t kWalkSpeed = 100;
constexpr int32_t kRunSpeed = 50;

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
    switch (GetBehaviourState()) {
    case 0:
        ShowRandomFrameA();
        if (HasRoutine(1)) SetBehaviourState(1);
        break;
    case 1:
        // People of the first level stay on their tile; walking along the track is for the
        // higher levels.
        if (current_) current_->SetOccupant(this);
        break;
    default: break;
    }
}

void Puzzle_Dweeble::ReleaseIfHeld(Puzzle_Piece* tile) {
    if (tile && tile->GetOccupant() == this) tile->Release();
}

void Puzzle_Dweeble::PickUp() {
    SetGroupRoutine(0, nullptr);
    SetGroupRoutine(1, nullptr);
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
    CPuzzleLink* puzzle = CurrentPuzzleLink();
    const float height = puzzle && puzzle->IsCity() ? kCityStandHeight : kStandHeight;
    SetPosition(CPointF(next_->GetPosition().x, next_->GetPosition().y - height), 0, 1);
    SetPriority(next_->GetPriority());
    ReleaseIfHeld(previous_);
    previous_ = current_;
    current_ = next_;
    next_ = nullptr;
}

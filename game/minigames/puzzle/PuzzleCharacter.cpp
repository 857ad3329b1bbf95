#include "game/minigames/puzzle/PuzzleCharacter.h"

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "game/minigames/puzzle/PuzzleLink.h"
#include "game/minigames/puzzle/PuzzlePiece.h"

namespace {

constexpr int32_t kBoardSide = 7;
constexpr int32_t kLiftState = 0;
constexpr int32_t kHoldState = 1;
constexpr int32_t kLowerState = 2;

int32_t Below(int32_t n) { return xRand() % n; }

} // namespace

Puzzle_Character::Puzzle_Character(const char* name, uint32_t classId) : TLVSimple_Object(name, classId) {
    SetVisible(0, 0);
    WaitAgain();
}

bool Puzzle_Character::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

void Puzzle_Character::WaitAgain() {
    appearTimer_.Start(kAppearMinMs + Below(kAppearSpreadMs));
}

int32_t Puzzle_Character::OnIdle() {
    if (appearTimer_.HasElapsed()) {
        appearTimer_.Stop();
        Appear();
    }
    return TLVSimple_Object::OnIdle();
}

void Puzzle_Character::Suspend(int32_t flag) {
    appearTimer_.Pause();
    TLVSimple_Object::Suspend(flag);
}

void Puzzle_Character::Resume(int32_t flag) {
    appearTimer_.Resume();
    TLVSimple_Object::Resume(flag);
}

bool Puzzle_Character::Appear() {
    CPuzzleLink* puzzle = CurrentPuzzleLink();
    visiting_ = 1;
    Puzzle_Piece* tile = nullptr;
    for (int32_t draw = 1; puzzle && !tile && draw <= kMaxDraws; ++draw) {
        const int32_t row = Below(kBoardSide);
        Puzzle_Piece* candidate = puzzle->TileAt(row, Below(kBoardSide));
        if (!candidate || candidate->HoldsBadge()) continue;
        const OActivityProp* holder = candidate->GetOccupant();
        if (draw >= kAnyTileFromDraw || !holder || holder == this) tile = candidate;
    }
    if (!tile) {
        xTracef("%s : no tile to appear on\n", GetName());
        visiting_ = 0;
        WaitAgain();
        return false;
    }
    tile_ = tile;
    tile->SetOccupant(this);
    tile->SetLocked(true);
    SetPosition(tile->GetPosition(), 0, 1);
    tile->StartLift(this);
    SetPriority(tile->GetPriority() - 1);
    SetState(kLiftState);
    QueueState(kHoldState, 1);
    QueueState(kLowerState, 1);
    SetVisible(1, 0);
    puzzle->CheerCrowdsTwice();
    return true;
}

int32_t Puzzle_Character::OnAnimationEnd() {
    if (visiting_ && tile_) {
        if (GetState() == kHoldState) tile_->StartLower(this);
        else if (GetState() == kLowerState) Leave();
    }
    return TLVSimple_Object::OnAnimationEnd();
}

void Puzzle_Character::Leave() {
    // A tile it could not claim still belongs to the vehicle or a person.
    if (tile_->GetOccupant() == this) tile_->Release();
    tile_->EndLift();
    tile_ = nullptr;
    visiting_ = 0;
    SetVisible(0, 0);
    WaitAgain();
}

#include "game/minigames/puzzle/PuzzleGoButton.h"

#include "game/minigames/puzzle/PuzzleLink.h"

Puzzle_Go_Button::Puzzle_Go_Button(const char* name, uint32_t classId) : OActivityProp(name, classId) {
    readyTimer_.duration = kReadyAfterMs;
}

bool Puzzle_Go_Button::IsA(uint32_t classId) const { return classId == kClassId || OActivityProp::IsA(classId); }

void Puzzle_Go_Button::OnClick() {
    CPuzzleLink* puzzle = CurrentPuzzleLink();
    if (!puzzle) return;
    if (puzzle->ToggleMoving()) ShowGoing();
    else ShowStopped();
}

void Puzzle_Go_Button::ShowGoing() {
    SetState(kGoing);
    if (CPuzzleLink* puzzle = CurrentPuzzleLink()) puzzle->UpdateVehiclePriority();
}

void Puzzle_Go_Button::ShowStopped() {
    readyTimer_.Start(kReadyAfterMs);
    SetState(kStopped);
}

int32_t Puzzle_Go_Button::OnIdle() {
    if (readyTimer_.HasElapsed() && GetState() == kStopped) SetState(kReady);
    return OActivityProp::OnIdle();
}

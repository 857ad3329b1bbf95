#include "game/minigames/puzzle/PuzzleCrowd.h"

Puzzle_Crowd::Puzzle_Crowd(const char* name, uint32_t classId) : TLVSimple_Object(name, classId) {
    // Its cheers carry further than a still prop's sounds.
    SetSoundRange(kCheerRange);
}

bool Puzzle_Crowd::IsA(uint32_t classId) const { return classId == kClassId || TLVSimple_Object::IsA(classId); }

void Puzzle_Crowd::Cheer(int32_t state) {
    SetState(state);
    QueueNextState(0);
}

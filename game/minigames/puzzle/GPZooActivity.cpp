#include "game/minigames/puzzle/GPZooActivity.h"

GPZoo_Activity::GPZoo_Activity(const char* name, uint32_t classId) : CGPuzzle(puzzle_towns::kZoo, name, classId) {}

int32_t GPZoo_Activity::OnActivated() { return StartTown(); }

void GPZoo_Activity::Speak(int32_t line) { SpeakLine(line); }

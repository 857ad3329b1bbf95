#include "game/minigames/puzzle/GPToonActivity.h"

GPToon_Activity::GPToon_Activity(const char* name, uint32_t classId) : CGPuzzle(puzzle_towns::kCircus, name, classId) {}

int32_t GPToon_Activity::OnActivated() { return StartTown(); }

void GPToon_Activity::Speak(int32_t line) { SpeakLine(line); }

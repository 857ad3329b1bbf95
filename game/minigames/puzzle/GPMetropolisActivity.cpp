#include "game/minigames/puzzle/GPMetropolisActivity.h"

#include <new>

#include "game/minigames/puzzle/PuzzleCharacter.h"

GPMetropolis_Activity::GPMetropolis_Activity(const char* name, uint32_t classId) : CGPuzzle(puzzle_towns::kCity, name, classId) {}

int32_t GPMetropolis_Activity::OnActivated() { return StartTown(new (std::nothrow) City_Puzzle_Crook); }

void GPMetropolis_Activity::Speak(int32_t line) { SpeakLine(line); }

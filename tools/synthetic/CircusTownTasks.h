#pragma once
// The circus town's task props and the art, texts, movie and sounds of its play.
#include <cstdint>
#include <vector>

#include "tools/builders/ActivityBuilder.h"

struct GameData;

/// The fires of the fire task, the fire characters, the puppies and the three missions' fires,
/// captives and pens; the fires take the town's fire part.
std::vector<vqt::test::ObjectPlan> CircusTownTasks(GameData& data, uint32_t firePart);
/// The smoke, the puppies' counter icon, the challenge areas' pictures and texts, the
/// mission's movie {18, 0, 2} and the town's voices and sounds.
void AddCircusTownExtras(GameData& data);

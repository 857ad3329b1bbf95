#pragma once
#include <vector>

#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/ChunkFileBuilder.h"

namespace vqt::test {

/// Adds texts with an English (10) and a Japanese (24) version to the 'utxt' index given, entries
/// 1 to 3, and answers one text view of each kind the engine makes (a title, a caption, a status
/// panel) showing them.
std::vector<ObjectPlan> AddSyntheticTexts(ChunkFileBuilder& file, uint8_t utxtIndex);

} // namespace vqt::test

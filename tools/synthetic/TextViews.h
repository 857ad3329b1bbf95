#pragma once
#include <cstdint>
#include <vector>

#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/ChunkFileBuilder.h"

namespace vqt::test {

/// One text the synthetic text views show: its 'utxt' entry and its versions.
struct SyntheticText {
    uint16_t entry;
    std::vector<TextRecord> records;
    const char* name;
};

/// The views' texts, with an English (10) and some with a Japanese (24) version, at entries of
/// their own above every text the game names.
std::vector<SyntheticText> SyntheticTexts();

/// Adds the texts to the 'utxt' index given and answers one text view of each kind the engine
/// makes (a title, a caption, a status panel) showing them.
std::vector<ObjectPlan> AddSyntheticTexts(ChunkFileBuilder& file, uint8_t utxtIndex);

} // namespace vqt::test

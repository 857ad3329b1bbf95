#pragma once
// What the three arcades' data share: their palettes, parts, strip and activity, scenery items,
// and the voices, sounds and texts they name.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "tools/builders/ImageWriters.h"
#include "tools/synthetic/GameData.h"

namespace arcade_data {

/// A spoken line: its voice's entry and its caption.
struct Line {
    uint16_t voice;
    const char16_t* caption;
};

/// A text chunk's entry and its words.
struct Text {
    uint16_t entry;
    const char16_t* text;
};

/// The 768 palette bytes of an arcade's colours (0x00BBGGRR each), black after them.
std::vector<uint8_t> PartPalette(const std::vector<uint32_t>& colours);

/// The plan filed at the entry (shared with the other games that name it), or under a new
/// entry for 0; its part id.
uint32_t AddPart(GameData& data, const vqt::test::PartPlan& plan, uint16_t entry = 0);

/// The strip's frame and palette chunks at the activity's entry, and the activity over them
/// with the view spanning the strip, its top left corner at the stage's.
vqt::test::ActivityPlan StripActivity(GameData& data, uint32_t classId, uint16_t entry, const vqt::test::IndexedPicture& strip,
                                      const std::string& stripName, const std::string& name);

/// Start and end speeds of groups 0-5, the same for both.
void SetGroupSpeeds(vqt::test::ActivityPlan& game, const int16_t (&speeds)[6]);

/// A scenery item of the class at (x, y) in the speed group.
vqt::test::ObjectPlan Item(uint32_t classId, uint32_t part, int16_t x, int16_t y, int16_t group);

/// The lines' voices, the sounds and the texts (named after `textName` and their entry).
void AddMedia(GameData& data, std::span<const Line> lines, std::initializer_list<uint16_t> sounds, std::span<const Text> texts,
              const std::string& textName);

} // namespace arcade_data

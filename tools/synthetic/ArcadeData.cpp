// What the three arcades' data share.
#include "tools/synthetic/ArcadeData.h"

#include "engine/graphics/FrameImage.h"

using namespace vqt::test;

namespace arcade_data {

std::vector<uint8_t> PartPalette(const std::vector<uint32_t>& colours) {
    std::vector<uint8_t> rgb(768, 0);
    for (size_t i = 0; i < colours.size(); ++i) {
        rgb[i * 3] = uint8_t(colours[i] & 0xFF);
        rgb[i * 3 + 1] = uint8_t((colours[i] >> 8) & 0xFF);
        rgb[i * 3 + 2] = uint8_t((colours[i] >> 16) & 0xFF);
    }
    return rgb;
}

uint32_t AddPart(GameData& data, const PartPlan& plan, uint16_t entry) {
    return entry ? AddSharedPart(data, plan, entry) : data.parts.AddPart(plan).part;
}

ActivityPlan StripActivity(GameData& data, uint32_t classId, uint16_t entry, const IndexedPicture& strip, const std::string& stripName,
                           const std::string& name) {
    const uint32_t background = data.file.AddChunk(GameData::kFrames, BmpFile(strip),
                                                   {.entry = entry, .name = stripName, .property = FrameProperty(kFrameBmp)});
    const uint32_t palette = data.file.AddChunk(GameData::kPalettes, PaletteData(strip.colours), {.entry = entry, .name = name});
    ActivityPlan game{.classId = classId, .backgroundId = background, .paletteId = palette};
    game.properties.Pair(50, 1, int16_t(strip.width / 2), int16_t(strip.height / 2)).Short(200, 1, kCounterBarPanelMode);
    return game;
}

void SetGroupSpeeds(ActivityPlan& game, const int16_t (&speeds)[6]) {
    for (uint32_t g = 0; g < 6; ++g) {
        game.properties.Long(204, 2 * g + 1, uint32_t(int32_t(speeds[g])));
        game.properties.Long(204, 2 * g + 2, uint32_t(int32_t(speeds[g])));
    }
}

ObjectPlan Item(uint32_t classId, uint32_t part, int16_t x, int16_t y, int16_t group) {
    ObjectPlan object{.classId = classId, .partId = part};
    object.properties.Pair(50, 1, x, y).Short(1700, 1, group);
    return object;
}

void AddMedia(GameData& data, std::span<const Line> lines, std::initializer_list<uint16_t> sounds, std::span<const Text> texts,
              const std::string& textName) {
    for (const Line& l : lines)
        data.file.AddChunk(GameData::kSnippets, Tone(220.0 + l.voice % 300),
                           {.entry = l.voice, .name = "Arcade voice " + std::to_string(l.voice),
                            .property = PropertyRecordBytes().SoundDefaults()});
    for (const uint16_t sound : sounds) AddSharedTone(data, sound, 300.0 + sound % 500, "Arcade sound " + std::to_string(sound));
    for (const Text& t : texts)
        AddGameText(data, t.entry, t.text, textName + " " + std::to_string(t.entry));
}

} // namespace arcade_data

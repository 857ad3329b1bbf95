// Two screens over one tile sheet stored as GIF and as PCX: tiled activities {1, 0, 250} and
// {1, 0, 251} (entries no id of the game names) over frames {9, 0, 250} and {9, 0, 251}, with
// the first activity's palette.
#include "engine/graphics/FrameImage.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"

using namespace vqt::test;

namespace {

constexpr int kTile = 32;
constexpr int16_t kColumns = 20;
constexpr int16_t kRows = 15;

/// 32 tiles of 32 x 32 in the first activity's ten bright colours (128 on), 8 a row.
IndexedPicture Sheet() {
    IndexedPicture sheet = TileSheet(kTile, kTile, 8, 4, {});
    for (uint8_t& p : sheet.pixels) p = uint8_t(128 + (p - 1) % 10);
    return sheet;
}

/// A tiled activity over the sheet: its 32 tiles in diagonal bands over 20 x 15 cells.
void AddTiledActivity(GameData& data, uint16_t entry, uint32_t sheet, const char* name) {
    std::vector<uint16_t> tiles;
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kColumns; ++col) tiles.push_back(uint16_t((row + col) % 32));
    ActivityPlan activity{.classId = 53,
                          .objectId = entry,
                          .backgroundId = sheet,
                          .paletteId = ChunkIdOf(GameData::kPalettes, 1),
                          .properties = TiledActivityProps(kColumns, kRows, kTile, kTile, tiles)};
    data.file.AddChunk(GameData::kActivities, ActivityData(activity), {.entry = entry, .name = name});
}

} // namespace

void AddTileSheetScreens(GameData& data) {
    const IndexedPicture sheet = Sheet();
    const uint32_t gif = data.file.AddChunk(GameData::kFrames, GifFile(sheet, {.interlaced = true}),
                                            {.entry = 250, .name = "Tile sheet (GIF)", .property = FrameProperty(kFrameGif)});
    const uint32_t pcx = data.file.AddChunk(GameData::kFrames, PcxFile(sheet),
                                            {.entry = 251, .name = "Tile sheet (PCX)", .property = FrameProperty(kFramePcx)});
    AddTiledActivity(data, 250, gif, "Tiles over a GIF sheet");
    AddTiledActivity(data, 251, pcx, "Tiles over a PCX sheet");
}

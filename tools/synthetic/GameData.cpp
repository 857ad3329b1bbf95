#include "tools/synthetic/GameData.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>

using vqt::test::ChunkFileBuilder;
using vqt::test::PartIndexes;

namespace {

/// Adds the indexes in number order and answers the part builder's share of them.
PartIndexes AddIndexes(ChunkFileBuilder& file) {
    struct Index {
        const char* type;
        uint16_t format;
    };
    // Numbers 11 and 13 to 16 are fillers that no id of the game names.
    static const Index kIndexes[] = {
        {"actv", 8}, {"part", 8}, {"stat", 8}, {"cblk", 0}, {"comp", 0}, {"text", 8},
        {"snip", 8}, {"cpal", 8}, {"fram", 8}, {"path", 8}, {"f011", 8}, {"clst", 8},
        {"f013", 8}, {"f014", 8}, {"f015", 8}, {"f016", 8}, {"utxt", 8}, {"bink", 8},
    };
    for (const Index& index : kIndexes) file.AddIndex(index.type, index.format);
    return PartIndexes{.part = GameData::kParts,
                       .state = GameData::kStates,
                       .comp = GameData::kCompressed,
                       .commonBlocks = GameData::kCommonBlocks,
                       .snippets = GameData::kSnippets,
                       .firstPart = GameData::kFirstFreePart};
}

} // namespace

GameData::GameData() : parts(file, AddIndexes(file)) {}

GameData::GameData(const GameData& other)
    : file(other.file),
      parts(file, other.parts),
      firstActivityObjects(other.firstActivityObjects),
      writtenTexts(other.writtenTexts) {}

uint32_t AddSharedPart(GameData& data, const vqt::test::PartPlan& plan, uint16_t entry) {
    if (data.file.HasChunk(GameData::kParts, entry)) return vqt::test::ChunkIdOf(GameData::kParts, entry);
    return data.parts.AddPart(plan, entry).part;
}

namespace {

/// The picture shrunk (every n-th pixel, its shape kept) until it fits w x h.
vqt::test::Picture FittedInto(const vqt::test::Picture& picture, int w, int h) {
    if (picture.width <= w && picture.height <= h) return picture;
    const double scale = std::min(double(w) / picture.width, double(h) / picture.height);
    vqt::test::Picture fitted(std::max(1, int(picture.width * scale)), std::max(1, int(picture.height * scale)));
    for (int y = 0; y < fitted.height; ++y)
        for (int x = 0; x < fitted.width; ++x)
            fitted.at(x, y) = picture.at(x * picture.width / fitted.width, y * picture.height / fitted.height);
    return fitted;
}

} // namespace

vqt::test::PartPlan InCounterSlot(vqt::test::PartPlan plan, int slot) {
    if (slot < 0 || slot >= int(std::size(kCounterSlotX))) throw std::invalid_argument("no counter slot " + std::to_string(slot));
    for (vqt::test::StatePlan& state : plan.states)
        for (vqt::test::FramePlan& frame : state.frames) {
            frame.picture = FittedInto(frame.picture, kCounterIconWidth, kCounterIconHeight);
            frame.hotX = kCounterSlotX[slot];
            frame.hotY = kCounterRowY;
        }
    return plan;
}

vqt::test::Picture ScoreCard(const vqt::test::Picture& art, uint8_t fill, uint8_t border) {
    vqt::test::Picture card = FramedBox(art.width, kScoreCardHeight, fill, border);
    const int top = kScoreCardHeight - art.height;
    for (int y = 0; y < art.height; ++y)
        for (int x = 0; x < art.width; ++x)
            if (art.at(x, y) != 0) card.at(x, top + y) = art.at(x, y);
    // Wide and tall enough for three digits with room around them.
    constexpr int kPlateWidth = 64, kPlateHeight = 32;
    const int plateLeft = (art.width - kPlateWidth) / 2, plateTop = (kScoreCardHeight - kPlateHeight) / 2;
    for (int y = plateTop; y < plateTop + kPlateHeight; ++y)
        for (int x = std::max(plateLeft, 2); x < std::min(plateLeft + kPlateWidth, art.width - 2); ++x) card.at(x, y) = fill;
    return card;
}

vqt::test::Picture FramedBox(int w, int h, uint8_t fill, uint8_t border) {
    vqt::test::Picture p(w, h, fill);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (x < 2 || y < 2 || x >= w - 2 || y >= h - 2) p.at(x, y) = border;
    return p;
}

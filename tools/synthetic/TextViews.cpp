#include "tools/synthetic/TextViews.h"

#include <string>

#include "tools/synthetic/GameData.h"

namespace vqt::test {

namespace {

constexpr uint32_t kTextFamily = 70;
constexpr uint32_t kTextDFamily = 76;

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

/// A text view at (x, y) of that size showing 'utxt' entry `entry` in the current language.
ObjectPlan TextView(uint32_t classId, uint32_t objectId, int16_t x, int16_t y, int16_t w, int16_t h,
                    uint16_t entry) {
    ObjectPlan o;
    o.classId = classId;
    o.objectId = objectId;
    o.properties.Pair(50, 1, x, y).Pair(50, 2, w, h).Short(kTextFamily, 1, int16_t(entry)).Long(kTextFamily, 2, uint32_t(-1));
    return o;
}

/// The views' texts in the game's 'utxt' index.
constexpr uint16_t kTitle = 2501, kCaption = 2502, kStatus = 2503;

/// One text view of each kind, showing the texts.
std::vector<ObjectPlan> Views() {
    // A transparent title, centred both ways.
    ObjectPlan title = TextView(76, 101, 320, 40, 600, 60, kTitle);
    title.properties.Text(kTextFamily, 11, "Arial").Short(kTextFamily, 7, 28).Long(kTextFamily, 6, 1)
        .Long(kTextFamily, 4, 2).Byte(kTextFamily, 8, 1).Long(kTextFamily, 9, Rgb(255, 255, 255))
        .Byte(kTextDFamily, 1, 1);
    // An opaque caption that wraps.
    ObjectPlan caption = TextView(72, 102, 320, 420, 400, 50, kCaption);
    caption.properties.Long(kTextFamily, 5, 3).Short(kTextFamily, 7, 14).Long(kTextFamily, 3, 1)
        .Long(kTextFamily, 4, 2).Long(kTextFamily, 9, Rgb(250, 230, 120)).Long(kTextFamily, 10, Rgb(40, 60, 120));
    // A transparent panel of three lines.
    ObjectPlan status = TextView(74, 103, 90, 150, 150, 60, kStatus);
    status.properties.Text(kTextFamily, 11, "Courier New").Short(kTextFamily, 7, 11).Byte(kTextFamily, 8, 1)
        .Long(kTextFamily, 9, Rgb(255, 255, 255));
    return {title, caption, status};
}

} // namespace

std::vector<SyntheticText> SyntheticTexts() {
    const std::u16string japanese = u"\u5408\u6210\u306e\u6587\u66f8";
    return {
        {kTitle, {{.id = 10, .text = u"A synthetic part file"}, {.id = 24, .text = japanese}}, "Title"},
        {kCaption,
         {{.id = 10, .text = u"Captions wrap inside their box, centred line by line."}, {.id = 24, .text = japanese}},
         "Caption"},
        {kStatus, {{.id = 10, .text = u"Status\rframes: many\rtexts: three"}}, "Status"},
    };
}

std::vector<ObjectPlan> AddSyntheticTexts(ChunkFileBuilder& file, uint8_t utxt) {
    for (const SyntheticText& text : SyntheticTexts())
        file.AddChunk(utxt, TextRecords(text.records), {.entry = text.entry, .name = text.name});
    return Views();
}

} // namespace vqt::test

/// The text views of the first activity, their texts in the game's 'utxt' index.
void AddTextViews(GameData& data) {
    for (const vqt::test::SyntheticText& text : vqt::test::SyntheticTexts())
        AddGameText(data, text.entry, text.records, text.name);
    for (const vqt::test::ObjectPlan& view : vqt::test::Views()) data.firstActivityObjects.push_back(view);
}

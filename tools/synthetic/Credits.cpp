// The credits {1, 0, 7}: the script {12, 0, 31} of 25 entries in every style, with two gaps
// and one line long enough for the tall height (more than 64 bytes, yet two lines of the
// largest style, which is all that height of 70 holds); the four style views (object ids 1000,
// 2, 3, 4)
// and six pictures (object ids 1 to 6) on a dark sky.
#include <string>
#include <vector>

#include "engine/data/ChunkId.h"
#include "engine/graphics/FrameImage.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/ImageWriters.h"
#include "tools/synthetic/GameData.h"

using namespace vqt::test;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
/// The first 'utxt' entry of the script's texts.
constexpr uint16_t kFirstText = 2601;

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

/// Colour 1-63 a night-sky ramp, 64 on the pictures' colours.
std::vector<uint32_t> Colours() {
    std::vector<uint32_t> c(256, 0);
    for (uint32_t i = 1; i < 64; ++i) c[i] = Rgb(8 + i / 3, 10 + i / 2, 40 + i);
    const uint32_t bright[] = {Rgb(230, 60, 50), Rgb(250, 200, 40), Rgb(60, 170, 80),
                               Rgb(70, 120, 230), Rgb(240, 130, 30), Rgb(170, 80, 210), Rgb(250, 250, 250)};
    for (size_t i = 0; i < std::size(bright); ++i) c[64 + i] = bright[i];
    return c;
}

IndexedPicture Sky(const std::vector<uint32_t>& colours) {
    IndexedPicture p{kWidth, kHeight, std::vector<uint8_t>(size_t(kWidth) * kHeight), colours};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool star = (x * 7 + y * 13) % 211 == 0;
            p.pixels[size_t(y) * kWidth + x] = star ? 70 : uint8_t(1 + y * 62 / kHeight);
        }
    return p;
}

/// A picture: a disc of its colour with a white ring, 80 px across.
PartPlan Medal(uint8_t colour, const std::vector<uint32_t>& colours) {
    Picture p(80, 80);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) {
            const int d = (x - 40) * (x - 40) + (y - 40) * (y - 40);
            if (d <= 39 * 39) p.at(x, y) = d >= 33 * 33 ? 70 : colour;
        }
    PartPlan part;
    part.states = {StatePlan{.frames = {FramePlan{.picture = p, .hotX = 40, .hotY = 40}}}};
    std::vector<uint8_t> rgb;
    for (uint32_t c : colours)
        for (int shift : {0, 8, 16}) rgb.push_back(uint8_t(c >> shift));
    part.palette = rgb;
    return part;
}

/// A style view: no text of its own, only a face, a size, a colour and centred alignment.
ObjectPlan StyleView(uint32_t objectId, const char* face, int16_t size, uint32_t colour) {
    ObjectPlan o{.classId = 76, .objectId = objectId};
    o.properties.Pair(50, 1, 320, -200).Pair(50, 2, 10, 10).Text(70, 11, face).Short(70, 7, size)
        .Long(70, 4, 2).Byte(70, 8, 1).Long(70, 9, colour);
    return o;
}

} // namespace

void AddCredits(GameData& data) {
    const uint32_t style2 = MakeChunkId(17, 23), style1000 = MakeChunkId(17, 24), style3 = MakeChunkId(17, 25);
    const uint32_t style4 = MakeChunkId(17, 26), gap = MakeChunkId(17, 27);
    struct Line {
        uint32_t marker; ///< a style marker before the text, 0 for none
        const char16_t* text; ///< null for a gap
    };
    static const Line kScript[] = {
        {style1000, u"Rescue Town"},
        {0, nullptr},
        {style2, u"Drivers' seats"},
        {style3, u"Road crew"},
        {0, u"Bridge crew"},
        {0, u"Ladder crew"},
        {0, u"Hose crew"},
        {0, nullptr},
        {style2, u"Pictures"},
        {style3, u"Sky painters"},
        {0, u"Street painters"},
        {0, u"Signpost painters"},
        {style1000, u"Every rescue in every town was driven again and again by our testers"},
        {style2, u"Sounds"},
        {style3, u"Sirens"},
        {0, u"Engines"},
        {0, u"Splashes"},
        {style2, u"Words"},
        {style3, u"Captions"},
        {0, u"Voices"},
        {style4, u"Special thanks"},
        {0, u"Every town's mayor"},
        {0, u"Every zoo keeper"},
        {0, u"Every circus clown"},
        {0, u"Thank you for playing!"},
    };
    std::vector<uint32_t> script;
    uint16_t entry = kFirstText;
    for (const Line& line : kScript) {
        if (line.marker) script.push_back(line.marker);
        if (!line.text) {
            script.push_back(gap);
            continue;
        }
        script.push_back(AddGameText(data, entry, line.text, "Credits line " + std::to_string(entry)));
        ++entry;
    }
    data.file.AddChunk(GameData::kChunkLists, ChunkListData(script), {.entry = 31, .name = "Credits"});

    const std::vector<uint32_t> colours = Colours();
    ActivityPlan activity;
    activity.classId = 300;
    activity.backgroundId = data.file.AddChunk(GameData::kFrames, BmpFile(Sky(colours)),
                                               {.entry = 7, .name = "Credits", .property = FrameProperty(kFrameBmp)});
    activity.paletteId = data.file.AddChunk(GameData::kPalettes, PaletteData(colours), {.entry = 7, .name = "Credits"});
    activity.properties.Pair(50, 1, kWidth / 2, kHeight / 2);
    activity.objects = {StyleView(1000, "Times New Roman", 22, Rgb(250, 200, 40)),
                        StyleView(2, "Arial", 22, Rgb(140, 190, 240)), StyleView(3, "Arial", 18, Rgb(250, 250, 250)),
                        StyleView(4, "Courier New", 18, Rgb(200, 230, 200))};
    const int16_t kPlaces[6][2] = {{80, 100}, {560, 100}, {80, 240}, {560, 240}, {80, 380}, {560, 380}};
    for (uint32_t id = 1; id <= 6; ++id) {
        ObjectPlan picture{.classId = 54, .objectId = id,
                           .partId = data.parts.AddPart(Medal(uint8_t(63 + id), colours)).part};
        picture.properties.Pair(50, 1, kPlaces[id - 1][0], kPlaces[id - 1][1]);
        activity.objects.push_back(picture);
    }
    data.file.AddChunk(GameData::kActivities, ActivityData(activity), {.entry = 7, .name = "Credits"});
}

// The circus arcade {1, 0, 15}: a burning building three stages wide (the strip's last stage
// repeats its first, so the jump back at the end does not show), scenery in groups 0-4 with
// their speeds, eight columns of windows each with a marker and one character of every kind,
// and the art, texts, voices and sounds the game names for the fire engine and the water car.
#include <optional>
#include <string>
#include <vector>

#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/ImageWriters.h"
#include "tools/synthetic/ArcadeData.h"
#include "tools/synthetic/GameData.h"

using namespace vqt::test;
using arcade_data::Item;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 480;
constexpr int kColumns = 8;
constexpr int kColumnSpacing = 160;
constexpr int16_t kWindowY = 170;
constexpr int16_t kViewGroup = 5;

enum : uint8_t {
    kSky = 1, kWall = 2, kWindow = 3, kFlame = 4, kSmoke = 5, kRoad = 6, kWhite = 7, kBlue = 8,
    kRed = 9, kYellow = 10, kGreen = 11, kPurple = 12, kDark = 13, kWater = 14, kGold = 15,
};

std::vector<uint32_t> Colours() {
    auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); };
    return {rgb(0, 0, 0),      rgb(120, 170, 230), rgb(170, 90, 60),  rgb(40, 40, 70),  rgb(250, 140, 30),
            rgb(110, 110, 110), rgb(70, 70, 75),   rgb(250, 250, 250), rgb(40, 90, 200), rgb(210, 30, 40),
            rgb(250, 220, 40),  rgb(40, 170, 70),  rgb(150, 60, 170), rgb(25, 25, 30),  rgb(90, 180, 250),
            rgb(230, 180, 40)};
}

/// The building: a wall with a dark window per column (every 160 pixels, so the strip repeats)
/// and the road below.
IndexedPicture Building() {
    IndexedPicture p{.width = kWidth, .height = kHeight, .pixels = std::vector<uint8_t>(size_t(kWidth) * kHeight, kSky),
                     .colours = Colours()};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t& c = p.pixels[size_t(y) * kWidth + size_t(x)];
            const int col = x % kColumnSpacing;
            if (y >= 380) c = kRoad;
            else if (y >= 60) c = kWall;
            if (y >= kWindowY - 50 && y < kWindowY + 50 && col >= 40 && col < 120) c = kWindow;
        }
    return p;
}

PartPlan PartOf(const std::vector<std::vector<Picture>>& states) {
    return CentredPart(states, arcade_data::PartPalette(Colours()));
}

/// A character of kind k: its colour, and a mark per state (waiting, hittable, leaving,
/// released, put out).
PartPlan Character(int kind) {
    static const uint8_t kKindColours[] = {kRed, kYellow, kGreen, kPurple};
    std::vector<std::vector<Picture>> states;
    for (int s = 0; s < 5; ++s) {
        Picture p = FramedBox(50, 70, s == 4 ? uint8_t(kWater) : kKindColours[kind], s == 3 ? uint8_t(kDark) : uint8_t(kWhite));
        for (int x = 10; x < 40; ++x) p.at(x, 12 + 8 * s) = kDark;
        states.push_back({p, p});
    }
    return PartOf(states);
}

/// The drop: 32 headings, then splashing and landing.
PartPlan Drop() {
    std::vector<std::vector<Picture>> states;
    for (int h = 0; h < 32; ++h) states.push_back({FramedBox(8, 12, kWater, kBlue)});
    states.push_back({FramedBox(14, 8, kWater, kWhite)});
    states.push_back({FramedBox(14, 6, kWater, kWater)});
    return PartOf(states);
}

/// A kind box's look: the game stands the box's middle at y 30, across the counter bar's lower
/// edge (y 28); the box shows only below it, from y 30 to 70. No box: nothing at all.
Picture BelowTheCounterBar(std::optional<uint8_t> fill, uint8_t border) {
    constexpr int kWidth = 120, kShown = 40;
    Picture p(kWidth, 2 * kShown);
    if (!fill) return p;
    const Picture box = FramedBox(kWidth, kShown, *fill, border);
    for (int y = 0; y < kShown; ++y)
        for (int x = 0; x < kWidth; ++x) p.at(x, kShown + y) = box.at(x, y);
    return p;
}

/// The kind box: idle (nothing waits: no box), start, then for each kind waiting, released and
/// matched.
PartPlan KindFramedBox() {
    static const uint8_t kKindColours[] = {kRed, kYellow, kGreen, kPurple};
    std::vector<std::vector<Picture>> states{{BelowTheCounterBar(std::nullopt, kWhite)}, {BelowTheCounterBar(kBlue, kWhite)}};
    for (int k = 0; k < 4; ++k) {
        states.push_back({BelowTheCounterBar(kKindColours[k], kWhite)});
        states.push_back({BelowTheCounterBar(kKindColours[k], kDark)});
        states.push_back({BelowTheCounterBar(kKindColours[k], kGold)});
    }
    return PartOf(states);
}

} // namespace

void AddCircusArcade(GameData& data) {
    auto part = [&](const PartPlan& plan, uint16_t entry = 0) { return arcade_data::AddPart(data, plan, entry); };
    // Vehicles 0 and 1 seen from behind (the arcades' flat view), the token, drop and kind box.
    part(PartOf({{FramedBox(90, 60, kRed, kDark)}, {FramedBox(90, 60, kRed, kYellow)}}), 284);
    part(PartOf({{FramedBox(80, 56, kYellow, kDark)}, {FramedBox(80, 56, kYellow, kRed)}}), 492);
    part(PartOf({{FramedBox(24, 24, kGold, kYellow)}}), 826);
    part(Drop(), 128);
    part(KindFramedBox(), 477);
    // The panels' pictures: results, the start's vehicle pictures and the leave question's.
    part(PartOf({{FramedBox(200, kScoreCardHeight, kGold, kWhite)}}), 1124);
    part(PartOf({{FramedBox(160, 100, kRed, kWhite)}}), 720);
    part(PartOf({{FramedBox(160, 100, kYellow, kWhite)}}), 721);
    part(PartOf({{FramedBox(200, 120, kBlue, kWhite)}}), 1093);
    part(InCounterSlot(PartOf({{FramedBox(24, 24, kWater, kWhite)}}), 0), 64);
    part(PartOf({{FramedBox(30, 30, kGold, kWhite)}}), 54);

    ActivityPlan game = arcade_data::StripActivity(data, 420, 15, Building(), "Circus arcade building", "Circus arcade");
    // Start and end speeds of groups 0-5 (the game adds its level's raise to each): far smoke
    // slower than the view, the building with the view, flames and the near road faster.
    const int16_t kSpeeds[6] = {-30, -15, 0, 15, 30, 0};
    arcade_data::SetGroupSpeeds(game, kSpeeds);
    const uint32_t smoke = part(PartOf({{FramedBox(120, 50, kSmoke, kSmoke)}}));
    const uint32_t flame = part(PartOf({{FramedBox(30, 50, kFlame, kYellow), FramedBox(30, 46, kFlame, kRed)}}));
    const uint32_t post = part(PartOf({{FramedBox(12, 90, kDark, kDark)}}));
    for (int i = 0; i < 6; ++i) {
        ObjectPlan cloud = Item(1700, smoke, int16_t(150 + 230 * i), int16_t(30 + 10 * (i % 3)), int16_t(i % 2));
        cloud.properties.Short(1700, 2, 30);
        game.objects.push_back(cloud);
    }
    for (int i = 0; i < 8; ++i) game.objects.push_back(Item(1700, flame, int16_t(60 + 170 * i), 95, 2));
    for (int i = 0; i < 6; ++i) game.objects.push_back(Item(1700, post, int16_t(100 + 220 * i), 420, int16_t(3 + i % 2)));
    const uint32_t marker = part(PartOf({{FramedBox(20, 20, kDark, kDark)}}));
    uint32_t characters[4];
    for (int k = 0; k < 4; ++k) characters[k] = part(Character(k));
    for (int c = 0; c < kColumns; ++c) {
        const int16_t x = int16_t(80 + kColumnSpacing * c);
        ObjectPlan columnMarker = Item(3010, marker, x, kWindowY, kViewGroup);
        columnMarker.properties.Short(3010, 1, int16_t(c));
        game.objects.push_back(columnMarker);
        for (int k = 0; k < 4; ++k) {
            ObjectPlan character = Item(3000, characters[k], x, kWindowY, kViewGroup);
            character.properties.Short(3000, 1, int16_t(c)).Long(3000, 2, uint32_t(k));
            game.objects.push_back(character);
        }
    }
    data.file.AddChunk(GameData::kActivities, ActivityData(game), {.entry = 15, .name = "Circus arcade"});

    static const arcade_data::Line kLines[] = {
        {680, u"This building is going up in smoke and the folks from Rozodudurid need your help. "},
        {681, u"Be a hero and put out the fires two at a time.  "},
        {682, u"Move and spray to put out fires.  "},
        {683, u"Put out a fire and then find a matching character. "},
        {934, u"Two in a row makes a match. "},
        {685, u"Check the box to see which character to match next."},
        {764, u"If you want to quit the game, hit the escape key."},
        {765, u"You have to be a hero and save these folks. "},
        {766, u" Spray two that match.  "},
        {767, u"Keep your eyes peeled for pairs and get to work putting out those flames!"},
        {714, u"Match them and then you\u2019ll save them"},
        {715, u"Now find the matching one."},
        {716, u"You did it!  You matched them.  "},
        {717, u"Great shot."},
        {718, u"Try finding two that match"},
        {719, u"That\u2019s the way Fennmark hero!"},
        {697, u"You did it!  Great job.  "},
        {698, u"Do you want to play again or return to Rozodudurid?  "},
    };
    static const arcade_data::Text kTexts[] = {
        {4, u"Well done!"},
        {5, u"Spray the window characters and match them two by two."},
        {84, u"Match them two by two. The building moves faster now."},
        {85, u"Match them two by two. The building moves at full speed."},
        {19, u"Circus fire"},
        {247, u"You left the fire early."},
    };
    arcade_data::AddMedia(data, kLines, {45, 65, 67, 92, 96, 570, 574, 575}, kTexts, "Circus arcade text");
}

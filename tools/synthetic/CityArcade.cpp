// The city arcade {1, 0, 19}: a street three stages wide in front of a store, with the two
// lanes the crooks run along, thirty obstacles standing on them, and the art, texts, voices and
// sounds the game names for the two city vehicles, their overlays, the canisters and the crooks.
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
constexpr int kBlockers = 30;
constexpr int16_t kLanes[2] = {90, 200};

enum : uint8_t {
    kSky = 1, kWall = 2, kWindow = 3, kDoor = 4, kStreet = 5, kWhite = 6, kDark = 7, kRed = 8,
    kBlue = 9, kYellow = 10, kGreen = 11, kGrey = 12, kOrange = 13, kPurple = 14, kGold = 15,
};

std::vector<uint32_t> Colours() {
    auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); };
    return {rgb(0, 0, 0),      rgb(170, 200, 230), rgb(190, 120, 90), rgb(60, 80, 120),  rgb(120, 70, 40),
            rgb(90, 90, 95),   rgb(250, 250, 250), rgb(25, 25, 30),   rgb(210, 40, 40),  rgb(40, 80, 200),
            rgb(240, 220, 50), rgb(50, 160, 70),   rgb(150, 150, 150), rgb(240, 140, 40), rgb(150, 60, 170),
            rgb(230, 180, 40)};
}

/// The store front along the top with a door every 320 pixels, the pavement the crooks run on
/// and the road the vehicle drives on.
IndexedPicture Street() {
    IndexedPicture p{.width = kWidth, .height = kHeight, .pixels = std::vector<uint8_t>(size_t(kWidth) * kHeight, kSky),
                     .colours = Colours()};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t& c = p.pixels[size_t(y) * kWidth + size_t(x)];
            if (y >= 330) c = kStreet;
            else if (y >= 60) c = kGrey;
            else if (y >= 10) c = (x % 320 >= 140 && x % 320 < 180) ? kDoor : (x % 80 < 50 ? kWindow : kWall);
            if (y >= 330 && y % 40 == 0 && x % 60 < 30) c = kWhite;
        }
    return p;
}

PartPlan PartOf(const std::vector<std::vector<Picture>>& states) { return CentredPart(states, arcade_data::PartPalette(Colours())); }

/// A crook: running with goods, walking, escaping fast and slowly, dropping in and landing,
/// two frames each.
PartPlan Crook(uint8_t coat) {
    static const uint8_t kMarks[] = {kGold, kWhite, kRed, kOrange, kBlue, kGreen};
    std::vector<std::vector<Picture>> states;
    for (int s = 0; s < 6; ++s) {
        std::vector<Picture> frames;
        for (int f = 0; f < 2; ++f) {
            Picture p = FramedBox(30, 50, coat, kDark);
            for (int x = 6; x < 24; ++x) p.at(x, f ? 40 : 44) = kMarks[s];
            frames.push_back(p);
        }
        states.push_back(frames);
    }
    return PartOf(states);
}

} // namespace

void AddCityArcade(GameData& data) {
    auto part = [&](const PartPlan& plan, uint16_t entry = 0) { return arcade_data::AddPart(data, plan, entry); };
    // Vehicles 4 and 5 seen from behind, their overlays, the canisters, the token and the crooks.
    part(PartOf({{FramedBox(90, 60, kWhite, kBlue)}, {FramedBox(90, 60, kWhite, kRed)}}), 493);
    part(PartOf({{FramedBox(80, 56, kBlue, kWhite)}, {FramedBox(80, 56, kBlue, kYellow)}}), 494);
    part(PartOf({{FramedBox(20, 10, kRed, kYellow)}}), 1142);
    part(PartOf({{FramedBox(20, 10, kBlue, kYellow)}}), 1143);
    // The city's streets throw the same canisters: they fly in state 1 and land in the last.
    part(PartOf({{FramedBox(10, 16, kGreen, kDark)}, {FramedBox(18, 10, kGreen, kWhite)}, {FramedBox(18, 6, kGreen, kDark)}}), 675);
    part(PartOf({{FramedBox(10, 16, kOrange, kDark)}, {FramedBox(18, 10, kOrange, kWhite)}, {FramedBox(18, 6, kOrange, kDark)}}),
         676);
    part(PartOf({{FramedBox(24, 24, kGold, kYellow)}}), 826);
    part(Crook(kPurple), 740);
    part(Crook(kDark), 741);
    // The panels' pictures and the crooks counter's icon.
    part(PartOf({{FramedBox(200, kScoreCardHeight, kGrey, kWhite)}}), 1128);
    part(PartOf({{FramedBox(160, 100, kWhite, kBlue)}}), 1033);
    part(PartOf({{FramedBox(160, 100, kBlue, kWhite)}}), 951);
    part(PartOf({{FramedBox(200, 120, kDoor, kWhite)}}), 1094);
    part(InCounterSlot(PartOf({{FramedBox(24, 24, kPurple, kWhite)}}), 0), 283);
    part(PartOf({{FramedBox(30, 30, kGold, kWhite)}}), 54);

    ActivityPlan game = arcade_data::StripActivity(data, 421, 19, Street(), "City arcade street", "City arcade");
    // The street moves only when the vehicle pushes it: every group starts and ends still.
    const int16_t kStill[6] = {};
    arcade_data::SetGroupSpeeds(game, kStill);
    const uint32_t crate = part(PartOf({{FramedBox(36, 30, kOrange, kDark)}}));
    const uint32_t hydrant = part(PartOf({{FramedBox(16, 30, kRed, kDark)}}));
    for (int i = 0; i < kBlockers; ++i) {
        const int16_t lane = kLanes[i % 2];
        game.objects.push_back(Item(3410, i % 3 ? crate : hydrant, int16_t(150 + 60 * i), int16_t(lane + 20), 5));
    }
    data.file.AddChunk(GameData::kActivities, ActivityData(game), {.entry = 19, .name = "City arcade"});

    static const arcade_data::Line kLines[] = {
        {801, u"Toss gas canisters at the criminals to stop them from getting into the building. "},
        {802, u"If you miss, you can catch them as they leave. "},
        {803, u"Toss gas canisters at the items that they drop to pick them up.  "},
        {804, u"Now be a real Fennmark hero and stop those criminals!"},
        {805, u"That\u2019s the hero\u2019s way to do it!"},
        {806, u"You stopped that guy right in his tracks!"},
        {808, u"Don\u2019t let him get by you!"},
        {810, u"Get that guy!"},
        {811, u"You got it!"},
        {812, u"Keep going!"},
        {966, u"Nice work Fennmark Hero!  You saved the day!  "},
        {967, u"The candy is safe and sound in the store again. "},
        {968, u"Do you want to play again or return to Rododizeda?"},
    };
    static const arcade_data::Text kTexts[] = {
        {43, u"Toss canisters at the crooks before they reach the store."},
        {95, u"Stop the crooks. More of them come, and faster."},
        {101, u"Stop the crooks. They come thick and fast now."},
        {34, u"Store robbery"},
        {249, u"You left the street early."},
    };
    arcade_data::AddMedia(data, kLines, {37, 41, 58, 96, 108, 570, 574, 582, 779}, kTexts, "City arcade text");
}

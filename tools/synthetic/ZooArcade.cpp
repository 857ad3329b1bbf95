// The zoo arcade {1, 0, 16}: a jungle three stages wide (its last stage repeats its first, so
// the jump back at the end does not show), ten vines in a row with object ids 1-10 that the
// monkeys swing along, a drawn rope in front of each, leaves that drift down, far trees and
// near bushes in the other speed groups, and the art, texts, voices and sounds the game names
// for the two zoo vehicles, their spotlights, the monkey and the five pieces of clothing.
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
constexpr int kVines = 20;
/// Vines stand 64 px apart, so twenty fill the strip's scrolling span of 1280 px.
constexpr int kVineSpacing = 64;
constexpr int16_t kVineY = 80;
constexpr int16_t kVineGroup = 2;

enum : uint8_t {
    kSky = 1, kLeafDark = 2, kLeafLight = 3, kTrunk = 4, kGround = 5, kWhite = 6, kDark = 7, kBrown = 8,
    kTan = 9, kRed = 10, kBlue = 11, kYellow = 12, kPurple = 13, kLight = 14, kGold = 15,
};

std::vector<uint32_t> Colours() {
    auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); };
    return {rgb(0, 0, 0),      rgb(150, 200, 150), rgb(30, 110, 40),  rgb(90, 170, 60),  rgb(100, 70, 40),
            rgb(120, 90, 50),  rgb(250, 250, 250), rgb(25, 30, 25),   rgb(130, 80, 40),  rgb(210, 170, 120),
            rgb(210, 40, 40),  rgb(40, 80, 200),   rgb(240, 220, 50), rgb(150, 60, 170), rgb(255, 250, 190),
            rgb(230, 180, 40)};
}

/// The jungle: sky between tree trunks every 160 pixels, a canopy on top and the ground below.
IndexedPicture Jungle() {
    IndexedPicture p{.width = kWidth, .height = kHeight, .pixels = std::vector<uint8_t>(size_t(kWidth) * kHeight, kSky),
                     .colours = Colours()};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t& c = p.pixels[size_t(y) * kWidth + size_t(x)];
            if (y >= 430) c = kGround;
            else if (y < 40) c = (x / 20 + y / 10) % 2 ? kLeafDark : kLeafLight;
            else if (x % 160 >= 70 && x % 160 < 90) c = kTrunk;
        }
    return p;
}

PartPlan PartOf(const std::vector<std::vector<Picture>>& states) { return CentredPart(states, arcade_data::PartPalette(Colours())); }

/// The monkey: three states swinging, three across, three hit and three leaving, two frames
/// each with its arms up or down. A swing on a vine lasts over a second before the monkey
/// sets off across to the next.
PartPlan Monkey() {
    std::vector<std::vector<Picture>> states;
    for (int s = 0; s < 12; ++s) {
        std::vector<Picture> frames;
        for (int f = 0; f < 2; ++f) {
            Picture p = FramedBox(36, 40, s >= 6 && s < 9 ? uint8_t(kTan) : uint8_t(kBrown), kDark);
            for (int x = 4; x < 32; ++x) p.at(x, f ? 6 : 30) = kTan;
            p.at(18, 14 + s) = kWhite;
            frames.push_back(p);
        }
        states.push_back(frames);
    }
    PartPlan plan = PartOf(states);
    for (int s = 0; s < 3; ++s)
        for (auto& frame : plan.states[size_t(s)].frames) frame.duration = 40;
    return plan;
}

/// A spotlight 90 wide rising 340 px from the vehicle's top. The game puts the picture's
/// centre on the vehicle's top left corner, so the light fills the picture's top right
/// quarter and the rest is clear (the light hits by its pixels).
PartPlan Spotlight(uint8_t glow) {
    Picture p(180, 680, 0);
    for (int y = 0; y < 340; ++y)
        for (int x = 0; x < 90; ++x) {
            const int half = 10 + (340 - y) * 35 / 340;
            if (x >= 45 - half && x < 45 + half && (x + y) % 3 != 0) p.at(90 + x, y) = glow;
        }
    return PartOf({{p}});
}

} // namespace

void AddZooArcade(GameData& data) {
    auto part = [&](const PartPlan& plan, uint16_t entry = 0) { return arcade_data::AddPart(data, plan, entry); };
    // Vehicles 2 and 3 seen from behind, their spotlights, the token, the monkey and the clothes.
    part(PartOf({{FramedBox(90, 60, kBlue, kDark)}, {FramedBox(90, 60, kBlue, kWhite)}}), 495);
    part(PartOf({{FramedBox(90, 60, kYellow, kDark)}, {FramedBox(90, 60, kYellow, kRed)}}), 496);
    part(Spotlight(kLight), 623);
    part(Spotlight(kYellow), 223);
    part(PartOf({{FramedBox(24, 24, kGold, kYellow)}}), 826);
    part(Monkey(), 602);
    const uint8_t kClothes[] = {kRed, kBlue, kYellow, kPurple, kWhite};
    const uint16_t kClothesArt[] = {502, 504, 505, 506, 507};
    for (int i = 0; i < 5; ++i) part(PartOf({{FramedBox(28, 24, kClothes[i], kDark)}}), kClothesArt[i]);
    // The panels' pictures: results, the start's vehicle pictures, the leave question's and
    // the items counter's icon.
    part(PartOf({{FramedBox(200, kScoreCardHeight, kLeafLight, kWhite)}}), 1132);
    part(PartOf({{FramedBox(160, 100, kBlue, kWhite)}}), 724);
    part(PartOf({{FramedBox(160, 100, kYellow, kWhite)}}), 725);
    part(PartOf({{FramedBox(200, 120, kTrunk, kWhite)}}), 1096);
    part(InCounterSlot(PartOf({{FramedBox(24, 24, kRed, kWhite)}}), 0), 897);
    part(PartOf({{FramedBox(30, 30, kGold, kWhite)}}), 54);

    ActivityPlan game = arcade_data::StripActivity(data, 423, 16, Jungle(), "Zoo arcade jungle", "Zoo arcade");
    // Start and end speeds of groups 0-5; the game adds its level's raise to groups 0-4 and
    // leaves the view's own speed (group 5) as it is.
    const int16_t kSpeeds[6] = {-50, -40, 20, -20, -10, 40};
    arcade_data::SetGroupSpeeds(game, kSpeeds);
    const uint32_t farTree = part(PartOf({{FramedBox(60, 120, kLeafDark, kLeafDark)}}));
    const uint32_t bush = part(PartOf({{FramedBox(80, 40, kLeafLight, kLeafDark)}}));
    const uint32_t rope = part(PartOf({{FramedBox(8, 160, kTrunk, kBrown)}}));
    const uint32_t leaf = part(PartOf({{FramedBox(12, 8, kLeafLight, kLeafDark)}, {FramedBox(8, 12, kLeafLight, kLeafDark)}}));
    for (int i = 0; i < 8; ++i) game.objects.push_back(Item(1700, farTree, int16_t(80 + 240 * i), 120, int16_t(i % 2)));
    for (int v = 0; v < kVines; ++v) {
        const int16_t x = int16_t(64 + kVineSpacing * v);
        game.objects.push_back(Item(1700, rope, x, kVineY, kVineGroup));
        ObjectPlan vine = Item(3130, rope, x, kVineY, kVineGroup);
        vine.objectId = uint32_t(v + 1);
        game.objects.push_back(vine);
    }
    for (int i = 0; i < 12; ++i) game.objects.push_back(Item(3120, leaf, int16_t(50 + 150 * i), int16_t(30 + 15 * (i % 4)), 3));
    for (int i = 0; i < 8; ++i) game.objects.push_back(Item(1700, bush, int16_t(100 + 230 * i), 445, 4));
    data.file.AddChunk(GameData::kActivities, ActivityData(game), {.entry = 16, .name = "Zoo arcade"});

    static const arcade_data::Line kLines[] = {
        {992, u"Shine your spot light beam at the monkeys to knock them off the vines. "},
        {837, u"Try to collect as many items the monkeys drop as you can.  "},
        {993, u"Drive under the items to catch them.  Don\u2019t let them hit the ground.  "},
        {994, u"Now go get \u2018em!"},
        {871, u"Great shot."},
        {872, u"Wow you really put the spotlight on him!"},
        {873, u"Don\u2019t let the items drop."},
        {1015, u"Oh, you let him get away!"},
        {1016, u"What a lot of stuff!"},
        {876, u"Good catch hero!"},
        {1017, u"Shine the monkeys with your spot light beam"},
        {1004, u"Now that\u2019s the way to do it! "},
        {1005, u"You got all of the clothes back from those mischievious monkeys!  "},
        {1006, u"Do you want to play again or return to Ruriziz?"},
    };
    static const arcade_data::Text kTexts[] = {
        {12, u"Shine the monkeys and catch the clothes they drop."},
        {99, u"Catch the clothes. The jungle moves faster now."},
        {106, u"Catch the clothes. The jungle moves at full speed."},
        {21, u"Jungle spotlight"},
        {248, u"You left the jungle early."},
    };
    arcade_data::AddMedia(data, kLines, {16, 50, 59, 96, 129, 130, 132, 133, 134, 139, 570, 574, 576, 834}, kTexts, "Zoo arcade text");
}

// The placeholder town {1, 0, 8} (the first town's world, class 500), until the town is made:
// a road through a meadow with the shared props at work on it - a bag that wiggles every five
// seconds, a fire that flickers and a changeable whose light blinks - and a token and a
// destructible to drive into; a button in the corner leads to the town's certificate. The
// other towns' stand-ins take the same button.
#include <cstdlib>
#include <vector>

#include "engine/data/ChunkId.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/Garage.h"
#include "tools/synthetic/GameData.h"

using namespace vqt::test;

namespace {

enum : uint8_t { kGrass = 1, kRoad = 2, kLine = 3, kSack = 4, kRope = 5, kFlame = 6, kCore = 7, kBox = 8,
                 kLamp = 9, kLampOff = 10, kCoin = 11, kCrate = 12, kCrack = 13 };

std::vector<uint32_t> Colours() {
    auto rgb = [](int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; };
    std::vector<uint32_t> c(256, 0);
    const uint32_t named[] = {rgb(70, 150, 60),  rgb(90, 90, 95),   rgb(240, 240, 200), rgb(170, 120, 60),
                              rgb(90, 60, 30),   rgb(250, 120, 20), rgb(255, 230, 80),  rgb(60, 80, 160),
                              rgb(250, 250, 120), rgb(40, 40, 60),  rgb(250, 200, 30),  rgb(150, 100, 50),
                              rgb(60, 40, 20)};
    for (size_t i = 0; i < std::size(named); ++i) c[i + 1] = named[i];
    return c;
}

std::vector<uint8_t> PartColours(const std::vector<uint32_t>& colours) {
    std::vector<uint8_t> rgb;
    for (uint32_t c : colours) rgb.insert(rgb.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
    return rgb;
}

IndexedPicture Town() {
    IndexedPicture p{.width = 640, .height = 480, .pixels = std::vector<uint8_t>(640 * 480, kGrass), .colours = Colours()};
    for (int y = 300; y < 380; ++y)
        for (int x = 0; x < 640; ++x) p.pixels[size_t(y) * 640 + x] = (y == 339 || y == 340) && x % 40 < 20 ? kLine : kRoad;
    return p;
}

FramePlan Frame(const Picture& picture) {
    return FramePlan{.picture = picture, .hotX = int16_t(picture.width / 2), .hotY = int16_t(picture.height - 1)};
}

/// A sack leaning by `lean` pixels at its top.
Picture Sack(int lean) {
    Picture p(30, 36);
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 30; ++x) {
            const int shift = lean * (35 - y) / 35;
            const int dx = x - 15 - shift;
            if (y < 6 && std::abs(dx) <= 2) p.at(x, y) = kRope;
            else if (y >= 6 && std::abs(dx) * 36 <= (8 + y / 3) * 18) p.at(x, y) = kSack;
        }
    return p;
}

/// A flame of the height, its core a third of it.
Picture Flame(int height) {
    Picture p(24, 40);
    for (int y = 40 - height; y < 40; ++y)
        for (int x = 0; x < 24; ++x) {
            const int half = (y - (40 - height)) * 10 / height + 2;
            if (std::abs(x - 12) <= half) p.at(x, y) = std::abs(x - 12) <= half / 3 && y > 40 - height / 2 ? kCore : kFlame;
        }
    return p;
}

Picture Lamp(bool lit) {
    Picture p(26, 40, kBox);
    for (int y = 4; y < 14; ++y)
        for (int x = 8; x < 18; ++x) p.at(x, y) = lit ? kLamp : kLampOff;
    return p;
}

Picture Coin() {
    Picture p(18, 18);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x)
            if ((x - 9) * (x - 9) + (y - 9) * (y - 9) <= 64) p.at(x, y) = kCoin;
    return p;
}

Picture Crate(int cracks) {
    Picture p(34, 30, kCrate);
    for (int c = 0; c < cracks; ++c)
        for (int y = 0; y < 30; ++y) p.at(6 + c * 10 + y / 6, y) = kCrack;
    return p;
}

ObjectPlan Prop(uint32_t classId, uint32_t part, int16_t x, int16_t y) {
    ObjectPlan object{.classId = classId, .partId = part};
    object.properties.Pair(50, 1, x, y);
    return object;
}

PartPlan PartOf(const std::vector<std::vector<Picture>>& states) {
    PartPlan plan;
    plan.palette = PartColours(Colours());
    for (const auto& frames : states) {
        StatePlan state;
        for (const Picture& picture : frames) state.frames.push_back(Frame(picture));
        plan.states.push_back(state);
    }
    return plan;
}

} // namespace

uint32_t AddCertificateButtonPart(GameData& data) {
    return data.parts.AddPart(PartOf({{Crate(0)}, {Crate(0)}, {Crate(1)}})).part;
}

ObjectPlan CertificateButton(uint32_t part, uint16_t certificate) {
    ObjectPlan button = Prop(1001, part, 600, 40);
    button.properties.Short(50, 3, 1).Short(1001, 1, int16_t(certificate));
    return button;
}

void AddPlaceholderTown(GameData& data) {
    const std::vector<uint32_t> colours = Colours();
    auto part = [&](const std::vector<std::vector<Picture>>& states) { return data.parts.AddPart(PartOf(states)).part; };
    const uint32_t bag = part({{Sack(0)}, {Sack(-4), Sack(4), Sack(-4), Sack(0)}});
    const uint32_t fire = part({{Flame(30), Flame(36), Flame(26), Flame(38)}});
    const uint32_t changeable = part({{Lamp(true), Lamp(false)}, {Lamp(false)}});
    const uint32_t token = part({{Coin()}});
    const uint32_t crate = part({{Crate(0)}, {Crate(1)}, {Crate(2)}, {Crate(3)}});

    const uint32_t background = data.file.AddChunk(GameData::kFrames, BmpFile(Town()),
                                                   {.entry = 8, .name = "Town (placeholder)", .property = FrameProperty(1)});
    const uint32_t palette = data.file.AddChunk(GameData::kPalettes, PaletteData(colours), {.entry = 8, .name = "Town"});
    ActivityPlan town{.classId = 500, .backgroundId = background, .paletteId = palette};
    town.properties.Pair(50, 1, 320, 240);
    town.objects = {Prop(1580, bag, 140, 290),        Prop(1550, fire, 300, 290), Prop(1560, changeable, 460, 290),
                    Prop(1540, token, 560, 350),      Prop(1510, crate, 80, 360)};
    town.objects.push_back(CertificateButton(AddCertificateButtonPart(data), 6));
    data.file.AddChunk(GameData::kActivities, ActivityData(town), {.entry = 8, .name = "Town (placeholder)"});
}

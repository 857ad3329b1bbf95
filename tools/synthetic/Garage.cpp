// The garage screen {1, 0, 5}: three bays, one a world, each with its vehicle's button above
// and the upgrade's below; the go (green arrow), back (orange door) and certificate (yellow
// star) badges along the bottom; a drive-out picture a vehicle (the car rolling to the right)
// and two world pictures a world (a sign that unfolds, in two colours); the fade {2, 0, 1139},
// whose state 3 lowers a black band from frame 255 (nothing) to frame 0 (the whole stage). Its
// voice lines are tones of half a second, the engine sounds tones of a second, and the worlds'
// first-visit movies {18, 0, 5}, {18, 0, 3} and {18, 0, 7} short clips. Its music, {7, 0, 2}, is
// one of the props' tones.
#include "tools/synthetic/Garage.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/graphics/FrameImage.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/MovieClips.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/ScreenButtons.h"
#include "tools/synthetic/VehicleLooks.h"

using namespace vqt::test;

namespace {

enum : uint8_t { kFloor = 1, kWall = 2, kBay = 3, kWhite = 4, kYellow = 5, kSky = 6, kBlack = 7, kGreen = 8,
                 kOrange = 9, kStar = 10, kSign = 11, kSign2 = 12, kTyre = 13, kFirstBody = 20 };
constexpr int kRate = 22050;
constexpr uint16_t kLabelTexts = 410; // {17, 0, 410..412}: the worlds' names

std::vector<uint32_t> Colours() {
    auto rgb = [](int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; };
    std::vector<uint32_t> c(256, 0);
    const uint32_t named[] = {rgb(120, 120, 125), rgb(70, 80, 100),  rgb(150, 160, 175), rgb(250, 250, 250),
                              rgb(250, 210, 40),  rgb(140, 190, 240), rgb(1, 1, 1),      rgb(40, 160, 60),
                              rgb(240, 130, 20),  rgb(250, 230, 90), rgb(200, 60, 150), rgb(60, 190, 190),
                              rgb(30, 30, 30)};
    for (size_t i = 0; i < std::size(named); ++i) c[i + 1] = named[i];
    for (size_t i = 0; i < vehicle_look::kBodies.size(); ++i) c[kFirstBody + i] = vehicle_look::kBodies[i];
    return c;
}

std::vector<uint8_t> PartColours() {
    std::vector<uint8_t> rgb;
    for (uint32_t c : Colours()) rgb.insert(rgb.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
    return rgb;
}

FramePlan Centred(const Picture& picture, uint16_t duration = 6) {
    return FramePlan{.picture = picture, .hotX = int16_t(picture.width / 2), .hotY = int16_t(picture.height / 2),
                     .duration = duration};
}

PartPlan Part(std::vector<StatePlan> states) {
    PartPlan part;
    part.palette = PartColours();
    part.states = std::move(states);
    return part;
}

/// A car of the body colour at (x, y) (its top-left corner); an upgrade carries a ladder.
void DrawCar(Picture& p, int x, int y, uint8_t body, bool upgrade) {
    for (int dy = 0; dy < 40; ++dy)
        for (int dx = 0; dx < 90; ++dx) {
            const int px = x + dx;
            const int py = y + dy;
            if (px < 0 || py < 0 || px >= p.width || py >= p.height) continue;
            const bool cab = dx >= 50 && dx < 80 && dy >= 4 && dy < 16;
            const bool bodyPart = dx >= 4 && dx < 86 && dy >= 14 && dy < 32;
            const bool wheel = ((dx - 22) * (dx - 22) + (dy - 32) * (dy - 32) <= 49) ||
                               ((dx - 68) * (dx - 68) + (dy - 32) * (dy - 32) <= 49);
            const bool ladder = upgrade && dx >= 8 && dx < 48 && (dy == 6 || dy == 11 || (dy > 6 && dy < 11 && dx % 8 == 0));
            if (wheel) p.at(px, py) = kTyre;
            else if (cab) p.at(px, py) = kSky;
            else if (bodyPart) p.at(px, py) = body;
            else if (ladder) p.at(px, py) = kWhite;
        }
}

/// A vehicle button: up (white frame), selected (thick yellow frame), hover (sky frame).
PartPlan VehicleButton(int value) {
    std::vector<StatePlan> states;
    for (const auto& [frame, thickness] : {std::pair{kWhite, 2}, std::pair{kYellow, 6}, std::pair{kSky, 3}}) {
        Picture p(130, 80, kBay);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 130; ++x)
                if (x < thickness || y < thickness || x >= 130 - thickness || y >= 80 - thickness) p.at(x, y) = frame;
        DrawCar(p, 20, 20, uint8_t(kFirstBody + value), vehicle_look::CarriesLadder(value));
        states.push_back(StatePlan{.frames = {Centred(p)}});
    }
    return Part(states);
}

/// The car driving out: six frames, 24 pixels further right each.
PartPlan DriveOut(int value) {
    StatePlan state;
    for (int f = 0; f < 6; ++f) {
        Picture p(250, 44);
        DrawCar(p, f * 24 + 20, 2, uint8_t(kFirstBody + value), vehicle_look::CarriesLadder(value));
        state.frames.push_back(Centred(p));
    }
    return Part({state});
}

/// A world's sign unfolding over six frames, in the variant's colour.
PartPlan WorldPicture(int world, int variant) {
    StatePlan state;
    for (int f = 0; f < 6; ++f) {
        Picture p(320, 120);
        const int half = 30 + f * 26;
        for (int y = 0; y < 120; ++y)
            for (int x = 160 - half; x < 160 + half; ++x) {
                const bool stripe = (x / 20 + world) % 2 == 0 && y > 50 && y < 70;
                p.at(x, y) = stripe ? kWhite : variant == 0 ? kSign : kSign2;
            }
        state.frames.push_back(Centred(p));
    }
    return Part({state});
}

bool InDisc(int x, int y, int cx, int cy, int r) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; }

enum class Mark { Arrow, Door, Star };

Picture Badge(uint8_t face, uint8_t ring, Mark mark, int radius) {
    Picture p(60, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            if (!InDisc(x, y, 30, 30, radius)) continue;
            p.at(x, y) = InDisc(x, y, 30, 30, radius * 24 / 29) ? face : ring;
            const int dx = x - 30;
            const int dy = y - 30;
            bool on = false;
            switch (mark) {
            case Mark::Arrow: on = (dx >= -14 && dx < 2 && std::abs(dy) <= 4) || (dx >= 2 && dx <= 14 && std::abs(dy) <= 14 - dx); break;
            case Mark::Door: on = std::abs(dx) <= 9 && std::abs(dy) <= 14 && !(std::abs(dx) <= 5 && dy >= -10); break;
            case Mark::Star: on = std::abs(dx) + std::abs(dy) <= 12 || ((std::abs(dx) <= 2 || std::abs(dy) <= 2) && std::abs(dx) + std::abs(dy) <= 16); break;
            }
            if (on && InDisc(x, y, 30, 30, radius * 24 / 29)) p.at(x, y) = kWhite;
        }
    return p;
}

/// A navigation badge: up, down, hover, and state 3 (256 frames) shrinking away in 16 steps.
PartPlan NavigationBadge(uint8_t face, uint8_t pressed, Mark mark) {
    std::vector<StatePlan> states;
    for (const auto& [f, ring] : {std::pair{face, kWhite}, std::pair{pressed, kWhite}, std::pair{face, kYellow}})
        states.push_back(StatePlan{.frames = {Centred(Badge(f, ring, mark, 29))}});
    StatePlan fading;
    for (int frame = 0; frame < 256; ++frame) {
        FramePlan plan = Centred(Badge(face, kWhite, mark, 29 - 29 * (frame / 16) / 16), 1);
        if (frame % 16 != 0) plan.sameAs = frame - frame % 16;
        fading.frames.push_back(plan);
    }
    states.push_back(fading);
    return Part(states);
}

/// The fade: states 0-2 nothing; state 3 frame f a black band across the stage, from the top, of
/// (255 - f) / 255 of its height.
PartPlan Fade() {
    const FramePlan none = Centred(Picture(1, 1));
    std::vector<StatePlan> states(3, StatePlan{.frames = {none}});
    StatePlan band;
    for (int f = 0; f < 256; ++f) {
        const int height = 480 * (255 - f) / 255;
        band.frames.push_back(height > 0 ? Centred(Picture(640, height, kBlack)) : none);
    }
    states.push_back(band);
    return Part(states);
}

IndexedPicture Background() {
    IndexedPicture p{.width = 640, .height = 480, .pixels = std::vector<uint8_t>(640 * 480, kWall), .colours = Colours()};
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            uint8_t& v = p.pixels[size_t(y) * 640 + x];
            if (y >= 380) v = kFloor;
            else if (y >= 90 && (x % 213) >= 28 && (x % 213) < 186) v = kBay;
            if (y >= 380 && (x + y) % 64 < 2) v = kWhite; // floor lines
        }
    return p;
}

/// Raw 8-bit mono sound: a fading tone of the length, peaking at a quarter of full scale.
Bytes ToneOf(double frequency, int ms) {
    const int samples = kRate * ms / 1000;
    Bytes data;
    PutBe16(data, 0, 0);
    PutBe16(data, 2, 511);
    PutBe16(data, 4, 511);
    PutBe16(data, 6, 511);
    PutBe32(data, 8, uint32_t(samples));
    PutBe32(data, 12, 0);
    for (int i = 0; i < samples; ++i) {
        const double fade = 1.0 - 0.5 * double(i) / samples;
        data.push_back(uint8_t(int8_t(std::lround(32.0 * fade * std::sin(2.0 * M_PI * frequency * i / kRate)))));
    }
    return data;
}

ObjectPlan Object(uint32_t classId, uint32_t objectId, uint32_t part, int16_t x, int16_t y) {
    ObjectPlan object{.classId = classId, .objectId = objectId, .partId = part};
    object.properties.Pair(50, 1, x, y);
    return object;
}

/// A centred white label of the 'utxt' entry.
ObjectPlan Label(uint32_t objectId, int16_t x, int16_t y, uint16_t text) {
    ObjectPlan o{.classId = 76, .objectId = objectId};
    o.properties.Pair(50, 1, x, y).Pair(50, 2, 200, 30).Short(70, 1, int16_t(text)).Long(70, 2, uint32_t(-1))
        .Text(70, 11, "Arial").Short(70, 7, 20).Long(70, 4, 2).Byte(70, 8, 1).Long(70, 9, 0x00FFFFFF);
    return o;
}

} // namespace

void AddGarageScreen(GameData& data, const GarageOptions& options) {
    std::vector<ObjectPlan> objects;
    for (int value = 0; value < 6; ++value) {
        const int16_t x = int16_t(buttons::GarageVehicle(value).x);
        const int16_t y = int16_t(buttons::GarageVehicle(value).y);
        ObjectPlan button = Object(1200, uint32_t(20 + value), ChunkIdOf(GameData::kParts, uint16_t(3400 + value)), x, y);
        button.properties.Short(50, 3, 1).Short(1200, 1, int16_t(value));
        objects.push_back(button);
        if (options.driveProps) {
            ObjectPlan drive = Object(1210, uint32_t(40 + value), ChunkIdOf(GameData::kParts, uint16_t(3410 + value)),
                                      int16_t(x + 80), y);
            drive.properties.Byte(50, 4, 0).Short(1210, 1, int16_t(value));
            objects.push_back(drive);
        }
    }
    for (int world = 0; world < 3; ++world)
        for (int variant = 0; variant < options.picturesPerWorld; ++variant)
            objects.push_back(Object(1100, uint32_t(10 + world), ChunkIdOf(GameData::kParts, uint16_t(3420 + world * 2 + variant)),
                                     320, 230));
    struct Nav {
        uint32_t id;
        uint16_t part;
        StagePoint at;
        int16_t target;
    };
    // Along the bottom, clear of the host (bottom right) and of the captions below them.
    for (const Nav& n : {Nav{6, 3430, buttons::kGarageGo, 8}, Nav{7, 3431, buttons::kGarageBack, 4},
                         Nav{8, 3432, buttons::kGarageCertificate, 6}}) {
        ObjectPlan button = Object(1001, n.id, ChunkIdOf(GameData::kParts, n.part), int16_t(n.at.x), int16_t(n.at.y));
        button.properties.Short(50, 3, 1).Short(1001, 1, n.target);
        objects.push_back(button);
    }
    for (int world = 0; world < 3; ++world) objects.push_back(Label(uint32_t(30 + world), int16_t(buttons::kGarageColumnX[world]), 110, uint16_t(kLabelTexts + world)));
    ObjectPlan panelTexts = Object(76, 1000, 0, -100, -100);
    panelTexts.properties.Text(70, 11, "Arial").Short(70, 7, 20).Long(70, 4, 2).Byte(70, 8, 1).Long(70, 9, 0x00FFFFFF);
    objects.push_back(panelTexts);

    ActivityPlan garage{.classId = 310,
                        .backgroundId = ChunkIdOf(GameData::kFrames, 5),
                        .paletteId = ChunkIdOf(GameData::kPalettes, 5),
                        .objects = objects};
    garage.properties.Short(200, 1, kHostOnlyPanelMode).Pair(50, 1, 320, 240); // the host shows
    data.file.AddChunk(GameData::kActivities, ActivityData(garage), {.entry = options.entry, .name = "Garage"});
}

void AddGarage(GameData& data) {
    data.file.AddChunk(GameData::kFrames, BmpFile(Background()), {.entry = 5, .name = "Garage", .property = FrameProperty(kFrameBmp)});
    data.file.AddChunk(GameData::kPalettes, PaletteData(Colours()), {.entry = 5, .name = "Garage"});
    for (int value = 0; value < 6; ++value) {
        data.parts.AddPart(VehicleButton(value), uint16_t(3400 + value));
        data.parts.AddPart(DriveOut(value), uint16_t(3410 + value));
    }
    for (int world = 0; world < 3; ++world)
        for (int variant = 0; variant < 2; ++variant) data.parts.AddPart(WorldPicture(world, variant), uint16_t(3420 + world * 2 + variant));
    data.parts.AddPart(NavigationBadge(kGreen, kFloor, Mark::Arrow), 3430);
    data.parts.AddPart(NavigationBadge(kOrange, kFloor, Mark::Door), 3431);
    data.parts.AddPart(NavigationBadge(kStar, kFloor, Mark::Star), 3432);
    data.parts.AddPart(Fade(), 1139);
    AddGarageScreen(data, GarageOptions{});

    std::vector<uint16_t> voices;
    for (uint16_t v = 637; v <= 657; ++v) voices.push_back(v);
    for (const uint16_t v : {760, 216, 217, 62, 64, 97}) voices.push_back(v);
    for (const uint16_t v : voices)
        data.file.AddChunk(GameData::kSnippets, ToneOf(200.0 + v / 2.0, 500),
                           {.entry = v, .name = "Garage voice " + std::to_string(v), .property = PropertyRecordBytes().SoundDefaults()});
    for (const uint16_t engine : {44, 43, 59, 50, 37, 41})
        data.file.AddChunk(GameData::kSnippets, ToneOf(60.0 + engine, 1000),
                           {.entry = engine, .name = "Engine " + std::to_string(engine), .property = PropertyRecordBytes().SoundDefaults()});
    // Short enough that the left column's name lies wholly under a panel's board (from x 40).
    const char16_t* names[] = {u"Circus", u"Zoo", u"City"};
    for (uint16_t world = 0; world < 3; ++world)
        AddGameText(data, uint16_t(kLabelTexts + world), names[world], "World name");
    struct Movie {
        uint16_t entry;
        double tone;
    };
    for (const Movie m : {Movie{5, 392.0}, Movie{3, 349.2}, Movie{7, 293.7}})
        data.file.AddChunk(GameData::kMovies, MakeMovieClip({.width = 320, .height = 240, .frames = 15, .toneHz = m.tone}),
                           {.entry = m.entry, .name = "first visit movie"});
}

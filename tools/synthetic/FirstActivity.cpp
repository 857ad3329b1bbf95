// The first activity {1, 0, 26}, a timed screen of the game (class 200, object id 3, so that it
// leads to {1, 0, 3}): a 640 x 480 background picture with its palette, and a sun, a house and
// a tree (props with one still picture and a generated tone each) standing on it; its music
// is the opening tune {7, 0, 990}.
#include <cmath>
#include <vector>

#include "engine/graphics/FrameImage.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/SyntheticSounds.h"

using namespace vqt::test;

namespace {

constexpr int kWidth = 640;
constexpr uint16_t kOpeningTune = 990;
constexpr int kHeight = 480;

/// 256 colours: a sky ramp (1-63), a ground ramp (64-127), and bright colours from 128 on.
std::vector<uint32_t> Colours() {
    std::vector<uint32_t> c(256, 0);
    auto rgb = [](int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; };
    for (int i = 1; i < 64; ++i) c[i] = rgb(40 + i, 90 + i * 2, 160 + i);
    for (int i = 64; i < 128; ++i) c[i] = rgb(30 + (i - 64), 110 + (i - 64) * 2, 30);
    const uint32_t bright[] = {rgb(230, 40, 40), rgb(250, 210, 40), rgb(250, 250, 250), rgb(20, 20, 20),
                               rgb(60, 90, 230), rgb(240, 130, 20), rgb(150, 60, 200), rgb(120, 80, 40),
                               rgb(30, 140, 50), rgb(20, 100, 35)};
    for (int i = 0; i < 10; ++i) c[128 + i] = bright[i];
    return c;
}

/// The background: a sky ramp over rolling ground.
IndexedPicture Background(const std::vector<uint32_t>& colours) {
    IndexedPicture p;
    p.width = kWidth;
    p.height = kHeight;
    p.colours = colours;
    p.pixels.resize(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int ground = 300 + int(20.0 * std::sin(x / 60.0));
            uint8_t v = y < ground ? uint8_t(1 + y * 62 / kHeight) : uint8_t(64 + (y - ground) * 63 / (kHeight - ground + 1));
            p.pixels[size_t(y) * kWidth + x] = v;
        }
    }
    return p;
}

/// A house: walls, a roof and a door.
Picture House() {
    Picture p(120, 110);
    for (int y = 0; y < 110; ++y) {
        for (int x = 0; x < 120; ++x) {
            if (y < 45) {
                const int half = (45 - y) * 60 / 45;
                if (x >= half && x < 120 - half) p.at(x, y) = 128; // roof
            } else if (x >= 10 && x < 110) {
                p.at(x, y) = (x >= 50 && x < 70 && y >= 70) ? 135 : 130; // door or wall
            }
        }
    }
    return p;
}

/// A sun: a yellow disc.
Picture Sun() {
    Picture p(70, 70);
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 70; ++x)
            if ((x - 35) * (x - 35) + (y - 35) * (y - 35) < 33 * 33) p.at(x, y) = 129;
    return p;
}

/// A tree: a round crown on a trunk.
Picture Tree() {
    Picture p(60, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 60; ++x) {
            if ((x - 30) * (x - 30) + (y - 30) * (y - 30) < 28 * 28) p.at(x, y) = (x + y) % 3 == 0 ? 137 : 136;
            else if (y >= 55 && x >= 25 && x < 35) p.at(x, y) = 135;
        }
    return p;
}

ObjectPlan Prop(uint32_t objectId, uint32_t partId, int16_t x, int16_t y) {
    ObjectPlan o;
    o.classId = 54;
    o.objectId = objectId;
    o.partId = partId;
    o.properties.Pair(50, 1, x, y);
    return o;
}

uint32_t AddStill(PartBuilder& parts, const Picture& picture, const std::vector<uint32_t>& colours, uint32_t soundId) {
    FramePlan frame;
    frame.picture = picture;
    frame.hotX = int16_t(picture.width / 2);
    frame.hotY = int16_t(picture.height / 2);
    StatePlan state;
    state.frames = {frame};
    state.soundId = soundId;
    PartPlan part;
    part.states = {state};
    // Each part carries the colours of its pictures.
    std::vector<uint8_t> rgb;
    for (uint32_t c : colours) {
        rgb.push_back(uint8_t(c));
        rgb.push_back(uint8_t(c >> 8));
        rgb.push_back(uint8_t(c >> 16));
    }
    part.palette = rgb;
    return parts.AddPart(part).part;
}

} // namespace

void AddFirstActivity(GameData& data) {
    ChunkFileBuilder& file = data.file;
    const std::vector<uint32_t> colours = Colours();
    // The background is LZW-coded as the engine's compressed image.
    const IndexedPicture picture = Background(colours);
    const DirectPicture indices{picture.width, picture.height, 8, picture.pixels};
    const uint32_t background = file.AddChunk(GameData::kFrames, CompressedImage(indices, {.mode = 8}),
                                              {.entry = 1, .name = "Background", .property = FrameProperty(kFrameCompressed)});
    const uint32_t palette = file.AddChunk(GameData::kPalettes, PaletteData(colours), {.entry = 1, .name = "Palette"});

    ActivityPlan activity;
    activity.classId = 200;
    activity.objectId = 3;
    activity.backgroundId = background;
    activity.paletteId = palette;
    activity.properties.Pair(50, 1, kWidth / 2, kHeight / 2); // centred on the stage
    // The opening tune plays from the start (the music track of the game's screens).
    AddMusicTrack(data, kOpeningTune, {392.0, 440.0, 523.25, 440.0, 392.0, 329.63, 293.66, 329.63}, "Music: opening");
    activity.properties.Short(200, 2, int16_t(kOpeningTune));
    const std::vector<uint32_t> tones = AddPropTones(data.parts);
    activity.objects = {Prop(1, AddStill(data.parts, Sun(), colours, tones[0]), 520, 90),
                        Prop(2, AddStill(data.parts, House(), colours, tones[1]), 200, 290),
                        Prop(3, AddStill(data.parts, Tree(), colours, tones[2]), 420, 300)};
    activity.objects.insert(activity.objects.end(), data.firstActivityObjects.begin(), data.firstActivityObjects.end());
    file.AddChunk(GameData::kActivities, ActivityData(activity), {.entry = 26, .name = "Synthetic activity"});
}

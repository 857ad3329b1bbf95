// The props of the first ordinary screen {1, 0, 60}: two navigation buttons, to {1, 0, 5} (a
// blue arrow badge, bottom right) and to {1, 0, 7} (a red door badge, bottom left); a still
// prop, a signal box, with a shadow and an overlay (its roof) named by its part; a balloon
// that drifts to the right by the velocity of property family 1110; and the template of the
// panels' texts. Also the counter panel's
// art {2, 0, 14} (a bar of two states for the two panel modes) and its zero placeholder
// {2, 0, 1141} (two states, for counters 0 and 1).
#include <cstdlib>
#include <vector>

#include "engine/data/ChunkId.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/ScreenButtons.h"

using namespace vqt::test;

namespace {

/// Colour indices of the screens' palette (the bright colours from 128 on).
enum : uint8_t {
    kRed = 128,
    kYellow = 129,
    kWhite = 130,
    kDark = 131,
    kBlue = 132,
    kOrange = 133,
    kBrown = 135,
    kGreen = 136,
    kNavy = 138,
    kSky = 139,
    kSlate = 140,
};

/// The counter panel's art is shown over every screen: it carries these colours itself.
std::vector<uint8_t> CounterColours() {
    std::vector<uint8_t> rgb(768, 0);
    auto set = [&](uint8_t index, uint8_t r, uint8_t g, uint8_t b) {
        rgb[size_t(index) * 3] = r;
        rgb[size_t(index) * 3 + 1] = g;
        rgb[size_t(index) * 3 + 2] = b;
    };
    set(kYellow, 250, 210, 40);
    set(kWhite, 250, 250, 250);
    set(kNavy, 30, 40, 110);
    set(kSky, 140, 190, 240);
    set(kSlate, 96, 110, 140);
    return rgb;
}

bool InDisc(int x, int y, int cx, int cy, int r) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; }

/// A round badge of 60 x 60: a ring, a face and a symbol (an arrow or a door).
Picture Badge(uint8_t face, uint8_t ring, bool arrow) {
    Picture p(60, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            if (!InDisc(x, y, 30, 30, 29)) continue;
            p.at(x, y) = InDisc(x, y, 30, 30, 24) ? face : ring;
            const int dx = x - 30;
            const int dy = y - 30;
            const bool symbol = arrow ? (dx >= -14 && dx < 2 && std::abs(dy) <= 4) || (dx >= 2 && dx <= 14 && std::abs(dy) <= 14 - dx)
                                      : std::abs(dx) <= 9 && std::abs(dy) <= 14 && !(std::abs(dx) <= 5 && dy >= -10);
            if (symbol && InDisc(x, y, 30, 30, 24)) p.at(x, y) = kWhite;
        }
    return p;
}

/// One frame with its hot spot in the middle.
FramePlan Centred(const Picture& picture) {
    return FramePlan{.picture = picture, .hotX = int16_t(picture.width / 2), .hotY = int16_t(picture.height / 2)};
}

/// A button's part: up, down (the face darker) and hover (a yellow ring) states.
PartPlan ButtonPart(uint8_t face, uint8_t pressed, bool arrow) {
    PartPlan part;
    for (const Picture& p : {Badge(face, kWhite, arrow), Badge(pressed, kWhite, arrow), Badge(face, kYellow, arrow)})
        part.states.push_back(StatePlan{.frames = {Centred(p)}});
    return part;
}

/// A still picture as a part of one state.
PartPlan StillPart(const Picture& picture, uint16_t shadow = 0, uint16_t overlay = 0, int32_t dx = 0, int32_t dy = 0) {
    PartPlan part;
    part.words[0] = shadow;
    part.words[1] = overlay;
    part.longs[0] = uint32_t(dx);
    part.longs[1] = uint32_t(dy);
    part.states = {StatePlan{.frames = {Centred(picture)}}};
    return part;
}

Picture Rect(int w, int h, uint8_t colour) { return Picture(w, h, colour); }

/// The signal box's roof: a gable 80 wide and 30 high.
Picture Roof() {
    Picture p(80, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x)
            if (std::abs(x - 40) <= y * 40 / 30) p.at(x, y) = kRed;
    return p;
}

/// The shadow: a flat dark ellipse.
Picture Shadow() {
    Picture p(90, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 90; ++x)
            if ((x - 45) * (x - 45) * 100 + (y - 10) * (y - 10) * 2025 <= 2025 * 100) p.at(x, y) = kDark;
    return p;
}

Picture Balloon() {
    Picture p(30, 44);
    for (int y = 0; y < 44; ++y)
        for (int x = 0; x < 30; ++x) {
            if (InDisc(x, y, 15, 15, 14)) p.at(x, y) = kOrange;
            else if (x == 15 && y > 29) p.at(x, y) = kDark;
        }
    return p;
}

ObjectPlan Object(uint32_t classId, uint32_t objectId, uint32_t part, int16_t x, int16_t y) {
    ObjectPlan object{.classId = classId, .objectId = objectId, .partId = part};
    object.properties.Pair(50, 1, x, y);
    return object;
}

ObjectPlan NavigationButton(uint32_t objectId, uint32_t part, int16_t x, int16_t y, int16_t target) {
    ObjectPlan button = Object(1001, objectId, part, x, y);
    button.properties.Short(50, 3, 1).Short(1001, 1, target); // takes the pointer
    return button;
}

/// The counter panel's art. State 0 (mode 1, the screens that show the host and no counters: the
/// sign-in and the garage) draws nothing. State 1 (mode 2, the towns and the games) is the bar
/// along the top of the stage (y 0 to 28) behind the counters' icons and numbers on its middle
/// row (the bottom belongs to the buttons, the captions and the host); it ends above the panels'
/// board and their titles. Its slate carries the towns' white numbers and the games' black ones.
PartPlan CounterBar() {
    constexpr int kBarHeight = 2 * kCounterRowY;
    Picture bar(600, kBarHeight, kSlate);
    for (int x = 0; x < 600; ++x) bar.at(x, 0) = bar.at(x, kBarHeight - 1) = kWhite;
    PartPlan part;
    part.palette = CounterColours();
    part.states.push_back(StatePlan{.frames = {FramePlan{.picture = Picture(1, 1), .hotX = 320, .hotY = kCounterRowY}}});
    part.states.push_back(StatePlan{.frames = {FramePlan{.picture = bar, .hotX = 320, .hotY = kCounterRowY}}});
    return part;
}

/// The zero placeholder: a hollow ring (state 0, counter 1) or a dot (state 1, counter 0).
PartPlan ZeroMark() {
    PartPlan part;
    part.palette = CounterColours();
    for (const bool dot : {false, true}) {
        Picture mark(16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (InDisc(x, y, 8, 8, 7) && (dot || !InDisc(x, y, 8, 8, 4))) mark.at(x, y) = kYellow;
        part.states.push_back(StatePlan{.frames = {Centred(mark)}});
    }
    return part;
}

} // namespace

std::vector<ObjectPlan> AddSignInProps(GameData& data) {
    const uint32_t forward = data.parts.AddPart(ButtonPart(kBlue, kNavy, true)).part;
    const uint32_t quit = data.parts.AddPart(ButtonPart(kRed, kBrown, false)).part;
    const uint32_t shadow = data.parts.AddPart(StillPart(Shadow())).part;
    // The roof's base line: 4 below its centre at the left edge, down to its bottom 10 left of
    // its centre, up to 2 below its centre at the right edge.
    // Its hot spot puts it on top of the signal box's walls.
    PartPlan roof = StillPart(Roof());
    roof.states[0].frames[0].hotX = 30;
    roof.states[0].frames[0].hotY = -15;
    roof.words[0] = 4;
    roof.words[1] = uint16_t(-10);
    roof.words[2] = 2;
    const uint32_t overlay = data.parts.AddPart(roof).part;
    const uint32_t box = data.parts.AddPart(StillPart(Rect(60, 70, kBrown), ChunkEntryOf(shadow), ChunkEntryOf(overlay), 0, 38)).part;
    const uint32_t balloon = data.parts.AddPart(StillPart(Balloon())).part;

    ObjectPlan drifting = Object(1110, 11, balloon, 60, 110);
    drifting.properties.Pair(1110, 1, 12, 0);
    // The style of the panels' texts: 20-point Arial in white, centred; it shows no text itself.
    ObjectPlan panelTexts = Object(76, 1000, 0, -100, -100);
    panelTexts.properties.Text(70, 11, "Arial").Short(70, 7, 20).Long(70, 4, 2).Byte(70, 8, 1).Long(70, 9, 0x00FFFFFF);
    // The buttons stand clear of the host (bottom right) and of the captions (bottom middle).
    using buttons::kFirstScreenForward, buttons::kFirstScreenQuit;
    return {NavigationButton(1, forward, int16_t(kFirstScreenForward.x), int16_t(kFirstScreenForward.y), 5),
            NavigationButton(3, quit, int16_t(kFirstScreenQuit.x), int16_t(kFirstScreenQuit.y), 7),
            Object(1120, 10, box, 200, 300), drifting, panelTexts};
}

void AddCounterPanelArt(GameData& data) {
    data.parts.AddPart(CounterBar(), 14);
    data.parts.AddPart(ZeroMark(), 1141);
}

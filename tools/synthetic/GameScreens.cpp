// The game activity's screens and panels. The first activity {1, 0, 26} (FirstActivity.cpp) is
// a timed screen that leads to {1, 0, 3}, a second timed screen (object id 4), the title with
// its tune {7, 0, 991}, which leads to {1, 0, 4}, the sign-in screen (SignInScreen.cpp);
// {1, 0, 60} is an ordinary screen (object id 0) where ESC opens the pause menu. Also: the panel
// art with its buttons and pictures, the click marker, the voices of the spoken labels and
// questions, the panels' texts and the list {12, 0, 79} of the game's own messages.
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/graphics/FrameImage.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/Garage.h"
#include "tools/synthetic/ScreenButtons.h"

using namespace vqt::test;

std::vector<ObjectPlan> AddSignInProps(GameData& data);
std::vector<ObjectPlan> AddSignInScreenProps(GameData& data);
void AddCredits(GameData& data);

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr uint16_t kTitleTune = 991;

/// The panels' board on the stage.
constexpr struct {
    int x, y, w, h;
} kBoard{buttons::kPanelMiddle.x - buttons::kPanelWidth / 2, buttons::kPanelMiddle.y - buttons::kPanelHeight / 2,
         buttons::kPanelWidth, buttons::kPanelHeight};

/// Colour indices of the palette below.
enum : uint8_t {
    kRed = 128,
    kYellow = 129,
    kWhite = 130,
    kDark = 131,
    kBlue = 132,
    kOrange = 133,
    kPurple = 134,
    kGreen = 136,
    kNavy = 138,
    kSky = 139,
};

/// 256 colours: a warm ramp (1-63), a cool ramp (64-127), and bright colours from 128 on.
std::vector<uint32_t> Colours() {
    std::vector<uint32_t> c(256, 0);
    auto rgb = [](int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; };
    for (int i = 1; i < 64; ++i) c[i] = rgb(120 + i * 2, 60 + i, 40 + i / 2);
    for (int i = 64; i < 128; ++i) c[i] = rgb(20 + (i - 64) / 2, 60 + (i - 64), 90 + (i - 64) * 2);
    const uint32_t bright[] = {rgb(220, 40, 40), rgb(250, 210, 40), rgb(250, 250, 250), rgb(20, 20, 20),
                               rgb(50, 90, 220), rgb(240, 130, 20), rgb(150, 60, 200), rgb(120, 80, 40),
                               rgb(40, 160, 60),  rgb(20, 100, 35),  rgb(30, 40, 110),  rgb(140, 190, 240)};
    for (size_t i = 0; i < std::size(bright); ++i) c[128 + i] = bright[i];
    return c;
}

std::vector<uint8_t> PartColours(const std::vector<uint32_t>& colours) {
    std::vector<uint8_t> rgb;
    for (uint32_t c : colours) {
        rgb.push_back(uint8_t(c));
        rgb.push_back(uint8_t(c >> 8));
        rgb.push_back(uint8_t(c >> 16));
    }
    return rgb;
}

bool InRoundedRect(int x, int y, int w, int h, int r) {
    const int cx = x < r ? r : x >= w - r ? w - r - 1 : x;
    const int cy = y < r ? r : y >= h - r ? h - r - 1 : y;
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

/// A rounded box of a colour with a border of another.
Picture Box(int w, int h, uint8_t fill, uint8_t border, int thickness) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (InRoundedRect(x, y, w, h, 10)) {
                const int ix = x - thickness;
                const int iy = y - thickness;
                const int iw = w - 2 * thickness;
                const int ih = h - 2 * thickness;
                const bool inside = ix >= 0 && iy >= 0 && InRoundedRect(ix, iy, iw, ih, 8);
                p.at(x, y) = inside ? fill : border;
            }
    return p;
}

/// The symbols the buttons carry in place of words.
enum class Symbol { Play, Door, Car, Cross, Tick };

void Draw(Picture& p, Symbol symbol) {
    const int cx = p.width / 2;
    const int cy = p.height / 2;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const int dx = x - cx;
            const int dy = y - cy;
            bool on = false;
            switch (symbol) {
            case Symbol::Play:
                on = dx >= -10 && dx <= 12 && std::abs(dy) <= (12 - dx) / 2;
                break;
            case Symbol::Door:
                on = std::abs(dx) <= 9 && std::abs(dy) <= 14 && !(std::abs(dx) <= 5 && dy >= -10);
                break;
            case Symbol::Car: {
                const bool body = std::abs(dx) <= 18 && dy >= -4 && dy <= 6;
                const bool roof = std::abs(dx) <= 9 && dy >= -12 && dy < -4;
                const bool wheels = (std::abs(dx) - 10) * (std::abs(dx) - 10) + (dy - 9) * (dy - 9) <= 20;
                on = body || roof || wheels;
                break;
            }
            case Symbol::Cross:
                on = std::abs(std::abs(dx) - std::abs(dy)) <= 2 && std::abs(dx) <= 12;
                break;
            case Symbol::Tick:
                on = (dx >= -12 && dx < -2 && std::abs(dy - dx - 8) <= 2) ||
                     (dx >= -2 && dx <= 14 && std::abs(dy + dx - 4) <= 2);
                break;
            }
            if (on) p.at(x, y) = kWhite;
        }
    }
}

/// One still frame, placed by its hot spot (where the prop's centre goes as it loads).
PartPlan Still(const Picture& picture, int hotX, int hotY, const std::vector<uint8_t>& colours) {
    FramePlan frame;
    frame.picture = picture;
    frame.hotX = int16_t(hotX);
    frame.hotY = int16_t(hotY);
    PartPlan part;
    part.states = {StatePlan{.frames = {frame}}};
    part.palette = colours;
    return part;
}

/// The click marker: states 0 to 2 a dot, state 3 a ring that grows over four frames.
PartPlan Marker(const std::vector<uint8_t>& colours) {
    PartPlan part;
    part.palette = colours;
    for (int s = 0; s < 4; ++s) {
        StatePlan state;
        for (int f = 0; f < (s == 3 ? 4 : 1); ++f) {
            Picture p(40, 40);
            const int r = s == 3 ? 6 + 4 * f : 3;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 40; ++x) {
                    const int d = (x - 20) * (x - 20) + (y - 20) * (y - 20);
                    if (d <= r * r && d >= (r - 3) * (r - 3)) p.at(x, y) = kYellow;
                }
            FramePlan frame;
            frame.picture = p;
            frame.hotX = 20;
            frame.hotY = 20;
            state.frames.push_back(frame);
        }
        part.states.push_back(state);
    }
    return part;
}

IndexedPicture Screen(const std::vector<uint32_t>& colours, int kind) {
    IndexedPicture p;
    p.width = kWidth;
    p.height = kHeight;
    p.colours = colours;
    p.pixels.resize(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t v = 0;
            if (kind == 0) { // a title card: warm bands and a sun
                v = uint8_t(1 + (y / 24 % 2 == 0 ? y * 62 / kHeight : 62 - y * 62 / kHeight));
                if ((x - 320) * (x - 320) + (y - 220) * (y - 220) < 110 * 110) v = kYellow;
            } else { // an ordinary screen: a cool sky over a meadow with a signpost
                v = y < 320 ? uint8_t(64 + y * 63 / 320) : uint8_t(kGreen);
                if (x >= 300 && x < 312 && y >= 200 && y < 340) v = kDark;
                if (x >= 250 && x < 362 && y >= 190 && y < 240) v = kOrange;
            }
            p.pixels[size_t(y) * kWidth + x] = v;
        }
    }
    return p;
}

void AddScreen(GameData& data, uint16_t entry, uint32_t objectId, int kind, const char* name,
               const PropertyBytes& properties = {}, std::vector<ObjectPlan> objects = {}, uint32_t classId = 200) {
    const std::vector<uint32_t> colours = Colours();
    const uint32_t background =
        data.file.AddChunk(GameData::kFrames, BmpFile(Screen(colours, kind)),
                           {.entry = entry, .name = name, .property = FrameProperty(kFrameBmp)});
    const uint32_t palette =
        data.file.AddChunk(GameData::kPalettes, PaletteData(colours), {.entry = entry, .name = name});
    ActivityPlan activity;
    activity.classId = classId;
    activity.objectId = objectId;
    activity.backgroundId = background;
    activity.paletteId = palette;
    activity.properties = properties;
    activity.properties.Pair(50, 1, kWidth / 2, kHeight / 2);
    activity.objects = std::move(objects);
    data.file.AddChunk(GameData::kActivities, ActivityData(activity), {.entry = entry, .name = name});
}

} // namespace

void AddGameScreens(GameData& data) {
    // The title plays its own tune until the sign-in's music takes over.
    AddMusicTrack(data, kTitleTune, {261.63, 329.63, 392.0, 329.63, 349.23, 440.0, 523.25, 392.0}, "Music: title");
    AddScreen(data, 3, 4, 0, "Second title", PropertyBytes().Short(200, 2, kTitleTune));
    // The host shows (start panel mode 1) and the music {7, 0, 900} plays.
    AddScreen(data, 60, 0, 1, "First ordinary screen", PropertyBytes().Short(200, 1, kHostOnlyPanelMode).Short(200, 2, 900),
              AddSignInProps(data));
    AddScreen(data, 4, 0, 1, "Sign in", PropertyBytes().Short(200, 1, kHostOnlyPanelMode).Short(200, 2, 900), AddSignInScreenProps(data),
              305);
    AddGarage(data);
    AddCredits(data);

    const std::vector<uint8_t> colours = PartColours(Colours());
    // The panel: a board over the stage (top-left corner at (40, 28), below the counter bar) wide
    // and tall enough, with a margin, for the texts the panels lay on it: the titles' line at the
    // top (from y 34), the instructions below (x 70 to 570, down to y 422) and the pictures
    // between; it ends above the captions (from y 430). Its buttons are placed in the board's own
    // coordinates, the pictures on the stage. It is solid: every panel draws its pictures over
    // it, and a panel without one shows plain board, never the scene behind.
    using namespace buttons;
    const Picture board = Box(kBoard.w, kBoard.h, kNavy, kSky, 4);
    data.parts.AddPart(Still(board, kBoard.x + kBoard.w / 2, kBoard.y + kBoard.h / 2, colours), 349);
    struct Button {
        uint16_t entry;
        uint8_t colour;
        Symbol symbol;
        StagePoint at;
    };
    // The menu: continue, leave the area, new car, quit; the questions: no, yes.
    // Their centres on the stage: the menu's two rows at y 305 and 375, the questions' no and
    // yes side by side at y 340 (ScreenButtons.h).
    static const Button kButtons[] = {
        {3, kGreen, Symbol::Play, kMenuContinueInPanel}, {4, kOrange, Symbol::Door, kMenuLeaveInPanel},
        {5, kBlue, Symbol::Car, kMenuNewCarInPanel},       {6, kRed, Symbol::Cross, kMenuQuitInPanel},
        {1147, kRed, Symbol::Cross, kQuestionNoInPanel},   {9, kGreen, Symbol::Tick, kQuestionYesInPanel},
    };
    for (const Button& b : kButtons) {
        Picture p = Box(200, 48, b.colour, kWhite, 3);
        Draw(p, b.symbol);
        data.parts.AddPart(Still(p, b.at.x, b.at.y, colours), b.entry);
    }
    Picture quit = Box(220, 140, kPurple, kWhite, 4);
    Draw(quit, Symbol::Door);
    data.parts.AddPart(Still(quit, 110, 70, colours), 1097);
    Picture car = Box(220, 140, kSky, kWhite, 4);
    Draw(car, Symbol::Car);
    data.parts.AddPart(Still(car, 110, 70, colours), 1095);
    data.parts.AddPart(Marker(colours), 1140);

    // The voices of the spoken labels (continue, new car, exit area, quit, yes, no) and
    // questions (quit, delete, leave).
    for (const uint16_t entry : {543, 544, 545, 546, 273, 275, 549, 547, 551})
        data.file.AddChunk(GameData::kSnippets, Tone(300.0 + entry),
                           {.entry = entry,
                            .name = "Voice " + std::to_string(entry),
                            .property = PropertyRecordBytes().SoundDefaults()});

    // The panels' texts, which are also the game's own messages.
    struct Text {
        uint16_t entry;
        const char* id;
        const char16_t* text;
    };
    static const Text kTexts[] = {
        {47, "TLV_QUIT_QUESTION", u"Do you want to stop playing?"},
        {48, "TLV_LEAVE_QUESTION", u"Do you want to leave this place?"},
        {50, "TLV_MENU_TITLE", u"Paused"},
        {78, "TLV_MENU_HELP", u"Pick a button"},
    };
    std::vector<uint32_t> messages;
    for (const Text& t : kTexts)
        messages.push_back(AddGameText(data, t.entry, t.text, t.id));
    data.file.AddChunk(GameData::kChunkLists, ChunkListData(messages), {.entry = 79, .name = "Game messages"});
}

// The towns' certificate pages {1, 0, 6} (circus town, class 600), {1, 0, 21} (zoo, 601) and
// {1, 0, 20} (city, 603): the page frame {9, 0, 12} as their background, the award art (earned
// ones gold, the others grey), the rank and mission-2 pictures, a button back to the garage
// (object id 1) and the print button (object id 2), the styles of the awards' counts and of the
// name, panel 7's pictures (a printer with the page coming out, one crossed out) and texts,
// the voices of the spoken lines, the music played on arriving, and the closing movie
// {18, 0, 10}.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/graphics/FrameImage.h"
#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/ImageWriters.h"
#include "tools/builders/MovieClips.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/ScreenButtons.h"

using namespace vqt::test;

namespace {

enum : uint8_t { kPaper = 1, kInk = 2, kGold = 3, kGrey = 4, kRed = 5, kBlue = 6, kGreen = 7, kWhite = 8 };

/// The ink as a text colour (0x00BBGGRR).
constexpr uint32_t kInkText = 0x00502828;

std::vector<uint32_t> Colours() {
    auto rgb = [](int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; };
    std::vector<uint32_t> c(256, 0);
    const uint32_t named[] = {rgb(248, 240, 216), rgb(40, 40, 80),  rgb(232, 184, 48), rgb(160, 160, 160),
                              rgb(200, 48, 48),   rgb(48, 96, 200), rgb(48, 160, 72),  rgb(255, 255, 255)};
    for (size_t i = 0; i < std::size(named); ++i) c[i + 1] = named[i];
    return c;
}

std::vector<uint8_t> PartColours() {
    std::vector<uint8_t> rgb;
    for (uint32_t c : Colours()) rgb.insert(rgb.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
    return rgb;
}

/// The page: paper with a double ink border and a ribbon at the top.
IndexedPicture Page() {
    IndexedPicture p{.width = 640, .height = 480, .pixels = std::vector<uint8_t>(640 * 480, kPaper), .colours = Colours()};
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const int edge = std::min({x, y, 639 - x, 479 - y});
            uint8_t& v = p.pixels[size_t(y) * 640 + x];
            if (edge < 6 || (edge >= 10 && edge < 12)) v = kInk;
            else if (y >= 30 && y < 70 && x >= 160 && x < 480) v = kRed;
        }
    return p;
}

/// A round badge of the colour with a ring, or a grey outline for an award not earned.
Picture Badge(uint8_t colour, bool filled) {
    Picture p(34, 34);
    for (int y = 0; y < 34; ++y)
        for (int x = 0; x < 34; ++x) {
            const int d = (x - 17) * (x - 17) + (y - 17) * (y - 17);
            if (d <= 16 * 16) p.at(x, y) = d >= 13 * 13 ? uint8_t(kInk) : filled ? colour : uint8_t(kPaper);
        }
    return p;
}

/// A framed rectangle.
Picture Plate(int w, int h, uint8_t fill) {
    Picture p(w, h, fill);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (x < 3 || y < 3 || x >= w - 3 || y >= h - 3) p.at(x, y) = kInk;
    return p;
}

/// A printer on a plate, 200 x 120: the paper `out` pixels out of its slot (a certificate
/// with its ribbon and lines), or a red cross over it when there is no printer.
Picture Printer(int out, bool missing) {
    Picture p = Plate(200, 120, kWhite);
    for (int y = 3; y < 117; ++y)
        for (int x = 3; x < 197; ++x) {
            const bool body = x >= 40 && x < 160 && y >= 50 && y < 95;
            const bool slot = x >= 55 && x < 145 && y >= 58 && y < 62;
            const bool paper = x >= 60 && x < 140 && y >= 60 - out && y < 60;
            if (paper) {
                const int row = y - (60 - out);
                const bool ribbon = row >= 4 && row < 10 && x >= 75 && x < 125;
                const bool line = row >= 14 && row % 6 == 0 && x >= 70 && x < 130;
                p.at(x, y) = ribbon ? kRed : line ? kInk : kPaper;
            }
            if (body) p.at(x, y) = slot ? kInk : (x == 40 || x == 159 || y == 50 || y == 94) ? kInk : kGrey;
            if (body && x >= 140 && x < 150 && y >= 80 && y < 86) p.at(x, y) = missing ? kRed : kGreen; // the light
            const int dx = x - 100, dy = y - 60;
            if (missing && (std::abs(dx - 2 * dy) <= 3 || std::abs(dx + 2 * dy) <= 3) && std::abs(dy) <= 45) p.at(x, y) = kRed;
        }
    return p;
}

PartPlan Still(const Picture& picture, int x, int y) {
    PartPlan part;
    part.palette = PartColours();
    part.states = {StatePlan{.frames = {FramePlan{.picture = picture, .hotX = int16_t(x), .hotY = int16_t(y)}}}};
    return part;
}

/// The voices of the certificates' lines; 900 and 901 are music already.
constexpr uint16_t kVoices[] = {
    878, 879, 844, 845, 850, 851, 852, 860, 861, 903, 904, 905, 237, 238, 239, 240, 241, 242,
    883, 884, 1060, 1061, 1065, 1066, 1067, 1073, 1074, 1075, 910, 911, 912, 255, 257, 258, 259, 260, 261,
    888, 889, 890, 862, 874, 875, 877, 1058, 1059, 906, 907, 909, 246, 247, 248, 249, 250, 251,
    894, 895, 896, 897, 898, 899, 902, 233, 1096, 1097};
/// Music played on arriving from each town (the garage's 561 comes with the sign-in screen);
/// the towns, their games and their certificates play the same tunes.
struct TownTune {
    uint16_t entry;
    std::vector<double> notes;
};
const TownTune kMusic[] = {
    {562, {523.25, 392.0, 440.0, 392.0, 523.25, 587.33, 659.25, 523.25}}, // the circus: a march
    {581, {349.23, 440.0, 523.25, 440.0, 392.0, 466.16, 440.0, 349.23}},  // the zoo: a stroll
    {151, {293.66, 349.23, 440.0, 392.0, 349.23, 329.63, 293.66, 220.0}}, // the city: a chase
};

} // namespace

void AddCertificates(GameData& data) {
    const uint32_t page = data.file.AddChunk(GameData::kFrames, BmpFile(Page()),
                                             {.entry = 12, .name = "Certificate page", .property = FrameProperty(kFrameBmp)});
    const uint32_t palette = data.file.AddChunk(GameData::kPalettes, PaletteData(Colours()), {.entry = 12, .name = "Certificate"});

    // The activity awards in their row (laid out 6, 3, 4, 5, 0, 1, 2), earned and not.
    struct Award {
        uint16_t earned;
        uint16_t notEarned;
        uint8_t colour;
    };
    static const Award kAwards[] = {{199, 193, kRed},  {200, 194, kBlue}, {201, 195, kGold}, {188, 189, kGreen},
                                    {197, 191, kGold}, {196, 190, kBlue}, {198, 192, kRed}};
    static const int kSlot[] = {4, 5, 6, 1, 2, 3, 0};
    for (int k = 0; k < 7; ++k) {
        const int x = 70 + 90 * kSlot[k];
        data.parts.AddPart(Still(Badge(kAwards[k].colour, true), x, 330), kAwards[k].earned);
        data.parts.AddPart(Still(Badge(kAwards[k].colour, false), x, 330), kAwards[k].notEarned);
    }
    // The special awards: the first, then each town's second and third.
    data.parts.AddPart(Still(Badge(kGreen, true), 80, 150), 202);
    for (const uint16_t entry : {203, 156, 157}) data.parts.AddPart(Still(Badge(kBlue, true), 150, 150), entry);
    for (const uint16_t entry : {204, 208, 254}) data.parts.AddPart(Still(Badge(kGold, true), 220, 150), entry);
    // The rank pictures (a plate growing with the rank) and the mission-2 pictures.
    const uint16_t kRanks[3][3] = {{256, 206, 274}, {1208, 514, 275}, {10, 277, 276}};
    for (const auto& town : kRanks)
        for (int r = 0; r < 3; ++r) data.parts.AddPart(Still(Plate(40 + 20 * r, 40 + 20 * r, kGold), 560, 150), town[r]);
    for (const uint16_t entry : {278, 280, 279}) data.parts.AddPart(Still(Plate(80, 50, kGreen), 330, 220), entry);
    // Panel 7's pictures: a printer with the page coming out, and a printer crossed out when
    // there is none.
    data.parts.AddPart(Still(Printer(40, false), 320, 150), 1200);
    data.parts.AddPart(Still(Printer(0, true), 320, 150), 1199);
    const uint32_t backButton = data.parts.AddPart(Still(Plate(60, 40, kGreen), 0, 0)).part;
    const uint32_t printButton = data.parts.AddPart(Still(Plate(60, 40, kBlue), 0, 0)).part;

    for (const uint16_t entry : kVoices)
        data.file.AddChunk(GameData::kSnippets, Tone(250.0 + entry % 400),
                           {.entry = entry, .name = "Voice " + std::to_string(entry), .property = PropertyRecordBytes().SoundDefaults()});
    for (const TownTune& tune : kMusic) AddMusicTrack(data, tune.entry, tune.notes, "Music " + std::to_string(tune.entry));
    AddGameText(data, 269, u"Printing your certificate...", "Printing");
    AddGameText(data, 270, u"No printer is set up.", "No printer");
    data.file.AddChunk(GameData::kMovies, MakeMovieClip({.width = 320, .height = 240, .frames = 30, .toneHz = 523.0}),
                       {.entry = 10, .name = "closing movie"});

    struct Screen {
        uint16_t entry;
        uint32_t classId;
        const char* name;
    };
    static const Screen kScreens[] = {{6, 600, "Circus town certificate"},
                                      {21, 601, "Zoo certificate"},
                                      {20, 603, "City certificate"}};
    for (const Screen& screen : kScreens) {
        ActivityPlan activity{.classId = screen.classId, .backgroundId = page, .paletteId = palette};
        activity.properties.Pair(50, 1, 320, 240);
        // The styles of the awards' counts (right-aligned, so that each stands clear of the
        // award before it and ends short of its own) and of the player's name (centred).
        ObjectPlan counts{.classId = 76, .objectId = 1};
        counts.properties.Pair(50, 1, 600, 20).Text(70, 11, "Arial").Short(70, 7, 18).Long(70, 4, 1)
            .Long(70, 9, kInkText);
        ObjectPlan name{.classId = 76, .objectId = 2};
        name.properties.Pair(50, 1, 600, 40).Text(70, 11, "Arial").Short(70, 7, 24).Long(70, 4, 2)
            .Long(70, 9, kInkText);
        ObjectPlan back{.classId = 1001, .objectId = 1, .partId = backButton};
        back.properties.Pair(50, 1, buttons::kCertificateBack.x, buttons::kCertificateBack.y).Short(50, 3, 1).Short(1001, 1, 5);
        ObjectPlan print{.classId = 1310, .objectId = 2, .partId = printButton};
        print.properties.Pair(50, 1, buttons::kCertificatePrint.x, buttons::kCertificatePrint.y).Short(50, 3, 1);
        activity.objects = {counts, name, back, print};
        data.file.AddChunk(GameData::kActivities, ActivityData(activity), {.entry = screen.entry, .name = screen.name});
    }
}

// The sign-in screen's props and chunks: the badge font (text view 2), the delete label (text
// view 100), the continue badge (a blue arrow, to the garage 5) with the state 3 it shows
// while the start hint is spoken, the delete button and the quit badge (to 7); the empty
// badge {2, 0, 891}, the badge background {2, 0, 1000}, the delete question's picture
// {2, 0, 1080} and text {17, 0, 49}; the help lines' voices (tones of 0.25 s), the back-from-
// the-garage music {7, 0, 561} (a tune), the name suggestions {17, 0, 318..325} and the
// first-time movie {18, 0, 6} (a clip of 0.4 s).
#include <string>
#include <vector>

#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/MovieClips.h"
#include "tools/synthetic/GameData.h"
#include "tools/synthetic/GameTexts.h"
#include "tools/synthetic/ScreenButtons.h"

using namespace vqt::test;

namespace {

enum : uint8_t { kRed = 128, kYellow = 129, kWhite = 130, kDark = 131, kBlue = 132, kNavy = 138, kSky = 139 };

/// A 270 x 44 badge: a border and a face, with a dashed middle line when empty.
Picture BadgeBox(uint8_t face, uint8_t border, bool dashed) {
    Picture p(270, 44, face);
    for (int y = 0; y < 44; ++y)
        for (int x = 0; x < 270; ++x) {
            if (x < 3 || x >= 267 || y < 3 || y >= 41) p.at(x, y) = border;
            else if (dashed && y >= 21 && y <= 22 && x >= 20 && x < 250 && x / 10 % 2 == 0) p.at(x, y) = border;
        }
    return p;
}

/// An arrow (or a cross) on a round face of 60 x 60.
Picture Round(uint8_t face, uint8_t ring, bool cross) {
    Picture p(60, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            const int dx = x - 30;
            const int dy = y - 30;
            if (dx * dx + dy * dy > 29 * 29) continue;
            p.at(x, y) = dx * dx + dy * dy <= 24 * 24 ? face : ring;
            const bool symbol = cross ? std::abs(std::abs(dx) - std::abs(dy)) <= 2 && std::abs(dx) <= 12
                                      : (dx >= -14 && dx < 2 && std::abs(dy) <= 4) || (dx >= 2 && dx <= 14 && std::abs(dy) <= 14 - dx);
            if (symbol) p.at(x, y) = kWhite;
        }
    return p;
}

PartPlan States(const std::vector<Picture>& pictures) {
    PartPlan part;
    for (const Picture& p : pictures)
        part.states.push_back(StatePlan{.frames = {FramePlan{.picture = p, .hotX = int16_t(p.width / 2), .hotY = int16_t(p.height / 2)}}});
    return part;
}

ObjectPlan Object(uint32_t classId, uint32_t objectId, uint32_t part, int16_t x, int16_t y) {
    ObjectPlan object{.classId = classId, .objectId = objectId, .partId = part};
    object.properties.Pair(50, 1, x, y);
    return object;
}

uint32_t AddText(GameData& data, uint16_t entry, const char16_t* text,
                 SourcePlace where = SourcePlace::current()) {
    return AddGameText(data, entry, text, "Text " + std::to_string(entry), where);
}

} // namespace

std::vector<ObjectPlan> AddSignInScreenProps(GameData& data) {
    data.parts.AddPart(States({BadgeBox(kNavy, kSky, true), BadgeBox(kNavy, kYellow, true)}), 891);
    data.parts.AddPart(States({BadgeBox(kSky, kYellow, false)}), 1000);
    data.parts.AddPart(States({BadgeBox(kRed, kWhite, false)}), 1080);
    // Up, down, hover, and the lit state 3 of the continue badge.
    const uint32_t go = data.parts.AddPart(States({Round(kBlue, kWhite, false), Round(kNavy, kWhite, false),
                                                   Round(kBlue, kYellow, false), Round(kYellow, kWhite, false)})).part;
    const uint32_t remove = data.parts.AddPart(States({Round(kRed, kWhite, true), Round(kDark, kWhite, true),
                                                       Round(kRed, kYellow, true)})).part;

    AddMusicTrack(data, 561, {392.0, 493.88, 587.33, 493.88, 440.0, 523.25, 493.88, 392.0},
                  "Music: back from the garage");
    for (const uint16_t voice : {589, 590, 591, 593, 594, 595, 596, 597, 598, 599, 602, 604, 759, 213, 214, 89})
        data.file.AddChunk(GameData::kSnippets, Tone(200.0 + voice / 2.0),
                           {.entry = voice, .name = "Voice " + std::to_string(voice), .property = PropertyRecordBytes().SoundDefaults()});
    static const char16_t* const kSuggestions[] = {u"Sparky", u"Rusty", u"Dash", u"Ziggy", u"Pip", u"Comet", u"Echo", u"Nova"};
    for (uint16_t k = 0; k < 8; ++k) AddText(data, uint16_t(318 + k), kSuggestions[k]);
    AddText(data, 49, u"Delete this player?");
    AddText(data, 51, u"Delete");
    data.file.AddChunk(GameData::kMovies, MakeMovieClip({.width = 320, .height = 240, .frames = 6, .toneHz = 550.0}),
                       {.entry = 6, .name = "first-time movie"});

    ObjectPlan font = Object(76, 2, 0, -100, -100);
    font.properties.Text(70, 11, "Arial").Short(70, 7, 24).Long(70, 9, 0x00FFFFFF);
    ObjectPlan label = Object(76, 100, 0, 80, 445);
    label.properties.Text(70, 11, "Arial").Short(70, 7, 14).Long(70, 4, 2).Byte(70, 8, 1).Short(70, 1, 51);
    ObjectPlan panelTexts = Object(76, 1000, 0, -100, -100);
    panelTexts.properties.Text(70, 11, "Arial").Short(70, 7, 20).Long(70, 4, 2).Byte(70, 8, 1).Long(70, 9, 0x00FFFFFF);
    // The buttons stand below the badges, clear of the host (bottom right) and of the captions
    // (along the bottom).
    using buttons::kSignInContinue, buttons::kSignInDelete, buttons::kSignInQuit;
    ObjectPlan forward = Object(1001, 1, go, int16_t(kSignInContinue.x), int16_t(kSignInContinue.y));
    forward.properties.Short(50, 3, 1).Short(1001, 1, 5);
    ObjectPlan quit = Object(1001, 3, remove, int16_t(kSignInQuit.x), int16_t(kSignInQuit.y));
    quit.properties.Short(50, 3, 1).Short(1001, 1, 7);
    return {font, label, panelTexts, forward, Object(1320, 2, remove, int16_t(kSignInDelete.x), int16_t(kSignInDelete.y)), quit};
}

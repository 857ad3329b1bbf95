#pragma once
// The game-data file that the generator writes: one chunk file whose indexes carry the numbers
// that the game's hard-coded chunk ids fix ({1, 0, n} activities, {2, 0, n} parts, {7, 0, n}
// snippets, {9, 0, n} frames, {12, 0, n} chunk lists, {17, 0, n} texts, {18, 0, n} movies).
// Every index exists, empty or not, so that the numbers line up.
#include <cstdint>
#include <string>

#include <vector>

#include "tools/builders/ActivityBuilder.h"
#include "tools/builders/ChunkFileBuilder.h"
#include "tools/builders/PartBuilder.h"
#include "tools/synthetic/GameTexts.h"

struct GameData {
    enum : uint8_t {
        kActivities = 1,
        kParts = 2,
        kStates = 3,
        kCommonBlocks = 4,
        kCompressed = 5,
        kTexts = 6, ///< text files such as "app_props.txt"
        kSnippets = 7,
        kPalettes = 8,
        kFrames = 9,
        kPaths = 10,
        kChunkLists = 12,
        kMessages = 17, ///< "utxt"
        kMovies = 18,
    };

    /// Parts added without an entry of their own are numbered from here on, above every art
    /// id the game names.
    static constexpr uint16_t kFirstFreePart = 2000;

    GameData();
    /// A copy that goes on from where `other` stands, writing into its own file.
    GameData(const GameData& other);
    GameData& operator=(const GameData&) = delete;

    vqt::test::ChunkFileBuilder file;
    /// Parts, states and their compressed frames, into the indexes above.
    vqt::test::PartBuilder parts;
    /// Views that other generators stand on the first activity, after its own.
    std::vector<vqt::test::ObjectPlan> firstActivityObjects;
    /// The texts written so far by entry, which AddGameText checks each new one against.
    WrittenTexts writtenTexts;
};

/// Adds part {2, 0, entry} unless a screen made before has it: the game names some art from
/// several screens, and the first to need it makes it for all. Answers the part's chunk id.
uint32_t AddSharedPart(GameData& data, const vqt::test::PartPlan& plan, uint16_t entry);

/// Adds snippet {7, 0, entry}, a tone of the frequency with the sound defaults, unless a screen
/// made before has it (as AddSharedPart).
void AddSharedTone(GameData& data, uint16_t entry, double frequency, const std::string& name);

/// Adds snippet {7, 0, entry}, a screen's music: a tune of the notes (in Hz, half a second
/// each) that the music process loops without a click, unless a screen made before has it.
void AddMusicTrack(GameData& data, uint16_t entry, const std::vector<double>& notes, const std::string& name);

/// The middle row of the counter bar {2, 0, 14} (y 0 to 28): every counter icon stands with its
/// middle on it, and the number written beside an icon (2 pixels higher, 20 high) keeps inside
/// the bar, clear of the panels' titles below it.
inline constexpr int16_t kCounterRowY = 14;

/// A screen's counter panel mode (activity property 200/1), which also shows the host: the
/// shell's screens show the host alone, the towns and the games their counters on the bar.
inline constexpr int16_t kHostOnlyPanelMode = 1;
inline constexpr int16_t kCounterBarPanelMode = 2;

/// The counter bar's slots, left to right: where an icon standing in slot k has its middle. A
/// slot holds an icon (at most kCounterIconWidth x kCounterIconHeight) and the number written
/// right of it; the middle of the bar (x 260 to 380) is left to the games' own boxes at the top of the stage.
inline constexpr int16_t kCounterSlotX[] = {45, 165, 445};
inline constexpr int kCounterIconWidth = 32, kCounterIconHeight = 26;
/// The slot of the badge icon {2, 0, 54}: the towns show it as their third counter, the games as
/// their second. An icon that several screens show stands in the slot of its rightmost use, so
/// that no screen shows two icons in one slot.
inline constexpr int kBadgeCounterSlot = 2;

/// `plan` as a counter icon's part standing in `slot`: every frame shrunk to fit the slot's icon
/// and its hot spot (where the panel puts the icon) on the slot's middle.
vqt::test::PartPlan InCounterSlot(vqt::test::PartPlan plan, int slot);

/// An end panel's picture, centred at (320, 150), is this tall: it reaches from y 70 to 230; the
/// panel writes its count in the middle.
inline constexpr int kScoreCardHeight = 160;

/// An end panel's picture: `art` standing at the bottom of a card as wide as it and
/// kScoreCardHeight tall, of the fill colour with a two-pixel border, which shows through the
/// art's clear pixels. A plate of the fill colour in the card's middle keeps the count readable
/// where the art reaches up behind it.
vqt::test::Picture ScoreCard(const vqt::test::Picture& art, uint8_t fill, uint8_t border);

/// A w x h picture of the fill colour with a two-pixel border of another.
vqt::test::Picture FramedBox(int w, int h, uint8_t fill, uint8_t border);

/// A snippet chunk's data: a tone of the frequency, a quarter of a second fading from a quarter
/// of full scale to a quarter of that, as raw 8-bit mono sound at 22050 Hz.
vqt::test::Bytes Tone(double frequency);

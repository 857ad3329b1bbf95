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

/// `plan` as a counter icon's part: every frame's hot spot (where the icon stands) moved onto
/// the counter row, its x kept.
vqt::test::PartPlan OnCounterRow(vqt::test::PartPlan plan);

/// An end panel's picture, centred at (320, 150), is this tall: it reaches from y 70 to 230 and
/// holds the score the panel writes at its top (from y 75) wholly.
inline constexpr int kScoreCardHeight = 160;

/// An end panel's picture: `art` standing at the bottom of a card as wide as it and
/// kScoreCardHeight tall, of the fill colour with a two-pixel border, which shows through the
/// art's clear pixels.
vqt::test::Picture ScoreCard(const vqt::test::Picture& art, uint8_t fill, uint8_t border);

/// A w x h picture of the fill colour with a two-pixel border of another.
vqt::test::Picture FramedBox(int w, int h, uint8_t fill, uint8_t border);

/// A snippet chunk's data: a tone of the frequency, a quarter of a second fading from a quarter
/// of full scale to a quarter of that, as raw 8-bit mono sound at 22050 Hz.
vqt::test::Bytes Tone(double frequency);

#pragma once
// What sets one town apart from another: its vehicles, places, sounds, spoken lines and
// challenge areas. The town's play itself (TownWorld) reads only these tables.
#include <cstddef>
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/data/ChunkId.h"

/// A vehicle of the town (a garage value): its part, light prop, speeds and engine sounds (a
/// null sound plays nothing).
struct TownVehicle {
    uint16_t value;
    ChunkId part;
    ChunkId light;
    float speed;
    float normalSpeed;
    float sirenSpeed;
    ChunkId haltSound;
    ChunkId engineLoop;
};

/// A challenge area (way points 1 to 4): the record flag that arms it, the player counter whose
/// non-zero value chooses the repeat line, the two lines, the mini-game and the confirmation
/// panel's picture and text.
struct TownChallenge {
    int flag;
    int counter;
    int repeatLine;
    int firstLine;
    ChunkId activity;
    ChunkId picture;
    ChunkId text;
};

/// Marks of a spoken line: dropped while another message is queued (Q); dropped while the
/// once-only flag is set, and sets it (O).
enum TownLineMark : uint8_t { kLineWhenQuiet = 1, kLineOnce = 2 };

struct TownLine {
    int number;
    uint16_t voice;
    uint8_t marks;
    const char* caption;
};

/// The lines the guide arrow's choice speaks.
struct TownArrowLines {
    int follow;    ///< toward a task prop
    int lastOne;   ///< toward the last task prop not yet taken
    int nextStop;  ///< toward the nearest armed way point
    int mission;   ///< toward the mission
};

struct TownTable {
    int world;
    int visitCounter;
    CPoint16 startPosition;
    int32_t startHeading;
    /// Where the menu's buttons 1 to 3 put the town's stored position.
    CPoint16 menuPosition;
    const TownVehicle* vehicles;
    size_t vehicleCount;
    /// The siren with a light prop, and without one (the vehicle's variant 1).
    ChunkId sirenSound;
    ChunkId variantSirenSound;
    ChunkId music;
    ChunkId movie;
    /// The town's end, and the menu's button 1.
    ChunkId endActivity;
    ChunkId menuActivity;
    /// Areas 1 to 4.
    const TownChallenge* challenges;
    int playLine;
    const TownLine* lines;
    size_t lineCount;
    int refillLine;
    int hintLine;
    TownArrowLines arrowLines;
    /// Played when a task or the mission is finished.
    ChunkId taskDoneSound;
    /// The way point where the linked followers are delivered; -1 for none.
    int deliveryArea;
    /// Said when followers are delivered while none has come home yet (-1: silent).
    int moreFollowersLine;
    /// A token's first line of the visit, and the first of the later ones (-1: silent).
    int firstTokenLine;
    int laterTokenLine;
    int laterTokenLines;
};

inline constexpr int kTownChallenges = 4;

#pragma once
// The city's tables ("WMetropolis_Activity", world 2): its vehicles and their canister throws,
// sounds, places, quotas, counters and spoken lines. The town's code reads these; the game-data
// generator makes every chunk they name.
#include <iterator>

#include "game/world/towns/TownTables.h"

namespace towns::city {

inline constexpr uint32_t kClassId = 501;
inline constexpr int kWorld = 2;
inline constexpr CPoint16 kStartPosition{319, 1335};
inline constexpr int32_t kStartHeading = 20;
/// Where buttons 1-3 of panel 0 put the vehicle for the next visit.
inline constexpr CPoint16 kPanelPosition{200, 1500};

/// The garage's values 4 and 5.
inline constexpr TownVehicle kVehicles[] = {
    {4, MakeChunkId(2, 698), MakeChunkId(2, 678), 150.0f, 150.0f, 225.0f, MakeChunkId(7, 54), MakeChunkId(7, 37)},
    {5, MakeChunkId(2, 677), MakeChunkId(2, 700), 175.0f, 175.0f, 250.0f, MakeChunkId(7, 40), MakeChunkId(7, 41)},
};
/// The selected-vehicle values with a siren; CTRL does nothing else for the others.
inline constexpr uint16_t kSirenVehicles[] = {2, 4, 5};
inline constexpr ChunkId kSirenSound = MakeChunkId(7, 58);

/// A burst of laughing-gas canisters: the world's action cooldown (and its action timer's
/// duration) with the vehicle, how many canisters, how far apart, and each one's flight.
struct CanisterBurst {
    uint16_t vehicle;
    uint32_t actionMs;
    int32_t count;
    uint32_t intervalMs;
    ChunkId part;
    float distance;
    uint32_t flightMs;
};
inline constexpr CanisterBurst kCanisterBursts[] = {
    {4, 600, 3, 45, MakeChunkId(2, 675), 425.0f, 450},
    {5, 400, 5, 20, MakeChunkId(2, 676), 525.0f, 750},
};
inline constexpr uint32_t kCanisterLifeMs = 850;
inline constexpr float kCanisterSpin = 2000.0f;

inline constexpr ChunkId kMusic = MakeChunkId(7, 151);
/// Played before the music when the city is entered from {1, 0, 5}.
inline constexpr ChunkId kArrivalSound = MakeChunkId(7, 579);
inline constexpr ChunkId kArrivalFrom = MakeChunkId(1, 5);
/// A finished task or mission.
inline constexpr ChunkId kTaskDoneSound = MakeChunkId(7, 585);
inline constexpr ChunkId kMissionMovie = MakeChunkId(18, 8);
/// The town's end (its certificate), and what a mini-game requests to come back.
inline constexpr ChunkId kEndActivity = MakeChunkId(1, 20);
inline constexpr ChunkId kTownActivity = MakeChunkId(1, 17);
inline constexpr int16_t kVisitCounter = 14;

/// Object ids: the criminals, the loot, the mission's destructibles (3 + m) and its captive and
/// pen (6 + m).
inline constexpr uint32_t kCriminals = 1, kLoot = 2, kFirstMissionProps = 3, kFirstCaptive = 6;
/// Each mission's destructibles and captive set (quota[3 + m] and quota[6 + m]).
inline constexpr int16_t kMissionQuota = 11;
/// The extra words of the player record that hold the destructibles' states, by index.
inline constexpr int kFirstStateWord = 0, kLastStateWord = 10;
/// Quota 1 counts the loot, 2 the criminals, 3 the mission's destructibles.
inline constexpr QuotaDefault kQuotaDefaults[] = {{1, 15}, {2, 20}, {3, 11}};

inline constexpr CounterShown kTaskCounters[] = {
    {CounterShown::kQuota2Left, MakeChunkId(2, 283), -5},
    {CounterShown::kQuota1Left, MakeChunkId(2, 282), 0},
    {CounterShown::kBadges, MakeChunkId(2, 54), 0},
};
inline constexpr CounterShown kMissionCounters[] = {
    {CounterShown::kQuota3Left, MakeChunkId(2, 1108), 0},
    {CounterShown::kBadges, MakeChunkId(2, 54), 0},
};

/// Line numbers the town's code speaks beside those of its TownTable.
enum Line : int16_t { kCriminalSeen = 0, kCriminalSeenToo = 1, kFirstLootTaken = 6, kLootSeen = 7, kShooA = 15, kShooB = 16 };
/// The lines one of which a criminal taken says (rand() % 4), and a pile of loot (rand() % 3).
inline constexpr int16_t kCriminalTakenLines[] = {2, 3, 26, 27};
inline constexpr int16_t kLootTakenLines[] = {8, 9, 25};

/// The spoken lines by number (numbers missing here queue nothing).
inline constexpr TownLine kCityLines[] = {
    {0, 787, kLineWhenQuiet, "Look there\x92s a criminal!  Don\x92t let him get away!"},
    {1, 788, kLineWhenQuiet, "Catch him!"},
    {2, 791, kLineWhenQuiet, "You need to find all of the criminals.  Keep going!"},
    {3, 289, kLineWhenQuiet, "His mischief days are over"},
    {4, 792, kLineWhenQuiet, "Detain the criminals with your laughing gas canister.  Then pick \x91" "em up."},
    {5, 793, kLineWhenQuiet, "There are more criminals out there.  Let\x92s find them and lock them up."},
    {6, 794, kLineWhenQuiet, "There\x92s more piles of stolen loot to be found.  Find them and pick them up."},
    {7, 954, kLineWhenQuiet, "There\x92s some stolen loot!  Go get it!"},
    {8, 956, kLineWhenQuiet, "You need to collect all the stolen loot."},
    {9, 957, kLineWhenQuiet, "You are doing well Fennmark Hero, keep going!"},
    {10, 672, kLineWhenQuiet, "You are entering a Fennmark Hero Challenge Area."},
    {11, 674, 0, "If you enter, any puppies you have now will need to be recollected."},
    {12, 675, 0, "If you enter, any penguins you have now will need to be recollected."},
    {14, 676, 0, "Do you want to play?"},
    {15, 731, kLineWhenQuiet, "Watch out!  Hero coming through!"},
    {16, 733, kLineWhenQuiet, "Make way for the emergency vehicle!"},
    {17, 734, kLineWhenQuiet | kLineOnce, "You are on your way to becoming the greatest hero of them all!"},
    {18, 735, kLineWhenQuiet | kLineOnce, "Follow the arrows to complete your mission."},
    {19, 736, kLineWhenQuiet | kLineOnce, "Those arrows will show you where to go.  Follow them to find more fires and puppies."},
    {20, 737, kLineWhenQuiet, "You got a badge!  Collect all the badges you can find to earn hero points."},
    {21, 738, kLineWhenQuiet, "Great badge collecting!  Try to get them all."},
    {22, 739, kLineWhenQuiet, "You\x92ve picked up another hero point!  Good job!"},
    {23, 740, kLineWhenQuiet, "Another hero point for you!"},
    {24, 1093, 0, "Oh no! More trouble makers are in Rododizeda again! Stop them and find the gold they took!"},
    {25, 1094, kLineWhenQuiet, "Keep going!"},
    {26, 290, kLineWhenQuiet, "He almost got away"},
    {27, 291, kLineWhenQuiet, "You got him"},
    {28, 419, 0, "There are reports of debris on Main Street, proceed with caution."},
    {29, 421, 0, "Robbery in progress at the candy store. Lets catch 'em in the act!"},
    {30, 423, 0, "There's a break in progress at the city bank. Looks like more mischief makers."},
    {31, 425, 0, "Someone's making a mess in the warehouse. Go check it out."},
    {32, 420, 0, "Race through the steets again?"},
    {33, 422, 0, "Patrol the candy store again?"},
    {34, 424, 0, "Enter the bank again?"},
    {35, 426, 0, "Enter the warehouse?"},
    {36, 1098, kLineWhenQuiet | kLineOnce, "Follow that arrow to find the last one."},
    {37, 1099, kLineWhenQuiet | kLineOnce, "You\x92re almost done! Follow that arrow to your next mission."},
    {38, 758, kLineWhenQuiet, "To start your car, press the spacebar."},
};

/// The challenge areas 1-4 in order: flag, counter, repeat and first line, activity, picture, text.
inline constexpr TownChallenge kCityAreas[kTownChallenges] = {
    {3, 6, 33, 29, MakeChunkId(1, 19), MakeChunkId(2, 1085), MakeChunkId(17, 73)},
    {4, 5, 32, 28, MakeChunkId(1, 22), MakeChunkId(2, 1087), MakeChunkId(17, 75)},
    {5, 7, 34, 30, MakeChunkId(1, 24), MakeChunkId(2, 1086), MakeChunkId(17, 74)},
    {6, 8, 35, 31, MakeChunkId(1, 25), MakeChunkId(2, 1088), MakeChunkId(17, 77)},
};

inline constexpr TownTable kTable = {
    .world = kWorld,
    .visitCounter = kVisitCounter,
    .startPosition = kStartPosition,
    .startHeading = kStartHeading,
    .menuPosition = kPanelPosition,
    .vehicles = kVehicles,
    .vehicleCount = std::size(kVehicles),
    .sirenSound = kSirenSound,
    .variantSirenSound = kSirenSound,
    .music = kMusic,
    .movie = kMissionMovie,
    .endActivity = kEndActivity,
    .menuActivity = kArrivalFrom,
    .challenges = kCityAreas,
    .playLine = 14,
    .lines = kCityLines,
    .lineCount = std::size(kCityLines),
    .refillLine = 24,
    .hintLine = 38,
    .arrowLines = {.follow = 18, .lastOne = 36, .nextStop = 37, .mission = 17},
    .taskDoneSound = kTaskDoneSound,
    .deliveryArea = -1,
    .moreFollowersLine = -1,
    .firstTokenLine = 20,
    .laterTokenLine = -1,
    .laterTokenLines = 0,
};

} // namespace towns::city

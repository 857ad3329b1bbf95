#pragma once
// The zoo's tables ("WZoo_Activity", world 1): its vehicles and their spot-light beams, sounds,
// places, quotas, counters and spoken lines. The town's code reads these; the game-data
// generator makes every chunk they name.
#include <iterator>

#include "game/world/towns/TownTables.h"

namespace towns::zoo {

inline constexpr uint32_t kClassId = 503;
inline constexpr int kWorld = 1;
inline constexpr CPoint16 kStartPosition{1918, 30};
inline constexpr int32_t kStartHeading = 16;
/// Where buttons 1-3 of panel 0 put the vehicle for the next visit.
inline constexpr CPoint16 kPanelPosition{2100, 150};

/// The garage's values 2 and 3.
inline constexpr TownVehicle kVehicles[] = {
    {2, MakeChunkId(2, 533), MakeChunkId(2, 534), 150.0f, 150.0f, 225.0f, MakeChunkId(7, 49), MakeChunkId(7, 59)},
    {3, MakeChunkId(2, 773), MakeChunkId(2, 774), 175.0f, 175.0f, 250.0f, MakeChunkId(7, 52), MakeChunkId(7, 50)},
};
inline constexpr ChunkId kSirenSound = MakeChunkId(7, 564);

/// The spot-light beam each vehicle carries: the world's action cooldown (and its action
/// timer's duration) with the vehicle, the beam's part (shown in state 1), how far it is moved
/// from the vehicle's position, and its sound.
struct BeamFit {
    uint16_t vehicle;
    uint32_t actionMs;
    ChunkId part;
    CPointF shift;
    ChunkId sound;
};
inline constexpr BeamFit kBeams[] = {
    {2, 500, MakeChunkId(2, 478), {-7.0f, 0.0f}, MakeChunkId(7, 129)},
    {3, 350, MakeChunkId(2, 674), {0.0f, 0.0f}, MakeChunkId(7, 130)},
};
inline constexpr int32_t kBeamOnState = 1;

inline constexpr ChunkId kMusic = MakeChunkId(7, 581);
/// A finished task or mission, and a penguin joining the line.
inline constexpr ChunkId kTaskDoneSound = MakeChunkId(7, 569);
inline constexpr ChunkId kPenguinAttachedSound = MakeChunkId(7, 135);
inline constexpr ChunkId kMissionMovie = MakeChunkId(18, 4);
/// The town's end (its certificate), and what a mini-game requests to come back.
inline constexpr ChunkId kEndActivity = MakeChunkId(1, 21);
inline constexpr ChunkId kTownActivity = MakeChunkId(1, 14);
inline constexpr int16_t kVisitCounter = 15;

/// Object ids: the monkeys, the penguins, the mission's guard monkeys (3 + m) and its keeper
/// and pen (6 + m).
inline constexpr uint32_t kMonkeys = 1, kPenguins = 2, kFirstGuards = 3, kFirstKeeper = 6;
/// The way point of the penguin house.
inline constexpr int16_t kPenguinHouse = 5;
/// How far around the keeper the guard monkeys patrol.
inline constexpr int16_t kGuardMargin = 100;
/// Quota 1 counts the monkeys, 2 the penguins, 3 the mission's guard monkeys.
inline constexpr QuotaDefault kQuotaDefaults[] = {{1, 15}, {2, 10}, {3, 10}};

inline constexpr CounterShown kTaskCounters[] = {
    {CounterShown::kQuota2Left, MakeChunkId(2, 159), -5},
    {CounterShown::kQuota1Left, MakeChunkId(2, 158), 0},
    {CounterShown::kBadges, MakeChunkId(2, 54), 0},
};
inline constexpr CounterShown kMissionCounters[] = {
    {CounterShown::kQuota3Left, MakeChunkId(2, 158), 0},
    {CounterShown::kBadges, MakeChunkId(2, 54), 0},
};

/// Line numbers the town's code speaks beside those of its TownTable.
enum Line : int16_t { kMonkeySeen = 0, kPenguinSeen = 8, kShooA = 17, kShooB = 18 };
/// The lines one of which the first monkey taken says (rand() % 3).
inline constexpr int16_t kFirstMonkeyLines[] = {3, 5, 7};

/// The spoken lines by number (numbers missing here queue nothing).
inline constexpr TownLine kZooLines[] = {
    {0, 984, kLineWhenQuiet, "Look there\x92s a monkey!  Shine your spot light beam to stop him!"},
    {1, 817, kLineWhenQuiet, "Great, you picked him up!"},
    {2, 818, kLineWhenQuiet, "You really are a hero.  Good job!"},
    {3, 819, kLineWhenQuiet, "You need to find all of the monkeys.  Keep going!"},
    {4, 820, kLineWhenQuiet, "Shine the monkey with your spot light"},
    {5, 985, kLineWhenQuiet, "There are more loose monkeys out there.  Let\x92s find them and pick them up."},
    {6, 822, kLineWhenQuiet, "There are more penguins.  Find them and bring them home safely."},
    {7, 823, kLineWhenQuiet, "Be a hero and pick up all the monkeys."},
    {8, 824, kLineWhenQuiet, "There\x92s a penguin!  Lead \x91" "em back to the penguin house!"},
    {9, 986, kLineWhenQuiet, "All the penguins need to go home.  Find the penguin house and lead them there."},
    {10, 826, kLineWhenQuiet, "Oooh ooh!  There\x92s another one."},
    {11, 987, kLineWhenQuiet, "Good job."},
    {12, 672, kLineWhenQuiet, "You are entering a Fennmark Hero Challenge Area."},
    {13, 674, 0, "If you enter, any puppies you have now will need to be recollected."},
    {14, 675, 0, "If you enter, any penguins you have now will need to be recollected."},
    {16, 676, 0, "Do you want to play?"},
    {17, 731, kLineWhenQuiet, "Watch out!  Hero coming through!"},
    {18, 733, kLineWhenQuiet, "Make way for the emergency vehicle!"},
    {19, 734, kLineWhenQuiet | kLineOnce, "You are on your way to becoming the greatest hero of them all!"},
    {20, 735, kLineWhenQuiet | kLineOnce, "Follow the arrows to complete your mission."},
    {21, 736, kLineWhenQuiet | kLineOnce, "Those arrows will show you where to go.  Follow them to find more fires and puppies."},
    {22, 737, kLineWhenQuiet, "You got a badge!  Collect all the badges you can find to earn hero points."},
    {23, 738, kLineWhenQuiet, "Great badge collecting!  Try to get them all."},
    {24, 739, kLineWhenQuiet, "You\x92ve picked up another hero point!  Good job!"},
    {25, 740, kLineWhenQuiet, "Another hero point for you!"},
    {26, 1083, kLineWhenQuiet, "Oh no! Those monkeys have escaped again! Go round them up. And lead the penguins back to their home."},
    {27, 1098, kLineWhenQuiet | kLineOnce, "Follow that arrow to find the last one."},
    {28, 1099, kLineWhenQuiet | kLineOnce, "You\x92re almost done! Follow that arrow to your next mission."},
    {29, 758, kLineWhenQuiet, "To start your car, press the spacebar."},
    {30, 489, 0, "Some of the monkeys are hiding in the safari exhibit."},
    {31, 493, 0, "So, now they're hiding in the trees. No problem."},
    {32, 495, 0, "Oh, no. The babies are lost and it's up to you to save them."},
    {33, 497, 0, "Some warm climate animals are stuck in the artic exhibit. Go round 'em up."},
    {34, 491, 0, "Race in the Safari Exhibit?"},
    {35, 494, 0, "Enter the Jungle Exhibit?"},
    {36, 496, 0, "Go to the Lagoon?"},
    {37, 498, 0, "Enter the Artic Exhibit?"},
};

/// The challenge areas 1-4 in order: flag, counter, repeat and first line, activity, picture, text.
inline constexpr TownChallenge kZooAreas[kTownChallenges] = {
    {3, 10, 35, 31, MakeChunkId(1, 16), MakeChunkId(2, 1089), MakeChunkId(17, 68)},
    {4, 9, 34, 30, MakeChunkId(1, 9), MakeChunkId(2, 1091), MakeChunkId(17, 70)},
    {5, 11, 36, 32, MakeChunkId(1, 10), MakeChunkId(2, 1090), MakeChunkId(17, 69)},
    {6, 12, 37, 33, MakeChunkId(1, 23), MakeChunkId(2, 1092), MakeChunkId(17, 72)},
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
    .menuActivity = MakeChunkId(1, 5),
    .challenges = kZooAreas,
    .playLine = 16,
    .lines = kZooLines,
    .lineCount = std::size(kZooLines),
    .refillLine = 26,
    .hintLine = 29,
    .arrowLines = {.follow = 20, .lastOne = 27, .nextStop = 28, .mission = 19},
    .taskDoneSound = kTaskDoneSound,
    .deliveryArea = kPenguinHouse,
    .moreFollowersLine = -1,
    .firstTokenLine = 22,
    .laterTokenLine = 23,
    .laterTokenLines = 3,
};

} // namespace towns::zoo

#pragma once
// The zoo's tables ("WZoo_Activity", world 1): its vehicles and their spot-light beams, sounds,
// places, quotas, counters and spoken lines. The town's code reads these; the game-data
// generator makes every chunk they name.
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
    {2, MakeChunkId(2, 533), MakeChunkId(2, 534), 150.0f, 150.0f, 225.0f, 500, MakeChunkId(7, 49), MakeChunkId(7, 59)},
    {3, MakeChunkId(2, 773), MakeChunkId(2, 774), 175.0f, 175.0f, 250.0f, 350, MakeChunkId(7, 52), MakeChunkId(7, 50)},
};
inline constexpr ChunkId kSirenSound = MakeChunkId(7, 564);

/// The spot-light beam each vehicle carries: its part (shown in state 1), how far it is moved
/// from the vehicle's position, and its sound.
struct BeamFit {
    uint16_t vehicle;
    ChunkId part;
    CPointF shift;
    ChunkId sound;
};
inline constexpr BeamFit kBeams[] = {
    {2, MakeChunkId(2, 478), {-7.0f, 0.0f}, MakeChunkId(7, 129)},
    {3, MakeChunkId(2, 674), {0.0f, 0.0f}, MakeChunkId(7, 130)},
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

/// Line numbers the town's code speaks.
enum Line : int16_t {
    kMonkeySeen = 0, kPenguinSeen = 8, kQuestion = 16, kShooA = 17, kShooB = 18, kMissionArrow = 19, kTaskArrow = 20,
    kFirstBadge = 22, kRefill = 26, kLastOneArrow = 27, kWayPointArrow = 28, kHint = 29,
};
/// The lines one of which the first monkey taken says (rand() % 3).
inline constexpr int16_t kFirstMonkeyLines[] = {3, 5, 7};
/// Later badges (rand() % 3).
inline constexpr int16_t kBadgeLines[] = {23, 24, 25};

/// The spoken lines by number (numbers missing here queue nothing).
inline constexpr TownLine kZooLines[] = {
    {0, 984, kQ, "Look there\x92s a monkey!  Shine your spot light beam to stop him!"},
    {1, 817, kQ, "Great, you picked him up!"},
    {2, 818, kQ, "You really are a hero.  Good job!"},
    {3, 819, kQ, "You need to find all of the monkeys.  Keep going!"},
    {4, 820, kQ, "Shine the monkey with your spot light"},
    {5, 985, kQ, "There are more loose monkeys out there.  Let\x92s find them and pick them up."},
    {6, 822, kQ, "There are more penguins.  Find them and bring them home safely."},
    {7, 823, kQ, "Be a hero and pick up all the monkeys."},
    {8, 824, kQ, "There\x92s a penguin!  Lead \x91" "em back to the penguin house!"},
    {9, 986, kQ, "All the penguins need to go home.  Find the penguin house and lead them there."},
    {10, 826, kQ, "Oooh ooh!  There\x92s another one."},
    {11, 987, kQ, "Good job."},
    {12, 672, kQ, "You are entering a Fennmark Hero Challenge Area."},
    {13, 674, kNoMark, "If you enter, any puppies you have now will need to be recollected."},
    {14, 675, kNoMark, "If you enter, any penguins you have now will need to be recollected."},
    {16, 676, kNoMark, "Do you want to play?"},
    {17, 731, kQ, "Watch out!  Hero coming through!"},
    {18, 733, kQ, "Make way for the emergency vehicle!"},
    {19, 734, kQO, "You are on your way to becoming the greatest hero of them all!"},
    {20, 735, kQO, "Follow the arrows to complete your mission."},
    {21, 736, kQO, "Those arrows will show you where to go.  Follow them to find more fires and puppies."},
    {22, 737, kQ, "You got a badge!  Collect all the badges you can find to earn hero points."},
    {23, 738, kQ, "Great badge collecting!  Try to get them all."},
    {24, 739, kQ, "You\x92ve picked up another hero point!  Good job!"},
    {25, 740, kQ, "Another hero point for you!"},
    {26, 1083, kQ, "Oh no! Those monkeys have escaped again! Go round them up. And lead the penguins back to their home."},
    {27, 1098, kQO, "Follow that arrow to find the last one."},
    {28, 1099, kQO, "You\x92re almost done! Follow that arrow to your next mission."},
    {29, 758, kQ, "To start your car, press the spacebar."},
    {30, 489, kNoMark, "Some of the monkeys are hiding in the safari exhibit."},
    {31, 493, kNoMark, "So, now they're hiding in the trees. No problem."},
    {32, 495, kNoMark, "Oh, no. The babies are lost and it's up to you to save them."},
    {33, 497, kNoMark, "Some warm climate animals are stuck in the artic exhibit. Go round 'em up."},
    {34, 491, kNoMark, "Race in the Safari Exhibit?"},
    {35, 494, kNoMark, "Enter the Jungle Exhibit?"},
    {36, 496, kNoMark, "Go to the Lagoon?"},
    {37, 498, kNoMark, "Enter the Artic Exhibit?"},
};

/// The challenge areas 1-4: flag, counter, repeat and first line, activity, picture, text.
inline constexpr ChallengeArea kZooAreas[] = {
    {1, 3, 10, 35, 31, MakeChunkId(1, 16), MakeChunkId(2, 1089), MakeChunkId(17, 68)},
    {2, 4, 9, 34, 30, MakeChunkId(1, 9), MakeChunkId(2, 1091), MakeChunkId(17, 70)},
    {3, 5, 11, 36, 32, MakeChunkId(1, 10), MakeChunkId(2, 1090), MakeChunkId(17, 69)},
    {4, 6, 12, 37, 33, MakeChunkId(1, 23), MakeChunkId(2, 1092), MakeChunkId(17, 72)},
};

} // namespace towns::zoo

#pragma once
// The values of the three round-ups.
#include "game/minigames/roundup/RoundUpTown.h"
#include "game/shell/Captions.h"

namespace round_up_towns {
namespace detail {

using When = RoundUpTown::When;

constexpr ChunkId Art(uint16_t n) { return MakeChunkId(2, n); }
constexpr ChunkId Voice(uint16_t n) { return MakeChunkId(7, n); }
constexpr ChunkId Text(uint16_t n) { return MakeChunkId(17, n); }

constexpr RoundUpTown::Hint Say(uint16_t voice, const char* caption, When when = When::Always) {
    return {when, 1, {voice, 0, 0}, {caption, nullptr, nullptr}};
}
constexpr RoundUpTown::Hint Nothing() { return {When::Never, 0, {0, 0, 0}, {nullptr, nullptr, nullptr}}; }

inline constexpr const char* kCircleAround = "Drive your emergency vehicle in a circle around them.";
inline constexpr const char* kBeforeTracks = "Be sure to complete the circle before the tracks disappear.";
inline constexpr const char* kGettingAway = "They\x92re getting away.  Round \x91" "em up!";
inline constexpr const char* kCompleteCircle = "Be sure to make a complete circle around them.";
inline constexpr const char* kGotEm = "You got \x91" "em!  Great work.";
inline constexpr const char* kMultiple = "Multiple pick-up! You\x92re good!";

} // namespace detail

using namespace detail;

inline constexpr RoundUpTown kCircus = {
    .world = 0,
    .vehicles = {{0, Art(209), Art(776), Art(836), Voice(56), Voice(44), Art(953), 150.0f, 500},
                 {1, Art(87), Art(545), Art(772), Voice(55), Voice(43), Art(954), 175.0f, 500}},
    .startPosition = {300, 400},
    .counterIcon = Art(918),
    .startHints = {0, 1, 2, 3, 4, -1},
    .levelTexts = {Text(30), Text(87), Text(88)},
    .title = Text(29),
    .winPicture = Art(1126),
    .winSound = Voice(575),
    .music = 562,
    .easierArt = Art(1093),
    .easierText = Text(256),
    .playAgain = 18,
    .returnTo = 8,
    .hint9ByLowBit = false,
    .hints = {Say(768, "The circus animals are lost and hungry! "),
              Say(769, "Since you\x92re the hero around here, you gotta round these characters up."),
              Say(770, kCircleAround), Say(771, kBeforeTracks),
              Say(772, "Let\x92s get to corralling these guys to get them back to their cages!"),
              Say(775, "Get around those characters!", When::Quiet), Nothing(),
              Say(950, kGettingAway, When::Quiet), Say(951, kCompleteCircle, When::Quiet),
              Say(941, kGotEm, When::Idle), Say(1082, kMultiple, When::Idle),
              Say(773, "That\x92s the way to round \x91" "em up!  Great job."),
              Say(774, "Do you want to play again or return to Rozodudurid?")},
};

inline constexpr RoundUpTown kZoo = {
    .world = 1,
    .vehicles = {{2, Art(533), Art(534), Art(837), Voice(49), Voice(59), Art(955), 150.0f, 500},
                 {3, Art(773), Art(774), Art(838), Voice(52), Voice(50), Art(956), 175.0f, 500}},
    .startPosition = {200, 400},
    .counterIcon = Art(922),
    .startHints = {0, 1, 2, 3, 4, -1},
    .levelTexts = {Text(45), Text(90), Text(93)},
    .title = Text(44),
    .winPicture = Art(1134),
    .winSound = Voice(576),
    .music = 581,
    .easierArt = Art(1096),
    .easierText = Text(257),
    .playAgain = 23,
    .returnTo = 14,
    .hint9ByLowBit = true,
    .hints = {Say(847, "These guys need a hero to help them out."), Say(1000, "The zoo animals are on the loose."),
              Say(1001, "You gotta round these guys up so they can go back home."), Say(1002, kCircleAround),
              Say(1003, kBeforeTracks), Say(949, "Get around those animals!", When::Quiet),
              Say(950, kGettingAway, When::Quiet), Say(951, kCompleteCircle, When::Quiet), Nothing(),
              {When::Always, 2, {780, 936, 0}, {kGotEm, "He\x92s going home!  Good work hero!", nullptr}},
              Say(1082, kMultiple, When::Idle),
              Say(858, "That\x92s the way to round \x91" "em up!  Great job.  "),
              Say(1006, "Do you want to play again or return to Ruriziz?")},
};

inline constexpr RoundUpTown kCity = {
    .world = 2,
    .vehicles = {{4, Art(698), Art(678), Art(1007), Voice(54), Voice(37), Art(1039), 150.0f, 600},
                 {5, Art(677), Art(700), Art(1008), Voice(40), Voice(41), Art(1040), 175.0f, 400}},
    .startPosition = {300, 400},
    .counterIcon = Art(283),
    .startHints = {2, 3, 4, -1, -1, -1},
    .levelTexts = {Text(40), Text(89), Text(92)},
    .title = Text(42),
    .winPicture = Art(1130),
    .winSound = Voice(582),
    .music = 151,
    .easierArt = Art(1094),
    .easierText = Text(258),
    .playAgain = 25,
    .returnTo = 17,
    .hint9ByLowBit = false,
    .hints = {Say(963, "Drive your emergency vehicle around the criminals to round them up  "),
              Say(964, "Complete the circle before it disappears "),
              Say(963, "The criminals are sneaky. You gotta round them up and fast."),
              Say(964, "Drive your emergency vehicle in a circle around the criminals to pick them up."),
              Say(1003, kBeforeTracks), Say(942, "Get around those criminals!", When::Quiet),
              Say(950, kGettingAway, When::Quiet), Say(951, kCompleteCircle, When::Quiet),
              Say(948, "Round up all of them.  Keep going.", When::Quiet),
              {When::Idle, 3, {946, 936, 947}, {"What a hero!", kGotEm, "That one is behind bars where he belongs."}},
              Say(1082, kMultiple, When::Idle),
              Say(858, "That\x92s the way to round \x91" "em up!  Great job."),
              Say(968, "Do you want to play again or return to Rododizeda?")},
};

/// Lists the captions of a town's hints (game/shell/Captions.h); true.
inline bool ListCaptions(const RoundUpTown& town) {
    for (const RoundUpTown::Hint& hint : town.hints)
        for (uint8_t i = 0; i < hint.choices && i < 3; ++i) captions::List(hint.captions[i]);
    return true;
}

} // namespace round_up_towns

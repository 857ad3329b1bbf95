#include "game/shell/ZooCertificate.h"

#include "game/shell/Captions.h"
#include <iterator>

namespace {

constexpr CertificateWorld kWorld = {
    .world = 1,
    .townScreen = MakeChunkId(1, 14),
    .townMusic = 581,
    .rankPictures = {MakeChunkId(2, 1208), MakeChunkId(2, 514), MakeChunkId(2, 275)},
    .mission2Picture = MakeChunkId(2, 280),
    .specialAwards = {MakeChunkId(2, 156), MakeChunkId(2, 208)},
    .awardNamesWhenQuiet = true,
};

constexpr CertificateLine kLines[] = {
    {0, MakeChunkId(7, 883), "Wow!  That was great.  You really are a hero! "},
    {1, MakeChunkId(7, 884), "The Ranger General would like to honor you.  Here he is."},
    {2, MakeChunkId(7, 1060), "You are an inspiration to all police rangers.  "},
    {3, MakeChunkId(7, 1061), "Hats off to you Fennmark hero!"},
    {7, MakeChunkId(7, 1065), "For this I award you and promote you from Jr. Ranger to the rank of  Park Service Captain  "},
    {8, MakeChunkId(7, 1066), "I am also upgrading your emergency vehicle from Tollivar Patrollex to Tollivar Ridgeprowl"},
    {9, MakeChunkId(7, 1067), "Thank you for your heroic efforts.  "},
    {18, MakeChunkId(7, 1073), "For this I award you and promote you from Park Service Captain to the highest ranking of Park Chief."},
    {19, MakeChunkId(7, 1074), "This is a day to celebrate.  "},
    {20, MakeChunkId(7, 1075), "Thank you Fennmark hero!"},
    {43, MakeChunkId(7, 910), "Critter Catcher Award: For saving penguins from thawing out."},
    {44, MakeChunkId(7, 911), "True Zoo Grit Award: For recapturing renegade monkeys."},
    {45, MakeChunkId(7, 912), "Zoo Keeper's Award: for heroism above and beyond the call of duty."},
    {46, MakeChunkId(7, 255), "To get that award, go to the safari area"},
    {47, MakeChunkId(7, 257), "For that award, find the jungle area"},
    {48, MakeChunkId(7, 258), "To earn that award, go to the lake"},
    {49, MakeChunkId(7, 259), "To get that award, fix the trouble in the snow zone"},
    {50, MakeChunkId(7, 260), "For that award, lead the penguins back to their house before they get too hot"},
    {51, MakeChunkId(7, 261), "For that award, catch all the escaped monkeys"},
};
[[maybe_unused]] const bool kLinesListed = captions::List(kLines);

} // namespace

Zoo_Certificate_Activity::Zoo_Certificate_Activity() : Certificate_Activity("Zoo_Certificate_Activity", kClassId, kWorld) {}

Zoo_Certificate_Activity::~Zoo_Certificate_Activity() = default;

void Zoo_Certificate_Activity::SpeakLine(int16_t line) { SpeakFrom(kLines, std::size(kLines), line); }

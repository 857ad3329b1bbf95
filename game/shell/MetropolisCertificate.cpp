#include "game/shell/MetropolisCertificate.h"

#include "game/shell/Captions.h"
#include <iterator>

namespace {

constexpr CertificateWorld kWorld = {
    .world = 2,
    .townScreen = MakeChunkId(1, 17),
    .townMusic = 151,
    .rankPictures = {MakeChunkId(2, 10), MakeChunkId(2, 277), MakeChunkId(2, 276)},
    .mission2Picture = MakeChunkId(2, 279),
    .specialAwards = {MakeChunkId(2, 157), MakeChunkId(2, 254)},
    .awardNamesWhenQuiet = false,
};

constexpr CertificateLine kLines[] = {
    {0, MakeChunkId(7, 888), "You are the hero of the day.  Rododizeda has been put back in order. "},
    {1, MakeChunkId(7, 889), "It\x92s a real honor to work with hero like you. "},
    {2, MakeChunkId(7, 890), "The Head of the Police Squad would like to say a few words."},
    {3, MakeChunkId(7, 862), "Congratulations!  Well done hero!"},
    {7, MakeChunkId(7, 874), "For this I award you and promote you to the rank from Rookie Policeman to Patrolman."},
    {8, MakeChunkId(7, 875), "I am also upgrading your emergency vehicle from Tollivar Bulwarkan to Tollivar Rammelhorn."},
    {9, MakeChunkId(7, 877), "Thank you for your heroic efforts."},
    {18, MakeChunkId(7, 1058), "For this I award you and promote you to the highest rank of Chief of Police."},
    {19, MakeChunkId(7, 1059), "Hero, you are the best!"},
    {43, MakeChunkId(7, 906), "Loot Locator Award: For using your sharp eyes to spot the missing money."},
    {44, MakeChunkId(7, 907), "Trouble Tracker Award: For putting a stop to those mischief makers."},
    {45, MakeChunkId(7, 909), "Mayor's Award: for heroism above and beyond the call of duty."},
    {46, MakeChunkId(7, 246), "To get that award, fix the trouble on Main Street"},
    {47, MakeChunkId(7, 247), "To get that award, locate the candy store"},
    {48, MakeChunkId(7, 248), "To get that award, race to the bank"},
    {49, MakeChunkId(7, 249), "For that award, find the warehouse, near the water"},
    {50, MakeChunkId(7, 250), "For that award, collect the missing money bags"},
    {51, MakeChunkId(7, 251), "For that award, catch all of the Mischief Makers"},
};
[[maybe_unused]] const bool kLinesListed = captions::List(kLines);

} // namespace

Metropolis_Certificate_Activity::Metropolis_Certificate_Activity()
    : Certificate_Activity("Metropolis_Certificate_Activity", kClassId, kWorld) {}

Metropolis_Certificate_Activity::~Metropolis_Certificate_Activity() = default;

void Metropolis_Certificate_Activity::SpeakLine(int16_t line) { SpeakFrom(kLines, std::size(kLines), line); }

#include "game/shell/ToonCertificate.h"

#include "game/shell/Captions.h"
#include <iterator>

namespace {

constexpr CertificateWorld kWorld = {
    .world = 0,
    .townScreen = MakeChunkId(1, 8),
    .townMusic = 562,
    .rankPictures = {MakeChunkId(2, 256), MakeChunkId(2, 206), MakeChunkId(2, 274)},
    .mission2Picture = MakeChunkId(2, 278),
    .specialAwards = {MakeChunkId(2, 203), MakeChunkId(2, 204)},
    .awardNamesWhenQuiet = true,
};

constexpr CertificateLine kLines[] = {
    {0, MakeChunkId(7, 878), "Way to go Fennmark hero!  "},
    {1, MakeChunkId(7, 879), "We\x92ve got the Head of the Fire Department here and he wants to congratulate you on a job well done."},
    {2, MakeChunkId(7, 844), "Fennmark hero, you saved the city of Rozodudurid. "},
    {3, MakeChunkId(7, 845), "Job well done."},
    {7, MakeChunkId(7, 850), "For this I award you and promote you from Fire Cadet to the rank of Fire Fighter."},
    {8, MakeChunkId(7, 851), "I am also upgrading your emergency vehicle from tollivar Emberhusk to Tollivar Hydrovane"},
    {9, MakeChunkId(7, 852), "Thank you for your heroic efforts."},
    {18, MakeChunkId(7, 860), "For this I award you and promote you to the highest rank of Fire Chief."},
    {19, MakeChunkId(7, 861), "We salute you!"},
    {43, MakeChunkId(7, 903), "Cool Under Fire Award: for fighting fires."},
    {44, MakeChunkId(7, 904), "Canine Courage award: for being dogs' best friend."},
    {45, MakeChunkId(7, 905), "Ring Master's Hero Award: for heroism above and beyond the call of duty."},
    {46, MakeChunkId(7, 237), "To get that award, find the Fireworks Factory."},
    {47, MakeChunkId(7, 238), "To earn that award,  go to the appartment building."},
    {48, MakeChunkId(7, 239), "To get that award, go find the Circus tent"},
    {49, MakeChunkId(7, 240), "For that award, fix the problem at the park"},
    {50, MakeChunkId(7, 241), "To get that hero award, put out fires"},
    {51, MakeChunkId(7, 242), "To earn that hero award, lead the lost puppies back to the kennel"},
};
[[maybe_unused]] const bool kLinesListed = captions::List(kLines);

} // namespace

Toon_Certificate_Activity::Toon_Certificate_Activity()
    : Certificate_Activity("Toon_Certificate_Activity", kClassId, kWorld) {}

Toon_Certificate_Activity::~Toon_Certificate_Activity() = default;

void Toon_Certificate_Activity::SpeakLine(int16_t line) { SpeakFrom(kLines, std::size(kLines), line); }

#pragma once
// What each town's puzzle is made of: its activities, board, arts, pictures, voices and
// vehicles. The game's town puzzles and the data generator both read these, so the generated
// puzzles and the game cannot drift apart.
#include <cstdint>

#include "engine/data/ChunkId.h"

struct PuzzleTownValues {
    uint32_t classId;
    const char* name;
    /// The world index of the player record (0 circus town, 1 zoo, 2 city).
    uint16_t world;
    uint16_t ownEntry;
    uint16_t worldEntry;
    ChunkId straightArt;
    ChunkId curveArt;
    const int16_t* reserved;
    int32_t reservedCount;
    int16_t x0;
    int16_t y0;
    ChunkId personArts[4];
    ChunkId title;
    ChunkId levelPictures[3];
    ChunkId endPicture;
    uint16_t music;
    ChunkId endVoices[2];
    bool angleTest;
    bool city;
    ChunkId peopleIcon;
    /// The town's two vehicles are the player's vehicles firstVehicle and firstVehicle + 1.
    uint16_t firstVehicle;
    ChunkId vehicleArts[2];
    ChunkId lightArts[2];
    ChunkId siren;
    ChunkId leavePicture;
    ChunkId leaveText;
    ChunkId farewellVoice;
    const char* farewellCaption;
    /// The town's puzzle character, three states: lifting, holding, lowering.
    ChunkId characterArt;
};

namespace puzzle_towns {

inline constexpr int16_t kCircusReserved[] = {6, 42};
inline constexpr int16_t kZooReserved[] = {6, 42, 14, 21, 28, 35};
inline constexpr int16_t kCityReserved[] = {6, 13, 5, 12, 42, 43, 48};

inline constexpr PuzzleTownValues kCircus{
    400, "GPToon_Activity", 0, 13, 8, MakeChunkId(2, 222), MakeChunkId(2, 221), kCircusReserved, 2, 318, 56,
    {MakeChunkId(2, 55), MakeChunkId(2, 56), MakeChunkId(2, 57), MakeChunkId(2, 345)}, MakeChunkId(17, 18),
    {MakeChunkId(17, 1), MakeChunkId(17, 82), MakeChunkId(17, 83)}, MakeChunkId(2, 1125), 562,
    {MakeChunkId(7, 575), MakeChunkId(7, 574)}, false, false, MakeChunkId(2, 915), 0,
    {MakeChunkId(2, 209), MakeChunkId(2, 87)}, {MakeChunkId(2, 776), MakeChunkId(2, 545)}, MakeChunkId(7, 45),
    MakeChunkId(2, 1093), MakeChunkId(17, 253), MakeChunkId(7, 774),
    "Do you want to play again or return to Rozodudurid?", MakeChunkId(2, 1066)};
inline constexpr PuzzleTownValues kZoo{
    403, "GPZoo_Activity", 1, 10, 14, MakeChunkId(2, 625), MakeChunkId(2, 624), kZooReserved, 6, 318, 56,
    {MakeChunkId(2, 631), MakeChunkId(2, 632), MakeChunkId(2, 633), MakeChunkId(2, 634)}, MakeChunkId(17, 22),
    {MakeChunkId(17, 1), MakeChunkId(17, 82), MakeChunkId(17, 83)}, MakeChunkId(2, 1133), 581,
    {MakeChunkId(7, 576), MakeChunkId(7, 574)}, true, false, MakeChunkId(2, 511), 2,
    {MakeChunkId(2, 533), MakeChunkId(2, 773)}, {MakeChunkId(2, 534), MakeChunkId(2, 774)}, MakeChunkId(7, 564),
    MakeChunkId(2, 1096), MakeChunkId(17, 254), MakeChunkId(7, 1006),
    "Do you want to play again or return to Ruriziz?", MakeChunkId(2, 628)};
inline constexpr PuzzleTownValues kCity{
    401, "GPMetropolis_Activity", 2, 24, 17, MakeChunkId(2, 1032), MakeChunkId(2, 1031), kCityReserved, 7, 299, 66,
    {MakeChunkId(2, 831), MakeChunkId(2, 832), MakeChunkId(2, 833), MakeChunkId(2, 834)}, MakeChunkId(17, 35),
    {MakeChunkId(17, 37), MakeChunkId(17, 97), MakeChunkId(17, 103)}, MakeChunkId(2, 1129), 151,
    {MakeChunkId(7, 582), MakeChunkId(7, 574)}, false, true, MakeChunkId(2, 895), 4,
    {MakeChunkId(2, 698), MakeChunkId(2, 677)}, {MakeChunkId(2, 678), MakeChunkId(2, 700)}, MakeChunkId(7, 58),
    MakeChunkId(2, 1094), MakeChunkId(17, 255), MakeChunkId(7, 968),
    "Do you want to play again or return to Rododizeda?", MakeChunkId(2, 889)};

/// The puzzle's props and panels.
inline constexpr ChunkId kPointerArt = MakeChunkId(2, 451);
inline constexpr ChunkId kBadgeArt = MakeChunkId(2, 826);
inline constexpr ChunkId kBadgeIcon = MakeChunkId(2, 54);
inline constexpr ChunkId kPanelArt = MakeChunkId(2, 349);
inline constexpr ChunkId kPlayAgainButton = MakeChunkId(2, 9);
inline constexpr ChunkId kReturnButton = MakeChunkId(2, 1147);
inline constexpr ChunkId kEndTitle = MakeChunkId(17, 4);
inline constexpr ChunkId kStartVoice = MakeChunkId(7, 570);
/// The player's vehicles 0 to 5 on the start panel, and their engine sounds.
inline constexpr ChunkId kPanelVehicles[6] = {MakeChunkId(2, 723), MakeChunkId(2, 722), MakeChunkId(2, 1035),
                                              MakeChunkId(2, 807), MakeChunkId(2, 1037), MakeChunkId(2, 1038)};
inline constexpr ChunkId kEngineSounds[6] = {MakeChunkId(7, 44), MakeChunkId(7, 43), MakeChunkId(7, 59),
                                             MakeChunkId(7, 50), MakeChunkId(7, 37), MakeChunkId(7, 41)};

/// The circus town's smoke spray, and its sounds by the town's two vehicles.
inline constexpr ChunkId kSprayArt = MakeChunkId(2, 1204);
inline constexpr ChunkId kSpraySounds[2] = {MakeChunkId(7, 65), MakeChunkId(7, 67)};
/// The zoo's spot light by the town's two vehicles: its art, sideways shift and sound.
inline constexpr ChunkId kSpotLightArts[2] = {MakeChunkId(2, 1153), MakeChunkId(2, 1154)};
inline constexpr float kSpotLightShifts[2] = {-7.0f, 15.0f};
inline constexpr ChunkId kSpotLightSounds[2] = {MakeChunkId(7, 129), MakeChunkId(7, 130)};

} // namespace puzzle_towns

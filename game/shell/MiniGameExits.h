#pragma once
#include <cstdint>

#include "engine/data/ChunkId.h"

/// Where a town mini-game's panels lead, set by each game: closing the start panel starts the
/// game's music; the menu's easier button lowers the game's level before the leave question;
/// the results panel plays again (button 1) or goes back to the town, as the leave panel's yes
/// does.
struct MiniGameExits {
    uint16_t world = 0;
    /// The game's number among the player's activities.
    int32_t game = 0;
    int16_t startPanel = 0;
    int16_t resultsPanel = 0;
    uint16_t musicEntry = 0;
    ChunkId leaveText = kNullChunkId;
    ChunkId leavePicture = kNullChunkId;
    ChunkId self = kNullChunkId;
    ChunkId town = kNullChunkId;
};

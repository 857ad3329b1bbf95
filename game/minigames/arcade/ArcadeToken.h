#pragma once
#include <cstdint>

#include "engine/data/ChunkId.h"
#include "game/minigames/arcade/ArcadeBGItem.h"

/// The collectable token of the arcades (answers class id 3300, made only in code): an item
/// under the scenery's name that the activity keeps in a pool, parked off the stage while
/// unused.
class Arcade_Token : public Arcade_BG_Item {
public:
    static constexpr uint32_t kClassId = 3300;
    static constexpr ChunkId kArt = MakeChunkId(2, 826);
    /// Where an unused token waits, off the stage.
    static constexpr float kParkedX = -100.0f;
    static constexpr float kParkedY = -100.0f;

    Arcade_Token() : Arcade_BG_Item("Arcade_BG_Item", Arcade_BG_Item::kClassId) {}
    bool IsA(uint32_t classId) const override { return classId == kClassId || Arcade_BG_Item::IsA(classId); }
    /// Hidden, still and parked.
    void Respawn() override;
};

#pragma once
#include <cstdint>

#include "game/minigames/arcade/ArcadeBGItem.h"

/// A piece of clothing a monkey lets go of in the zoo arcade ("Zoo_Arcade_GoalItem", class id
/// 3110): it falls until the vehicle catches it or it lands.
class Zoo_Arcade_GoalItem : public Arcade_BG_Item {
public:
    static constexpr uint32_t kClassId = 3110;
    static constexpr int16_t kPriority = 47;

    Zoo_Arcade_GoalItem(const char* name = "Zoo_Arcade_GoalItem", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// A falling item that scrolls off is gone: hidden.
    void Respawn() override;
};

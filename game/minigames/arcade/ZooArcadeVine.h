#pragma once
#include <cstdint>

#include "game/minigames/arcade/ArcadeBGItem.h"

/// A vine of the zoo arcade's jungle ("Zoo_Arcade_Vine", class id 3130): the monkeys swing
/// from vine to vine, which the activity finds by their object ids.
class Zoo_Arcade_Vine : public Arcade_BG_Item {
public:
    static constexpr uint32_t kClassId = 3130;

    Zoo_Arcade_Vine(const char* name = "Zoo_Arcade_Vine", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// Scrolled round, a vine is hidden; the activity hangs a new monkey on it.
    void Respawn() override;
};

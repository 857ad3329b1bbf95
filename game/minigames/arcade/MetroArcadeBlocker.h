#pragma once
#include <cstdint>

#include "game/minigames/arcade/ArcadeBGItem.h"

/// An obstacle on the city arcade's street ("Metro_Arcade_Blocker", class id 3410): it blocks
/// what meets it and is drawn by its place on the street like the other blockers. A canister
/// pushes it aside.
class Metro_Arcade_Blocker : public Arcade_BG_Item {
public:
    static constexpr uint32_t kClassId = 3410;
    static constexpr int32_t kBlocking = 65;

    Metro_Arcade_Blocker(const char* name = "Metro_Arcade_Blocker", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    int32_t OnContact(TLV_Object* other) override;
    /// The draw order of the street's blockers, not the scenery's fixed one.
    void UpdateZOrder() override { TLVComplex_Object::UpdateZOrder(); }
};

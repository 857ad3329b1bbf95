#pragma once
#include <cstdint>

#include "game/shell/TLVComplexObject.h"

/// A scenery item of the side-scrolling arcades ("Arcade_BG_Item", class id 1700): it belongs
/// to one of six speed groups and keeps the draw priority it was given. When it scrolls off
/// the left edge the activity moves it ahead and respawns it, hiding it again by its chance.
class Arcade_BG_Item : public TLVComplex_Object {
public:
    static constexpr uint32_t kClassId = 1700;
    /// Property family 1700: the group and the hide chance (percent), 16 bits each.
    enum : uint32_t { kPropGroup = 1, kPropHideChance = 2 };
    static constexpr int16_t kGroups = 6;

    Arcade_BG_Item(const char* name = "Arcade_BG_Item", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// Items keep the draw priority they already have.
    void UpdateZOrder() override {}
    /// Shown, then hidden again when rand() % 100 falls below the hide chance.
    virtual void Respawn();

    int16_t GetGroup() const { return group_; }
    void SetGroup(int16_t group) { group_ = group; }
    int16_t GetHideChance() const { return hideChance_; }
    void SetHideChance(int16_t percent) { hideChance_ = percent; }

private:
    int16_t group_ = 0;
    int16_t hideChance_ = 0;
};

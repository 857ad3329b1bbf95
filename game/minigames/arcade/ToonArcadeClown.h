#pragma once
#include <cstdint>

#include "game/minigames/arcade/ArcadeBGItem.h"

/// A character in a window of the circus arcade's burning building ("Toon_Arcade_Clown",
/// class id 3000): it shows in its column when the column is reached, and a drop of water that
/// meets it while it waits puts it out (the activity matches it with the one before).
class Toon_Arcade_Clown : public Arcade_BG_Item {
public:
    static constexpr uint32_t kClassId = 3000;
    /// Property family 3000: the column (16 bits) and the kind (32 bits, 0-3).
    enum : uint32_t { kPropColumn = 1, kPropKind = 2 };
    enum : int32_t { kWaiting = 0, kHittable = 1, kLeaving = 2, kReleased = 3, kPutOut = 4 };
    /// The answer of a shown character to a drop: it blocks.
    static constexpr int32_t kBlocks = 65;

    Toon_Arcade_Clown(const char* name = "Toon_Arcade_Clown", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// A character that has left becomes inactive.
    int32_t OnAnimationEnd() override;
    /// Scrolled off: inactive, and no longer the held one.
    void Respawn() override;
    /// A drop meeting an active character that waits puts it out; shown characters block.
    int32_t OnContact(TLV_Object* other) override;

    /// Off: hidden. On: waiting and shown.
    void SetActive(bool on);
    bool IsActive() const { return active_ != 0; }
    int16_t GetColumn() const { return column_; }
    void SetColumn(int16_t column) { column_ = column; }
    int32_t GetKind() const { return kind_; }
    void SetKind(int32_t kind) { kind_ = kind; }

private:
    int16_t column_ = 0;
    int32_t kind_ = 0;
    uint8_t active_ = 0;
};

#pragma once
#include <cstdint>

#include "game/minigames/arcade/ArcadeBGItem.h"

/// An invisible marker of one column of windows in the circus arcade ("Arcade_Column_Marker",
/// class id 3010): once it has scrolled its appear offset into the stage its column shows a
/// character, which leaves again after the stay span.
class Arcade_Column_Marker : public Arcade_BG_Item {
public:
    static constexpr uint32_t kClassId = 3010;
    /// Property family 3010: the column, 16 bits.
    enum : uint32_t { kPropColumn = 1 };

    /// The appear offset is drawn now; the stay span follows the player's level of the game.
    Arcade_Column_Marker(const char* name = "Arcade_Column_Marker", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// The base's respawn, then unreached and hidden.
    void Respawn() override;

    /// The first time it is reached the activity shows a character in the column.
    void SetReached(bool reached);
    bool IsReached() const { return reached_ != 0; }
    int16_t GetColumn() const { return column_; }
    void SetColumn(int16_t column) { column_ = column; }
    int16_t GetAppearOffset() const { return appearOffset_; }
    int16_t GetStaySpan() const { return staySpan_; }

private:
    int16_t column_ = 0;
    uint8_t reached_ = 0;
    int16_t appearOffset_ = 0;
    int16_t staySpan_ = 0;
};

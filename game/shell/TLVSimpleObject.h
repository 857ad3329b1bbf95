#pragma once
#include <cstdint>

#include "game/shell/TLVObject.h"

/// The base of the game's still props ("TLVSimple_Object", class id 1120): off screen it does
/// no animation work, unless it is to animate always or its state sound still plays. Its state
/// sound fades out over 200 pixels from the middle of the stage.
class TLVSimple_Object : public TLV_Object {
public:
    static constexpr uint32_t kClassId = 1120;
    static constexpr int16_t kSoundRange = 200;

    TLVSimple_Object(const char* name = "TLVSimple_Object", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// The engine prop's step, skipped off screen; 1.
    int32_t OnIdle() override;

    uint32_t GetAlwaysAnimate() const { return alwaysAnimate_; }
    void SetAlwaysAnimate(uint32_t on) { alwaysAnimate_ = on; }

private:
    uint32_t alwaysAnimate_ = 0;
};

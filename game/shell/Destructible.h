#pragma once
#include <cstdint>

#include "game/shell/TLVComplexObject.h"
#include "game/shell/TLVSimpleObject.h"

/// Something that breaks in stages ("Destructible", 1510): each hit moves it on through its
/// part's states (two at a time under an upgrade vehicle) until the last one, rubble drawn
/// under everything. A moving prop slower than the ramming speed only bounces off. In the
/// city its mission targets keep their stage in a word of the player record and count down the
/// mission when they break.
class Destructible : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1510;
    /// Family 1510: the ramming speed (32 bits) and the player record's extra word (16 bits).
    enum : uint32_t { kPropRammingSpeed = 1, kPropRecordWord = 2 };
    /// The record word of a prop whose property named none of the record's words.
    static constexpr uint16_t kNoRecordWord = 0xFFFF;
    static constexpr int32_t kRubblePriority = -5000;

    Destructible(const char* name = "Destructible", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// 0 hidden or already broken, 1 for a projectile or a ram too slow, 64 when this hit broke
    /// it, 65 when it broke a stage further.
    int32_t OnContact(TLV_Object* other) override;
    /// Rubble (the last state) lies at priority -5000; otherwise the base rule.
    void UpdateZOrder() override;

    bool IsBroken() const { return broken_ != 0; }
    int32_t GetRammingSpeed() const { return rammingSpeed_; }
    uint16_t GetRecordWord() const { return recordWord_; }

private:
    uint8_t broken_ = 0;
    int32_t rammingSpeed_ = 0;
    uint16_t recordWord_ = 0;
};

/// A moving thing that breaks at once ("RDestructible", 1590): shown in state 0, a projectile
/// gets 1 and anything else breaks it (state 1, rubble at priority -5000) with 64.
class RDestructible : public TLVComplex_Object {
public:
    static constexpr uint32_t kClassId = 1590;

    RDestructible(const char* name = "RDestructible", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    int32_t OnContact(TLV_Object* other) override;
    void UpdateZOrder() override;
};

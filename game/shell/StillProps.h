#pragma once
#include <cstdint>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "game/shell/TLVSimpleObject.h"

// The small still props that the worlds and games place in their activity data and test for
// contact: the contact answer is a bit set that the caller reads.

/// A spot to spawn from ("Spawn", 1500): 97 on its first contact, 65 on every later one. Its
/// family 1500 holds the spawn value (1) and the entry of the part to spawn (2); other
/// families go straight to the engine prop.
class Spawn : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1500;
    enum : uint32_t { kPropValue = 1, kPropPartEntry = 2 };

    Spawn(const char* name = "Spawn", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// Property 2, set or read, also names the spawn part anew (in the part index).
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    int32_t OnContact(TLV_Object* other) override;

    uint16_t GetSpawnValue() const { return value_; }
    ChunkId GetSpawnPartId() const { return partId_; }
    bool IsUsed() const { return used_ != 0; }

private:
    uint16_t value_ = 0;
    uint16_t partEntry_ = 0;
    ChunkId partId_ = kNullChunkId;
    uint8_t used_ = 0;
};

/// Something in the way ("Blocker", 1530): 128 for a projectile, else 192. The idle walk
/// leaves it out; an overlay made from another body takes that body's part values 1 and 2 as
/// its base line.
class Blocker : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1530;
    /// Family 1530: a flag (stored only) and whether the world lists it (1 at first).
    enum : uint32_t { kPropFlag = 1, kPropListed = 2 };

    Blocker(const char* name = "Blocker", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// When called: the draw order follows the overlay while the base line is known.
    int32_t OnIdle() override;
    void CreateOverlay() override;
    int32_t OnContact(TLV_Object* other) override;

    uint8_t GetFlag() const { return flag_; }
    uint8_t IsBlockerListed() const { return blockerListed_; }
    /// The driving world's name for the listed flag.
    bool IsActive() const { return blockerListed_ != 0; }
    uint16_t GetOverlayBase(int n) const { return n == 1 ? overlayBase1_ : n == 2 ? overlayBase2_ : 0; }

private:
    uint8_t flag_ = 0;
    uint8_t blockerListed_ = 1;
    uint16_t overlayBase1_ = 0;
    uint16_t overlayBase2_ = 0;
};

/// Something to collect ("Token", 1540): a vehicle collects it (68) with the sound {7, 0, 96};
/// others get 0. The world keeps the token's row and column and may run a hook when the token
/// is collected.
class Token : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1540;
    static constexpr ChunkId kCollectSound = MakeChunkId(7, 96);
    using CollectedHook = void (*)(Token* token, TLV_Object* vehicle);

    Token(const char* name = "Token", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    int32_t OnContact(TLV_Object* other) override;
    /// Runs the collected hook, when set, with the vehicle.
    void OnCollected(TLV_Object* vehicle);

    int16_t row = 0;
    int16_t column = 0;
    CollectedHook collectedHook = nullptr;
};

/// Something that changes when driven into ("Changeable", 1560): state 0 goes to 1 (192); a
/// projectile gets 1. It animates always.
class Changeable : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1560;

    Changeable(const char* name = "Changeable", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// The collision body, when it is the shadow or the overlay, keeps its place meanwhile.
    void SetState(int32_t index) override;
    int32_t OnContact(TLV_Object* other) override;
};

/// A bag ("Bag", 1580) that wiggles every 5 s while on screen: 0 when hidden, 1 for a
/// projectile, else 64.
class Bag : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1580;
    static constexpr int32_t kWiggleMs = 5000;

    Bag(const char* name = "Bag", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    int32_t OnIdle() override;
    int32_t OnContact(TLV_Object* other) override;

    const CTimerRec& GetWiggleTimer() const { return wiggleTimer_; }

private:
    CTimerRec wiggleTimer_;
};

/// Smoke that a world or game makes in code: a still prop (its base's name and class id 1120)
/// blended at level 80 that hides when its animation ends.
class Smoke : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1555;
    static constexpr int16_t kBlendLevel = 80;

    Smoke();
    bool IsA(uint32_t classId) const override;
    int32_t OnAnimationEnd() override;
};

/// A spot where the driving world has something happen ("Interaction_Point", 1060): a target
/// point (property 1, set only: x then y) and two flags for the world. Its IsA skips the prop
/// bases (1060, then the engine prop's chain).
class Interaction_Point : public TLV_Object {
public:
    static constexpr uint32_t kClassId = 1060;
    enum : uint32_t { kPropTarget = 1 };

    Interaction_Point(const char* name = "Interaction_Point", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;

    /// The world's slot of the point: its object id.
    uint32_t GetNumber() const { return GetObjectId(); }
    const CPointF& GetTarget() const { return target_; }

    uint8_t flags[2] = {};

private:
    CPointF target_;
};

/// Whether the prop counts as hidden for a contact: its own flag or a parent's.
bool xProp_IsHidden(const OView* prop);
/// The number of states of the prop's part; 0 without one.
int32_t xProp_StateCount(const OActivityProp* prop);

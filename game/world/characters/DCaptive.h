#pragma once
#include "engine/data/ChunkId.h"
#include "game/world/characters/Dweeble.h"

class ConstraintObject;

/// The character kept in a pen ("DCaptive", class id 2440): it stands and picks places inside
/// its pen, answers every touch with a refusal, and when its rescue animation (state 1) ends
/// the rescue activity is requested.
class DCaptive : public Dweeble {
public:
    static constexpr uint32_t kClassId = 2440;
    static constexpr ChunkId kDefaultRescue = MakeChunkId(1, 6);
    /// Random points tried for a pen target before the pen's centre is taken.
    static constexpr int32_t kPenTries = 1000;

    DCaptive(const char* name = "DCaptive", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override { return classId == kClassId || Dweeble::IsA(classId); }
    /// State 1's first animation end: the messages are flushed and the rescue activity
    /// requested (once; the animation's later ends ask nothing).
    int32_t OnAnimationEnd() override;
    int32_t OnContact(TLV_Object* other) override;
    /// Like the character's, with the z bias in the shadow case too.
    void UpdateZOrder() override;
    /// A random place on the drawn pixels of the pen's frame (the pen's centre when none is
    /// found); the heading turns toward it.
    void PickRandomHeading(int32_t state) override;

    void SetPen(ConstraintObject* pen) { pen_ = pen; }
    ConstraintObject* GetPen() const { return pen_; }
    void SetRescueActivity(ChunkId id) { rescue_ = id; }
    ChunkId GetRescueActivity() const { return rescue_; }

private:
    ConstraintObject* pen_ = nullptr;
    ChunkId rescue_ = kDefaultRescue;
    uint8_t rescueAsked_ = 0;
};

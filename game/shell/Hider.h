#pragma once
#include <cstdint>

#include "engine/data/DynArray.h"
#include "game/shell/TLVSimpleObject.h"

/// Something that hides when one of the objects it watches comes near ("Hider", 1570): on
/// screen in state 0 it plays state 1 and is hidden at its end, then comes back in state 0
/// once off screen, as often as its reappearances allow (-1: without end). While hiding it
/// keeps its draw priority, or sinks under everything.
class Hider : public TLVSimple_Object {
public:
    static constexpr uint32_t kClassId = 1570;
    /// Family 1570: hide distance (16 bits), reappearances (32 bits), sink when hiding (8 bits).
    enum : uint32_t { kPropHideDistance = 1, kPropReappearances = 2, kPropSink = 3 };
    static constexpr int32_t kSunkPriority = -32767;

    Hider(const char* name = "Hider", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    int32_t OnIdle() override;
    /// The end of state 1 hides it.
    int32_t OnAnimationEnd() override;
    void UpdateZOrder() override;

    bool IsStateOne() { return GetState() == 1; }
    /// The objects it hides from (not owned; the world fills the list).
    CDynArray<TLV_Object*>& WatchList() { return watched_; }
    uint16_t GetHideDistance() const { return hideDistance_; }
    int32_t GetReappearances() const { return reappearances_; }

private:
    /// The hider's own rectangle on the map (empty when turned by other than quarter turns).
    CRect16 OwnRect() const;

    uint16_t hideDistance_ = 300;
    int32_t reappearances_ = -1;
    uint8_t sink_ = 0;
    CDynArray<TLV_Object*> watched_;
    int32_t savedPriority_ = 0;
};

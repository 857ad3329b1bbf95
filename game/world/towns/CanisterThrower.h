#pragma once
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/core/Timer.h"
#include "engine/data/DynArray.h"
#include "game/shell/TLVObject.h"
#include "game/world/towns/CityTables.h"

class CPartFile;
class OActivity;
class PParticle;

/// The city's laughing-gas canisters: the action key starts a burst of throws along the
/// vehicle's heading, a few milliseconds apart (the count, interval, part and flight by the
/// selected-vehicle value; another value keeps the last setting). Canisters are kept in a pool
/// and reused once hidden; the world owns them as its children.
class CCanisterThrower {
public:
    /// Where a throw starts and where it heads: the vehicle's anchor point, its heading vector
    /// and its height above the ground.
    struct Aim {
        CPointF anchor;
        Vec3 heading;
        float groundOffset;
    };

    CCanisterThrower(OActivity& world, CPartFile* file, TLV_Object::FrameHook hook);

    /// When no burst runs: takes the vehicle value's setting, throws the first canister at once
    /// and times the others. False when a burst runs or no setting was ever given.
    bool Start(uint16_t vehicleValue, const Aim& aim);
    /// The next throw of a running burst once its interval has passed; the burst ends after its
    /// last throw.
    void Step(const Aim& aim);

    bool IsRunning() const { return left_ > 0; }
    int32_t GetLeft() const { return left_; }
    const CDynArray<PParticle*>& GetPool() const { return pool_; }

private:
    /// A hidden canister of the pool that this burst has not thrown (from the last), else a
    /// new one; null when none can be made.
    PParticle* GetCanister();
    void Throw(const Aim& aim);

    OActivity& world_;
    CPartFile* file_;
    TLV_Object::FrameHook hook_;
    const towns::city::CanisterBurst* burst_ = nullptr;
    int32_t left_ = 0;
    CTimerRec timer_;
    CDynArray<PParticle*> pool_;
    /// The canisters thrown in the running burst.
    CDynArray<PParticle*> thrown_;
};

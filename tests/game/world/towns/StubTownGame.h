#pragma once
// A mini-game standing in for a town's challenge (its road race, say) in the towns' whole-round
// runs: it plays for a few seconds and asks for the town it was entered from back, as a real
// game does at its end, so the town's return is seen without the game's own play.
#include <cstdint>

#include "engine/core/ActivityManager.h"
#include "engine/core/Timer.h"
#include "game/shell/TLVFactory.h"
#include "game/shell/TLVGameActivity.h"

namespace vqt::test {

class StubTownGame : public TLVGame_Activity {
public:
    static constexpr int32_t kPlayMs = 3000;

    /// Makes the stub for the game class `classId` (the factory's row for it is replaced).
    static bool Register(uint32_t classId) {
        return xTLVFactory_Register({classId, [] { return static_cast<OActivity*>(new StubTownGame); }, nullptr});
    }

    int32_t OnIdle() override {
        OActivityManager* manager = GetActivityManager();
        if (!played_.running && !asked_) {
            played_.Start(kPlayMs);
            town_ = manager ? manager->GetPreviousId() : kNullChunkId;
        } else if (played_.HasElapsed() && manager) {
            played_.Stop();
            asked_ = true;
            manager->RequestActivity(town_);
        }
        return TLVGame_Activity::OnIdle();
    }

private:
    CTimerRec played_;
    ChunkId town_ = kNullChunkId;
    bool asked_ = false;
};

} // namespace vqt::test

#pragma once
#include <cstdint>

#include "engine/data/DynArray.h"
#include "game/world/characters/Dweeble.h"

/// A crook of the city arcade (answers class id 3400, made in code under the monkey's object
/// name): it walks in or drops onto its lane, runs right along the street with the goods,
/// takes goods lying in its way, and escapes to the left, slowly or fast. A canister stops it
/// (the activity counts the stop). Frames of its part: 0 running with goods, 1 walking, 2 fast
/// escape, 3 slow escape, 4 dropping in, 5 landing.
class Metro_Arcade_Crook : public Dweeble {
public:
    static constexpr uint32_t kClassId = 3400;
    enum : int32_t { kRunFrame = 0, kWalkFrame = 1, kFastFrame = 2, kSlowFrame = 3, kDropFrame = 4, kLandFrame = 5 };
    enum : int32_t { kEnter = 1, kRun = 2, kLanding = 5, kHit = 6, kHitAfter = 7, kHitEnd = 8, kEscapeSlow = 12,
                     kEscapeFast = 15 };
    static constexpr float kRunSpeed = 100.0f;
    static constexpr float kSlowSpeed = 100.0f;
    static constexpr float kFastSpeed = 150.0f;
    static constexpr int32_t kBlocking = 65;
    static constexpr float kDropSpeed = 80.0f;
    static constexpr float kDropPull = 100.0f;
    static constexpr float kDropMaxSpeed = 400.0f;

    Metro_Arcade_Crook(const char* name = "Zoo_Arcade_Monkey", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// Landed from its drop: an ordinary crook entering.
    int32_t OnAnimationEnd() override;
    /// Blocking while shown; a canister tells the city arcade, which counts the stop.
    int32_t OnContact(TLV_Object* other) override;

    /// Frame list E's running, F's slow and G's fast escape.
    bool ShowsRunning() { return HasFrame(FramesE(), GetState()); }
    bool ShowsSlowEscape() { return HasFrame(framesF_, GetState()); }
    /// Off with frame list F at 100 px/s (direction 0) or G at 150 px/s (1), to the left.
    void Escape(int32_t direction);
    /// Fresh from the pool: not stopped, still.
    void Reset();
    bool IsStopped() const { return stopped_ != 0; }
    /// True the first time only.
    bool MarkStopped();
    /// Still dropping toward its lane.
    bool IsLanding() const { return landing_ != 0; }
    /// Dropping toward the lane at y; it lands once there.
    void DropTo(float laneY);
    /// Reached its lane: still, on it, showing the landing frame.
    void Land();
    float GetLaneY() const { return laneY_; }

private:
    static void EnterRoutine(Dweeble* d);
    static void RunRoutine(Dweeble* d);
    static void HitRoutine(Dweeble* d);
    static void SlowRoutine(Dweeble* d);
    static void FastRoutine(Dweeble* d);
    static bool HasFrame(const CDynArray<int32_t>& list, int32_t frame);
    void Run();
    void Hit();

    CDynArray<int32_t> framesF_;
    CDynArray<int32_t> framesG_;
    uint8_t stopped_ = 0;
    uint8_t landing_ = 0;
    float laneY_ = 0.0f;
};

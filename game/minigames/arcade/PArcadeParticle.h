#pragma once
#include <cstdint>

#include "game/shell/PParticle.h"

/// The arcing shot or spray drop of the arcades (answers class id 2330, made only in code):
/// a particle whose flight also ends when it rises past its stop line, drawn at a fixed
/// priority above the scenery.
class PArcadeParticle : public PParticle {
public:
    static constexpr uint32_t kClassId = 2330;
    static constexpr int32_t kDrawPriority = 4500;

    PArcadeParticle() : PParticle("PParticle", PParticle::kClassId) {}
    bool IsA(uint32_t classId) const override { return classId == kClassId || PParticle::IsA(classId); }
    /// The height on the arc, the stop line, the hit callback, the heading state, then the
    /// flight's own step.
    int32_t OnIdle() override;
    void UpdateZOrder() override { SetPriority(kDrawPriority); }
    /// A new flight starts its arc afresh.
    void Start(uint8_t flag) override;

    int16_t GetStopLine() const { return stopLine_; }
    void SetStopLine(int16_t y) { stopLine_ = y; }
    /// The height above the ground point in the current frame of the flight.
    int16_t GetArcHeight() const { return arcHeight_; }

private:
    bool IsMoving() const;

    int16_t stopLine_ = 0;
    int16_t arcHeight_ = 0;
    uint32_t flown_ = 0;
};

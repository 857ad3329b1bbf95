#pragma once
#include "game/world/WorldCharacterLink.h"

class CRoundUpActivity;

/// The round-up as its animals see it: the driving world's answers, with the round-up's own
/// move test (no walking across the track) and its end check.
class CRoundUpCharacterLink : public CWorldCharacterLink {
public:
    explicit CRoundUpCharacterLink(CRoundUpActivity* roundUp);

    /// A move across the track stays where it started.
    CPointF ResolveMove(CPointF from, CPointF to, int32_t flag, uint8_t* apply) override;
    bool IsMoveBoxFree(CPointF from, CPointF to, int32_t vehicleFlag, int32_t bandFlag, const Obstacles& obstacles,
                       int32_t escapeFlag) override;
    bool CanMoveTo(CPointF from, CPointF to) override;
    bool IsWayFree(CPointF from, CPointF to, int32_t bandFlag, int32_t vehicleFlag) override;
    void CheckRoundUpEnd() override;
    bool FindWayOut(const CPoint16& at, CPoint16* out) override;

private:
    bool CrossesTrack(CPointF from, CPointF to) const;

    CRoundUpActivity* roundUp_;
};

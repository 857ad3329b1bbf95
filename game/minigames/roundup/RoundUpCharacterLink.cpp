#include "game/minigames/roundup/RoundUpCharacterLink.h"

#include "game/minigames/roundup/RoundUpActivity.h"
#include "game/world/characters/DweebleNumbers.h"

namespace {

CPoint16 Whole(const CPointF& p) { return CPoint16(ToInt16(p.x), ToInt16(p.y)); }

} // namespace

CRoundUpCharacterLink::CRoundUpCharacterLink(CRoundUpActivity* roundUp)
    : CWorldCharacterLink(roundUp), roundUp_(roundUp) {}

bool CRoundUpCharacterLink::CrossesTrack(CPointF from, CPointF to) const {
    return roundUp_->GetTrack().Crosses({Whole(from), Whole(to)});
}

CPointF CRoundUpCharacterLink::ResolveMove(CPointF from, CPointF to, int32_t flag, uint8_t* apply) {
    if (CrossesTrack(from, to)) {
        if (apply) *apply = 1;
        return from;
    }
    return CWorldCharacterLink::ResolveMove(from, to, flag, apply);
}

bool CRoundUpCharacterLink::IsMoveBoxFree(CPointF from, CPointF to, int32_t vehicleFlag, int32_t bandFlag,
                                          const Obstacles& obstacles, int32_t escapeFlag) {
    return !CrossesTrack(from, to) &&
           CWorldCharacterLink::IsMoveBoxFree(from, to, vehicleFlag, bandFlag, obstacles, escapeFlag);
}

bool CRoundUpCharacterLink::CanMoveTo(CPointF from, CPointF to) {
    const CPoint16 a = Whole(from), b = Whole(to);
    return roundUp_->CanMoveTo(a.x, a.y, b.x, b.y, 0);
}

bool CRoundUpCharacterLink::IsWayFree(CPointF from, CPointF to, int32_t /*bandFlag*/, int32_t vehicleFlag) {
    const CPoint16 a = Whole(from), b = Whole(to);
    return roundUp_->CanMoveTo(a.x, a.y, b.x, b.y, vehicleFlag);
}

void CRoundUpCharacterLink::CheckRoundUpEnd() { roundUp_->CheckRoundUpEnd(); }

bool CRoundUpCharacterLink::FindWayOut(const CPoint16& at, CPoint16* out) { return roundUp_->FindWayOut(at, out); }

#include "game/world/WorldCharacterLink.h"

#include "engine/core/ActivityProp.h"
#include "game/world/TLVWorldActivity.h"

bool CWorldCharacterLink::IsRoundUp() const { return world_->IsA(TLVWorld_Activity::kRoundUpClassId); }

CPointF CWorldCharacterLink::ResolveMove(CPointF from, CPointF to, int32_t flag, uint8_t* apply) {
    CPointF out = to;
    int32_t changed = apply ? *apply : 1;
    world_->ResolveMove(&out, from, to, flag, &changed);
    if (apply) *apply = uint8_t(changed != 0);
    return out;
}

bool CWorldCharacterLink::AcceptPosition(CPointF position, int32_t a, int32_t b) {
    return world_->AcceptPosition(position, a, b);
}

void CWorldCharacterLink::CollectObstacles(const CRect16& box, Obstacles& out) {
    CWorldBuckets::PropList found;
    world_->QueryRect(CPoint16(box.left, box.top), CPoint16(box.right, box.bottom), found);
    for (OActivityProp* prop : found) out.Append(prop);
}

bool CWorldCharacterLink::IsMoveBoxFree(CPointF from, CPointF to, int32_t vehicleFlag, int32_t bandFlag,
                                        const Obstacles& obstacles, int32_t escapeFlag) {
    return world_->IsMoveBoxFree(from, to, vehicleFlag, bandFlag, &obstacles, escapeFlag);
}

bool CWorldCharacterLink::CanMoveTo(CPointF from, CPointF to) { return world_->CanMoveTo(from, to, 0, 0); }

bool CWorldCharacterLink::IsWayFree(CPointF from, CPointF to, int32_t bandFlag, int32_t vehicleFlag) {
    return world_->CanMoveTo(from, to, bandFlag, vehicleFlag);
}

bool CWorldCharacterLink::IsBelowTopBand(const CPoint16& point) { return world_->IsBelowTopBand(point); }

bool CWorldCharacterLink::IsInsideMap(const CPoint16& point, int16_t inset) { return world_->IsInsideMap(point, inset); }

bool CWorldCharacterLink::IsNearMapEdge(const CPoint16& point, int16_t* sideX, int16_t* sideY) {
    return world_->IsNearMapEdge(point, sideX, sideY);
}

CRect16 CWorldCharacterLink::GetMapRect() { return world_->GetMapRect(); }

CPoint16 CWorldCharacterLink::GetScrollOffset() {
    const CRect16 visible = world_->GetVisibleRect();
    return CPoint16(visible.left, visible.top);
}

void CWorldCharacterLink::OnFollowerAttached(TLV_Object* follower) { world_->OnFollowerAttached(follower); }

void CWorldCharacterLink::RetireProp(OActivityProp* prop) { world_->RetireProp(prop); }
void CWorldCharacterLink::ShowEffectAt(OActivityProp* prop) { world_->ShowClickFeedback(prop); }

bool CWorldCharacterLink::HasCollectables() { return world_->GetList(TLVWorld_Activity::kTokens).Count() > 0; }

bool CWorldCharacterLink::FindNearestCollectable(const CPoint16& from, CPointF* at) {
    const OActivityProp* prop = world_->FindNearestFreeProp(TLVWorld_Activity::kTokens, from.x, from.y, nullptr);
    if (prop && at) *at = prop->GetPosition();
    return prop != nullptr;
}

void CWorldCharacterLink::PlaySound(ChunkId id, uint32_t pipe, int32_t volume) { world_->PlaySound(id, pipe, volume); }

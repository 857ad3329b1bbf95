#pragma once
#include "game/world/characters/CharacterWorld.h"

class TLVWorld_Activity;

/// The driving world as its characters see it: their move corrections, acceptance and box
/// tests, and the map's questions, answered by the world that holds them.
class CWorldCharacterLink : public CCharacterWorld {
public:
    explicit CWorldCharacterLink(TLVWorld_Activity* world) : world_(world) {}

    bool IsDrivingWorld() const override { return true; }
    bool IsRoundUp() const override;
    CPointF ResolveMove(CPointF from, CPointF to, int32_t flag, uint8_t* apply) override;
    bool AcceptPosition(CPointF position, int32_t a, int32_t b) override;
    void CollectObstacles(const CRect16& box, Obstacles& out) override;
    bool IsMoveBoxFree(CPointF from, CPointF to, int32_t vehicleFlag, int32_t bandFlag, const Obstacles& obstacles,
                       int32_t escapeFlag) override;
    bool CanMoveTo(CPointF from, CPointF to) override;
    bool IsWayFree(CPointF from, CPointF to, int32_t bandFlag, int32_t vehicleFlag) override;
    bool IsBelowTopBand(const CPoint16& point) override;
    bool IsInsideMap(const CPoint16& point, int16_t inset) override;
    bool IsNearMapEdge(const CPoint16& point, int16_t* sideX, int16_t* sideY) override;
    CRect16 GetMapRect() override;
    CPoint16 GetScrollOffset() override;
    void OnFollowerAttached(TLV_Object* follower) override;
    void RetireProp(OActivityProp* prop) override;
    void ShowEffectAt(OActivityProp* prop) override;
    /// The tokens left on the map, and the nearest of them.
    bool HasCollectables() override;
    bool FindNearestCollectable(const CPoint16& from, CPointF* at) override;
    void PlaySound(ChunkId id, uint32_t pipe, int32_t volume) override;

protected:
    TLVWorld_Activity* World() const { return world_; }

private:
    TLVWorld_Activity* world_;
};

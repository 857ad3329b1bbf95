#pragma once
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/base/Rect.h"
#include "engine/data/ChunkId.h"
#include "engine/data/DynArray.h"

class OActivityProp;
class TLV_Object;

/// What a character asks of the activity it walks in: the driving world's move tests and map
/// questions, or (outside a driving world) the activity's own move test. The world hands
/// itself to each character it takes; a character without one moves unchecked.
class CCharacterWorld {
public:
    using Obstacles = CDynArray<OActivityProp*>;

    virtual ~CCharacterWorld() = default;

    /// A driving world (the correction, acceptance and box tests apply); else only CanMoveTo.
    virtual bool IsDrivingWorld() const = 0;
    /// A round-up, whose characters rest on walking frames too.
    virtual bool IsRoundUp() const = 0;
    /// The point reachable on the way from `from` to `to`; `apply` (preset to 1) tells whether
    /// the caller is to snap to it.
    virtual CPointF ResolveMove(CPointF from, CPointF to, int32_t flag, uint8_t* apply) = 0;
    /// Whether the world takes the position as the character's new place.
    virtual bool AcceptPosition(CPointF position, int32_t a, int32_t b) = 0;
    /// The obstacles of the box (map coordinates), for IsMoveBoxFree.
    virtual void CollectObstacles(const CRect16& box, Obstacles& out) = 0;
    /// Whether the move is free of the collected obstacles and the map's blocked tiles.
    virtual bool IsMoveBoxFree(CPointF from, CPointF to, int32_t vehicleFlag, int32_t bandFlag,
                               const Obstacles& obstacles, int32_t escapeFlag) = 0;
    /// The move test of an activity that is not a driving world.
    virtual bool CanMoveTo(CPointF from, CPointF to) = 0;
    /// The world's own way test, gathering the props itself: the band flag keeps the map's top
    /// band open, the vehicle flag leaves the vehicle out. Elsewhere the activity's move test.
    virtual bool IsWayFree(CPointF from, CPointF to, int32_t /*bandFlag*/, int32_t /*vehicleFlag*/) {
        return CanMoveTo(from, to);
    }
    virtual bool IsBelowTopBand(const CPoint16& point) = 0;
    virtual bool IsInsideMap(const CPoint16& point, int16_t inset) = 0;
    virtual bool IsNearMapEdge(const CPoint16& point, int16_t* sideX, int16_t* sideY) = 0;
    virtual CRect16 GetMapRect() = 0;
    /// The activity's scroll offset (whole pixels).
    virtual CPoint16 GetScrollOffset() = 0;

    // What the followers ask of a driving world; an activity without followers ignores them.
    /// A follower joined the vehicle's chain.
    virtual void OnFollowerAttached(TLV_Object* /*follower*/) {}
    /// Hides the prop and takes it out of the world's lists.
    virtual void RetireProp(OActivityProp* /*prop*/) {}
    /// Shows the activity's effect prop at the prop, with the collect chime.
    virtual void ShowEffectAt(OActivityProp* /*prop*/) {}
    /// Whether collectables are left, and the nearest one to a point.
    virtual bool HasCollectables() { return false; }
    virtual bool FindNearestCollectable(const CPoint16& /*from*/, CPointF* /*at*/) { return false; }

    // What the round-up's animals ask of it; other activities ignore them.
    /// Plays a sound through the activity.
    virtual void PlaySound(ChunkId /*id*/, uint32_t /*pipe*/, int32_t /*volume*/) {}
    /// A caught animal went home: the round-up checks whether any is left.
    virtual void CheckRoundUpEnd() {}
    /// Where a character standing at `at` inside a solid prop is put out (whole map pixels);
    /// false when `at` is free or the activity puts nobody out.
    virtual bool FindWayOut(const CPoint16& /*at*/, CPoint16* /*out*/) { return false; }
};

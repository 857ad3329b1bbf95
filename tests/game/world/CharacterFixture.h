#pragma once
// Builders shared by the characters' tests: a spy of what a character asks of its activity,
// and parts of empty states.
#include <vector>

#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "game/shell/TLVComplexObject.h"
#include "game/world/characters/CharacterWorld.h"

namespace vqt::test {

/// Any vehicle (class 2000) for the characters to meet.
class Car : public TLVComplex_Object {
public:
    Car() : TLVComplex_Object("Car", 2010) {}
    bool IsA(uint32_t id) const override { return id == 2000 || id == 2010 || TLVComplex_Object::IsA(id); }
};

/// A world that answers the character's questions from settings and logs every call.
class SpyCharacterWorld : public CCharacterWorld {
public:
    bool drivingWorld = true;
    bool roundUp = false;
    /// Directions are refused until this many tests have been asked (-1: always refused).
    int freeAfter = 0;
    bool belowTopBand = true;
    bool accept = true;
    bool insideMap = true;
    bool nearEdge = false;
    int16_t sideX = 0, sideY = 0;
    CPoint16 scroll;
    /// ResolveMove answers this point when set, else the end point.
    bool correct = false;
    CPointF corrected;
    uint8_t applyAnswer = 1;

    struct MoveTest {
        CPointF from, to;
        int32_t vehicleFlag, bandFlag, escapeFlag;
    };
    std::vector<MoveTest> moveTests;
    std::vector<CPointF> resolved;
    std::vector<CPointF> accepted;
    int calls = 0;

    bool IsDrivingWorld() const override { return drivingWorld; }
    bool IsRoundUp() const override { return roundUp; }
    CPointF ResolveMove(CPointF, CPointF to, int32_t, uint8_t* apply) override {
        ++calls;
        resolved.push_back(to);
        *apply = applyAnswer;
        return correct ? corrected : to;
    }
    bool AcceptPosition(CPointF position, int32_t, int32_t) override {
        ++calls;
        accepted.push_back(position);
        return accept;
    }
    void CollectObstacles(const CRect16&, Obstacles&) override { ++calls; }
    bool IsMoveBoxFree(CPointF from, CPointF to, int32_t vehicleFlag, int32_t bandFlag, const Obstacles&,
                       int32_t escapeFlag) override {
        ++calls;
        moveTests.push_back({from, to, vehicleFlag, bandFlag, escapeFlag});
        return freeAfter >= 0 && int(moveTests.size()) > freeAfter;
    }
    bool CanMoveTo(CPointF from, CPointF to) override {
        ++calls;
        moveTests.push_back({from, to, -1, -1, -1});
        return freeAfter >= 0 && int(moveTests.size()) > freeAfter;
    }
    bool IsBelowTopBand(const CPoint16&) override {
        ++calls;
        return belowTopBand;
    }
    bool IsInsideMap(const CPoint16&, int16_t) override {
        ++calls;
        return insideMap;
    }
    bool IsNearMapEdge(const CPoint16&, int16_t* x, int16_t* y) override {
        ++calls;
        *x = sideX;
        *y = sideY;
        return nearEdge;
    }
    CRect16 GetMapRect() override { return CRect16(0, 0, 1280, 960); }
    CPoint16 GetScrollOffset() override { return scroll; }
    void OnFollowerAttached(TLV_Object* follower) override { attached.push_back(follower); }
    void RetireProp(OActivityProp* prop) override { retired.push_back(prop); }
    void ShowEffectAt(OActivityProp* prop) override { effects.push_back(prop); }
    void PlaySound(ChunkId id, uint32_t, int32_t) override { sounds.push_back(id); }
    void CheckRoundUpEnd() override { ++roundUpEndChecks; }
    bool HasCollectables() override { return hasCollectable; }
    bool FindNearestCollectable(const CPoint16&, CPointF* at) override {
        if (hasCollectable) *at = collectable;
        return hasCollectable;
    }

    std::vector<TLV_Object*> attached;
    std::vector<OActivityProp*> retired;
    std::vector<OActivityProp*> effects;
    std::vector<ChunkId> sounds;
    int roundUpEndChecks = 0;
    bool hasCollectable = false;
    CPointF collectable;
};

/// A part of `states` empty states (already "loaded", so nothing is read from a file).
inline CPart* MakePart(int states) {
    auto* part = new CPart;
    for (int i = 0; i < states; ++i) {
        auto* state = new CState;
        state->stateId = MakeChunkId(3, uint16_t(i + 1));
        part->AddState(state);
    }
    return part;
}

} // namespace vqt::test

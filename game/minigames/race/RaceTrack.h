#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "engine/base/Point.h"
#include "engine/data/ChunkId.h"
#include "game/minigames/race/RaceObjects.h"
#include "game/minigames/race/RacePools.h"
#include "game/minigames/race/RaceRoad.h"

class CPartFile;
class CRaceCourse;
class OView;
class TLV_Object;
struct CGRacePieceList;
struct CGRacePlacement;
struct CGRaceSection;

/// What the road asks of the race that runs it: how a section's objects are chosen, the finish
/// props, the part of each kind, and the finish cue.
class CGRaceTrackHooks {
public:
    virtual ~CGRaceTrackHooks() = default;
    virtual void ScatterObjects(std::vector<CPointF>& chosen, std::vector<int32_t>& kinds, int16_t bias,
                                bool finish) = 0;
    /// Side 0 the right half of the goal, 1 the left; null when the race has none.
    virtual TLV_Object* MakeFinishProp(int32_t side) = 0;
    virtual ChunkId PartForKind(int32_t kind, uint32_t classId) = 0;
    virtual void PlayFinishCue() = 0;
};

/// The road of a race while it runs: at most four sections, newest first, laid from the
/// catalogues; their pictures and objects placed one at a time from the pools; trimmed
/// sections released to the pool, and everything shifted together when the scroll wraps.
class CGRaceTrack {
public:
    static constexpr size_t kMaxSections = 4;
    static constexpr int32_t kMaxPlacements = 10000;
    static constexpr uint16_t kCityWorld = 2;

    /// Loads the catalogues and lays the first sections; the race's hooks and pools are set.
    void Start(CPartFile* partFile, OView* race, CRaceCourse* course, CGRaceTrackHooks* hooks, ChunkId roadList,
               const CGRaceRoad::Frame& frame);
    /// Lays the opening sections (half a stage, then whole ones up to three) and places the
    /// objects of the two lower ones.
    void BuildRoad(int32_t currentSection);
    bool AddSection(float height);
    /// A new section on top, the oldest beyond four released, then the objects of the second
    /// placed (in finish mode only once the finish section has come there).
    void AddSectionAndTrim(int32_t currentSection);
    /// Places the next decoration, piece, collision child or object of section `row`.
    bool PlaceNext(int32_t row, bool finish, int32_t currentSection);
    bool PlaceAll(int32_t row, bool finish, int32_t currentSection);
    void ReleaseSection(CGRaceSection* section);
    /// Moves every piece and object by the offset.
    void ShiftObjects(float dy, float dx);
    void Clear();

    std::vector<CGRaceSection*>& Sections() { return sections_; }
    CGRaceObjects& Objects() { return objects_; }
    CGRacePools& Pools() { return pools_; }
    CGRaceRoad& Road() { return road_; }
    std::vector<uint32_t>& PropTypes() { return propTypes_; }
    std::vector<ChunkId>& Decorations() { return decorations_; }
    void SetFinishMode(bool on) { finishMode_ = on; }
    bool FinishMode() const { return finishMode_; }
    bool FinishReached() const { return finishReached_; }
    bool FinishPropPlaced(int32_t side) const { return finishPlaced_[size_t(side & 1)]; }
    CGRaceSection* FinishSection() const { return finishSection_; }

private:
    bool PlacePiece(const CPointF& row, CGRacePieceList& pieces);
    bool PlaceDecoration(const CPointF& row, CGRacePieceList& decorations);
    bool PlaceObject(float offset, CGRacePlacement& placement, bool finish);
    /// The part ids of a piece's collision children, from the list its part names.
    void PendingColliders(OActivityProp* piece, std::vector<ChunkId>& out);

    CPartFile* partFile_ = nullptr;
    CGRaceTrackHooks* hooks_ = nullptr;
    CGRaceRoad::Frame frame_;
    uint8_t listIndex_ = 0;
    CGRaceRoad road_;
    CGRacePools pools_;
    CGRaceObjects objects_;
    std::vector<CGRaceSection*> sections_;
    std::vector<uint32_t> propTypes_;
    std::vector<ChunkId> decorations_;
    bool finishMode_ = false;
    bool finishReached_ = false;
    bool finishCuePlayed_ = false;
    std::array<bool, 2> finishPlaced_{};
    CGRaceSection* finishSection_ = nullptr;
};

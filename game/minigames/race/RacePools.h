#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/data/ChunkId.h"

class CPartFile;
class CRaceCourse;
class OActivityProp;
class OView;
class TLV_Object;
struct CGRaceSection;

/// Everything the road makes, kept for the whole race and reused once it has left the stage:
/// sections, the pictures painted into the background (pieces, their collision children and
/// decorations, owned here) and the objects placed on the road (children of the race, one pool
/// per family).
class CGRacePools {
public:
    /// The families of objects the road places, by class id.
    static constexpr uint32_t kFamilies[] = {1100, 1560, 1510, 1590, 2480, 1540};

    CGRacePools() = default;
    ~CGRacePools();
    CGRacePools(const CGRacePools&) = delete;
    CGRacePools& operator=(const CGRacePools&) = delete;

    /// Where new objects go and where their parts come from.
    void SetOwner(OView* race, CPartFile* partFile, CRaceCourse* course);

    /// The newest pooled section that is not in use, else a new one.
    CGRaceSection* TakeSection(const std::vector<CGRaceSection*>& inUse);
    OActivityProp* TakePieceProp(ChunkId part);
    OActivityProp* TakeColliderProp(ChunkId part);
    OActivityProp* TakeDecorationProp(ChunkId part);
    /// A free object of the family showing that part, else a new one; a racer is reset. Null for
    /// a class that is no family of the road.
    TLV_Object* Spawn(uint32_t classId, ChunkId part);
    /// Whether a pooled object may be reused: hidden, or under a view that is not shown.
    static bool IsFree(const OActivityProp* prop);

    size_t SectionCount() const { return sections_.size(); }
    size_t ObjectCount(uint32_t classId) const;
    /// Deletes the pictures and sections, and takes the objects out of the race and deletes them.
    void Clear();

private:
    struct Family {
        uint32_t classId;
        std::vector<TLV_Object*> objects;
    };
    Family* FamilyOf(uint32_t classId);
    TLV_Object* Make(uint32_t classId);
    static void ResetRacer(TLV_Object* object);
    OActivityProp* ShowPart(std::vector<std::unique_ptr<OActivityProp>>& pool, OActivityProp* reused, ChunkId part);

    OView* race_ = nullptr;
    CPartFile* partFile_ = nullptr;
    CRaceCourse* course_ = nullptr;
    std::vector<std::unique_ptr<CGRaceSection>> sections_;
    std::vector<std::unique_ptr<OActivityProp>> pieces_;
    std::vector<std::unique_ptr<OActivityProp>> colliders_;
    std::vector<std::unique_ptr<OActivityProp>> decorations_;
    std::vector<Family> families_;
};

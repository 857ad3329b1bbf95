#pragma once
#include "engine/core/ActivityProp.h"
#include "engine/data/ChunkId.h"

class CPartFile;

/// A plain prop that a vehicle makes and owns (its attached light, its companion). It lives in
/// the vehicle's parent like any prop; when the parent deletes it first, it clears the
/// vehicle's slot for it, so that the vehicle never keeps a pointer to a deleted prop.
class CVehicleChildProp final : public OActivityProp {
public:
    explicit CVehicleChildProp(OActivityProp** slot) : OActivityProp("OActivityProp", kClassId), slot_(slot) {}
    ~CVehicleChildProp() override;

    /// A new prop showing the part, or null when it cannot be made or loaded.
    static CVehicleChildProp* Make(OActivityProp** slot, CPartFile* file, ChunkId part);
    /// Takes the slot's prop out of its parent and its host and deletes it; the slot is cleared.
    static void Release(OActivityProp** slot);

private:
    OActivityProp** slot_;
};

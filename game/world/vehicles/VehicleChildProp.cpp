#include "game/world/vehicles/VehicleChildProp.h"

#include <new>

CVehicleChildProp::~CVehicleChildProp() {
    if (slot_ && *slot_ == this) *slot_ = nullptr;
}

CVehicleChildProp* CVehicleChildProp::Make(OActivityProp** slot, CPartFile* file, ChunkId part) {
    auto* prop = new (std::nothrow) CVehicleChildProp(slot);
    if (prop && prop->SetPartID(file, part, 1) == 0) {
        prop->slot_ = nullptr;
        delete prop;
        return nullptr;
    }
    return prop;
}

void CVehicleChildProp::Release(OActivityProp** slot) {
    auto* prop = static_cast<CVehicleChildProp*>(*slot);
    *slot = nullptr;
    if (!prop) return;
    prop->slot_ = nullptr;
    if (ONode* parent = prop->GetParent()) parent->RemoveChild(prop);
    if (OView* host = prop->GetHost()) host->DetachChildView(prop);
    delete prop;
}

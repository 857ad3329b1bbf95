#include "engine/core/ClassFactory.h"

#include <new>

#include "engine/core/Activity.h"
#include "engine/core/ActivityProp.h"

OActivity* OClassFactory::CreateActivity(uint32_t classId) {
    if (classId == OActivity::kClassId) return new (std::nothrow) OActivity("OActivity", OActivity::kClassId);
    return nullptr;
}

OView* OClassFactory::CreateActivityProp(uint32_t classId) {
    switch (classId) {
    case OActivityProp::kClassId:
        return new (std::nothrow) OActivityProp("OActivityProp", OActivityProp::kClassId);
    default:
        return nullptr;
    }
}

bool OClassFactory::IsSupported(uint32_t classId) {
    switch (classId) {
    case 53:
    case 54:
    case 72:
    case 73:
    case 74:
    case 76:
    case 77:
    case 78:
    case 100:
        return true;
    default:
        return false;
    }
}

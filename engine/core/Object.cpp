#include "engine/core/Object.h"

#include <cstring>

#include "engine/core/DeferredDelete.h"

OObject::OObject(const char* name, uint32_t classId) : classId_(classId) { SetName(name); }

OObject::~OObject() {
    // Destroyed directly while it waits for deferred deletion: the flush must not see it again.
    if (deferState_ == DeferState::Queued) CDeferredDeletes::Get().Forget(this);
}

bool OObject::IsA(uint32_t classId) const { return classId == kClassId; }

bool OObject::HandleProperty(OPropertyMsg* msg, int32_t /*set*/) {
    return msg && msg->family == kClassId;
}

int32_t OObject::OnPropertiesLoaded() { return 1; }

void OObject::SetName(const char* name) {
    if (!name) return;
    const size_t n = strnlen(name, kNameSize - 1);
    std::memcpy(name_, name, n);
    name_[n] = '\0';
}

int32_t OObject::Release() {
    --refCount_;
    if (refCount_ < 1 && deferState_ == DeferState::None) AddDeferredDelete(this);
    return refCount_;
}

#include "engine/core/DeferredDelete.h"

#include "engine/core/ActivityHooks.h"
#include "engine/core/CoreState.h"
#include "engine/core/Object.h"

CDeferredDeletes& CDeferredDeletes::Get() { return xCore_State().deferred; }

int32_t CDeferredDeletes::Add(OObject* object) {
    if (!object || object->deferState_ != OObject::DeferState::None) return 0;
    if (!list_.Append(object)) return 0;
    object->deferState_ = OObject::DeferState::Queued;
    return list_.Count();
}

int32_t CDeferredDeletes::Flush(bool tellActivity) {
    if (list_.Count() < 1) return 0;
    while (list_.Count() >= 1) {
        OObject* object = list_.RemoveLast();
        object->deferState_ = OObject::DeferState::Deleting;
        if (tellActivity) {
            if (CActivityHooks* hooks = xPlatform_GetActivityHooks()) hooks->OnObjectDeleted(object);
        }
        delete object;
    }
    return 1;
}

void CDeferredDeletes::Forget(OObject* object) { list_.RemoveLastMatch(object); }

int32_t AddDeferredDelete(OObject* object) { return CDeferredDeletes::Get().Add(object); }

int32_t FlushDeferredDeletes() { return CDeferredDeletes::Get().Flush(true); }

void DeleteAllDeferred() {
    CDeferredDeletes::Get().Flush(false);
    CDeferredDeletes::Get().FreeStorage();
}

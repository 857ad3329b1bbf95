#pragma once
#include <cstdint>

#include "engine/core/PtrList.h"

class OObject;

/// Hands an object to deferred deletion; answers the new count, or 0 when the list cannot grow
/// (the object is then neither listed nor deleted).
int32_t AddDeferredDelete(OObject* object);
/// Deletes every listed object, the last added first, telling the current activity before
/// each deletion; objects added meanwhile go in the same flush. 0 when the list was empty.
int32_t FlushDeferredDeletes();
/// The same without telling the activity, then frees the list's storage (shutdown).
void DeleteAllDeferred();

/// The deferred-deletion list: objects that the current frame may still use wait here until
/// the frame tick flushes them.
class CDeferredDeletes {
public:
    CDeferredDeletes() = default;
    CDeferredDeletes(const CDeferredDeletes&) = delete;
    CDeferredDeletes& operator=(const CDeferredDeletes&) = delete;
    /// Deletes whatever still waits, telling nobody.
    ~CDeferredDeletes() { Flush(false); }

    /// The list of the engine context.
    static CDeferredDeletes& Get();

    int32_t Add(OObject* object);
    int32_t Flush(bool tellActivity);
    int32_t Count() const { return list_.Count(); }
    int32_t Capacity() const { return list_.Capacity(); }
    bool Contains(const OObject* object) const { return list_.Contains(object); }
    /// Takes an object that is being destroyed directly out of the list.
    void Forget(OObject* object);
    void FreeStorage() { list_.FreeStorage(); }

private:
    CPtrList<OObject> list_;
};

#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/core/PropertyMsg.h"

class ODriver;

/// Root of the engine's class tree (class id 1): a class id, a short name, the object id that
/// activity data gives the object, and a reference count whose release hands the object to
/// deferred deletion.
class OObject {
public:
    static constexpr uint32_t kClassId = 1;
    /// The name field: 31 characters and a terminating zero.
    static constexpr size_t kNameSize = 32;

    OObject(const char* name, uint32_t classId);
    virtual ~OObject();
    OObject(const OObject&) = delete;
    OObject& operator=(const OObject&) = delete;

    /// True for the class's own id and every id of its bases.
    virtual bool IsA(uint32_t classId) const;
    /// Applies (set 1) or reports (set 0) one property; each class takes its own family and
    /// passes the others to its base. True when a class of the chain took the family.
    virtual bool HandleProperty(OPropertyMsg* msg, int32_t set);
    /// Called once after LoadProperties has applied every message.
    virtual int32_t OnPropertiesLoaded();

    /// Reads `byteCount` bytes of stored property messages from the stream and applies each
    /// (HandleProperty with set 1), then OnPropertiesLoaded; answers 1. A message that cannot
    /// be read whole within the bytes stops the reading with a trace; the stream is then left
    /// at the end of the bytes.
    int32_t LoadProperties(ODriver* stream, uint32_t byteCount);

    /// Replaces the name (cut to 31 characters); a null name leaves it unchanged.
    void SetName(const char* name);
    const char* GetName() const { return name_; }
    uint32_t GetClassId() const { return classId_; }
    uint32_t GetObjectId() const { return objectId_; }
    void SetObjectId(uint32_t id) { objectId_ = id; }
    int32_t GetRefCount() const { return refCount_; }

    /// Decrements the reference count; below 1 the object is handed to deferred deletion, which
    /// deletes it in a later frame. An object already handed over is not handed over again.
    /// Answers the new count.
    int32_t Release();
    /// Whether the object waits in the deferred-deletion list.
    bool IsDeferredDeletePending() const { return deferState_ == DeferState::Queued; }

protected:
    /// The count an object starts with (0; an activity starts at 1).
    void SetRefCount(int32_t count) { refCount_ = count; }

private:
    friend class CDeferredDeletes;
    enum class DeferState : uint8_t { None, Queued, Deleting };

    uint32_t classId_;
    char name_[kNameSize] = {};
    uint32_t objectId_ = 0;
    int32_t refCount_ = 0;
    DeferState deferState_ = DeferState::None;
};

#pragma once
#include <cstdint>

#include "engine/core/Event.h"
#include "engine/core/Node.h"

/// A node that lives frame by frame (class id 20): it takes part in the OnIdle walk and in
/// event delivery, can be suspended with its whole subtree, and dispatches events to its key,
/// character and application hooks.
class OProcess : public ONode {
public:
    static constexpr uint32_t kClassId = 20;

    OProcess(const char* name, uint32_t classId);

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;

    /// Suspends this process and, in list order, its children; nothing when already suspended.
    virtual void Suspend(int32_t flag);
    /// Resumes this process and its children; nothing when it is not suspended.
    virtual void Resume(int32_t flag);
    /// One frame of work; 0 ends this frame's OnIdle walk (see IdleWalk).
    virtual int32_t OnIdle() = 0;
    virtual void OnAppSuspend();
    virtual void OnAppResume();
    virtual void OnChar(uint32_t code);
    virtual void OnKeyUp(uint32_t key);
    virtual void OnKeyDown(uint32_t key);
    /// Dispatches keys (the Shift key itself is ignored), characters and application
    /// suspend/resume to the hooks above; always 1.
    virtual int32_t HandleEvent(const xEvent& event);

    bool IsEnabled() const { return enabled_ == 1; }
    void SetEnabled(bool on) { enabled_ = on ? 1 : 0; }
    bool AcceptsEvents() const { return acceptsEvents_ == 1; }
    void SetAcceptsEvents(bool on) { acceptsEvents_ = on ? 1 : 0; }
    bool IsEventsFirst() const { return eventsFirst_ == 1; }
    void SetEventsFirst(bool on) { eventsFirst_ = on ? 1 : 0; }
    bool IsIdleFirst() const { return idleFirst_ == 1; }
    void SetIdleFirst(bool on) { idleFirst_ = on ? 1 : 0; }
    uint32_t GetEventMask() const { return eventMask_; }
    void SetEventMask(uint32_t mask) { eventMask_ = mask; }
    void AddEventMask(uint32_t bits) { eventMask_ |= bits; }
    uint32_t GetUserData() const { return userValue_; }
    void SetUserData(uint32_t value) { userValue_ = value; }
    bool IsSuspended() const { return suspended_ != 0; }
    /// Set between the application-suspend and -resume events (a switched-out main window).
    bool IsAppSuspended() const { return appSuspended_ != 0; }
    /// Whether this process or a process above it (up to the first parent that is not a
    /// process) is suspended.
    bool IsSuspendedInChain() const;
    /// The tick count taken at construction.
    uint32_t GetCreationTick() const { return timeStamp1_; }

private:
    int32_t enabled_ = 1;
    int32_t acceptsEvents_ = 1;
    int32_t eventsFirst_ = 1;
    int32_t idleFirst_ = 0;
    uint32_t userValue_ = 0;
    uint32_t eventMask_ = kEventApplication;
    uint32_t timeStamp1_ = 0;
    int32_t appSuspended_ = 0;
    int32_t suspended_ = 0;
};

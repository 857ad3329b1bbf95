#pragma once
// The engine's mutex: a lock one thread holds at a time. Its holder may take it again and gives
// it back as often as it took it, as the system's mutex objects behave.
#include <cstdint>
#include <memory>

class CMutex {
public:
    /// Made with a handle, or none (every wait then fails and every release succeeds).
    enum class Handle { Made, None };

    explicit CMutex(Handle handle = Handle::Made);
    ~CMutex();
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

    bool HasHandle() const { return lock_ != nullptr; }

private:
    friend bool xMutex_Wait(CMutex& mutex, uint32_t milliseconds);
    friend bool xMutex_Release(CMutex& mutex);
    struct Lock;
    std::unique_ptr<Lock> lock_;
};

/// Waits up to `milliseconds` for the mutex (0: only tries); true once the calling thread holds
/// it, false without a handle or when the time ran out.
bool xMutex_Wait(CMutex& mutex, uint32_t milliseconds);
/// Gives one hold of the calling thread back (the last one frees the mutex for a waiter); true
/// also without a handle, false when the calling thread does not hold it.
bool xMutex_Release(CMutex& mutex);

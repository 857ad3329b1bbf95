#include "engine/base/Mutex.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

struct CMutex::Lock {
    std::mutex guard; ///< over the two fields below
    std::condition_variable freed;
    std::thread::id holder; ///< none while the mutex is free
    uint32_t holds = 0;
};

CMutex::CMutex(Handle handle) {
    if (handle == Handle::Made) lock_.reset(new (std::nothrow) Lock);
}

CMutex::~CMutex() = default;

bool xMutex_Wait(CMutex& mutex, uint32_t milliseconds) {
    CMutex::Lock* lock = mutex.lock_.get();
    if (!lock) return false;
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> held(lock->guard);
    if (lock->holder != self &&
        !lock->freed.wait_for(held, std::chrono::milliseconds(milliseconds),
                              [lock] { return lock->holder == std::thread::id(); }))
        return false;
    lock->holder = self;
    ++lock->holds;
    return true;
}

bool xMutex_Release(CMutex& mutex) {
    CMutex::Lock* lock = mutex.lock_.get();
    if (!lock) return true;
    {
        const std::lock_guard<std::mutex> held(lock->guard);
        if (lock->holder != std::this_thread::get_id()) return false;
        if (--lock->holds > 0) return true;
        lock->holder = std::thread::id();
    }
    lock->freed.notify_one();
    return true;
}

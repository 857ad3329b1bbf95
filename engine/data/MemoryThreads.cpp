// Threads and the pools: pool locks and their handed-out mark, frees queued into a pool that
// another thread holds, the default pool of each thread, the global pool list and the event
// that keeps pool creation and destruction apart.
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>

#include "engine/data/MemoryInternal.h"
#include "platform/Platform.h"

namespace memi {

namespace {

constinit NoDestroy<MemManager> g_manager;

/// A link word that a queued free has set but not yet filled in.
constexpr uintptr_t kLinkPending = ~uintptr_t{0};

std::atomic_ref<uintptr_t> Link(void* block) { return std::atomic_ref<uintptr_t>(*static_cast<uintptr_t*>(block)); }

/// The create/destroy event: auto-reset, initially set.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool set = true;
    int creators = 0;
    MemPool* pending = nullptr; ///< pools whose destroyer timed out
};

Gate& TheGate() {
    static NoDestroy<Gate> gate;
    return gate.value;
}

/// Destroys the pools left pending; called by the holder of the event before it sets it.
void DestroyPending(Gate& gate, std::unique_lock<std::mutex>& held) {
    while (gate.pending != nullptr) {
        MemPool* pool = gate.pending;
        gate.pending = pool->next;
        held.unlock();
        DestroyPoolNow(pool);
        held.lock();
    }
}

std::atomic<uint64_t> g_queuedFrees{0};

thread_local bool t_decidingProcessors = false;

int DecideProcessors(MemManager& manager) {
    // While the platform services are being made (operator new inside their constructors) or
    // asked, the question waits; the shared default pool serves meanwhile.
    if (t_decidingProcessors || !plat::ServicesReady()) {
        return 2;
    }
    t_decidingProcessors = true;
    const unsigned count = plat::system().ProcessorCount();
    t_decidingProcessors = false;
    int expected = 0;
    manager.processors.compare_exchange_strong(expected, count > 1 ? 2 : 1, std::memory_order_acq_rel);
    return manager.processors.load(std::memory_order_acquire);
}

MemPool* SharedDefaultPool(MemManager& manager) {
    MemPool* pool = manager.sharedDefault.load(std::memory_order_acquire);
    if (pool != nullptr) {
        return pool;
    }
    MemPool* fresh = PoolCreate(POOL_ENGINE | POOL_SERIALIZE);
    if (fresh == nullptr) {
        return nullptr;
    }
    if (manager.sharedDefault.compare_exchange_strong(pool, fresh, std::memory_order_acq_rel)) {
        return fresh;
    }
    PoolDestroy(fresh); // another thread made it first
    return pool;
}

MemPool* SlotPool(MemManager& manager, uint32_t slot) {
    MemPool* pool = manager.slots[slot].load(std::memory_order_acquire);
    if (pool != nullptr) {
        return pool;
    }
    MemPool* fresh = PoolCreate(POOL_ENGINE | POOL_SERIALIZE);
    if (fresh == nullptr) {
        return nullptr;
    }
    fresh->threadPool = true;
    {
        std::lock_guard<std::mutex> hold(manager.global);
        pool = manager.slots[slot].load(std::memory_order_acquire);
        if (pool == nullptr) {
            if (manager.ring == nullptr) {
                fresh->nextThreadPool.store(fresh, std::memory_order_relaxed);
                manager.ring = fresh;
            } else {
                fresh->nextThreadPool.store(manager.ring->nextThreadPool.load(std::memory_order_relaxed),
                                            std::memory_order_relaxed);
                manager.ring->nextThreadPool.store(fresh, std::memory_order_release);
            }
            manager.slots[slot].store(fresh, std::memory_order_release);
            return fresh;
        }
    }
    PoolDestroy(fresh); // another thread filled the slot meanwhile
    return pool;
}

} // namespace

MemManager& Manager() { return g_manager.value; }

uint32_t ThreadId() {
    thread_local uint32_t id = 0;
    if (id == 0) {
        id = static_cast<uint32_t>(syscall(SYS_gettid));
    }
    return id;
}

void Lock(MemPool* pool) {
    if (!(pool->flags & POOL_SERIALIZE)) {
        return;
    }
    PoolLock& lock = pool->lock;
    const uint32_t self = ThreadId();
    if (lock.owner.load(std::memory_order_relaxed) == self) {
        // A handed-out pool: this call takes over the hold that PoolForThread left.
        if (lock.handedOut) {
            lock.handedOut = false;
        } else {
            ++lock.depth;
        }
        return;
    }
    lock.mutex.lock();
    lock.owner.store(self, std::memory_order_relaxed);
    lock.depth = 1;
    lock.handedOut = false;
}

void Unlock(MemPool* pool) {
    if (!(pool->flags & POOL_SERIALIZE)) {
        return;
    }
    PoolLock& lock = pool->lock;
    if (lock.depth == 1) {
        if (pool->threadPool) {
            DrainDeferred(pool);
        }
        lock.handedOut = false;
    }
    if (--lock.depth == 0) {
        lock.owner.store(0, std::memory_order_relaxed);
        lock.mutex.unlock();
    }
}

bool TryHandOut(MemPool* pool) {
    PoolLock& lock = pool->lock;
    const uint32_t self = ThreadId();
    if (lock.owner.load(std::memory_order_relaxed) == self) {
        if (!lock.handedOut) {
            ++lock.depth;
            lock.handedOut = true;
        }
        return true;
    }
    if (!lock.mutex.try_lock()) {
        return false;
    }
    lock.owner.store(self, std::memory_order_relaxed);
    lock.depth = 1;
    lock.handedOut = true;
    return true;
}

bool HeldByOtherThread(const MemPool* pool) {
    if (!pool->threadPool) {
        return false;
    }
    const uint32_t owner = pool->lock.owner.load(std::memory_order_relaxed);
    return owner != 0 && owner != ThreadId();
}

uint64_t QueuedFreeCount() { return g_queuedFrees.load(std::memory_order_relaxed); }

void QueueDeferredFree(MemPool* pool, void* block) {
    g_queuedFrees.fetch_add(1, std::memory_order_relaxed);
    Link(block).store(kLinkPending, std::memory_order_relaxed);
    void* previous = pool->deferred.exchange(block, std::memory_order_acq_rel);
    Link(block).store(reinterpret_cast<uintptr_t>(previous), std::memory_order_release);
}

void DrainDeferred(MemPool* pool) {
    void* head = pool->deferred.load(std::memory_order_acquire);
    if (head == nullptr) {
        return;
    }
    uintptr_t chain = Link(head).load(std::memory_order_acquire);
    if (chain == 0 || chain == kLinkPending) {
        return;
    }
    // The newest block stays as the head; the chain behind it is freed up to a block whose
    // link is still being written, which goes back behind the head.
    Link(head).store(0, std::memory_order_relaxed);
    while (chain != 0) {
        void* block = reinterpret_cast<void*>(chain);
        const uintptr_t next = Link(block).load(std::memory_order_acquire);
        if (next == kLinkPending) {
            Link(head).store(chain, std::memory_order_relaxed);
            return;
        }
        FreeLocked(pool, PageOf(block), block);
        chain = next;
    }
}

void LinkPool(MemPool* pool) {
    MemManager& manager = Manager();
    std::lock_guard<std::mutex> hold(manager.global);
    pool->next = manager.poolList;
    manager.poolList = pool;
    ++manager.poolCount;
}

void UnlinkPool(MemPool* pool) {
    MemManager& manager = Manager();
    std::lock_guard<std::mutex> hold(manager.global);
    for (MemPool** link = &manager.poolList; *link != nullptr; link = &(*link)->next) {
        if (*link == pool) {
            *link = pool->next;
            --manager.poolCount;
            return;
        }
    }
}

void GateEnterCreate() {
    Gate& gate = TheGate();
    std::unique_lock<std::mutex> held(gate.mutex);
    if (gate.creators++ == 0) {
        gate.changed.wait(held, [&] { return gate.set; });
        gate.set = false;
    }
}

void GateLeaveCreate() {
    Gate& gate = TheGate();
    std::unique_lock<std::mutex> held(gate.mutex);
    if (--gate.creators == 0) {
        DestroyPending(gate, held);
        gate.set = true;
        gate.changed.notify_all();
    }
}

bool GateEnterDestroy(MemPool* pool) {
    Gate& gate = TheGate();
    std::unique_lock<std::mutex> held(gate.mutex);
    const auto ready = [&] { return gate.set; };
    if (pool->flags & POOL_VIRTUAL_64K) {
        gate.changed.wait(held, ready);
    } else if (!gate.changed.wait_for(held, std::chrono::milliseconds(1000), ready)) {
        UnlinkPool(pool);
        pool->next = gate.pending;
        gate.pending = pool;
        return false;
    }
    gate.set = false;
    return true;
}

void GateLeaveDestroy() {
    Gate& gate = TheGate();
    std::unique_lock<std::mutex> held(gate.mutex);
    DestroyPending(gate, held);
    gate.set = true;
    gate.changed.notify_all();
}

void DestroyPoolNow(MemPool* pool) {
    UnlinkPool(pool);
    pool->signature = 0;
    CMemSystem* system = pool->system;
    for (PageDesc* head : pool->lists) {
        if (head == nullptr) {
            continue;
        }
        PageDesc* desc = head;
        do {
            PageDesc* next = desc->next;
            RegistryRemove(desc->page);
            system->PageRelease(desc->page, desc->size);
            desc = next;
        } while (desc != head);
    }
    for (DescPage* page = pool->descPages; page != nullptr;) {
        DescPage* next = page->next;
        system->PageRelease(page, kDescPageSize);
        page = next;
    }
    pool->~MemPool();
    system->PageRelease(pool, kHeaderPageSize);
}

} // namespace memi

using namespace memi;

MemPool* PoolForThread() {
    MemManager& manager = Manager();
    int mode = manager.processors.load(std::memory_order_acquire);
    if (mode == 0) {
        mode = DecideProcessors(manager);
    }
    if (mode != 1) {
        return SharedDefaultPool(manager);
    }
    // One processor: the thread's slot pool when it can be locked at once, else the first pool
    // of the ring that can, else the pool after the slot's (the caller then waits for it).
    MemPool* pool = SlotPool(manager, ThreadId() % kThreadSlots);
    if (pool == nullptr) {
        return nullptr;
    }
    if (TryHandOut(pool)) {
        return pool;
    }
    MemPool* after = pool->nextThreadPool.load(std::memory_order_acquire);
    for (MemPool* other = after; other != pool; other = other->nextThreadPool.load(std::memory_order_acquire)) {
        if (TryHandOut(other)) {
            return other;
        }
    }
    return after;
}

void xMemory_ResetForTest() {
    MemManager& manager = Manager();
    MemPool* defaults[kThreadSlots + 1] = {};
    int count = 0;
    {
        std::lock_guard<std::mutex> hold(manager.global);
        if (MemPool* shared = manager.sharedDefault.exchange(nullptr)) {
            defaults[count++] = shared;
        }
        for (auto& slot : manager.slots) {
            if (MemPool* pool = slot.exchange(nullptr)) {
                defaults[count++] = pool;
            }
        }
        manager.ring = nullptr;
        manager.processors.store(0);
        manager.handler = &PoolDefaultErrorHandler;
        manager.clients = 0;
        for (ErrorRecord& record : manager.errors) {
            record = ErrorRecord{};
        }
        manager.newMode.store(0);
    }
    // Pools that still hold blocks (or are held) stay alive, out of the manager's sight.
    for (int i = 0; i < count; ++i) {
        MemPool* pool = defaults[i];
        if (!PageHasBlocksInUse(pool) && pool->lock.owner.load() == 0) {
            PoolDestroy(pool);
        } else {
            pool->threadPool = false;
        }
    }
    xMemory_SetSystem(nullptr);
    xMemory_MmapSystem().ResetHint();
}

// One frame tick of the run loop over trees of 100, 500 and 2,000 processes: the OnIdle walk
// alone, and the walk with one event delivered down the whole tree. A counting global operator
// new in this program shows that a tick allocates nothing.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "bench/BenchContext.h"
#include "engine/core/Process.h"
#include "engine/core/RunLoop.h"
#include "engine/data/Profiles.h"
#include "platform/Platform.h"

namespace {

std::atomic<uint64_t> g_allocations{0};

void* CountedAlloc(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}

// Out of line, so the compiler does not pair the malloc inside with the deletes below.
__attribute__((noinline)) void CountedFree(void* p) { std::free(p); }

} // namespace

void* operator new(std::size_t size) {
    if (void* p = CountedAlloc(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = CountedAlloc(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAlloc(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAlloc(size); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { CountedFree(p); }

namespace {

/// A process with a little per-frame work and an event handler that looks at the event.
class BenchProcess : public OProcess {
public:
    BenchProcess() : OProcess("bench", kClassId) { SetEventMask(kEventApplication | kEventMouse); }
    int32_t OnIdle() override {
        ++idles;
        return 1;
    }
    int32_t HandleEvent(const xEvent& e) override {
        events += e.type;
        return OProcess::HandleEvent(e);
    }
    uint64_t idles = 0;
    uint64_t events = 0;
};

/// The main window, groups of 20 processes under it, and every fifth process of a group with
/// four children of its own: three levels, `count` processes in all.
struct Tree {
    explicit Tree(int count) {
        int made = 0;
        while (made < count) {
            auto* group = new BenchProcess;
            root.AddChild(group);
            ++made;
            for (int i = 0; i < 19 && made < count; ++i) {
                auto* member = new BenchProcess;
                group->AddChild(member);
                ++made;
                for (int k = 0; k < 4 && i % 5 == 0 && made < count; ++k) {
                    member->AddChild(new BenchProcess);
                    ++made;
                }
            }
        }
    }
    BenchProcess root;
};

void Prepare() {
    vqt::bench::FreshEngineContext();
    xProfiles_Set("FULLSCREEN", sLong(0));
    xPlatform_SetEngineExists(true);
    xPlatform_StartTimers();
}

void Tick(benchmark::State& state, bool withEvent) {
    Prepare();
    const uint64_t beforeTree = g_allocations.load();
    Tree tree(int(state.range(0)));
    if (g_allocations.load() == beforeTree) state.SkipWithError("the allocation counter sees nothing");
    xPlatform_SetMainWindow(&tree.root, 1, nullptr);
    xEvent move;
    move.category = kEventMouse;
    move.type = kEvMouseMove;
    for (int i = 0; i < 64; ++i) FrameTick(0); // warm: every lazily made structure exists
    const uint64_t before = g_allocations.load();
    for (auto _ : state) {
        if (withEvent) CreateEvent(move);
        FrameTick(0);
    }
    const uint64_t allocations = g_allocations.load() - before;
    state.counters["allocs_per_tick"] = double(allocations) / double(state.iterations());
    state.counters["processes"] = double(state.range(0));
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
    xPlatform_SetMainWindow(nullptr, 0, nullptr);
    if (allocations != 0) state.SkipWithError("a frame tick allocated");
}

void BM_FrameTickIdle(benchmark::State& state) { Tick(state, false); }
void BM_FrameTickWithEvent(benchmark::State& state) { Tick(state, true); }

} // namespace

BENCHMARK(BM_FrameTickIdle)->Arg(100)->Arg(500)->Arg(2000);
BENCHMARK(BM_FrameTickWithEvent)->Arg(100)->Arg(500)->Arg(2000);

BENCHMARK_MAIN();

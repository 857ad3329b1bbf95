// Allocate and free of mixed small sizes: the engine's pools beside the C library's malloc and
// free of the same sizes in the same order, in one binary.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "engine/data/Memory.h"

namespace {

constexpr size_t kBatch = 1024;

/// The same mixed small sizes (1-256 bytes) for every run.
const std::vector<size_t>& Sizes() {
    static const std::vector<size_t> sizes = [] {
        std::mt19937 random(7);
        std::vector<size_t> made(kBatch);
        for (size_t& size : made) {
            size = 1 + random() % 256;
        }
        return made;
    }();
    return sizes;
}

/// Free order: a fixed shuffle, so that frees do not simply undo the allocations in reverse.
const std::vector<size_t>& FreeOrder() {
    static const std::vector<size_t> order = [] {
        std::vector<size_t> made(kBatch);
        for (size_t i = 0; i < kBatch; ++i) {
            made[i] = i;
        }
        std::shuffle(made.begin(), made.end(), std::mt19937(11));
        return made;
    }();
    return order;
}

void BM_PoolBatch(benchmark::State& state) {
    const auto& sizes = Sizes();
    const auto& order = FreeOrder();
    std::vector<void*> blocks(kBatch);
    for (auto _ : state) {
        for (size_t i = 0; i < kBatch; ++i) {
            blocks[i] = PoolAllocBlock(PoolForThread(), sizes[i]);
        }
        benchmark::DoNotOptimize(blocks.data());
        for (size_t i : order) {
            PoolFreeBlock(blocks[i]);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kBatch));
}

void BM_MallocBatch(benchmark::State& state) {
    const auto& sizes = Sizes();
    const auto& order = FreeOrder();
    std::vector<void*> blocks(kBatch);
    for (auto _ : state) {
        for (size_t i = 0; i < kBatch; ++i) {
            blocks[i] = std::malloc(sizes[i]);
        }
        benchmark::DoNotOptimize(blocks.data());
        for (size_t i : order) {
            std::free(blocks[i]);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kBatch));
}

void BM_PoolPairs(benchmark::State& state) {
    const auto& sizes = Sizes();
    for (auto _ : state) {
        for (size_t size : sizes) {
            void* block = PoolAllocBlock(PoolForThread(), size);
            benchmark::DoNotOptimize(block);
            PoolFreeBlock(block);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kBatch));
}

void BM_MallocPairs(benchmark::State& state) {
    const auto& sizes = Sizes();
    for (auto _ : state) {
        for (size_t size : sizes) {
            void* block = std::malloc(size);
            benchmark::DoNotOptimize(block);
            std::free(block);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kBatch));
}

BENCHMARK(BM_PoolBatch);
BENCHMARK(BM_MallocBatch);
BENCHMARK(BM_PoolPairs);
BENCHMARK(BM_MallocPairs);
BENCHMARK(BM_PoolBatch)->Threads(4)->UseRealTime();
BENCHMARK(BM_MallocBatch)->Threads(4)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

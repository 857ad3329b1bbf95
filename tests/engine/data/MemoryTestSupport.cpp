#include "tests/engine/data/MemoryTestSupport.h"

namespace vqt::test {

ErrorRecorder& ErrorRecorder::Get() {
    static ErrorRecorder recorder;
    return recorder;
}

int ErrorRecorder::Handler(MemErrorRecord* record) {
    ErrorRecorder& self = Get();
    std::lock_guard<std::mutex> hold(self.mutex);
    self.codes.push_back(record->code);
    self.objects.push_back(record->object);
    if (self.answers.empty()) return 0;
    const int answer = self.answers.front();
    self.answers.pop_front();
    return answer;
}

void ErrorRecorder::Clear() {
    std::lock_guard<std::mutex> hold(mutex);
    codes.clear();
    objects.clear();
    answers.clear();
}

std::vector<int> ErrorRecorder::Codes() {
    std::lock_guard<std::mutex> hold(mutex);
    return codes;
}

void ErrorRecorder::Script(std::initializer_list<int> list) {
    std::lock_guard<std::mutex> hold(mutex);
    answers.insert(answers.end(), list);
}

void MemoryTest::SetUp() {
    HeadlessTest::SetUp();
    xMemory_ResetForTest();
    ErrorRecorder::Get().Clear();
    PoolSetErrorHandler(&ErrorRecorder::Handler);
}

void MemoryTest::TearDown() {
    for (MemPool* pool : pools) PoolDestroy(pool);
    pools.clear();
    xMemory_ResetForTest();
    ErrorRecorder::Get().Clear();
    HeadlessTest::TearDown();
}

MemPool* MemoryTest::FakePool(uint64_t floor, uint64_t ceiling, uint32_t blockSize, uint16_t flags) {
    CMemSystem* previous = xMemory_SetSystem(&fake);
    MemPool* pool = PoolCreateEx(blockSize, 0, flags, nullptr, floor, ceiling);
    xMemory_SetSystem(previous == &xMemory_MmapSystem() ? nullptr : previous);
    if (pool != nullptr) pools.push_back(pool);
    return pool;
}

int64_t LiveBlocks(MemPool* pool) {
    PoolWalkEntry entry;
    int64_t live = 0;
    int step;
    while ((step = PoolWalk(pool, &entry)) == 1) live += entry.inUse;
    return step == 0 ? live : -1;
}

} // namespace vqt::test

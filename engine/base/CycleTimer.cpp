#include "engine/base/CycleTimer.h"

#include "engine/base/BaseState.h"
#include "platform/Platform.h"

namespace {

uint64_t Counter() { return plat::clock().CycleCount() - xBase_State().cycleBase; }

} // namespace

void CCycleTimer::Calibrate() {
    for (int i = 0; i < 7; ++i) (void)plat::clock().CycleCount();
    xBase_State().cycleBase = 0;
    CCycleRecord outer;
    CCycleRecord inner;
    Start(outer);
    Start(inner);
    Stop(inner);
    Stop(outer);
}

void CCycleTimer::Start(CCycleRecord& record) {
    record.start = Counter();
    record.stop = 0;
}

void CCycleTimer::Stop(CCycleRecord& record) { record.stop = Counter(); }

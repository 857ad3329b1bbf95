#include "engine/core/Timer.h"

#include "platform/Platform.h"

uint32_t CTimerRec::Now() const { return paused != 0 ? paused : plat::clock().TickCount(); }

bool CTimerRec::HasElapsed() const {
    return running != 0 && Now() - start > uint32_t(duration);
}

void CTimerRec::Start(int32_t ms) {
    duration = ms;
    start = plat::clock().TickCount();
    paused = 0;
    running = 1;
}

void CTimerRec::Stop() {
    running = 0;
    start = plat::clock().TickCount();
    paused = 0;
}

void CTimerRec::Pause() {
    if (paused == 0) paused = plat::clock().TickCount();
}

void CTimerRec::Resume() {
    if (paused == 0) return;
    start += plat::clock().TickCount() - paused;
    paused = 0;
}

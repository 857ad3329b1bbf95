#include "engine/core/Event.h"

#include "engine/base/Trace.h"
#include "engine/core/CoreState.h"

CEventRing& CEventRing::Get() { return xCore_State().events; }

void CEventRing::Add(const xEvent& event) {
    if (event.type == kEvAppSuspend) xTrace("suspend event added to CreateEvent\n");
    if (count_ >= kSize) {
        xTrace("Exceeded event queue maximum\n");
        return;
    }
    switch (event.type) {
    case kEvPaint:
    case kEvMouseMove:
    case kEvPaletteNotice:
    case kEvPaletteRequest:
    case kEvAppSuspend:
    case kEvAppResume:
        // Only records still waiting count: the waiting one keeps its place and parameters.
        for (int16_t n = 0; n < count_; ++n) {
            const xEvent& waiting = Waiting(n);
            if (waiting.category == event.category && waiting.type == event.type) return;
        }
        break;
    default:
        break;
    }
    records_[write_] = event;
    ++count_;
    write_ = int16_t((write_ + 1) % kSize);
}

void CEventRing::PopOldest() {
    if (count_ < 1) return;
    read_ = int16_t((read_ + 1) % kSize);
    --count_;
}

void CreateEvent(const xEvent& event) { CEventRing::Get().Add(event); }

#include "engine/base/Random.h"

#include "engine/base/BaseState.h"

void xSRand(uint32_t seed) { xBase_State().randomState = seed; }

int xRand() {
    uint32_t& state = xBase_State().randomState;
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
}

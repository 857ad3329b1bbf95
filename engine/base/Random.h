#pragma once
#include <cstdint>

/// The engine's one random source, with the classic C runtime arithmetic:
/// state = state * 214013 + 2531011, result = (state >> 16) & 0x7FFF.
void xSRand(uint32_t seed);
/// The next number, 0..0x7FFF.
int xRand();

#pragma once
#include <cstddef>

/// Sorts `count` elements of `size` bytes in place by the comparison (negative, zero or
/// positive, as the C library's qsort takes it); not stable. Fewer than 2 elements or a size of
/// 0 do nothing.
void xSort(void* base, size_t count, size_t size, int (*compare)(const void*, const void*));

#include "engine/base/Sort.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr size_t kSmallRange = 8;

void Swap(uint8_t* a, uint8_t* b, size_t size) {
    if (a == b) return;
    if (size == 4) {
        uint32_t x;
        uint32_t y;
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
        std::memcpy(a, &y, 4);
        std::memcpy(b, &x, 4);
        return;
    }
    for (size_t i = 0; i < size; ++i) {
        const uint8_t t = a[i];
        a[i] = b[i];
        b[i] = t;
    }
}

/// Selection sort of [lo, hi]: the largest element moves to the end, the range shrinks.
void SelectionSort(uint8_t* lo, uint8_t* hi, size_t size, int (*compare)(const void*, const void*)) {
    while (hi > lo) {
        uint8_t* largest = lo;
        for (uint8_t* p = lo + size; p <= hi; p += size)
            if (compare(p, largest) > 0) largest = p;
        Swap(largest, hi, size);
        hi -= size;
    }
}

} // namespace

void xSort(void* base, size_t count, size_t size, int (*compare)(const void*, const void*)) {
    if (count < 2 || size == 0 || !base || !compare) return;
    // Ranges still to sort. The parts of a partition are disjoint, so the order in which they
    // are finished does not change the result; the larger part waits here and the smaller one
    // is sorted next, which keeps the stack within one range per halving.
    struct Range {
        uint8_t* lo;
        uint8_t* hi;
    };
    Range stack[8 * sizeof(size_t)];
    int depth = 0;
    uint8_t* lo = static_cast<uint8_t*>(base);
    uint8_t* hi = lo + (count - 1) * size;
    for (;;) {
        const size_t n = size_t(hi - lo) / size + 1;
        if (n <= kSmallRange) {
            SelectionSort(lo, hi, size, compare);
        } else {
            // The middle element is the pivot, kept at the front while the range is split.
            Swap(lo, lo + (n / 2) * size, size);
            uint8_t* left = lo;
            uint8_t* right = hi + size;
            for (;;) {
                do left += size;
                while (left <= hi && compare(left, lo) <= 0);
                do right -= size;
                while (right > lo && compare(right, lo) >= 0);
                if (right < left) break;
                Swap(left, right, size);
            }
            Swap(lo, right, size);
            // [lo, right - 1] is not above the pivot, [left, hi] not below it.
            uint8_t* const leftHi = right - size;
            uint8_t* const rightLo = left;
            const bool leftHas = right > lo + size;
            const bool rightHas = rightLo < hi;
            const size_t leftCount = leftHas ? size_t(leftHi - lo) / size + 1 : 0;
            const size_t rightCount = rightHas ? size_t(hi - rightLo) / size + 1 : 0;
            if (leftCount > 1 && rightCount > 1) {
                if (leftCount < rightCount) {
                    stack[depth++] = {rightLo, hi};
                    hi = leftHi;
                } else {
                    stack[depth++] = {lo, leftHi};
                    lo = rightLo;
                }
                continue;
            }
            if (leftCount > 1) {
                hi = leftHi;
                continue;
            }
            if (rightCount > 1) {
                lo = rightLo;
                continue;
            }
        }
        if (depth == 0) return;
        --depth;
        lo = stack[depth].lo;
        hi = stack[depth].hi;
    }
}

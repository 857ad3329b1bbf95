// The vector form of the 16-bit colour-table lookups: 32 pixels at a time, the 256-entry table
// held in eight 512-bit registers and read with word permutes, the line's last group read and
// written through a mask. It reads the same table as the one-pixel form, so the pixels are the
// same. It runs only where the processor has the 512-bit byte and word instructions.
#include "engine/blit/BltPixel.h"
#include "engine/blit/Blitter.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VQT_LOOKUP_VECTOR 1
#include <immintrin.h>
#endif

namespace blt {

#if defined(VQT_LOOKUP_VECTOR)

namespace {

template <bool Keyed>
__attribute__((target("avx512bw,avx512vl"))) void Lookup32(const uint8_t* src, int32_t n, uint16_t* d,
                                                           const uint16_t* t) {
    // Entries 0-31, 32-63, ..., 224-255.
    const __m512i t0 = _mm512_loadu_si512(t), t1 = _mm512_loadu_si512(t + 32), t2 = _mm512_loadu_si512(t + 64),
                  t3 = _mm512_loadu_si512(t + 96), t4 = _mm512_loadu_si512(t + 128),
                  t5 = _mm512_loadu_si512(t + 160), t6 = _mm512_loadu_si512(t + 192),
                  t7 = _mm512_loadu_si512(t + 224);
    const __m512i bit6 = _mm512_set1_epi16(64);
    const __m512i bit7 = _mm512_set1_epi16(128);
    // Draws the pixels of group i that inside marks.
    auto group = [&](int32_t i, __mmask32 inside) __attribute__((target("avx512bw,avx512vl"))) {
        const __m512i v = _mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(inside, src + i));
        // A permute of two registers reads 64 entries by the low six bits of v; bits 6 and 7
        // choose among the four results.
        const __mmask32 upper64 = _mm512_test_epi16_mask(v, bit6);
        const __m512i low = _mm512_mask_blend_epi16(upper64, _mm512_permutex2var_epi16(t0, v, t1),
                                                    _mm512_permutex2var_epi16(t2, v, t3));
        const __m512i high = _mm512_mask_blend_epi16(upper64, _mm512_permutex2var_epi16(t4, v, t5),
                                                     _mm512_permutex2var_epi16(t6, v, t7));
        const __m512i colours = _mm512_mask_blend_epi16(_mm512_test_epi16_mask(v, bit7), low, high);
        // Keyed: lanes of 0 are left, those outside the line among them (they read 0).
        const __mmask32 drawn = Keyed ? _mm512_test_epi16_mask(v, v) : inside;
        _mm512_mask_storeu_epi16(d + i, drawn, colours);
    };
    int32_t i = 0;
    for (; i + 32 <= n; i += 32) {
        group(i, ~__mmask32{0});
    }
    if (i < n) {
        group(i, (__mmask32{1} << (n - i)) - 1);
    }
}

bool HasVectorLookup() {
    static const bool has = __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
    return has;
}

} // namespace

bool LookupVector16(const uint8_t* src, int32_t n, uint16_t* d, const uint16_t* t, bool keyed) {
    if (BltContext().vectorCode == 0 || !HasVectorLookup()) {
        return false;
    }
    if (keyed) {
        Lookup32<true>(src, n, d, t);
    } else {
        Lookup32<false>(src, n, d, t);
    }
    return true;
}

#else

bool LookupVector16(const uint8_t*, int32_t, uint16_t*, const uint16_t*, bool) { return false; }

#endif

} // namespace blt

// The vector form of the 16-bit colour-table lookups: 32 pixels at a time, the 256-entry table
// held in eight 512-bit registers and read with word permutes. It reads the same table as the
// one-pixel form, so whatever part of a line it draws, the pixels are the same. It runs only where
// the processor has the 512-bit byte and word instructions.
#include "engine/blit/BltPixel.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VQT_LOOKUP_VECTOR 1
#include <immintrin.h>
#endif

namespace blt {

#if defined(VQT_LOOKUP_VECTOR)

namespace {

template <bool Keyed>
__attribute__((target("avx512bw"))) int32_t Lookup32(const uint8_t* src, int32_t n, uint16_t* d,
                                                     const uint16_t* t) {
    __m512i quarter[8];  // entries 32k to 32k + 31
    for (int k = 0; k < 8; ++k) {
        quarter[k] = _mm512_loadu_si512(t + 32 * k);
    }
    const __m512i bit6 = _mm512_set1_epi16(64);
    const __m512i bit7 = _mm512_set1_epi16(128);
    int32_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m512i v = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)));
        // A permute of two registers reads 64 entries by the low six bits of v; bits 6 and 7
        // choose among the four results.
        const __mmask32 upper64 = _mm512_test_epi16_mask(v, bit6);
        const __m512i low = _mm512_mask_blend_epi16(upper64, _mm512_permutex2var_epi16(quarter[0], v, quarter[1]),
                                                    _mm512_permutex2var_epi16(quarter[2], v, quarter[3]));
        const __m512i high = _mm512_mask_blend_epi16(upper64, _mm512_permutex2var_epi16(quarter[4], v, quarter[5]),
                                                     _mm512_permutex2var_epi16(quarter[6], v, quarter[7]));
        const __m512i colours = _mm512_mask_blend_epi16(_mm512_test_epi16_mask(v, bit7), low, high);
        if constexpr (Keyed) {
            _mm512_mask_storeu_epi16(d + i, _mm512_test_epi16_mask(v, v), colours);
        } else {
            _mm512_storeu_si512(d + i, colours);
        }
    }
    return i;
}

bool HasVectorLookup() {
    static const bool has = __builtin_cpu_supports("avx512bw");
    return has;
}

} // namespace

int32_t LookupVector16(const uint8_t* src, int32_t n, uint16_t* d, const uint16_t* t, bool keyed) {
    if (!HasVectorLookup()) {
        return 0;
    }
    return keyed ? Lookup32<true>(src, n, d, t) : Lookup32<false>(src, n, d, t);
}

#else

int32_t LookupVector16(const uint8_t*, int32_t, uint16_t*, const uint16_t*, bool) { return 0; }

#endif

} // namespace blt

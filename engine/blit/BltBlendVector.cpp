// The vector implementation of the blended compressed reader: the field blend on eight 16-bit
// pixels at once. Every lane computes exactly what the one-pixel form computes (the products
// stay below 2^16 because the weight is kept to 0-256), so both implementations give the same
// pixels for every blend level and any destination alignment.
#include <cstring>

#include "engine/blit/BltComp.h"
#include "engine/blit/BltPixel.h"
#include "engine/blit/Blitter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)

template <bool Is565>
inline __m128i FieldBlend8(__m128i s, __m128i d, __m128i a, __m128i k) {
    const __m128i c64 = _mm_set1_epi16(64);
    auto field = [&](int shift, int mask) {
        const __m128i m = _mm_set1_epi16(static_cast<int16_t>(mask));
        const __m128i sf = _mm_and_si128(_mm_srli_epi16(s, shift), m);
        const __m128i df = _mm_and_si128(_mm_srli_epi16(d, shift), m);
        const __m128i t = _mm_sub_epi16(_mm_add_epi16(sf, c64), df);
        const __m128i q = _mm_srli_epi16(_mm_mullo_epi16(t, a), 8);
        const __m128i r = _mm_and_si128(_mm_sub_epi16(_mm_add_epi16(q, df), k), m);
        return _mm_slli_epi16(r, shift);
    };
    if (Is565) {
        return _mm_or_si128(_mm_or_si128(field(11, 0x1F), field(5, 0x3F)), field(0, 0x1F));
    }
    return _mm_or_si128(_mm_or_si128(field(10, 0x1F), field(5, 0x1F)), field(0, 0x1F));
}

template <bool Is565>
struct VectorFieldMode {
    using Pixel = uint16_t;
    static constexpr blt::BadOpcode kBad = blt::BadOpcode::kEnd;
    const uint16_t* t;
    __m128i a;
    __m128i k;

    /// Blends n (up to 8) pixels at d with colours s; where keep has a lane set the
    /// destination stays.
    void Blend(uint16_t* d, int32_t n, __m128i s, __m128i keep) const {
        if (n == 8) {
            const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
            const __m128i r = FieldBlend8<Is565>(s, dv, a, k);
            const __m128i out = _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, r));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), out);
            return;
        }
        alignas(16) uint16_t buffer[8] = {};
        std::memcpy(buffer, d, static_cast<size_t>(n) * 2);
        const __m128i dv = _mm_load_si128(reinterpret_cast<const __m128i*>(buffer));
        const __m128i r = FieldBlend8<Is565>(s, dv, a, k);
        const __m128i out = _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, r));
        _mm_store_si128(reinterpret_cast<__m128i*>(buffer), out);
        std::memcpy(d, buffer, static_cast<size_t>(n) * 2);
    }

    template <int Step>
    void Run(uint16_t* at, int32_t n, uint8_t v) const {
        const __m128i s = _mm_set1_epi16(static_cast<int16_t>(t[v]));
        const __m128i none = _mm_setzero_si128();
        for (int32_t i = 0; i < n; i += 8) {
            Blend(at + i, n - i < 8 ? n - i : 8, s, none);
        }
    }
    /// Colours of up to 8 values, and the lanes whose value is 0.
    void Gather(const uint8_t* data, int32_t n, __m128i& s, __m128i& zero) const {
        alignas(16) uint16_t colours[8] = {};
        alignas(16) uint16_t values[8] = {1, 1, 1, 1, 1, 1, 1, 1};
        for (int32_t i = 0; i < n; ++i) {
            colours[i] = t[data[i]];
            values[i] = data[i];
        }
        s = _mm_load_si128(reinterpret_cast<const __m128i*>(colours));
        zero = _mm_cmpeq_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(values)), _mm_setzero_si128());
    }
    template <int Step>
    void Literal(uint16_t* at, int32_t n, const uint8_t* data) const {
        for (int32_t i = 0; i < n; i += 8) {
            const int32_t m = n - i < 8 ? n - i : 8;
            __m128i s, zero;
            Gather(data + i, m, s, zero);
            Blend(at + i, m, s, _mm_setzero_si128());
        }
    }
    template <int Step>
    void Holes(uint16_t* at, int32_t n, const uint8_t* data) const {
        for (int32_t i = 0; i < n; i += 8) {
            const int32_t m = n - i < 8 ? n - i : 8;
            __m128i s, zero;
            Gather(data + i, m, s, zero);
            Blend(at + i, m, s, zero);
        }
    }
    template <int Step>
    void Skip(uint16_t*, int32_t) const {}
    template <int Step>
    void Finish(uint16_t*, int32_t, blt::DecodeEnd) const {}
    void OnBadOpcode(uint8_t) const {}
    void OnMissingTable() const {}
};

template <bool Is565>
void DrawVector(const uint8_t* line, uint16_t* dst, const uint16_t* table16, const uint8_t* blocks) {
    const int32_t a = blt::FieldBlendWeight(BltContext().BltBlendLevel);
    const VectorFieldMode<Is565> mode{table16, _mm_set1_epi16(static_cast<int16_t>(a)),
                                      _mm_set1_epi16(static_cast<int16_t>(a >> 2))};
    // Unmirrored: the width is not needed to place pixels.
    blt::DrawLine<1>(mode, line, 0, dst, blocks);
}

#else

template <bool Is565>
struct ScalarFieldMode {
    using Pixel = uint16_t;
    static constexpr blt::BadOpcode kBad = blt::BadOpcode::kEnd;
    const uint16_t* t;
    int32_t a;
    template <int Step>
    void Run(uint16_t* at, int32_t n, uint8_t v) const {
        for (int32_t i = 0; i < n; ++i) at[i] = blt::FieldBlend<Is565>(t[v], at[i], a);
    }
    template <int Step>
    void Literal(uint16_t* at, int32_t n, const uint8_t* data) const {
        for (int32_t i = 0; i < n; ++i) at[i] = blt::FieldBlend<Is565>(t[data[i]], at[i], a);
    }
    template <int Step>
    void Holes(uint16_t* at, int32_t n, const uint8_t* data) const {
        for (int32_t i = 0; i < n; ++i)
            if (data[i] != 0) at[i] = blt::FieldBlend<Is565>(t[data[i]], at[i], a);
    }
    template <int Step>
    void Skip(uint16_t*, int32_t) const {}
    template <int Step>
    void Finish(uint16_t*, int32_t, blt::DecodeEnd) const {}
    void OnBadOpcode(uint8_t) const {}
    void OnMissingTable() const {}
};

template <bool Is565>
void DrawVector(const uint8_t* line, uint16_t* dst, const uint16_t* table16, const uint8_t* blocks) {
    const ScalarFieldMode<Is565> mode{table16, blt::FieldBlendWeight(BltContext().BltBlendLevel)};
    blt::DrawLine<1>(mode, line, 0, dst, blocks);
}

#endif

} // namespace

void BltCompBlendedMMX_8bTo555(const uint8_t* line, uint16_t* dst, const uint16_t* table16,
                               const uint8_t* blocks) {
    DrawVector<false>(line, dst, table16, blocks);
}

void BltCompBlendedMMX_8bTo565(const uint8_t* line, uint16_t* dst, const uint16_t* table16,
                               const uint8_t* blocks) {
    DrawVector<true>(line, dst, table16, blocks);
}

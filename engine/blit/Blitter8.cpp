// Line routines into 8-bit destinations: plain, mirrored, scaled, silhouette, tinted and
// blended copies, and the compressed readers that also unpack frame lines into line buffers.
#include <cstring>

#include "engine/base/Trace.h"
#include "engine/blit/Blitter.h"
#include "engine/blit/BltComp.h"
#include "engine/blit/BltWalk.h"

using blt::Walk;

namespace {

template <Walk W>
void Solid8(const uint8_t* src, int16_t count, void* dst) {
    uint8_t* d = static_cast<uint8_t*>(dst);
    if constexpr (W == Walk::kPlain) {
        if (count > 0) {
            std::memcpy(d, src, static_cast<size_t>(count));
        }
    } else {
        blt::ForEachPixel<W>(count, [&](int32_t j, int32_t i) { d[j] = src[i]; });
    }
}

template <Walk W>
void Trans8(const uint8_t* src, int16_t count, void* dst) {
    uint8_t* d = static_cast<uint8_t*>(dst);
    blt::ForEachPixel<W>(count, [&](int32_t j, int32_t i) {
        const uint8_t v = src[i];
        if (v != 0) {
            d[j] = v;
        }
    });
}

// ---- compressed readers ----

struct Solid8Mode {
    using Pixel = uint8_t;
    static constexpr blt::BadOpcode kBad = blt::BadOpcode::kSkip;
    const char* missingTableText = nullptr;

    template <int Step>
    void Run(uint8_t* at, int32_t n, uint8_t v) const {
        if (Step > 0) {
            std::memset(at, v, static_cast<size_t>(n));
        } else {
            std::memset(at - n + 1, v, static_cast<size_t>(n));
        }
    }
    template <int Step>
    void Literal(uint8_t* at, int32_t n, const uint8_t* data) const {
        if (Step > 0) {
            std::memcpy(at, data, static_cast<size_t>(n));
        } else {
            for (int32_t i = 0; i < n; ++i) {
                at[-i] = data[i];
            }
        }
    }
    template <int Step>
    void Holes(uint8_t* at, int32_t n, const uint8_t* data) const {
        Literal<Step>(at, n, data);
    }
    template <int Step>
    void Skip(uint8_t* at, int32_t n) const {
        Run<Step>(at, n, 0);
    }
    template <int Step>
    void Finish(uint8_t* dst, int32_t width, blt::DecodeEnd end) const {
        blt::FillUnreached<Step>(dst, width, end, [](uint8_t& p) { p = 0; });
    }
    void OnBadOpcode(uint8_t) const {}
    void OnMissingTable() const {
        if (missingTableText != nullptr) {
            xTrace(missingTableText);
        }
    }
};

/// Transparent reader; with a remap table, every drawn value v becomes map(v, destination).
template <class Map>
struct Trans8Mode {
    using Pixel = uint8_t;
    static constexpr blt::BadOpcode kBad = blt::BadOpcode::kSkip;
    const char* missingTableText = nullptr;
    Map map;

    template <int Step>
    void Run(uint8_t* at, int32_t n, uint8_t v) const {
        for (int32_t i = 0; i < n; ++i) {
            map.Put(at[Step * i], v);
        }
    }
    template <int Step>
    void Literal(uint8_t* at, int32_t n, const uint8_t* data) const {
        for (int32_t i = 0; i < n; ++i) {
            map.Put(at[Step * i], data[i]);
        }
    }
    template <int Step>
    void Holes(uint8_t* at, int32_t n, const uint8_t* data) const {
        for (int32_t i = 0; i < n; ++i) {
            if (data[i] != 0) {
                map.Put(at[Step * i], data[i]);
            }
        }
    }
    template <int Step>
    void Skip(uint8_t*, int32_t) const {}
    template <int Step>
    void Finish(uint8_t*, int32_t, blt::DecodeEnd) const {}
    void OnBadOpcode(uint8_t) const {}
    void OnMissingTable() const {
        if (missingTableText != nullptr) {
            xTrace(missingTableText);
        }
    }
};

struct CopyMap {
    void Put(uint8_t& d, uint8_t v) const { d = v; }
};
struct TintMap {
    const uint8_t* table;
    void Put(uint8_t& d, uint8_t v) const {
        if (v != 0) {
            d = table[v];
        }
    }
};
struct BlendMap {
    const uint8_t* table;
    void Put(uint8_t& d, uint8_t v) const {
        if (v != 0) {
            d = table[v * 256 + d];
        }
    }
};

constexpr const char* kTransXNoTable =
    "BltCompTransX_8bTo8b - Common block opcode encountered but no common block table found!\n";
constexpr const char* kSolidXNoTable =
    "BltCompSolidX_8bTo8b - Common block opcode encountered but no common block table found!\n";

} // namespace

void BltSolid_8bTo8b(const uint8_t* s, int16_t n, void* d, CColorPalette*) { Solid8<Walk::kPlain>(s, n, d); }
void BltSolidX_8bTo8b(const uint8_t* s, int16_t n, void* d, CColorPalette*) { Solid8<Walk::kPlainX>(s, n, d); }
void BltTrans_8bTo8b(const uint8_t* s, int16_t n, void* d, CColorPalette*) { Trans8<Walk::kPlain>(s, n, d); }
void BltTransX_8bTo8b(const uint8_t* s, int16_t n, void* d, CColorPalette*) { Trans8<Walk::kPlainX>(s, n, d); }
void BltScaledSolid_8bTo8b(const uint8_t* s, int16_t n, void* d, CColorPalette*) {
    Solid8<Walk::kScaled>(s, n, d);
}
void BltScaledSolidX_8bTo8b(const uint8_t* s, int16_t n, void* d, CColorPalette*) {
    Solid8<Walk::kScaledX>(s, n, d);
}
void BltScaledTrans_8bTo8b(const uint8_t* s, int16_t n, void* d, CColorPalette*) {
    Trans8<Walk::kScaled>(s, n, d);
}
void BltScaledTransX_8bTo8b(const uint8_t* s, int16_t n, void* d, CColorPalette*) {
    Trans8<Walk::kScaledX>(s, n, d);
}

void BltSilhouette_8bTo8b(const uint8_t* src, int16_t count, void* dst, CColorPalette*) {
    uint8_t* d = static_cast<uint8_t*>(dst);
    blt::ForEachPixel<Walk::kPlain>(count, [&](int32_t j, int32_t i) {
        if (src[i] != 0) {
            d[j] = 0;
        }
    });
}

void BltTinted_8bTo8b(const uint8_t* src, int16_t count, void* dst, CColorPalette* palette) {
    const uint8_t* table = BltContext().BltTintPalette8;
    if (table == nullptr) {
        xTrace("BltTinted_8bTo8b - Warning - tinted draw called without tint palette set\n");
        BltTrans_8bTo8b(src, count, dst, palette);
        return;
    }
    uint8_t* d = static_cast<uint8_t*>(dst);
    blt::ForEachPixel<Walk::kPlain>(count, [&](int32_t j, int32_t i) { TintMap{table}.Put(d[j], src[i]); });
}

void BltBlended_8bTo8b(const uint8_t* src, int16_t count, void* dst, CColorPalette* palette) {
    const uint8_t* table = BltContext().BltBlendPalette8;
    if (table == nullptr) {
        xTrace("BltBlended_8bTo8b - Warning - blended draw called without blend palette set\n");
        BltTrans_8bTo8b(src, count, dst, palette);
        return;
    }
    uint8_t* d = static_cast<uint8_t*>(dst);
    blt::ForEachPixel<Walk::kPlain>(count, [&](int32_t j, int32_t i) { BlendMap{table}.Put(d[j], src[i]); });
}

void BltCompSolid_8bTo8b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                         CColorPalette*) {
    blt::DrawLine<1>(Solid8Mode{}, line, width, static_cast<uint8_t*>(dst), blocks);
}

void BltCompSolidX_8bTo8b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                          CColorPalette*) {
    blt::DrawLine<-1>(Solid8Mode{kSolidXNoTable}, line, width, static_cast<uint8_t*>(dst), blocks);
}

void BltCompTrans_8bTo8b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                         CColorPalette*) {
    blt::DrawLine<1>(Trans8Mode<CopyMap>{}, line, width, static_cast<uint8_t*>(dst), blocks);
}

void BltCompTransX_8bTo8b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                          CColorPalette*) {
    blt::DrawLine<-1>(Trans8Mode<CopyMap>{kTransXNoTable, {}}, line, width, static_cast<uint8_t*>(dst),
                      blocks);
}

void BltCompTinted_8bTo8b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                          CColorPalette* palette) {
    const uint8_t* table = BltContext().BltTintPalette8;
    if (table == nullptr) {
        xTrace("Warning - tinted draw called without tint palette set\n");
        BltCompTrans_8bTo8b(line, width, dst, blocks, palette);
        return;
    }
    blt::DrawLine<1>(Trans8Mode<TintMap>{nullptr, {table}}, line, width, static_cast<uint8_t*>(dst), blocks);
}

void BltCompBlended_8bTo8b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                           CColorPalette* palette) {
    const uint8_t* table = BltContext().BltBlendPalette8;
    if (table == nullptr) {
        xTrace("BltCompBlended_8bTo8b - Warning - blended draw called without blend palette set\n");
        BltCompTrans_8bTo8b(line, width, dst, blocks, palette);
        return;
    }
    blt::DrawLine<1>(Trans8Mode<BlendMap>{nullptr, {table}}, line, width, static_cast<uint8_t*>(dst), blocks);
}

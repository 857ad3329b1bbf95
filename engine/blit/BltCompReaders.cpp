// Compressed line readers into 16-bit and 24-bit destinations.
#include <cstdio>
#include <type_traits>

#include "engine/base/Trace.h"
#include "engine/blit/Blitter.h"
#include "engine/blit/BltComp.h"
#include "engine/blit/BltPixel.h"

namespace {

/// Traces of a reader: what it reports for a bad opcode and for a reference without a table.
struct Quiet {
    static void BadOpcode(uint8_t) {}
    static void MissingTable() {}
};
struct Solid16Traces {
    static void BadOpcode(uint8_t) {
        xTrace("VQTRLE_DecompressLine() - Bad opcode on decompression!!\n", "Blitter16.cpp", __LINE__);
    }
    static void MissingTable() {}
};
struct Solid24Traces {
    static void BadOpcode(uint8_t op) {
        static char text[64];  // the blitters' message buffer
        std::snprintf(text, sizeof text, "BltCompSolid_8bTo24b - Bad opcode encountered : 0x%02X\n", op);
        xTrace(text);
    }
    static void MissingTable() {
        xTrace("BltCompSolid_8bTo24b - Common block opcode encountered but no common block table found!\n",
               "Blitter.cpp", __LINE__);
    }
};

/// A reader whose colour for value v may depend on the destination pixel (blends) or not.
/// Op: Pixel operator()(uint8_t v, const Pixel& d) and static constexpr bool kReadsDst.
template <class Px, class Op, bool HolesDrawn, bool FillEnd, blt::BadOpcode Bad, class Traces>
struct ColourMode {
    using Pixel = Px;
    static constexpr blt::BadOpcode kBad = Bad;
    /// Plain lookups in the 16-bit colour table go through the grouped helpers.
    static constexpr bool kTableLookup = Op::kTable16;
    Op op;

    template <int Step>
    void Run(Pixel* at, int32_t n, uint8_t v) const {
        if constexpr (Op::kReadsDst) {
            for (int32_t i = 0; i < n; ++i) {
                at[Step * i] = op(v, at[Step * i]);
            }
        } else if constexpr (std::is_same_v<Pixel, uint16_t> && Step > 0) {
            blt::Fill16(at, n, op(v, Pixel{}));
        } else {
            const Pixel c = op(v, Pixel{});
            for (int32_t i = 0; i < n; ++i) {
                at[Step * i] = c;
            }
        }
    }
    template <int Step>
    void Literal(Pixel* at, int32_t n, const uint8_t* data) const {
        if constexpr (kTableLookup && Step > 0) {
            blt::Lookup16(data, n, at, op.t);
            return;
        }
        for (int32_t i = 0; i < n; ++i) {
            at[Step * i] = op(data[i], at[Step * i]);
        }
    }
    template <int Step>
    void Holes(Pixel* at, int32_t n, const uint8_t* data) const {
        if constexpr (kTableLookup && Step > 0) {
            if (HolesDrawn) {
                blt::Lookup16(data, n, at, op.t);
            } else {
                blt::LookupTrans16(data, n, at, op.t);
            }
            return;
        }
        for (int32_t i = 0; i < n; ++i) {
            if (HolesDrawn || data[i] != 0) {
                at[Step * i] = op(data[i], at[Step * i]);
            }
        }
    }
    template <int Step>
    void Skip(Pixel*, int32_t) const {}
    template <int Step>
    void Finish(Pixel* dst, int32_t width, blt::DecodeEnd end) const {
        if constexpr (FillEnd) {
            blt::FillUnreached<Step>(dst, width, end, [](Pixel& p) { p = Pixel{}; });
        }
    }
    void OnBadOpcode(uint8_t b) const { Traces::BadOpcode(b); }
    void OnMissingTable() const { Traces::MissingTable(); }
};

struct Table16Op {
    static constexpr bool kReadsDst = false;
    static constexpr bool kTable16 = true;
    const uint16_t* t;
    uint16_t operator()(uint8_t v, uint16_t) const { return t[v]; }
};
struct Entry24Op {
    static constexpr bool kTable16 = false;
    static constexpr bool kReadsDst = false;
    const uint32_t* e;
    blt::Pix24 operator()(uint8_t v, const blt::Pix24&) const {
        const uint32_t c = e[v];
        return {ColorBlue(c), ColorGreen(c), ColorRed(c)};
    }
};
template <bool Is565>
struct TintOp {
    static constexpr bool kTable16 = false;
    static constexpr bool kReadsDst = false;
    const uint32_t* e;
    uint32_t tint;
    int16_t level;
    uint16_t operator()(uint8_t v, uint16_t) const { return blt::Tint<Is565>(e[v], tint, level); }
};
template <bool Is565>
struct ChannelBlendOp {
    static constexpr bool kTable16 = false;
    static constexpr bool kReadsDst = true;
    const uint32_t* e;
    int16_t level;
    uint16_t operator()(uint8_t v, uint16_t d) const { return blt::ChannelBlend<Is565>(e[v], d, level); }
};
template <bool Is565>
struct FieldBlendOp {
    static constexpr bool kTable16 = false;
    static constexpr bool kReadsDst = true;
    const uint16_t* t;
    int32_t a;
    uint16_t operator()(uint8_t v, uint16_t d) const { return blt::FieldBlend<Is565>(t[v], d, a); }
};

constexpr auto kEnd = blt::BadOpcode::kEnd;
constexpr auto kSkip = blt::BadOpcode::kSkip;

template <int Step, class Mode>
void Draw(const Mode& mode, const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks) {
    blt::DrawLine<Step>(mode, line, width, static_cast<typename Mode::Pixel*>(dst), blocks);
}

template <int Step>
void Tinted(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks, CColorPalette* palette) {
    const BltSettings& s = BltContext();
    const uint32_t* e = blt::PaletteView(palette, false).entries;
    blt::WithLayout16(s.BltDstPixelFormat, [&](auto is565) {
        using Op = TintOp<decltype(is565)::value>;
        Draw<Step>(ColourMode<uint16_t, Op, false, false, kEnd, Quiet>{{e, s.BltTintColor, s.BltTintLevel}}, line,
                   width, dst, blocks);
    });
}

} // namespace

void BltCompSolid_8bTo16b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                          CColorPalette* palette) {
    const Table16Op op{blt::PaletteView(palette, true).table16};
    Draw<1>(ColourMode<uint16_t, Table16Op, true, false, kEnd, Solid16Traces>{op}, line, width, dst, blocks);
}

void BltCompSolidX_8bTo16b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                           CColorPalette* palette) {
    const Table16Op op{blt::PaletteView(palette, true).table16};
    Draw<-1>(ColourMode<uint16_t, Table16Op, true, false, kEnd, Quiet>{op}, line, width, dst, blocks);
}

void BltCompTrans_8bTo16b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                          CColorPalette* palette) {
    const Table16Op op{blt::PaletteView(palette, true).table16};
    Draw<1>(ColourMode<uint16_t, Table16Op, false, false, kSkip, Quiet>{op}, line, width, dst, blocks);
}

void BltCompTransX_8bTo16b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                           CColorPalette* palette) {
    const Table16Op op{blt::PaletteView(palette, true).table16};
    Draw<-1>(ColourMode<uint16_t, Table16Op, false, false, kEnd, Quiet>{op}, line, width, dst, blocks);
}

void BltCompTinted_8bTo16b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                           CColorPalette* palette) {
    Tinted<1>(line, width, dst, blocks, palette);
}

void BltCompTintedX_8bTo16b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                            CColorPalette* palette) {
    Tinted<-1>(line, width, dst, blocks, palette);
}

void BltCompBlendedX_8bTo16b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                             CColorPalette* palette) {
    const BltSettings& s = BltContext();
    const uint32_t* e = blt::PaletteView(palette, false).entries;
    blt::WithLayout16(s.BltDstPixelFormat, [&](auto is565) {
        using Op = ChannelBlendOp<decltype(is565)::value>;
        Draw<-1>(ColourMode<uint16_t, Op, false, false, kEnd, Quiet>{{e, s.BltBlendLevel}}, line, width, dst, blocks);
    });
}

void BltCompBlended_8bTo16b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                            CColorPalette* palette) {
    const BltSettings& s = BltContext();
    blt::WithLayout16(s.BltDstPixelFormat, [&](auto is565) {
        constexpr bool kIs565 = decltype(is565)::value;
        const uint16_t* t = blt::PaletteView(palette, true).table16;
        if (s.vectorCode >= 0 ? s.vectorCode != 0 : CpuHasMMX()) {
            (kIs565 ? BltCompBlendedMMX_8bTo565 : BltCompBlendedMMX_8bTo555)(line, static_cast<uint16_t*>(dst), t,
                                                                            blocks);
            return;
        }
        const FieldBlendOp<kIs565> op{t, blt::FieldBlendWeight(s.BltBlendLevel)};
        Draw<1>(ColourMode<uint16_t, FieldBlendOp<kIs565>, false, false, kEnd, Quiet>{op}, line, width, dst, blocks);
    });
}

void BltCompSolid_8bTo24b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                          CColorPalette* palette) {
    const Entry24Op op{blt::PaletteView(palette, false).entries};
    Draw<1>(ColourMode<blt::Pix24, Entry24Op, true, true, kEnd, Solid24Traces>{op}, line, width, dst, blocks);
}

void BltCompTrans_8bTo24b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                          CColorPalette* palette) {
    const Entry24Op op{blt::PaletteView(palette, false).entries};
    Draw<1>(ColourMode<blt::Pix24, Entry24Op, false, false, kEnd, Quiet>{op}, line, width, dst, blocks);
}

void BltCompTransX_8bTo24b(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                           CColorPalette* palette) {
    const Entry24Op op{blt::PaletteView(palette, false).entries};
    Draw<-1>(ColourMode<blt::Pix24, Entry24Op, false, false, kEnd, Quiet>{op}, line, width, dst, blocks);
}

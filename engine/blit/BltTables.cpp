// The blit tables, their getters and selectors, the shared settings and the scale-table builder.
#include <algorithm>
#include <cstdlib>

#include "engine/blit/BlitState.h"
#include "engine/blit/Blitter.h"
#include "engine/data/Profiles.h"

BltSettings& BltContext() { return xBlit_State().settings; }

int DepthIndex(int bits) {
    switch (bits) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    case 8: return 3;
    case 16: return 4;
    case 24: return 5;
    case 32: return 6;
    default: return -1;
    }
}

bool CpuHasMMX() {
    // The start-up sets MMXAVAILABLE where vector code exists (an INI file may override it). Both
    // implementations of the blended reader give the same pixels, so the answer only chooses
    // speed. Read once: the key is fixed before the first draw.
    BltSettings& s = BltContext();
    if (s.cpuQuery < 0) {
        s.cpuQuery = xProfiles_Flag("MMXAVAILABLE") ? 1 : 0;
    }
    return s.cpuQuery != 0;
}

namespace {

constexpr int k8 = 3;
constexpr int k16 = 4;
constexpr int k24 = 5;

struct PlainCell {
    int table, src, dst;
    BltFunc fn;
};
struct CompCell {
    int table, src, dst;
    BltCompFunc fn;
};

constexpr PlainCell kPlainCells[] = {
    {0, k8, k8, BltSolid_8bTo8b},
    {0, k8, k16, BltSolid_8bTo16b},
    {0, k8, k24, BltSolid_8bTo24b},
    {0, k16, k16, BltSolid_16bTo16b},
    {0, k16, k24, BltSolid_16bTo24b},
    {1, k8, k8, BltSolidX_8bTo8b},
    {1, k8, k16, BltSolidX_8bTo16b},
    {1, k8, k24, BltSolidX_8bTo24b},
    {2, k8, k8, BltTrans_8bTo8b},
    {2, k8, k16, BltTrans_8bTo16b},
    {2, k8, k24, BltTrans_8bTo24b},
    {2, k16, k16, BltTrans_16bTo16b},
    {3, k8, k8, BltTransX_8bTo8b},
    {3, k8, k16, BltTransX_8bTo16b},
    {3, k8, k24, BltTransX_8bTo24b},
    {4, k8, k8, BltTinted_8bTo8b},
    {4, k8, k16, BltTinted_8bTo16b},
    {5, k8, k16, BltTintedX_8bTo16b},
    {6, k8, k8, BltBlended_8bTo8b},
    {6, k8, k16, BltBlended_8bTo16b},
    {7, k8, k16, BltBlendedX_8bTo16b},
    {8, k8, k8, BltSilhouette_8bTo8b},
    {8, k8, k16, BltSilhouette_8bTo16b},
    {9, k8, k8, BltScaledSolid_8bTo8b},
    {9, k8, k16, BltScaledSolid_8bTo16b},
    {9, k16, k16, BltScaledSolid_16bTo16b},
    {10, k8, k8, BltScaledSolidX_8bTo8b},
    {10, k8, k16, BltScaledSolidX_8bTo16b},
    {11, k8, k8, BltScaledTrans_8bTo8b},
    {11, k8, k16, BltScaledTrans_8bTo16b},
    {11, k8, k24, BltScaledTrans_8bTo24b},
    {11, k16, k16, BltScaledTrans_16bTo16b},
    {12, k8, k8, BltScaledTransX_8bTo8b},
    {12, k8, k16, BltScaledTransX_8bTo16b},
    {12, k8, k24, BltScaledTransX_8bTo24b},
    {13, k8, k16, BltScaledTinted_8bTo16b},
    {14, k8, k16, BltScaledTintedX_8bTo16b},
    {15, k8, k16, BltScaledBlended_8bTo16b},
    {16, k8, k16, BltScaledBlendedX_8bTo16b},
};

constexpr CompCell kCompCells[] = {
    {17, k8, k8, BltCompSolid_8bTo8b},
    {17, k8, k16, BltCompSolid_8bTo16b},
    {17, k8, k24, BltCompSolid_8bTo24b},
    {18, k8, k8, BltCompSolidX_8bTo8b},
    {18, k8, k16, BltCompSolidX_8bTo16b},
    {18, k8, k24, BltCompSolid_8bTo24b},  // mirrored 24-bit solid draws unmirrored
    {19, k8, k8, BltCompTrans_8bTo8b},
    {19, k8, k16, BltCompTrans_8bTo16b},
    {19, k8, k24, BltCompTrans_8bTo24b},
    {20, k8, k8, BltCompTransX_8bTo8b},
    {20, k8, k16, BltCompTransX_8bTo16b},
    {20, k8, k24, BltCompTransX_8bTo24b},
    {21, k8, k8, BltCompTinted_8bTo8b},
    {21, k8, k16, BltCompTinted_8bTo16b},
    {22, k8, k16, BltCompTintedX_8bTo16b},
    {23, k8, k8, BltCompBlended_8bTo8b},
    {23, k8, k16, BltCompBlended_8bTo16b},
    {24, k8, k16, BltCompBlendedX_8bTo16b},
    {25, k8, k8, BltCompBlended_8bTo8b},  // the 8-bit compressed silhouette cell
};

constexpr BltTableSet MakeTables() {
    BltTableSet t{};
    for (const PlainCell& c : kPlainCells) {
        t.plain[c.table][c.src][c.dst] = c.fn;
    }
    for (const CompCell& c : kCompCells) {
        t.comp[c.table - 17][c.src][c.dst] = c.fn;
    }
    return t;
}

BltFunc PlainCellOf(int table, bool emptyWhenMirrored, int32_t srcBits, int32_t dstBits,
                    int32_t mirrored) {
    const int32_t s = DepthIndex(srcBits);
    const int32_t d = DepthIndex(dstBits);
    if (s < 0 || d < 0) {
        return nullptr;
    }
    if (mirrored != 0) {
        return emptyWhenMirrored ? BltTables.plainSilhouetteX[s][d] : BltTables.plain[table + 1][s][d];
    }
    return BltTables.plain[table][s][d];
}

BltCompFunc CompCellOf(int table, bool emptyWhenMirrored, int32_t srcBits, int32_t dstBits,
                       int32_t mirrored) {
    const int32_t s = DepthIndex(srcBits);
    const int32_t d = DepthIndex(dstBits);
    if (s < 0 || d < 0) {
        return nullptr;
    }
    if (mirrored != 0) {
        return emptyWhenMirrored ? BltTables.compSilhouetteX[s][d]
                                 : BltTables.comp[table + 1 - 17][s][d];
    }
    return BltTables.comp[table - 17][s][d];
}

/// Mode 3 at blend level 0 becomes mode 1; -1 for a mode outside 0-4.
int32_t EffectiveMode(int32_t mode) {
    if (mode == kBltBlended && BltContext().BltBlendLevel == 0) {
        return kBltTrans;
    }
    return (mode < 0 || mode > 4) ? -1 : mode;
}

} // namespace

constinit const BltTableSet BltTables = MakeTables();

BltFunc GetBltSolid(int32_t s, int32_t d, int32_t m) { return PlainCellOf(0, false, s, d, m); }
BltFunc GetBltTrans(int32_t s, int32_t d, int32_t m) { return PlainCellOf(2, false, s, d, m); }
BltFunc GetBltTinted(int32_t s, int32_t d, int32_t m) { return PlainCellOf(4, false, s, d, m); }
BltFunc GetBltBlended(int32_t s, int32_t d, int32_t m) { return PlainCellOf(6, false, s, d, m); }
BltFunc GetBltSilhouette(int32_t s, int32_t d, int32_t m) { return PlainCellOf(8, true, s, d, m); }
BltFunc GetBltScaledSolid(int32_t s, int32_t d, int32_t m) { return PlainCellOf(9, false, s, d, m); }
BltFunc GetBltScaledTrans(int32_t s, int32_t d, int32_t m) { return PlainCellOf(11, false, s, d, m); }
BltFunc GetBltScaledTinted(int32_t s, int32_t d, int32_t m) { return PlainCellOf(13, false, s, d, m); }
BltFunc GetBltScaledBlended(int32_t s, int32_t d, int32_t m) {
    return PlainCellOf(15, false, s, d, m);
}
BltCompFunc GetBltCompSolid(int32_t s, int32_t d, int32_t m) { return CompCellOf(17, false, s, d, m); }
BltCompFunc GetBltCompTrans(int32_t s, int32_t d, int32_t m) { return CompCellOf(19, false, s, d, m); }
BltCompFunc GetBltCompTinted(int32_t s, int32_t d, int32_t m) {
    return CompCellOf(21, false, s, d, m);
}
BltCompFunc GetBltCompBlended(int32_t s, int32_t d, int32_t m) {
    return CompCellOf(23, false, s, d, m);
}
BltCompFunc GetBltCompSilhouette(int32_t s, int32_t d, int32_t m) {
    return CompCellOf(25, true, s, d, m);
}

BltFunc GetBltFunc(int32_t s, int32_t d, int32_t mode, uint8_t mirrored) {
    switch (EffectiveMode(mode)) {
    case kBltSolid: return GetBltSolid(s, d, mirrored);
    case kBltTrans: return GetBltTrans(s, d, mirrored);
    case kBltTinted: return GetBltTinted(s, d, mirrored);
    case kBltBlended: return GetBltBlended(s, d, mirrored);
    case kBltSilhouette: return GetBltSilhouette(s, d, mirrored);
    default: return nullptr;
    }
}

BltFunc GetBltScaledFunc(int32_t s, int32_t d, int32_t mode, uint8_t mirrored) {
    switch (EffectiveMode(mode)) {
    case kBltSolid: return GetBltScaledSolid(s, d, mirrored);
    case kBltTrans: return GetBltScaledTrans(s, d, mirrored);
    case kBltTinted: return GetBltScaledTinted(s, d, mirrored);
    case kBltBlended:
    case kBltSilhouette: return GetBltScaledBlended(s, d, mirrored);
    default: return nullptr;
    }
}

BltCompFunc GetBltCompFunc(int32_t s, int32_t d, int32_t mode, uint8_t mirrored) {
    switch (EffectiveMode(mode)) {
    case kBltSolid: return GetBltCompSolid(s, d, mirrored);
    case kBltTrans: return GetBltCompTrans(s, d, mirrored);
    case kBltTinted: return GetBltCompTinted(s, d, mirrored);
    case kBltBlended: return GetBltCompBlended(s, d, mirrored);
    case kBltSilhouette: return GetBltCompSilhouette(s, d, mirrored);
    default: return nullptr;
    }
}

void BltMakeScaleTable(uint16_t* table, int32_t first, int32_t last, int32_t otherFirst,
                       int32_t otherLast) {
    const int32_t dx = std::abs(last - first);
    const int32_t stepX = last >= first ? 1 : -1;
    const int32_t dy = std::abs(otherLast - otherFirst);
    const int32_t stepY = otherLast >= otherFirst ? 1 : -1;
    uint16_t* out = table;
    if (dx == 0 || dy == 0) {
        // Every position maps to source position 0. All entries the walk covers are written
        // (at least one), so callers reading one entry per drawn column or row never meet an
        // unwritten one.
        int32_t entries = 0;
        for (int32_t i = 0; i <= dx; ++i) {
            entries += (first + i * stepX >= 0) ? 1 : 0;
        }
        std::fill(out, out + std::max(entries, 1), uint16_t{0});
        return;
    }
    int32_t error = 2 * dy - dx;
    int32_t position = first;
    int32_t value = otherFirst;
    for (int32_t i = 0; i <= dx; ++i) {
        if (position >= 0) {
            *out++ = static_cast<uint16_t>(value);
        }
        while (error >= 0) {
            value += stepY;
            error -= 2 * dx;
        }
        error += 2 * dy;
        position += stepX;
    }
}

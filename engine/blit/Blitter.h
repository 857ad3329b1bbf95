#pragma once
// The line blitters: routines that draw one line of a plain, scaled or run-length compressed
// source into one line of an 8-, 16- or 24-bit destination, the tables that map a pair of depths
// and a draw mode to a routine, and the settings every routine reads.
#include <cstdint>

#include "engine/blit/Vqtrle.h"

class CColorPalette;

/// Draw modes of the selectors; any other value selects no routine.
enum BltDrawMode : int32_t {
    kBltSolid = 0,       ///< every source pixel written, colour index 0 too
    kBltTrans = 1,       ///< index 0 (16-bit sources: BltColorKey16) leaves the destination
    kBltTinted = 2,      ///< pulled towards BltTintColor by BltTintLevel; index 0 left out
    kBltBlended = 3,     ///< mixed with the destination by BltBlendLevel; index 0 left out
    kBltSilhouette = 4,  ///< colour of palette entry 0 wherever the source is not 0
};

/// Plain and scaled line routine: (source, count, destination, palette). The count is pixels
/// for 8-bit sources, bytes of the source line for plain 16-bit sources and destination pixels
/// for scaled routines. A scaled routine's source points at column BltScaleOriginX.
using BltFunc = void (*)(const uint8_t* src, int16_t count, void* dst, CColorPalette* palette);

/// Compressed line routine: (line, width in pixels, destination, common-block table or null,
/// palette). Lines must have passed VQTRLE_ValidateLine for that width and table.
using BltCompFunc = void (*)(const uint8_t* line, int16_t width, void* dst, const uint8_t* blocks,
                             CColorPalette* palette);

/// The settings the routines read. A draw sets what its routines read before the first line;
/// everything keeps its value until the next draw changes it. One thread draws.
struct BltSettings {
    uint32_t BltTintColor = 0x00FFFFFFu;  ///< red in the low byte, then green, blue
    int16_t BltTintLevel = 128;           ///< 0 keeps the colour, 256 gives the tint colour
    int16_t BltBlendLevel = 128;          ///< share of the destination; 0 = source alone
    const uint16_t* BltScaleTableX = nullptr;  ///< source column of each destination column
    const uint16_t* BltScaleTableY = nullptr;  ///< source row of each destination row
    int16_t BltScaleOriginX = 0;          ///< source column the scaled source pointer stands at
    int16_t BltSrcPixelFormat = 0;        ///< 0 8-bit, 1 5-5-5, 2 5-6-5, 3 24-bit, 4 32-bit
    int16_t BltDstPixelFormat = 0;
    uint16_t BltColorKey16 = 0;           ///< transparent value of 16-bit sources
    const uint8_t* BltTintPalette8 = nullptr;   ///< 256 new indices, one per source index
    const uint8_t* BltBlendPalette8 = nullptr;  ///< 256 x 256: [source][destination]
    /// Implementation choice of the vector code paths (the blended compressed reader and the
    /// colour-table lookups): -1 asks the processor (CpuHasMMX for the reader), 0 forces the plain
    /// implementations, 1 the vector blended reader. Both choices give the same pixels.
    int8_t vectorCode = -1;
    int8_t cpuQuery = -1;  ///< the processor query's answer once made (-1: not yet)
};
/// The settings of the engine context.
BltSettings& BltContext();

/// The processor query that chooses the vector implementation of the blended reader: the
/// profile key MMXAVAILABLE.
bool CpuHasMMX();

/// The blitters' own palette, used by routines called without one. It starts empty (256 zero
/// entries, used count 0, no 16-bit table); SetGlobalPalette copies every global palette in.
CColorPalette& BltDefaultPalette();

/// Depth index 0-6 of 1, 2, 4, 8, 16, 24 and 32 bits per pixel; -1 for any other depth. The
/// blit tables and the graphics kernels' tables are indexed by it.
int DepthIndex(int bitsPerPixel);

/// The 26 tables of 7 x 7 routines [source depth index][destination depth index] (DepthIndex:
/// 1, 2, 4, 8, 16, 24, 32 bits -> 0-6): tables 0-16
/// plain and scaled (plain[t]), 17-25 compressed (comp[t - 17]); the mirrored silhouette tables
/// are empty.
struct BltTableSet {
    BltFunc plain[17][7][7];
    BltFunc plainSilhouetteX[7][7];
    BltCompFunc comp[9][7][7];
    BltCompFunc compSilhouetteX[7][7];
};
extern const BltTableSet BltTables;

// Getters: (source bits, destination bits, mirrored: any non-zero value) -> routine or null.
BltFunc GetBltSolid(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltFunc GetBltTrans(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltFunc GetBltTinted(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltFunc GetBltBlended(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltFunc GetBltSilhouette(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltFunc GetBltScaledSolid(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltFunc GetBltScaledTrans(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltFunc GetBltScaledTinted(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltFunc GetBltScaledBlended(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltCompFunc GetBltCompSolid(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltCompFunc GetBltCompTrans(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltCompFunc GetBltCompTinted(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltCompFunc GetBltCompBlended(int32_t srcBits, int32_t dstBits, int32_t mirrored);
BltCompFunc GetBltCompSilhouette(int32_t srcBits, int32_t dstBits, int32_t mirrored);

// Selectors: mode 3 at blend level 0 draws as mode 1; modes outside 0-4 give null.
// The scaled selector serves mode 4 with the scaled blended routine.
BltFunc GetBltFunc(int32_t srcBits, int32_t dstBits, int32_t mode, uint8_t mirrored);
BltFunc GetBltScaledFunc(int32_t srcBits, int32_t dstBits, int32_t mode, uint8_t mirrored);
BltCompFunc GetBltCompFunc(int32_t srcBits, int32_t dstBits, int32_t mode, uint8_t mirrored);

/// Bresenham table: for each position from first to last (non-negative positions only), the
/// current position between otherFirst and otherLast. A zero extent on either axis fills every
/// entry the walk covers with 0 (|last - first| + 1 entries, negative positions left out).
void BltMakeScaleTable(uint16_t* table, int32_t first, int32_t last, int32_t otherFirst,
                       int32_t otherLast);

// ---- 8-bit destinations ----
void BltSolid_8bTo8b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltSolidX_8bTo8b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltTrans_8bTo8b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltTransX_8bTo8b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltTinted_8bTo8b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltBlended_8bTo8b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltSilhouette_8bTo8b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledSolid_8bTo8b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledSolidX_8bTo8b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledTrans_8bTo8b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledTransX_8bTo8b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltCompSolid_8bTo8b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompSolidX_8bTo8b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompTrans_8bTo8b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompTransX_8bTo8b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompTinted_8bTo8b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompBlended_8bTo8b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);

// ---- 16-bit destinations ----
void BltSolid_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltSolidX_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltTrans_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltTransX_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltSilhouette_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltSolid_16bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltTrans_16bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledSolid_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledSolidX_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledTrans_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledTransX_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledSolid_16bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledTrans_16bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltTinted_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltTintedX_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltBlended_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltBlendedX_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledTinted_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledTintedX_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledBlended_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledBlendedX_8bTo16b(const uint8_t*, int16_t, void*, CColorPalette*);
/// One tinted pixel from the palette entry of *src (no test for 0).
void BltTintPixel_8bTo555(const uint8_t* src, CColorPalette* palette, uint16_t* dst, uint32_t tint,
                          int16_t level);
void BltTintPixel_8bTo565(const uint8_t* src, CColorPalette* palette, uint16_t* dst, uint32_t tint,
                          int16_t level);
void BltCompSolid_8bTo16b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompSolidX_8bTo16b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompTrans_8bTo16b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompTransX_8bTo16b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompTinted_8bTo16b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompTintedX_8bTo16b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompBlended_8bTo16b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompBlendedX_8bTo16b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
/// The vector implementations of BltCompBlended_8bTo16b, one per destination layout.
void BltCompBlendedMMX_8bTo555(const uint8_t* line, uint16_t* dst, const uint16_t* table16,
                               const uint8_t* blocks);
void BltCompBlendedMMX_8bTo565(const uint8_t* line, uint16_t* dst, const uint16_t* table16,
                               const uint8_t* blocks);

// ---- 24-bit destinations ----
void BltSolid_8bTo24b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltSolidX_8bTo24b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltTrans_8bTo24b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltTransX_8bTo24b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledTrans_8bTo24b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltScaledTransX_8bTo24b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltSolid_16bTo24b(const uint8_t*, int16_t, void*, CColorPalette*);
void BltCompSolid_8bTo24b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompTrans_8bTo24b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);
void BltCompTransX_8bTo24b(const uint8_t*, int16_t, void*, const uint8_t*, CColorPalette*);

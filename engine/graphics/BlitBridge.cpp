#include "engine/graphics/BlitBridge.h"

#include "engine/blit/Blitter.h"
#include "engine/blit/ColorPalette.h"

SurfaceLineBlit xBlit_Solid(int srcBits, int dstBits, bool mirrored) { return GetBltSolid(srcBits, dstBits, mirrored); }

SurfaceLineBlit xBlit_Transparent(int srcBits, int dstBits, bool mirrored) {
    return GetBltTrans(srcBits, dstBits, mirrored);
}

SurfaceLineBlit xBlit_Tinted(int srcBits, int dstBits, bool mirrored) { return GetBltTinted(srcBits, dstBits, mirrored); }

SurfaceLineBlit xBlit_Blended(int srcBits, int dstBits, bool mirrored) {
    return GetBltBlended(srcBits, dstBits, mirrored);
}

SurfaceLineBlit xBlit_Scaled(int srcBits, int dstBits, int blitMode, bool mirrored) {
    return GetBltScaledFunc(srcBits, dstBits, blitMode, mirrored ? 1 : 0);
}

void xBlit_PrepareDraw(int16_t srcFormat, int16_t dstFormat, const int16_t* columnTable, uint16_t key16) {
    BltSettings& blt = BltContext();
    blt.BltSrcPixelFormat = srcFormat;
    blt.BltDstPixelFormat = dstFormat;
    if (columnTable) {
        // The tables hold source columns inside the source surface, never negative.
        blt.BltScaleTableX = reinterpret_cast<const uint16_t*>(columnTable);
        blt.BltScaleOriginX = 0;
        blt.BltColorKey16 = key16;
    }
}

void xBlit_SetDefaultPalette(const CColorPalette& palette) { BltDefaultPalette().Assign(palette); }

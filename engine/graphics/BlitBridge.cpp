#include "engine/graphics/BlitBridge.h"

SurfaceLineBlit xBlit_Solid(int, int, bool) { return nullptr; }
SurfaceLineBlit xBlit_Transparent(int, int, bool) { return nullptr; }
SurfaceLineBlit xBlit_Tinted(int, int, bool) { return nullptr; }
SurfaceLineBlit xBlit_Blended(int, int, bool) { return nullptr; }
SurfaceLineBlit xBlit_Scaled(int, int, int, bool) { return nullptr; }
void xBlit_PrepareDraw(int16_t, int16_t, const int16_t*, uint16_t) {}
void xBlit_SetDefaultPalette(const CColorPalette&) {}

#include "engine/graphics/GraphicsContext.h"

#include "engine/blit/ColorPalette.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/BlitBridge.h"
#include "engine/graphics/GraphicsState.h"
#include "engine/graphics/PixelSurface.h"

CGraphicsContext::CGraphicsContext() : m_globalPalette(std::make_unique<CColorPalette>()) {}

CGraphicsContext::~CGraphicsContext() = default;

CPixelSurface& CGraphicsContext::WorkSurface() {
    if (!m_workSurface) m_workSurface = std::make_unique<CPixelSurface>();
    return *m_workSurface;
}

CGraphicsContext& xGraphics_Context() { return xGraphics_State().graphics; }

int16_t xGraphics_PixelFormat() { return xProfiles_Values().pixelFormat; }

void xGraphics_SetPixelFormat(int16_t format) { xProfiles_Values().pixelFormat = format; }

CColorPalette& xGraphics_GlobalPalette() { return xGraphics_Context().GlobalPalette(); }

void SetGlobalPalette(const CColorPalette& palette) {
    xGraphics_GlobalPalette().Assign(palette);
    xBlit_SetDefaultPalette(xGraphics_GlobalPalette());
}

const uint8_t* SetTintPalette(const uint8_t* table) {
    const uint8_t* previous = xGraphics_Context().settings.tintTable;
    xGraphics_Context().settings.tintTable = table;
    return previous;
}

int16_t xGraphics_SetBlendLevel(int16_t level) {
    const int16_t previous = xGraphics_Context().settings.blendLevel;
    xGraphics_Context().settings.blendLevel = level;
    return previous;
}

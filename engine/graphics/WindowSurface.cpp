#include "engine/graphics/WindowSurface.h"

CWindowSurface::CWindowSurface() = default;

CWindowSurface::~CWindowSurface() = default;

void CWindowSurface::SetPendingPalette(const CColorPalette* palette) {
    if (!palette) return;
    m_pendingPalette = *palette;
    m_palettePending = 1;
}

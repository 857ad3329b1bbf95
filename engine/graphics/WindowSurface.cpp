#include "engine/graphics/WindowSurface.h"

void PaletteEntriesOf(const CColorPalette& palette, plat::PaletteEntry* entries) {
    for (int i = 0; i < CColorPalette::kEntries; ++i) {
        const uint32_t c = palette.GetEntry(i);
        entries[i] = plat::PaletteEntry{ColorRed(c), ColorGreen(c), ColorBlue(c), plat::PC_NOCOLLAPSE};
    }
}

CWindowSurface::CWindowSurface() = default;

CWindowSurface::~CWindowSurface() = default;

void CWindowSurface::SetPendingPalette(const CColorPalette* palette) {
    if (!palette) return;
    m_pendingPalette = *palette;
    m_palettePending = 1;
}

// The blitters' default palette and the palette view the routines draw with.
#include <cstdlib>
#include <memory>

#include "engine/blit/BltPixel.h"
#include "engine/blit/Blitter.h"
#include "engine/graphics/ColorPalette.h"

namespace {

std::unique_ptr<CColorPalette>& DefaultPaletteSlot() {
    static std::unique_ptr<CColorPalette> palette;
    return palette;
}

bool g_exitRegistered = false;

} // namespace

void BltPalette_Construct() {
    auto& slot = DefaultPaletteSlot();
    if (!slot) {
        slot = std::make_unique<CColorPalette>();
        // Empty until the first global palette is copied in: every colour 0, no 16-bit table.
        const uint8_t zeros[256 * 4] = {};
        slot->SetFromColorTable(zeros);
        slot->Free16BitTable();
    }
}

void BltPalette_Destroy() { DefaultPaletteSlot().reset(); }

void BltPalette_RegisterExit() {
    if (!g_exitRegistered) {
        g_exitRegistered = true;
        std::atexit(BltPalette_Destroy);
    }
}

CColorPalette& BltDefaultPalette() {
    if (!DefaultPaletteSlot()) {
        BltPalette_Construct();
        BltPalette_RegisterExit();
    }
    return *DefaultPaletteSlot();
}

namespace blt {

PalView PaletteView(CColorPalette* palette, bool need16) {
    CColorPalette* p = palette != nullptr ? palette : &BltDefaultPalette();
    PalView view;
    view.entries = p->Entries();
    if (need16) {
        if (!p->Has16BitTable()) {
            p->Build16BitTable();
        }
        view.table16 = p->Get16BitTable();
        if (view.table16 == nullptr) {
            // No memory for a table: draw through one of zeros rather than read through null.
            static const uint16_t kBlack[256] = {};
            view.table16 = kBlack;
        }
    }
    return view;
}

} // namespace blt

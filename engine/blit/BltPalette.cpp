// The blitters' default palette and the palette view the routines draw with.
#include "engine/blit/BlitState.h"
#include "engine/blit/Blitter.h"
#include "engine/blit/BltPixel.h"
#include "engine/blit/ColorPalette.h"

CColorPalette& BltDefaultPalette() { return xBlit_State().defaultPalette; }

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

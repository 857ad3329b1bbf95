#pragma once
// The blit module's record in the engine context.
#include "engine/blit/Blitter.h"
#include "engine/blit/ColorPalette.h"

struct CBlitState {
    /// The default palette starts empty: every colour 0, no 16-bit table.
    CBlitState();

    BltSettings settings;
    CColorPalette defaultPalette;
};

/// The installed record.
CBlitState& xBlit_State();
/// Installs the record (null: none); the engine context does this.
void xBlit_InstallState(CBlitState* state);

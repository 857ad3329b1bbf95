#pragma once
// The graphics module's record in the engine context.
#include "engine/graphics/DirectX.h"
#include "engine/graphics/DirtyRects.h"
#include "engine/graphics/GraphicsContext.h"

class CSoundLink;

struct CGraphicsState {
    CGraphicsContext graphics;
    CDirectXContext directX;
    CDirtyRects dirtyRects;
    bool printJobOpen = false;
    CSoundLink* soundLink = nullptr; ///< installed by the sound engine; not owned
};

/// The installed record.
CGraphicsState& xGraphics_State();
/// Installs the record (null: none); the engine context does this.
void xGraphics_InstallState(CGraphicsState* state);

#include "engine/graphics/TextDIBSurface.h"

#include "platform/Platform.h"

void CTextDIBSurface::OnDisplaySwitch(int32_t, int32_t) { RealizePalette(); }

void CTextDIBSurface::PrepareContext(plat::Dc* dc) { plat::gdi().SetMapMode(dc, plat::MM_TEXT); }

#include "engine/graphics/TextDIBSurface.h"

#include "platform/Platform.h"

void CTextDIBSurface::PrepareContext(plat::Dc* dc) { plat::gdi().SetMapMode(dc, plat::MM_TEXT); }

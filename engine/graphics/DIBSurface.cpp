#include "engine/graphics/DIBSurface.h"

void CDIBSurface::OnDisplaySwitch(int32_t, int32_t) { RealizePalette(); }

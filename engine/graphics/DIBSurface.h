#pragma once
#include "engine/graphics/DIBSectionSurface.h"

/// The windowed stage: presents the dirty rectangles (clipped to the present's rectangle) into
/// the window; its colour table records carry the fourth byte 4.
class CDIBSurface : public CDIBSectionSurface {
public:
    CDIBSurface() = default;

protected:
    uint8_t TableFourthByte(int) const override { return 4; }
};

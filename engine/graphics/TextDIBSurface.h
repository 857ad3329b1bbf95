#pragma once
#include "engine/graphics/DIBSectionSurface.h"

/// The render target of the text views: its palette stays its own (the global one is left
/// alone), dirty rectangles are presented whole, and entries 0 and 255 of its colour tables
/// carry the fourth byte 1 (every other entry 0).
class CTextDIBSurface : public CDIBSectionSurface {
public:
    CTextDIBSurface() = default;

protected:
    uint8_t TableFourthByte(int index) const override { return (index == 0 || index == 255) ? 1 : 0; }
    uint8_t InfoFourthByte(int index) const override { return (index == 0 || index == 255) ? 1 : 0; }
    bool SetsGlobalPalette() const override { return false; }
    bool ClipsDirtyRects() const override { return false; }
    bool FlushesAfterBlit() const override { return true; }
    bool KeepsFlagWithoutDc() const override { return true; }
    void PrepareContext(plat::Dc* dc) override;
};

#pragma once
#include "engine/graphics/DIBSectionSurface.h"

/// The windowed stage: presents the dirty rectangles (clipped to the present's rectangle) into
/// the window; its colour table records carry the fourth byte 4.
class CDIBSurface : public CDIBSectionSurface {
public:
    using CDIBSectionSurface::Create;

    CDIBSurface() = default;

    void Flip() override {}
    /// Realises the palette again.
    void OnDisplaySwitch(int32_t unused, int32_t toDesktop) override;
    bool Create(plat::WindowId) override { return true; }
    bool Shutdown() override { return true; }
    bool IsDisplayAvailable() override { return true; }
    void RestoreDisplay() override {}

protected:
    uint8_t TableFourthByte(int) const override { return 4; }
};

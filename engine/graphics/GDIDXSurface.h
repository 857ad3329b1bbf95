#pragma once
#include "engine/graphics/DIBSectionSurface.h"
#include "engine/graphics/DirectX.h"

/// The full-screen stage drawn through the window system: a bitmap surface like the windowed
/// one, with the display switched to the stage's mode through the display module.
class CGDIDXSurface : public CDIBSectionSurface {
public:
    using CDIBSectionSurface::Create;

    CGDIDXSurface() = default;
    /// Shuts the display module down.
    ~CGDIDXSurface() override;

    void OnDisplaySwitch(int32_t, int32_t) override {}
    /// Finds the display mode of the surface's size and depth, switches to it and puts the
    /// window topmost over the desktop; false without the display interface or a mode, or
    /// when the switch fails.
    bool Create(plat::WindowId window) override;
    bool Shutdown() override;
    /// Loads the display interface when needed; whether it can be used.
    bool IsDisplayAvailable() override;
    /// Puts the desktop's mode back.
    void RestoreDisplay() override;

    /// The mode chosen by Create(window).
    const DirectXMode& Mode() const { return m_mode; }

protected:
    uint8_t TableFourthByte(int) const override { return 0; }
    bool FlushesAfterBlit() const override { return true; }
    bool KeepsFlagWithoutDc() const override { return true; }

private:
    DirectXMode m_mode;
};

#pragma once
#include <vector>

#include "platform/Desktop.h"

namespace plat {

/// A desktop without a screen: windows keep their state and presented pictures for tests to
/// read; the mode list, the registry mode and the answer of each mode's test can be set.
/// Windows with a caption get a frame of 3 pixels and a caption bar of 19.
class HeadlessDesktop final : public Desktop {
public:
    /// 1024 x 768 at 32 bits and 60 Hz; the list holds 640 x 480 at 8, 16 and 32 bits and
    /// 800 x 600 and 1024 x 768 at 16 and 32 bits, all at 60 Hz.
    HeadlessDesktop();

    WinRect Frame(uint32_t style, uint32_t exStyle) const override;

    void SetModes(std::vector<DevMode> modes) { modes_ = std::move(modes); }
    /// The desktop's own mode; also becomes the current mode.
    void SetRegistryMode(const DevMode& mode);
    /// The answer the test of one listed mode gives (DISP_CHANGE_*); a mode's frequency
    /// matters only when the request names one above 1.
    void SetModeResult(const DevMode& mode, int32_t result);
    /// The modes switched to, in order (the registry mode when switched back).
    const std::vector<DevMode>& Switches() const { return switches_; }

protected:
    std::unique_ptr<Window> MakeWindow(WindowId id, const WindowParams& params) override;
    const std::vector<DevMode>& Modes() const override { return modes_; }
    int32_t TestMode(const DevMode& mode) const override;
    void OnModeChanged() override { switches_.push_back(current_); }

private:
    std::vector<DevMode> modes_;
    std::vector<std::pair<DevMode, int32_t>> results_;
    std::vector<DevMode> switches_;
};

} // namespace plat

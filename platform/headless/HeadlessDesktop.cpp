#include "platform/headless/HeadlessDesktop.h"

namespace plat {

namespace {

class HeadlessWindow final : public Window {
public:
    HeadlessWindow(Desktop& desktop, WindowId id, const WindowParams& params) : Window(desktop, id, params) {}
};

} // namespace

HeadlessDesktop::HeadlessDesktop() : Desktop(MakeDevMode(1024, 768, 32, 60)) {
    modes_ = {MakeDevMode(640, 480, 8, 60),   MakeDevMode(640, 480, 16, 60),  MakeDevMode(640, 480, 32, 60),
              MakeDevMode(800, 600, 16, 60),  MakeDevMode(800, 600, 32, 60),  MakeDevMode(1024, 768, 16, 60),
              MakeDevMode(1024, 768, 32, 60)};
}

WinRect HeadlessDesktop::Frame(uint32_t style, uint32_t) const {
    if (style & WS_CHILD) return WinRect{};
    if ((style & WS_CAPTION) == WS_CAPTION) return WinRect{3, 22, 3, 3};
    if (style & WS_BORDER) return WinRect{1, 1, 1, 1};
    return WinRect{};
}

void HeadlessDesktop::SetRegistryMode(const DevMode& mode) {
    registry_ = mode;
    current_ = mode;
}

void HeadlessDesktop::SetModeResult(const DevMode& mode, int32_t result) { results_.emplace_back(mode, result); }

std::unique_ptr<Window> HeadlessDesktop::MakeWindow(WindowId id, const WindowParams& params) {
    return std::make_unique<HeadlessWindow>(*this, id, params);
}

int32_t HeadlessDesktop::TestMode(const DevMode& mode) const {
    for (const auto& [listed, result] : results_)
        if (ModeMatches(mode, listed)) return result;
    return Desktop::TestMode(mode);
}

} // namespace plat

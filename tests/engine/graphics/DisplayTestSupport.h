#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/core/RunLoop.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DirectX.h"
#include "engine/graphics/DirtyRects.h"
#include "engine/graphics/GraphicsContext.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessDesktop.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/Png.h"

namespace displaytest {

/// Verbose display reports over the fresh engine context of every test; a helper to make the
/// application window.
class DisplayTest : public vqt::test::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        xProfiles_Values().verbose = 2;
    }

    plat::HeadlessDesktop& desk() { return static_cast<plat::HeadlessDesktop&>(plat::desktop()); }

    /// A shown pop-up window of the size, made the engine's application window.
    plat::WindowId MakeAppWindow(int32_t width = 640, int32_t height = 480) {
        plat::WindowParams p;
        p.className = "VQTWindow";
        p.style = plat::WS_POPUP;
        p.rect = {0, 0, width, height};
        const plat::WindowId id = plat::desktop().CreateWindow(p);
        plat::desktop().Find(id)->Show(plat::SW_SHOWNA);
        xPlatform_SetMainWindow(nullptr, id, nullptr);
        return id;
    }

    /// Windowed, full screen through the window system, or full screen through the display
    /// interface (the profile hook then sets the dirty rectangles as the engine does).
    static void Windowed() { SetMode("0", "0"); }
    static void FullScreenGdi() { SetMode("1", "0"); }
    static void FullScreenDirectDraw() { SetMode("1", "1"); }
    static void SetMode(const char* fullScreen, const char* directDraw) {
        xProfiles_Set("FULLSCREEN", fullScreen);
        xProfiles_Set("DIRECTDRAW", directDraw);
    }
};

/// A 5-5-5 test picture: bands of red across, green down, and a blue checker of 8 pixels.
inline uint16_t Pattern555(int x, int y) {
    const int red = (x / 20) & 31;
    const int green = (y / 15) & 31;
    const int blue = (((x / 8) + (y / 8)) & 1) ? 31 : (x ^ y) & 15;
    return uint16_t((red << 10) | (green << 5) | blue);
}

/// Writes the pattern into the locked pixels of a 16-bit surface.
template <typename Surface>
void DrawPattern(Surface& s) {
    uint8_t* top = s.Lock();
    for (int y = 0; y < s.GetHeight(); ++y)
        for (int x = 0; x < s.GetWidth(); ++x) {
            const uint16_t v = Pattern555(x, y);
            std::memcpy(top + int64_t(s.GetPitch()) * y + 2 * x, &v, 2);
        }
    s.Unlock(0);
}

} // namespace displaytest

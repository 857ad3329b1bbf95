#include "engine/core/RunLimits.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "engine/core/RunLoop.h"
#include "platform/Platform.h"
#include "platform/PngFile.h"

namespace {

uint32_t NumberFromEnvironment(const char* name) {
    const char* text = std::getenv(name);
    if (!text || !*text) return 0;
    uint32_t value = 0;
    const char* end = text + std::strlen(text);
    const auto [at, ec] = std::from_chars(text, end, value);
    return (ec == std::errc() && at == end) ? value : 0;
}

} // namespace

CRunLimits CRunLimits::FromEnvironment() {
    CRunLimits limits;
    limits.frames = NumberFromEnvironment("VQT_EXIT_AFTER_FRAMES");
    limits.milliseconds = NumberFromEnvironment("VQT_EXIT_AFTER_MS");
    if (const char* path = std::getenv("VQT_SCREENSHOT")) limits.screenshot = path;
    return limits;
}

bool CRunLimits::Reached(uint32_t frameCount, uint32_t elapsedMs) const {
    return (frames != 0 && frameCount >= frames) || (milliseconds != 0 && elapsedMs >= milliseconds);
}

bool xPlatform_SaveWindowPicture(const std::string& path) {
    const plat::WindowId id = xPlatform_GetAppWindow();
    const plat::Window* window = id ? plat::desktop().Find(id) : nullptr;
    return window && plat::WritePngFile(path, window->Presented());
}

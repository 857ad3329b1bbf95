#include "engine/core/RunLimits.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "engine/core/RunLoop.h"
#include "platform/Platform.h"
#include "platform/PngFile.h"
#include "platform/posix/PathChecks.h"

namespace {

/// The variable's value when it is a positive whole number below 2^32; 0 otherwise.
uint32_t NumberFromEnvironment(const char* name) {
    const char* text = std::getenv(name);
    if (!text || !*text) return 0;
    uint32_t value = 0;
    const char* end = text + std::strlen(text);
    const auto [at, ec] = std::from_chars(text, end, value);
    return (ec == std::errc() && at == end) ? value : 0;
}

std::string NumberFault(const char* name, const char* what) {
    const char* text = std::getenv(name);
    if (!text || !*text || NumberFromEnvironment(name) != 0) return {};
    return plat::VariableSetting(name, text) + " is not a number of " + what +
           ": it must be a whole number from 1 to 4294967295 (or unset for no limit)\n";
}

std::string PictureFault() {
    const char* path = std::getenv("VQT_SCREENSHOT");
    if (!path || !*path) return {};
    const std::string why = plat::FileCannotBeWritten(path);
    return why.empty() ? std::string() : plat::VariableSetting("VQT_SCREENSHOT", path) + ": " + why + "\n";
}

} // namespace

CRunLimits CRunLimits::FromEnvironment() {
    CRunLimits limits;
    limits.frames = NumberFromEnvironment("VQT_EXIT_AFTER_FRAMES");
    limits.milliseconds = NumberFromEnvironment("VQT_EXIT_AFTER_MS");
    if (const char* path = std::getenv("VQT_SCREENSHOT")) limits.screenshot = path;
    return limits;
}

std::string CRunLimits::Faults() {
    return NumberFault("VQT_EXIT_AFTER_FRAMES", "frames") + NumberFault("VQT_EXIT_AFTER_MS", "milliseconds") +
           PictureFault();
}

std::string CRunLimits::PictureCannotBeMade() {
    const char* path = std::getenv("VQT_SCREENSHOT");
    if (!path || !*path) return {};
    const std::string why = plat::FileCannotBeMade(path);
    return why.empty() ? std::string() : plat::VariableSetting("VQT_SCREENSHOT", path) + ": " + why + "\n";
}

bool CRunLimits::Reached(uint32_t frameCount, uint32_t elapsedMs) const {
    return (frames != 0 && frameCount >= frames) || (milliseconds != 0 && elapsedMs >= milliseconds);
}

bool xPlatform_SaveWindowPicture(const std::string& path) {
    const plat::WindowId id = xPlatform_GetAppWindow();
    const plat::Window* window = id ? plat::desktop().Find(id) : nullptr;
    return window && plat::WritePngFile(path, window->Presented());
}

#pragma once
#include <cstdint>
#include <string>

/// Limits that the run script and the program tests put on a run through the environment:
/// VQT_EXIT_AFTER_FRAMES ends the run after that many frame ticks, VQT_EXIT_AFTER_MS after that
/// many milliseconds of the clock, and VQT_SCREENSHOT names a PNG file that gets the picture the
/// application window shows when the run ends. Unset, empty or unreadable values set nothing.
struct CRunLimits {
    uint32_t frames = 0; ///< 0: no limit
    uint32_t milliseconds = 0;
    std::string screenshot;

    static CRunLimits FromEnvironment();
    /// Whether a run of `frames` ticks and `elapsedMs` milliseconds has reached a limit.
    bool Reached(uint32_t frames, uint32_t elapsedMs) const;
};

/// Writes the picture the application window shows into a PNG file; false when there is no
/// window or the file cannot be written.
bool xPlatform_SaveWindowPicture(const std::string& path);

#pragma once
#include <cstdint>
#include <string>

/// Limits that the run script and the program tests put on a run through the environment:
/// VQT_EXIT_AFTER_FRAMES ends the run after that many frame ticks, VQT_EXIT_AFTER_MS after that
/// many milliseconds of the clock, and VQT_SCREENSHOT names a PNG file that gets the picture the
/// application window shows when the run ends. Unset or empty values set nothing; the program
/// refuses to start on any other value that is not a positive whole number below 2^32, or on a
/// picture that cannot be written there (Faults, then PictureCannotBeMade).
struct CRunLimits {
    uint32_t frames = 0; ///< 0: no limit
    uint32_t milliseconds = 0;
    std::string screenshot;

    static CRunLimits FromEnvironment();
    /// What is wrong with the values set in the environment, a line each naming the variable;
    /// empty when they can be used. The picture is checked here without touching the file system
    /// (a name too long for the system, a folder, a folder that does not exist or cannot be written).
    static std::string Faults();
    /// Whether the picture's file can be made, found by trying (PathChecks' FileCannotBeMade): a
    /// line naming the variable, or empty. The trial leaves no file behind and an existing one as
    /// it was; it is made once the program holds its folder (after its single-instance lock).
    static std::string PictureCannotBeMade();
    /// Whether a run of `frames` ticks and `elapsedMs` milliseconds has reached a limit.
    bool Reached(uint32_t frames, uint32_t elapsedMs) const;
};

/// Writes the picture the application window shows into a PNG file; false when there is no
/// window or the file cannot be written.
bool xPlatform_SaveWindowPicture(const std::string& path);

#pragma once
// The game data the generator wrote for this tree when it was built (the folder GENERATED_DATA
// names): the part file "TLVFMH.vqk" and the messages file beside it. Tests that play on it
// work on copies of their own.
#include <filesystem>
#include <string>
#include <system_error>

namespace vqt::test {

inline constexpr const char* kGeneratedPartFile = "TLVFMH.vqk";

/// The folder of the generated files.
inline std::filesystem::path GeneratedDataFolder() { return GENERATED_DATA; }

/// Copies the generated files into the folder, the part file under the name given; false when
/// the part file was not generated or a copy fails.
inline bool CopyGeneratedData(const std::filesystem::path& to, const std::string& partFile = kGeneratedPartFile) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::exists(GeneratedDataFolder() / kGeneratedPartFile, error)) return false;
    for (const fs::directory_entry& file : fs::directory_iterator(GeneratedDataFolder(), error)) {
        const fs::path name = file.path().filename() == kGeneratedPartFile ? fs::path(partFile) : file.path().filename();
        if (!fs::copy_file(file.path(), to / name, fs::copy_options::overwrite_existing, error)) return false;
    }
    return !error;
}

} // namespace vqt::test

#pragma once
// A virtual X server of a test's own, for runs in a real window.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/Golden.h"
#include "tests/support/Subprocess.h"

namespace vqt::test {

/// Whether the virtual X server is installed.
inline bool HaveVirtualScreen() { return ::access("/usr/bin/Xvfb", X_OK) == 0; }

/// Starts a virtual X server with a 1024 x 768 screen from `folder`, where `xvfb` (made on
/// folder / "xvfb.sh") runs: it picks a free display number and writes it once it takes
/// connections. The display's name, empty when it did not start.
inline std::string StartVirtualScreen(Subprocess& xvfb, const std::filesystem::path& folder) {
    {
        std::ofstream script(folder / "xvfb.sh");
        script << "#!/bin/sh\nexec /usr/bin/Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>display\n";
    }
    if (::chmod((folder / "xvfb.sh").c_str(), 0755) != 0 || !xvfb.Start()) return "";
    std::string number;
    xvfb.WaitUntil([&] { return (number = ReadFileBytes(folder / "display")).find('\n') != std::string::npos; }, 20000);
    return number.find('\n') == std::string::npos ? "" : ":" + number.substr(0, number.find('\n'));
}

} // namespace vqt::test

#include "tools/builders/TempFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace vqt::test {

TempFolder::TempFolder(bool enter) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vqt-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
    if (enter) {
        previous_ = std::filesystem::current_path().string();
        std::filesystem::current_path(path_);
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!previous_.empty()) {
        std::filesystem::current_path(previous_, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}

} // namespace vqt::test

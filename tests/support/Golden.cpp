#include "tests/support/Golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace vqt::test {

std::string GoldenPath(const std::string& name) {
    return std::string(VQT_GOLDEN_DIR) + "/" + name;
}

bool UpdatingGoldens() {
    const char* flag = std::getenv("VQT_UPDATE_GOLDENS");
    return flag != nullptr && std::string(flag) == "1";
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ExpectMatchesGolden(const std::string& name, const std::string& bytes) {
    const std::string path = GoldenPath(name);
    if (UpdatingGoldens()) {
        WriteFileBytes(path, bytes);
        return;
    }
    const std::string expected = ReadFileBytes(path);
    ASSERT_FALSE(expected.empty() && !bytes.empty())
        << "golden file " << path << " is missing; run with VQT_UPDATE_GOLDENS=1 to create it";
    if (expected == bytes) return;
    size_t at = 0;
    while (at < expected.size() && at < bytes.size() && expected[at] == bytes[at]) ++at;
    ADD_FAILURE() << "differs from golden " << path << " at byte " << at << " (golden "
                  << expected.size() << " bytes, actual " << bytes.size() << " bytes)";
}

} // namespace vqt::test

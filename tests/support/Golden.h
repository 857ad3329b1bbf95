#pragma once
#include <string>

namespace vqt::test {

/// Path of a checked-in golden file under tests/golden/.
std::string GoldenPath(const std::string& name);

/// True when goldens are being refreshed (VQT_UPDATE_GOLDENS=1): the compare helpers then
/// write what they were given instead of comparing.
bool UpdatingGoldens();

/// Whole contents of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

/// Checks `bytes` against the golden file `name` (a gtest failure naming the first difference).
void ExpectMatchesGolden(const std::string& name, const std::string& bytes);

} // namespace vqt::test

#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

/// Writes `bytes` as the file at `path`, whole or not at all: a program stopped at any moment of
/// the write (Ctrl+C, a kill) leaves at the path its previous file or the new one, never a part
/// of it. The new file is made in the path's folder under no name, named only once written,
/// and renamed over the path: a symbolic link there is replaced, not written through. Empty
/// when written, else why not.
std::string WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

/// The same through a temporary name beside the path from the start, as WriteWholeFile does
/// where the file system makes no file without a name: the interrupting signals are held back
/// for the whole write, so that none leaves the temporary behind (a kill still may).
std::string WriteWholeFileByName(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace plat

#pragma once
// What a test compares to show that a run left a folder alone: its names, and each entry with
// what a write, a new file, a removal or a rename changes.
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace vqt::test {

/// The names in a folder.
inline std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

/// Each entry of a folder (links not followed) with its kind, inode, size and times of change.
inline std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const std::string& name : Listing(folder)) {
        struct stat st {};
        if (::lstat((folder + "/" + name).c_str(), &st) != 0) continue;
        std::ostringstream line;
        line << st.st_mode << " " << st.st_ino << " " << st.st_size << " " << st.st_mtim.tv_sec << "."
             << st.st_mtim.tv_nsec << " " << st.st_ctim.tv_sec << "." << st.st_ctim.tv_nsec;
        entries[name] = line.str();
    }
    return entries;
}

} // namespace vqt::test

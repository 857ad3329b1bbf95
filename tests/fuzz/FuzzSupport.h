#pragma once
// What the fuzz targets share: the headless start and the scratch file inputs are written to.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/core/Trace.h"
#include "platform/Platform.h"

namespace vqt::fuzz {

/// Headless services and the default trace keys, set once a process.
inline void StartHeadlessOnce() {
    static const bool ready = [] {
        plat::UseHeadless();
        xTrace_Keys() = TraceKeys{};
        return true;
    }();
    (void)ready;
}

/// The file a target writes its inputs to, removed when the process ends.
class ScratchFile {
public:
    /// A new empty file named after the target ("/tmp/vqt-<stem>-fuzz-XXXXXX").
    explicit ScratchFile(const char* stem) : path_(std::string("/tmp/vqt-") + stem + "-fuzz-XXXXXX") {
        const int fd = mkstemp(path_.data());
        if (fd >= 0) {
            close(fd);
        }
    }
    ~ScratchFile() { std::remove(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

/// The process's scratch file; the stem of the first call names it.
inline const std::string& ScratchPath(const char* stem) {
    static const ScratchFile scratch(stem);
    return scratch.Path();
}

} // namespace vqt::fuzz

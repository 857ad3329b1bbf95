#pragma once
// What the fuzz targets share: the headless start and the scratch file inputs are written to.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/EngineContext.h"
#include "platform/Platform.h"

namespace vqt::fuzz {

/// Headless services, made once a process, and a fresh engine context (its trace silent) for
/// the input about to run, so that no input sees what an earlier one left.
inline void StartInput() {
    static const bool ready = [] {
        plat::UseHeadless();
        return true;
    }();
    (void)ready;
    static std::unique_ptr<CEngineContext> context;
    context.reset();
    context = std::make_unique<CEngineContext>();
}

/// Ends the process as a failure (the fuzzer's finding) unless `condition` holds.
inline void Require(bool condition) {
    if (!condition) std::abort();
}

/// The next part of an input: a big-endian 16-bit length and that many bytes (fewer when the
/// input ends first). Empty once fewer than two bytes are left.
inline std::vector<uint8_t> Take(const uint8_t*& data, size_t& size) {
    if (size < 2) {
        size = 0;
        return {};
    }
    size_t n = size_t(data[0] << 8 | data[1]);
    data += 2;
    size -= 2;
    n = n < size ? n : size;
    std::vector<uint8_t> out(data, data + n);
    data += n;
    size -= n;
    return out;
}

/// The file a target writes its inputs to, removed when the process ends.
class ScratchFile {
public:
    /// A new empty file named after the target ("/tmp/vqt-<stem>-fuzz-XXXXXX").
    explicit ScratchFile(const char* stem) : path_(std::string("/tmp/vqt-") + stem + "-fuzz-XXXXXX") {
        const int fd = mkstemp(path_.data());
        if (fd >= 0) close(fd);
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

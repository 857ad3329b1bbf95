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
#include "platform/headless/RecordingDebugOutput.h"
#include "platform/headless/RecordingPrinter.h"
#include "platform/headless/ScriptedDialogs.h"
#include "platform/headless/ScriptedMessages.h"
#include "platform/posix/PosixFiles.h"

namespace vqt::fuzz {

/// One input's engine: headless services made once a process; a fresh engine context (its
/// trace silent) and, when given, a game module's state forgotten as the input starts; all of
/// it ended again as the input ends. No input sees what an earlier one left, and whatever an
/// input allocates is freed by its end, so that the fuzzer's leak check runs after every input.
class InputScope {
public:
    explicit InputScope(void (*moduleReset)()) : moduleReset_(moduleReset) {
        static const bool ready = [] {
            plat::UseHeadless();
            return true;
        }();
        (void)ready;
        context_ = std::make_unique<CEngineContext>();
        if (moduleReset_) moduleReset_();
    }
    ~InputScope() {
        if (moduleReset_) moduleReset_();
        context_.reset();
        // What the headless services recorded of this input (traces, message boxes, window
        // messages, print jobs) goes with it, and so do the files it put in place and the glyphs
        // its texts drew.
        plat::Services& services = plat::services();
        services.files = std::make_unique<plat::PosixFiles>();
        services.debug = std::make_unique<plat::RecordingDebugOutput>();
        services.dialogs = std::make_unique<plat::ScriptedDialogs>();
        services.messages = std::make_unique<plat::ScriptedMessages>();
        services.printer = std::make_unique<plat::RecordingPrinter>();
        services.fonts = std::make_unique<plat::Fonts>(plat::Fonts::Setup::Pinned); // and its glyphs
    }
    InputScope(const InputScope&) = delete;
    InputScope& operator=(const InputScope&) = delete;

private:
    void (*moduleReset_)();
    std::unique_ptr<CEngineContext> context_;
};

/// The scope of the input about to run; hold it for the whole input, before anything it makes.
[[nodiscard]] inline InputScope StartInput(void (*moduleReset)() = nullptr) { return InputScope(moduleReset); }

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

#include "engine/core/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Platform.h"

namespace {

constexpr const char* kLogFileName = "_VQT_RT.log";

/// Builds the file-and-line prefix in its 256-byte buffer; a name too long for it is cut.
std::string Prefix(const char* file, long line) {
    if (file == nullptr) {
        return {};
    }
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "### File : %s, Line : %ld \n\t", file, line);
    return buffer;
}

void AppendToLog(const std::string& prefix, const char* text) {
    auto log = plat::files().Open(kLogFileName, plat::OpenMode::OpenAlways);
    if (!log) {
        return; // the line is lost, as when the log cannot be opened
    }
    log->Seek(0, plat::SeekOrigin::End);
    log->Write(prefix.data(), prefix.size());
    log->Write(text, std::strlen(text));
}

} // namespace

TraceKeys& xTrace_Keys() {
    static TraceKeys keys;
    return keys;
}

void xTrace(const char* text, const char* file, long line) {
    if (text == nullptr) {
        return;
    }
    const TraceKeys& keys = xTrace_Keys();
    if (!keys.logging && !keys.logFile) {
        return;
    }
    const std::string prefix = Prefix(file, line);
    if (keys.logging) {
        plat::debug().Write(prefix);
        plat::debug().Write(text);
    }
    if (keys.logFile) {
        AppendToLog(prefix, text);
    }
}

void xTracef(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    xTrace(buffer);
}

void xAssertFailed(const char* expression, const char* file, int line) {
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, "ASSERTION [%s] FAILED!\nFILE: %s\nLINE: %d\n",
                  expression, file, line);
    xTrace(buffer, file, line);
    std::abort();
}

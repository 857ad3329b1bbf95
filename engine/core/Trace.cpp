#include "engine/core/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/data/FileLayer.h"
#include "engine/data/FileSearch.h"
#include "platform/Platform.h"

namespace {

constexpr const char* kLogFileName = "_VQT_RT.log";
// The log is made as a text file: no creator code, type 'TEXT'.
constexpr uint32_t kTextCreator = 0;
constexpr uint32_t kTextType = 0x54455854;

/// Builds the file-and-line prefix in its 256-byte buffer; a name too long for it is cut, never
/// written past the buffer.
std::string Prefix(const char* file, long line) {
    if (file == nullptr) {
        return {};
    }
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "### File : %s, Line : %ld \n\t", file, line);
    return buffer;
}

/// Appends to the log as text lines (line feeds written as CR LF), opening and closing the
/// file for every call so that each line is on disk when the call returns.
void AppendToLog(const std::string& prefix, const char* text) {
    if (!xFile_Exists(kLogFileName, 1)) {
        xFile_Create(kLogFileName, kTextCreator, kTextType);
    }
    auto log = xOpenFile(kLogFileName, 2);
    if (!log) {
        return; // the line is lost, as when the log cannot be opened
    }
    xSeekEnd(log.get());
    if (!prefix.empty()) {
        xWriteText(log.get(), prefix.c_str());
    }
    xWriteText(log.get(), text);
    xCloseFile(log);
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
    // Nothing would be written: the text is not even formatted.
    const TraceKeys& keys = xTrace_Keys();
    if (!keys.logging && !keys.logFile) {
        return;
    }
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

#include "engine/base/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/base/BaseState.h"
#include "platform/Platform.h"

namespace {

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

} // namespace

TraceKeys& xTrace_Keys() { return xBase_State().traceKeys; }

void xTrace_SetLogWriter(TraceLogWriter writer) { xBase_State().traceLogWriter = writer; }

void xTrace(const char* text, const char* file, long line) {
    if (text == nullptr || !xBase_HasState()) {
        return;
    }
    const CBaseState& state = xBase_State();
    const TraceKeys& keys = state.traceKeys;
    if (!keys.logging && !keys.logFile) {
        return;
    }
    const std::string prefix = Prefix(file, line);
    if (keys.logging) {
        plat::debug().Write(prefix);
        plat::debug().Write(text);
    }
    if (keys.logFile && state.traceLogWriter != nullptr) {
        state.traceLogWriter(prefix.c_str(), text);
    }
}

void xTrace_Tell(const std::string& text) {
    plat::debug().Write(text);
    if (!xBase_HasState()) return;
    const CBaseState& state = xBase_State();
    if (state.traceKeys.logFile && state.traceLogWriter != nullptr) state.traceLogWriter("", text.c_str());
}

void xTracef(const char* format, ...) {
    // Nothing would be written: the text is not even formatted.
    if (!xBase_HasState()) {
        return;
    }
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

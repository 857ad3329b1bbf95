#pragma once
#include <cstdint>
#include <string>

/// The values behind the profile keys TRACELOGGING and TRACELOGFILE (boolean words); the
/// profile store binds the keys to these fields, so the trace reads them on every call.
struct TraceKeys {
    int32_t logging = 0;
    int32_t logFile = 0;
};
TraceKeys& xTrace_Keys();

/// Appends a traced text, after its prefix (empty without a file name), to the trace log. The
/// file layer installs its writer at start-up; without one the log lines are dropped.
using TraceLogWriter = void (*)(const char* prefix, const char* text);
void xTrace_SetLogWriter(TraceLogWriter writer);

/// The one diagnostic output: the text (formatted by the caller, with its own line feeds) goes
/// to the debugger when TRACELOGGING is set and is appended to "_VQT_RT.log" when TRACELOGFILE is
/// set; with a file name it is preceded by "### File : %s, Line : %ld \n\t".
void xTrace(const char* text, const char* file = nullptr, long line = 0);

/// A text for the person running the program (a failure that ends it, with its own line feed),
/// whatever TRACELOGGING says: it goes to the debug output, which is standard error in a real
/// run, and is appended to the trace log when TRACELOGFILE is set.
void xTrace_Tell(const std::string& text);

/// printf-style form of xTrace without a prefix; the text is cut at 1023 bytes.
void xTracef(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// Reports "ASSERTION [%s] FAILED!\nFILE: %s\nLINE: %d\n" through the trace and ends the process.
[[noreturn]] void xAssertFailed(const char* expression, const char* file, int line);

#define VQT_ASSERT(expr) ((expr) ? static_cast<void>(0) : xAssertFailed(#expr, __FILE__, __LINE__))

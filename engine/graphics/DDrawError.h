#pragma once
#include <cstdint>

#include "platform/DirectDraw.h"

/// The text of a display result code; "Unknown" for a code outside the table.
const char* DDrawErrorText(plat::dd::Result code);

/// Writes the report of a failed display call to the trace: the message ("[none given]" when
/// null), the code and its text, then the caller's source file and line.
void DDrawReportError(plat::dd::Result code, const char* message, const char* file, int line);

/// The file name of a path (the part after the last '/' or '\').
constexpr const char* DDrawFileName(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') name = p + 1;
    return name;
}

/// Reports a failed display call with the caller's file name and line.
#define VQT_DDRAW_REPORT(code, message) DDrawReportError((code), (message), DDrawFileName(__FILE__), __LINE__)

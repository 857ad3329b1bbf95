#pragma once
#include <cstdint>
#include <memory>

#include "platform/Files.h"

/// The file layer under the file drivers: free functions on an open file of the platform.
/// Modes: 1 read, anything else read and write; the file must exist.

/// The open file, or null when it cannot be opened.
std::unique_ptr<plat::File> xOpenFile(const char* name, int32_t mode);
/// The same for a file in the Windows folder (the user's configuration folder); a failure
/// traces "Error opening : %s\n".
std::unique_ptr<plat::File> xOpenFileInWindowsDir(const char* name, int32_t mode);
/// Closes the file (nothing when there is none).
void xCloseFile(std::unique_ptr<plat::File>& handle);
/// Moves to the end of the file; false on failure.
bool xSeekEnd(plat::File* handle);
/// The size in bytes with the position kept, -1 on failure.
int64_t xFileSize(plat::File* handle);
/// Sets the end of the file at the position (cutting or extending it), leaving the file there.
bool xTruncate(plat::File* handle, uint32_t position);
/// True when a one-byte read finds no byte (or fails); otherwise the position is restored.
bool xAtEnd(plat::File* handle);
/// The current position, 0 on failure.
uint32_t xTell(plat::File* handle);
/// Writes count bytes; true when all were written.
bool xWrite(plat::File* handle, uint32_t count, const void* buffer, uint32_t* written);
bool xWriteByte(plat::File* handle, uint8_t byte);
/// Writes a text as text lines: every line feed as CR LF; a text without line feeds has its
/// first carriage return written as CR LF. Stops with false at the first failed write.
bool xWriteText(plat::File* handle, const char* text);

/// The trace's log writer: appends the prefix and the text to "_VQT_RT.log" in the working
/// folder as text lines (made as a text file when missing), opening and closing the file for
/// every call so that each line is on disk when the call returns. A log that cannot be opened
/// loses the line.
void xFile_AppendToTraceLog(const char* prefix, const char* text);

#pragma once
#include <cstdint>
#include <string>

/// Finding data files on the CD-ROM drives, and the small file functions of the engine.
/// The platform's CD-ROM stand-ins (plat::Files::CdromRoots) play the drives, in their order.

/// The folder (with a trailing separator) of the first file of that name found on a CD-ROM
/// drive, the empty text when there is none, null without a name. The answer stays valid until
/// the next search.
const char* xFile_FindOnCDROM(const char* fileName);

/// Depth-first search for a file (the name may hold the wildcards * and ?) in a folder and
/// below it, subfolders in name order; symbolic links to folders are not followed. True when
/// found, with the folder that holds it (with a trailing separator) in `result`.
bool xFile_SearchFolder(const char* folder, const char* fileName, std::string* result);

/// True when the file can be opened in that mode (1 read, 2 read and write).
bool xFile_Exists(const char* name, int32_t mode);
/// Creates the file, or empties it when it exists; the creator and type codes are not used.
bool xFile_Create(const char* name, uint32_t creator, uint32_t type);
/// True when the file was removed.
bool xFile_Delete(const char* name);
/// Copies the working folder into the buffer (cut to fit); false when it did not fit.
bool xFile_GetCurrentDir(char* buffer, uint32_t size);
/// The drive root (letter, colon, backslash) of a path beginning with a letter, else null.
/// The answer stays valid until the next call.
const char* xFile_GetDriveRoot(const char* path);
/// The drive type of the path's drive root: 0 for a path without one; this platform has no
/// drive letters, so a drive root has no root folder (1).
int32_t xFile_GetDriveType(const char* path);
/// Copies the part of the path after its last separator ('\\' or '/'; the whole path when it
/// has none) into `out`, a buffer of `maximum` bytes: cut to fit, never splitting a double-byte
/// character, always terminated. Answers out, or null when an argument is missing.
char* xFile_GetFileName(const char* path, char* out, int32_t maximum);

/// The file search's answers that stay valid until the next call: the search result and the
/// drive root.
struct FileSearchContext {
    std::string result;
    char driveRoot[64] = {};
};

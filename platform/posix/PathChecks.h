#pragma once
#include <string>
#include <vector>

// Checks of the paths and folders that the program's own variables name, made when it starts so
// that a value it cannot use ends it at once with a line naming the variable.

namespace plat {

/// `NAME="value"` for a line about a variable of the environment; a value too long to read on
/// one line shows its start, "..." and its length in bytes.
std::string VariableSetting(const char* name, const std::string& value);

/// Why the system takes no file of this name: longer as a whole than it takes (PATH_MAX), or
/// one of its parts longer than a name in a folder (NAME_MAX); empty when it fits.
std::string PathTooLong(const std::string& path);

/// The name of the kernel's pseudo file system ("proc", "sysfs", "cgroup2fs", ...) that the
/// path, or for a missing path the nearest existing one above it, lies on: such a file system
/// shows the kernel's state and holds no files of the program's. Empty on any other file system,
/// and when no path above it can be asked. Names are those `stat -f -c %T` prints, so that the
/// program and the start scripts name a file system alike.
std::string OnPseudoFileSystem(const std::string& path);

/// Every name OnPseudoFileSystem gives: the start scripts refuse the same list.
std::vector<std::string> PseudoFileSystemNames();

/// Why no file can be written at the path, found without making or opening anything: the name
/// is too long, names a folder, its folder does not exist, lies on a pseudo file system or
/// cannot be written, or the file exists and cannot be written; empty when nothing speaks
/// against it. A name without a folder lies in the working folder.
std::string FileCannotBeWritten(const std::string& path);

/// Why the file cannot be written at the path, found by trying: an existing file is opened for
/// writing and closed unchanged, a missing one is made and removed again; empty when it can.
std::string FileCannotBeMade(const std::string& path);

/// Why files cannot be written in the folder: too long a name, not a folder, a folder on a
/// pseudo file system or that cannot be written, or a missing folder that cannot be made (the
/// nearest existing folder above it is one of those); empty when they can.
std::string FolderCannotBeUsed(const std::string& folder);

/// What is wrong with the platform's variables in the environment, a line each naming the
/// variable: DATAROOTS must list only folders that exist and can be read (empty entries between
/// the ":" are skipped, but a value of separators alone lists none), VQT_PRINT_FOLDER must name
/// a folder that can be used (FolderCannotBeUsed). Unset or empty values are not checked;
/// empty when every value can be used.
std::string VariableFaults();

} // namespace plat

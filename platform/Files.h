#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plat {

/// How a file is opened (the CreateFile dispositions the engine uses).
enum class OpenMode {
    Read,         ///< existing file, read only
    ReadWrite,    ///< existing file, read and write
    CreateAlways, ///< new or truncated file, read and write
    OpenAlways,   ///< existing or new file, read and write, contents kept
};

enum class SeekOrigin { Begin, Current, End };

/// An open file; closed when destroyed.
class File {
public:
    virtual ~File() = default;
    /// Bytes read (0 at the end), or -1 on failure.
    virtual int64_t Read(void* buffer, size_t count) = 0;
    /// Bytes written, or -1 on failure.
    virtual int64_t Write(const void* data, size_t count) = 0;
    /// The new position, or -1 on failure.
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    /// The size in bytes, or -1 on failure.
    virtual int64_t Size() = 0;
    /// Moves the end of the file to `size` (cutting or extending it with zeros) and the file
    /// position there; false on failure or where a file cannot change its size.
    virtual bool SetEnd(int64_t size) {
        static_cast<void>(size);
        return false;
    }
    /// Puts what was written to the file on the disc before answering (fsync); false when the
    /// disc did not take it.
    virtual bool Sync() { return false; }
};

/// The file system. Names use either separator; a name is tried as given, then with '\' as '/',
/// then case-insensitively per path component.
class Files {
public:
    virtual ~Files() = default;
    /// The open file, or null when it cannot be opened in that mode.
    virtual std::unique_ptr<File> Open(const std::string& name, OpenMode mode) = 0;
    /// The existing path a name resolves to through the fallbacks, if any.
    virtual std::optional<std::string> Resolve(const std::string& name) = 0;
    virtual bool Exists(const std::string& name) = 0;
    virtual bool IsDirectory(const std::string& name) = 0;
    /// True when the name itself is a symbolic link (whatever it points at).
    virtual bool IsLink(const std::string& name) {
        static_cast<void>(name);
        return false;
    }
    virtual bool Remove(const std::string& name) = 0;
    /// Gives the file `from` the name `to` in one step, replacing a file of that name: at every
    /// moment `to` names either the old file or the new one. Both lie in one folder; `to` is
    /// found through the fallbacks when it exists. False when nothing was renamed.
    virtual bool Rename(const std::string& from, const std::string& to) {
        static_cast<void>(from);
        static_cast<void>(to);
        return false;
    }
    /// Puts the folder's list of names (files made, renamed or removed in it) on the disc; an
    /// empty name is the working folder. False when the disc did not take it.
    virtual bool SyncFolder(const std::string& folder) {
        static_cast<void>(folder);
        return false;
    }
    /// The names (not paths) in a folder; empty when it cannot be read.
    virtual std::vector<std::string> List(const std::string& folder) = 0;
    /// The stand-in for the Windows folder: the user's configuration folder.
    virtual std::string WindowsFolder() = 0;
    /// Folders that stand in for CD-ROM drives, in the order they are searched (as drive
    /// letters are): the DATAROOTS folders as listed, then the mounted discs and the removable
    /// media folders, each group sorted by path, every folder once.
    virtual std::vector<std::string> CdromRoots() = 0;
};

} // namespace plat

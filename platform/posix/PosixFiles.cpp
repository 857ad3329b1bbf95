#include "platform/posix/PosixFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace plat {

namespace {

/// fsync, tried again when a signal interrupts it.
bool SyncDescriptor(int fd) {
    int result;
    do {
        result = ::fsync(fd);
    } while (result < 0 && errno == EINTR);
    return result == 0;
}

class PosixFile final : public File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { ::close(fd_); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    int64_t Read(void* buffer, size_t count) override {
        ssize_t got;
        do {
            got = ::read(fd_, buffer, count);
        } while (got < 0 && errno == EINTR);
        return got;
    }
    int64_t Write(const void* data, size_t count) override {
        size_t done = 0;
        while (done < count) {
            const ssize_t put = ::write(fd_, static_cast<const char*>(data) + done, count - done);
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return -1;
            }
            done += static_cast<size_t>(put);
        }
        return static_cast<int64_t>(done);
    }
    int64_t Seek(int64_t offset, SeekOrigin origin) override {
        const int whence = origin == SeekOrigin::Begin ? SEEK_SET
                         : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
        return ::lseek(fd_, offset, whence);
    }
    int64_t Size() override {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 ? st.st_size : -1;
    }
    bool SetEnd(int64_t size) override {
        return size >= 0 && ::ftruncate(fd_, size) == 0 && ::lseek(fd_, size, SEEK_SET) == size;
    }
    bool Sync() override { return SyncDescriptor(fd_); }

private:
    int fd_;
};

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

/// Finds `component` in `folder` regardless of case; empty when there is none.
std::string MatchComponent(const std::string& folder, const std::string& component) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return {};
    }
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, component.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

/// Rebuilds a path component by component, matching each without regard to case.
std::optional<std::string> ResolveCaseless(const std::string& path) {
    std::string result;
    size_t pos = 0;
    if (!path.empty() && path[0] == '/') {
        result = "/";
        pos = 1;
    }
    while (pos <= path.size()) {
        const size_t end = path.find('/', pos);
        const std::string part = path.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        if (!part.empty() && part != ".") {
            std::string candidate = result;
            if (part == "..") {
                candidate += part;
            } else {
                const std::string folder = result.empty() ? "." : result;
                std::string match = PathExists(result + part) ? part : MatchComponent(folder, part);
                if (match.empty()) {
                    return std::nullopt;
                }
                candidate += match;
            }
            result = candidate;
            if (end != std::string::npos) {
                result += '/';
            }
        }
        if (end == std::string::npos) {
            break;
        }
        pos = end + 1;
    }
    return result.empty() ? std::nullopt : std::optional<std::string>(result);
}

/// The path to create a new file at: the folder resolved through the fallbacks, the last
/// component as given.
std::string PathForCreate(Files& files, const std::string& name) {
    const std::string posix = ToPosixSeparators(name);
    const size_t slash = posix.rfind('/');
    if (slash == std::string::npos) {
        return posix;
    }
    const std::string folder = posix.substr(0, slash == 0 ? 1 : slash);
    const auto resolved = files.Resolve(folder);
    return (resolved ? *resolved : folder) + (slash == 0 ? "" : "/") + posix.substr(slash + 1);
}

void AddSubfolders(Files& files, const std::string& folder, std::vector<std::string>& out) {
    for (const std::string& name : files.List(folder)) {
        const std::string path = folder + "/" + name;
        if (files.IsDirectory(path)) {
            out.push_back(path);
        }
    }
}

} // namespace

std::string ToPosixSeparators(std::string name) {
    for (char& c : name) {
        if (c == '\\') {
            c = '/';
        }
    }
    return name;
}

std::optional<std::string> PosixFiles::Resolve(const std::string& name) {
    if (name.empty()) {
        return std::nullopt;
    }
    if (PathExists(name)) {
        return name;
    }
    const std::string posix = ToPosixSeparators(name);
    if (PathExists(posix)) {
        return posix;
    }
    return ResolveCaseless(posix);
}

std::unique_ptr<File> PosixFiles::Open(const std::string& name, OpenMode mode) {
    std::string path;
    int flags = O_CLOEXEC;
    switch (mode) {
    case OpenMode::Read:
        flags |= O_RDONLY;
        break;
    case OpenMode::ReadWrite:
        flags |= O_RDWR;
        break;
    case OpenMode::CreateAlways:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    case OpenMode::OpenAlways:
        flags |= O_RDWR | O_CREAT;
        break;
    }
    if (const auto resolved = Resolve(name)) {
        path = *resolved;
    } else if (flags & O_CREAT) {
        path = PathForCreate(*this, name);
    } else {
        return nullptr;
    }
    // The path is resolved already: a second resolve would read its folder again.
    if (IsFolder(path)) {
        return nullptr;
    }
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd);
}

bool PosixFiles::Exists(const std::string& name) { return Resolve(name).has_value(); }

bool PosixFiles::IsDirectory(const std::string& name) {
    const auto path = Resolve(name);
    return path && IsFolder(*path);
}

bool PosixFiles::IsLink(const std::string& name) {
    const auto path = Resolve(name);
    struct stat st {};
    return path && ::lstat(path->c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool PosixFiles::Remove(const std::string& name) {
    const auto path = Resolve(name);
    return path && ::unlink(path->c_str()) == 0;
}

bool PosixFiles::Rename(const std::string& from, const std::string& to) {
    const auto source = Resolve(from);
    if (!source) {
        return false;
    }
    const auto existing = Resolve(to);
    const std::string target = existing ? *existing : PathForCreate(*this, to);
    return ::rename(source->c_str(), target.c_str()) == 0;
}

bool PosixFiles::SyncFolder(const std::string& folder) {
    const auto path = folder.empty() ? std::optional<std::string>(".") : Resolve(folder);
    if (!path) {
        return false;
    }
    const int fd = ::open(path->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = SyncDescriptor(fd);
    ::close(fd);
    return synced;
}

std::vector<std::string> PosixFiles::List(const std::string& folder) {
    std::vector<std::string> names;
    const auto path = Resolve(folder);
    if (!path) {
        return names;
    }
    DIR* dir = ::opendir(path->c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    return names;
}

std::string PosixFiles::WindowsFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
        return xdg;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::string(home) + "/.config";
    }
    return ".";
}

std::vector<std::string> PosixFiles::CdromRoots() {
    std::vector<std::string> roots;
    const auto add = [&roots](const std::string& folder) {
        if (std::find(roots.begin(), roots.end(), folder) == roots.end()) {
            roots.push_back(folder);
        }
    };
    if (const char* list = std::getenv("DATAROOTS"); list != nullptr) {
        std::istringstream in(list);
        for (std::string folder; std::getline(in, folder, ':');) {
            if (!folder.empty()) {
                add(folder);
            }
        }
    }
    // Optical discs first, then removable media as the desktop mounts them; each group sorted,
    // so the search order does not depend on the order the system lists folders in.
    std::vector<std::string> discs;
    std::ifstream mounts("/proc/mounts");
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream fields(line);
        std::string device, point, type;
        fields >> device >> point >> type;
        if (type == "iso9660" || type == "udf") {
            discs.push_back(point);
        }
    }
    std::vector<std::string> media;
    AddSubfolders(*this, "/media", media);
    for (const char* base : {"/media", "/run/media"}) {
        for (const std::string& user : List(base)) {
            AddSubfolders(*this, std::string(base) + "/" + user, media);
        }
    }
    AddSubfolders(*this, "/mnt", media);
    for (auto* group : {&discs, &media}) {
        std::sort(group->begin(), group->end());
        for (const std::string& folder : *group) {
            add(folder);
        }
    }
    return roots;
}

} // namespace plat

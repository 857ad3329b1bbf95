#include "platform/pdf/FolderDestination.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <filesystem>

#include "platform/posix/PathChecks.h"

namespace plat {

namespace {

/// A file name made of the document's name: path separators and control characters become
/// '_', and an empty name becomes "document".
std::string FileStem(const std::string& document) {
    std::string stem;
    for (const char c : document) stem += (c == '/' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    return stem.empty() || stem == "." || stem == ".." ? std::string("document") : stem;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

} // namespace

bool FolderDestination::Deliver(const std::string& document, const std::string& pdf) {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    const std::string stem = FileStem(document);
    std::string partial = folder_ + "/.printing-XXXXXX";
    const int fd = ::mkstemp(partial.data());
    if (fd < 0) {
        PrintNote("Printing: cannot write in " + folder_ + ": " + std::strerror(errno) + "\n");
        return false;
    }
    const bool written = ::fchmod(fd, 0644) == 0 && WriteAll(fd, pdf);
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(partial.c_str());
        PrintNote("Printing: cannot write " + partial + ": " + std::strerror(written ? errno : writeError) + "\n");
        return false;
    }
    // The finished file takes the first free name; link() never replaces an existing file.
    for (int n = 1; n <= 1000; ++n) {
        const std::string path = folder_ + "/" + stem + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".pdf";
        if (::link(partial.c_str(), path.c_str()) == 0) {
            ::unlink(partial.c_str());
            PrintNote("Printing: \"" + document + "\" written to " + path + "\n");
            return true;
        }
        if (errno != EEXIST) break;
    }
    PrintNote("Printing: no file name for \"" + document + "\" in " + folder_ + ": " + std::strerror(errno) + "\n");
    ::unlink(partial.c_str());
    return false;
}

bool FolderCanBeUsed(const std::string& folder) { return FolderCannotBeUsed(folder).empty(); }

} // namespace plat

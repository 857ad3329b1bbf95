#include "engine/data/FileSearch.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/data/DataState.h"
#include "engine/data/FileLayer.h"
#include "engine/data/Strings.h"
#include "platform/Platform.h"

namespace {

/// Deeper folders are not searched: no disc goes that deep, and it bounds the recursion
/// whatever the folders hold.
constexpr int kMaxSearchDepth = 64;

FileSearchContext& Context() { return xData_State().fileSearch; }

/// Wildcard match without regard to case: '*' any run of characters, '?' any one character.
bool Matches(const char* pattern, const char* name) {
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' || (*pattern != '\0' && xStr_LowerChar(*pattern) == xStr_LowerChar(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern != nullptr) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*') {
        ++pattern;
    }
    return *pattern == '\0';
}

std::string WithSeparator(std::string folder) {
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) {
        folder += '/';
    }
    return folder;
}

bool Search(const std::string& folder, const char* fileName, std::string* result, int depth) {
    plat::Files& files = plat::files();
    std::vector<std::string> names = files.List(folder);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (Matches(fileName, name.c_str()) && !files.IsDirectory(folder + name)) {
            *result = folder;
            return true;
        }
    }
    if (depth >= kMaxSearchDepth) {
        return false;
    }
    for (const std::string& name : names) {
        const std::string path = folder + name;
        if (name == "." || name == ".." || !files.IsDirectory(path) || files.IsLink(path)) {
            continue;
        }
        if (Search(path + "/", fileName, result, depth + 1)) {
            return true;
        }
    }
    return false;
}

} // namespace

const char* xFile_FindOnCDROM(const char* fileName) {
    if (fileName == nullptr) {
        return nullptr;
    }
    FileSearchContext& context = Context();
    context.result.clear();
    for (const std::string& root : plat::files().CdromRoots()) {
        std::string found;
        if (xFile_SearchFolder(root.c_str(), fileName, &found)) {
            context.result = found;
            break;
        }
    }
    return context.result.c_str();
}

bool xFile_SearchFolder(const char* folder, const char* fileName, std::string* result) {
    if (result == nullptr) {
        return false;
    }
    result->clear();
    if (folder == nullptr || fileName == nullptr || *folder == '\0') {
        return false;
    }
    return Search(WithSeparator(folder), fileName, result, 0);
}

bool xFile_Exists(const char* name, int32_t mode) { return xOpenFile(name, mode) != nullptr; }

bool xFile_Create(const char* name, uint32_t, uint32_t) {
    if (name == nullptr || *name == '\0') {
        return false;
    }
    return plat::files().Open(name, plat::OpenMode::CreateAlways) != nullptr;
}

bool xFile_Delete(const char* name) {
    return name != nullptr && *name != '\0' && plat::files().Remove(name);
}

bool xFile_GetCurrentDir(char* buffer, uint32_t size) {
    if (buffer == nullptr || size == 0) {
        return false;
    }
    const std::string folder = plat::system().WorkingFolder();
    const size_t copied = std::min<size_t>(folder.size(), size - 1);
    std::memcpy(buffer, folder.data(), copied);
    buffer[copied] = '\0';
    return copied == folder.size();
}

const char* xFile_GetDriveRoot(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    const char first = path[0];
    if (!((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z'))) {
        return nullptr;
    }
    char* root = Context().driveRoot;
    root[0] = first;
    root[1] = ':';
    root[2] = '\\';
    root[3] = '\0';
    return root;
}

int32_t xFile_GetDriveType(const char* path) { return xFile_GetDriveRoot(path) != nullptr ? 1 : 0; }

char* xFile_GetFileName(const char* path, char* out, int32_t maximum) {
    if (path == nullptr || out == nullptr || maximum < 1) {
        return nullptr;
    }
    // Walk whole characters, so that a trail byte equal to '\\' is never taken for a separator.
    const char* name = path;
    for (const char* p = path; *p != '\0'; p = xStr_NextChar(p)) {
        if (*p == '\\' || *p == '/') {
            name = p + 1;
        }
    }
    return xStr_CopyBytes(out, name, static_cast<size_t>(maximum));
}


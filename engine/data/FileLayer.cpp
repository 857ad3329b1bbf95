#include "engine/data/FileLayer.h"

#include <cstring>
#include <string>

#include "engine/base/Trace.h"
#include "engine/data/FileSearch.h"
#include "platform/Platform.h"

std::unique_ptr<plat::File> xOpenFile(const char* name, int32_t mode) {
    if (name == nullptr || *name == '\0') {
        return nullptr;
    }
    return plat::files().Open(name, mode == 1 ? plat::OpenMode::Read : plat::OpenMode::ReadWrite);
}

std::unique_ptr<plat::File> xOpenFileInWindowsDir(const char* name, int32_t mode) {
    if (name == nullptr) {
        return nullptr;
    }
    const std::string path = plat::files().WindowsFolder() + "/" + name;
    auto file = xOpenFile(path.c_str(), mode);
    if (!file) {
        xTracef("Error opening : %s\n", name);
    }
    return file;
}

void xCloseFile(std::unique_ptr<plat::File>& handle) { handle.reset(); }

bool xSeekEnd(plat::File* handle) {
    return handle != nullptr && handle->Seek(0, plat::SeekOrigin::End) >= 0;
}

int64_t xFileSize(plat::File* handle) {
    if (handle == nullptr) {
        return -1;
    }
    const int64_t size = handle->Size();
    return size < 0 ? -1 : size;
}

bool xTruncate(plat::File* handle, uint32_t position) {
    return handle != nullptr && handle->SetEnd(position);
}

bool xAtEnd(plat::File* handle) {
    if (handle == nullptr) {
        return true;
    }
    const int64_t position = handle->Seek(0, plat::SeekOrigin::Current);
    uint8_t byte = 0;
    if (handle->Read(&byte, 1) != 1) {
        return true;
    }
    handle->Seek(position, plat::SeekOrigin::Begin);
    return false;
}

uint32_t xTell(plat::File* handle) {
    if (handle == nullptr) {
        return 0;
    }
    const int64_t position = handle->Seek(0, plat::SeekOrigin::Current);
    return position < 0 || position > UINT32_MAX ? 0 : static_cast<uint32_t>(position);
}

bool xWrite(plat::File* handle, uint32_t count, const void* buffer, uint32_t* written) {
    if (written != nullptr) {
        *written = 0;
    }
    if (handle == nullptr || (buffer == nullptr && count != 0)) {
        return false;
    }
    const int64_t put = count == 0 ? 0 : handle->Write(buffer, count);
    if (put < 0) {
        return false;
    }
    if (written != nullptr) {
        *written = static_cast<uint32_t>(put);
    }
    return put == count;
}

bool xWriteByte(plat::File* handle, uint8_t byte) { return xWrite(handle, 1, &byte, nullptr); }

bool xWriteText(plat::File* handle, const char* text) {
    if (text == nullptr) {
        return false;
    }
    const bool hasLineFeed = std::strchr(text, '\n') != nullptr;
    bool firstReturnDone = false;
    std::string lines;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '\n') {
            lines += "\r\n";
        } else if (*p == '\r' && !hasLineFeed && !firstReturnDone) {
            lines += "\r\n";
            firstReturnDone = true;
        } else {
            lines += *p;
        }
    }
    return xWrite(handle, static_cast<uint32_t>(lines.size()), lines.data(), nullptr);
}

void xFile_AppendToTraceLog(const char* prefix, const char* text) {
    constexpr const char* kLogFileName = "_VQT_RT.log";
    // The log is made as a text file: no creator code, type 'TEXT'.
    constexpr uint32_t kTextCreator = 0;
    constexpr uint32_t kTextType = 0x54455854;
    if (!xFile_Exists(kLogFileName, 1)) {
        xFile_Create(kLogFileName, kTextCreator, kTextType);
    }
    auto log = xOpenFile(kLogFileName, 2);
    if (!log) {
        return;
    }
    xSeekEnd(log.get());
    if (*prefix != 0) {
        xWriteText(log.get(), prefix);
    }
    xWriteText(log.get(), text);
    xCloseFile(log);
}

#include "engine/data/DrvFile.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/data/Memory.h"

namespace {

/// Seeks keep the buffer only for targets more than this many bytes before the end of the
/// buffered data.
constexpr int64_t kSeekKeepMargin = 2048;

/// The buffer comes from the calling thread's default pool.
uint8_t* AllocBuffer(uint32_t size) { return static_cast<uint8_t*>(PoolAllocBlock(PoolForThread(), size)); }

} // namespace

ODrvFile::ODrvFile() : ODrvUnBuffFile("ODrvFile") {}

ODrvFile::~ODrvFile() { ODrvFile::Close(); }

void ODrvFile::FreeBuffer() {
    PoolFreeBlock(buffer_);
    buffer_ = nullptr;
    EmptyBuffer();
}

void ODrvFile::DropBuffer() {
    if (Buffered() && left_ > 0) {
        // The file stands at the end of the buffered data; bring it back to where the reader is.
        ODrvUnBuffFile::Control(DRV_SEEK, 0, static_cast<intptr_t>(LogicalPosition()));
    }
    EmptyBuffer();
}

int32_t ODrvFile::Open(const char* name, uint32_t mode) {
    if (buffer_ == nullptr) {
        buffer_ = AllocBuffer(bufferSize_);
        if (buffer_ == nullptr) {
            return SetError(DRV_ERR_OPEN);
        }
    }
    EmptyBuffer();
    return ODrvUnBuffFile::Open(name, mode);
}

int32_t ODrvFile::Close() {
    FreeBuffer();
    return ODrvUnBuffFile::Close();
}

int32_t ODrvFile::Read(void* buffer, uint32_t count, uint32_t* got) {
    if (buffer_ == nullptr) {
        return ODrvUnBuffFile::Read(buffer, count, got);
    }
    uint32_t done = 0;
    if (got == nullptr) {
        got = &done;
    }
    *got = 0;
    if (mode_ != DRV_MODE_READ && mode_ != DRV_MODE_READWRITE) {
        return SetError(DRV_ERR_MODE);
    }
    // The file is needed only once the buffer runs dry; with an access-failure handler that
    // spares reopening it for reads the buffer serves.
    std::optional<DrvAccess> access;
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t remaining = count;
    int32_t code = DRV_OK;
    while (remaining > 0) {
        if (left_ > 0) {
            const uint32_t take = std::min(left_, remaining);
            std::memcpy(out, buffer_ + consumed_, take);
            consumed_ += take;
            left_ -= take;
            out += take;
            remaining -= take;
            *got += take;
            continue;
        }
        // The buffer is used up, so the file stands at the logical position.
        EmptyBuffer();
        if (!access) {
            access.emplace(*this);
        }
        if (remaining > bufferSize_) {
            const uint32_t direct = remaining / bufferSize_ * bufferSize_;
            uint32_t read = 0;
            code = ODrvUnBuffFile::Read(out, direct, &read);
            out += read;
            remaining -= read;
            *got += read;
            if (code < 0 || read < direct) {
                break;
            }
        } else {
            const intptr_t start = ODrvUnBuffFile::Control(DRV_POSITION);
            if (start < 0) {
                code = SetError(DRV_ERR_READ);
                break;
            }
            uint32_t read = 0;
            code = ODrvUnBuffFile::Read(buffer_, bufferSize_, &read);
            if (code < 0 || read == 0) {
                break;
            }
            bufferStart_ = start;
            left_ = read;
        }
    }
    return code;
}

int32_t ODrvFile::Write(const void* buffer, uint32_t count, uint32_t* written) {
    DropBuffer();
    return ODrvUnBuffFile::Write(buffer, count, written);
}

intptr_t ODrvFile::Control(int32_t operation, intptr_t a, intptr_t b, intptr_t c) {
    switch (operation) {
    case DRV_SEEK: {
        if (!Buffered()) {
            return ODrvUnBuffFile::Control(operation, a, b, c);
        }
        int64_t target;
        if (a == 0) {
            target = b;
        } else if (a == 1) {
            target = LogicalPosition() + b;
        } else if (a == 2) {
            const intptr_t size = ODrvUnBuffFile::Control(DRV_SIZE);
            if (size < 0) {
                return SetError(DRV_ERR_SEEK);
            }
            target = static_cast<int64_t>(size) - b;
        } else {
            return SetError(DRV_ERR_SEEK);
        }
        if (target < 0) {
            return SetError(DRV_ERR_SEEK);
        }
        const int64_t bufferedEnd = bufferStart_ + consumed_ + left_;
        if (target >= bufferStart_ && target + kSeekKeepMargin < bufferedEnd) {
            const uint32_t filled = consumed_ + left_;
            consumed_ = static_cast<uint32_t>(target - bufferStart_);
            left_ = filled - consumed_;
            return DRV_OK;
        }
        EmptyBuffer();
        return ODrvUnBuffFile::Control(DRV_SEEK, 0, static_cast<intptr_t>(target));
    }
    case DRV_POSITION:
        return Buffered() ? static_cast<intptr_t>(LogicalPosition()) : ODrvUnBuffFile::Control(operation);
    case DRV_SETEND:
    case DRV_DETACH:
        DropBuffer();
        return ODrvUnBuffFile::Control(operation, a, b, c);
    case DRV_EOD: {
        if (!Buffered()) {
            return ODrvUnBuffFile::Control(operation);
        }
        const intptr_t size = ODrvUnBuffFile::Control(DRV_SIZE);
        if (size < 0) {
            return SetError(DRV_ERR_QUERY);
        }
        return LogicalPosition() >= size ? 1 : 0;
    }
    default:
        return ODrvUnBuffFile::Control(operation, a, b, c);
    }
}

int32_t ODrvFile::Attach(ODriver* source, size_t start, size_t length) {
    DropBuffer();
    return ODrvUnBuffFile::Attach(source, start, length);
}

int32_t ODrvFile::AdoptFile(std::unique_ptr<plat::File> file) {
    // The buffered bytes belonged to the old file.
    EmptyBuffer();
    const int32_t code = ODrvUnBuffFile::AdoptFile(std::move(file));
    if (buffer_ == nullptr) {
        buffer_ = AllocBuffer(bufferSize_);
    }
    return code;
}

int32_t ODrvFile::SetBufferSize(uint32_t size) {
    if (size == 0) {
        return SetError(DRV_ERR_QUERY);
    }
    if (buffer_ == nullptr) {
        bufferSize_ = size;
        return DRV_OK;
    }
    uint8_t* resized = AllocBuffer(size);
    if (resized == nullptr) {
        return SetError(DRV_ERR_QUERY);
    }
    if (Buffered() && left_ > 0 && left_ <= size) {
        std::memcpy(resized, buffer_ + consumed_, left_);
        bufferStart_ += consumed_;
        consumed_ = 0;
    } else {
        DropBuffer();
    }
    PoolFreeBlock(buffer_);
    buffer_ = resized;
    bufferSize_ = size;
    return DRV_OK;
}

uint32_t ODrvFile::GetBufferSize() { return bufferSize_; }

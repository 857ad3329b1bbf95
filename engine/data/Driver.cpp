#include "engine/data/Driver.h"

#include <algorithm>
#include <climits>

#include "engine/base/Trace.h"
#include "platform/Files.h"

ODriver::ODriver() = default;

ODriver::ODriver(const char* className) : className_(className) {}

ODriver::~ODriver() {
    ODriver::Close();
    if (parent_ != nullptr) {
        parent_->SetChild(nullptr);
    }
    if (child_ != nullptr) {
        child_->SetParent(nullptr);
    }
    // A child whose SetParent ignores links must not keep pointing here either.
    if (child_ != nullptr && child_->parent_ == this) {
        child_->parent_ = nullptr;
    }
    if (parent_ != nullptr && parent_->child_ == this) {
        parent_->child_ = nullptr;
    }
}

void ODriver::SetParent(ODriver* parent) {
    if (parent_ != nullptr && parent_->child_ == this) {
        parent_->child_ = nullptr;
    }
    parent_ = parent;
    if (parent != nullptr && parent->child_ != this) {
        parent->SetChild(this);
    }
}

void ODriver::SetChild(ODriver* child) {
    if (child_ != nullptr && child_->parent_ == this) {
        child_->parent_ = nullptr;
    }
    child_ = child;
    if (child != nullptr && child->parent_ != this) {
        child->SetParent(this);
    }
}

ODriver* ODriver::Innermost() {
    ODriver* driver = this;
    // Bounded walk: a chain that loops back on itself ends at the driver met again.
    for (int steps = 0; driver->parent_ != nullptr && driver->parent_ != this && steps < 1024; ++steps) {
        driver = driver->parent_;
    }
    return driver;
}

int32_t ODriver::SetError(int32_t code) {
    Innermost()->error_ = code;
    return code;
}

int32_t ODriver::GetErrorCode() { return Innermost()->error_; }

int32_t ODriver::Create(const char* name, uint32_t mode) {
    return parent_ != nullptr ? parent_->Create(name, mode) : SetError(DRV_ERR_NOPARENT);
}

int32_t ODriver::Open(const char* name, uint32_t mode) {
    return parent_ != nullptr ? parent_->Open(name, mode) : SetError(DRV_ERR_NOPARENT);
}

int32_t ODriver::Close() {
    source_ = nullptr;
    blockStart_ = 0;
    blockLength_ = 0;
    return parent_ != nullptr ? parent_->Close() : DRV_OK;
}

int32_t ODriver::Read(void* buffer, uint32_t count, uint32_t* got) {
    if (source_ != nullptr) {
        return ReadBlock(buffer, count, got);
    }
    if (parent_ != nullptr) {
        return parent_->Read(buffer, count, got);
    }
    if (got != nullptr) {
        *got = 0;
    }
    return SetError(DRV_ERR_NOPARENT);
}

int32_t ODriver::Write(const void* buffer, uint32_t count, uint32_t* written) {
    if (source_ != nullptr) {
        return WriteBlock(buffer, count, written);
    }
    if (parent_ != nullptr) {
        return parent_->Write(buffer, count, written);
    }
    if (written != nullptr) {
        *written = 0;
    }
    return SetError(DRV_ERR_NOPARENT);
}

int32_t ODriver::ReadLine(char* buffer, int32_t maximum) {
    if (buffer == nullptr || (maximum < 1 && maximum != -1)) {
        return 0; // no room even for the terminating NUL
    }
    if (Control(DRV_EOD) == 1) {
        buffer[0] = '\0';
        return 0;
    }
    const int32_t limit = maximum == -1 ? INT32_MAX : maximum - 1;
    int32_t stored = 0;
    while (stored < limit) {
        char byte = 0;
        uint32_t got = 0;
        const int32_t code = Read(&byte, 1, &got);
        if (code < 0) {
            buffer[stored] = '\0';
            // A block driver answers its end with a read error: that is the end of the data.
            if (Control(DRV_EOD) == 1) {
                break;
            }
            return code;
        }
        if (got == 0) {
            break;
        }
        buffer[stored++] = byte;
        if (byte == '\n') {
            break;
        }
    }
    buffer[stored] = '\0';
    return stored;
}

int64_t ODriver::BlockPosition() {
    const intptr_t position = source_->Control(DRV_POSITION);
    if (position < 0) {
        return position;
    }
    return static_cast<int64_t>(position) - blockStart_;
}

int32_t ODriver::ReadBlock(void* buffer, uint32_t count, uint32_t* got) {
    if (got != nullptr) {
        *got = 0;
    }
    const int64_t position = BlockPosition();
    if (position < 0 || position > blockLength_) {
        xTrace("ODriver read error - current read position past attached block!!!\n");
        return SetError(DRV_ERR_READ);
    }
    const uint64_t left = blockLength_ - static_cast<uint64_t>(position);
    if (left == 0) {
        return SetError(DRV_ERR_READ);
    }
    return source_->Read(buffer, static_cast<uint32_t>(std::min<uint64_t>(count, left)), got);
}

int32_t ODriver::WriteBlock(const void* buffer, uint32_t count, uint32_t* written) {
    uint32_t done = 0;
    if (written == nullptr) {
        written = &done;
    }
    *written = 0;
    const int64_t position = BlockPosition();
    if (position < 0 || position > blockLength_) {
        return SetError(DRV_ERR_WRITE);
    }
    int32_t code;
    if (position == blockLength_) {
        // Writing at the end grows the block, but only where nothing of the source lies behind
        // it: growing into the next stretch would overwrite that data.
        const intptr_t sourceSize = source_->Control(DRV_SIZE);
        if (sourceSize < 0 || static_cast<uint64_t>(blockStart_) + blockLength_ < static_cast<uint64_t>(sourceSize)) {
            return SetError(DRV_ERR_WRITE);
        }
        code = source_->Write(buffer, count, written);
        if (code >= 0) {
            blockLength_ += *written;
        }
    } else {
        const uint64_t left = blockLength_ - static_cast<uint64_t>(position);
        code = source_->Write(buffer, static_cast<uint32_t>(std::min<uint64_t>(count, left)), written);
    }
    if (code < 0) {
        return code;
    }
    if (source_->Control(DRV_POSITION) < 1) {
        return SetError(DRV_ERR_WRITE);
    }
    return code;
}

intptr_t ODriver::ControlBlock(int32_t operation, intptr_t a, intptr_t b, intptr_t c) {
    switch (operation) {
    case DRV_SEEK: {
        const int64_t target = SeekTarget(a, b, blockLength_, [this] { return BlockPosition(); });
        if (target < 0) {
            return SetError(DRV_ERR_SEEK);
        }
        return source_->Control(DRV_SEEK, 0, static_cast<intptr_t>(blockStart_ + target));
    }
    case DRV_POSITION: {
        const int64_t position = BlockPosition();
        return position < 0 ? SetError(DRV_ERR_QUERY) : static_cast<intptr_t>(position);
    }
    case DRV_SETEND:
        source_->Control(DRV_SETEND, a, b, c);
        return DRV_OK;
    case DRV_SIZE:
        return blockLength_ != 0 ? static_cast<intptr_t>(blockLength_) : source_->Control(DRV_SIZE);
    case DRV_DETACH:
        source_ = nullptr;
        blockStart_ = 0;
        blockLength_ = 0;
        return DRV_OK;
    case DRV_ISATTACHED:
        return 1;
    case DRV_EOD: {
        const int64_t position = BlockPosition();
        if (position < 0) {
            return SetError(DRV_ERR_QUERY);
        }
        if (position > blockLength_) {
            xTrace("ODriver EOD error - current read pointer past attached block!!!\n");
        }
        return position >= blockLength_ ? 1 : 0;
    }
    case DRV_ISOPEN:
        return source_->Control(DRV_ISOPEN);
    default:
        return SetError(DRV_ERR_UNSUPPORTED);
    }
}

intptr_t ODriver::Control(int32_t operation, intptr_t a, intptr_t b, intptr_t c) {
    if (source_ != nullptr) {
        return ControlBlock(operation, a, b, c);
    }
    switch (operation) {
    case DRV_DETACH:
    case DRV_ISATTACHED:
        return 0;
    case DRV_ISOPEN:
        return parent_ != nullptr ? parent_->Control(operation, a, b, c) : 1;
    default:
        return parent_ != nullptr ? parent_->Control(operation, a, b, c) : SetError(DRV_ERR_UNSUPPORTED);
    }
}

int32_t ODriver::Attach(ODriver* source, size_t start, size_t length) {
    if (source_ != nullptr) {
        return SetError(DRV_ERR_ATTACHED);
    }
    if (source == nullptr || source == this || start > UINT32_MAX || length > UINT32_MAX) {
        return SetError(DRV_ERR_NOPARENT);
    }
    const intptr_t code = source->Control(DRV_SEEK, 0, static_cast<intptr_t>(start));
    if (code < 0) {
        return static_cast<int32_t>(code);
    }
    source_ = source;
    blockStart_ = static_cast<uint32_t>(start);
    blockLength_ = static_cast<uint32_t>(length);
    return DRV_OK;
}

ODriver* ODriver::Forwardee() { return source_ == nullptr ? parent_ : nullptr; }

int32_t ODriver::AdoptMemory(void* memory, size_t reserve, size_t length) {
    ODriver* next = Forwardee();
    return next != nullptr ? next->AdoptMemory(memory, reserve, length) : SetError(DRV_ERR_UNSUPPORTED);
}

int32_t ODriver::ReleaseMemory(void** memory) {
    ODriver* next = Forwardee();
    return next != nullptr ? next->ReleaseMemory(memory) : SetError(DRV_ERR_UNSUPPORTED);
}

uint8_t* ODriver::GetMemory() {
    ODriver* next = Forwardee();
    return next != nullptr ? next->GetMemory() : nullptr;
}

plat::File* ODriver::LendFile() {
    ODriver* next = Forwardee();
    return next != nullptr ? next->LendFile() : nullptr;
}

int32_t ODriver::EndLending() {
    ODriver* next = Forwardee();
    return next != nullptr ? next->EndLending() : SetError(DRV_ERR_UNSUPPORTED);
}

int32_t ODriver::AdoptFile(std::unique_ptr<plat::File> file) {
    ODriver* next = Forwardee();
    return next != nullptr ? next->AdoptFile(std::move(file)) : SetError(DRV_ERR_UNSUPPORTED);
}

bool ODriver::ReadExactly(void* buffer, uint32_t count) {
    uint32_t got = 0;
    return Read(buffer, count, &got) == DRV_OK && got == count;
}

int32_t ODriver::SetBufferSize(uint32_t) { return DRV_ERR_QUERY; }

uint32_t ODriver::GetBufferSize() { return 0; }

int32_t ODriver::BeginAccess() { return 1; }

int32_t ODriver::EndAccess() { return 1; }

const char* ODriver::GetName() { return nullptr; }

DrvAccessFailureHandler ODriver::GetAccessFailureHandler() { return handler_; }

DrvAccessFailureHandler ODriver::SetAccessFailureHandler(DrvAccessFailureHandler handler) {
    const DrvAccessFailureHandler old = handler_;
    handler_ = handler;
    handlerSet_ = true;
    return old;
}

int32_t xCheckErr(int32_t code) { return code; }

int32_t xCheckDriverErr(ODriver*, int32_t code) { return code; }

#include "engine/data/DrvUnBuffFile.h"

#include "engine/data/FileLayer.h"
#include "engine/data/FileSearch.h"
#include "platform/Platform.h"

ODrvUnBuffFile::ODrvUnBuffFile() : ODriver("ODrvUnBuffFile") {}

ODrvUnBuffFile::ODrvUnBuffFile(const char* className) : ODriver(className) {}

ODrvUnBuffFile::~ODrvUnBuffFile() { ODrvUnBuffFile::Close(); }

void ODrvUnBuffFile::SetParent(ODriver*) {}

int32_t ODrvUnBuffFile::Create(const char* name, uint32_t mode) {
    static_cast<void>(mode); // a new file is always opened for reading and writing
    if (IsOpen()) {
        return SetError(DRV_ERR_OPEN); // never delete the file this driver holds
    }
    if (name == nullptr || *name == '\0') {
        return SetError(DRV_ERR_CREATE);
    }
    if (plat::files().Exists(name) && !xFile_Delete(name)) {
        return SetError(DRV_ERR_CREATE);
    }
    if (!xFile_Create(name, 0, 0)) {
        return SetError(DRV_ERR_CREATE);
    }
    return Open(name, DRV_MODE_READWRITE);
}

int32_t ODrvUnBuffFile::Open(const char* name, uint32_t mode) {
    if (name == nullptr || *name == '\0' || IsOpen()) {
        return SetError(DRV_ERR_OPEN);
    }
    if (mode < DRV_MODE_READ || mode > DRV_MODE_READWRITE) {
        return SetError(DRV_ERR_MODE);
    }
    const int32_t openMode = mode == DRV_MODE_READ ? 1 : 2;
    if (!handlerSet_) {
        handle_ = xOpenFile(name, openMode);
        if (!handle_) {
            return SetError(DRV_ERR_OPEN);
        }
    } else {
        // Only tested now; the file is opened at the first access.
        if (!xFile_Exists(name, openMode)) {
            return SetError(DRV_ERR_OPEN);
        }
        closedBetweenAccesses_ = true;
        savedPosition_ = 0;
    }
    mode_ = mode;
    openMode_ = openMode;
    name_ = name;
    return DRV_OK;
}

int32_t ODrvUnBuffFile::Close() {
    xCloseFile(handle_);
    name_.clear();
    closedBetweenAccesses_ = false;
    savedPosition_ = 0;
    mode_ = 0;
    openMode_ = 0;
    lent_ = false;
    return DRV_OK;
}

void ODrvUnBuffFile::CallHandler() {
    if (handler_ == nullptr) {
        throw kDriverException;
    }
    handler_(this);
}

void ODrvUnBuffFile::ReopenAt(uint32_t position) {
    // Closed between accesses until the open succeeds, so that a handler that gives up leaves
    // the driver ready to try again at its next access.
    xCloseFile(handle_);
    savedPosition_ = position;
    closedBetweenAccesses_ = true;
    while (!(handle_ = xOpenFile(name_.c_str(), openMode_))) {
        CallHandler();
    }
    handle_->Seek(savedPosition_, plat::SeekOrigin::Begin);
    closedBetweenAccesses_ = false;
}

int32_t ODrvUnBuffFile::BeginAccess() {
    ++accessCount_;
    if (handlerSet_ && !handle_ && closedBetweenAccesses_ && HasName()) {
        try {
            ReopenAt(savedPosition_);
        } catch (...) {
            --accessCount_; // the access never began
            throw;
        }
    }
    return 1;
}

int32_t ODrvUnBuffFile::EndAccess() {
    if (accessCount_ > 0) {
        --accessCount_;
    }
    if (handlerSet_ && handle_ && accessCount_ == 0 && HasName()) {
        savedPosition_ = xTell(handle_.get());
        closedBetweenAccesses_ = true;
        xCloseFile(handle_);
    }
    return 1;
}

int32_t ODrvUnBuffFile::Read(void* buffer, uint32_t count, uint32_t* got) {
    uint32_t done = 0;
    if (got == nullptr) {
        got = &done;
    }
    *got = 0;
    if (mode_ != DRV_MODE_READ && mode_ != DRV_MODE_READWRITE) {
        return SetError(DRV_ERR_MODE);
    }
    DrvAccess access(*this);
    if (!handle_) {
        return SetError(DRV_ERR_READ);
    }
    if (!handlerSet_ || !HasName()) {
        const int64_t read = handle_->Read(buffer, count);
        if (read < 0) {
            return SetError(DRV_ERR_READ);
        }
        *got = static_cast<uint32_t>(read);
        return DRV_OK;
    }
    const uint32_t start = xTell(handle_.get());
    for (;;) {
        const int64_t read = handle_->Read(buffer, count);
        if (read >= 0) {
            *got = static_cast<uint32_t>(read);
            return DRV_OK;
        }
        CallHandler();
        // The old handle may be dead for good (a disc taken out): try again on a fresh one,
        // from where this read began.
        ReopenAt(start);
    }
}

int32_t ODrvUnBuffFile::Write(const void* buffer, uint32_t count, uint32_t* written) {
    uint32_t done = 0;
    if (written == nullptr) {
        written = &done;
    }
    *written = 0;
    if (mode_ != DRV_MODE_WRITE && mode_ != DRV_MODE_READWRITE) {
        return SetError(DRV_ERR_MODE);
    }
    if (!handle_) {
        return SetError(DRV_ERR_WRITE);
    }
    if (!xWrite(handle_.get(), count, buffer, written)) {
        return SetError(DRV_ERR_WRITE);
    }
    return DRV_OK;
}

intptr_t ODrvUnBuffFile::Control(int32_t operation, intptr_t a, intptr_t b, intptr_t c) {
    DrvAccess access(*this);
    plat::File* file = handle_.get();
    switch (operation) {
    case DRV_SEEK: {
        if (file == nullptr) {
            return SetError(DRV_ERR_UNSUPPORTED);
        }
        int64_t target;
        if (a == 0) {
            target = b;
        } else if (a == 1 || a == 2) {
            const int64_t base = a == 1 ? file->Seek(0, plat::SeekOrigin::Current) : file->Size();
            if (base < 0) {
                return SetError(DRV_ERR_SEEK);
            }
            target = a == 1 ? base + b : base - b;
        } else {
            return SetError(DRV_ERR_SEEK);
        }
        if (target < 0 || target > UINT32_MAX) {
            return SetError(DRV_ERR_SEEK);
        }
        return file->Seek(target, plat::SeekOrigin::Begin) == target ? DRV_OK : SetError(DRV_ERR_SEEK);
    }
    case DRV_POSITION: {
        const int64_t position = file != nullptr ? file->Seek(0, plat::SeekOrigin::Current) : -1;
        return position < 0 ? SetError(DRV_ERR_QUERY) : static_cast<intptr_t>(position);
    }
    case DRV_SETEND:
        if (c < 0 || c > UINT32_MAX) {
            return SetError(DRV_ERR_SEEK);
        }
        return xTruncate(file, static_cast<uint32_t>(c)) ? DRV_OK : SetError(DRV_ERR_WRITE);
    case DRV_SIZE: {
        const int64_t size = xFileSize(file);
        return size < 0 ? SetError(DRV_ERR_QUERY) : static_cast<intptr_t>(size);
    }
    case DRV_EOD:
        if (file == nullptr) {
            return SetError(DRV_ERR_QUERY);
        }
        return xAtEnd(file) ? 1 : 0;
    case DRV_ISOPEN:
        return file != nullptr ? 1 : 0;
    default:
        return SetError(DRV_ERR_UNSUPPORTED);
    }
}

int32_t ODrvUnBuffFile::Attach(ODriver*, size_t, size_t) { return SetError(DRV_ERR_UNSUPPORTED); }

int32_t ODrvUnBuffFile::AdoptMemory(void*, size_t, size_t) { return SetError(DRV_ERR_UNSUPPORTED); }

int32_t ODrvUnBuffFile::ReleaseMemory(void**) { return SetError(DRV_ERR_UNSUPPORTED); }

uint8_t* ODrvUnBuffFile::GetMemory() { return nullptr; }

plat::File* ODrvUnBuffFile::LendFile() {
    BeginAccess();
    if (!handle_) {
        EndAccess();
        return nullptr;
    }
    if (lent_) {
        EndAccess(); // lent already: one access stands for the loan
    }
    lent_ = true;
    return handle_.get();
}

int32_t ODrvUnBuffFile::EndLending() {
    if (lent_) {
        lent_ = false;
        EndAccess();
    }
    return DRV_OK;
}

int32_t ODrvUnBuffFile::AdoptFile(std::unique_ptr<plat::File> file) {
    if (!file) {
        return SetError(DRV_ERR_OPEN);
    }
    handle_ = std::move(file);
    closedBetweenAccesses_ = false;
    mode_ = DRV_MODE_READ;
    openMode_ = 1;
    return DRV_OK;
}

int32_t ODrvUnBuffFile::SetBufferSize(uint32_t) { return DRV_ERR_QUERY; }

uint32_t ODrvUnBuffFile::GetBufferSize() { return 0; }

const char* ODrvUnBuffFile::GetName() { return HasName() ? name_.c_str() : nullptr; }

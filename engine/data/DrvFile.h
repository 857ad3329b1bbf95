#pragma once
#include "engine/data/DrvUnBuffFile.h"

/// A file driver with a read buffer (2048 bytes unless set otherwise): small reads are served
/// from the buffer, large ones go straight to the file in whole buffer sizes.
class ODrvFile : public ODrvUnBuffFile {
public:
    static constexpr uint32_t kDefaultBufferSize = 2048;

    ODrvFile();
    ~ODrvFile() override;

    int32_t Open(const char* name, uint32_t mode) override;
    int32_t Close() override;
    int32_t Read(void* buffer, uint32_t count, uint32_t* got) override;
    int32_t Write(const void* buffer, uint32_t count, uint32_t* written) override;
    intptr_t Control(int32_t operation, intptr_t a = 0, intptr_t b = 0, intptr_t c = 0) override;
    int32_t Attach(ODriver* source, size_t start, size_t length) override;
    int32_t AdoptFile(std::unique_ptr<plat::File> file) override;
    /// Before the first open only records the size; later moves the unread bytes into a buffer
    /// of the new size (dropping them when they do not fit). A size of 0 is refused with -1.
    int32_t SetBufferSize(uint32_t size) override;
    uint32_t GetBufferSize() override;

private:
    bool Buffered() const { return bufferStart_ >= 0; }
    int64_t LogicalPosition() const { return bufferStart_ + consumed_; }
    /// Forgets the buffered data, leaving the file at the logical position (the seek back, when
    /// one is needed, is an access of its own).
    void DropBuffer();
    /// Forgets the buffered data where the file stands (the buffer is kept).
    void EmptyBuffer() {
        consumed_ = 0;
        left_ = 0;
        bufferStart_ = -1;
    }
    void FreeBuffer();

    uint32_t bufferSize_ = kDefaultBufferSize;
    uint8_t* buffer_ = nullptr;
    uint32_t consumed_ = 0;     ///< bytes of the buffer already delivered (the read pointer)
    uint32_t left_ = 0;         ///< bytes left in the buffer
    int64_t bufferStart_ = -1;  ///< file position of the buffer's first byte, -1 when empty
};

#pragma once
#include "engine/data/Driver.h"

/// A stream over a block of memory: its own block, grown in steps of 4096 bytes as it is
/// written, or memory handed to it (AdoptMemory) that it streams without owning.
class ODrvMemory : public ODriver {
public:
    static constexpr uint32_t kReserveStep = 4096;

    ODrvMemory();
    ~ODrvMemory() override;

    /// The same as Open.
    int32_t Create(const char* name, uint32_t mode) override;
    /// Answers 0: a memory stream needs no opening.
    int32_t Open(const char* name, uint32_t mode) override;
    /// Frees owned memory and empties the driver.
    int32_t Close() override;
    int32_t Read(void* buffer, uint32_t count, uint32_t* got) override;
    int32_t Write(const void* buffer, uint32_t count, uint32_t* written) override;
    intptr_t Control(int32_t operation, intptr_t a = 0, intptr_t b = 0, intptr_t c = 0) override;
    int32_t AdoptMemory(void* memory, size_t reserve, size_t length) override;
    int32_t ReleaseMemory(void** memory) override;
    uint8_t* GetMemory() override { return block_; }
    /// Reserves ((size / 4096) + 1) x 4096 bytes for owned memory; -1 when refused (memory that
    /// the driver does not own is never reallocated).
    int32_t SetBufferSize(uint32_t size) override;
    uint32_t GetBufferSize() override;

private:
    /// Sets the reserve of owned memory to exactly `reserve` bytes; false when refused.
    bool Reserve(uint64_t reserve);
    /// Forgets the memory (freeing it when owned): empty, owning nothing.
    void Empty();

    uint8_t* block_ = nullptr;
    uint32_t reserve_ = 0;
    uint32_t length_ = 0;
    uint32_t position_ = 0;
    bool ownsMemory_ = true;
};

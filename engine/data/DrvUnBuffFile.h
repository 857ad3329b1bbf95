#pragma once
#include <memory>
#include <string>

#include "engine/data/Driver.h"
#include "platform/Files.h"

/// A file read and written directly. With an access-failure handler the file is held open only
/// between the outermost `BeginAccess` and `EndAccess`; a failed reopen or read calls the
/// handler until the file can be used again.
class ODrvUnBuffFile : public ODriver {
public:
    ODrvUnBuffFile();
    ~ODrvUnBuffFile() override;

    void SetParent(ODriver* parent) override;
    /// Deletes an existing file of that name, makes it anew and opens it in mode 3.
    int32_t Create(const char* name, uint32_t mode) override;
    int32_t Open(const char* name, uint32_t mode) override;
    int32_t Close() override;
    int32_t Read(void* buffer, uint32_t count, uint32_t* got) override;
    int32_t Write(const void* buffer, uint32_t count, uint32_t* written) override;
    intptr_t Control(int32_t operation, intptr_t a = 0, intptr_t b = 0, intptr_t c = 0) override;
    /// A file stream cannot be attached to another, and holds no memory of its own.
    int32_t Attach(ODriver* source, size_t start, size_t length) override;
    int32_t AdoptMemory(void* memory, size_t reserve, size_t length) override;
    int32_t ReleaseMemory(void** memory) override;
    uint8_t* GetMemory() override;
    plat::File* LendFile() override;
    int32_t EndLending() override;
    int32_t AdoptFile(std::unique_ptr<plat::File> file) override;
    int32_t SetBufferSize(uint32_t size) override;
    uint32_t GetBufferSize() override;
    int32_t BeginAccess() override;
    int32_t EndAccess() override;
    const char* GetName() override;

protected:
    explicit ODrvUnBuffFile(const char* className);
    /// A name is kept and the driver is open, with a handle or closed between accesses.
    bool IsOpen() const { return handle_ != nullptr || closedBetweenAccesses_; }
    bool HasName() const { return !name_.empty(); }
    /// Calls the access-failure handler; without one at this moment, throws kDriverException.
    void CallHandler();
    /// Opens the file by its name again, calling the handler until the open succeeds, and moves
    /// to the position.
    void ReopenAt(uint32_t position);

    std::unique_ptr<plat::File> handle_;
    std::string name_; ///< empty while no file is named (an open needs a name)
    int32_t openMode_ = 0; ///< 1 read, 2 read and write
    bool lent_ = false;
    int32_t accessCount_ = 0;
};

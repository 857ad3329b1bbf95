#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace plat {
class File;
}
class ODriver;

/// Called by a file driver each time reopening or reading its file fails; it returns once the
/// file can be used again, or throws (the text "Driver Exception") to give up.
using DrvAccessFailureHandler = int32_t (*)(ODriver* driver);

/// Result codes of the drivers (0 is success).
enum : int32_t {
    DRV_OK = 0,
    DRV_ERR_QUERY = -1,       ///< position, size or end-of-data query failed; memory refused
    DRV_ERR_NOPARENT = -2,    ///< a plain driver with nothing to forward to
    DRV_ERR_UNSUPPORTED = -3, ///< control operation not supported (or a seek with no file open)
    DRV_ERR_MODE = -4,        ///< wrong mode for the operation, or an open mode other than 1-3
    DRV_ERR_OPEN = -5,        ///< no name, already open, or the file cannot be opened
    DRV_ERR_CREATE = -6,      ///< an existing file cannot be deleted or the new one made
    DRV_ERR_READ = -7,        ///< read failure, or a read at or past the end of an attached block
    DRV_ERR_WRITE = -8,       ///< write failure, or no file open for the write
    DRV_ERR_OWNED = -10,      ///< a memory driver asked to hand out memory it owns
    DRV_ERR_SEEK = -11,       ///< seek out of range, bad origin, or a failed seek
    DRV_ERR_ATTACHED = -12,   ///< attach while already attached
};

/// Open modes.
enum : uint32_t { DRV_MODE_READ = 1, DRV_MODE_WRITE = 2, DRV_MODE_READWRITE = 3 };

/// Control operations (`ODriver::Control` (operation, a, b, c)): the ones that carry numbers
/// only. What hands over a pointer or ownership has a typed operation of its own (Attach,
/// GetSource, AdoptMemory, ReleaseMemory, GetMemory, LendFile, EndLending, AdoptFile).
enum : int32_t {
    DRV_SEEK = 1,        ///< origin a (0 start, 1 current, 2 back from the end), offset b
    DRV_POSITION = 2,    ///< the current position
    DRV_SETEND = 3,      ///< the end of the data at c
    DRV_SIZE = 4,        ///< the size of the data
    DRV_DETACH = 6,
    DRV_ISATTACHED = 7,
    DRV_EOD = 9,         ///< 1 at the end of the data, else 0
    DRV_ISOPEN = 10,
};

/// The text of the exception that ends a driver operation when its file cannot be had.
inline constexpr const char* kDriverException = "Driver Exception";

/// The engine's stream object. A plain `ODriver` forwards every operation to its parent or,
/// once attached to a stretch (block) of a source driver, reads and writes that stretch as a
/// stream of its own. File and memory streams are its subclasses.
class ODriver {
public:
    ODriver();
    /// Closes the driver and unlinks it from its parent and child.
    virtual ~ODriver();
    ODriver(const ODriver&) = delete;
    ODriver& operator=(const ODriver&) = delete;

    virtual void SetParent(ODriver* parent);
    virtual void SetChild(ODriver* child);
    virtual int32_t Create(const char* name, uint32_t mode);
    virtual int32_t Open(const char* name, uint32_t mode);
    virtual int32_t Close();
    virtual int32_t Read(void* buffer, uint32_t count, uint32_t* got);
    virtual int32_t Write(const void* buffer, uint32_t count, uint32_t* written);
    /// Reads one line into a buffer of `maximum` bytes: up to and including a line feed, at
    /// most maximum - 1 bytes, always followed by a NUL (maximum -1: no limit, the caller vouches
    /// for the room). Answers the bytes stored (without the NUL), 0 at the end of the data, or
    /// the code of a failed read.
    virtual int32_t ReadLine(char* buffer, int32_t maximum);
    /// Reads exactly `count` bytes: false on a failed read or when fewer bytes come.
    bool ReadExactly(void* buffer, uint32_t count);
    /// Control operations (DRV_SEEK ...); answers a result code or the value asked for.
    virtual intptr_t Control(int32_t operation, intptr_t a = 0, intptr_t b = 0, intptr_t c = 0);

    // Typed operations. A plain driver that is not attached passes the memory and file ones
    // on to its parent (DRV_ERR_UNSUPPORTED without one).

    /// Makes a plain driver stream the stretch of `length` bytes at `start` of `source`:
    /// DRV_ERR_ATTACHED when attached already, DRV_ERR_NOPARENT for no source, itself or a
    /// stretch beyond 32 bits, the source's code when it cannot seek to the start. Other
    /// drivers answer DRV_ERR_UNSUPPORTED.
    virtual int32_t Attach(ODriver* source, size_t start, size_t length);
    /// The source driver of the attached stretch, null when not attached.
    ODriver* GetSource() const { return source_; }
    /// Memory drivers: streams `memory` (`reserve` bytes, the first `length` of them data)
    /// without owning it; DRV_ERR_QUERY for sizes beyond 32 bits or a reserve without memory.
    virtual int32_t AdoptMemory(void* memory, size_t reserve, size_t length);
    /// Memory drivers: hands the memory that is not the driver's own back (into `*memory` when
    /// given) and empties the driver; DRV_ERR_OWNED for its own memory.
    virtual int32_t ReleaseMemory(void** memory);
    /// Memory drivers: the memory streamed; null for others.
    virtual uint8_t* GetMemory();
    /// File drivers: the open file, lent with an access begun until EndLending; null when no
    /// file is open.
    virtual plat::File* LendFile();
    virtual int32_t EndLending();
    /// File drivers: takes the open file over and streams it in read mode; DRV_ERR_OPEN for
    /// none.
    virtual int32_t AdoptFile(std::unique_ptr<plat::File> file);
    virtual int32_t SetBufferSize(uint32_t size);
    virtual uint32_t GetBufferSize();
    /// Brackets an access to the stream; file drivers with an access-failure handler hold their
    /// file open only between the outermost begin and end.
    virtual int32_t BeginAccess();
    virtual int32_t EndAccess();
    /// The file name, or null for drivers that have none.
    virtual const char* GetName();
    virtual DrvAccessFailureHandler GetAccessFailureHandler();
    /// Stores the handler (null allowed) and answers the previous one.
    virtual DrvAccessFailureHandler SetAccessFailureHandler(DrvAccessFailureHandler handler);

    /// Stores the code at the innermost driver of the parent chain and answers it.
    int32_t SetError(int32_t code);
    int32_t GetErrorCode();

    /// "ODrvUnBuffFile", "ODrvFile", "ODrvMemory", or null for a plain driver.
    const char* GetClassName() const { return className_; }
    ODriver* GetParent() const { return parent_; }
    ODriver* GetChild() const { return child_; }
    uint32_t GetMode() const { return mode_; }

protected:
    explicit ODriver(const char* className);
    /// The innermost driver of the parent chain (this one when it has no parent).
    ODriver* Innermost();
    /// Where a typed operation that this driver does not serve goes: the parent while not
    /// attached, else nowhere.
    ODriver* Forwardee();
    /// The target of a DRV_SEEK inside a stretch of `end` bytes: from its start (origin 0), from
    /// the position (origin 1; `position()` is asked only then and is negative when unknown) or
    /// back from the end (origin 2). -1 for another origin, an unknown position or a target
    /// outside the stretch.
    template <typename Position>
    static int64_t SeekTarget(intptr_t origin, intptr_t offset, int64_t end, Position position) {
        int64_t target = -1;
        if (origin == 0) {
            target = offset;
        } else if (origin == 1) {
            const int64_t at = position();
            target = at < 0 ? -1 : at + offset;
        } else if (origin == 2) {
            target = end - offset;
        }
        return target >= 0 && target <= end ? target : -1;
    }

    const char* className_ = nullptr;
    ODriver* parent_ = nullptr;
    ODriver* child_ = nullptr;
    int32_t error_ = DRV_OK;
    uint32_t mode_ = 0;
    ODriver* source_ = nullptr;
    uint32_t blockStart_ = 0;
    uint32_t blockLength_ = 0;
    bool handlerSet_ = false;
    bool closedBetweenAccesses_ = false;
    uint32_t savedPosition_ = 0;
    DrvAccessFailureHandler handler_ = nullptr;

private:
    int32_t ReadBlock(void* buffer, uint32_t count, uint32_t* got);
    int32_t WriteBlock(const void* buffer, uint32_t count, uint32_t* written);
    intptr_t ControlBlock(int32_t operation, intptr_t a, intptr_t b, intptr_t c);
    /// The position within the attached block, or a negative code when the source cannot tell.
    int64_t BlockPosition();
};

/// Brackets one access of a driver: begun on construction, ended on destruction, so that an
/// exception thrown inside leaves the access count as it was.
class DrvAccess {
public:
    explicit DrvAccess(ODriver& driver) : driver_(driver) { driver_.BeginAccess(); }
    ~DrvAccess() { driver_.EndAccess(); }
    DrvAccess(const DrvAccess&) = delete;
    DrvAccess& operator=(const DrvAccess&) = delete;

private:
    ODriver& driver_;
};

/// Pass a driver result through unchanged (the place where callers look at results).
int32_t xCheckErr(int32_t code);
int32_t xCheckDriverErr(ODriver* driver, int32_t code);

#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

/// The Windows identity the engine sees (GetVersionEx). Our platform reports XP.
struct VersionInfo {
    uint32_t platformId = 2; ///< 2 = the NT family
    uint32_t major = 5;
    uint32_t minor = 1;
    uint32_t build = 2600;
};

/// Physical and virtual memory figures in bytes (GlobalMemoryStatus); never derived from swap.
struct MemoryStatus {
    uint32_t memoryLoad = 0; ///< percent of physical memory in use
    uint64_t totalPhys = 0;
    uint64_t availPhys = 0;
    uint64_t totalPageFile = 0;
    uint64_t availPageFile = 0;
    uint64_t totalVirtual = 0;
    uint64_t availVirtual = 0;
};

/// What taking a lock came to: the single-instance lock, or the run folder's (plat::RunFolderLock).
struct InstanceLock {
    enum class State {
        Taken,
        HeldElsewhere, ///< another copy (or another take in this process) holds it
        Failed,        ///< no lock could be taken safely: nothing tells whether another copy runs
        HandOverRefused, ///< what a launcher handed over as its held lock is not that: a wrong setting
    };
    State state = State::Taken;
    /// Why it failed, for the user: the folder or file and what was wrong with it.
    std::string why;
};

/// Facts about the machine and the process.
class System {
public:
    virtual ~System() = default;
    virtual VersionInfo Version() = 0;
    /// The working folder, ending without a separator.
    virtual std::string WorkingFolder() = 0;
    /// The program's command line as one text.
    virtual std::string CommandLine() = 0;
    virtual unsigned ProcessorCount() = 0;
    virtual MemoryStatus Memory() = 0;
    /// A number that identifies the calling thread.
    virtual uint32_t CurrentThreadId() = 0;
    /// Takes the single-instance lock of a name for the rest of the process (or until closed);
    /// when another holder has it, or no lock can be taken safely, it is not taken. Each name is
    /// a lock of its own, and Taken means this process holds that name's lock: asked for again, a
    /// held lock is kept; another name's lock is taken as well, never instead.
    virtual InstanceLock CreateInstanceMutex(std::string_view name) = 0;
    /// Where the lock of a name is kept, to tell a user which one holds a second start back.
    virtual std::string LockPath(std::string_view name) const = 0;
    /// Makes the lock file of a name (and its folder) as taking the lock would, without taking
    /// it, so that a launcher can hold the lock and hand it over; why it cannot (empty when made).
    virtual std::string MakeLockFile(std::string_view name) = 0;
    /// Gives every lock taken by CreateInstanceMutex back; nothing when none is held.
    virtual void CloseInstanceMutex() = 0;
};

} // namespace plat

#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace vqt::test {

/// An in-memory file system that counts what the engine asks of it and fails on request.
///
/// Reads: `failOpens` / `failReads` make that many of the next opens or reads fail.
///
/// Changes (opens for writing, writes, file syncs, renames, removals and folder syncs, counted
/// from 1 in `counts.changes`) can be cut or failed through `faults`. A cut stops the program
/// dead: that change and every later open or change fail, as after a power loss. `Restart` then
/// gives the disc as the next run would find it: a file holds what was last synced of it and a
/// folder the names it had at its last sync, so a save that renames before it syncs, or never
/// syncs the folder, shows it. `Put` writes a file that is on the disc already (synced, named).
class FakeFiles final : public plat::Files {
public:
    struct Counts {
        int opens = 0;       ///< successful opens
        int failedOpens = 0;
        int reads = 0;       ///< every Read call on a file, failed ones included
        int failedReads = 0;
        int writes = 0;
        int openHandles = 0; ///< files open right now
        int changes = 0;     ///< changes asked for, failed and cut ones included
        int64_t bytesWritten = 0; ///< bytes that reached a file
    };

    /// What goes wrong with the changes.
    struct Faults {
        int cutAtChange = 0;     ///< the program stops dead before this change (0: never)
        int64_t cutAtByte = -1;  ///< it stops once this many bytes were written in all; the write
                                 ///< that crosses the mark lands up to it (-1: never)
        int failChange = 0;      ///< this change fails as on a full disc; a failing write lands
                                 ///< half its bytes (0: none)
        bool readOnlyFolder = false; ///< no name can be made, renamed or removed
    };

    /// Installs a fresh fake as the platform's file service and answers it.
    static FakeFiles& Install();

    void Put(const std::string& name, std::string bytes);
    /// What the file holds now; empty when there is no such file.
    std::string Get(const std::string& name) const;
    /// The names of the files there are now, sorted.
    std::vector<std::string> Names() const;

    /// The disc as the next run finds it after a cut (or a run that just ends): every file
    /// holds what was synced of it, the names are those of the last folder sync. The faults
    /// and the cut are cleared; open files of the old run stay dead.
    void Restart();
    bool IsCut() const { return cut_; }

    std::set<std::string> undeletable;
    std::set<std::string> readOnly; ///< files that cannot be opened for writing
    std::vector<std::string> roots;
    Counts counts;
    Faults faults;
    int failOpens = 0;
    int failReads = 0;

    /// Every file open now fails each read from here on (a disc taken out and put back: the old
    /// handles stay dead, new opens work).
    void KillOpenFiles() { killedBelow_ = nextSerial_; }

    std::unique_ptr<plat::File> Open(const std::string& name, plat::OpenMode mode) override;
    std::optional<std::string> Resolve(const std::string& name) override;
    bool Exists(const std::string& name) override { return names_.count(name) != 0; }
    bool IsDirectory(const std::string&) override { return false; }
    bool Remove(const std::string& name) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool SyncFolder(const std::string& folder) override;
    std::vector<std::string> List(const std::string&) override { return {}; }
    std::string WindowsFolder() override { return "windows"; }
    std::vector<std::string> CdromRoots() override { return roots; }

private:
    struct Node {
        std::string data;
        std::string synced;
    };
    class FakeFile;
    enum class Outcome { Happens, Fails, Dead };

    /// Counts one change and tells what becomes of it.
    Outcome Change();
    /// How many of `count` bytes a write lands (all unless a fault says otherwise); sets
    /// `fails` when the write must answer failure.
    size_t Landing(size_t count, Outcome outcome, bool& fails);

    std::map<std::string, std::shared_ptr<Node>> names_;
    std::map<std::string, std::shared_ptr<Node>> syncedNames_;
    bool cut_ = false;
    int nextSerial_ = 0;
    int killedBelow_ = 0;
};

/// Bytes 0, 1, 2 ... (mod 251) - a pattern in which every offset below 251 is told apart.
std::string Pattern(size_t size);

} // namespace vqt::test

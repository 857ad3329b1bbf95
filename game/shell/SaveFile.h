#pragma once
// The save file on the disc, the one place where a player's progress can be lost.
//
// Every read takes the whole file into memory and checks it there. Every write makes the whole
// file anew beside the old one ("<name>.new"), syncs it, renames it over the old one and syncs
// the folder, so the disc holds the old file or the new one at every moment; the other slots
// keep their bytes. A file that cannot be opened or read is never replaced. A file that cannot
// be read as a save file, or holds what a new file would not carry, is first kept beside under
// a new name ("<stem>-kept-<n><extension>"), and the new file carries every slot it can.
//
// A file that is there but cannot be opened (no rights, a folder of that name, a link to
// nothing as to a drive not mounted) offers free slots, as a missing one does, and takes no
// save: the game plays on without keeping its players. That is told on standard error once per
// run with the system's reason, and again at every save of a player that fails on it.
//
// Every failure and damage is traced with the file, the slot and the reason, and told once per
// run and file in an error box. A slot outside 0-7 (no player has signed in) is only traced.
#include <optional>
#include <string>

#include "game/shell/SaveFileImage.h"

class CSaveFile {
public:
    explicit CSaveFile(std::string name) : name_(std::move(name)) {}

    /// The state of the slot (0 to 7) and, for a valid slot, its record in `out` (untouched
    /// otherwise); every slot of a file that cannot be opened is empty. A file that must be kept
    /// is kept and replaced now, at its first reading.
    SaveSlotState Load(int slot, PlayerRecord& out);
    /// Writes the record into the slot (0 to 7). An unreadable slot is replaced only with
    /// `replaceUnreadable` (a player deleted on purpose). False, with the file as it was, when
    /// the slot is refused or the file cannot be opened, read, kept or written anew.
    bool Save(int slot, const PlayerRecord& record, bool replaceUnreadable);

private:
    enum class ReadResult { Missing, Unopened, Failed, Read };
    struct CommitResult {
        bool written = false;
        std::string told; ///< what became of the old file and the new one, for the report
    };

    ReadResult ReadImage(SaveFileImage& image);
    /// Replaces the file by one holding the chunks, keeping the old one first when it must be.
    CommitResult Commit(const SaveFileImage& image, const std::array<ByteVector, SaveFileImage::kSlots>& chunks);
    /// Traces the reason (of a slot, or of the whole file); answers where it happened.
    std::string Trace(const std::string& reason, std::optional<int> slot = std::nullopt) const;
    /// Traces the reason and tells it in a box, once per run and file; `aloud` tells it on
    /// standard error too, each time.
    void Report(const std::string& reason, std::optional<int> slot = std::nullopt, bool aloud = false) const;
    /// Whether the player has been told of this file's trouble in this run.
    bool Told() const;

    std::string name_;
    std::string path_;  ///< the name as found on the disc, or as given for a new file
    bool exists_ = false;
    std::string unopened_; ///< why the file cannot be opened, as the system tells it
    ByteVector bytes_;  ///< the file as read
};

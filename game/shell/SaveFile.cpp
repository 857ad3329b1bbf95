#include "game/shell/SaveFile.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

#include "engine/base/Trace.h"
#include "engine/data/MessageBox.h"
#include "game/shell/GameShellState.h"
#include "platform/Platform.h"

namespace {

/// Far above any save file (eight records take 14,362 bytes); a larger file is not read.
constexpr int64_t kMaxFileSize = 4 << 20;

/// The folder part of a path ("" for a bare name).
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

/// The first free name of the form "<stem>-kept-<n><extension>" beside the file; empty when
/// there is none.
std::string KeptName(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("/\\");
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExtension ? path.substr(0, dot) : path;
    const std::string extension = hasExtension ? path.substr(dot) : std::string();
    for (int n = 1; n <= 999; ++n) {
        const std::string name = stem + "-kept-" + std::to_string(n) + extension;
        if (!plat::files().Exists(name)) return name;
    }
    return {};
}

/// Writes the file anew: the bytes into a new "<path>.new", synced, renamed over the path, the folder
/// synced. Empty on success, else what failed (the new file removed while it has no place).
std::string WriteAnew(const std::string& path, const ByteVector& bytes) {
    plat::Files& files = plat::files();
    const std::string temporary = path + ".new";
    // A link left under the new file's name is replaced, never written through.
    if (files.IsLink(temporary)) files.Remove(temporary);
    std::unique_ptr<plat::File> file = files.Open(temporary, plat::OpenMode::CreateAlways);
    if (!file) return "the new file " + temporary + " cannot be made";
    const auto fail = [&](const char* what) {
        file.reset();
        files.Remove(temporary);
        return std::string(what);
    };
    if (file->Write(bytes.data(), bytes.size()) != int64_t(bytes.size())) return fail("the new file cannot be written");
    if (!file->Sync()) return fail("the new file cannot be put on the disc");
    file.reset();
    if (!files.Rename(temporary, path)) return fail("the new file cannot replace the old one");
    if (!files.SyncFolder(FolderOf(path))) return "the folder cannot be put on the disc";
    return {};
}

/// Why the system opens no file at the path, in its words: a folder, a link to nothing (as to a
/// drive not mounted), else what the failed open left in errno.
std::string WhyNotOpened(const std::string& path, int error) {
    plat::Files& files = plat::files();
    if (files.IsDirectory(path)) return "it is a folder";
    if (files.IsLink(path) && error == ENOENT) return "it is a link to nothing";
    return error != 0 ? std::generic_category().message(error) : "the system gives no reason";
}

/// The slots' stored chunks as they are, for a new file.
std::array<ByteVector, SaveFileImage::kSlots> CarriedChunks(const SaveFileImage& image) {
    std::array<ByteVector, SaveFileImage::kSlots> chunks;
    for (int s = 0; s < SaveFileImage::kSlots; ++s) chunks[s] = image.slots[s].stored;
    return chunks;
}

bool ValidSlot(int slot) { return slot >= 0 && slot < SaveFileImage::kSlots; }

/// Two parts of a report, joined by "; " when both have something to say.
std::string Joined(const std::string& first, const std::string& second) {
    return first.empty() || second.empty() ? first + second : first + "; " + second;
}

} // namespace

CSaveFile::ReadResult CSaveFile::ReadImage(SaveFileImage& image) {
    bytes_.clear();
    if (name_.empty()) {
        Report("no save file is named");
        return ReadResult::Failed;
    }
    const std::map<std::string, std::string>& unopened = CGameShellState::Get().unopenedSaveFiles;
    if (const auto earlier = unopened.find(name_); earlier != unopened.end()) {
        unopened_ = earlier->second;
        return ReadResult::Unopened;
    }
    plat::Files& files = plat::files();
    const auto found = files.Resolve(name_);
    exists_ = found.has_value();
    path_ = found ? *found : name_;
    if (!exists_) return ReadResult::Missing;
    errno = 0;
    std::unique_ptr<plat::File> file = files.Open(path_, plat::OpenMode::Read);
    if (!file) {
        const int error = errno;
        unopened_ = "it cannot be opened (" + WhyNotOpened(path_, error) + ")";
        CGameShellState::Get().unopenedSaveFiles.emplace(name_, unopened_);
        return ReadResult::Unopened;
    }
    const int64_t size = file->Size();
    if (size > kMaxFileSize) {
        Report("it is far larger than a save file");
        return ReadResult::Failed;
    }
    bytes_.resize(size < 0 ? 0 : size_t(size));
    size_t got = 0;
    while (size >= 0 && got < bytes_.size()) {
        const int64_t n = file->Read(bytes_.data() + got, bytes_.size() - got);
        if (n <= 0) break;
        got += size_t(n);
    }
    if (size < 0 || got != bytes_.size()) {
        Report("it cannot be read");
        return ReadResult::Failed;
    }
    image = ParseSaveFile(bytes_);
    return ReadResult::Read;
}

CSaveFile::CommitResult CSaveFile::Commit(const SaveFileImage& image,
                                          const std::array<ByteVector, SaveFileImage::kSlots>& chunks) {
    CommitResult result;
    // A file we may not write (read-only) is left alone; this open truncates nothing.
    if (exists_ && !plat::files().Open(path_, plat::OpenMode::ReadWrite)) {
        result.told = "the file cannot be written";
        return result;
    }
    if (exists_ && image.keep) {
        const std::string kept = KeptName(path_);
        const std::string failed = kept.empty() ? "no name is free" : WriteAnew(kept, bytes_);
        if (!failed.empty()) {
            result.told = "it cannot be kept beside (" + failed + ")";
            return result;
        }
        result.told = "it was kept as " + kept + ", and a new file holds the players that could be read";
    }
    const std::string failed = WriteAnew(path_, BuildSaveFile(chunks));
    result.written = failed.empty();
    if (!result.written) result.told = Joined(result.told, failed);
    return result;
}

SaveSlotState CSaveFile::Load(int slot, PlayerRecord& out) {
    if (!ValidSlot(slot)) {
        Trace("there is no such slot", slot); // no player has signed in: nothing to tell
        return SaveSlotState::Unreadable;
    }
    SaveFileImage image;
    const ReadResult read = ReadImage(image);
    if (read == ReadResult::Unopened && !Told()) Report(unopened_ + "; its players can be neither read nor kept", {}, true);
    if (read != ReadResult::Read) return read == ReadResult::Failed ? SaveSlotState::Unreadable : SaveSlotState::Empty;
    if (!image.damage.empty()) {
        Report(Joined(image.damage, image.keep ? Commit(image, CarriedChunks(image)).told : std::string()));
    }
    const SaveSlot& loaded = image.slots[slot];
    if (loaded.state == SaveSlotState::Unreadable) Report(loaded.fault, slot);
    if (loaded.state == SaveSlotState::Valid) out = loaded.record;
    return loaded.state;
}

bool CSaveFile::Save(int slot, const PlayerRecord& record, bool replaceUnreadable) {
    if (!ValidSlot(slot)) {
        Trace("there is no such slot; nothing is saved", slot);
        return false;
    }
    SaveFileImage image;
    const ReadResult read = ReadImage(image);
    if (read == ReadResult::Unopened) {
        // A free slot's values keep nobody's progress: only a player's lost save is told aloud.
        Report("not saved: " + unopened_, slot, record.name[0] != '\0');
        return false;
    }
    if (read == ReadResult::Failed) return false;
    const SaveSlot& target = image.slots[slot];
    if (target.state == SaveSlotState::Unreadable && !replaceUnreadable) {
        Report(target.fault + "; only deleting the player replaces it", slot);
        return false;
    }
    std::array<ByteVector, SaveFileImage::kSlots> chunks = CarriedChunks(image);
    chunks[slot] = StoredRecordChunk(record, target.stored);
    const CommitResult result = Commit(image, chunks);
    if (!image.damage.empty() || !result.written)
        Report(Joined(image.damage, result.written ? result.told : "not saved: " + result.told), slot);
    return result.written;
}

std::string CSaveFile::Trace(const std::string& reason, std::optional<int> slot) const {
    const std::string where = "Save file " + name_ + (slot ? ", slot " + std::to_string(*slot) : std::string());
    xTracef("*** %s: %s\n", where.c_str(), reason.c_str());
    return where;
}

bool CSaveFile::Told() const {
    const std::vector<std::string>& told = CGameShellState::Get().toldSaveFiles;
    return std::find(told.begin(), told.end(), name_) != told.end();
}

void CSaveFile::Report(const std::string& reason, std::optional<int> slot, bool aloud) const {
    const std::string text = Trace(reason, slot) + ": " + reason + ".";
    if (aloud) xTrace_Tell(text + "\n");
    if (Told()) return;
    CGameShellState::Get().toldSaveFiles.push_back(name_);
    xMessageBox(text.c_str(), "Error", 0);
}

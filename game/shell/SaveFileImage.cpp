#include "game/shell/SaveFileImage.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "engine/base/ByteOrder.h"
#include "engine/data/PartFile.h"
#include "platform/Platform.h"

namespace {

constexpr uint32_t kStartRecordLength = 12;
constexpr uint32_t kBlockHeadLength = 26;
constexpr uint32_t kHeaderLength = ravo::kChunkHeaderLength;
constexpr uint16_t kMasterCapacity = 12;
constexpr uint16_t kGameCapacity = 25;
constexpr uint16_t kGameFormat = 8;
constexpr size_t kModifiedOffset = 324;
const Tag4 kData("DATA");
const Tag4 kGame("game");

std::string Text(const char* format, uint32_t a, uint32_t b = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, unsigned(a), unsigned(b));
    return text;
}

/// The bytes [offset, offset + length) of the file, or an empty span when they do not lie in it.
std::span<const uint8_t> Stretch(std::span<const uint8_t> file, uint32_t offset, uint32_t length) {
    return bytes::Fits(file.size(), offset, length) ? file.subspan(offset, length) : std::span<const uint8_t>{};
}

/// The master index; false with the damage when there is none to be read.
bool ReadMaster(std::span<const uint8_t> file, RavoIndex& master, std::string& damage) {
    if (file.size() < kStartRecordLength) {
        damage = "it is not a save file";
        return false;
    }
    uint32_t place = 0;
    if (Tag4::FromBytes(&file[4]) == Tag4("rmta")) {
        place = bytes::le32(file, 0);
        if (!bytes::Fits(file.size(), place, kStartRecordLength)) {
            damage = "its master index lies outside the file";
            return false;
        }
    }
    if (Tag4::FromBytes(&file[place + 4]) != Tag4("meta")) {
        damage = "it is not a save file";
        return false;
    }
    const uint32_t sizeField = bytes::be32(file, place + 8);
    const auto block = Stretch(file, place, uint32_t(std::min<uint64_t>(UINT32_MAX, uint64_t{kStartRecordLength} + sizeField)));
    if (block.empty() || !ravo::DecodeIndexBlock(block, master)) {
        damage = "its master index is damaged";
        return false;
    }
    return true;
}

/// Reads the slots from the "DATA"/"game" index.
void ReadSlots(std::span<const uint8_t> file, const RavoIndex& game, SaveFileImage& image) {
    for (int s = 0; s < SaveFileImage::kSlots; ++s) {
        const RavoEntry* entry = game.Entry(uint32_t(s + 1));
        SaveSlot& slot = image.slots[s];
        if (entry == nullptr || entry->offset == 0) continue;
        slot.state = SaveSlotState::Unreadable;
        const auto stored = Stretch(file, entry->offset, entry->size);
        if (stored.empty()) {
            // Nothing of it can be carried into a new file: the old one is kept.
            slot.fault = entry->size == 0 ? "its chunk has no bytes" : "its chunk lies outside the file";
            if (image.damage.empty()) image.damage = Text("slot %u cannot be carried into a new file", uint32_t(s));
            image.keep = true;
            continue;
        }
        slot.stored.assign(stored.begin(), stored.end());
        if (stored.size() < kHeaderLength) {
            slot.fault = Text("its chunk of %u bytes is shorter than a chunk header", entry->size);
            continue;
        }
        const auto data = stored.subspan(kHeaderLength);
        switch (DecodePlayerRecord(data, slot.record)) {
        case RecordFault::None: slot.state = SaveSlotState::Valid; break;
        case RecordFault::Size: slot.fault = Text("its record has %u bytes, not 372", uint32_t(data.size())); break;
        case RecordFault::Version: slot.fault = Text("its record has version %u, not 19", bytes::be32(data, 0)); break;
        case RecordFault::Name: slot.fault = "the name of its record does not end within 65 bytes"; break;
        }
    }
    // Entries past the eighth are no players of this game; a new file would drop them.
    for (uint32_t e = SaveFileImage::kSlots + 1; e <= game.capacity; ++e)
        if (game.Entry(e)->offset != 0) image.keep = true;
}

} // namespace

SaveFileImage ParseSaveFile(std::span<const uint8_t> file) {
    SaveFileImage image;
    if (file.empty()) {
        image.damage = "it is empty";
        return image;
    }
    RavoIndex master;
    if (!ReadMaster(file, master, image.damage)) {
        image.keep = true;
        return image;
    }
    std::optional<RavoIndex> game;
    std::string indexDamage;
    for (uint32_t n = 1; n <= master.used; ++n) {
        const RavoEntry* entry = master.Entry(n);
        RavoIndex index;
        const auto block = entry->size >= kBlockHeadLength ? Stretch(file, entry->offset, entry->size)
                                                           : std::span<const uint8_t>{};
        if (block.empty() || entry->offset == 0) {
            if (indexDamage.empty()) indexDamage = Text("index %u lies outside the file", n);
        } else if (!ravo::DecodeIndexBlock(block, index)) {
            if (indexDamage.empty()) indexDamage = Text("index %u is damaged", n);
        } else if (!game && n <= 255 && index.tag == kData && index.type == kGame) {
            game = std::move(index);
            continue;
        }
        image.keep = true; // another index, readable or not, is not carried into a new file
    }
    if (!game) {
        image.damage = indexDamage.empty() ? "it holds no player index" : indexDamage;
        image.keep = true;
        return image;
    }
    if (game->format != kGameFormat) {
        image.damage = Text("its player index has chunks of format %u, not 8", game->format);
        image.keep = true;
        return image;
    }
    ReadSlots(file, *game, image);
    if (!indexDamage.empty()) image.damage = indexDamage;
    else if (image.keep && image.damage.empty()) image.damage = "it holds more than the players' records";
    return image;
}

ByteVector StoredRecordChunk(const PlayerRecord& record, const ByteVector& replaced) {
    ByteVector chunk(kHeaderLength);
    if (replaced.size() >= kHeaderLength) {
        std::copy_n(replaced.begin(), kHeaderLength, chunk.begin());
        chunk[63] = 0;  // the name and the description end within their fields
        chunk[319] = 0;
        bytes::WriteLe32(chunk, kModifiedOffset, plat::clock().UnixTime());
    } else {
        CPartFile::InitChunkHeader(chunk.data());
    }
    const PlayerRecordBytes data = EncodePlayerRecord(record);
    chunk.insert(chunk.end(), data.begin(), data.end());
    return chunk;
}

ByteVector BuildSaveFile(const std::array<ByteVector, SaveFileImage::kSlots>& chunks) {
    RavoIndex master;
    master.blockKind = Tag4("meta");
    master.capacity = kMasterCapacity;
    master.sizeField = 14u * kMasterCapacity + 14u;
    master.format = 7;
    master.tag = Tag4("INDX");
    master.type = Tag4("????");
    master.entries.assign(kMasterCapacity, RavoEntry{});
    RavoIndex game;
    game.blockKind = Tag4("vari");
    game.capacity = kGameCapacity;
    game.sizeField = 14u * kGameCapacity + 14u;
    game.format = kGameFormat;
    game.tag = kData;
    game.type = kGame;
    game.entries.assign(kGameCapacity, RavoEntry{});

    master.used = 1;
    master.entries[0] = RavoEntry{0, game.BlockLength(), master.BlockLength(), nullptr};
    uint32_t offset = master.BlockLength() + game.BlockLength();
    for (int s = 0; s < SaveFileImage::kSlots; ++s) {
        const uint32_t size = uint32_t(chunks[s].size());
        if (size == 0) continue;
        game.entries[s] = RavoEntry{0, size, offset, nullptr};
        ++game.used;
        offset += size;
    }
    ByteVector file = ravo::EncodeIndexBlock(master);
    const ByteVector block = ravo::EncodeIndexBlock(game);
    file.insert(file.end(), block.begin(), block.end());
    for (const ByteVector& chunk : chunks) file.insert(file.end(), chunk.begin(), chunk.end());
    return file;
}

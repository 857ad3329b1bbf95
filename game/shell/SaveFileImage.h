#pragma once
// The save file in memory: the chunk file read into its eight slots, and a new file laid out
// from them. Nothing here touches a disc.
//
// A new file has one layout: the master index of 12 entries at offset 0 (194 bytes), the
// "DATA"/"game" index of 25 entries after it (376 bytes), then the slots' chunks in slot order,
// slot s as entry s + 1, each a 1352-byte chunk header and its data.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "game/shell/PlayerRecord.h"

/// What a slot of the save file holds. An unreadable slot (a record that is short, damaged, or
/// of another version) is never taken for an empty one.
enum class SaveSlotState { Empty, Valid, Unreadable };

using ByteVector = std::vector<uint8_t>;

struct SaveSlot {
    SaveSlotState state = SaveSlotState::Empty;
    std::string fault;     ///< why the slot is unreadable
    ByteVector stored;     ///< the chunk as stored (header and data); empty when it has no bytes
    PlayerRecord record{}; ///< the record of a valid slot
};

struct SaveFileImage {
    static constexpr int kSlots = 8;

    std::array<SaveSlot, kSlots> slots{};
    std::string damage; ///< what is wrong with the file as a whole (empty when nothing is)
    /// The file holds bytes that a new file would not carry (it cannot be read as a save file,
    /// holds other data, or a slot's chunk lies outside it): keep it before it is replaced.
    bool keep = false;
};

/// Reads a save file's bytes; every count and offset is checked against them first.
SaveFileImage ParseSaveFile(std::span<const uint8_t> file);

/// The chunk that stores a record: the header of the chunk it replaces when that has one (its
/// creation time kept, its modification time now), else a new header; then the record.
ByteVector StoredRecordChunk(const PlayerRecord& record, const ByteVector& replaced);

/// A new save file holding each slot's stored chunk as it is (an empty one leaves the slot
/// free).
ByteVector BuildSaveFile(const std::array<ByteVector, SaveFileImage::kSlots>& chunks);

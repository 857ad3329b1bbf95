#pragma once
// Save files for the shell's tests: one built from records by slot or from eight players, and
// each slot's chunk as the engine's chunk-file reader finds it.
#include <array>
#include <functional>
#include <map>
#include <string>

#include "engine/data/PartFile.h"
#include "game/shell/Player.h"
#include "tools/builders/ChunkFileBuilder.h"

namespace vqt::test {

/// A save file with the records given by slot, laid out by the test kit's builder.
inline Bytes SaveFileOf(const std::map<int, Bytes>& records, ChunkFileLayout* layout = nullptr) {
    ChunkFileBuilder b;
    const uint8_t game = b.AddIndex("game", 8, 25);
    for (const auto& [slot, record] : records) b.AddChunk(game, record, {.entry = uint16_t(slot + 1)});
    return b.Build(layout);
}

/// A new player's stored record, as the sign-in screen stores a free slot.
inline Bytes NewPlayerRecord() {
    const PlayerRecordBytes record = EncodePlayerRecord(CPlayer().Record());
    return Bytes(record.begin(), record.end());
}

/// Writes the save file `name` with a new player in each of the eight slots, each first handed
/// to `prepare` with its slot.
inline bool WritePlayers(const std::string& name, const std::function<void(uint16_t, CPlayer&)>& prepare) {
    ChunkFileBuilder save;
    const uint8_t game = save.AddIndex("game", 8, 25);
    for (uint16_t slot = 0; slot < 8; ++slot) {
        CPlayer player;
        prepare(slot, player);
        const PlayerRecordBytes record = EncodePlayerRecord(player.Record());
        save.AddChunk(game, Bytes(record.begin(), record.end()), {.entry = uint16_t(slot + 1)});
    }
    return save.WriteFile(name);
}

/// Each slot's stored chunk (header and data); empty for a free slot or a file that cannot be
/// opened.
inline std::array<Bytes, 8> SlotChunks(const std::string& name) {
    std::array<Bytes, 8> out;
    CPartFile file;
    if (!file.Open(name.c_str(), 1)) return out;
    const uint8_t index = file.FindDataIndex(Tag4("game"));
    for (int s = 0; s < 8 && index != 0; ++s) {
        uint32_t size = 0, offset = 0;
        const ChunkId id = MakeChunkId(index, uint16_t(s + 1));
        if (!file.ChunkSizeAndOffset(id, &size, &offset)) continue;
        if (auto* raw = static_cast<uint8_t*>(file.ReadRawChunk(id))) {
            out[size_t(s)].assign(raw, raw + size);
            CPartFile::FreeBlock(raw);
        }
    }
    return out;
}

} // namespace vqt::test

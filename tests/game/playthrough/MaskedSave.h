#pragma once
// A save file with its times masked, for comparing with a golden file: every chunk the player
// index lists keeps its bytes but the header's creation and modification times (the seconds
// since 1970 a save stamps), which read 0. A file that cannot be read as a chunk file comes back
// as it is (and will not match its golden file).
//
//     ExpectMatchesGolden("game/playthrough/after_zoo.vqk", MaskedSave(ReadFileBytes(work / "TLVSave.vqk")));
#include <cstdint>
#include <span>
#include <string>

#include "engine/base/ByteOrder.h"
#include "engine/data/PartFile.h"

namespace vqt::test {

/// Where a chunk header keeps its creation and modification times (4 bytes each).
inline constexpr size_t kChunkCreatedOffset = 320, kChunkModifiedOffset = 324;

inline std::string MaskedSave(std::string file) {
    constexpr uint32_t kStartRecord = 12, kBlockHead = 26;
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    auto fits = [&](uint64_t offset, uint64_t length) { return offset + length <= bytes.size(); };
    if (!fits(0, kStartRecord)) return file;
    // The master index lies at the start, or where a leading record points.
    uint32_t place = 0;
    if (file.compare(4, 4, "rmta") == 0) place = bytes::le32(bytes, 0);
    if (!fits(place, kStartRecord)) return file;
    RavoIndex master;
    const uint64_t masterLength = uint64_t{kStartRecord} + bytes::be32(bytes, place + 8);
    if (!fits(place, masterLength) || !ravo::DecodeIndexBlock(bytes.subspan(place, masterLength), master)) return file;
    for (uint32_t n = 1; n <= master.used; ++n) {
        const RavoEntry* entry = master.Entry(n);
        RavoIndex index;
        if (!entry || entry->offset == 0 || entry->size < kBlockHead || !fits(entry->offset, entry->size) ||
            !ravo::DecodeIndexBlock(bytes.subspan(entry->offset, entry->size), index) || index.format != 8)
            continue;
        for (const RavoEntry& chunk : index.entries) {
            if (chunk.offset == 0 || chunk.size < ravo::kChunkHeaderLength || !fits(chunk.offset, chunk.size)) continue;
            file.replace(chunk.offset + kChunkCreatedOffset, 8, 8, '\0');
        }
    }
    return file;
}

} // namespace vqt::test
